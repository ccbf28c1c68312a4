#include "app/MainForm.h"

#include <algorithm>

#include "ui/Application.h"
#include "ui/BackgroundWork.h"
#include "base/Exception.h"
#include "formats/FileMessages.h"
#include "ui/Resource.h"
#include "app/SmallDialogs.h"

TForm1* Form1 = nullptr;
TMadeOnFirstUse<IImageEditor> EditDlg;

namespace {
constexpr UINT WM_OPENCOMMANDLINE = WM_APP + 1;
} // namespace

namespace {
// A folder name that a system call writes into a buffer: get(size, buffer) gives the length
// written, or the size needed when the buffer is too small; "" when the call fails.
template <typename Get>
std::string SystemFolder(Get get) {
    std::wstring buf(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD n = get(static_cast<DWORD>(buf.size()), buf.data());
        if (n == 0) return {};
        if (n < buf.size()) return U(buf.substr(0, n));
        buf.assign(n, L'\0');  // the folder may change between the calls: asked again
    }
    return {};
}
} // namespace

std::string WindowsCursorFolder() {
    return SystemFolder([](DWORD size, wchar_t* buf) { return static_cast<DWORD>(GetWindowsDirectoryW(buf, size)); }) +
           "\\CURSORS";
}

TForm1::TForm1(HINSTANCE instance, const std::string& commandLine, TSettingsKeys keys)
    : TForm("Form1", "Tamsolo", 520, 420), FInstance(instance), FCommandLine(commandLine), FKeys(std::move(keys)) {
    Form1 = this;
    // An editor made later starts with the options kept for it meanwhile.
    EditDlg.SetOnMade([this](IImageEditor& editor) { editor.SetOptions(FEditor); });
    BuildComponents();
    OnPaint = [this](TControl*) { FormPaint(); };
    OnClose = [this](TControl*) { FormClose(); };
    FormCreate();
}

TForm1::~TForm1() {
    if (Form1 != this) return;
    Form1 = nullptr;
    EditDlg.SetOnMade(nullptr);
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
    BuildImagePage();
    BuildFramePage();
    BuildFileOptionsPage();
    BuildImportControls();   // app/MainFormImport.cpp
    BuildSystemPages();
    AboutPage.SetMake([this] {
        auto page = std::make_unique<TAboutPage>(Page6);
        page->ShowIcon(FInstance);
        return page;
    });
    ImagePage->ResetImagePage();  // every page shows the empty document
    Timer3 = std::make_unique<TTimer>("Timer3", 200, false);
    Timer3->OnTimer = [this](TControl*) { Timer3Timer(); };
}

void TForm1::BuildImagePage() {
    TImagePageHost host;
    host.EnableSave = [this](bool enabled) {
        SaveIconBtn->SetEnabled(enabled);
        SaveANIBtn->SetEnabled(enabled);
    };
    host.CanSaveImage = [this] { return FDoc.LastImage() >= 0; };
    // The frame and file-option pages bring themselves up to date when they are made.
    host.HotspotChanged = [this](int x, int y) {
        if (TFramePage* frames = FramePage.IfMade())
            frames->FollowHotspot(x, y);
        else
            FDoc.FollowHotspot(x, y);
    };
    host.ResetPages = [this] {
        if (TFramePage* frames = FramePage.IfMade()) frames->ShowAniOptions();
        if (TFileOptionsPage* options = FileOptionsPage.IfMade()) options->Reset();
    };
    host.Cleared = [this] {
        if (TFramePage* frames = FramePage.IfMade()) frames->DocumentCleared();
        PageControl1->SetActivePage(Page1);
    };
    ImagePage = std::make_unique<TImagePage>(Page1, *this, FDoc, std::move(host));
}

void TForm1::BuildFramePage() {
    TFramePageHost host;
    host.Report = [this](const std::string& text, TMessageCaption kind, TMessageIcon icon) { ReportMessage(text, kind, icon); };
    host.Shown = [this] { return PageControl1->ActivePage() == Page2; };
    host.EditImage = [this](int image, bool now) {
        ImagePage->ListBox1->SetItemIndex(image);
        ImagePage->SelectImage(image);
        if (now)
            ImagePage->EditBtnClick();
        else
            ImagePage->Timer2->SetEnabled(true);  // the editor opens after the double-click delay
    };
    host.AniInput = [this](AniSaveMode mode) { return AniInput(mode); };
    FramePage.SetMake([this, host = std::move(host)] {
        return std::make_unique<TFramePage>(Page2, FDoc, ImagePage->ImageList1, host);
    });
}

