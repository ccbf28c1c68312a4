#include "ImageWriters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "base/Bitmap.h"
#include "base/ByteIO.h"
#include "base/SaveFileTestSupport.h"
#include "base/SmallDiskTestSupport.h"
#include "base/Stream.h"
#include "formats/GifExport.h"
#include "formats/IconFile.h"
#include "formats/IconLibrary.h"
#include "formats/MonoCursor.h"
#include "formats/PngExport.h"
#include "formats/IconTestImages.h"
#include "formats/ToolTestSupport.h"

TEST(ImageWriters, WritesBitmapsOfTheSizesOfEachMode) {
    const CCURSOR image = BandedTestImage();
    const std::pair<AniSaveMode, std::size_t> cases[] = {
        {AniSaveMode::Colours16, 630}, {AniSaveMode::Colours256, 2102}, {AniSaveMode::Colours2, 190}};
    for (auto [mode, size] : cases) {
        std::vector<uint8_t> b = BuildBmpFile(image, mode);
        ASSERT_EQ(b.size(), size);
        EXPECT_EQ(GetLE32(b.data() + 2), size);
        EXPECT_EQ(GetLE32(b.data() + 10), size - (size == 630 ? 512 : size == 2102 ? 1024 : 128));
        TBitmap read;
        read.LoadFromMemory(b.data(), b.size());
        EXPECT_EQ(read.Pixel(8, 0), clWhite);
        EXPECT_EQ(read.Pixel(0, 0), clBlack);
        if (mode != AniSaveMode::Colours2) {
            EXPECT_EQ(read.Pixel(16, 0), clRed);
        }
    }
}

TEST(ImageWriters, NumbersFilesWithTwoDigitsAtLeast) {
    EXPECT_EQ(NumberedFileName("/d/", "walk", 0, NumberedKind::Ico), "/d/walk_00.ico");
    EXPECT_EQ(NumberedFileName("/d/", "walk", 2, NumberedKind::Cur), "/d/walk_02.cur");
    EXPECT_EQ(NumberedFileName("", "walk", 100, NumberedKind::Bmp), "walk_100.bmp");
    EXPECT_TRUE(IconPathIsCursor("a.cur"));
    EXPECT_TRUE(IconPathIsCursor("a.Ico"));
    EXPECT_FALSE(IconPathIsCursor("a.ICO"));
}

TEST(ImageWriters, WritesNumberedSequencesOrNothing) {
    const CCURSOR a = BandedTestImage(), b = BandedTestImage(), c = BandedTestImage();
    const std::string dir = ::testing::TempDir() + "iw_seq/";
    std::filesystem::create_directories(dir);
    ASSERT_TRUE(WriteNumberedFiles({&a, &b, &c}, dir, "walk", NumberedKind::Ico, AniSaveMode::Colours256));
    for (const char* n : {"walk_00.ico", "walk_01.ico", "walk_02.ico"}) EXPECT_TRUE(FileExists(dir + n)) << n;
    EXPECT_FALSE(WriteNumberedFiles({&a, &b}, dir + "missing/", "walk", NumberedKind::Bmp, AniSaveMode::Colours16));
    EXPECT_FALSE(FileExists(dir + "missing/walk_00.bmp"));
    EXPECT_EQ(WriteIconFile(a, AniSaveMode::Colours256, dir + "missing/x.ico"), WriteResult::NotWritten);
    std::filesystem::remove_all(dir);
}

