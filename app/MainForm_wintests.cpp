#include "app/MainForm.h"

#include "app/EditorLink.h"
#include "app/WinTestSupport.h"
#include "base/ScopeGuard.h"
#include "base/Stream.h"
#include "formats/AniTestSupport.h"
#include "ui/Registry.h"

namespace {

struct Value {
    const char* Name;
    bool IsString;
    std::string Text;
    int Number;
};

// A complete settings key as a previous close would have written it.
std::vector<Value> CompleteKey(const std::string& folder) {
    return {{"EXEPATH", true, "C:\\old\\Tamsolo.EXE", 0},
            {"PATH", true, folder, 0},
            {"NODLG", false, "", 1},
            {"COLOR", false, "", 0x123456},
            {"RESIZE", false, "", 1},
            {"REDUCE", false, "", 0},
            {"SPIPATH", true, "C:\\spi", 0},
            {"CUSTOM_P", true, "", 0},
            {"CUSTOM_F", true, "", 0},
            {"HENPEI", false, "", 1},
            {"GRID", false, "", 1},
            {"PALSEL", false, "", 0},
            {"PALRGB", false, "", 1},
            {"PALCMY", false, "", 0},
            {"PALHSL", false, "", 1},
            {"TRANSM", false, "", 1}};
}

const char* const kTestName = "MainFormTest";
const TSettingsKeys kKeys = TSettingsKeys::ForTest(kTestName);

void WriteKey(const std::vector<Value>& values) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKeys.Root, true));
    for (const Value& v : values) {
        if (v.IsString)
            reg.WriteString(v.Name, v.Text);
        else
            reg.WriteInteger(v.Name, v.Number);
    }
}

// Records what the import would get instead of reading it.
class RecordingForm : public TForm1 {
public:
    using TForm1::TForm1;
    void DropPanel1DropFiles(TControl*, const std::vector<std::string>& files) override { Dropped.push_back(files); }
    std::vector<std::vector<std::string>> Dropped;
};

struct MainFormTest : ::testing::Test {
    void SetUp() override {
        TApplication::Instance().Initialize();
        DeleteTestKeys(kTestName);
        dir = TempFolder("tamsolo-start");
        DeleteFileW(W(dir + "\\Tamsolo.EXE").c_str());
        SetCurrentDirectoryW(W(dir).c_str());
    }
    void TearDown() override { DeleteTestKeys(kTestName); }
    std::unique_ptr<RecordingForm> Start(const std::string& cmd = "") {
        return std::make_unique<RecordingForm>(GetModuleHandleW(nullptr), cmd, kKeys);
    }
    bool AssociationButtonsEnabled(TForm1& f) {
        bool all = f.OptionsPage->shellbmp->Enabled() && f.OptionsPage->shellico->Enabled() && f.OptionsPage->shellcur->Enabled() && f.OptionsPage->shellani->Enabled();
        bool any = f.OptionsPage->shellbmp->Enabled() || f.OptionsPage->shellico->Enabled() || f.OptionsPage->shellcur->Enabled() || f.OptionsPage->shellani->Enabled();
        EXPECT_EQ(all, any) << "the four buttons go together";
        return all;
    }
    std::string dir;
    RecordedBoxes boxes;
};

} // namespace

TEST_F(MainFormTest, ShowsSixCaptionedPages) {
    auto f = Start();
    const char* captions[] = {"イメージの編集", "フレームの編集", "ﾌｧｲﾙｵﾌﾟｼｮﾝ", "設定1", "設定2", "About"};
    ASSERT_EQ(f->PageControl1->PageCount(), 6);
    ASSERT_NE(f->Page1->Handle(), nullptr);
    // The hidden pages' windows are made when they are first shown, in their place.
    for (int i = 1; i < 6; ++i) EXPECT_EQ(f->PageControl1->Page(i)->Handle(), nullptr) << i;
    const RECT first = f->Page1->BoundsRect();
    for (int i = 0; i < 6; ++i) {
        TTabSheet* page = f->PageControl1->Page(i);
        EXPECT_EQ(page->PageCaption(), captions[i]);
        f->PageControl1->SetActivePage(page);
        ASSERT_NE(page->Handle(), nullptr) << i;
        EXPECT_EQ(FindComponent(f->Handle(), "Page" + std::to_string(i + 1)), page->Handle());
        EXPECT_TRUE(page->Visible()) << i;
        const RECT r = page->BoundsRect();
        EXPECT_TRUE(EqualRect(&r, &first)) << i;
        for (int j = 0; j < 6; ++j) {
            if (j != i && f->PageControl1->Page(j)->Handle()) {
                EXPECT_FALSE(f->PageControl1->Page(j)->Visible()) << i << " " << j;
            }
        }
    }
    EXPECT_EQ(f->DocName(), "無題");
    EXPECT_EQ(f->Caption(), "Tamsolo");
}

