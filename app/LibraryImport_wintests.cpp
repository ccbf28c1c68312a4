// Importing through shortcuts, the icon picker and picture plug-ins, on the real main window.
#include "app/ExtIconTestSupport.h"
#include "app/ImportTestSupport.h"
#include "app/MainWindowTestSupport.h"
#include "base/Format.h"
#include "formats/PictureImport.h"
#include "formats/PluginTestSupport.h"
#include "ui/Canvas.h"

namespace {

const char* const kNotImported = "%s は\nｲﾒｰｼﾞが含まれていないか,入力がｷｬﾝｾﾙされたため読み込めませんでした。";

struct LibraryImportTest : MainWindowTest {
    LibraryImportTest() : MainWindowTest("tamsolo-library-import") {}
    void SetUp() override {
        MainWindowTest::SetUp();
        form->OptionsPage->NoDlgDisp->SetChecked(true);
        form->OptionsPage->SetDefaultColour(RGB(0, 128, 0));
    }
    void TearDown() override {
        StopAnsweringExtIcon();
        MainWindowTest::TearDown();
    }
    void Drop(const std::vector<std::string>& files) { SendDrop(form->DropPanel1->Handle(), files); }
    void UsePlugins(const std::string& variant) {
        // As the options page's folder picker hands over a chosen folder.
        form->OptionsPage->ChoosePluginFolder(WinePath(std::string(TAMSOLO_TEST_PLUGINS) + "/" + variant));
    }
};

TEST_F(LibraryImportTest, APlugInPictureImportsWithItsPaletteAndPixels) {
    const std::string picture = WriteTestPicture(folder + "picture.tst", 32, 32);
    for (const char* variant : {"full", "noinfo"}) {
        SCOPED_TRACE(variant);
        form->ImagePage->ClearAllImages();
        UsePlugins(variant);
        ASSERT_EQ(form->Spiload1.PluginCount(), 1);
        Drop({picture});
        ASSERT_TRUE(Messages().empty()) << Messages().front();
        ASSERT_EQ(form->LastImage(), 0);
        const CCURSOR& e = form->Entry(0);
        EXPECT_EQ(form->ImagePage->ListBox1->Item(0), "picture");
        EXPECT_EQ(e.Palette[10], (TRGBQuad{50, 245, 10, 0}));
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) ASSERT_EQ(e.Pixels.At(x, y), TestPictureIndex(x, y)) << x << "," << y;
    }
}

TEST_F(LibraryImportTest, APlugInThatFailsOrFaultsGivesTheImportMessageAndAGoodOneThenImports) {
    const std::string picture = WriteTestPicture(folder + "broken.tst", 32, 32);
    for (const char* variant : {"failing", "crashing", "nopicture"}) {
        SCOPED_TRACE(variant);
        boxes.Calls.clear();
        UsePlugins(variant);
        Drop({picture});
        EXPECT_EQ(Messages(), (std::vector<std::string>{Format(kNotImported, picture.c_str())}));
        EXPECT_EQ(form->LastImage(), -1);
    }
    // After a plug-in that faulted, the next import through a good one works.
    boxes.Calls.clear();
    UsePlugins("full");
    Drop({picture});
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(form->LastImage(), 0);
}

// The Susie viewer's settings name the plug-in folder before the window is made.
struct SusieFolderTest : LibraryImportTest {
    // The plug-in viewer's folder, as the window finds it at start (in the test's own keys).
    void BeforeTheWindow(const TSettingsKeys& keys) override {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(keys.SusieKey, true));
        reg.WriteString("Path", WinePath(std::string(TAMSOLO_TEST_PLUGINS) + "/full"));
    }
};

TEST_F(SusieFolderTest, ThePlugInsOfTheSusieFolderAreLoadedAtStart) {
    EXPECT_EQ(form->Spiload1.PluginNames(), (std::vector<std::string>{"testspi_full.spi"}));
    const std::string picture = WriteTestPicture(folder + "start.tst", 32, 32);
    Drop({picture});
    EXPECT_EQ(form->LastImage(), 0);
}

TEST_F(LibraryImportTest, AShortcutImportsTheIconItPointsAt) {
    ASSERT_TRUE(MakeLink(folder + "link.lnk", Fixture("icotool_4bit.ico")));
    Drop({folder + "link.lnk", Fixture("icotool_4bit.ico")});
    ASSERT_TRUE(Messages().empty()) << Messages().front();
    ASSERT_EQ(form->LastImage(), 1);
    EXPECT_EQ(form->Entry(0).ImageName, "icotool_4bit");  // named after the target
    EXPECT_TRUE(std::equal(std::begin(form->Entry(0).Pixels.Bytes), std::end(form->Entry(0).Pixels.Bytes),
                           std::begin(form->Entry(1).Pixels.Bytes)));
    EXPECT_EQ(form->Entry(0).Palette, form->Entry(1).Palette);
}

