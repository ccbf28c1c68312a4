// The two-colour cursor file, the editor's view of the record, and the templates.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/ByteIO.h"
#include "base/Stream.h"
#include "formats/AniTestSupport.h"
#include "formats/MonoCursor.h"

namespace {

std::vector<uint8_t> CurData() {
    std::vector<uint8_t> b;
    EXPECT_TRUE(ReadWholeFile(std::string(TAMSOLO_SOURCE_DIR) + "/resources/CurData.bin", b, 1 << 20));
    return b;
}

TEST(MonoCurFile, WritesThe326BytesAndReadsThemBack) {
    MonoCursorRecord rec = anitest::TestMonoRecord();
    std::vector<uint8_t> f = MonoCurFileBytes(rec, 5, 31);
    ASSERT_EQ(f.size(), 326u);
    const uint8_t head[] = {0, 0, 2, 0, 1, 0, 32, 32, 0, 0, 5, 0, 31, 0, 0x30, 0x01, 0, 0, 22, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(f.begin(), f.begin() + 22), std::vector<uint8_t>(head, head + 22));
    std::string path = ::testing::TempDir() + "mono.cur";
    ASSERT_TRUE(WriteMonoCurFile(path, rec, 5, 31));
    MonoCursorRecord back;
    int x = -1, y = -1;
    ASSERT_EQ(ReadMonoCurFile(path, back, x, y), MonoCurRead::Read);
    EXPECT_EQ(back, rec);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 31);
    EXPECT_EQ(MonoCurFileBytes(back, x, y), f);  // saving again gives the same bytes
#ifndef _WIN32
    // icoutils lists it as one 32x32 one-bit cursor with our hotspot.
    std::string cmd = "icotool -l '" + path + "' 2>&1";
    std::FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    char line[256] = {};
    std::string out;
    while (std::fgets(line, sizeof line, p)) out += line;
    pclose(p);
    EXPECT_NE(out.find("--cursor"), std::string::npos) << out;
    EXPECT_NE(out.find("--width=32 --height=32 --bit-depth=1"), std::string::npos) << out;
    EXPECT_NE(out.find("--hotspot-x=5 --hotspot-y=31"), std::string::npos) << out;
#endif
    DeleteFileUtf8(path);
}

TEST(MonoCurFile, RefusesFilesThatAreNotOneTwoColourCursor) {
    std::vector<uint8_t> good = MonoCurFileBytes(anitest::TestMonoRecord(), 1, 2);
    struct Case {
        const char* Name;
        int Offset;  // -1 = cut to 325 bytes
        uint8_t Value;
    } cases[] = {{"short", -1, 0},         {"reserved", 0, 1},   {"icon type", 2, 1},  {"two images", 4, 2},
                 {"width", 6, 16},         {"height", 7, 64},    {"colour count", 8, 16}, {"entry reserved", 9, 1},
                 {"image size", 15, 0x02}, {"image offset", 18, 23}};
    for (const Case& k : cases) {
        std::vector<uint8_t> f = good;
        if (k.Offset < 0)
            f.pop_back();
        else
            f[k.Offset] = k.Value;
        MonoCursorRecord r;
        int x = 0, y = 0;
        EXPECT_EQ(ParseMonoCurFile(f.data(), f.size(), r, x, y), MonoCurRead::NotMono) << k.Name;
    }
    MonoCursorRecord r;
    int x = 0, y = 0;
    EXPECT_EQ(ReadMonoCurFile(::testing::TempDir() + "absent.cur", r, x, y), MonoCurRead::CannotOpen);
    std::vector<uint8_t> far = good;
    PutLE16(&far[10], 99);
    ASSERT_EQ(ParseMonoCurFile(far.data(), far.size(), r, x, y), MonoCurRead::Read);
    EXPECT_EQ(x, 31);
}

TEST(MonoCursorImage, StartsTransparentAndStoresEachPenAsItsMaskBits) {
    ImageRecord img = MonoCursorToImage(nullptr);
    for (int p = 0; p < 1024; ++p) ASSERT_EQ(img.Pixels.Bytes[p], 3);
    EXPECT_EQ(img.Palette[2], (TRGBQuad{128, 128, 0, 0}));
    EXPECT_EQ(img.Inverse[2], 1);
    EXPECT_EQ(img.Inverse[3], 0);
    img.Pixels.At(4, 5) = 0;  // black
    img.Pixels.At(6, 7) = 2;  // inverted screen
    img.Pixels.At(8, 9) = 1;  // white
    MonoCursorRecord rec = MonoCursorFromPixels(img.Pixels);
    EXPECT_EQ(rec, [&] {
        MonoCursorRecord expected = MonoCursorRecord::Blank(0);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) expected.SetPixel(x, y, true, false);
        expected.SetPixel(4, 5, false, false);
        expected.SetPixel(6, 7, true, true);
        expected.SetPixel(8, 9, false, true);
        return expected;
    }());
    // and back again
    ImageRecord again = MonoCursorToImage(&rec);
    EXPECT_EQ(again.Pixels, img.Pixels);
}

TEST(MonoTemplates, FifteenDrawnCursorsWithTheirHotspotsOnTheDrawing) {
    std::vector<uint8_t> data = CurData();
    ASSERT_EQ(data.size(), kCurDataBytes);
    for (int n = 0; n < kMonoTemplateCount; ++n) {
        MonoCursorRecord r;
        ASSERT_TRUE(LoadMonoTemplate(data.data(), data.size(), n, r));
        MonoCursorRecord header = MonoCursorRecord::Blank(n >= 4 && n <= 6 ? 256 : 4096);
        EXPECT_EQ(std::vector<uint8_t>(r.Bytes, r.Bytes + 48), std::vector<uint8_t>(header.Bytes, header.Bytes + 48))
            << kMonoTemplates[n].Name;
        int drawn = 0, screen = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) (r.AndBit(x, y) && !r.XorBit(x, y) ? screen : drawn) += 1;
        EXPECT_GT(drawn, 20) << kMonoTemplates[n].Name;
        EXPECT_GT(screen, 500) << kMonoTemplates[n].Name;
        const MonoTemplateInfo& t = kMonoTemplates[n];
        EXPECT_FALSE(r.AndBit(t.HotX, t.HotY) && !r.XorBit(t.HotX, t.HotY)) << t.Name;
    }
    EXPECT_STREQ(kMonoTemplates[14].Name, "HandPoint");
    EXPECT_EQ(kMonoTemplates[14].HotX, 5);
    EXPECT_EQ(kMonoTemplates[14].HotY, 0);
    MonoCursorRecord r;
    EXPECT_FALSE(LoadMonoTemplate(data.data(), data.size(), 15, r));
    EXPECT_FALSE(LoadMonoTemplate(data.data(), data.size() - 1, 14, r));
}

} // namespace
