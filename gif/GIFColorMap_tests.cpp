#include "gif/GIFColorMap.h"

#include <gtest/gtest.h>

#include "gif/GIFTestSupport.h"

using namespace giftest;

namespace {
int AddGreys(TGIFColorMap& map, int n) {
    for (int i = 0; i < n; ++i) map.Add(MakeColor(static_cast<uint8_t>(i), 1, 2));
    return map.Count();
}
}  // namespace

TEST(GifColorMap, BitsPerPixelAndWrittenSizeArePowersOfTwo) {
    const int cases[][3] = {{0, 0, 0}, {1, 1, 2}, {2, 1, 2}, {3, 2, 4}, {4, 2, 4}, {5, 3, 8}, {129, 8, 256}, {256, 8, 256}};
    for (auto& c : cases) {
        TGIFLocalColorMap map(nullptr);
        AddGreys(map, c[0]);
        EXPECT_EQ(map.GetBitsPerPixel(), c[1]) << c[0];
        TMemoryStream stream;
        map.SaveToStream(stream);
        EXPECT_EQ(stream.Size(), 3 * c[2]) << c[0];
        if (c[0] == 3) {
            EXPECT_EQ((Bytes{stream.Bytes().end() - 3, stream.Bytes().end()}), (Bytes{0, 0, 0}));
        }
    }
}

TEST(GifColorMap, CapacityGrowsInSteps) {
    const int cases[][2] = {{1, 16}, {16, 16}, {17, 32}, {200, 224}, {256, 256}};
    for (auto& c : cases) {
        TGIFLocalColorMap map(nullptr);
        map.SetCapacity(c[0]);
        EXPECT_EQ(map.Capacity(), c[1]) << c[0];
        map.SetCapacity(c[0] - 1);
        EXPECT_EQ(map.Capacity(), c[1]);
    }
}

TEST(GifColorMap, The257thColourOverflows) {
    TGIFLocalColorMap map(nullptr);
    EXPECT_EQ(AddGreys(map, 256), 256);
    EXPECT_THROW(map.Add(clWhite), GIFException);
    EXPECT_EQ(map.Count(), 256);
}

TEST(GifColorMap, IndexOfSearchesByTheSortedFlag) {
    TGIFImage image;
    Bytes pixels = {0, 0, 0, 1, 2, 2};
    TGIFSubImage& frame = AddFrame(image, 6, 1, 3, pixels);
    TGIFLocalColorMap& map = frame.ColorMap();
    map.SetColor(2, map.GetColor(0));
    EXPECT_EQ(map.IndexOf(map.GetColor(0)), 2);
    ASSERT_TRUE(map.OptimizeMap());  // uses: 0 → 3, 2 → 2, 1 → 1
    EXPECT_TRUE(map.Optimized());
    EXPECT_EQ(map.IndexOf(map.GetColor(0)), 0);
    EXPECT_EQ(map.IndexOf(map.GetColor(1)), 0);
}

TEST(GifColorMap, OptimizeOrdersByUseAndFollowsWithThePixels) {
    TGIFImage image;
    Bytes pixels = {1, 2, 2, 2, 1, 0};  // 0 once, 1 twice, 2 three times, 3 never
    TGIFSubImage& frame = AddFrame(image, 6, 1, 4, pixels);
    std::vector<TColor> before;
    for (int i = 0; i < 4; ++i) before.push_back(frame.ColorMap().GetColor(i));
    ASSERT_TRUE(frame.ColorMap().OptimizeMap());
    EXPECT_EQ(frame.ColorMap().Count(), 3);
    EXPECT_EQ(FramePixels(image, 0), (Bytes{1, 0, 0, 0, 1, 2}));
    EXPECT_EQ(frame.ColorMap().GetColor(0), before[2]);
    EXPECT_EQ(frame.ColorMap().GetColor(1), before[1]);
    EXPECT_EQ(frame.ColorMap().GetColor(2), before[0]);
}

TEST(GifColorMap, OptimizeOfAnOrderedTableStillDropsUnusedEntries) {
    TGIFImage image;
    Bytes pixels = {0, 0, 0, 1, 1, 2};
    TGIFSubImage& frame = AddFrame(image, 6, 1, 5, pixels);
    ASSERT_TRUE(frame.ColorMap().OptimizeMap());
    EXPECT_EQ(frame.ColorMap().Count(), 3);
    EXPECT_EQ(FramePixels(image, 0), pixels);
}

TEST(GifColorMap, GlobalTableCountsOnlyTheFramesThatUseIt) {
    TGIFImage image;
    std::vector<TGIFColor> colors = GreyColors(3);
    image.ColorMap().ImportColorMap(colors.data(), 3);
    TGIFSubImage& global = AddFrame(image, 3, 1, 0, {2, 2, 1});
    TGIFSubImage& local = AddFrame(image, 3, 1, 3, {0, 0, 0});
    ASSERT_TRUE(image.ColorMap().OptimizeMap());
    EXPECT_EQ(image.ColorMap().Count(), 2);
    EXPECT_EQ((Bytes{global.Pixels().begin(), global.Pixels().end()}), (Bytes{0, 0, 1}));
    EXPECT_EQ((Bytes{local.Pixels().begin(), local.Pixels().end()}), (Bytes{0, 0, 0}));
}

TEST(GifColorMap, BadIndexesRaiseOrWarnAsTheirOperationSays) {
    TGIFImage image;
    TWarnings warnings;
    warnings.Attach(image);
    TGIFLocalColorMap map(nullptr);
    EXPECT_THROW(map.Delete(0), GIFException);
    EXPECT_THROW(map.SetColor(0, clRed), GIFException);
    TGIFSubImage& frame = AddFrame(image, 1, 1, 2, {0});
    EXPECT_EQ(frame.ColorMap().GetColor(5), frame.ColorMap().GetColor(0));
    EXPECT_EQ(warnings.Messages, std::vector<std::string>{"Invalid color index"});
    frame.ColorMap().Clear();
    EXPECT_THROW(frame.ColorMap().GetColor(0), GIFException);
}

TEST(GifColorMap, ExportedPaletteCarriesTheEntriesAndNoCollapseFlags) {
    TGIFLocalColorMap map(nullptr);
    EXPECT_EQ(map.ExportPalette(), nullptr);
    map.Add(MakeColor(10, 20, 30));
    TPaletteHandle palette = map.ExportPalette();
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->palVersion, 0x300);
    ASSERT_EQ(palette->palPalEntry.size(), 1u);
    EXPECT_EQ(palette->palPalEntry[0], (TPaletteEntry{10, 20, 30, 4}));
}