TEST_F(LibraryImportTest, ShortcutsThatLeadNowhereGiveTheImportMessage) {
    ASSERT_TRUE(MakeLink(folder + "gone.lnk", folder + "gone.ico"));
    const std::string broken = folder + "broken.lnk";
    WriteBytes(broken, {'L', 0, 0, 0, 9, 9});
    AnswerExtIcon(-1);
    Drop({folder + "gone.lnk", broken});
    EXPECT_EQ(Messages(), (std::vector<std::string>{Format(kNotImported, (folder + "gone.lnk").c_str()),
                                                    Format(kNotImported, broken.c_str())}));
    EXPECT_EQ(form->LastImage(), -1);
}

// The icon of a .ico file as Wine draws it on a background.
TBitmap DrawnIcon(const std::string& icoFile, TColor background) {
    HICON icon = static_cast<HICON>(LoadImageW(nullptr, W(icoFile).c_str(), IMAGE_ICON, 32, 32, LR_LOADFROMFILE));
    TDibSection dib(32, 32);
    TGdiObject brush(CreateSolidBrush(ColorToRGB(background)));
    RECT all{0, 0, 32, 32};
    FillRect(dib.DC(), &all, static_cast<HBRUSH>(brush.Get()));
    DrawIconEx(dib.DC(), 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
    DestroyIcon(icon);
    TBitmap b(32, 32, TPixelFormat::pf24bit);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) b.SetPixel(x, y, static_cast<TColor>(dib.PixelAt(x, y)));
    return b;
}

TEST_F(LibraryImportTest, ThePickerListsEveryIconOfAProgramAndHandsOnThePickedOne) {
    const std::string host = IconHostPath();
    ASSERT_EQ(ExtractIconExW(W(host).c_str(), -1, nullptr, nullptr, 0), 3u);
    const char* sources[] = {"icotool_4bit.ico", "icotool_32bit.ico", "icotool_multi.ico"};
    for (int pick = 0; pick < 3; ++pick) {
        SCOPED_TRACE(pick);
        AnswerExtIcon(pick);
        TBitmap picture;
        int asked = 0;
        ASSERT_TRUE(PickLibraryIconPicture(form.get(), host, [&] { return ++asked, TColor(RGB(0, 128, 0)); }, picture));
        EXPECT_EQ(ExtIconAnswer().Shown, 1);
        EXPECT_EQ(ExtIconAnswer().Count, "3");
        EXPECT_EQ(ExtIconAnswer().Max, 2);
        EXPECT_EQ(ExtIconAnswer().ValueBeyond, 0);
        EXPECT_EQ(asked, 1);
        const TBitmap expected = DrawnIcon(Fixture(sources[pick]), RGB(0, 128, 0));
        ASSERT_EQ(picture.Width(), 32);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) ASSERT_EQ(picture.Pixel(x, y), expected.Pixel(x, y)) << x << "," << y;
        // The import then fits it as any other true-colour picture.
        ImportedImage image;
        PictureImport p = ImportPictureFromBitmap(picture, {}, image);
        EXPECT_EQ(p.Result, PictureReadResult::NeedsReduction);
        EXPECT_EQ(p.Target.Pixel(5, 20), expected.Pixel(5, 20));
    }
}

TEST_F(LibraryImportTest, AFileWithoutIconsOrACancelledPickImportsNothing) {
    AnswerExtIcon(-1);
    TBitmap picture;
    EXPECT_FALSE(PickLibraryIconPicture(form.get(), Data("im_rle8.bmp"), [] { return clBlack; }, picture));
    EXPECT_EQ(ExtIconAnswer().Shown, 0);  // never shown
    EXPECT_FALSE(PickLibraryIconPicture(form.get(), IconHostPath(), [] { return clBlack; }, picture));
    EXPECT_EQ(ExtIconAnswer().Shown, 1);
    Drop({IconHostPath()});
    EXPECT_EQ(ExtIconAnswer().Shown, 2);
    EXPECT_EQ(Messages(), (std::vector<std::string>{Format(kNotImported, IconHostPath().c_str())}));
}

} // namespace
