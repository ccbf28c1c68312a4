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
    BuildLibraryControls();  // app/MainFormLibrary.cpp
    BuildSystemPages();
    BuildAboutPage();
    Timer3 = std::make_unique<TTimer>("Timer3", 200, false);
    Timer3->OnTimer = [this](TControl*) { Timer3Timer(); };
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
    OptionsPage->SetAssociationsEnabled(inStartDir);

    if (!ReadSettings()) FPath = WindowsCursorFolder();

    try {
        FCurData = std::make_unique<TResourceStream>(FInstance, "CurData", "DATA");
    } catch (const EStreamError&) {
        FCurData.reset();  // the monochrome page reports a missing template set
    }
    ReadSystemCursors();

    Image6->SetIcon(LoadIconW(FInstance, L"MAINICON"), false);
    Image7->SetIcon(LoadIconW(FInstance, L"MAINICON"), false);
    FDocName = "無題";
    FOpenCmdLine = !CommandLineFile(FCommandLine).empty();
    FSpiPath = OptionsPage->Panel13->Caption();
    Spiload1.SpiPathName = FSpiPath;
    Spiload1.set_spipath();
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
    CursorPage->FreeSchemeCursors();
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