// A disk with room for one more file: the old set of three stays byte for byte when a
// set of five does not fit, and none of the five appears.
TEST(ImageWriters, ANumberedSaveThatDoesNotFitKeepsTheOldSet) {
    TSmallDisk disk;
    if (disk.Folder().empty()) GTEST_SKIP() << disk.Reason();
    const std::string dir = disk.Folder();
    const CCURSOR image = BandedTestImage();
    const std::vector<const CCURSOR*> three(3, &image), five(5, &image);
    for (NumberedKind kind : {NumberedKind::Ico, NumberedKind::Bmp}) {
        SCOPED_TRACE(kind == NumberedKind::Ico ? "ico" : "bmp");
        ASSERT_TRUE(WriteNumberedFiles(three, dir, "old", kind, AniSaveMode::Colours16));
        std::vector<std::vector<uint8_t>> old(3);
        for (int k = 0; k < 3; ++k) ASSERT_TRUE(ReadWholeFile(NumberedFileName(dir, "old", k, kind), old[k], 1 << 16));
        ASSERT_TRUE(disk.Fill(4096));
        EXPECT_FALSE(WriteNumberedFiles(five, dir, "old", kind, AniSaveMode::Colours256));
        for (int k = 0; k < 3; ++k) {
            std::vector<uint8_t> now;
            ASSERT_TRUE(ReadWholeFile(NumberedFileName(dir, "old", k, kind), now, 1 << 16));
            EXPECT_TRUE(now == old[k]) << k;
        }
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        const std::string ext = kind == NumberedKind::Ico ? ".ico" : ".bmp";
        EXPECT_EQ(names, (std::vector<std::string>{"filler", "old_00" + ext, "old_01" + ext, "old_02" + ext}));
        for (const std::string& n : names) DeleteFileUtf8(dir + n);
    }
}

TEST(ImageWriters, ReplacesTheLastMatchingImageOrAppends) {
    const std::string path = ::testing::TempDir() + "iw_multi.ico";
    std::filesystem::copy_file(IconFixture("icotool_multi.ico"), path, std::filesystem::copy_options::overwrite_existing);
    const CCURSOR image = BandedTestImage();
    ASSERT_EQ(WriteIconFile(image, AniSaveMode::Colours256, path), WriteResult::Written);
    TIconFile f;
    ASSERT_EQ(f.LoadIconA(path), IconLoadResult::Loaded);
    ASSERT_EQ(f.GetCount(), 3);  // the 32x32 8-bit image was replaced
    TBitmap colour, mask;
    ASSERT_TRUE(f.DecodeImage(1, colour, mask, true));
    EXPECT_EQ(colour.Pixel(16, 0), clRed);
    EXPECT_EQ(mask.PixelIndex(1, 1), 1);
    ASSERT_TRUE(f.DecodeImage(0, colour, mask, true));
    EXPECT_EQ(colour.Width(), 16);  // the others stay

    ASSERT_EQ(WriteIconFile(image, AniSaveMode::Colours2, path), WriteResult::Written);
    ASSERT_EQ(f.LoadIconA(path), IconLoadResult::Loaded);
    EXPECT_EQ(f.GetCount(), 4);  // no 1-bit image: appended
    std::filesystem::remove(path);
}

TEST(ImageWriters, ReplacingAnImageRewritesItsHeaderFields) {
    // An existing 32x32 8-bit image with a 16-entry palette (2216 - 960 bytes).
    TIconFile old;
    ASSERT_TRUE(old.AddIcon(0, 0, TBitmap(32, 32, TPixelFormat::pf8bit), TBitmap(32, 32, TPixelFormat::pf1bit)));
    CICONDAT& rec = old.Item(0);
    PutLE32(rec.Data.data() + 32, 16);
    rec.Data.erase(rec.Data.begin() + 40 + 64, rec.Data.begin() + 40 + 1024);
    rec.Entry.dwBytesInRes = static_cast<uint32_t>(rec.Data.size());
    const std::string path = ::testing::TempDir() + "iw_short.ico";
    ASSERT_EQ(old.SaveIcon(false, path), IconSaveResult::Saved);
    ASSERT_EQ(WriteIconFile(BandedTestImage(), AniSaveMode::Colours256, path), WriteResult::Written);
    std::vector<uint8_t> b;
    ASSERT_TRUE(ReadWholeFile(path, b, 1 << 20));
    ASSERT_EQ(b.size(), 22u + 2216u);
    EXPECT_EQ(GetLE16(b.data() + 4), 1);
    EXPECT_EQ(GetLE32(b.data() + 6 + 8), 2216u);
    EXPECT_EQ(GetLE32(b.data() + 22 + 32), 256u);  // colours used
    EXPECT_EQ(GetLE16(b.data() + 6 + 4), 1);        // an icon's planes and depth
    EXPECT_EQ(GetLE16(b.data() + 6 + 6), 8);
    std::filesystem::remove(path);
}

