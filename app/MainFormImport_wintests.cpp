// The file commands of the main window on a real window: dropped, opened, pasted and
// command-line files, the background question, the image limit, and the save commands.
#include <shlobj.h>

#include <cstring>
#include <functional>

#include "app/DropPanel.h"
#include "app/ExtIconTestSupport.h"
#include "app/IconEx.h"
#include "app/ImportTestSupport.h"
#include "app/MainWindowTestSupport.h"
#include "base/ByteIO.h"
#include "base/Format.h"
#include "formats/AniTestSupport.h"
#include "formats/HostilePictureFiles.h"
#include "formats/ImageWriters.h"
#include "formats/PictureImport.h"
#include "ui/Clipboard.h"
#include "ui/FileDialogs.h"
#include "ui/Registry.h"

namespace {

struct ImportTest : MainWindowTest {
    ImportTest() : MainWindowTest("tamsolo-import") {}
    void SetUp() override {
        MainWindowTest::SetUp();
        form->OptionsPage->NoDlgDisp->SetChecked(true);
        AnswerExtIcon(-1);  // icons that no reader takes are offered to the icon picker: cancelled
    }
    void TearDown() override {
        StopAnsweringExtIcon();
        MainWindowTest::TearDown();
    }
    std::vector<std::string> Texts() const { return Messages(); }
    TColor Shown(int image, int x, int y) const {
        const CCURSOR& e = form->Entry(image);
        return ShownColour(e.Palette, e.Inverse, e.Pixels.At(x, y));
    }
    void Drop(const std::vector<std::string>& files) { SendDrop(form->DropPanel1->Handle(), files); }

};

TEST(DropPanel, ReportsEveryNameOfOneDropAtFullLengthAndSurvivesAThrowingHandler) {
    TApplication::Instance().Initialize();
    RecordedBoxes boxes;
    TForm host("Host", "host", 200, 100);
    TDropPanel panel(&host, "Panel");
    EXPECT_FALSE(panel.GetDragDropAccept());
    panel.SetDragDropAccept(true);
    EXPECT_TRUE(panel.GetDragDropAccept());
    EXPECT_TRUE(GetWindowLongW(panel.Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

    SendDrop(panel.Handle(), {"C:\\a.ico"});  // no handler: read and discarded
    const std::string longName = "C:\\" + std::string(300, 'x') + "\\ｲﾒｰｼﾞ.bmp";
    std::vector<std::vector<std::string>> calls;
    std::vector<int> counts;
    panel.OnDropFiles = [&](TControl* sender, int n, const std::vector<std::string>& names) {
        EXPECT_EQ(sender, &panel);
        counts.push_back(n);
        calls.push_back(names);
        if (names.size() == 1) throw std::runtime_error("boom");
    };
    SendDrop(panel.Handle(), {"C:\\a.ico", longName, "D:\\c.ani"});
    SendDrop(panel.Handle(), {"C:\\one.cur"});
    SendDrop(panel.Handle(), {"C:\\b.bmp", "C:\\c.bmp"});
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(counts, (std::vector<int>{3, 1, 2}));
    EXPECT_EQ(calls[0], (std::vector<std::string>{"C:\\a.ico", longName, "D:\\c.ani"}));
    EXPECT_EQ(calls[2], (std::vector<std::string>{"C:\\b.bmp", "C:\\c.bmp"}));
    ASSERT_EQ(boxes.Calls.size(), 1u);  // the exception, shown by the application
    EXPECT_EQ(boxes.Calls[0].Text, "boom.");
}

TEST_F(ImportTest, EveryControlLiesOnTheDropPanel) {
    HWND panel = form->DropPanel1->Handle();
    EXPECT_TRUE(GetWindowLongW(panel, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    for (HWND h : {form->PageControl1->Handle(), form->SaveANIBtn->Handle(), form->SaveIconBtn->Handle()})
        EXPECT_EQ(GetParent(h), panel);
    EXPECT_EQ(GetParent(panel), form->Handle());
    // Controls moved onto the panel still get their clicks.
    bool asked = false;
    SetFileDialogHook([&](TFileDialog&) { return asked = true, false; });
    form->ImagePage->OpenBtn->Perform(BM_CLICK);
    EXPECT_TRUE(asked);
}

TEST_F(ImportTest, ADropOfSeveralFilesAddsEachAsAnImageAndAFrame) {
    Drop({Fixture("icotool_8bit.cur"), Fixture("icotool_4bit.ico"), Fixture("icotool_1bit.cur"), Data("im_bmp3_8bit.bmp"),
          Data("im_rle8.bmp"), Data("im_v5_palette.bmp"), Data("pil_1bit.bmp")});
    EXPECT_TRUE(Texts().empty()) << Texts().front();
    ASSERT_EQ(form->LastImage(), 6);
    EXPECT_EQ(FormatFrameLines(form->Document().Frames()), (std::vector<std::string>{FormatFrameLine(0, 10), FormatFrameLine(1, 10),
                                                             FormatFrameLine(2, 10), FormatFrameLine(3, 10),
                                                             FormatFrameLine(4, 10), FormatFrameLine(5, 10),
                                                             FormatFrameLine(6, 10)}));
    const char* names[] = {"icotool_8bit", "icotool_4bit", "icotool_1bit", "im_bmp3_8bit", "im_rle8", "im_v5_palette", "pil_1bit"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(form->ImagePage->ListBox1->Item(i), names[i]);
        EXPECT_EQ(form->Entry(i).ImageName, names[i]);
    }
    EXPECT_EQ(form->Path(), Fixture(""));  // the folder of the first file
    // The cursors keep their hotspots, the icon has none; colours as the tools wrote them.
    EXPECT_EQ(form->Entry(0).HotX, 31);
    EXPECT_EQ(form->Entry(0).HotY, 2);
    EXPECT_EQ(form->Entry(1).HotX + form->Entry(1).HotY, 0);
    EXPECT_EQ(form->Entry(2).HotX, 5);
    EXPECT_EQ(form->Entry(2).HotY, 7);
    EXPECT_EQ(Shown(0, 20, 20), RGB(18, 202, 230));
    EXPECT_TRUE(form->Entry(0).Transparent);
    EXPECT_EQ(form->Entry(0).OutPixels.Mask()[31 * 4] & 0x80, 0x80);  // the top-left corner is masked
    EXPECT_EQ(Shown(3, 4, 0), RGB(142, 193, 131));
    EXPECT_EQ(Shown(3, 31, 30), RGB(16, 48, 49));
    EXPECT_EQ(Shown(4, 20, 20), RGB(0, 0, 255));
    EXPECT_EQ(Shown(4, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(Shown(5, 20, 20), RGB(0, 0, 128));
    EXPECT_EQ(Shown(6, 4, 0), RGB(0, 0, 0));
    EXPECT_EQ(Shown(6, 20, 20), RGB(255, 255, 255));
    // A bitmap's top-left colour is its transparent colour.
    EXPECT_TRUE(form->Entry(4).Transparent);
    EXPECT_EQ(form->Entry(4).TransColor, RGB(255, 0, 0));
    EXPECT_EQ(form->CurImage(), 6);
    EXPECT_TRUE(form->SaveANIBtn->Enabled());
    EXPECT_TRUE(form->ImagePage->Image1->Visible());
}

TEST_F(ImportTest, ADropUpdatesTheListsOnceAndShowsItsLastImageAndFrame) {
    // The lists show the whole drop, in the document's order, with the last image and the
    // last added frame selected; a selected frame takes the new frames before it, one by one.
    TListBox& images = *form->ImagePage->ListBox1;
    TListBox& frames = *form->FramePage->ListBox2;
    auto expectShown = [&](int selectedFrame, const std::string& shownName) {
        EXPECT_EQ(images.Count(), form->LastImage() + 1);
        EXPECT_EQ(form->ImagePage->ImageList1.Count(), form->LastImage() + 1);
        EXPECT_EQ(images.ItemIndex(), form->LastImage());
        EXPECT_EQ(form->CurImage(), form->LastImage());
        std::vector<std::string> lines;
        for (int i = 0; i < frames.Count(); ++i) lines.push_back(frames.Item(i));
        EXPECT_EQ(lines, FormatFrameLines(form->Document().Frames()));
        EXPECT_EQ(frames.ItemIndex(), selectedFrame);
        EXPECT_EQ(form->FramePage->Panel3->Caption(), shownName);
        EXPECT_EQ(form->ImagePage->Image1->Bitmap().Pixel(20, 20), Shown(form->LastImage(), 20, 20));
    };
    Drop({Fixture("icotool_8bit.cur"), Data("im_rle8.bmp"), Data("pil_1bit.bmp")});
    expectShown(2, "pil_1bit");
    frames.SetItemIndex(0);
    form->FramePage->ListBox2Click();
    Drop({Fixture("icotool_4bit.ico"), Data("im_v5_palette.bmp")});
    EXPECT_EQ(FormatFrameLines(form->Document().Frames()),
              (std::vector<std::string>{FormatFrameLine(4, 10), FormatFrameLine(3, 10), FormatFrameLine(0, 10),
                                        FormatFrameLine(1, 10), FormatFrameLine(2, 10)}));
    expectShown(0, "im_v5_palette");
}

TEST_F(ImportTest, FilesThatGiveNoImageAreReportedAndAddNothing) {
    const std::string notImported = "は\nｲﾒｰｼﾞが含まれていないか,入力がｷｬﾝｾﾙされたため読み込めませんでした。";
    const std::string mixed = folder + "mixed.aNi";
    const std::string broken = folder + "broken.ani";
    WriteWholeFile(mixed, "RIFF", 4);
    WriteWholeFile(broken, "RIFF\x10\0\0\0ACONjunk", 16);
    const std::string wide = folder + "wide.ani";  // its icon claims to be 48 pixels wide
    {
        const CCURSOR image = anitest::PatternImage(1);
        AniWriteInput in;
        in.Images = {&image};
        std::vector<uint8_t> f = BuildAniFile(in);
        PutLE32(f.data() + 68 + 8 + 22 + 4, 48);
        WriteWholeFile(wide, f.data(), f.size());
    }
    // Pictures declared past the import's size limit.
    const std::string bombBmp = folder + "bomb.bmp", bombPng = folder + "bomb.png";
    const std::vector<uint8_t> bmp = RleBombBitmap(), png = PngBombHeader();
    WriteWholeFile(bombBmp, bmp.data(), bmp.size());
    WriteWholeFile(bombPng, png.data(), png.size());
    struct Case {
        std::string Path;
        std::vector<std::string> Texts;
    } cases[] = {
        {bombBmp, {bombBmp + " " + notImported}},
        {bombPng, {bombPng + " " + notImported}},
        {Data("bitmap_named.ico"),
         {Data("bitmap_named.ico") + " は\nｴｸｽﾌﾟﾛｰﾗ擬似ｱｲｺﾝ(ﾋﾞｯﾄﾏｯﾌﾟ)です。", Data("bitmap_named.ico") + " " + notImported}},
        {Fixture("icotool_32bit.ico"),
         {"サイズは32x32ですが24bitカラー形式しか含まれていません。\nvevedaで読み込みます。",
          Fixture("icotool_32bit.ico") + " " + notImported}},
        // The pick is a PNG-compressed 32x32 image.
        {Fixture("pillow_png.ico"),
         {"サイズは32x32ですが24bitカラー形式しか含まれていません。\nvevedaで読み込みます。",
          Fixture("pillow_png.ico") + " " + notImported}},
        {Data("icotool_48.ico"),
         {"未対応サイズ(48x48)\nvevedaで読み込みます。\n元のﾊﾟﾚｯﾄとﾎｯﾄｽﾎﾟｯﾄは無視されます。", Data("icotool_48.ico") + " " + notImported}},
        {mixed, {mixed + " " + notImported}},
        {folder + "missing.bmp", {folder + "missing.bmp " + notImported}},
        {broken, {broken + " は\nRIFFｱﾆﾒｰｼｮﾝﾎﾟｲﾝﾀではないか、\nまたは対応されていない形式です。"}},
        {wide, {"データが不正!サイズ(x48)", wide + " は\nRIFFｱﾆﾒｰｼｮﾝﾎﾟｲﾝﾀではないか、\nまたは対応されていない形式です。"}},
        {folder + "missing.ani", {folder + "missing.ani の\n読み込みに失敗しました。"}},
    };
    for (const Case& c : cases) {
        boxes.Calls.clear();
        // Dropped with a good file, so that the broken one is one of several.
        Drop({c.Path, Data("pil_1bit.bmp")});
        EXPECT_EQ(Texts(), c.Texts) << c.Path;
        EXPECT_EQ(form->ImagePage->ListBox1->Item(form->LastImage()).substr(0, 8), "pil_1bit") << c.Path;
    }
    EXPECT_EQ(form->LastImage(), static_cast<int>(std::size(cases)) - 1);
    for (const auto& call : boxes.Calls) {
        if (call.Caption != "<beep>" && call.Text.find("読み込めません") != std::string::npos) {
            EXPECT_EQ(call.Caption, "開いたファイル");
        }
    }
}

TEST_F(ImportTest, ATrueColourIconDroppedWithAPalettedOneWaitsOnlyForThePicker) {
    // With the background question off, the 4-bit icon is read at once. The 32-bit one is told
    // about (a message box), then offered to the icon picker, the one dialog of the drop that
    // waits for an answer; the pick goes through the colour reduction, whose dialog ends by itself.
    const std::string trueColour = Fixture("icotool_32bit.ico");
    const std::string told = "サイズは32x32ですが24bitカラー形式しか含まれていません。\nvevedaで読み込みます。";
    const std::string notImported = trueColour + " は\nｲﾒｰｼﾞが含まれていないか,入力がｷｬﾝｾﾙされたため読み込めませんでした。";
    using Names = std::vector<std::string>;
    struct Case {
        const char* Name;
        bool Answered;
        int Pick;
        Names Texts, Shown, Closed;
    } cases[] = {
        {"picked", true, 0, {told}, {"ExtIcon", "ReduceColDlg"}, {}},
        {"cancelled", true, -1, {told, notImported}, {"ExtIcon"}, {}},
        // Nobody answers the picker: the drop waits on it (the hang such a test meets), until
        // the watch closes it as a user could.
        {"unanswered", false, -1, {told, notImported}, {"ExtIcon"}, {"ExtIcon"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        form->ImagePage->ClearAllImages();
        boxes.Calls.clear();
        if (c.Answered)
            AnswerExtIcon(c.Pick);
        else
            StopAnsweringExtIcon();
        TDialogWatch watch(form->Handle(), c.Answered ? 15000 : 300);
        Drop({Fixture("icotool_4bit.ico"), trueColour});
        EXPECT_EQ(watch.Shown, c.Shown);
        EXPECT_EQ(watch.Closed, c.Closed);
        EXPECT_EQ(Texts(), c.Texts);
        const int images = c.Pick >= 0 ? 2 : 1;
        ASSERT_EQ(form->LastImage(), images - 1);
        EXPECT_EQ(form->ImagePage->ListBox1->Item(0), "icotool_4bit");
        if (images == 2) {
            EXPECT_EQ(form->ImagePage->ListBox1->Item(1), "icotool_32bit");
        }
        EXPECT_EQ(form->FramePage->ListBox2->Count(), images);
    }
}

TEST_F(ImportTest, ASingleAnimatedCursorReplacesTheDocumentAndOneAmongOthersIsAdded) {
    Drop({Fixture("icotool_8bit.cur"), Fixture("icotool_4bit.ico"), Data("pil_1bit.bmp")});
    form->FileOptionsPage->IName->SetText("歩く");
    form->FileOptionsPage->InsertInfo->SetChecked(true);
    form->FramePage->InsertFram->SetChecked(true);
    form->FramePage->SetFrameLine(2, 7, 0);  // frames 2, 1, 2
    form->FramePage->SetFrameLine(2, 9, 2);
    const std::string walk = folder + "walk.ani";
    DeleteFileUtf8(walk);
    SetFileDialogHook([&](TFileDialog& d) {
        d.FileName = folder + "walk.txt";
        d.FilterIndex = 1;
        return true;
    });
    PostMessageW(saveMode->Button1->Handle(), BM_CLICK, 0, 0);
    form->SaveANIBtnClick();
    ASSERT_TRUE(FileExists(walk));
    TCursorHandle loaded(LoadCursorFromFileW(W(walk).c_str()));  // the system's own loader takes it
    EXPECT_TRUE(loaded);

    // A broken single .ani leaves everything as it was.
    const std::string broken = folder + "broken.ani";
    WriteWholeFile(broken, "RIFF\x10\0\0\0ACONjunk", 16);
    boxes.Calls.clear();
    Drop({broken});
    EXPECT_EQ(Texts().size(), 1u);
    EXPECT_EQ(form->LastImage(), 2);
    EXPECT_EQ(FormatFrameLines(form->Document().Frames()).size(), 3u);
    EXPECT_EQ(form->DocName(), "無題");

    boxes.Calls.clear();
    Drop({walk});
    EXPECT_TRUE(Texts().empty());
    ASSERT_EQ(form->LastImage(), 2);
    EXPECT_EQ(form->DocName(), "walk");
    EXPECT_EQ(form->ImagePage->ListBox1->Item(0), "walk_00");
    EXPECT_EQ(FormatFrameLines(form->Document().Frames()),
              (std::vector<std::string>{FormatFrameLine(2, 7), FormatFrameLine(1, 10), FormatFrameLine(2, 9)}));
    EXPECT_TRUE(form->FramePage->InsertFram->Checked());
    EXPECT_TRUE(form->FileOptionsPage->InsertInfo->Checked());
    EXPECT_EQ(form->FileOptionsPage->IName->Text(), "歩く");
    EXPECT_EQ(form->Document().Title(), "歩く");
    EXPECT_EQ(form->Entry(0).HotX, 31);
    EXPECT_EQ(Shown(0, 20, 20), RGB(18, 202, 230));

    // Among other files the animated cursor is added, its frames naming the new images.
    Drop({Data("im_rle8.bmp"), walk});
    ASSERT_EQ(form->LastImage(), 6);
    EXPECT_EQ(form->ImagePage->ListBox1->Item(3), "im_rle8");
    EXPECT_EQ(form->ImagePage->ListBox1->Item(4), "walk_00");
    std::vector<std::string> lines = FormatFrameLines(form->Document().Frames());
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[4], FormatFrameLine(6, 7));
    EXPECT_EQ(lines[6], FormatFrameLine(6, 9));

    // One file at a time: a refused animated cursor is told from an added one.
    boxes.Calls.clear();
    EXPECT_EQ(form->OpenImageFile(broken), TForm1::TOpenResult::NothingAdded);
    EXPECT_EQ(Texts().size(), 1u);
    EXPECT_EQ(form->LastImage(), 6);
    EXPECT_EQ(form->OpenImageFile(walk), TForm1::TOpenResult::Added);
    EXPECT_EQ(form->LastImage(), 9);
    // The options the file brought are the document's, and the writer takes them from there.
    EXPECT_TRUE(form->Document().AniOptions().InsertFram);
    EXPECT_TRUE(form->Document().AniOptions().InsertInfo);
    EXPECT_TRUE(form->AniInput(AniSaveMode::Colours256).InsertFram);
}

TEST_F(ImportTest, TheImageLimitStopsTheDropWithItsMessage) {
    ImageRecord r;
    r.Palette[1] = TRGBQuad{0, 0, 255, 0};
    for (int i = 0; i < 999; ++i) ASSERT_TRUE(form->ImagePage->AddImage(r, 0, 0, 0, 0, "x", "x"));
    Drop({Data("pil_1bit.bmp"), Data("im_rle8.bmp")});
    EXPECT_EQ(form->LastImage(), 999);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"イメージの数が1000個を超えたのですべてのイメージを読み込めませんでした。"}));
    EXPECT_FALSE(form->ImagePage->OpenBtn->Enabled());
    boxes.Calls.clear();
    Drop({Data("im_rle8.bmp")});
    EXPECT_EQ(form->LastImage(), 999);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"イメージは1000個までです。"}));
}

TEST_F(ImportTest, TheBackgroundQuestionCanAnswerForEveryIconOfTheDrop) {
    form->OptionsPage->NoDlgDisp->SetChecked(false);
    form->OptionsPage->SetDefaultColour(clTeal);
    std::vector<bool> checkBoxShown;
    AnswerBackColour(RGB(10, 20, 30), true, checkBoxShown);
    Drop({Fixture("icotool_8bit.cur"), Fixture("icotool_4bit.ico")});
    ASSERT_EQ(form->LastImage(), 1);
    EXPECT_EQ(checkBoxShown, (std::vector<bool>{true}));  // asked once, for all
    for (int i = 0; i < 2; ++i) {
        const CCURSOR& e = form->Entry(i);
        EXPECT_EQ(Shown(i, e.TransX, e.TransY), RGB(10, 20, 30)) << i;
        EXPECT_TRUE(e.Transparent) << i;
    }
    // One icon alone: asked without the check box; a 1-bit icon takes the default colour.
    checkBoxShown.clear();
    AnswerBackColour(RGB(1, 2, 3), false, checkBoxShown);
    Drop({Fixture("icotool_4bit.ico")});
    EXPECT_EQ(checkBoxShown, (std::vector<bool>{false}));
    EXPECT_EQ(Shown(2, form->Entry(2).TransX, form->Entry(2).TransY), RGB(1, 2, 3));
    checkBoxShown.clear();
    Drop({Fixture("icotool_1bit.cur")});
    EXPECT_TRUE(checkBoxShown.empty());
    EXPECT_EQ(form->Entry(3).TransColor, clTeal);
    StopAnswering();
}

TEST_F(ImportTest, TheOpenDialogStartsInTheLastFolderAndHandsOnEveryChosenFile) {
    std::vector<TFileDialog> seen;
    SetFileDialogHook([&](TFileDialog& d) {
        seen.push_back(d);
        d.Files = {Data("im_rle8.bmp"), Fixture("icotool_4bit.ico")};
        return true;
    });
    const std::string start = form->Path();
    form->OpenBtnClick();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].InitialDir, start);
    EXPECT_EQ(seen[0].FilterIndex, 7);
    EXPECT_TRUE(seen[0].MultiSelect);
    EXPECT_TRUE(seen[0].FileMustExist);
    EXPECT_EQ(seen[0].Filter.substr(0, 30), std::string("ビットマップ (*.bmp)|*.bmp|ﾎ").substr(0, 30));
    EXPECT_NE(seen[0].Filter.find("|すべてのファイル(*.*)|*.*"), std::string::npos);
    ASSERT_EQ(form->LastImage(), 1);
    EXPECT_EQ(form->ImagePage->ListBox1->Item(1), "icotool_4bit");
    EXPECT_EQ(form->Path(), Data(""));
    SetFileDialogHook([&](TFileDialog&) { return false; });
    form->OpenBtnClick();
    EXPECT_EQ(form->LastImage(), 1);
}

