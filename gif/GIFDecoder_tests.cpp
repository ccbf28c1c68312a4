#include "gif/GIFDecoder.h"

#include <gtest/gtest.h>

#include "gif/GIFEncoder.h"
#include "gif/GIFTestSupport.h"

using namespace giftest;

namespace {
// One frame of width x height with minimum code size 2 (or minCodeSize) and the given data blocks.
Bytes OneFrameFile(int width, int height, const Bytes& blocks, uint8_t minCodeSize = 2, uint8_t packed = 0) {
    return Concat({ScreenHeader(width, height), Descriptor(width, height, packed), {minCodeSize}, blocks, {0x3B}});
}

// A second 1x1 frame of pixel 3, to prove that the reader found the next block.
Bytes SecondFrame() { return Concat({Descriptor(1, 1), {2}, SubBlocks(PackCodes({{4, 3}, {3, 3}, {5, 3}}))}); }

Bytes TwoFrameFile(int width, int height, const Bytes& firstData) {
    return Concat({ScreenHeader(width, height), Descriptor(width, height), firstData, SecondFrame(), {0x3B}});
}

Bytes EncodeLZW(const Bytes& pixels, int bits, int width, int height) {
    TMemoryStream stream;
    TLZWEncoder encoder(nullptr);
    encoder.Encode(stream, bits, 1 << bits, pixels.data(), false, height, width);
    return stream.Bytes();
}
}  // namespace

TEST(GifLzwDecoder, ClearAndEndOnlyKeepTheFillAndLeaveTheStreamAtTheTrailer) {
    Bytes data = OneFrameFile(3, 1, SubBlocks(PackCodes({{4, 3}, {5, 3}})));
    TGIFImage image;
    TWarnings warnings;
    LoadImage(image, data, &warnings);
    ASSERT_EQ(image.Images().GetCount(), 1);
    EXPECT_EQ(FramePixels(image, 0), (Bytes{0, 0, 0}));
    EXPECT_TRUE(warnings.Messages.empty());
}

TEST(GifLzwDecoder, ExpandsACodeEqualToTheNextFreeCode) {
    Bytes data = OneFrameFile(4, 1, SubBlocks(PackCodes({{4, 3}, {1, 3}, {6, 3}, {0, 3}, {5, 3}})));
    TGIFImage image;
    LoadImage(image, data);
    EXPECT_EQ(FramePixels(image, 0), (Bytes{1, 1, 1, 0}));
}

TEST(GifLzwDecoder, FillsInterlacedRowsInPassOrder) {
    const std::vector<Bytes> orders = {{0}, {0, 1}, {0, 2, 1}, {0, 2, 1, 3}, {0, 4, 2, 1, 3}, {0, 8, 4, 2, 6, 1, 3, 5, 7}};
    for (const Bytes& order : orders) {
        int height = static_cast<int>(order.size());
        Bytes fileOrder(order.size());
        for (int i = 0; i < height; ++i) fileOrder[static_cast<std::size_t>(i)] = static_cast<uint8_t>(i);
        Bytes encoded = EncodeLZW(fileOrder, 4, 1, height);
        Bytes data = Concat({ScreenHeader(1, height), Descriptor(1, height, 0x40), encoded, {0x3B}});
        TGIFImage image;
        LoadImage(image, data);
        Bytes rows = FramePixels(image, 0);
        Bytes expected(order.size());
        for (int i = 0; i < height; ++i) expected[order[static_cast<std::size_t>(i)]] = static_cast<uint8_t>(i);
        EXPECT_EQ(rows, expected) << "height " << height;
    }
}

TEST(GifLzwDecoder, ReadsCodesAcrossSubBlocksOfAnySize) {
    // Nine-bit codes; with 9-byte blocks each block ends exactly where a code ends.
    std::vector<std::pair<int, int>> codes = {{256, 9}};
    Bytes pixels;
    for (int i = 1; i <= 20; ++i) {
        codes.push_back({i * 11, 9});
        pixels.push_back(static_cast<uint8_t>(i * 11));
    }
    codes.push_back({257, 9});
    Bytes packed = PackCodes(codes);
    for (std::size_t blockSize : {1u, 2u, 9u, 255u}) {
        TGIFImage image;
        TWarnings warnings;
        LoadImage(image, TwoFrameFile(20, 1, Concat({{8}, SubBlocks(packed, blockSize)})), &warnings);
        ASSERT_EQ(image.Images().GetCount(), 2) << blockSize;
        EXPECT_EQ(FramePixels(image, 0), pixels) << blockSize;
        EXPECT_EQ(FramePixels(image, 1), Bytes{3});
        EXPECT_TRUE(warnings.Messages.empty());
    }
}

