#include "app/MainForm.h"


#include <shellapi.h>

#include <cstdlib>
#include <ctime>

#include "ui/Application.h"
#include "base/Exception.h"
#include "ui/Resource.h"

TForm1* Form1 = nullptr;

namespace {
constexpr UINT WM_OPENCOMMANDLINE = WM_APP + 1;
const char* const kHomePage = "https://www.tamsolo.example/";
} // namespace

std::string WindowsCursorFolder() {
    wchar_t buf[MAX_PATH] = {};
    UINT n = GetWindowsDirectoryW(buf, MAX_PATH);
    return U(std::wstring(buf, n)) + "\\CURSORS";
}

TForm1::TForm1(HINSTANCE instance, const std::string& commandLine, TSettingsKeys keys)
    : TForm("Form1", "Tamsolo", 520, 420), FInstance(instance), FCommandLine(commandLine), FKeys(std::move(keys)) {
    Form1 = this;
    BuildComponents();
    OnPaint = [this](TControl*) { FormPaint(); };
    OnClose = [this](TControl*) { FormClose(); };
    FormCreate();
}

TForm1::~TForm1() {
    if (Form1 == this) Form1 = nullptr;
}

void TForm1::BuildComponents() {
    DropPanel1 = std::make_unique<TDropPanel>(this, "DropPanel1");
    DropPanel1->SetBevelOuter(TBevel::bvNone);
    DropPanel1->SetBounds(0, 0, ClientWidth(), ClientHeight());
    TControl* area = DropPanel1.get();
    PageControl1 = std::make_unique<TPageControl>(area, "PageControl1");
    PageControl1->OnChange = [this](TControl*) { TabPanelChange(); };
    PageControl1->SetBounds(4, 4, 512, 382);
    Page1 = PageControl1->AddPage("Page1", "イメージの編集");
    Page2 = PageControl1->AddPage("Page2", "フレームの編集");
    Page3 = PageControl1->AddPage("Page3", "ﾌｧｲﾙｵﾌﾟｼｮﾝ");
    Page4 = PageControl1->AddPage("Page4", "設定1");
    Page5 = PageControl1->AddPage("Page5", "設定2");
    Page6 = PageControl1->AddPage("Page6", "About");
    SpeedButton1 = std::make_unique<TSpeedButton>(area, "SpeedButton1", "ヘルプ");
    SpeedButton1->SetBounds(444, 392, 72, 24);
    SpeedButton1->OnClick = [this](TControl*) { SpeedButton1Click(); };
    SaveIconBtn = std::make_unique<TButton>(area, "SaveIconBtn", "保存");
    SaveIconBtn->SetBounds(4, 392, 76, 24);
    SaveANIBtn = std::make_unique<TButton>(area, "SaveANIBtn", "すべて保存");
    SaveANIBtn->SetBounds(84, 392, 96, 24);
    BuildFramePage();
    BuildFileOptionsControls();
    BuildImagePage();
    BuildImportControls();   // app/MainFormImport.cpp
    BuildMonoCursorPage();   // app/MainFormMono.cpp
    BuildSettingsPage();
    BuildAboutPage();
    Timer3 = std::make_unique<TTimer>("Timer3", 200, false);
    Timer3->OnTimer = [this](TControl*) { Timer3Timer(); };
}

void TForm1::BuildSettingsPage() {
    TTabSheet* p = Page4;
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

    CustumPen->OnClick = [this](TControl*) { CustumPenClick(); };
    Panel14->OnChange = [this](TControl*) { CustumPenClick(); };
    CustumFill->OnClick = [this](TControl*) { CustumFillClick(); };
    Panel15->OnChange = [this](TControl*) { CustumFillClick(); };
}

