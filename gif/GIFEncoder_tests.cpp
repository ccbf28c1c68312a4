#include "gif/GIFEncoder.h"

#include <gtest/gtest.h>

#include "gif/GIFDecoder.h"
#include "gif/GIFTestSupport.h"

using namespace giftest;

namespace {
Bytes Encode(TGIFEncoder&& encoder, const Bytes& pixels, int bits, int width, int height, bool interlaced = false) {
    TMemoryStream stream;
    encoder.Encode(stream, bits, 1 << bits, pixels.empty() ? nullptr : pixels.data(), interlaced, height, width);
    return stream.Bytes();
}

// The data bytes of encoded image data without length bytes, or empty when malformed.
Bytes Unblock(const Bytes& encoded) {
    Bytes out;
    std::size_t pos = 1;
    while (pos < encoded.size() && encoded[pos] != 0) {
        std::size_t n = encoded[pos];
        out.insert(out.end(), encoded.begin() + static_cast<std::ptrdiff_t>(pos + 1),
                   encoded.begin() + static_cast<std::ptrdiff_t>(pos + 1 + n));
        pos += n + 1;
    }
    return out;
}

Bytes Decode(const Bytes& encoded, int width, int height, bool interlaced = false) {
    Bytes pixels(static_cast<std::size_t>(width * height), 0xEE);
    TBytesStream stream(encoded.data(), static_cast<int64_t>(encoded.size()));
    TGIFDecoder decoder(stream, [](TGIFSeverity, const std::string& m) { ADD_FAILURE() << m; });
    decoder.Decode(pixels.data(), width, height, interlaced);
    EXPECT_EQ(stream.Position(), stream.Size());
    return pixels;
}

// Runs of random colours and lengths, up to maxRun pixels each.
Bytes RunPixels(int count, int colors, int maxRun, uint32_t seed) {
    Bytes out;
    Bytes noise = NoisyPixels(2 * count + 2, 251, seed);
    for (std::size_t i = 0; out.size() < static_cast<std::size_t>(count); i += 2) {
        int run = 1 + (noise[i] * noise[i + 1]) % maxRun;
        out.insert(out.end(), static_cast<std::size_t>(run), static_cast<uint8_t>(noise[i + 1] % colors));
    }
    out.resize(static_cast<std::size_t>(count));
    return out;
}
}  // namespace

TEST(GifLzwEncoder, OnePixelIsClearPixelAndEndInNineBits) {
    Bytes expected = Concat({{8, 4}, PackCodes({{256, 9}, {0x5A, 9}, {257, 9}}), {0}});
    EXPECT_EQ(Encode(TLZWEncoder(nullptr), {0x5A}, 8, 1, 1), expected);
}

TEST(GifLzwEncoder, OneAndTwoBitFramesUseMinimumCodeSizeTwo) {
    for (int bits : {1, 2}) {
        Bytes b = Encode(TLZWEncoder(nullptr), {1, 0}, bits, 2, 1);
        EXPECT_EQ(b, Concat({{2}, SubBlocks(PackCodes({{4, 3}, {1, 3}, {0, 3}, {5, 3}}))})) << bits;
    }
}

TEST(GifLzwEncoder, NoPixelsWriteOnlyTheEndCode) {
    EXPECT_EQ(Encode(TLZWEncoder(nullptr), {}, 2, 0, 0), (Bytes{2, 1, 5, 0}));
    EXPECT_EQ(Encode(TRLEEncoder(nullptr), {}, 2, 0, 5), (Bytes{2, 1, 5, 0}));
}

TEST(GifLzwEncoder, FullBlocksNeverLeaveAnEmptyBlockBeforeTheTerminator) {
    bool found255 = false, found256 = false;
    for (int n = 200; n < 400 && !(found255 && found256); ++n) {
        Bytes b = Encode(TLZWEncoder(nullptr), NoisyPixels(n, 256, 7), 8, n, 1);
        std::size_t data = Unblock(b).size();
        if (data == 255) {
            found255 = true;
            EXPECT_EQ(b.size(), 1 + 1 + 255 + 1u);
            EXPECT_EQ(b[1], 255);
        } else if (data == 256) {
            found256 = true;
            EXPECT_EQ(b.size(), 1 + 1 + 255 + 1 + 1 + 1u);
            EXPECT_EQ(b[1 + 256], 1);
        }
        EXPECT_EQ(b.back(), 0);
    }
    EXPECT_TRUE(found255 && found256);
}