TEST_F(MainFormTest, TheCursorPageIsBuiltWhenFirstShownFromSchemesReadAtStart) {
    auto f = Start();
    EXPECT_TRUE(f->SchemesRead());
    EXPECT_EQ(FindComponent(f->Handle(), "WinCurDesin"), nullptr);
    f->PageControl1->SetActivePage(f->Page4);
    EXPECT_EQ(FindComponent(f->Handle(), "WinCurDesin"), nullptr);  // another page builds nothing
    f->PageControl1->SetActivePage(f->Page5);
    ASSERT_TRUE(f->CursorPage->ContentsBuilt());
    EXPECT_EQ(FindComponent(f->Handle(), "WinCurDesin"), f->CursorPage->WinCurDesin->Handle());
    EXPECT_EQ(GetParent(f->CursorPage->GroupBox3->Handle()), f->Page5->Handle());
    EXPECT_EQ(f->CursorPage->WinCurDesin->Text(), f->CursorPage->Schemes().Text());
    EXPECT_EQ(f->CursorPage->WinCurDesin->Count(), static_cast<int>(f->CursorPage->Schemes().Names().size()));
    EXPECT_EQ(f->CursorPage->ListBox3->Count(), 15);
    EXPECT_TRUE(boxes.Calls.empty());
}