#ifndef _WIN32
TEST(ImageWriters, WrittenFilesPassIcotoolAndOpenInPillow) {
    const CCURSOR image = BandedTestImage();
    const std::string dir = ::testing::TempDir();
    struct Case {
        AniSaveMode Mode;
        const char* Name;
        const char* Listing;
    };
    const Case cases[] = {
        {AniSaveMode::Colours256, "iw_8.cur", "--cursor --index=1 --width=32 --height=32 --bit-depth=8 --palette-size=256 --hotspot-x=6 --hotspot-y=9"},
        {AniSaveMode::Colours16, "iw_4.cur", "--bit-depth=4 --palette-size=16 --hotspot-x=6 --hotspot-y=9"},
        {AniSaveMode::Colours2, "iw_1.ico", "--icon --index=1 --width=32 --height=32 --bit-depth=1 --palette-size=2"},
        {AniSaveMode::Colours256, "iw_8.ico", "--icon --index=1 --width=32 --height=32 --bit-depth=8 --palette-size=256"},
    };
    for (const Case& c : cases) {
        const std::string path = dir + c.Name;
        std::filesystem::remove(path);
        ASSERT_EQ(WriteIconFile(image, c.Mode, path), WriteResult::Written) << c.Name;
        std::string listing = RunTool("icotool -l '" + path + "'");
        EXPECT_NE(listing.find(c.Listing), std::string::npos) << listing;
        EXPECT_NE(listing.find("exit=0"), std::string::npos) << listing;
        if (std::string(c.Name).find(".ico") != std::string::npos) {
            // Pillow reads icons only: band colours and the transparent corner.
            std::string px = RunTool("/usr/bin/python3 -c \"from PIL import Image; im = Image.open('" + path +
                                 "').convert('RGBA'); print(im.getpixel((8, 0)), im.getpixel((1, 1))[3])\"");
            EXPECT_NE(px.find("(255, 255, 255, 255) 0"), std::string::npos) << c.Name << ": " << px;
        }
        std::filesystem::remove(path);
    }
    for (AniSaveMode mode : {AniSaveMode::Colours16, AniSaveMode::Colours256, AniSaveMode::Colours2}) {
        const std::string path = dir + "iw.bmp";
        ASSERT_EQ(WriteBmpFile(image, mode, path), WriteResult::Written);
        std::string px = RunTool("/usr/bin/python3 -c \"from PIL import Image; im = Image.open('" + path +
                             "').convert('RGB'); print(im.size, im.getpixel((8, 0)), im.getpixel((0, 31)))\"");
        // Blue at (0, 31) becomes black in two colours.
        const char* want = mode == AniSaveMode::Colours2 ? "(32, 32) (255, 255, 255) (0, 0, 0)"
                                                         : "(32, 32) (255, 255, 255) (0, 0, 255)";
        EXPECT_NE(px.find(want), std::string::npos) << px;
        std::filesystem::remove(path);
    }
}

