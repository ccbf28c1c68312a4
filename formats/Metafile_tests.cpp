#include "formats/Metafile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/ByteIO.h"
#include "base/Stream.h"

namespace {

TEST(MetafileDrawSize, TakesTheFrameAtScreenResolutionWithinTheBounds) {
    struct Case {
        int64_t W, H, UnitsX, UnitsY;
        std::optional<TMetafileSize> Want;
    } cases[] = {
        {2540, 1270, 2540, 2540, TMetafileSize{96, 48}},    // 0.01 mm
        {-2000, 1000, 1000, 1000, TMetafileSize{192, 96}},  // a flipped box is as large
        {60, 40, 96, 96, TMetafileSize{60, 40}},            // pixels
        {8, 4, 96, 96, TMetafileSize{32, 16}},              // small frames are drawn larger
        {32000, 16000, 1, 1, TMetafileSize{1024, 512}},     // 32000 inches
        {100000, 1, 96, 96, TMetafileSize{1024, 1}},        // never thinner than a pixel
        {int64_t{1} << 40, int64_t{1} << 40, 1, 1, TMetafileSize{1024, 1024}},
        {0, 10, 96, 96, std::nullopt},
        {10, 10, 0, 96, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MetafileDrawSize(c.W, c.H, c.UnitsX, c.UnitsY, 96, 96), c.Want) << c.W << "x" << c.H;
    EXPECT_EQ(MetafileDrawSize(100, 100, 96, 96, 0, 96), std::nullopt);
}

// A Windows metafile: header, the given records, and (unless told otherwise) the end record.
struct WmfBuilder {
    std::vector<uint8_t> Bytes = std::vector<uint8_t>(18, 0);
    WmfBuilder() {
        PutLE16(&Bytes[0], 1);
        PutLE16(&Bytes[2], 9);
        PutLE16(&Bytes[4], 0x0300);
    }
    WmfBuilder& Record(uint16_t function, std::vector<int16_t> params) {
        const std::size_t at = Bytes.size();
        Bytes.resize(at + 6 + 2 * params.size());
        PutLE32(&Bytes[at], static_cast<uint32_t>(3 + params.size()));
        PutLE16(&Bytes[at + 4], function);
        for (std::size_t i = 0; i < params.size(); ++i) PutLE16(&Bytes[at + 6 + 2 * i], static_cast<uint16_t>(params[i]));
        return *this;
    }
    WmfBuilder& End() { return Record(0, {}); }
};

constexpr uint16_t kRectangle = 0x041B, kSetWindowOrg = 0x020B, kSetWindowExt = 0x020C;

std::vector<uint8_t> Placeable(const std::vector<uint8_t>& wmf, int16_t right, int16_t bottom, uint16_t inch) {
    std::vector<uint8_t> out(22 + wmf.size(), 0);
    PutLE32(&out[0], 0x9AC6CDD7);
    PutLE16(&out[6], 0xFFF6);  // left -10
    PutLE16(&out[8], 5);       // top
    PutLE16(&out[10], static_cast<uint16_t>(right));
    PutLE16(&out[12], static_cast<uint16_t>(bottom));
    PutLE16(&out[14], inch);
    std::copy(wmf.begin(), wmf.end(), out.begin() + 22);
    return out;
}

TEST(ReadMetafile, APlaceableBoxBecomesTheWindowOfAPlainMetafileWithItsRecordsAndAnEnd) {
    const std::vector<uint8_t> wmf = WmfBuilder().Record(kRectangle, {9, 8, 7, 6}).End().Bytes;
    const std::vector<uint8_t> file = Placeable(wmf, 990, 505, 500);
    const auto picture = ReadMetafile(file.data(), file.size(), 96, 96);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Kind, TMetafileKind::Placeable);
    EXPECT_EQ(picture->Size, (TMetafileSize{192, 96}));  // 1000 x 500 units at 500 an inch
    const std::vector<uint8_t> want = WmfBuilder()
                                          .Record(kSetWindowOrg, {5, -10})
                                          .Record(kSetWindowExt, {500, 1000})
                                          .Record(kRectangle, {9, 8, 7, 6})
                                          .End()
                                          .Bytes;
    ASSERT_EQ(picture->Bits.size(), want.size());
    EXPECT_EQ(GetLE32(&picture->Bits[6]), want.size() / 2);  // size in words
    EXPECT_EQ(GetLE32(&picture->Bits[12]), 7u);              // the largest record
    EXPECT_TRUE(std::equal(want.begin() + 18, want.end(), picture->Bits.begin() + 18));
}

TEST(ReadMetafile, APlainMetafileTakesItsWindowExtentOrHasNoFrame) {
    std::vector<uint8_t> wmf = WmfBuilder().Record(kSetWindowExt, {40, 60}).Record(kRectangle, {1, 2, 3, 4}).Bytes;
    auto picture = ReadMetafile(wmf.data(), wmf.size(), 96, 96);  // no end record: taken as it stands
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Kind, TMetafileKind::Windows);
    EXPECT_TRUE(picture->HasFrame);
    EXPECT_EQ(picture->Size, (TMetafileSize{60, 40}));
    EXPECT_EQ(GetLE16(&picture->Bits[picture->Bits.size() - 2]), 0);  // ends with the end record

