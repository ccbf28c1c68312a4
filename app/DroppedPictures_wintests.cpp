// Pictures dropped on the main window that no reader takes as they are: a 48x48 icon through
// the icon picker, metafiles through the plug-in loader's own readers; each arrives as one
// 32x32 image after the fitting and the colour reduction of larger pictures.
#include <algorithm>
#include <cstdlib>
#include <cstring>

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

// A 48x48 icon reaches the import whole, laid on the background colour, so it arrives as the
// same picture does as a PNG: icotool's icons (a 24-bit square with a mask, a 32-bit disc with
// a soft alpha rim) beside Pillow's pictures of them on the same teal background.
TEST_F(DroppedPictureTest, A48x48IconArrivesThroughThePickerAsItsPngPictureDoes) {
    form->OptionsPage->SetDefaultColour(clTeal);
    form->OptionsPage->ResizeCheck->SetChecked(true);  // smart resize without asking
    struct Case {
        const char* Icon;
        const char* Png;
        int Radius;  // of the image's opaque disc about its centre; 0 for the square
        int Largest, Total;  // the largest difference of one channel from the PNG's, and their sum
    } cases[] = {{"icotool_48.ico", "icotool_48_teal.png", 0, 0, 0},
                 {"icotool_disc48.ico", "icotool_disc48_teal.png", 13, 48, 1536}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Icon);
        boxes.Calls.clear();
        form->ImagePage->ClearAllImages();
        const std::string icon = Data(c.Icon);
        Drop({Data(c.Png)});
        AnswerExtIcon(0);
        Drop({icon});
        // The icon reader refuses the size and says so; the picker offers the file's one icon.
        EXPECT_EQ(Messages(), std::vector<std::string>{
                                  "未対応サイズ(48x48)\nvevedaで読み込みます。\n元のﾊﾟﾚｯﾄとﾎｯﾄｽﾎﾟｯﾄは無視されます。"});
        EXPECT_EQ(ExtIconAnswer().Shown, 1);
        EXPECT_EQ(ExtIconAnswer().Count, "1");
        ASSERT_EQ(form->LastImage(), 1);
        EXPECT_EQ(form->ImagePage->ListBox1->Item(1), std::string(c.Icon, std::strlen(c.Icon) - 4));
        EXPECT_EQ(form->FramePage->ListBox2->Count(), 2);

        // Each colour as the PNG's. A soft rim, blended by Wine and by Pillow, may round apart and
        // take a neighbouring palette entry; the system's 32x32 extraction was off by 17 a channel.
        int largest = 0, total = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const TColor a = Shown(1, x, y), b = Shown(0, x, y);
                for (int d : {RedOf(a) - RedOf(b), GreenOf(a) - GreenOf(b), BlueOf(a) - BlueOf(b)}) {
                    largest = std::max(largest, std::abs(d));
                    total += std::abs(d);
                }
                // Inside the picture no pixel shows the background.
                const int dx = 2 * x - 31, dy = 2 * y - 31;  // twice the offset from the centre
                const bool inside = c.Radius ? dx * dx + dy * dy < 4 * c.Radius * c.Radius : x >= 6 && y >= 6;
                if (inside) {
                    ASSERT_NE(Shown(1, x, y), clTeal) << x << "," << y;
                }
            }
        EXPECT_LE(largest, c.Largest);
        EXPECT_LE(total, c.Total);
        EXPECT_EQ(Shown(1, 0, 0), clTeal);  // the transparent corner, the image's transparent colour
        EXPECT_EQ(form->Entry(1).TransColor, clTeal);
    }
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
