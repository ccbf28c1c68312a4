#include "base/Bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "base/ByteIO.h"
#include "base/Exception.h"
#include "base/Stream.h"

namespace {

std::vector<uint8_t> Saved(const TBitmap& b) {
    TMemoryStream m;
    b.SaveToStream(m);
    return m.Bytes();
}

TBitmap Loaded(const std::vector<uint8_t>& bytes) {
    TBitmap b;
    b.LoadFromMemory(bytes.data(), bytes.size());
    return b;
}

// A .bmp file of the given header whose bits are `bits` (RLE or not), with a grey table.
std::vector<uint8_t> BmpFile(int32_t width, int32_t height, int depth, uint32_t compression,
                             const std::vector<uint8_t>& bits) {
    const uint32_t colours = depth <= 8 ? 1u << depth : 0;
    ByteWriter w;
    w.Bytes("BM", 2);
    w.U32(static_cast<uint32_t>(14 + 40 + 4 * colours + bits.size()));
    w.U32(0);
    w.U32(14 + 40 + 4 * colours);
    w.U32(40);
    w.U32(static_cast<uint32_t>(width));
    w.U32(static_cast<uint32_t>(height));
    w.U16(1);
    w.U16(static_cast<uint32_t>(depth));
    w.U32(compression);
    w.U32(static_cast<uint32_t>(bits.size()));
    w.U32(0);
    w.U32(0);
    w.U32(colours);
    w.U32(0);
    for (uint32_t i = 0; i < colours; ++i) w.U32(i * 0x010101);
    w.Bytes(bits.data(), bits.size());
    return w.Data;
}

// Repeats the bytes `times` times.
std::vector<uint8_t> Repeated(std::initializer_list<uint8_t> bytes, std::size_t times) {
    std::vector<uint8_t> out(bytes);
    out.resize(bytes.size() * times);
    for (std::size_t done = bytes.size(); done < out.size(); done *= 2)
        std::memcpy(out.data() + done, out.data(), std::min(done, out.size() - done));
    return out;
}

std::vector<uint8_t> Joined(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

TEST(Bitmap, EveryDepthRoundTripsThroughABmpFile) {
    const TPixelFormat formats[] = {TPixelFormat::pf1bit,  TPixelFormat::pf4bit,  TPixelFormat::pf8bit,
                                    TPixelFormat::pf15bit, TPixelFormat::pf16bit, TPixelFormat::pf24bit,
                                    TPixelFormat::pf32bit};
    for (TPixelFormat pf : formats) {
        TBitmap b(5, 3, pf);
        b.SetPixel(0, 0, clWhite);
        b.SetPixel(4, 2, clWhite);
        b.SetPixel(2, 1, IsPaletted(pf) && BitsOf(pf) == 1 ? clWhite : clRed);
        TBitmap c = Loaded(Saved(b));
        SCOPED_TRACE(BitsOf(pf));
        ASSERT_EQ(c.Width(), 5);
        ASSERT_EQ(c.Height(), 3);
        EXPECT_EQ(c.PixelFormat(), pf);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) EXPECT_EQ(c.Pixel(x, y), b.Pixel(x, y)) << x << "," << y;
        EXPECT_EQ(c.Pixel(0, 0), clWhite);
        EXPECT_EQ(c.Pixel(1, 0), clBlack);
    }
}

TEST(Bitmap, FileLayoutIsBottomUpWithTheOffsetToTheBits) {
    TBitmap b(2, 2, TPixelFormat::pf24bit);
    b.SetPixel(0, 0, MakeColor(1, 2, 3));  // top-left
    std::vector<uint8_t> f = Saved(b);
    ASSERT_EQ(f.size(), 14u + 40u + 16u);
    EXPECT_EQ(GetLE32(f.data() + 10), 54u);
    // The top row is stored last: bytes 54 + 8 .. are row 0.
    EXPECT_EQ(f[54 + 8], 3);
    EXPECT_EQ(f[54 + 9], 2);
    EXPECT_EQ(f[54 + 10], 1);
}

TEST(Bitmap, ReaderHonoursTopDownRowsAndTheBitsOffset) {
    TBitmap b(2, 2, TPixelFormat::pf8bit);
    b.SetPixelIndex(0, 0, 7);
    std::vector<uint8_t> f = Saved(b);
    // Make it top-down: negate the height and swap the two rows.
    PutLE32(f.data() + 22, static_cast<uint32_t>(-2));
    std::size_t bits = GetLE32(f.data() + 10);
    std::swap_ranges(f.begin() + bits, f.begin() + bits + 4, f.begin() + bits + 4);
    // Insert 10 bytes of junk before the bits and move the offset.
    f.insert(f.begin() + bits, 10, 0xEE);
    PutLE32(f.data() + 10, static_cast<uint32_t>(bits + 10));
    TBitmap c = Loaded(f);
    EXPECT_EQ(c.PixelIndex(0, 0), 7);
    EXPECT_EQ(c.PixelIndex(1, 1), 0);
}

TEST(Bitmap, ReaderDecodesRle8) {
    // 4x2, 8-bit RLE: bottom row = 5 5 5 5, top row = 1 2 3 (absolute) then end.
    ByteWriter w;
    w.Bytes("BM", 2);
    w.U32(0);
    w.U32(0);
    w.U32(14 + 40 + 4 * 4);
    w.U32(40);
    w.U32(4);
    w.U32(2);
    w.U16(1);
    w.U16(8);
    w.U32(1);  // BI_RLE8
    w.U32(0);
    w.U32(0);
    w.U32(0);
    w.U32(4);
    w.U32(0);
    for (int i = 0; i < 4; ++i) w.U32(static_cast<uint32_t>(i * 0x101010));
    const uint8_t rle[] = {4, 5, 0, 0, 0, 3, 1, 2, 3, 0, 0, 1};
    w.Bytes(rle, sizeof rle);
    TBitmap c = Loaded(w.Data);
    EXPECT_EQ(c.PixelIndex(0, 1), 5);
    EXPECT_EQ(c.PixelIndex(3, 1), 5);
    EXPECT_EQ(c.PixelIndex(0, 0), 1);
    EXPECT_EQ(c.PixelIndex(2, 0), 3);
    EXPECT_EQ(c.PixelIndex(3, 0), 0);
}

TEST(Bitmap, RleCountersStayInsideThePictureWhateverTheyAddUpTo) {
    // Runs of 255 pixels, or deltas of 255 columns, whose sum passes 2^31 on the bottom row
    // of a 32x32 picture; then the end of the row and a run of 3 on the next one.
    constexpr std::size_t kPast2G = (std::size_t{1} << 31) / 255 + 1;
    struct Case {
        const char* what;
        int depth;
        uint32_t compression;
        std::vector<uint8_t> head;  // what runs the counter up
        int bottomRow;              // the index the bottom row's 32 pixels hold
        int next;                   // the index of the run on the row above
    };
    const Case cases[] = {
        {"RLE8 runs", 8, 1, Repeated({255, 7}, kPast2G), 7, 9},
        {"RLE4 runs", 4, 2, Repeated({255, 0x55}, kPast2G), 5, 9},
        {"RLE8 deltas", 8, 1, Repeated({0, 2, 255, 0}, kPast2G), 0, 9},
        {"RLE8 absolute stretch past the row", 8, 1, Joined({0, 254}, Repeated({6}, 254)), 6, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const uint8_t run = c.depth == 4 ? 0x99 : 9;
        TBitmap b = Loaded(BmpFile(32, 32, c.depth, c.compression, Joined(c.head, {0, 0, 3, run, 0, 1})));
        ASSERT_EQ(b.Width(), 32);
        for (int x = 0; x < 32; ++x) EXPECT_EQ(b.PixelIndex(x, 31), c.bottomRow) << x;
        EXPECT_EQ(b.PixelIndex(0, 30), c.next);
        EXPECT_EQ(b.PixelIndex(2, 30), c.next);
        EXPECT_EQ(b.PixelIndex(3, 30), 0);
        EXPECT_EQ(b.PixelIndex(0, 0), 0);
    }
}

TEST(Bitmap, RleDeltaPastTheLastRowEndsThePicture) {
    // 4x2: a run of 3, a delta that moves one column and past the top row, then runs that
    // would be drawn if the delta had wrapped.
    const std::vector<uint8_t> bits = {3, 4, 0, 2, 1, 200, 2, 8, 0, 0, 4, 8, 0, 1};
    TBitmap b = Loaded(BmpFile(4, 2, 8, 1, bits));
    EXPECT_EQ(b.PixelIndex(0, 1), 4);
    EXPECT_EQ(b.PixelIndex(2, 1), 4);
    EXPECT_EQ(b.PixelIndex(3, 1), 0);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(b.PixelIndex(x, 0), 0) << x;
}

TEST(Bitmap, PictureSizeIsRefusedByTheHeaderBeforeAnythingIsAllocated) {
    // Six bytes of RLE that declare 32768 x 8192 (268 million pixels).
    const std::vector<uint8_t> bomb = BmpFile(32768, 8192, 8, 1, {0, 0, 0, 0, 0, 1});
    TBitmap b;
    EXPECT_THROW(b.LoadFromMemory(bomb.data(), bomb.size()), EInvalidGraphic);
    EXPECT_TRUE(b.Empty());
    // The limit counts pixels: at it a picture is read, one row more is refused.
    TBitmapLimits limits;
    limits.MaxPixels = 12;
    const std::vector<uint8_t> at = BmpFile(4, 3, 8, 1, {0, 1});
    TBitmap atLimit;
    atLimit.LoadFromMemory(at.data(), at.size(), limits);
    EXPECT_EQ(atLimit.Height(), 3);
    const std::vector<uint8_t> over = BmpFile(4, -4, 24, 0, std::vector<uint8_t>(48));
    EXPECT_THROW(b.LoadFromMemory(over.data(), over.size(), limits), EInvalidGraphic);
}

TEST(Bitmap, ReaderRejectsBrokenFiles) {
    TBitmap b(4, 4, TPixelFormat::pf24bit);
    std::vector<uint8_t> good = Saved(b);
    struct Case {
        const char* what;
        std::size_t offset;
        uint32_t value;
        bool shrink;
    };
    const Case cases[] = {
        {"truncated bits", 0, 0, true},
        {"zero width", 18, 0, false},
        {"huge width", 18, 0x7FFFFFFF, false},
        {"depth 7", 28, 7, false},
        {"jpeg compression", 30, 4, false},
        {"header size 7", 14, 7, false},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> f = good;
        if (c.shrink)
            f.resize(f.size() - 5);
        else if (c.offset == 28)
            PutLE16(f.data() + c.offset, c.value);
        else
            PutLE32(f.data() + c.offset, c.value);
        TBitmap x;
        EXPECT_THROW(x.LoadFromMemory(f.data(), f.size()), EInvalidGraphic) << c.what;
    }
    std::vector<uint8_t> sig = good;
    sig[0] = 'X';
    EXPECT_THROW(Loaded(sig), EInvalidGraphic);
}

TEST(Bitmap, ConvertingToAPaletteUsesTheNearestEntry) {
    TBitmap b(2, 1, TPixelFormat::pf24bit);
    b.SetPixel(0, 0, MakeColor(250, 10, 10));
    b.SetPixel(1, 0, MakeColor(5, 5, 5));
    b.SetPixelFormat(TPixelFormat::pf4bit);
    EXPECT_EQ(b.Pixel(0, 0), clRed);
    EXPECT_EQ(b.Pixel(1, 0), clBlack);
}
