// Row access, colour lookups, dither engines, the octree and ReduceColors on small pictures
// whose results are worked out by hand.
#include <gtest/gtest.h>

#include "base/ByteIO.h"
#include "gif/GIFColorMap.h"
#include "gif/GIFColorReduction.h"
#include "gif/GIFDIB.h"
#include "gif/GIFDither.h"
#include "gif/GIFOctree.h"

namespace {

TBitmap Picture24(int width, int height, std::initializer_list<TColor> colors) {
    TBitmap b(width, height, TPixelFormat::pf24bit);
    auto it = colors.begin();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) b.SetPixel(x, y, *it++);
    return b;
}

// Records the red value of every colour asked for and answers black below 128, white above.
class TRecordingLookup : public TColorLookup {
public:
    TRecordingLookup() : TColorLookup(nullptr) { FColors = 2; }
    int MapColour(uint8_t red, uint8_t, uint8_t, uint8_t& r, uint8_t& g, uint8_t& b) override {
        Asked.push_back(red);
        int white = red >= 128;
        r = g = b = white ? 255 : 0;
        return white;
    }
    std::vector<int> Asked;
};

std::vector<int> RunRows(TDitherEngine& engine, int rows, uint8_t value, std::vector<int>* columns = nullptr) {
    std::vector<int> indices;
    for (int row = 0; row < rows; ++row) {
        while (engine.Column() >= 0 && engine.Column() < engine.Width()) {
            if (columns) columns->push_back(engine.Column());
            uint8_t r, g, b;
            indices.push_back(engine.DitherPixel(value, value, value, r, g, b));
        }
        engine.EndRow();
    }
    return indices;
}

}  // namespace

