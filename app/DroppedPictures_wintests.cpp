// Pictures dropped on the main window that no reader takes as they are: a 48x48 icon through
// the icon picker, metafiles through the plug-in loader's own readers; each arrives as one
// 32x32 image after the fitting and the colour reduction of larger pictures.
#include <set>

#include "app/ExtIconTestSupport.h"
#include "app/ImageModel.h"
#include "app/ImportTestSupport.h"
#include "app/MainWindowTestSupport.h"
#include "formats/MetafileTestSupport.h"
#include "ui/Canvas.h"

namespace {

const char* const kNotImported = " は\nｲﾒｰｼﾞが含まれていないか,入力がｷｬﾝｾﾙされたため読み込めませんでした。";
constexpr TColor kBackground = MakeColor(0, 128, 0);

struct DroppedPictureTest : MainWindowTest {
    DroppedPictureTest() : MainWindowTest("tamsolo-dropped-pictures") {}
    void SetUp() override {
        MainWindowTest::SetUp();
        form->OptionsPage->NoDlgDisp->SetChecked(true);
        form->OptionsPage->SetDefaultColour(kBackground);
    }
    void TearDown() override {
        StopAnsweringExtIcon();
        MainWindowTest::TearDown();
    }
    void Drop(const std::vector<std::string>& files) { SendDrop(form->DropPanel1->Handle(), files); }
    TColor Shown(int image, int x, int y) const {
        const CCURSOR& e = form->Entry(image);
        return ShownColour(e.Palette, e.Inverse, e.Pixels.At(x, y));
    }
};

TEST_F(DroppedPictureTest, A48x48IconArrivesThroughThePickerAsOneReduced32x32Image) {
    const std::string icon = Data("icotool_48.ico");
    AnswerExtIcon(0);
    Drop({icon});
    // The icon reader refuses the size and says so; the picker offers the file's one icon.
    EXPECT_EQ(Messages(), std::vector<std::string>{
                              "未対応サイズ(48x48)\nvevedaで読み込みます。\n元のﾊﾟﾚｯﾄとﾎｯﾄｽﾎﾟｯﾄは無視されます。"});
    EXPECT_EQ(ExtIconAnswer().Shown, 1);
    EXPECT_EQ(ExtIconAnswer().Count, "1");
    ASSERT_EQ(form->LastImage(), 0);
    EXPECT_EQ(form->ImagePage->ListBox1->Item(0), "icotool_48");
    EXPECT_EQ(form->FramePage->ListBox2->Count(), 1);

    // The icon as Wine extracts it for the picker, drawn at 32x32 on the background colour:
    // more colours than a palette holds, each shown as its nearest colour of the image's palette.
    HICON large = nullptr;
    ASSERT_EQ(ExtractIconExW(W(icon).c_str(), 0, &large, nullptr, 1), 1u);
    TDibSection dib(32, 32);
    TCanvas(dib.DC()).FillRect(RECT{0, 0, 32, 32}, kBackground);
    ASSERT_TRUE(DrawIconEx(dib.DC(), 0, 0, large, 32, 32, 0, nullptr, DI_NORMAL));
    DestroyIcon(large);
    const CCURSOR& e = form->Entry(0);
    std::set<TColor> drawn;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const TColor source = static_cast<TColor>(dib.PixelAt(x, y));
            drawn.insert(source);
            ASSERT_EQ(Shown(0, x, y), QuadToColor(e.Palette[NearestPaletteIndex(e.Palette.data(), 256, source)]))
                << x << "," << y;
        }
    EXPECT_GT(drawn.size(), 256u);
    // The icon's transparent corner shows the background, the image's transparent colour;
    // the far corner keeps the source's colour there (red and green 5 a pixel, blue 77).
    EXPECT_EQ(Shown(0, 0, 0), kBackground);
    EXPECT_EQ(e.TransColor, kBackground);
    const TColor corner = Shown(0, 31, 31);
    EXPECT_NEAR(RedOf(corner), 235, 12);
    EXPECT_NEAR(GreenOf(corner), 235, 12);
    EXPECT_NEAR(BlueOf(corner), 77, 12);
}

TEST_F(DroppedPictureTest, MetafilesAreFittedLikeAnyPictureAndBrokenOnesAreReported) {
    form->OptionsPage->ResizeCheck->SetChecked(true);  // smart resize without asking
    const std::string emf = WriteEnhanced(folder + "halves.emf", true);  // 96x48: red | blue
    const std::string wmf = folder + "halves.WMF";                       // 192x96: red | blue
    WriteBytes(wmf, Placeable(RecordWindows([](HDC dc) { DrawHalves(dc, 2000, 1000); }), 0, 0, 2000, 1000, 1000));
    struct Case {
        std::string Path;
        bool Henpei;
        int Top;  // the first row of the picture; above and below it the padding is black
    } cases[] = {{emf, false, 0}, {wmf, false, 0}, {emf, true, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Path);
        boxes.Calls.clear();
        form->ImagePage->ClearAllImages();
        form->OptionsPage->Henpei->SetChecked(c.Henpei);
        Drop({c.Path});
        EXPECT_EQ(Messages(), std::vector<std::string>{});
        ASSERT_EQ(form->LastImage(), 0);
        for (int y = 0; y < 32; ++y) {
            const bool picture = y >= c.Top + 1 && y < 32 - c.Top - 1;
            if (!picture) {
                if (y < c.Top || y >= 32 - c.Top) {
                    EXPECT_EQ(Shown(0, 16, y), clBlack) << y;
                }
                continue;
            }
            for (int x = 0; x < 15; ++x) ASSERT_EQ(Shown(0, x, y), clRed) << x << "," << y;
            for (int x = 17; x < 32; ++x) ASSERT_EQ(Shown(0, x, y), clBlue) << x << "," << y;
        }
    }

    boxes.Calls.clear();
    const std::string broken = folder + "broken.emf";
    WriteBytes(broken, std::vector<uint8_t>(120, 0x41));
    Drop({broken});
    EXPECT_EQ(Messages(), std::vector<std::string>{broken + kNotImported});
    EXPECT_EQ(form->LastImage(), 0);
}

} // namespace