    wmf = WmfBuilder().Record(kRectangle, {1, 2, 3, 4}).End().Bytes;
    picture = ReadMetafile(wmf.data(), wmf.size(), 96, 96);
    ASSERT_TRUE(picture);
    EXPECT_FALSE(picture->HasFrame);
}

TEST(ReadMetafile, RefusesBrokenAndEmptyFiles) {
    std::vector<std::vector<uint8_t>> refused;
    refused.push_back(WmfBuilder().End().Bytes);                                     // nothing drawn
    refused.push_back(WmfBuilder().Record(kSetWindowExt, {40, 60}).End().Bytes);     // still nothing
    auto cut = WmfBuilder().Record(kRectangle, {1, 2, 3, 4}).End().Bytes;
    cut.resize(cut.size() - 8);
    refused.push_back(cut);  // a record leaves the data
    auto tooSmall = WmfBuilder().Record(kRectangle, {1, 2, 3, 4}).End().Bytes;
    PutLE32(&tooSmall[18], 2);
    refused.push_back(tooSmall);
    auto version = WmfBuilder().Record(kRectangle, {1, 2, 3, 4}).End().Bytes;
    PutLE16(&version[4], 0x0200);
    refused.push_back(version);
    const auto drawn = WmfBuilder().Record(kRectangle, {1, 2, 3, 4}).End().Bytes;
    refused.push_back(Placeable(drawn, 990, 505, 0));     // no units per inch
    refused.push_back(Placeable(drawn, -10, 505, 1000));  // an empty box
    refused.push_back(Placeable(drawn, 32767, 505, 1000));  // a box no window can hold
    refused.push_back(std::vector<uint8_t>(100, 0x41));
    for (std::size_t i = 0; i < refused.size(); ++i)
        EXPECT_FALSE(ReadMetafile(refused[i].data(), refused[i].size(), 96, 96)) << i;
}