TEST(GifLzwDecoder, SkipsSurplusDataUpToTheTerminator) {
    Bytes packed = PackCodes({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {1, 3}, {2, 3}});
    Bytes surplus = Concat({{static_cast<uint8_t>(packed.size())}, packed, {3, 0x2C, 0x21, 0x3B}, {2, 0x2C, 0x2C}, {0}});
    TGIFImage image;
    TWarnings warnings;
    LoadImage(image, TwoFrameFile(2, 1, Concat({{2}, surplus})), &warnings);
    ASSERT_EQ(image.Images().GetCount(), 2);
    EXPECT_EQ(FramePixels(image, 0), (Bytes{1, 2}));
    EXPECT_EQ(FramePixels(image, 1), Bytes{3});
    EXPECT_TRUE(warnings.Messages.empty());
}

TEST(GifLzwDecoder, StopsTheFrameAtCorruptCodesAndReadsTheNextFrame) {
    struct Case {
        const char* name;
        Bytes data;
        Bytes pixels;
    };
    const Case cases[] = {
        {"code above the next free code", Concat({{2}, SubBlocks(PackCodes({{4, 3}, {1, 3}, {7, 3}, {1, 3}}))}), {1, 0, 0}},
        {"first code after a clear is not a literal", Concat({{2}, SubBlocks(PackCodes({{4, 3}, {6, 3}, {1, 3}}))}), {0, 0, 0}},
        {"first code of the data is not a literal", Concat({{2}, SubBlocks(PackCodes({{7, 3}, {1, 3}}))}), {0, 0, 0}},
        {"minimum code size above 11", Concat({{12}, SubBlocks(Bytes(40, 0xFF))}), {0, 0, 0}},
    };
    for (const Case& c : cases) {
        TGIFImage image;
        TWarnings warnings;
        LoadImage(image, TwoFrameFile(3, 1, c.data), &warnings);
        ASSERT_EQ(image.Images().GetCount(), 2) << c.name;
        EXPECT_EQ(FramePixels(image, 0), c.pixels) << c.name;
        EXPECT_EQ(FramePixels(image, 1), Bytes{3}) << c.name;
        EXPECT_EQ(warnings.Messages, std::vector<std::string>{"Invalid GIF data"}) << c.name;
    }
}

TEST(GifLzwDecoder, DecodesWhatRemainsOfABlockLongerThanTheStream) {
    Bytes packed = PackCodes({{4, 3}, {1, 3}, {2, 3}, {3, 3}});
    Bytes data = Concat({ScreenHeader(4, 1), Descriptor(4, 1), {2, 200}, packed});
    TGIFImage image;
    TWarnings warnings;
    LoadImage(image, data, &warnings);
    ASSERT_EQ(image.Images().GetCount(), 1);
    EXPECT_EQ(FramePixels(image, 0), (Bytes{1, 2, 3, 0}));
    EXPECT_EQ(warnings.Messages, std::vector<std::string>{"Premature end of data"});
}

TEST(GifLzwDecoder, WarnsWhenTheBitsRunOutExactlyAtTheTerminator) {
    // The fourth code raises the code size to 4 bits; 16 bits in all.
    Bytes packed = PackCodes({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {1, 4}});
    ASSERT_EQ(packed.size(), 2u);
    TGIFImage image;
    TWarnings warnings;
    LoadImage(image, OneFrameFile(9, 1, SubBlocks(packed)), &warnings);
    EXPECT_EQ(FramePixels(image, 0), (Bytes{1, 2, 3, 1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(warnings.Messages, std::vector<std::string>{"Decoder bit buffer under-run"});
}

TEST(GifLzwDecoder, FillsWithTheTransparentIndexWhereTheDataEnd) {
    Bytes gce = {0x21, 0xF9, 4, 1, 0, 0, 2, 0};
    Bytes data = Concat({ScreenHeader(3, 1), gce, Descriptor(3, 1), {2}, SubBlocks(PackCodes({{4, 3}, {1, 3}, {5, 3}})), {0x3B}});
    TGIFImage image;
    LoadImage(image, data);
    EXPECT_EQ(FramePixels(image, 0), (Bytes{1, 2, 2}));
    EXPECT_TRUE(image.Images().GetImage(0)->Transparent());
}

TEST(GifLzwDecoder, AnEmptyFrameOnAnEmptyScreenSkipsItsDataAndEnds) {
    Bytes data = Concat({ScreenHeader(0, 0), Descriptor(0, 0, 0x40), {2}, SubBlocks(PackCodes({{4, 3}, {1, 3}, {5, 3}})),
                         SecondFrame(), {0x3B}});
    TGIFImage image;
    TWarnings warnings;
    LoadImage(image, data, &warnings);
    ASSERT_EQ(image.Images().GetCount(), 2);
    EXPECT_TRUE(image.Images().GetImage(0)->Pixels().empty());
    EXPECT_EQ(FramePixels(image, 1), Bytes{3});
}

TEST(GifLzwDecoder, StreamEndingInsideTheDataKeepsTheFillWithoutAnError) {
    Bytes data = Concat({ScreenHeader(4, 1), Descriptor(4, 1), {2, 1}, PackCodes({{4, 3}, {1, 3}})});
    TGIFImage image;
    LoadImage(image, data);
    EXPECT_EQ(FramePixels(image, 0), (Bytes{1, 0, 0, 0}));
}
