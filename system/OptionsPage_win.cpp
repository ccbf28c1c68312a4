// The options page: its controls, the shell associations and the custom editor cursors.
#include "system/OptionsPage.h"

#include "ui/Registry.h"

bool PlainFileExists(const std::string& path) {
    if (path.empty() || !IsPlainPath(path)) return false;
    DWORD a = GetFileAttributesW(W(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

TOptionsPage::TOptionsPage(TControl* p, TOptionsHost host) : FPage(p), FHost(std::move(host)) {
    GroupBox1 = std::make_unique<TGroupBox>(p, "GroupBox1", "イメージ入力時オプション");
    GroupBox1->SetBounds(8, 6, 490, 118);
    ResizeCheck = std::make_unique<TCheckBox>(GroupBox1.get(), "ResizeCheck", "32x32以外のイメージは常にすまーとﾘｻｲｽﾞする");
    ResizeCheck->SetBounds(12, 18, 300, 18);
    ReduceCheck = std::make_unique<TCheckBox>(GroupBox1.get(), "ReduceCheck", "256減色は精度を落として時間を短縮する");
    ReduceCheck->SetBounds(12, 40, 300, 18);
    NoDlgDisp = std::make_unique<TCheckBox>(GroupBox1.get(), "NoDlgDisp", "背景色指定ダイアログを表示しない");
    NoDlgDisp->SetBounds(12, 62, 300, 18);
    Henpei = std::make_unique<TCheckBox>(GroupBox1.get(), "Henpei", "扁平矩形入力時に縦横比を維持する");
    Henpei->SetBounds(12, 84, 300, 18);
    Label12 = std::make_unique<TLabel>(GroupBox1.get(), "Label12", "Click ->", 330, 64);
    DefCol = std::make_unique<TPanel>(GroupBox1.get(), "DefCol");
    DefCol->SetBounds(384, 58, 40, 26);
    DefCol->SetBevelOuter(TBevel::bvLowered);
    DefCol->SetColor(clTeal);
    DefCol->SetHint("背景色");

    Label13 = std::make_unique<TLabel>(p, "Label13", "Susie Plug-in フォルダ", 12, 134);
    Panel13 = std::make_unique<TPanel>(p, "Panel13");
    Panel13->SetBounds(12, 150, 450, 22);
    Panel13->SetBevelOuter(TBevel::bvLowered);
    Panel13->SetAlignment(TAlignment::taLeftJustify);
    BrowseSpiBtn = std::make_unique<TButton>(p, "BrowseSpiBtn", "...");
    BrowseSpiBtn->SetBounds(466, 150, 28, 22);
    BrowseSpiBtn->SetHint("Susieﾌｫﾙﾀﾞの参照");

    Label14 = std::make_unique<TLabel>(p, "Label14", "関連付け", 12, 184);
    shellico = std::make_unique<TButton>(p, "shellico", "*.ico");
    shellico->SetBounds(12, 200, 70, 24);
    shellcur = std::make_unique<TButton>(p, "shellcur", "*.cur");
    shellcur->SetBounds(86, 200, 70, 24);
    shellani = std::make_unique<TButton>(p, "shellani", "*.ani");
    shellani->SetBounds(160, 200, 70, 24);
    shellbmp = std::make_unique<TButton>(p, "shellbmp", "*.bmp右ｸﾘｯｸﾒﾆｭｰに追加");
    shellbmp->SetBounds(234, 200, 170, 24);

    GroupBox2 = std::make_unique<TGroupBox>(p, "GroupBox2", "エディタでオリジナルカーソルを使っちゃう");
    GroupBox2->SetBounds(8, 236, 490, 84);
    CustumPen = std::make_unique<TCheckBox>(GroupBox2.get(), "CustumPen", "ペンカーソル");
    CustumPen->SetBounds(12, 22, 100, 18);
    Panel14 = std::make_unique<TEdit>(GroupBox2.get(), "Panel14");
    Panel14->SetBounds(116, 20, 330, 22);
    CustumPenBtn = std::make_unique<TButton>(GroupBox2.get(), "CustumPenBtn", "...");
    CustumPenBtn->SetBounds(450, 20, 28, 22);
    CustumPenBtn->SetHint("開く");
    CustumFill = std::make_unique<TCheckBox>(GroupBox2.get(), "CustumFill", "塗りカーソル");
    CustumFill->SetBounds(12, 50, 100, 18);
    Panel15 = std::make_unique<TEdit>(GroupBox2.get(), "Panel15");
    Panel15->SetBounds(116, 48, 330, 22);
    CustumFillBtn = std::make_unique<TButton>(GroupBox2.get(), "CustumFillBtn", "...");
    CustumFillBtn->SetBounds(450, 48, 28, 22);
    CustumFillBtn->SetHint("開く");

    BrowseForFolder1.Title = "Susieがｲﾝｽﾄｰﾙされたﾌｫﾙﾀﾞを指定して[OK]ﾎﾞﾀﾝを押して下さい。";
    BrowseForFolder1.InitialDir = "Program Files\\";
    BrowseForFolder1.NewFolderBtn = false;
    OpenCustumCur.Title = "カーソルファイルを開く";
    OpenCustumCur.Filter = "ｶｰｿﾙ、ｱﾆﾒｰｼｮﾝｶｰｿﾙ(*.cur,*.ani)|*.cur;*.ani";
    OpenCustumCur.FileMustExist = true;

    DefCol->OnClick = [this](TControl*) { DefColClick(); };
    BrowseSpiBtn->OnClick = [this](TControl*) { BrowseSpiBtnClick(); };
    shellbmp->OnClick = [this](TControl*) { shellbmpClick(); };
    shellico->OnClick = [this](TControl*) { shellicoClick(); };
    shellcur->OnClick = [this](TControl*) { shellcurClick(); };
    shellani->OnClick = [this](TControl*) { shellaniClick(); };
    CustumPenBtn->OnClick = [this](TControl*) { CustumPenBtnClick(); };
    CustumFillBtn->OnClick = [this](TControl*) { CustumFillBtnClick(); };
    CustumPen->OnClick = [this](TControl*) { CustumPenClick(); };
    Panel14->OnChange = [this](TControl*) { CustumPenClick(); };
    CustumFill->OnClick = [this](TControl*) { CustumFillClick(); };
    Panel15->OnChange = [this](TControl*) { CustumFillClick(); };
}

void TOptionsPage::SetAssociationsEnabled(bool enabled) {
    for (TButton* b : {shellbmp.get(), shellico.get(), shellcur.get(), shellani.get()}) b->SetEnabled(enabled);
}

void TOptionsPage::DefColClick() {
    TColor c = DefCol->Color();
    if (FHost.PickBackColour && FHost.PickBackColour(c)) DefCol->SetColor(c);
}

void TOptionsPage::WriteAssociation(TShellKind kind) {
    const std::string exe = FHost.ExePath ? FHost.ExePath() : std::string();
    if (exe.empty()) return;  // never a command without the program's path
    TRegistry reg(FClasses.Root);
    for (const TShellEntry& e : ShellEntries(kind, exe)) {
        std::string key = FClasses.Prefix.empty() ? e.Key : FClasses.Prefix + "\\" + e.Key;
        if (!reg.OpenKey(key, true)) throw ERegistryException("Failed to create key " + key);
        reg.WriteString("", e.Value);
        reg.CloseKey();
    }
}

void TOptionsPage::BrowseSpiBtnClick() {
    if (!BrowseForFolder1.Execute(FPage->Handle() ? GetAncestor(FPage->Handle(), GA_ROOT) : nullptr)) return;
    ChoosePluginFolder(BrowseForFolder1.Directory);
}

void TOptionsPage::ChoosePluginFolder(const std::string& folder) {
    Panel13->SetCaption(folder);
    if (FHost.PluginFolderChanged) FHost.PluginFolderChanged(Panel13->Caption());
}

void TOptionsPage::PickCursorFile(TEdit& edit) {
    OpenCustumCur.InitialDir = FHost.LastFolder ? FHost.LastFolder() : std::string();
    OpenCustumCur.FileName.clear();
    if (!OpenCustumCur.Execute(GetAncestor(FPage->Handle(), GA_ROOT))) return;
    edit.SetText(OpenCustumCur.FileName);  // runs the check box's handler
}

void TOptionsPage::CustumPenBtnClick() { PickCursorFile(*Panel14); }
void TOptionsPage::CustumFillBtnClick() { PickCursorFile(*Panel15); }

// Checked with an existing file: the editor uses it; checked without one: unchecked again.
void TOptionsPage::CustomCursorClick(TCheckBox& box, const TEdit& edit, bool pen) {
    if (box.Checked()) {
        if (PlainFileExists(edit.Text())) {
            if (FHost.CustomCursorChanged) FHost.CustomCursorChanged(pen, true, edit.Text());
            return;
        }
        box.SetChecked(false);  // runs the handler again, unchecked
        return;
    }
    if (FHost.CustomCursorChanged) FHost.CustomCursorChanged(pen, false, std::string());
}

void TOptionsPage::CustumPenClick() { CustomCursorClick(*CustumPen, *Panel14, true); }
void TOptionsPage::CustumFillClick() { CustomCursorClick(*CustumFill, *Panel15, false); }