TEST_F(ImportTest, TheCommandLineFileIsOpenedAfterTheFirstPaint) {
    TForm1 other(GetModuleHandleW(nullptr), Format("\"%s\"", Data("im_rle8.bmp").c_str()), form->SettingsKeys());
    other.FormPaint();
    ASSERT_TRUE(PumpUntil([&] { return other.LastImage() == 0; }));
    EXPECT_EQ(other.ImagePage->ListBox1->Item(0), "im_rle8");
    EXPECT_EQ(other.Document().Frames().size(), 1u);
}

TEST_F(ImportTest, PastedBitmapsAreNamedClipboardAndCopyPutsTheImageOnTheClipboard) {
    TBitmap b;
    b.LoadFromFile(Data("im_bmp3_8bit.bmp"));
    ASSERT_TRUE(WriteClipboardBitmap(form->Handle(), b));
    const std::string path = form->Path();
    form->PasteClipBtnClick();
    form->PasteClipBtnClick();
    ASSERT_EQ(form->LastImage(), 1);
    EXPECT_EQ(form->ImagePage->ListBox1->Item(0), "ｸﾘｯﾌﾟﾎﾞｰﾄﾞ");
    EXPECT_EQ(form->ImagePage->ListBox1->Item(1), "ｸﾘｯﾌﾟﾎﾞｰﾄﾞ1");
    EXPECT_EQ(Shown(1, 31, 30), RGB(16, 48, 49));
    EXPECT_EQ(form->Path(), path);
    EXPECT_FALSE(FileExists(folder + kClipboardFileName));
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    EXPECT_FALSE(FileExists(U(tmp) + kClipboardFileName));

    Drop({Data("im_rle8.bmp")});
    form->CopyClipBtnClick();
    TBitmap copied;
    ASSERT_TRUE(ReadClipboardBitmap(form->Handle(), copied));
    EXPECT_EQ(copied.Pixel(20, 20), RGB(0, 0, 255));
    EXPECT_EQ(copied.Pixel(0, 0), RGB(255, 0, 0));
}

