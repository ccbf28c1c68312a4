// Metafiles read by the plug-in loader without plug-ins: made here by the system's own
// metafile recorders (and one placeable header written by hand), drawn by the system.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "base/ByteIO.h"
#include "base/Color.h"
#include "formats/Metafile.h"
#include "formats/PluginTestSupport.h"
#include "formats/Spiload.h"

namespace {

const TColor kRed = MakeColor(255, 0, 0), kBlue = MakeColor(0, 0, 255), kWhite = MakeColor(255, 255, 255);

void FillBox(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    Rectangle(dc, left, top, right + 1, bottom + 1);  // a null pen leaves the last row and column out
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
}

// Red on the left half, blue on the right half of a width x height logical area.
void DrawHalves(HDC dc, int width, int height) {
    FillBox(dc, 0, 0, width / 2, height, RGB(255, 0, 0));
    FillBox(dc, width / 2, 0, width, height, RGB(0, 0, 255));
}

// An enhanced metafile of 96x48 pixels at 96 dpi (its frame in 0.01 mm), drawn in pixels.
std::string WriteEnhanced(const std::string& path, bool draw) {
    const RECT frame{0, 0, 2540, 1270};
    HDC dc = CreateEnhMetaFileW(nullptr, Utf8ToWide(path).c_str(), &frame, nullptr);
    EXPECT_NE(dc, nullptr);
    if (draw) DrawHalves(dc, 96, 48);
    DeleteEnhMetaFile(CloseEnhMetaFile(dc));
    return path;
}

// The bits of a Windows metafile recorded in memory.
std::vector<uint8_t> RecordWindows(const std::function<void(HDC)>& draw) {
    HDC dc = CreateMetaFileW(nullptr);
    draw(dc);
    HMETAFILE mf = CloseMetaFile(dc);
    std::vector<uint8_t> bits(GetMetaFileBitsEx(mf, 0, nullptr));
    GetMetaFileBitsEx(mf, static_cast<UINT>(bits.size()), bits.data());
    DeleteMetaFile(mf);
    return bits;
}

// A placeable header (bounding box, units per inch, checksum) written before the bits.
std::vector<uint8_t> Placeable(const std::vector<uint8_t>& bits, int16_t left, int16_t top, int16_t right,
                               int16_t bottom, uint16_t inch) {
    std::vector<uint8_t> out(22, 0);
    PutLE32(&out[0], 0x9AC6CDD7);
    PutLE16(&out[6], static_cast<uint16_t>(left));
    PutLE16(&out[8], static_cast<uint16_t>(top));
    PutLE16(&out[10], static_cast<uint16_t>(right));
    PutLE16(&out[12], static_cast<uint16_t>(bottom));
    PutLE16(&out[14], inch);
    uint16_t sum = 0;
    for (int i = 0; i < 10; ++i) sum ^= GetLE16(&out[2 * i]);
    PutLE16(&out[20], sum);
    out.insert(out.end(), bits.begin(), bits.end());
    return out;
}

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
    // The loader's answer for the file: the picture, or nothing when load refused it.
    const TBitmap* Load(const std::string& path) {
        EXPECT_TRUE(spi.set_file(path)) << path;  // never asks a plug-in
        return spi.load() ? spi.Result() : nullptr;
    }
    std::string dir;
    TSpiload spi;  // no plug-ins
};

TEST_F(MetafileLoad, EnhancedMetafilesAreDrawnAtTheirFrameOnScreenPixels) {
    const TBitmap* b = Load(WriteEnhanced(dir + "halves.EMF", true));
    ASSERT_NE(b, nullptr);
    ExpectHalves(*b, 96, 48, kRed, kBlue);
}

TEST_F(MetafileLoad, WindowsMetafilesAreDrawnAtTheirBoundingBoxOrWindowExtent) {
    // Placeable: a box of 2000 x 1000 units at 1000 units per inch is 192 x 96 pixels.
    const auto units = RecordWindows([](HDC dc) { DrawHalves(dc, 2000, 1000); });
    const std::string placeable = dir + "placeable.wmf";
    const std::vector<uint8_t> file = Placeable(units, 0, 0, 2000, 1000, 1000);
    WriteBytes(placeable, file);
    const TBitmap* b = Load(placeable);
    ASSERT_NE(b, nullptr);
    ExpectHalves(*b, 192, 96, kRed, kBlue);

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
    ExpectHalves(*b, 60, 40, kRed, kBlue);

    // Plain, without a window: drawn in pixels, the picture is what the drawing covers.
    const auto pixels = RecordWindows([](HDC dc) {
        FillBox(dc, 10, 5, 49, 44, RGB(255, 0, 0));
        FillBox(dc, 50, 5, 89, 44, RGB(0, 0, 255));
    });
    WriteBytes(dir + "pixels.wmf", pixels);
    b = Load(dir + "pixels.wmf");
    ASSERT_NE(b, nullptr);
    ExpectHalves(*b, 80, 40, kRed, kBlue);
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