TEST(GIFDIB, WriterStoresRowsBottomUpWithAFullColourTable) {
    auto palette = std::make_shared<TLogPalette>();
    for (int i = 0; i < 16; ++i) palette->palPalEntry.push_back({static_cast<uint8_t>(i), 2, static_cast<uint8_t>(200 + i), 4});
    TBitmap result;
    TDIBWriter writer(result, palette.get(), 10, 3, TPixelFormat::pf8bit);
    uint8_t* top = writer.ScanRow(0);
    uint8_t* bottom = writer.ScanRow(9);
    EXPECT_EQ(top - bottom, 9 * 4);  // row 0 is the last row in memory
    ASSERT_EQ(writer.HeaderSize(), 1064u);
    const uint8_t* h = writer.Header().data();
    EXPECT_EQ(GetLE32(h + 32), 256u);  // colours used
    EXPECT_EQ(GetLE32(h + 36), 16u);   // colours important
    EXPECT_EQ(h[40 + 4 * 5], 205);     // blue first
    EXPECT_EQ(h[40 + 4 * 5 + 2], 5);
    EXPECT_EQ(h[40 + 4 * 5 + 3], 0);
    for (int i = 16 * 4; i < 1024; ++i) ASSERT_EQ(h[40 + i], 0) << i;
    top[1] = 7;
    writer.Finish();
    EXPECT_EQ(result.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(result.Width(), 3);
    EXPECT_EQ(result.PixelIndex(1, 0), 7);
    EXPECT_EQ(result.Colors()[5], (TRGBQuad{205, 2, 5, 0}));

    TBitmap rgb;
    TDIBWriter writer24(rgb, nullptr, 2, 2, TPixelFormat::pf24bit);
    writer24.ScanRow(1)[0] = 1;
    EXPECT_EQ(writer24.HeaderSize(), 40u);
    EXPECT_THROW(writer24.ScanRow(2), Exception);
}

TEST(GIFDIB, WriterRejectsBadFormatsAndSizesAndReaderLeavesTheSourceAlone) {
    TBitmap b;
    EXPECT_THROW(TDIBWriter(b, nullptr, 1, 1, TPixelFormat::pf4bit), GIFException);
    EXPECT_THROW(TDIBWriter(b, nullptr, 0, 1, TPixelFormat::pf8bit), GIFException);
    EXPECT_THROW(TDIBWriter(b, nullptr, 1, 0, TPixelFormat::pf24bit), GIFException);
    // A picture too large for memory says so when its first row is asked for.
    TDIBWriter huge(b, nullptr, 60000, 60000, TPixelFormat::pf24bit);
    try {
        huge.ScanRow(0);
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Failed to allocate memory for GIF DIB");
    }

    TBitmap source(2, 1, TPixelFormat::pf8bit);
    source.Colors() = {{0, 0, 0, 0}, {10, 20, 30, 0}};
    source.SetPixelIndex(1, 0, 1);
    TDIBReader reader(source, TPixelFormat::pf24bit);
    EXPECT_EQ(source.PixelFormat(), TPixelFormat::pf8bit);
    const uint8_t* row = reader.ScanRow(0);
    EXPECT_EQ(row[3], 10);
    EXPECT_EQ(row[5], 30);

    uint8_t entries[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    SwapRedBlue(entries, 2);
    EXPECT_EQ((std::vector<uint8_t>(entries, entries + 8)), (std::vector<uint8_t>{3, 2, 1, 0, 7, 6, 5, 0}));
}

TEST(GIFColorLookup, FixedLookupsFollowTheirRules) {
    struct Case {
        TColorLookup* lookup;
        TGIFColor in;
        int index;
        TGIFColor out;
    };
    TNetscapeColorLookup web(nullptr);
    TMonochromeLookup mono(nullptr);
    TGrayScaleLookup gray(nullptr);
    const Case cases[] = {
        {&web, {255, 0, 0}, 180, {255, 0, 0}},       {&web, {47, 48, 0}, 6, {0, 51, 0}},
        {&web, {252, 251, 98}, 5 * 36 + 4 * 6 + 1, {255, 204, 51}},
        {&mono, {128, 128, 128}, 1, {255, 255, 255}}, {&mono, {127, 127, 127}, 0, {0, 0, 0}},
        {&gray, {255, 255, 255}, 255, {255, 255, 255}}, {&gray, {100, 0, 0}, 30, {30, 30, 30}},
    };
    for (const Case& c : cases) {
        uint8_t r, g, b;
        EXPECT_EQ(c.lookup->MapColour(c.in.Red, c.in.Green, c.in.Blue, r, g, b), c.index) << int(c.in.Red);
        EXPECT_EQ((TGIFColor{r, g, b}), c.out) << int(c.in.Red);
    }
    EXPECT_EQ(web.Colors(), 216);
}

TEST(GIFColorLookup, FastLookupCachesPerCellButKeepsExactEntries) {
    TFastColorLookup lookup(DefaultSystemPalette().get());
    EXPECT_EQ(lookup.Colors(), 20);
    uint8_t r, g, b;
    // (8, 8, 8) and (15, 15, 15) share a cell: the first answer is kept for both.
    int first = lookup.MapColour(15, 15, 15, r, g, b);
    EXPECT_EQ(lookup.MapColour(8, 8, 8, r, g, b), first);
    EXPECT_EQ(first, 0);
    // Each palette colour maps to its own entry even
    // when another colour of its cell was looked up first.
    TLogPalette palette;
    palette.palPalEntry = {{0, 0, 0, 0}, {10, 10, 10, 0}, {14, 14, 14, 0}};
    TFastColorLookup close(&palette);
    EXPECT_EQ(close.MapColour(13, 13, 13, r, g, b), 1);  // the cell's own entry, lowest index
    EXPECT_EQ(close.MapColour(14, 14, 14, r, g, b), 2);
    EXPECT_EQ((TGIFColor{r, g, b}), (TGIFColor{14, 14, 14}));
    EXPECT_EQ(close.MapColour(12, 30, 12, r, g, b), 2);  // nearest by the sum of distances: 20 against 24
    EXPECT_EQ(TFastColorLookup(nullptr).Colors(), 0);
}

TEST(GIFDither, NearestEngineWalksRowsInSerpentineOrder) {
    TRecordingLookup lookup;
    TDitherEngine engine(3, lookup);
    std::vector<int> columns;
    RunRows(engine, 3, 10, &columns);
    EXPECT_EQ(columns, (std::vector<int>{0, 1, 2, 2, 1, 0, 0, 1, 2}));
}

TEST(GIFDither, FloydSteinbergSpreadsErrorsAndTruncatesTowardZero) {
    TRecordingLookup lookup;
    TFloydSteinbergDitherer engine(3, lookup);
    std::vector<int> columns;
    std::vector<int> indices = RunRows(engine, 2, 100, &columns);
    // Row 0: 100, then 100 + 708/16, then 100 + (-777 + 8)/16 = 52 (not 51).
    // Row 1 from the right: 100 + 157/16, 100 + 472/16, 100 + (-715 + 8)/16 = 56 (not 55).
    EXPECT_EQ(lookup.Asked, (std::vector<int>{100, 144, 52, 109, 129, 56}));
    EXPECT_EQ(columns, (std::vector<int>{0, 1, 2, 2, 1, 0}));
    EXPECT_EQ(indices, (std::vector<int>{0, 1, 0, 0, 1, 0}));
}

namespace {
// The published kernels as (dx along the direction, dy rows below, weight), with divisor.
struct TKernel {
    TDitherMode Mode;
    int Divisor;
    std::vector<TDitherWeight> Weights;
};
const TKernel Kernels[] = {
    {dmFloydSteinberg, 16, {{1, 0, 7}, {-1, 1, 3}, {0, 1, 5}, {1, 1, 1}}},
    {dmStucki, 42, {{1, 0, 8}, {2, 0, 4}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 8}, {1, 1, 4}, {2, 1, 2},
                    {-2, 2, 1}, {-1, 2, 2}, {0, 2, 4}, {1, 2, 2}, {2, 2, 1}}},
    {dmSierra, 32, {{1, 0, 5}, {2, 0, 3}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 5}, {1, 1, 4}, {2, 1, 2},
                    {-1, 2, 2}, {0, 2, 3}, {1, 2, 2}}},
    {dmJaJuNI, 48, {{1, 0, 7}, {2, 0, 5}, {-2, 1, 3}, {-1, 1, 5}, {0, 1, 7}, {1, 1, 5}, {2, 1, 3},
                    {-2, 2, 1}, {-1, 2, 3}, {0, 2, 5}, {1, 2, 3}, {2, 2, 1}}},
    {dmSteveArche, 200, {{2, 0, 32}, {-3, 1, 12}, {-1, 1, 26}, {1, 1, 30}, {3, 1, 16}, {-2, 2, 12}, {0, 2, 26},
                         {2, 2, 12}, {-3, 3, 5}, {-1, 3, 12}, {1, 3, 12}, {3, 3, 5}}},
    {dmBurkes, 32, {{1, 0, 8}, {2, 0, 4}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 8}, {1, 1, 4}, {2, 1, 2}}},
};