void TForm1::TabPanelChange() {
    TTabSheet* page = PageControl1->ActivePage();
    if (page == Page5) CursorPage->PageEntered();
    if (page == Page2)
        FramePage->PageEntered(FDoc.LastImage() >= 0);
    else if (TFramePage* frames = FramePage.IfMade())
        frames->PageLeft();
    if (page == Page3) FileOptionsPage.Get();
    if (page == Page4) OptionsPage.Get();
    if (page == Page6) AboutPage.Get();
}

void TForm1::BuildFileOptionsPage() {
    TFileOptionsHost host;
    host.Report = [this](const std::string& text, TMessageCaption kind, TMessageIcon icon) { ReportMessage(text, kind, icon); };
    host.Templates = [this] { return TemplateBytes(); };
    FileOptionsPage.SetMake([this, host = std::move(host)] {
        return std::make_unique<TFileOptionsPage>(Page3, *this, FDoc, host);
    });
}

std::vector<uint8_t> TForm1::TemplateBytes() const {
    std::vector<uint8_t> bytes;
    if (FCurData && FCurData->Size() >= static_cast<int64_t>(kCurDataBytes)) {
        bytes.resize(kCurDataBytes);
        FCurData->SetPosition(0);
        FCurData->ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    }
    return bytes;
}

void TForm1::FormCreate() {
    // The start folder, and where the program itself is.
    FStartDir = SystemFolder([](DWORD size, wchar_t* buf) { return GetCurrentDirectoryW(size, buf); });
    if (!FStartDir.empty() && (FStartDir.back() == '\\' || FStartDir.back() == '/')) FStartDir.pop_back();
    wchar_t module[MAX_PATH] = {};
    DWORD m = GetModuleFileNameW(nullptr, module, MAX_PATH);
    FExePath = m > 0 && m < MAX_PATH ? U(std::wstring(module, m)) : std::string();
    bool inStartDir = FileExists(FStartDir + "\\Tamsolo.EXE");
    if (FExePath.empty() && inStartDir) FExePath = FStartDir + "\\Tamsolo.EXE";
    SetAssociationsEnabled(inStartDir);

    if (!ReadSettings()) FPath = WindowsCursorFolder();

    try {
        FCurData = std::make_unique<TResourceStream>(FInstance, "CurData", "DATA");
    } catch (const EStreamError&) {
        FCurData.reset();  // the monochrome page reports a missing template set
    }
    ReadSystemCursors();

    FDocName = "無題";
    FOpenCmdLine = !CommandLineFile(FCommandLine).empty();
    UsePluginFolder(FSettings.PluginFolder);
}

void TForm1::UsePluginFolder(const std::string& folder) {
    Spiload1.SpiPathName = folder;
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
    if (TFramePage* frames = FramePage.IfMade()) frames->Close();
    Timer3->SetEnabled(false);
    CursorPage->FreeSchemeCursors();
    WriteSettings();
    FDoc.ClearAllImages();
    FCurData.reset();
    ImagePage->Close();
    if (TAboutPage* about = AboutPage.IfMade()) about->ClearPictures();
}

LRESULT TForm1::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_OPENCOMMANDLINE) {
        OpenCommandLineFile();
        return 0;
    }
    return TForm::WndProc(msg, wp, lp);
}

// Help at its first topic, whichever page is shown; its list of topics leads to the others.
// The help button under the pages and Button1Click do the same.
void TForm1::Button1Click() { TApplication::Instance().HelpCommand(HELP_CONTEXT, kHelpContext); }
void TForm1::SpeedButton1Click() { Button1Click(); }

void TForm1::ReportMessage(const std::string& text, TMessageCaption kind, TMessageIcon icon) {
    if (TBackgroundWork::OfThisThread()) return OnWindowThread([&] { ReportMessage(text, kind, icon); });
    std::string caption;
    switch (kind) {
    case TMessageCaption::Application: caption = TApplication::Instance().Title(); break;
    case TMessageCaption::OpenedFile: caption = kOpenedFileCaption; break;
    case TMessageCaption::SaveImage: caption = SaveIconBtn->Caption(); break;
    case TMessageCaption::SaveAll: caption = SaveANIBtn->Caption(); break;
    case TMessageCaption::None: break;
    }
    UINT style = MB_ICONINFORMATION;
    if (icon == TMessageIcon::Information)
        PlayBeep(MB_OK);
    else
        style = MB_ICONWARNING;
    ShowMessageBox(FHandle, text, caption, MB_OK | style);
}