TEST_F(MainFormTest, FirstStartWithoutAKeyFallsBack) {
    auto f = Start();
    EXPECT_EQ(f->Path(), WindowsCursorFolder());
    EXPECT_EQ(f->OptionsPage->DefCol->Color(), clTeal);
    EXPECT_FALSE(f->OptionsPage->NoDlgDisp->Checked());
    EXPECT_FALSE(AssociationButtonsEnabled(*f));  // no Tamsolo.EXE in the start folder
    EXPECT_FALSE(f->Timer3->Enabled());
    EXPECT_FALSE(f->EditorOptions().Grid);
    EXPECT_EQ(f->OptionsPage->Panel13->Caption(), "");
    f.reset();

    // With the program in the start folder the buttons are enabled.
    HANDLE h = CreateFileW(W(dir + "\\Tamsolo.EXE").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(h);
    TRegistry().DeleteKey(kKeys.Root);
    auto g = Start();
    EXPECT_TRUE(AssociationButtonsEnabled(*g));
    EXPECT_FALSE(g->ExePath().empty());
}

TEST_F(MainFormTest, AStartFolderLongerThanAPathBufferIsTakenWhole) {
    std::wstring deep = L"\\\\?\\" + W(dir);
    for (int i = 0; i < 6; ++i) {
        deep += L"\\" + std::wstring(60, static_cast<wchar_t>(L'a' + i));
        CreateDirectoryW(deep.c_str(), nullptr);
    }
    const std::string folder = U(deep.substr(4));
    ASSERT_GT(folder.size(), static_cast<std::size_t>(MAX_PATH));
    ASSERT_TRUE(SetCurrentDirectoryW(W(folder).c_str()));
    auto f = Start();
    EXPECT_EQ(f->StartDir(), folder);
    f.reset();
    SetCurrentDirectoryW(W(dir).c_str());
}

TEST_F(MainFormTest, AKeyWrittenAtCloseIsReadBackAtTheNextStart) {
    std::string penFile = dir + "\\pen.cur";
    HANDLE h = CreateFileW(W(penFile).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(h);
    WriteKey(CompleteKey("C:\\work"));  // a complete key: the editor options are handed over
    {
        auto f = Start();
        ASSERT_TRUE(PumpUntil([&] { return !f->Timer3->Enabled(); }));
        EXPECT_TRUE(f->EditorOptions().Grid);
        f->OptionsPage->NoDlgDisp->SetChecked(false);
        f->OptionsPage->ResizeCheck->SetChecked(false);
        f->OptionsPage->ReduceCheck->SetChecked(true);
        f->OptionsPage->Henpei->SetChecked(false);
        f->OptionsPage->SetDefaultColour(0x00ABCDEF);
        f->OptionsPage->Panel14->SetText(penFile);
        f->OptionsPage->CustumPen->SetChecked(true);
        // What the import reads: the record, which the page's controls wrote.
        EXPECT_EQ(f->Settings().Import, (TImportSettings{false, 0x00ABCDEF, false, true, false}));
        EXPECT_EQ(f->Settings().Pen, (TCustomCursorSetting{true, penFile}));
        f->Close();
    }
    auto g = Start();
    EXPECT_EQ(g->Path(), "C:\\work");
    EXPECT_FALSE(g->OptionsPage->NoDlgDisp->Checked());
    EXPECT_FALSE(g->OptionsPage->ResizeCheck->Checked());
    EXPECT_TRUE(g->OptionsPage->ReduceCheck->Checked());
    EXPECT_FALSE(g->OptionsPage->Henpei->Checked());
    EXPECT_EQ(g->OptionsPage->DefCol->Color(), 0x00ABCDEF);
    EXPECT_EQ(g->OptionsPage->Panel13->Caption(), "C:\\spi");
    EXPECT_EQ(g->OptionsPage->Panel14->Text(), penFile);
    EXPECT_TRUE(AssociationButtonsEnabled(*g));
    ASSERT_TRUE(PumpUntil([&] { return !g->Timer3->Enabled(); }));
    EXPECT_TRUE(g->OptionsPage->CustumPen->Checked());
    EXPECT_TRUE(g->EditorOptions().UseCustomPen);
    EXPECT_EQ(g->EditorOptions().CustomPenFile, penFile);
    EXPECT_FALSE(g->OptionsPage->CustumFill->Checked());  // "" names no file
    const TEditorOptions& e = g->EditorOptions();
    EXPECT_EQ(std::vector<bool>({e.Grid, e.PalSel, e.PalRGB, e.PalCMY, e.PalHSL, e.TransMode}),
              std::vector<bool>({true, false, true, false, true, true}));
}

TEST_F(MainFormTest, AKeyLackingColourKeepsWhatWasReadBeforeAndFallsBack) {
    std::vector<Value> values = CompleteKey("D:\\mine");
    values.erase(values.begin() + 3);  // COLOR
    WriteKey(values);
    auto f = Start();
    EXPECT_TRUE(f->OptionsPage->NoDlgDisp->Checked());     // read before the missing value
    EXPECT_FALSE(f->OptionsPage->ResizeCheck->Checked());  // after it: never read
    EXPECT_EQ(f->OptionsPage->DefCol->Color(), clTeal);
    EXPECT_EQ(f->OptionsPage->Panel13->Caption(), "C:\\");
    EXPECT_EQ(f->Path(), WindowsCursorFolder());
    EXPECT_FALSE(AssociationButtonsEnabled(*f));
    EXPECT_FALSE(f->Timer3->Enabled());
}

TEST_F(MainFormTest, WronglyTypedNumbersCountAsMissing) {
    std::vector<Value> values = CompleteKey("D:\\mine");
    values[4] = {"RESIZE", true, "1", 0};
    WriteKey(values);
    auto f = Start();
    EXPECT_EQ(f->OptionsPage->DefCol->Color(), 0x123456);
    EXPECT_FALSE(f->OptionsPage->ResizeCheck->Checked());
    EXPECT_EQ(f->Path(), WindowsCursorFolder());
}

TEST_F(MainFormTest, TheSusieFolderWinsOverTheStoredOne) {
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(kKeys.SusieKey, true));
        reg.WriteString("Path", "C:\\Susie");
    }
    WriteKey(CompleteKey("C:\\work"));
    auto f = Start();
    EXPECT_EQ(f->OptionsPage->Panel13->Caption(), "C:\\Susie");
}

TEST_F(MainFormTest, CloseWritesEveryValueWithItsType) {
    HANDLE h = CreateFileW(W(dir + "\\Tamsolo.EXE").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(h);
    auto f = Start();
    f->Close();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKeys.Root, false));
    const char* names[] = {"EXEPATH", "PATH",     "NODLG",    "COLOR",  "RESIZE", "REDUCE", "SPIPATH", "CUSTOM_P",
                           "CUSTOM_F", "HENPEI", "GRID",     "PALSEL", "PALRGB", "PALCMY", "PALHSL",  "TRANSM"};
    EXPECT_EQ(reg.GetValueNames().size(), 16u);
    for (int i = 0; i < 16; ++i) {
        DWORD type = 0;
        RegQueryValueExW(reg.CurrentKey(), W(names[i]).c_str(), nullptr, &type, nullptr, nullptr);
        bool isString = i <= 1 || (i >= 6 && i <= 8);
        EXPECT_EQ(type, static_cast<DWORD>(isString ? REG_SZ : REG_DWORD)) << names[i];
    }
    EXPECT_EQ(reg.ReadInteger("COLOR"), clTeal);
    EXPECT_EQ(reg.ReadString("PATH"), WindowsCursorFolder());
    EXPECT_FALSE(reg.ReadString("EXEPATH").empty());
}