// The plain form: a whole error picture, serpentine rows, corrected = input + (error +
// divisor / 2) / divisor truncated toward zero, the black-or-white lookup of TRecordingLookup.
std::vector<int> ReferenceDither(const TKernel& k, int width, int height, const std::vector<int>& input) {
    std::vector<int> error(static_cast<std::size_t>(width * height), 0), asked;
    for (int y = 0; y < height; ++y) {
        const int d = y % 2 == 0 ? 1 : -1;
        for (int i = 0; i < width; ++i) {
            const int x = d > 0 ? i : width - 1 - i;
            const int corrected =
                std::clamp(input[static_cast<std::size_t>(y * width + x)] + (error[static_cast<std::size_t>(y * width + x)] + k.Divisor / 2) / k.Divisor, 0, 255);
            asked.push_back(corrected);
            const int e = corrected - (corrected >= 128 ? 255 : 0);
            for (const TDitherWeight& w : k.Weights) {
                const int x2 = x + w.dx * d, y2 = y + w.dy;
                if (x2 >= 0 && x2 < width && y2 < height) error[static_cast<std::size_t>(y2 * width + x2)] += e * w.weight;
            }
        }
    }
    return asked;
}
}  // namespace

TEST(GIFDither, EveryKernelSpreadsAlongTheRow) {
    struct Case {
        TDitherMode mode;
        std::vector<int> asked;
    };
    const Case cases[] = {
        {dmStucki, {100, 119, 132}},     {dmSierra, {100, 116, 128}}, {dmJaJuNI, {100, 115, 127}},
        {dmSteveArche, {100, 100, 116}}, {dmBurkes, {100, 125, 144}},
    };
    for (const Case& c : cases) {
        TRecordingLookup lookup;
        std::unique_ptr<TDitherEngine> engine = MakeDitherEngine(c.mode, 3, lookup);
        RunRows(*engine, 1, 100);
        EXPECT_EQ(lookup.Asked, c.asked) << c.mode;
    }
}

