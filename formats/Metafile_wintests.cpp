// Metafiles read by the plug-in loader without plug-ins: made here by the system's own
// metafile recorders (and one placeable header written by hand), drawn by the system.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/Stream.h"
#include "formats/Metafile.h"
#include "formats/MetafileTestSupport.h"
#include "formats/PluginTestSupport.h"
#include "formats/Spiload.h"

namespace {

void ExpectHalves(const TBitmap& b, int width, int height, TColor left, TColor right) {
    ASSERT_EQ(b.Width(), width);
    ASSERT_EQ(b.Height(), height);
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf24bit);
    // Away from the edges, where rounding of the mapping cannot reach.
    for (int y = 2; y < height - 2; y += 3) {
        for (int x = 2; x < width / 2 - 2; x += 3) ASSERT_EQ(b.Pixel(x, y), left) << x << "," << y;
        for (int x = width / 2 + 2; x < width - 2; x += 3) ASSERT_EQ(b.Pixel(x, y), right) << x << "," << y;
    }
}

struct MetafileLoad : ::testing::Test {
    void SetUp() override { dir = FreshFolder("tamsolo-metafiles") + "\\"; }
    // The loader's answer for the file: the picture, or nothing when load refused it. A
    // metafile on the disk is taken without asking a plug-in; a missing one is not taken.
    const TBitmap* Load(const std::string& path) {
        const bool taken = spi.set_file(path);
        EXPECT_EQ(taken, DiskFileSize(path).has_value()) << path;
        return taken && spi.load() ? spi.Result() : nullptr;
    }
    std::string dir;
    TSpiload spi;  // no plug-ins
};

TEST_F(MetafileLoad, EnhancedMetafilesAreDrawnAtTheirFrameOnScreenPixels) {
    const TBitmap* b = Load(WriteEnhanced(dir + "halves.EMF", true));
    ASSERT_NE(b, nullptr);
    ExpectHalves(*b, 96, 48, clRed, clBlue);

    // Its frame emptied: drawn at the bounds of what it draws, in the recording's pixels
    // (bounds that the system may take a pixel wider).
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(dir + "halves.EMF", bytes, 1 << 20));
    std::fill(bytes.begin() + 24, bytes.begin() + 40, 0);
    WriteBytes(dir + "noframe.emf", bytes);
    b = Load(dir + "noframe.emf");
    ASSERT_NE(b, nullptr);
    EXPECT_NEAR(b->Width(), 96, 1);
    EXPECT_NEAR(b->Height(), 48, 1);
    ExpectHalves(*b, b->Width(), b->Height(), clRed, clBlue);
}

TEST_F(MetafileLoad, WindowsMetafilesAreDrawnAtTheirBoundingBoxOrWindowExtent) {
    // Placeable: a box of 2000 x 1000 units at 1000 units per inch is 192 x 96 pixels.
    const auto units = RecordWindows([](HDC dc) { DrawHalves(dc, 2000, 1000); });
    const std::string placeable = dir + "placeable.wmf";
    const std::vector<uint8_t> file = Placeable(units, 0, 0, 2000, 1000, 1000);
    WriteBytes(placeable, file);
    const TBitmap* b = Load(placeable);
    ASSERT_NE(b, nullptr);
    ExpectHalves(*b, 192, 96, clRed, clBlue);

    // Plain, with a window of its own (60 x 40 units, taken as pixels), drawn in its window.
    const auto windowed = RecordWindows([](HDC dc) {
        SetMapMode(dc, MM_ANISOTROPIC);
        SetWindowOrgEx(dc, 0, 0, nullptr);
        SetWindowExtEx(dc, 60, 40, nullptr);
        DrawHalves(dc, 60, 40);
    });
    const std::string plain = dir + "plain.Wmf";
    WriteBytes(plain, windowed);
    b = Load(plain);
    ASSERT_NE(b, nullptr);
    ExpectHalves(*b, 60, 40, clRed, clBlue);

    // Plain, without a window: drawn in pixels, the picture is what the drawing covers.
    const auto pixels = RecordWindows([](HDC dc) {
        FillBox(dc, 10, 5, 49, 44, RGB(255, 0, 0));
        FillBox(dc, 50, 5, 89, 44, RGB(0, 0, 255));
    });
    WriteBytes(dir + "pixels.wmf", pixels);
    b = Load(dir + "pixels.wmf");
    ASSERT_NE(b, nullptr);
    ExpectHalves(*b, 80, 40, clRed, clBlue);
}

TEST_F(MetafileLoad, BrokenEmptyAndHostileMetafiles) {
    // A hostile bounding box: 32000 inches wide is bounded to the largest side.
    const auto units = RecordWindows([](HDC dc) { DrawHalves(dc, 32000, 16000); });
    WriteBytes(dir + "huge.wmf", Placeable(units, 0, 0, 32000, 16000, 1));
    const TBitmap* b = Load(dir + "huge.wmf");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Width(), kMetafileMaxSide);
    EXPECT_EQ(b->Height(), 512);

    std::vector<uint8_t> cut = Placeable(units, 0, 0, 100, 100, 1000);
    cut.resize(cut.size() - 3);  // the last record leaves the data
    WriteBytes(dir + "cut.wmf", cut);
    std::vector<uint8_t> noInch = Placeable(units, 0, 0, 100, 100, 0);
    WriteBytes(dir + "noinch.wmf", noInch);
    WriteBytes(dir + "junk.emf", std::vector<uint8_t>(200, 0x41));
    WriteEnhanced(dir + "empty.emf", false);
    WriteBytes(dir + "emptywindows.wmf", RecordWindows([](HDC) {}));
    for (const char* name : {"cut.wmf", "noinch.wmf", "junk.emf", "empty.emf", "emptywindows.wmf", "missing.emf"}) {
        EXPECT_EQ(Load(dir + name), nullptr) << name;
        EXPECT_EQ(spi.Result(), nullptr) << name;
    }
}

} // namespace