// An enhanced metafile: header (frame and bounds given), one record of `body` bytes, end.
std::vector<uint8_t> Emf(int32_t frameRight, int32_t frameBottom, int32_t boundsRight, int32_t boundsBottom,
                         std::size_t body, bool end = true) {
    std::vector<uint8_t> e(88, 0);
    PutLE32(&e[0], 1);
    PutLE32(&e[4], 88);
    PutLE32(&e[16], static_cast<uint32_t>(boundsRight));
    PutLE32(&e[20], static_cast<uint32_t>(boundsBottom));
    PutLE32(&e[32], static_cast<uint32_t>(frameRight));
    PutLE32(&e[36], static_cast<uint32_t>(frameBottom));
    PutLE32(&e[40], 0x464D4520);
    PutLE32(&e[72], 1024);  // the reference device: 1024 x 768 pixels, 320 x 240 mm
    PutLE32(&e[76], 768);
    PutLE32(&e[80], 320);
    PutLE32(&e[84], 240);
    if (body) {
        const std::size_t at = e.size();
        e.resize(at + body);
        PutLE32(&e[at], 27);  // a move
        PutLE32(&e[at + 4], static_cast<uint32_t>(body));
    }
    if (end) {
        const std::size_t at = e.size();
        e.resize(at + 20);
        PutLE32(&e[at], 14);
        PutLE32(&e[at + 4], 20);
    }
    e.resize(e.size() + 12, 0xEE);  // bytes after the end record are not handed on
    return e;
}

TEST(ReadMetafile, EnhancedMetafilesAreCheckedRecordByRecordAndSizedByFrameOrBounds) {
    auto file = Emf(2540, 1270, 0, 0, 16);
    auto picture = ReadMetafile(file.data(), file.size(), 96, 96);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Kind, TMetafileKind::Enhanced);
    EXPECT_EQ(picture->Size, (TMetafileSize{96, 48}));
    EXPECT_EQ(picture->Bits.size(), 88u + 16 + 20);
    EXPECT_EQ(GetLE32(&picture->Bits[48]), 88u + 16 + 20);
    EXPECT_EQ(GetLE32(&picture->Bits[52]), 3u);

    file = Emf(0, 0, 49, 39, 16);  // no frame: its bounds in pixels, which become its frame
    picture = ReadMetafile(file.data(), file.size(), 96, 96);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Size, (TMetafileSize{50, 40}));
    EXPECT_EQ(GetLE32(&picture->Bits[32]), 50u * 100 * 320 / 1024);
    EXPECT_EQ(GetLE32(&picture->Bits[36]), 40u * 100 * 240 / 768);

    auto leaving = Emf(2540, 1270, 0, 0, 16);
    PutLE32(&leaving[92], 4000);
    auto tiny = Emf(2540, 1270, 0, 0, 16);
    PutLE32(&tiny[92], 6);
    auto noDevice = Emf(0, 0, 49, 39, 16);
    PutLE32(&noDevice[80], 0);
    struct Case {
        const char* What;
        std::vector<uint8_t> Bytes;
    } refused[] = {
        {"nothing drawn", Emf(2540, 1270, 0, 0, 0)},
        {"no end", Emf(2540, 1270, 0, 0, 16, false)},
        {"a record that leaves the data", leaving},
        {"a record of 6 bytes", tiny},
        {"no frame and no bounds", Emf(0, 0, -1, -1, 16)},
        {"no frame and no reference device", noDevice},
    };
    for (const Case& c : refused) EXPECT_FALSE(ReadMetafile(c.Bytes.data(), c.Bytes.size(), 96, 96)) << c.What;
}

TEST(ReadMetafile, EveryFileOfTheFuzzCorpusIsReadWithinTheBoundsOrRefused) {
    const std::filesystem::path dir = std::filesystem::path(TAMSOLO_SOURCE_DIR) / "formats" / "fuzz-corpus" / "metafile";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(ReadWholeFile(entry.path().string(), bytes, 1 << 20));
        const std::string name = entry.path().filename().string();
        const auto picture = ReadMetafile(bytes.data(), bytes.size(), 96, 96);
        if (name.rfind("valid_", 0) == 0) {
            EXPECT_TRUE(picture) << name;
        }
        if (picture) {
            EXPECT_GE(picture->Size.Width, 1) << name;
            EXPECT_LE(picture->Size.Width, kMetafileMaxSide) << name;
            EXPECT_GE(picture->Size.Height, 1) << name;
            EXPECT_LE(picture->Size.Height, kMetafileMaxSide) << name;
        }
        ++files;
    }
    EXPECT_GE(files, 8);
}

} // namespace
