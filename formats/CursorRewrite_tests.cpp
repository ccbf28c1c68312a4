#include "formats/CursorRewrite.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/Stream.h"
#include "formats/AniFile.h"
#include "formats/AniTestSupport.h"
#include "formats/IconFile.h"

namespace {

const std::filesystem::path kSource = TAMSOLO_SOURCE_DIR;

std::vector<uint8_t> Bytes(const std::filesystem::path& path) {
    std::vector<uint8_t> b;
    EXPECT_TRUE(ReadWholeFile(path.string(), b, 1 << 24)) << path;
    return b;
}

std::vector<CCURSOR> ImagesOf(const std::vector<uint8_t>& file, bool skipOther) {
    AniReadOptions options;
    options.SkipOtherFrameChunks = skipOther;
    AniReadResult r = ParseAniFile(file.data(), file.size(), options);
    EXPECT_EQ(r.Code, AniReadCode::Read);
    MakeAniImages(r, clWhite, "");
    return r.Images;
}

} // namespace

TEST(CursorRewrite, AnimationsOurReaderTakesAreWrittenAgainWithTheSameImagesAndOneCleanFrameList) {
    for (const char* name : {"hostile_fram_junk.ani", "hostile_two_fram.ani"}) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> file = Bytes(kSource / "formats" / "fuzz-corpus" / "readers" / name);
        const std::vector<uint8_t> copy = RewrittenCursorFile(file.data(), file.size());
        ASSERT_FALSE(copy.empty());
        const std::vector<CCURSOR> before = ImagesOf(file, true), after = ImagesOf(copy, false);
        ASSERT_EQ(after.size(), 2u);
        ASSERT_EQ(before.size(), after.size());
        for (std::size_t i = 0; i < after.size(); ++i) {
            EXPECT_TRUE(after[i].OutPixels == before[i].OutPixels) << i;
            EXPECT_EQ(after[i].OutPalette, before[i].OutPalette) << i;
            EXPECT_EQ(after[i].HotX, before[i].HotX);
            EXPECT_EQ(after[i].HotY, before[i].HotY);
        }
        int lists = 0;
        for (const anitest::RiffChunk& c : anitest::WalkRiff(copy)) lists += c.Id == "LIST";
        EXPECT_EQ(lists, 1);
        EXPECT_EQ(std::string(copy.begin(), copy.end()).find("junk"), std::string::npos);
    }
    // The import itself still refuses a frame list with other chunks in it.
    const std::vector<uint8_t> junk = Bytes(kSource / "formats" / "fuzz-corpus" / "readers" / "hostile_fram_junk.ani");
    EXPECT_EQ(ParseAniFile(junk.data(), junk.size()).Code, AniReadCode::NotSupported);
}

TEST(CursorRewrite, CursorAndIconFilesKeepTheirImagesAndKind) {
    for (const char* name : {"icotool_8bit.cur", "icotool_1bit.cur", "icotool_multi.ico"}) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> file = Bytes(kSource / "formats" / "testdata" / name);
        const std::vector<uint8_t> copy = RewrittenCursorFile(file.data(), file.size());
        ASSERT_FALSE(copy.empty());
        TIconFile before, after;
        ASSERT_EQ(before.LoadIconFromMemory(file.data(), file.size()), IconLoadResult::Loaded);
        ASSERT_EQ(after.LoadIconFromMemory(copy.data(), copy.size()), IconLoadResult::Loaded);
        EXPECT_EQ(after.IconDir().idType, before.IconDir().idType);
        ASSERT_EQ(after.GetCount(), before.GetCount());
        for (int i = 0; i < after.GetCount(); ++i) {
            TBitmap c1, m1, c2, m2;
            ASSERT_TRUE(before.DecodeImage(i, c1, m1, false));
            ASSERT_TRUE(after.DecodeImage(i, c2, m2, false));
            ASSERT_EQ(c2.Width(), c1.Width());
            ASSERT_EQ(m2.PixelFormat(), m1.PixelFormat());
            for (int y = 0; y < c1.Height(); ++y)
                for (int x = 0; x < c1.Width(); ++x) {
                    ASSERT_EQ(c2.Pixel(x, y), c1.Pixel(x, y)) << i << ": " << x << "," << y;
                    ASSERT_EQ(m2.PixelIndex(x, y), m1.PixelIndex(x, y)) << i << ": " << x << "," << y;
                }
            if (before.IconDir().idType == 2) {  // the hotspot
                EXPECT_EQ(after.Item(i).Entry.wPlanes, before.Item(i).Entry.wPlanes);
                EXPECT_EQ(after.Item(i).Entry.wBitCount, before.Item(i).Entry.wBitCount);
            }
            // The copy holds images of our own writing, never the file's own image bytes.
            EXPECT_NE(after.Item(i).Data, before.Item(i).Data) << i;
        }
    }
}

TEST(CursorRewrite, FilesOurReadersDoNotTakeAreLeftToTheHelper) {
    const std::vector<uint8_t> png = Bytes(kSource / "formats" / "testdata" / "pillow_png.ico");  // a PNG image inside
    const std::vector<uint8_t> ani = Bytes(kSource / "tests" / "data" / "demo.ani");
    const std::vector<uint8_t> cut(ani.begin(), ani.begin() + 100);
    const std::vector<uint8_t> text = {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'};
    for (const auto* bytes : {&png, &cut, &text}) EXPECT_TRUE(RewrittenCursorFile(bytes->data(), bytes->size()).empty());
    EXPECT_TRUE(RewrittenCursorFile(nullptr, 0).empty());
    EXPECT_FALSE(RewrittenCursorFile(ani.data(), ani.size()).empty());
}