TEST(GIFDither, EveryKernelMatchesThePlainErrorDiffusionOnEveryRow) {
    const int width = 9, height = 6;
    std::vector<int> input;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) input.push_back((37 * x + 53 * y * y + 60) % 256);
    for (const TKernel& k : Kernels) {
        SCOPED_TRACE(k.Mode);
        TRecordingLookup lookup;
        std::unique_ptr<TDitherEngine> engine = MakeDitherEngine(k.Mode, width, lookup);
        for (int y = 0; y < height; ++y) {
            while (engine->Column() >= 0 && engine->Column() < width) {
                const auto v = static_cast<uint8_t>(input[static_cast<std::size_t>(y * width + engine->Column())]);
                uint8_t r, g, b;
                engine->DitherPixel(v, v, v, r, g, b);
            }
            engine->EndRow();
        }
        EXPECT_EQ(lookup.Asked, ReferenceDither(k, width, height, input));
    }
}

TEST(GIFOctree, KeepsFewColoursExactlyAndFoldsTheDeepestNode) {
    TColorQuantizer few(4, 8);
    for (int i = 0; i < 5; ++i) few.AddColor(255, 0, 0);
    few.AddColor(0, 0, 255);
    TRGBQuad table[4];
    ASSERT_EQ(few.CollectPalette(table, 4), 2);
    EXPECT_EQ(table[0], (TRGBQuad{255, 0, 0, 0}));  // child 1 (blue) before child 4 (red)
    EXPECT_EQ(table[1], (TRGBQuad{0, 0, 255, 0}));

    TColorQuantizer two(2, 8);
    two.AddColor(255, 0, 0);
    two.AddColor(0, 0, 255);
    EXPECT_EQ(two.LeafCount(), 2);
    // A third colour: its own chain is folded first, then the others, up to the root.
    two.AddColor(0, 255, 0);
    ASSERT_EQ(two.CollectPalette(table, 2), 1);
    EXPECT_EQ(table[0], (TRGBQuad{85, 85, 85, 0}));

    EXPECT_THROW(TColorQuantizer(0, 8), GIFException);
    EXPECT_THROW(TColorQuantizer(257, 8), GIFException);
}

TEST(GIFOctree, PalettesWithAndWithoutTheSystemColours) {
    TBitmap picture = Picture24(2, 1, {MakeColor(1, 2, 3), MakeColor(200, 100, 50)});
    TDIBReader reader(picture, TPixelFormat::pf24bit);
    TPaletteHandle plain = MakeOptimizedPalette(reader, 4, 8, false);
    ASSERT_EQ(plain->palPalEntry.size(), 4u);
    EXPECT_EQ(plain->palPalEntry[0], (TPaletteEntry{1, 2, 3, 0}));
    EXPECT_EQ(plain->palPalEntry[1], (TPaletteEntry{200, 100, 50, 0}));
    EXPECT_EQ(plain->palPalEntry[2], (TPaletteEntry{}));  // beyond the leaves: black

    TPaletteHandle windows = MakeOptimizedPalette(reader, 256, 8, true);
    ASSERT_EQ(windows->palPalEntry.size(), 256u);
    const auto& system = DefaultSystemPalette()->palPalEntry;
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(windows->palPalEntry[static_cast<std::size_t>(i)], system[static_cast<std::size_t>(i)]);
        EXPECT_EQ(windows->palPalEntry[static_cast<std::size_t>(246 + i)], system[static_cast<std::size_t>(10 + i)]);
    }
    EXPECT_EQ(windows->palPalEntry[10], (TPaletteEntry{1, 2, 3, 0}));
    EXPECT_THROW(CreateOptimizedPaletteFromManyBitmaps({}, 16, 8, false), GIFException);
    TPaletteHandle many = CreateOptimizedPaletteFromManyBitmaps({&picture, &picture}, 16, 8, false);
    EXPECT_EQ(many->palPalEntry[1], (TPaletteEntry{200, 100, 50, 0}));
}

