// The options page: its controls, the shell associations and the custom editor cursors.
#include "system/OptionsPage.h"

#include "base/Format.h"
#include "formats/FileMessages.h"
#include "formats/ReaderProcess.h"
#include "formats/UserCursor.h"
#include "ui/Dialogs.h"
#include "ui/PageLayout.h"
#include "ui/Registry.h"

bool PlainFileExists(const std::string& path) {
    if (path.empty() || !IsPlainPath(path)) return false;
    DWORD a = GetFileAttributesW(W(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

TFileDialog CursorFileDialog() {
    TFileDialog dialog(TFileDialogKind::Open);
    dialog.Title = "カーソルファイルを開く";
    dialog.Filter = "ｶｰｿﾙ、ｱﾆﾒｰｼｮﾝｶｰｿﾙ(*.cur,*.ani)|*.cur;*.ani";
    dialog.FileMustExist = true;
    return dialog;
}

TOptionsPage::TOptionsPage(TControl* p, TProgramSettings& settings, TFileDialog& openCursor, TOptionsHost host)
    : OpenCustumCur(openCursor), FPage(p), FSettings(settings), FHost(std::move(host)) {
    using P = TOptionsPage;
    BuildControls<P, TGroupBox>(*this, p, {{&P::GroupBox1, "GroupBox1", "イメージ入力時オプション", 8, 6, 490, 118}});
    TControl* input = GroupBox1.get();
    BuildControls<P, TCheckBox>(*this, input,
                                {
                                    {&P::ResizeCheck, "ResizeCheck", "32x32以外のイメージは常にすまーとﾘｻｲｽﾞする", 12, 18, 300, 18},
                                    {&P::ReduceCheck, "ReduceCheck", "256減色は精度を落として時間を短縮する", 12, 40, 300, 18},
                                    {&P::NoDlgDisp, "NoDlgDisp", "背景色指定ダイアログを表示しない", 12, 62, 300, 18},
                                    {&P::Henpei, "Henpei", "扁平矩形入力時に縦横比を維持する", 12, 84, 300, 18},
                                });
    BuildLabels<P>(*this, input, {{&P::Label12, "Label12", "Click ->", 330, 64}});
    BuildControls<P, TPanel>(*this, input, {{&P::DefCol, "DefCol", nullptr, 384, 58, 40, 26, "背景色"}});
    DefCol->SetBevelOuter(TBevel::bvLowered);
    DefCol->SetColor(FSettings.Import.DefaultColour);

    BuildLabels<P>(*this, p, {{&P::Label13, "Label13", "Susie Plug-in フォルダ", 12, 134}});
    BuildControls<P, TPanel>(*this, p, {{&P::Panel13, "Panel13", nullptr, 12, 150, 450, 22}});
    Panel13->SetBevelOuter(TBevel::bvLowered);
    Panel13->SetAlignment(TAlignment::taLeftJustify);
    BuildControls<P, TButton>(*this, p, {{&P::BrowseSpiBtn, "BrowseSpiBtn", "...", 466, 150, 28, 22, "Susieﾌｫﾙﾀﾞの参照"}});

    BuildLabels<P>(*this, p, {{&P::Label14, "Label14", "関連付け", 12, 184}});
    BuildControls<P, TButton>(*this, p,
                              {
                                  {&P::shellico, "shellico", "*.ico", 12, 200, 70, 24},
                                  {&P::shellcur, "shellcur", "*.cur", 86, 200, 70, 24},
                                  {&P::shellani, "shellani", "*.ani", 160, 200, 70, 24},
                                  {&P::shellbmp, "shellbmp", "*.bmp右ｸﾘｯｸﾒﾆｭｰに追加", 234, 200, 170, 24},
                              });

    BuildControls<P, TGroupBox>(*this, p,
                                {{&P::GroupBox2, "GroupBox2", "エディタでオリジナルカーソルを使っちゃう", 8, 236, 490, 84}});
    TControl* cursors = GroupBox2.get();
    // One row per cursor: its check box, file name and browse button, in tab order.
    struct TCursorRow {
        std::unique_ptr<TCheckBox> P::*Check;
        const char* CheckName;
        const char* Caption;
        std::unique_ptr<TEdit> P::*File;
        const char* FileName;
        std::unique_ptr<TButton> P::*Browse;
        const char* BrowseName;
        int Top;
    };
    for (const TCursorRow& r : {TCursorRow{&P::CustumPen, "CustumPen", "ペンカーソル", &P::Panel14, "Panel14",
                                           &P::CustumPenBtn, "CustumPenBtn", 20},
                                TCursorRow{&P::CustumFill, "CustumFill", "塗りカーソル", &P::Panel15, "Panel15",
                                           &P::CustumFillBtn, "CustumFillBtn", 48}}) {
        BuildControls<P, TCheckBox>(*this, cursors, {{r.Check, r.CheckName, r.Caption, 12, r.Top + 2, 100, 18}});
        BuildControls<P, TEdit>(*this, cursors, {{r.File, r.FileName, nullptr, 116, r.Top, 330, 22}});
        BuildControls<P, TButton>(*this, cursors, {{r.Browse, r.BrowseName, "...", 450, r.Top, 28, 22, "開く"}});
    }

    BrowseForFolder1.Title = "Susieがｲﾝｽﾄｰﾙされたﾌｫﾙﾀﾞを指定して[OK]ﾎﾞﾀﾝを押して下さい。";
    BrowseForFolder1.InitialDir = "Program Files\\";
    BrowseForFolder1.NewFolderBtn = false;

    // The import switches write straight into the record.
    struct TSwitch {
        TCheckBox* Box;
        bool TImportSettings::*Field;
    };
    for (const TSwitch& s : {TSwitch{ResizeCheck.get(), &TImportSettings::Resize},
                             TSwitch{ReduceCheck.get(), &TImportSettings::Reduce},
                             TSwitch{NoDlgDisp.get(), &TImportSettings::NoDialog},
                             TSwitch{Henpei.get(), &TImportSettings::KeepAspect}})
        s.Box->OnClick = [this, s](TControl*) { FSettings.Import.*s.Field = s.Box->Checked(); };
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

void TOptionsPage::ShowSettings() {
    // Copied first: every control writes what it shows back into the record.
    const TProgramSettings s = FSettings;
    ResizeCheck->SetChecked(s.Import.Resize);
    ReduceCheck->SetChecked(s.Import.Reduce);
    NoDlgDisp->SetChecked(s.Import.NoDialog);
    Henpei->SetChecked(s.Import.KeepAspect);
    SetDefaultColour(s.Import.DefaultColour);
    Panel13->SetCaption(s.PluginFolder);
    CustumPen->SetChecked(false);
    CustumFill->SetChecked(false);
    Panel14->SetText(s.Pen.File);
    Panel15->SetText(s.Fill.File);
    CustumPen->SetChecked(s.Pen.Use);
    CustumFill->SetChecked(s.Fill.Use);
}

void TOptionsPage::SetDefaultColour(TColor colour) {
    FSettings.Import.DefaultColour = colour;
    DefCol->SetColor(colour);
}

void TOptionsPage::SetAssociationsEnabled(bool enabled) {
    FAssociationsEnabled = enabled;
    for (TButton* b : {shellbmp.get(), shellico.get(), shellcur.get(), shellani.get()}) b->SetEnabled(enabled);
}

void TOptionsPage::DefColClick() {
    TColor c = FSettings.Import.DefaultColour;
    if (FHost.PickBackColour && FHost.PickBackColour(c)) SetDefaultColour(c);
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
    FSettings.PluginFolder = folder;
    Panel13->SetCaption(folder);
    if (FHost.PluginFolderChanged) FHost.PluginFolderChanged(folder);
}

void TOptionsPage::PickCursorFile(TEdit& edit) {
    OpenCustumCur.InitialDir = FHost.LastFolder ? FHost.LastFolder() : std::string();
    OpenCustumCur.FileName.clear();
    HWND owner = GetAncestor(FPage->Handle(), GA_ROOT);
    if (!OpenCustumCur.Execute(owner)) return;
    // A file that gives no cursor is not taken.
    const std::string file = OpenCustumCur.FileName;
    const TReaderStartWatch helper;
    if (!TCursorHandle(LoadUserCursor(file, TUserCursorLoad::FromFile))) {
        const char* text = helper.HelperNotStarted() ? kReaderNotStartedMessage : kNothingReadMessage;
        ShowMessageBox(owner, Format(text, file.c_str()), kOpenedFileCaption, MB_OK | MB_ICONINFORMATION);
        return;
    }
    edit.SetText(file);  // runs the check box's handler
}

void TOptionsPage::CustumPenBtnClick() { PickCursorFile(*Panel14); }
void TOptionsPage::CustumFillBtnClick() { PickCursorFile(*Panel15); }

// Checked with an existing file: the editor uses it; checked without one: unchecked again.
void TOptionsPage::CustomCursorClick(TCheckBox& box, const TEdit& edit, bool pen) {
    TCustomCursorSetting& setting = pen ? FSettings.Pen : FSettings.Fill;
    setting.File = edit.Text();
    setting.Use = false;
    if (box.Checked()) {
        if (PlainFileExists(edit.Text())) {
            setting.Use = true;
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