TEST_F(ImportTest, TheIconControlMakesACursorWithTheFilesHotspot) {
    ASSERT_EQ(form->IconEx1->LoadIconA(Fixture("icotool_8bit.cur")), IconLoadResult::Loaded);
    TCursorHandle cursor = form->IconEx1->GetIconHandle();
    ASSERT_TRUE(cursor);
    ICONINFO ii{};
    ASSERT_TRUE(GetIconInfo(cursor.Get(), &ii));
    TGdiObject colour(ii.hbmColor), mask(ii.hbmMask);
    EXPECT_FALSE(ii.fIcon);
    EXPECT_EQ(ii.xHotspot, 31u);
    EXPECT_EQ(ii.yHotspot, 2u);
    EXPECT_EQ(form->IconEx1->Bitmap().Width(), 32);  // the control shows the decoded picture
}

// A benchmark, not a timed test: run with --gtest_also_run_disabled_tests.
TEST_F(ImportTest, DISABLED_BenchmarkImportsAThousandIconsAndSavesThemAsOneAnimatedCursor) {
    std::vector<std::string> files;
    for (int i = 0; i < 1000; ++i) {
        files.push_back(folder + Format("bench_%04d.ico", i));
        CopyFileW(W(Fixture("icotool_4bit.ico")).c_str(), W(files.back()).c_str(), FALSE);
    }
    // Ten drops of 100 files: the time per drop shows whether importing stays linear.
    DWORD start = GetTickCount();
    std::string batches;
    for (int b = 0; b < 10; ++b) {
        DWORD t = GetTickCount();
        Drop(std::vector<std::string>(files.begin() + b * 100, files.begin() + (b + 1) * 100));
        batches += Format(" %lu", GetTickCount() - t);
    }
    DWORD imported = GetTickCount();
    ASSERT_EQ(form->LastImage(), 999);
    std::printf("import per 100 files, ms:%s\n", batches.c_str());
    SetFileDialogHook([&](TFileDialog& d) {
        d.FileName = folder + "bench.ani";
        d.FilterIndex = 1;
        return true;
    });
    PostMessageW(saveMode->Button1->Handle(), BM_CLICK, 0, 0);
    form->SaveANIBtnClick();
    DWORD saved = GetTickCount();
    EXPECT_TRUE(FileExists(folder + "bench.ani"));
    DWORD writeStart = GetTickCount();
    EXPECT_EQ(WriteAniFile(folder + "bench2.ani", form->AniInput(AniSaveMode::Colours256)), WriteResult::Written);
    DWORD written = GetTickCount();
    std::printf("import of 1000 icon files: %lu ms; save command (with the save-mode dialog): %lu ms; "
                "the .ani writer alone: %lu ms\n",
                imported - start, saved - imported, written - writeStart);
    DeleteFileUtf8(folder + "bench2.ani");
    for (const std::string& f : files) DeleteFileUtf8(f);
}

} // namespace