TEST(GifLzwEncoder, WritesInterlacedRowsInPassOrder) {
    const std::vector<Bytes> orders = {{0, 2, 1}, {0, 4, 2, 1, 3}};
    for (const Bytes& order : orders) {
        int height = static_cast<int>(order.size());
        Bytes pixels(order.size());
        for (int i = 0; i < height; ++i) pixels[static_cast<std::size_t>(i)] = static_cast<uint8_t>(i);
        Bytes written = Decode(Encode(TLZWEncoder(nullptr), pixels, 4, 1, height, true), 1, height);
        EXPECT_EQ(written, order);
        EXPECT_EQ(Decode(Encode(TLZWEncoder(nullptr), pixels, 4, 1, height, true), 1, height, true), pixels);
    }
}

TEST(GifLzwEncoder, RoundTripsNoisyPicturesThroughTableResets) {
    Bytes pixels = NoisyPixels(300 * 200, 256);
    EXPECT_EQ(Decode(Encode(TLZWEncoder(nullptr), pixels, 8, 300, 200), 300, 200), pixels);
    Bytes few = NoisyPixels(300 * 200, 3);
    EXPECT_EQ(Decode(Encode(TLZWEncoder(nullptr), few, 2, 300, 200), 300, 200), few);
}

TEST(GifLzwEncoder, AColourOutsideTheTableRaisesAndLeavesTheDataUnterminated) {
    TMemoryStream stream;
    Bytes pixels(600, 1);
    pixels[599] = 3;
    TLZWEncoder encoder(nullptr);
    try {
        encoder.Encode(stream, 2, 3, pixels.data(), false, 1, 600);
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Color not in color table");
    }
    ASSERT_GT(stream.Size(), 2);
    EXPECT_NE(stream.Bytes().back(), 0);
}

TEST(GifRleEncoder, OneColourTeachesTheDecoderEverLongerRuns) {
    Bytes expected = Concat({{2}, SubBlocks(PackCodes({{4, 3}, {1, 3}, {6, 3}, {7, 3}, {8, 4}, {5, 4}}))});
    EXPECT_EQ(Encode(TRLEEncoder(nullptr), Bytes(10, 1), 2, 10, 1), expected);
}

TEST(GifRleEncoder, RoundTripsRunsOfEveryLength) {
    struct Case {
        int bits, colors, maxRun, width, height;
    };
    const Case cases[] = {{2, 4, 3, 50, 40}, {2, 2, 5000, 400, 300}, {4, 16, 40, 128, 100}, {8, 256, 1, 64, 64},
                          {8, 200, 30000, 512, 512}, {8, 256, 9, 300, 200}};
    for (const Case& c : cases) {
        Bytes pixels = RunPixels(c.width * c.height, c.colors, c.maxRun, static_cast<uint32_t>(c.maxRun));
        Bytes encoded = Encode(TRLEEncoder(nullptr), pixels, c.bits, c.width, c.height);
        EXPECT_EQ(Decode(encoded, c.width, c.height), pixels) << c.bits << " " << c.maxRun;
    }
}

TEST(GifRleEncoder, IntegerSquareRootAndRunCostAgreeWithTheirDefinitions) {
    for (int64_t x : {0, 1, 2, 3, 4, 15, 16, 17, 99, 100, 1000000, 123456789}) {
        int64_t r = TRLEEncoder::IntegerSquareRoot(x);
        EXPECT_TRUE(r * r <= x && (r + 1) * (r + 1) > x) << x;
    }
    EXPECT_EQ(TRLEEncoder::RunCodeCost(10, 100), 4);  // 1 + 2 + 3 + 4
    EXPECT_EQ(TRLEEncoder::RunCodeCost(11, 100), 5);
    EXPECT_EQ(TRLEEncoder::RunCodeCost(6 + 6 + 1, 3), 3 + 3 + 1);
}

TEST(GifWriter, PlainGifStreamsRefuseEveryOperation) {
    TMemoryStream target;
    TGIFStream stream(target, nullptr);
    uint8_t b = 0;
    EXPECT_THROW(stream.Read(&b, 1), Exception);
    EXPECT_THROW(stream.Write(&b, 1), Exception);
    EXPECT_THROW(stream.Seek(0, TSeekOrigin::soBeginning), Exception);
}
