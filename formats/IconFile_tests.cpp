#include "IconFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "base/ByteIO.h"
#include "base/Stream.h"
#include "png/PngPicture.h"
#include "formats/HostileIconFiles.h"
#include "formats/IconTestImages.h"
#include "formats/PictureImport.h"
#include "formats/ToolTestSupport.h"

namespace {

// A BITMAPINFOHEADER-based resource of w x w pixels with `bits` depth, colour bytes set to
// `fill`, mask all zero, `extra` bytes more or fewer than the layout needs.
std::vector<uint8_t> Resource(int w, int bits, uint8_t fill = 0x11, int extra = 0, uint32_t clrUsed = 0) {
    ByteWriter r;
    r.U32(40);
    r.U32(static_cast<uint32_t>(w));
    r.U32(static_cast<uint32_t>(2 * w));
    r.U16(1);
    r.U16(static_cast<uint32_t>(bits));
    for (int i = 0; i < 3; ++i) r.U32(0);
    r.U32(0);
    r.U32(clrUsed);
    r.U32(0);
    int colours = bits <= 8 ? (clrUsed ? static_cast<int>(clrUsed) : 1 << bits) : 0;
    for (int i = 0; i < colours; ++i) r.U32(static_cast<uint32_t>(i * 0x010101));
    int row = ((w * bits + 31) / 32) * 4, mask = ((w + 31) / 32) * 4;
    std::vector<uint8_t> body(static_cast<std::size_t>(row * w), fill);
    r.Bytes(body.data(), body.size());
    std::vector<uint8_t> m(static_cast<std::size_t>(mask * w), 0);
    r.Bytes(m.data(), m.size());
    r.Data.resize(static_cast<std::size_t>(static_cast<int>(r.Data.size()) + extra));
    return r.Data;
}

struct IconEntryLayout {
    std::vector<uint8_t> Data;
    int64_t Offset = -1;        // -1: back to back after the directory
    int64_t BytesInRes = -1;    // -1: Data.size()
    uint16_t Planes = 0, BitCount = 0;
};

std::vector<uint8_t> IconBytes(uint16_t type, const std::vector<IconEntryLayout>& entries, uint16_t reserved = 0) {
    ByteWriter w;
    w.U16(reserved);
    w.U16(type);
    w.U16(static_cast<uint32_t>(entries.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(entries.size());
    for (const IconEntryLayout& e : entries) {
        w.U8(32);
        w.U8(32);
        w.U8(0);
        w.U8(0);
        w.U16(e.Planes);
        w.U16(e.BitCount);
        w.U32(e.BytesInRes >= 0 ? static_cast<uint32_t>(e.BytesInRes) : static_cast<uint32_t>(e.Data.size()));
        w.U32(e.Offset >= 0 ? static_cast<uint32_t>(e.Offset) : offset);
        offset += static_cast<uint32_t>(e.Data.size());
    }
    for (const IconEntryLayout& e : entries) w.Bytes(e.Data.data(), e.Data.size());
    return w.Data;
}

IconLoadResult Load(TIconFile& f, const std::vector<uint8_t>& bytes) { return f.LoadIconFromMemory(bytes.data(), bytes.size()); }

TBitmap Mask32() { return TBitmap(32, 32, TPixelFormat::pf1bit); }

} // namespace

TEST(IconFile, RefusesBrokenHeadersWithTheirCodes) {
    struct Case {
        const char* Name;
        std::vector<uint8_t> Bytes;
        IconLoadResult Expected;
    };
    std::vector<uint8_t> bitmap = {'B', 'M', 0, 0, 0, 0, 0, 0};
    std::vector<uint8_t> shortDir = {0, 0, 1, 0, 3, 0, 0, 0, 0, 0};
    const Case cases[] = {
        {"three bytes", {0, 0, 1}, IconLoadResult::Unreadable},
        {"bitmap named as icon", bitmap, IconLoadResult::IsBitmap},
        {"type 3", IconBytes(3, {{Resource(32, 8)}}), IconLoadResult::Invalid},
        {"reserved word set", IconBytes(1, {{Resource(32, 8)}}, 1), IconLoadResult::Invalid},
        {"directory longer than the file", shortDir, IconLoadResult::Unreadable},
    };
    for (const Case& c : cases) {
        TIconFile f;
        ASSERT_TRUE(f.AddIcon(0, 0, TBitmap(32, 32, TPixelFormat::pf8bit), Mask32()));
        IconLoadResult r = Load(f, c.Bytes);
        EXPECT_EQ(r, c.Expected) << c.Name;
        // Result 1 keeps the previous images; 2 and 3 leave the control empty.
        EXPECT_EQ(f.GetCount(), r == IconLoadResult::Unreadable ? 1 : 0) << c.Name;
    }
}

TEST(IconFile, AcceptsTypeZeroAndAnEmptyDirectory) {
    TIconFile f;
    EXPECT_EQ(Load(f, IconBytes(0, {{Resource(32, 8)}})), IconLoadResult::Loaded);
    EXPECT_EQ(f.GetCount(), 1);
    EXPECT_EQ(Load(f, IconBytes(1, {})), IconLoadResult::Loaded);
    EXPECT_TRUE(f.GetEmpty());
    EXPECT_EQ(f.GetIconEnt(), nullptr);
}

TEST(IconFile, SkipsEntriesThatCannotBeReadAndKeepsTheRest) {
    std::vector<uint8_t> huge = Resource(32, 8);
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    struct Case {
        const char* Name;
        IconEntryLayout Bad;
    };
    const Case cases[] = {
        {"larger than the file", {Resource(32, 8), -1, 1u << 30}},
        {"no header", {std::vector<uint8_t>(kIconDataMax + 1, 0)}},
        {"rows beyond its bytes", {Resource(32, 8, 0x11, -200)}},
        {"depth 7", {Resource(32, 7)}},
        {"width 0", {Resource(0, 8)}},
        {"png without a usable header", {png}},
    };
    for (const Case& c : cases) {
        TIconFile f;
        std::vector<uint8_t> bytes = IconBytes(2, {c.Bad, {Resource(16, 4, 0x23)}});
        ASSERT_EQ(Load(f, bytes), IconLoadResult::Loaded) << c.Name;
        ASSERT_EQ(f.GetCount(), 1) << c.Name;
        EXPECT_EQ(f.SkippedCount(), 1) << c.Name;
        IconBitmapHeader h;
        ASSERT_TRUE(ReadIconBitmapHeader(f.GetListItem(0), f.Item(0).Data.size(), h));
        EXPECT_EQ(h.Width, 16) << c.Name;
        EXPECT_EQ(f.GetListItem(0)[40 + 64], 0x23) << c.Name;
    }
    TIconFile f;
    EXPECT_EQ(Load(f, IconBytes(1, {{Resource(32, 8, 0x11, -200)}})), IconLoadResult::Invalid);
    EXPECT_TRUE(f.GetEmpty());
}

TEST(IconFile, ReadsImagesFromTheirOffsetsAndFallsBackToTheDirectoryOrder) {
    std::vector<uint8_t> a = Resource(16, 4, 0xAA), b = Resource(16, 4, 0xBB);
    // b stored first, a second: the entries point at them out of order.
    const int64_t dirEnd = 6 + 32;
    std::vector<uint8_t> bytes = IconBytes(1, {{a, dirEnd + static_cast<int64_t>(b.size())}, {b, dirEnd}});
    std::copy(b.begin(), b.end(), bytes.begin() + dirEnd);
    std::copy(a.begin(), a.end(), bytes.begin() + dirEnd + static_cast<int64_t>(b.size()));
    TIconFile f;
    ASSERT_EQ(Load(f, bytes), IconLoadResult::Loaded);
    EXPECT_EQ(f.GetListItem(0)[40 + 64], 0xAA);
    EXPECT_EQ(f.GetListItem(1)[40 + 64], 0xBB);
    // Broken offsets: the images are taken back to back after the directory.
    std::vector<uint8_t> broken = IconBytes(1, {{a, 3}, {b, 0xFFFFFF00}});
    ASSERT_EQ(Load(f, broken), IconLoadResult::Loaded);
    EXPECT_EQ(f.GetListItem(0)[40 + 64], 0xAA);
    EXPECT_EQ(f.GetListItem(1)[40 + 64], 0xBB);
}

TEST(IconFile, PicksTheLast32Pixel8BitImageElseTheDeepest32PixelImage) {
    TIconFile f;
    EXPECT_EQ(Load(f, IconBytes(1, {{Resource(16, 4)}, {Resource(32, 4)}, {Resource(32, 24)}, {Resource(48, 8)}})),
              IconLoadResult::Loaded);
    EXPECT_EQ(f.IconIndex, 2);
    EXPECT_EQ(Load(f, IconBytes(1, {{Resource(32, 8)}, {Resource(32, 4)}, {Resource(32, 24)}, {Resource(48, 8)}})),
              IconLoadResult::Loaded);
    EXPECT_EQ(f.IconIndex, 0);
    EXPECT_EQ(Load(f, IconBytes(1, {{Resource(48, 8)}, {Resource(16, 4)}})), IconLoadResult::Loaded);
    EXPECT_EQ(f.IconIndex, 0);
}

TEST(IconFile, SavesAnAdded8BitPairWithTheSizesOfItsHeader) {
    TIconFile f;
    TBitmap image(32, 32, TPixelFormat::pf8bit);
    image.SetPixelIndex(3, 4, 77);
    ASSERT_TRUE(f.AddIcon(5, 6, image, Mask32()));
    TMemoryStream m;
    ASSERT_EQ(f.SaveIconToStream(true, &m), IconSaveResult::Saved);
    const uint8_t* d = m.Memory();
    EXPECT_EQ(GetLE16(d + 2), 2);
    EXPECT_EQ(GetLE16(d + 6 + 4), 5);
    EXPECT_EQ(GetLE16(d + 6 + 6), 6);
    EXPECT_EQ(GetLE32(d + 6 + 8), 2216u);
    EXPECT_EQ(GetLE32(d + 6 + 12), 22u);
    EXPECT_EQ(GetLE32(d + 22 + 20), 1152u);
    EXPECT_EQ(m.Size(), 22 + 2216);
    EXPECT_EQ(d[22 + 40 + 1024 + (31 - 4) * 32 + 3], 77);
}

TEST(IconFile, RefusesPairsThatDoNotFitOrDoNotMatch) {
    TIconFile f;
    EXPECT_FALSE(f.AddIcon(0, 0, TBitmap(128, 128, TPixelFormat::pf24bit), TBitmap(128, 128, TPixelFormat::pf1bit)));
    EXPECT_FALSE(f.AddIcon(0, 0, TBitmap(32, 32, TPixelFormat::pf8bit), TBitmap(32, 32, TPixelFormat::pf8bit)));
    EXPECT_FALSE(f.AddIcon(0, 0, TBitmap(32, 16, TPixelFormat::pf8bit), Mask32()));
    EXPECT_TRUE(f.GetEmpty());
    EXPECT_THROW(f.GetListItem(0), std::out_of_range);
    EXPECT_EQ(f.GetBmpData(0), nullptr);
}

TEST(IconFile, Decodes32BitImagesThroughAlphaOnlyWithTheAlphaSize) {
    // 4264 bytes: alpha path; mask path for an image with one byte more.
    for (int extra : {0, 1}) {
        std::vector<uint8_t> r = Resource(32, 32, 0x00);
        r.resize(r.size() + static_cast<std::size_t>(extra));
        uint8_t* px = r.data() + 40 + (31 - 2) * 128 + 4 * 1;  // pixel (1, 2)
        px[0] = 200, px[1] = 100, px[2] = 50, px[3] = 128;
        r[40 + 4096 + (31 - 2) * 4] = 0x40;  // mask bit of pixel (1, 2)
        TIconFile f;
        ASSERT_EQ(Load(f, IconBytes(1, {{r}})), IconLoadResult::Loaded);
        TBitmap colour, mask;
        ASSERT_TRUE(f.DecodeImage(0, colour, mask, false));
        EXPECT_EQ(colour.Pixel(1, 2), MakeColor(50, 100, 200));
        if (extra == 0) {
            ASSERT_EQ(mask.PixelFormat(), TPixelFormat::pf8bit);
            EXPECT_EQ(mask.PixelIndex(1, 2), 128);
            TBitmap shown = TIconFile::ComposePicture(colour, mask, clWhite);
            // (c*1000/256)*a/1000 + (255*1000/256)*(255-a)/1000 per channel.
            EXPECT_EQ(RedOf(shown.Pixel(1, 2)), 24 + 126);
        } else {
            ASSERT_EQ(mask.PixelFormat(), TPixelFormat::pf1bit);
            EXPECT_EQ(mask.PixelIndex(1, 2), 1);
            EXPECT_EQ(mask.PixelIndex(0, 2), 0);
        }
    }
}

TEST(IconFile, DrawsOneBitImagesBlackAndWhiteWhateverThePalette) {
    std::vector<uint8_t> r = Resource(32, 1, 0x00);
    PutLE32(r.data() + 40, 0x0000FF);  // blue, red palette
    PutLE32(r.data() + 44, 0xFF0000);
    r[40 + 8 + 31 * 4] = 0x80;  // top-left pixel set
    r[40 + 8 + 128 + 31 * 4] = 0x40;  // pixel (1, 0) transparent
    TIconFile f;
    f.BackGroundColor = clLime;
    ASSERT_EQ(Load(f, IconBytes(1, {{r}})), IconLoadResult::Loaded);
    EXPECT_EQ(f.ColorBitmap().Pixel(0, 0), clWhite);
    EXPECT_EQ(f.ColorBitmap().Pixel(1, 0), clBlack);
    EXPECT_EQ(f.Picture().Pixel(1, 0), clLime);
    EXPECT_EQ(f.Picture().Pixel(0, 0), clWhite);
}

TEST(IconFile, RoundTripsAFileAsACursorChangingOnlyTheSizes) {
    std::vector<uint8_t> file;
    ASSERT_TRUE(ReadWholeFile(IconFixture("icotool_multi.ico"), file, 1 << 20));
    TIconFile a;
    ASSERT_EQ(Load(a, file), IconLoadResult::Loaded);
    ASSERT_EQ(a.GetCount(), 3);
    TMemoryStream m;
    ASSERT_EQ(a.SaveIconToStream(true, &m), IconSaveResult::Saved);
    TIconFile b;
    ASSERT_EQ(b.LoadIconFromStream(&m), IconLoadResult::Loaded);
    ASSERT_EQ(b.GetCount(), 3);
    EXPECT_EQ(b.IconDir().idType, 2);
    for (int i = 0; i < 3; ++i) {
        const std::vector<uint8_t>& x = a.Item(i).Data;
        const std::vector<uint8_t>& y = b.Item(i).Data;
        ASSERT_EQ(x.size(), y.size()) << i;
        EXPECT_TRUE(std::equal(x.begin(), x.begin() + 20, y.begin())) << i;
        EXPECT_TRUE(std::equal(x.begin() + 24, x.end(), y.begin() + 24)) << i;
        TBitmap c1, m1, c2, m2;
        ASSERT_TRUE(a.DecodeImage(i, c1, m1, true));
        ASSERT_TRUE(b.DecodeImage(i, c2, m2, true));
        EXPECT_EQ(c1.Pixel(10, 10), c2.Pixel(10, 10));
    }
}

TEST(IconFile, DecodesFilesOfIndependentTools) {
    struct Case {
        const char* File;
        int Count, Pick, Width;
        bool Png;
    };
    const Case cases[] = {
        {"icotool_1bit.cur", 1, 0, 32, false}, {"icotool_4bit.ico", 1, 0, 32, false},
        {"icotool_8bit.cur", 1, 0, 32, false}, {"icotool_32bit.ico", 1, 0, 32, false},
        {"icotool_multi.ico", 3, 1, 16, false}, {"icotool_raw.ico", 1, 0, 32, true},
        {"pillow_png.ico", 1, 0, 32, true},
    };
    for (const Case& c : cases) {
        TIconFile f;
        ASSERT_EQ(f.LoadIconA(IconFixture(c.File)), IconLoadResult::Loaded) << c.File;
        EXPECT_EQ(f.GetCount(), c.Count) << c.File;
        EXPECT_EQ(f.IconIndex, c.Pick) << c.File;
        EXPECT_EQ(f.Item(c.Pick).IsPng(), c.Png) << c.File;
        TBitmap colour, mask;
        ASSERT_TRUE(f.DecodeImage(c.Pick, colour, mask, true)) << c.File;
        EXPECT_EQ(colour.Width(), 32) << c.File;
        // The fixtures' top-left 8x8 corner is transparent, pixel (9, 12) is opaque.
        bool alpha = mask.PixelFormat() == TPixelFormat::pf8bit;
        EXPECT_EQ(mask.PixelIndex(2, 3), alpha ? 0 : 1) << c.File;
        EXPECT_EQ(mask.PixelIndex(9, 12), alpha ? 255 : 0) << c.File;
        EXPECT_EQ(f.Picture().Width(), 32) << c.File;
    }
    TIconFile f;
    ASSERT_EQ(f.LoadIconA(IconFixture("icotool_8bit.cur")), IconLoadResult::Loaded);
    EXPECT_EQ(f.GetIconEnt()->wPlanes, 31);
    EXPECT_EQ(f.GetIconEnt()->wBitCount, 2);
}

#ifndef _WIN32
TEST(IconFile, SavedFilesPassIcotool) {
    TIconFile f;
    TBitmap eight(32, 32, TPixelFormat::pf8bit), four(16, 16, TPixelFormat::pf4bit), one(32, 32, TPixelFormat::pf1bit);
    TBitmap rgb(48, 48, TPixelFormat::pf24bit);
    ASSERT_TRUE(f.AddIcon(3, 9, eight, Mask32()));
    ASSERT_TRUE(f.AddIcon(1, 1, four, TBitmap(16, 16, TPixelFormat::pf1bit)));
    ASSERT_TRUE(f.AddIcon(0, 0, one, Mask32()));
    ASSERT_TRUE(f.AddIcon(0, 0, rgb, TBitmap(48, 48, TPixelFormat::pf1bit)));
    std::string path = ::testing::TempDir() + "iconfile_saved.cur";
    ASSERT_EQ(f.SaveIcon(true, path), IconSaveResult::Saved);
    std::string cmd = "icotool -l '" + path + "' 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string out;
    char buf[256];
    while (fgets(buf, sizeof buf, p)) out += buf;
    EXPECT_EQ(pclose(p), 0) << out;
    EXPECT_NE(out.find("--index=1 --width=32 --height=32 --bit-depth=8 --palette-size=256 --hotspot-x=3 --hotspot-y=9"),
              std::string::npos) << out;
    EXPECT_NE(out.find("--index=2 --width=16 --height=16 --bit-depth=4"), std::string::npos) << out;
    EXPECT_NE(out.find("--index=3 --width=32 --height=32 --bit-depth=1"), std::string::npos) << out;
    EXPECT_NE(out.find("--index=4 --width=48 --height=48 --bit-depth=24"), std::string::npos) << out;
    EXPECT_EQ(out.find("rror"), std::string::npos) << out;
    DeleteFileUtf8(path);
}

TEST(IconFile, LargeThirtyTwoBitImagesAreDrawnThroughTheirAlphaAsPillowDrawsThem) {
    // The padded mask of 72 and 96 pixels is smaller than 4w(1 + e) bytes; 48 is the
    // size where both agree.
    const std::string path = MakeSoftAlphaIcon(::testing::TempDir(), "if_soft.ico", {48, 72, 96});
    ASSERT_FALSE(path.empty());
    TIconFile f;
    ASSERT_EQ(f.LoadIconA(path), IconLoadResult::Loaded);
    ASSERT_EQ(f.GetCount(), 3);
    for (int i = 0; i < 3; ++i) {
        TBitmap colour, mask;
        ASSERT_TRUE(f.DecodeImage(i, colour, mask, true));
        const int side = colour.Width();
        SCOPED_TRACE(side);
        ASSERT_EQ(mask.PixelFormat(), TPixelFormat::pf8bit);
        std::string ours;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                const TColor c = colour.Pixel(x, y);
                char hex[12];
                std::snprintf(hex, sizeof hex, "%02x%02x%02x%02x", RedOf(c), GreenOf(c), BlueOf(c), mask.PixelIndex(x, y));
                ours += hex;
            }
        const std::string pillow = RunPillow(
            "import sys; from PIL import Image; im = Image.open(sys.argv[1]); "
            "print(im.ico.getimage((" + std::to_string(side) + ", " + std::to_string(side) + ")).convert('RGBA').tobytes().hex())",
            path);
        EXPECT_TRUE(pillow == ours + "\nexit=0") << pillow.substr(0, 200) << "\n" << ours.substr(0, 200);
    }
    std::filesystem::remove(path);
}
#endif

TEST(IconFile, APngImageIsCheckedByItsHeaderOnLoadAndDecodedWhenDrawn) {
    // A 32x32 PNG whose image data is broken, beside a 16-pixel bitmap.
    std::vector<uint8_t> png = LargePngImage(0);
    png[16 + 2] = 0, png[16 + 3] = 32, png[20 + 2] = 0, png[20 + 3] = 32;  // IHDR: 32 x 32
    png.resize(png.size() - 20);                                          // IDAT cut, no IEND
    TIconFile f;
    ASSERT_EQ(Load(f, IconBytes(1, {{Resource(32, 8)}})), IconLoadResult::Loaded);
    ASSERT_FALSE(f.Picture().Empty());
    ASSERT_EQ(Load(f, IconBytes(1, {{Resource(16, 4)}, {png}})), IconLoadResult::Loaded);
    ASSERT_EQ(f.GetCount(), 2);
    EXPECT_EQ(f.IconIndex, 1);  // the 32-pixel image of the greatest depth
    TBitmap colour, mask;
    EXPECT_FALSE(f.DecodeImage(1, colour, mask, true));
    EXPECT_TRUE(f.Picture().Empty());
    EXPECT_TRUE(f.ColorBitmap().Empty());
    ImportedImage image;
    const IconImport read = ReadIconImage(f, [](bool) { return clWhite; }, image);
    EXPECT_EQ(read.Result, IconLoadResult::Invalid);
    EXPECT_EQ(read.Note, IconImportNote::TrueColourOnly);
    f.DrawImage(0);
    EXPECT_EQ(f.Picture().Width(), 16);
}

TEST(IconFile, EntriesSharingOneImageLoadQuicklyAndKeepNoMoreThanTheFileHolds) {
    struct Case {
        const char* Name;
        std::vector<uint8_t> Image;
        uint8_t Side;
    };
    const Case cases[] = {
        {"65535 entries on one 51,176-byte bitmap", PaddedBitmapImage(51176), 32},
        {"65535 entries on one 1 MB PNG", LargePngImage(1 << 20), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::vector<uint8_t> file = SharedImageIcon(65535, c.Image, c.Side);
        const auto start = std::chrono::steady_clock::now();
        TIconFile f;
        ASSERT_EQ(Load(f, file), IconLoadResult::Loaded);
        ImportedImage image;
        const IconImport read = ReadIconImage(f, [](bool) { return clWhite; }, image);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        // Well under half a second even in the sanitized build on a loaded machine; a load that
        // copied or decoded the image for every entry would take hours.
        EXPECT_LT(seconds, 10.0);
        std::size_t stored = 0;
        for (int i = 0; i < f.GetCount(); ++i) {
            EXPECT_TRUE(f.Item(i).Data == c.Image);
            stored += f.Item(i).Data.size();
        }
        EXPECT_LE(stored, file.size());
        EXPECT_GE(f.GetCount(), 1);
        EXPECT_EQ(f.GetCount() + f.SkippedCount(), 65535);
        // The one image shown is decoded; the import takes the bitmap and names the PNG's size.
        const int side = c.Side ? c.Side : 256;
        EXPECT_EQ(f.Picture().Width(), side);
        if (c.Side == 32) {
            EXPECT_EQ(read.Result, IconLoadResult::Loaded);
            EXPECT_EQ(image.Cur.Pixels.At(5, 7), 12);
        } else {
            EXPECT_EQ(read.Note, IconImportNote::UnsupportedSize);
            EXPECT_EQ(read.Width, 256);
            TBitmap colour, alpha;
            ASSERT_TRUE(f.DecodeImage(f.IconIndex, colour, alpha, true));
            EXPECT_EQ(colour.Pixel(200, 10), MakeColor(200, 10, 128));
            EXPECT_EQ(alpha.PixelIndex(200, 10), 200);
        }
    }
}

TEST(IconFile, AFailedSaveLeavesNoFile) {
    TIconFile f;
    ASSERT_TRUE(f.AddIcon(0, 0, TBitmap(32, 32, TPixelFormat::pf8bit), Mask32()));
    std::string path = ::testing::TempDir() + "no-such-folder/x.ico";
    EXPECT_EQ(f.SaveIcon(false, path), IconSaveResult::WriteFailed);
    EXPECT_FALSE(FileExists(path));
}

// A directory that names one image 65535 times: the load holds no more image bytes than the
// file and checks the image once, so it costs what the file's size calls for.
TEST(IconFile, ADirectoryNamingOneImageAgainAndAgainCostsOnlyTheFilesSize) {
    for (const char* name : {"hostile_65535_entries_one_bitmap.ico", "hostile_65535_entries_small_png.ico"}) {
        SCOPED_TRACE(name);
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(ReadWholeFile(std::string(TAMSOLO_SOURCE_DIR) + "/formats/fuzz-corpus/moduleicons/" + name, bytes,
                                  1 << 24));
        const auto start = std::chrono::steady_clock::now();
        TIconFile icons;
        ASSERT_EQ(icons.LoadIconFromMemory(bytes.data(), bytes.size()), IconLoadResult::Loaded);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        std::size_t held = 0;
        for (int i = 0; i < icons.GetCount(); ++i) held += icons.Item(i).Data.size();
        EXPECT_GT(icons.GetCount(), 0);
        EXPECT_LE(held, bytes.size());
        EXPECT_EQ(icons.GetCount() + icons.SkippedCount(), 65535);
        // About a tenth of a second in the sanitized build on a loaded machine; a check of the
        // image for every entry takes minutes.
        EXPECT_LT(ms, 5000);
    }
}
