#include "ZlibAdapter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "PngTestSupport.h"

namespace {
// The PNG predictors written out plainly, as the reference for the fast code.
int RefPredict(int type, int a, int b, int c) {
    switch (type) {
    case 1: return a;
    case 2: return b;
    case 3: return (a + b) / 2;
    case 4: {
        int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
        return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
    }
    default: return 0;
    }
}

Bytes RefUnfilter(int type, Bytes row, const Bytes& prev, int bpp) {
    for (std::size_t i = 0; i < row.size(); ++i) {
        int a = i >= std::size_t(bpp) ? row[i - bpp] : 0, c = i >= std::size_t(bpp) ? prev[i - bpp] : 0;
        row[i] = static_cast<uint8_t>(row[i] + RefPredict(type, a, prev[i], c));
    }
    return row;
}

Bytes RandomBytes(std::mt19937& rng, std::size_t n, int spread = 256) {
    Bytes b(n);
    for (auto& x : b) x = static_cast<uint8_t>(rng() % spread);
    return b;
}

// Compresses rows with png_write_line and returns the zlib stream.
Bytes EncodeRows(const std::vector<Bytes>& rows, int mode, int bitsPerPixel, int pngBits) {
    TRUDEDIInfo info;
    Bytes out;
    info.Callback = [&](TGLDZLIBInfo& i) {
        out.insert(out.end(), i.Buffer.begin(), i.Buffer.begin() + (i.BufferSize - static_cast<int>(i.Stream.avail_out)));
        return 0;
    };
    EXPECT_EQ(ZLIBEncodeInit(info, 6, 300), 0);
    const int n = static_cast<int>(rows[0].size());
    Bytes cur(n), prev(n, 0), outRow(n + 1), trial(n + 1);
    uint32_t hist[256];
    info.CurRow = cur.data(), info.PrevRow = prev.data(), info.OutRow = outRow.data(), info.TrialRow = trial.data();
    info.Histogram = hist;
    info.RowLength = n + 1, info.FilterMode = mode, info.BitsPerPixel = bitsPerPixel, info.PngBits = pngBits;
    for (const Bytes& r : rows) {
        std::copy(r.begin(), r.end(), info.CurRow);
        EXPECT_EQ(png_write_line(info), 0);
        std::swap(info.CurRow, info.PrevRow);
    }
    EXPECT_EQ(ZLIBEncodeFlush(info), 0);
    ZLIBEncodeFinish(info);
    return out;
}

// Feeds a zlib stream to the decoder in pieces of the given size.
struct Feeder {
    Bytes Data;
    std::size_t Piece = 7, Pos = 0;
    int operator()(TGLDZLIBInfo& info) {
        if (Pos >= Data.size()) return -1;
        std::size_t n = std::min(Piece, Data.size() - Pos);
        std::copy_n(Data.begin() + static_cast<long>(Pos), n, info.Buffer.begin());
        Pos += n;
        info.Stream.next_in = info.Buffer.data();
        info.Stream.avail_in = static_cast<uInt>(n);
        return 0;
    }
};

std::vector<Bytes> DecodeRows(const Bytes& z, int rows, int n, int bitsPerPixel, std::vector<int>* types = nullptr) {
    TRUDEDIInfo info;
    Feeder f{z};
    info.Callback = std::ref(f);
    EXPECT_EQ(ZLIBDecodeInit(info), 0);
    Bytes cur(n + 1), prev(n + 1, 0);
    info.CurRow = cur.data(), info.PrevRow = prev.data(), info.RowLength = n + 1, info.BitsPerPixel = bitsPerPixel;
    std::vector<Bytes> out;
    for (int r = 0; r < rows; ++r) {
        int filterType = -1;
        int res = ZLIBDecode(info, info.CurRow, info.RowLength);
        if (res != 0 && res != 1) break;
        filterType = info.CurRow[0];
        if (!PngUnfilterRow(filterType, info.CurRow + 1, info.PrevRow + 1, n, PngBytesPerPixel(bitsPerPixel))) break;
        if (types) types->push_back(filterType);
        out.emplace_back(info.CurRow + 1, info.CurRow + 1 + n);
        std::swap(info.CurRow, info.PrevRow);
    }
    ZLIBDecodeFinish(info);
    return out;
}
} // namespace

TEST(PngFilters, UnfilterMatchesThePlainPredictors) {
    std::mt19937 rng(7);
    for (int bpp : {1, 2, 3, 4, 6, 8})
        for (int type = 0; type <= 4; ++type) {
            Bytes row = RandomBytes(rng, 37), prev = RandomBytes(rng, 37);
            Bytes fast = row;
            ASSERT_TRUE(PngUnfilterRow(type, fast.data(), prev.data(), 37, bpp));
            EXPECT_EQ(fast, RefUnfilter(type, row, prev, bpp)) << "type " << type << " bpp " << bpp;
        }
}

TEST(PngFilters, AverageAddsInNineBits) {
    Bytes row = {200, 0}, prev = {0, 200};
    ASSERT_TRUE(PngUnfilterRow(3, row.data(), prev.data(), 2, 1));
    EXPECT_EQ(row[0], 200);
    EXPECT_EQ(row[1], 200);  // (200 + 200) / 2, not (400 mod 256) / 2
}