TEST(GIFReduceColors, ModesGiveEightBitPicturesOfTheirPalettes) {
    TBitmap picture = Picture24(3, 2, {MakeColor(255, 0, 0), MakeColor(47, 48, 0), MakeColor(255, 255, 255),
                                       MakeColor(128, 128, 128), MakeColor(127, 127, 127), MakeColor(0, 0, 0)});
    auto web = ReduceColors(picture, rmNetscape, dmNearest, 8, nullptr);
    ASSERT_EQ(web->PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(web->PixelIndex(0, 0), 180);
    EXPECT_EQ(web->PixelIndex(1, 0), 6);
    EXPECT_EQ(web->Colors()[6], (TRGBQuad{0, 51, 0, 0}));

    auto mono = ReduceColors(picture, rmMonochrome, dmNearest, 8, nullptr);
    EXPECT_EQ(mono->PixelIndex(0, 1), 1);
    EXPECT_EQ(mono->PixelIndex(1, 1), 0);
    EXPECT_EQ(mono->Pixel(0, 1), clWhite);

    auto gray = ReduceColors(picture, rmGrayScale, dmNearest, 8, nullptr);
    EXPECT_EQ(gray->PixelIndex(2, 0), 255);

    auto copy = ReduceColors(picture, rmNone, dmNearest, 8, nullptr);
    EXPECT_EQ(copy->PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(copy->Pixel(1, 0), MakeColor(47, 48, 0));

    // No custom palette: nothing usable, an empty result.
    EXPECT_TRUE(ReduceColors(picture, rmPalette, dmNearest, 8, nullptr)->Empty());

    auto quantized = ReduceColors(picture, rmQuantize, dmNearest, 3, nullptr);
    EXPECT_EQ(quantized->Colors().size(), 256u);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(quantized->Pixel(x, y), picture.Pixel(x, y)) << x << "," << y;
}

TEST(GIFReduceColors, PaletteColoursComeThroughEveryDitherUnchanged) {
    TLogPalette palette;
    palette.palPalEntry = {{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 200, 0, 0}, {7, 7, 9, 0}};
    TBitmap picture(7, 5, TPixelFormat::pf24bit);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            const TPaletteEntry& e = palette.palPalEntry[static_cast<std::size_t>((x * 3 + y) % 4)];
            picture.SetPixel(x, y, MakeColor(e.peRed, e.peGreen, e.peBlue));
        }
    for (TDitherMode mode : {dmNearest, dmFloydSteinberg, dmStucki, dmSierra, dmJaJuNI, dmSteveArche, dmBurkes}) {
        auto result = ReduceColors(picture, rmPalette, mode, 8, &palette);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x) ASSERT_EQ(result->PixelIndex(x, y), (x * 3 + y) % 4) << mode << " " << x << "," << y;
    }
}

TEST(GIFReduceColors, LargePictureEndsAsEightBits) {
    TBitmap picture(1000, 600, TPixelFormat::pf24bit);
    auto result = ReduceColors(picture, rmWindows20, dmNearest, 8, nullptr);
    EXPECT_EQ(result->PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(result->Width(), 1000);
    EXPECT_EQ(result->Height(), 600);
}