TEST_F(MainFormTest, AMissingCustomPenFileIsUncheckedAndForgotten) {
    std::vector<Value> values = CompleteKey("C:\\work");
    values[7] = {"CUSTOM_P", true, dir + "\\gone.cur", 0};
    WriteKey(values);
    auto f = Start();
    ASSERT_TRUE(PumpUntil([&] { return !f->Timer3->Enabled(); }));
    EXPECT_FALSE(f->OptionsPage->CustumPen->Checked());
    EXPECT_FALSE(f->EditorOptions().UseCustomPen);
    f->Close();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKeys.Root, false));
    EXPECT_EQ(reg.ReadString("CUSTOM_P"), "");
}

// An editor that keeps the options it is given and is never shown.
class KeepingEditor : public IImageEditor {
public:
    void ClearImage() override {}
    void LoadImageData(const ImageRecord&) override {}
    void SetSubColour(int) override {}
    void SetMonoMode(bool) override {}
    int ShowModal() override { return mrCancel; }
    const ImageRecord& EditedImage() const override { return FImage; }
    TEditorOptions Options() const override { return FOptions; }
    void SetOptions(const TEditorOptions& options) override { FOptions = options; }

private:
    ImageRecord FImage;
    TEditorOptions FOptions;
};

// After a start with stored settings the options page and the editor wait until they are
// needed; the stored custom cursors wait in the settings record, the editor gets them when
// it is first made, and the close writes every value back as it was read.
TEST_F(MainFormTest, StoredSettingsWaitForThePageAndTheEditorUntilTheyAreNeeded) {
    const std::string pen = dir + "\\pen.cur", fill = dir + "\\fill.cur";
    for (const std::string& file : {pen, fill})
        CloseHandle(CreateFileW(W(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    std::vector<Value> values = CompleteKey("C:\\work");
    values[7].Text = pen;
    values[8].Text = fill;
    int made = 0;
    KeepingEditor* editor = nullptr;
    EditDlg.SetMake([&] {
        ++made;
        auto e = std::make_unique<KeepingEditor>();
        editor = e.get();
        return e;
    });
    TScopeExit noEditor([] { EditDlg.Release(); });
    auto expectWrittenBackAsRead = [&] {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(kKeys.Root, false));
        for (const Value& v : values)
            if (std::string(v.Name) == "EXEPATH")
                continue;  // the running program's own path, whatever was stored
            else if (v.IsString)
                EXPECT_EQ(reg.ReadString(v.Name), v.Text) << v.Name;
            else
                EXPECT_EQ(reg.ReadInteger(v.Name), v.Number) << v.Name;
    };
    auto expectStoredCursors = [&](const TEditorOptions& e) {
        EXPECT_TRUE(e.UseCustomPen);
        EXPECT_EQ(e.CustomPenFile, pen);
        EXPECT_TRUE(e.UseCustomFill);
        EXPECT_EQ(e.CustomFillFile, fill);
        EXPECT_EQ(std::vector<bool>({e.Grid, e.PalSel, e.PalRGB, e.PalCMY, e.PalHSL, e.TransMode}),
                  std::vector<bool>({true, false, true, false, true, true}));
    };

    // Never needed: nothing is made, not even by the close.
    WriteKey(values);
    {
        auto f = Start();
        ASSERT_TRUE(PumpUntil([&] { return !f->Timer3->Enabled(); }));
        EXPECT_EQ(f->OptionsPage.IfMade(), nullptr);
        EXPECT_EQ(made, 0);
        EXPECT_EQ(f->Settings().Pen, (TCustomCursorSetting{true, pen}));
        EXPECT_EQ(f->Settings().Fill, (TCustomCursorSetting{true, fill}));
        expectStoredCursors(f->EditorOptions());
        f->Close();
        EXPECT_EQ(made, 0);
        EXPECT_EQ(f->OptionsPage.IfMade(), nullptr);
    }
    expectWrittenBackAsRead();

    // The editor first needed after the hand-over: it is made with the stored options.
    {
        auto f = Start();
        ASSERT_TRUE(PumpUntil([&] { return !f->Timer3->Enabled(); }));
        EXPECT_EQ(made, 0);
        f->ImagePage->NewBtnClick();
        ASSERT_EQ(made, 1);
        expectStoredCursors(editor->Options());
        EXPECT_EQ(f->OptionsPage.IfMade(), nullptr);
        // The page, made later, shows the record.
        EXPECT_TRUE(f->OptionsPage->CustumPen->Checked());
        EXPECT_EQ(f->OptionsPage->Panel15->Text(), fill);
        expectStoredCursors(editor->Options());
        f->Close();
    }
    expectWrittenBackAsRead();
}

TEST_F(MainFormTest, TheCommandLineFileIsOpenedOnceAfterTheFirstPaint) {
    auto f = Start("\"C:\\a b\\x.ani\"");
    EXPECT_TRUE(f->Dropped.empty());
    f->ShowForm();
    ASSERT_TRUE(PumpUntil([&] { return !f->Dropped.empty(); }));
    f->Repaint();
    TApplication::Instance().ProcessMessages();
    ASSERT_EQ(f->Dropped.size(), 1u);
    EXPECT_EQ(f->Dropped[0], std::vector<std::string>{"C:\\a b\\x.ani"});

    auto g = Start("");
    g->ShowForm();
    PumpUntil([] { return false; }, 100);
    EXPECT_TRUE(g->Dropped.empty());
}

TEST_F(MainFormTest, TheAboutLinkTurnsBlueUnderTheMouse) {
    auto f = Start();
    TLabel& link = *f->AboutPage->Label15;
    link.Perform(WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(link.FontColor(), clBlue);
    f->Page6->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(link.FontColor(), clBlack);
}

TEST_F(MainFormTest, TheHiddenPagesAreMadeWhenFirstNeededAndShowTheDocumentAsItStands) {
    WriteKey({{"NODLG", false, "", 1}});  // files are taken without asking for a background
    auto f = Start();
    EXPECT_EQ(f->FramePage.IfMade(), nullptr);
    EXPECT_EQ(f->FileOptionsPage.IfMade(), nullptr);
    EXPECT_EQ(f->OptionsPage.IfMade(), nullptr);
    EXPECT_EQ(f->AboutPage.IfMade(), nullptr);
    for (const char* name : {"ListBox2", "IName", "NoDlgDisp", "Label15"}) EXPECT_EQ(FindComponent(f->Handle(), name), nullptr) << name;

    // An animated cursor with a title, an author, an interval and the monochrome cursor
    // option, opened while the file-option page is not there.
    const CCURSOR image = anitest::PatternImage(1);
    AniWriteInput in;
    in.Images = {&image};
    in.InsertInfo = true;
    in.Title = "題名";
    in.Author = "作者";
    in.DefaultRate = 23;
    const std::string ani = dir + "\\titled.ani";
    const std::vector<uint8_t> bytes = BuildAniFile(in);
    ASSERT_FALSE(bytes.empty());
    WriteWholeFile(ani, bytes.data(), bytes.size());
    ASSERT_EQ(f->OpenImageFile(ani), TForm1::TOpenResult::Added);
    EXPECT_EQ(f->FileOptionsPage.IfMade(), nullptr);
    ASSERT_NE(f->FramePage.IfMade(), nullptr);  // the frames went into it
    EXPECT_EQ(f->FramePage->DefaultSpeed->Value(), 23);
    EXPECT_EQ(f->FramePage->ListBox2->Count(), 1);

    f->PageControl1->SetActivePage(f->Page3);
    ASSERT_NE(f->FileOptionsPage.IfMade(), nullptr);
    EXPECT_EQ(f->FileOptionsPage->IName->Text(), "題名");
    EXPECT_EQ(f->FileOptionsPage->IArt->Text(), "作者");
    EXPECT_TRUE(f->FileOptionsPage->InsertInfo->Checked());
    EXPECT_EQ(FindComponent(f->Handle(), "IName"), f->FileOptionsPage->IName->Handle());
    EXPECT_EQ(GetParent(f->FileOptionsPage->IName->Handle()), f->Page3->Handle());

    f->PageControl1->SetActivePage(f->Page4);
    ASSERT_NE(f->OptionsPage.IfMade(), nullptr);
    EXPECT_EQ(GetParent(f->OptionsPage->GroupBox1->Handle()), f->Page4->Handle());
    f->PageControl1->SetActivePage(f->Page6);
    ASSERT_NE(f->AboutPage.IfMade(), nullptr);
    EXPECT_TRUE(IsChild(f->Page6->Handle(), f->AboutPage->Label15->Handle()));
    EXPECT_TRUE(boxes.Calls.empty());
}