TEST(PngFilters, RejectsUnknownFilterType) {
    Bytes row = {1, 2};
    EXPECT_FALSE(PngUnfilterRow(5, row.data(), row.data(), 2, 1));
}

TEST(PngFilters, EveryModeRoundTripsThroughZlib) {
    std::mt19937 rng(11);
    struct Case { int bitsPerPixel, pngBits, width; };
    for (Case c : {Case{1, 1, 61}, Case{4, 4, 33}, Case{8, 8, 40}, Case{16, 8, 20}, Case{24, 24, 17}, Case{32, 32, 9},
                   Case{48, 24, 5}}) {
        const int n = (c.width * c.bitsPerPixel + 7) / 8;
        std::vector<Bytes> rows;
        for (int r = 0; r < 12; ++r) rows.push_back(RandomBytes(rng, static_cast<std::size_t>(n), r % 3 ? 256 : 4));
        for (int mode = 0; mode <= 6; ++mode) {
            std::vector<int> types;
            Bytes z = EncodeRows(rows, mode, c.bitsPerPixel, c.pngBits);
            EXPECT_EQ(DecodeRows(z, 12, n, c.bitsPerPixel, &types), rows) << "mode " << mode << " bpp " << c.bitsPerPixel;
            if (mode >= 2 && mode <= 5) {
                for (int t : types) EXPECT_EQ(t, mode - 1);
            } else if (mode != 0 || c.pngBits == 4) {
                for (int t : types) EXPECT_EQ(t, 0) << "mode " << mode;
            }
        }
    }
}

TEST(PngFilters, AdaptiveKeepsARowOfIdenticalBytes) {
    uint32_t hist[256];
    Bytes same(50, 9);
    EXPECT_EQ(PngRowScore(same.data(), 50, 8, hist), -1);
    std::vector<Bytes> rows(3, Bytes(50, 9));
    std::vector<int> types;
    DecodeRows(EncodeRows(rows, 0, 8, 8), 3, 50, 8, &types);
    EXPECT_EQ(types, (std::vector<int>{0, 0, 0}));
}

TEST(ZlibAdapter, OversizedOrZeroBufferBecomesTheDefault) {
    for (int size : {0, 262144, 1 << 20}) {
        TGLDZLIBInfo info;
        ASSERT_EQ(ZLIBEncodeInit(info, -1, size), 0);
        EXPECT_EQ(info.BufferSize, 32768);
        ZLIBEncodeFinish(info);
    }
    TGLDZLIBInfo info;
    ASSERT_EQ(ZLIBEncodeInit(info, 9, 262143), 0);
    EXPECT_EQ(info.BufferSize, 262143);
    // A compressor that cannot start leaves no buffer behind and every later call fails.
    TGLDZLIBInfo bad;
    EXPECT_EQ(ZLIBEncodeInit(bad, 42, 1000), -1);
    EXPECT_TRUE(bad.Buffer.empty());
    const uint8_t byte = 1;
    EXPECT_LT(ZLIBEncode(bad, &byte, 1), 0);
    EXPECT_LT(ZLIBEncodeFlush(bad), 0);
}

TEST(ZlibAdapter, DecodeEndsOnEveryResultOtherThanProgress) {
    const Bytes raw(100, 0x41);
    struct Case { const char* Name; Bytes Stream; };
    Bytes full = Deflate(raw);
    Bytes truncated(full.begin(), full.begin() + static_cast<long>(full.size() / 2));
    // A zlib header announcing a preset dictionary (FDICT) and its Adler-32.
    Bytes dict = {0x78, 0xBB, 0, 0, 0, 1, 0x03, 0x00};
    Bytes garbage = {0x12, 0x34, 0x56, 0x78};
    for (const Case& c : {Case{"short stream", Deflate(Bytes(60, 0x41))}, Case{"truncated", truncated},
                          Case{"preset dictionary", dict}, Case{"garbage", garbage}, Case{"empty", Bytes{}}}) {
        TGLDZLIBInfo info;
        Feeder f{c.Stream, 3};
        info.Callback = std::ref(f);
        ASSERT_EQ(ZLIBDecodeInit(info), 0);
        Bytes out(raw.size());
        int r = ZLIBDecode(info, out.data(), static_cast<int>(out.size()));
        EXPECT_TRUE(r != 0 && r != 1) << c.Name << " gave " << r;
    }
    // A fill that succeeds without giving bytes is no progress either.
    TGLDZLIBInfo info;
    info.Callback = [](TGLDZLIBInfo&) { return 0; };
    ASSERT_EQ(ZLIBDecodeInit(info), 0);
    uint8_t out[4];
    EXPECT_EQ(ZLIBDecode(info, out, 4), ZLIBShortData);
}

TEST(ZlibAdapter, DecodeReportsTheExactEndOfTheStream) {
    const Bytes raw(100, 0x41);
    TGLDZLIBInfo info;
    Feeder f{Deflate(raw)};
    info.Callback = std::ref(f);
    ASSERT_EQ(ZLIBDecodeInit(info), 0);
    Bytes out(raw.size());
    EXPECT_EQ(ZLIBDecode(info, out.data(), 50), 0);
    int r = ZLIBDecode(info, out.data() + 50, 50);
    EXPECT_TRUE(r == 0 || r == 1);
    EXPECT_EQ(out, raw);
}