TEST(ImageWriters, SavingIntoAnIconFileKeepsItsOtherImagesByteForByte) {
    const std::string dir = ::testing::TempDir();
    struct Case {
        const char* Name;
        std::vector<int> Sides;
    };
    const Case cases[] = {{"iw_three.ico", {16, 128, 48}}, {"iw_256.ico", {16, 256}}, {"iw_large.ico", {128, 256}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string path = MakeSoftAlphaIcon(dir, c.Name, c.Sides);
        ASSERT_FALSE(path.empty());
        std::vector<uint8_t> before, after;
        ASSERT_TRUE(ReadWholeFile(path, before, 1 << 24));
        ASSERT_EQ(WriteIconFile(BandedTestImage(), AniSaveMode::Colours256, path), WriteResult::Written);
        ASSERT_TRUE(ReadWholeFile(path, after, 1 << 24));
        const std::vector<StoredIconImage> old = StoredIconImages(before), now = StoredIconImages(after);
        ASSERT_EQ(old.size(), c.Sides.size());
        ASSERT_EQ(now.size(), old.size() + 1);
        for (std::size_t i = 0; i < old.size(); ++i) EXPECT_TRUE(now[i] == old[i]) << "image " << i;
        EXPECT_EQ(now.back().Side(), 32);
        const std::string listing = RunTool("icotool -l '" + path + "'");
        for (std::size_t i = 0; i < c.Sides.size(); ++i) {
            const std::string side = std::to_string(c.Sides[i]);
            EXPECT_NE(listing.find("--index=" + std::to_string(i + 1) + " --width=" + side + " --height=" + side +
                                   " --bit-depth=32"),
                      std::string::npos) << listing;
        }
        EXPECT_NE(listing.find("--index=" + std::to_string(c.Sides.size() + 1) + " --width=32 --height=32 --bit-depth=8"),
                  std::string::npos) << listing;
        EXPECT_NE(listing.find("exit=0"), std::string::npos) << listing;
        // A second save replaces the image it added and still keeps the others.
        ASSERT_EQ(WriteIconFile(BandedTestImage(), AniSaveMode::Colours256, path), WriteResult::Written);
        std::vector<uint8_t> again;
        ASSERT_TRUE(ReadWholeFile(path, again, 1 << 24));
        EXPECT_EQ(again, after);
        std::filesystem::remove(path);
    }
}
#endif

// Every writer of a saved file, when the disk fills part way: the old file stays byte for
// byte, no temporary file is left, and the writer says it failed.
TEST(ImageWriters, EveryWriterReportsAFullDiskAndKeepsTheOldFile) {
    const CCURSOR a = BandedTestImage(), b = BandedTestImage();
    const std::vector<const CCURSOR*> images{&a, &b};
    AniWriteInput ani;
    ani.Images = images;
    IconLibraryInput library;
    library.Images = images;
    library.Names = {"a", "b"};
    const MonoCursorRecord mono = MonoCursorRecord::Blank();
    const AniSaveMode mode = AniSaveMode::Colours256;
    struct Case {
        const char* Name;
        std::function<bool(const std::string&)> Write;
    } cases[] = {
        {"x.ani", [&](const std::string& p) { return WriteAniFile(p, ani) == WriteResult::Written; }},
        {"x.icl", [&](const std::string& p) { return WriteIconLibrary(p, library) == WriteResult::Written; }},
        {"x.dll", [&](const std::string& p) { return WriteIconLibrary(p, library) == WriteResult::Written; }},
        {"x.mng", [&](const std::string& p) { return WriteMngFile(images, mode, p) == WriteResult::Written; }},
        {"x.gif", [&](const std::string& p) { return WriteAnimatedGif(images, mode, 10, p) == WriteResult::Written; }},
        {"y.gif", [&](const std::string& p) { return WriteGifFile(a, mode, p); }},
        {"y.png", [&](const std::string& p) { return WritePngFile(a, mode, p); }},
        {"y.bmp", [&](const std::string& p) { return WriteBmpFile(a, mode, p) == WriteResult::Written; }},
        {"y.ico", [&](const std::string& p) { return WriteIconFile(a, mode, p) == WriteResult::Written; }},
        {"y.cur", [&](const std::string& p) { return WriteIconFile(a, AniSaveMode::Colours2, p) == WriteResult::Written; }},
        {"mono.cur", [&](const std::string& p) { return WriteMonoCurFile(p, mono, 1, 2); }},
    };
    const std::string dir = ::testing::TempDir() + "iw_full/";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    for (const Case& c : cases) {
        const std::string path = dir + c.Name;
        ASSERT_TRUE(c.Write(path)) << c.Name;
        std::vector<uint8_t> before, after;
        ASSERT_TRUE(ReadWholeFile(path, before, 1 << 20));
        for (TFullSaveFile::TKind kind : {TFullSaveFile::Refuse, TFullSaveFile::Drop}) {
            TFullDiskScope full(100, kind);
            EXPECT_FALSE(c.Write(path)) << c.Name;
        }
        ASSERT_TRUE(ReadWholeFile(path, after, 1 << 20));
        EXPECT_EQ(after, before) << c.Name;
    }
    std::size_t files = 0;  // no temporary file beside them
    for (const auto& e : std::filesystem::directory_iterator(dir)) files += e.is_regular_file();
    EXPECT_EQ(files, std::size(cases));
    std::filesystem::remove_all(dir);
}