void TForm1::BuildAboutPage() {
    TTabSheet* p = Page6;
    Panel16 = std::make_unique<TPanel>(p, "Panel16");
    Panel16->SetBounds(40, 40, 84, 44);
    Panel16->SetBevelOuter(TBevel::bvNone);
    Image6 = std::make_unique<TImage>(Panel16.get(), "Image6");
    Image6->SetBounds(4, 6, 32, 32);
    Image7 = std::make_unique<TImage>(Panel16.get(), "Image7");
    Image7->SetBounds(46, 6, 32, 32);
    Label16 = std::make_unique<TLabel>(p, "Label16", "アニメーションカーソル作成ツール", 140, 44);
    Label17About = std::make_unique<TLabel>(p, "Label18", "Version 1.6.5", 140, 66);
    Label15 = std::make_unique<TLabel>(p, "Label15", kHomePage, 140, 100);
    Label15->OnClick = [this](TControl*) { Label15Click(); };
    Label15->OnMouseMove = [this](TControl*, const TMouseEvent&) { Label15MouseMove(); };
    Page6->OnMouseMove = [this](TControl*, const TMouseEvent&) { Page6MouseMove(); };
    Image6->OnClick = [this](TControl*) { Image6Click(); };
    Image7->OnClick = [this](TControl*) { Image6Click(); };
}

void TForm1::FormCreate() {
    // The start folder, and where the program itself is.
    wchar_t dir[MAX_PATH] = {};
    DWORD n = GetCurrentDirectoryW(MAX_PATH, dir);
    FStartDir = U(std::wstring(dir, n));
    if (!FStartDir.empty() && (FStartDir.back() == '\\' || FStartDir.back() == '/')) FStartDir.pop_back();
    wchar_t module[MAX_PATH] = {};
    DWORD m = GetModuleFileNameW(nullptr, module, MAX_PATH);
    FExePath = m > 0 && m < MAX_PATH ? U(std::wstring(module, m)) : std::string();
    bool inStartDir = FileExists(FStartDir + "\\Tamsolo.EXE");
    if (FExePath.empty() && inStartDir) FExePath = FStartDir + "\\Tamsolo.EXE";
    for (TButton* b : {shellbmp.get(), shellico.get(), shellcur.get(), shellani.get()}) b->SetEnabled(inStartDir);

    if (!ReadSettings()) FPath = WindowsCursorFolder();

    try {
        FCurData = std::make_unique<TResourceStream>(FInstance, "CurData", "DATA");
    } catch (const EStreamError&) {
        FCurData.reset();  // the monochrome page reports a missing template set
    }
    FSchemesRead = false;  // the system cursor page reads the schemes

    Image6->SetIcon(LoadIconW(FInstance, L"MAINICON"), false);
    Image7->SetIcon(LoadIconW(FInstance, L"MAINICON"), false);
    FDocName = "無題";
    FOpenCmdLine = !CommandLineFile(FCommandLine).empty();
    FSpiPath = Panel13->Caption();
}

void TForm1::FormPaint() {
    if (!FOpenCmdLine) return;
    FOpenCmdLine = false;
    // Opened once the window is up, not inside the paint.
    PostMessageW(FHandle, WM_OPENCOMMANDLINE, 0, 0);
}

void TForm1::OpenCommandLineFile() {
    std::string file = CommandLineFile(FCommandLine);
    if (!file.empty()) DropPanel1DropFiles(nullptr, {file});
}

void TForm1::FormClose() {
    Timer1->set_enabled(false);
    Timer3->SetEnabled(false);
    WriteSettings();
    FDoc.ClearAllImages();
    FCurData.reset();
    ImageList1.Clear();
    for (TImage* i : {Image1.get(), Image4.get(), Image6.get(), Image7.get(), IconImage.get()}) i->ClearPicture();
    ListBox1->Clear();
    ListBox2->Clear();
}

LRESULT TForm1::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_OPENCOMMANDLINE) {
        OpenCommandLineFile();
        return 0;
    }
    return TForm::WndProc(msg, wp, lp);
}

void TForm1::Label15Click() {
    ShellExecuteW(FHandle, L"open", W(Label15->Caption()).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TForm1::Label15MouseMove() { Label15->SetFontColor(clBlue); }
void TForm1::Page6MouseMove() { Label15->SetFontColor(clBlack); }

void TForm1::Image6Click() {
    std::srand(static_cast<unsigned>(std::time(nullptr)) ^ GetTickCount());
    if (std::rand() % 10 == 0) {
        RECT r = Panel16->BoundsRect();
        Panel16->SetBounds(r.left, r.top - 4, r.right - r.left, r.bottom - r.top);
    }
}

// Help at context 1; the help button under the pages and Button1Click do the same.
void TForm1::Button1Click() { TApplication::Instance().HelpCommand(HELP_CONTEXT, 1); }
void TForm1::SpeedButton1Click() { TApplication::Instance().HelpCommand(HELP_CONTEXT, 1); }
