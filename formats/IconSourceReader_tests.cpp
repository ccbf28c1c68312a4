// TIconSource: the icons of modules and icon files read from one copy of the file, the
// image a size and depth choose, and hostile trees refused with work linear in their size.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "base/Bitmap.h"
#include "base/ByteIO.h"
#include "base/Stream.h"
#include "formats/AniTestSupport.h"
#include "formats/HostileIconFiles.h"
#include "formats/IconFile.h"
#include "formats/IconLibrary.h"
#include "formats/IconSourceCheck.h"
#include "formats/IconTestImages.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = fs::path(TAMSOLO_SOURCE_DIR) / "formats" / "fuzz-corpus";

// An icon file of the given entries (width, height, bits); each image is 8 bytes of its own.
std::vector<uint8_t> IconDirectory(const std::vector<std::array<int, 3>>& entries) {
    ByteWriter w;
    w.U16(0);
    w.U16(1);
    w.U16(static_cast<uint32_t>(entries.size()));
    const uint32_t images = 6 + 16 * static_cast<uint32_t>(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        w.U8(static_cast<uint32_t>(entries[i][0] & 0xFF));
        w.U8(static_cast<uint32_t>(entries[i][1] & 0xFF));
        w.U8(0);
        w.U8(0);
        w.U16(1);
        w.U16(static_cast<uint32_t>(entries[i][2]));
        w.U32(8);
        w.U32(images + 8 * static_cast<uint32_t>(i));
    }
    w.Data.resize(w.Data.size() + 8 * entries.size(), 0);
    return w.Data;
}

// A source that counts what a check reads of it.
class TCountingSource final : public TByteSource {
public:
    explicit TCountingSource(const std::vector<uint8_t>& bytes) : FInner(bytes) {}
    uint64_t Size() const override { return FInner.Size(); }
    bool Read(uint64_t offset, void* out, std::size_t n) override {
        ++Reads;
        BytesRead += n;
        return FInner.Read(offset, out, n);
    }
    uint64_t Reads = 0, BytesRead = 0;

private:
    TMemoryByteSource FInner;
};

// The check's walk over the file reads each byte a few times at most, in reads of a few
// bytes at least: never a walk of every path through a tree whose directories are reused.
void ExpectWorkLinearInSize(const std::vector<uint8_t>& bytes) {
    TCountingSource counted(bytes);
    CheckIconSource(counted);
    EXPECT_LE(counted.BytesRead, 4 * bytes.size() + 4096);
    EXPECT_LE(counted.Reads, bytes.size() / 4 + 1024);
}

// The pixels of a decoded image, comparable.
std::vector<TColor> PixelsOf(const TBitmap& b) {
    std::vector<TColor> v;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) v.push_back(b.Pixel(x, y));
    return v;
}

} // namespace

TEST(IconSourceReader, ChoosesTheNearestSizeThenTheNearestDepth) {
    const std::vector<uint8_t> file = IconDirectory({{16, 16, 4}, {32, 32, 4}, {32, 32, 8}, {48, 48, 32},
                                                     {32, 32, 32}, {0, 0, 32}, {32, 32, 8}});
    TIconSource source;
    ASSERT_TRUE(source.Load(file).Ok());
    ASSERT_EQ(source.Count(), 1);
    const struct {
        int Side, Depth, Entry;
    } cases[] = {
        {32, 32, 4}, {32, 8, 2},    // of two equal 8-bit images the first
        {32, 4, 1},  {32, 1, 1},    // the nearest depth below
        {16, 32, 0}, {40, 32, 3},   // 32 and 48 lie as near: the nearest depth, the first of equals
        {24, 32, 4}, {256, 8, 5},   // a zero side is 256
        {300, 1, 5},
    };
    for (const auto& c : cases) {
        IconChoice choice;
        ASSERT_TRUE(source.Choose(0, c.Side, c.Side, c.Depth, choice)) << c.Side << " " << c.Depth;
        EXPECT_EQ(choice.Offset, 6 + 16 * 7 + 8 * static_cast<uint64_t>(c.Entry)) << c.Side << " " << c.Depth;
    }
    IconChoice none;
    EXPECT_FALSE(source.Choose(1, 32, 32, 32, none));
    EXPECT_FALSE(source.Choose(-1, 32, 32, 32, none));
}

TEST(IconSourceReader, ReadsSoundModulesAndIconFilesAsTheIconCodecDecodesThem) {
    static const CCURSOR a = BandedTestImage(), b = anitest::PatternImage(3);
    IconLibraryInput in;
    in.Images = {&a, &b, &a};
    in.Names = {"一", "two", "three"};
    const struct {
        const char* Name;
        std::vector<uint8_t> Bytes;
        int Count;
        int Side;  // of the image chosen for 32x32 at 32 bits
    } cases[] = {
        {"our library", BuildIconLibrary(in), 3, 32},
        {"one-icon PE", TestFileBytes(kCorpus / "iconsource" / "valid_one_icon.dll"), 1, 32},
        {"one-icon PE32+", TestFileBytes(kCorpus / "iconsource" / "valid_one_icon_64.dll"), 1, 32},
        {"saved library", TestFileBytes(kCorpus / "iconsource" / "valid_library.icl"), 2, 32},
        {"one-icon NE", TestFileBytes(kCorpus / "moduleicons" / "valid_ne_one_icon.icl"), 1, 32},
        {"three-image icon", TestFileBytes(IconFixture("icotool_multi.ico")), 1, 32},
        {"PNG icon", TestFileBytes(IconFixture("pillow_png.ico")), 1, 32},
        {"cursor", TestFileBytes(IconFixture("icotool_8bit.cur")), 1, 32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TIconSource source;
        const SourceCheck loaded = source.Load(c.Bytes);
        ASSERT_TRUE(loaded.Ok()) << loaded.What;
        ASSERT_EQ(source.Count(), c.Count);
        for (int i = 0; i < c.Count; ++i) {
            IconChoice choice;
            ASSERT_TRUE(source.Choose(i, 32, 32, 32, choice)) << i;
            EXPECT_EQ(choice.Width, c.Side);
            TBitmap colour, mask;
            ASSERT_TRUE(source.Decode(choice, colour, mask)) << i;
            // The same bytes through the icon codec give the same picture.
            TBitmap expected, expectedMask;
            ASSERT_TRUE(DecodeIconResource(c.Bytes.data() + choice.Offset, choice.Bytes, expected, expectedMask, true));
            EXPECT_EQ(PixelsOf(colour), PixelsOf(expected));
            EXPECT_EQ(colour.Width(), c.Side);
        }
    }
    // Our library's images in the library's order: the first and third are the same image.
    TIconSource library;
    ASSERT_TRUE(library.Load(BuildIconLibrary(in)).Ok());
    TBitmap first, second, third, mask;
    IconChoice choice;
    ASSERT_TRUE(library.Choose(0, 32, 32, 32, choice) && library.Decode(choice, first, mask));
    ASSERT_TRUE(library.Choose(1, 32, 32, 32, choice) && library.Decode(choice, second, mask));
    ASSERT_TRUE(library.Choose(2, 32, 32, 32, choice) && library.Decode(choice, third, mask));
    EXPECT_EQ(PixelsOf(first), PixelsOf(third));
    EXPECT_NE(PixelsOf(first), PixelsOf(second));
    EXPECT_EQ(first.Pixel(9, 1), clWhite);  // band (9 / 8 + 1 / 8) % 4 = 1
}

// Each hostile file is refused, or gives only what it soundly holds, with work linear in its
// size: never by decoding every entry of a directory or walking a directory twice.
TEST(IconSourceReader, HostileTreesAndDirectoriesCostOnlyTheirSize) {
    const struct {
        const char* Name;
        SourceFault Fault;  // of the load
        int Count;          // icons listed when it loads
        bool Decodes;       // whether icon 0 has an image to decode
    } cases[] = {
        {"hostile_group_no_language.dll", SourceFault::NoIcons, 0, false},
        {"hostile_icon_no_language.dll", SourceFault::None, 1, false},
        {"hostile_overlapping_sections.dll", SourceFault::BadHeader, 0, false},
        {"hostile_resource_dir_in_headers.dll", SourceFault::BadOffset, 0, false},
        {"hostile_reused_directories.dll", SourceFault::ExceedsLimit, 0, false},
        {"hostile_900k_entries.dll", SourceFault::ExceedsLimit, 0, false},
        {"hostile_ne_icon_ids_missing.icl", SourceFault::None, 1, false},
        {"hostile_ne_no_group_entries.icl", SourceFault::NoIcons, 0, false},
        {"hostile_ne_group_count.icl", SourceFault::None, 1, false},
        {"valid_ne_5000_groups.icl", SourceFault::None, 5000, true},
        {"hostile_65535_entries_one_png.ico", SourceFault::None, 1, true},
        {"hostile_65535_entries_small_png.ico", SourceFault::None, 1, true},
        {"hostile_65535_entries_one_bitmap.ico", SourceFault::None, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::vector<uint8_t> bytes = TestFileBytes(kCorpus / "moduleicons" / c.Name);
        ExpectWorkLinearInSize(bytes);
        TIconSource source;
        const SourceCheck loaded = source.Load(bytes);
        EXPECT_EQ(loaded.Fault, c.Fault) << loaded.What;
        EXPECT_EQ(source.Count(), c.Count);
        if (c.Count > 0) {
            IconChoice choice;
            TBitmap colour, mask;
            EXPECT_EQ(source.Choose(0, 32, 32, 32, choice) && source.Decode(choice, colour, mask), c.Decodes);
            if (c.Decodes) {
                EXPECT_TRUE(source.Choose(c.Count - 1, 32, 32, 32, choice));
            }
        }
    }
    // The structure check, on the same walk, refuses the trees too.
    for (const char* name : {"hostile_overlapping_sections.dll", "hostile_resource_dir_in_headers.dll",
                             "hostile_reused_directories.dll", "hostile_900k_entries.dll"}) {
        const std::vector<uint8_t> bytes = TestFileBytes(kCorpus / "moduleicons" / name);
        TMemoryByteSource src(bytes);
        EXPECT_FALSE(CheckIconSource(src).Ok()) << name;
    }
}

// A 16-bit library whose 5000 group icons all name one group of 65535 entries: each group
// alone lies inside the file, but reading them all would cost 5000 times the file.
TEST(IconSourceReader, GroupIconsThatShareTheirBytesAreRefusedAtOnce) {
    std::vector<uint8_t> file = TestFileBytes(kCorpus / "moduleicons" / "valid_ne_5000_groups.icl");
    ASSERT_EQ(file.size() % 16, 0u);
    const std::size_t table = GetLE32(file.data() + 0x3C) + GetLE16(file.data() + GetLE32(file.data() + 0x3C) + 0x24);
    ASSERT_EQ(GetLE16(file.data() + table), 4);       // the alignment shift
    ASSERT_EQ(GetLE16(file.data() + table + 2), 0x800E);  // the group icons come first
    const uint16_t groups = GetLE16(file.data() + table + 4);
    ASSERT_EQ(groups, 5000);
    // The shared group: 65535 entries that all name icon 1, each an 8-bit 32x32 image.
    const std::size_t at = file.size(), bytes = (6 + 65535 * 14 + 15) / 16 * 16;
    file.resize(at + bytes, 0);
    PutLE16(file.data() + at + 2, 1);
    PutLE16(file.data() + at + 4, 65535);
    for (std::size_t i = 0; i < 65535; ++i) {
        uint8_t* e = file.data() + at + 6 + 14 * i;
        e[0] = e[1] = 32;
        PutLE16(e + 4, 1);
        PutLE16(e + 6, 8);
        PutLE32(e + 8, 8);
        PutLE16(e + 12, 1);
    }
    for (uint16_t g = 0; g < groups; ++g) {
        uint8_t* e = file.data() + table + 10 + 12 * g;
        PutLE16(e, static_cast<uint32_t>(at / 16));
        PutLE16(e + 2, static_cast<uint32_t>(bytes / 16));
    }
    ExpectWorkLinearInSize(file);
    TIconSource source;
    const SourceCheck loaded = source.Load(file);
    EXPECT_EQ(loaded.Fault, SourceFault::ExceedsLimit) << loaded.What;
    EXPECT_EQ(source.Count(), 0);
}

TEST(IconSourceReader, RefusesFilesThatAreNeitherAndEveryCutOfAModuleSafely) {
    TIconSource source;
    EXPECT_EQ(source.Load({}).Fault, SourceFault::NotASource);
    EXPECT_EQ(source.Load({'B', 'M', 0, 0, 0, 0}).Fault, SourceFault::NotASource);
    EXPECT_EQ(source.Load({0, 0, 1, 0, 0, 0}).Fault, SourceFault::NoIcons);
    EXPECT_EQ(source.Load({0, 0, 1, 0, 2, 0, 0}).Fault, SourceFault::Truncated);
    EXPECT_EQ(source.Count(), 0);
    EXPECT_EQ(source.LoadFile((kCorpus / "no such file.dll").string()).Fault, SourceFault::NotASource);
    // Cuts of sound modules: whatever loads, its choices stay inside the bytes.
    for (const char* name : {"iconsource/valid_one_icon.dll", "iconsource/valid_library.icl"}) {
        const std::vector<uint8_t> whole = TestFileBytes(kCorpus / name);
        for (std::size_t cut = 0; cut < whole.size(); cut += 1 + cut / 32) {
            TIconSource part;
            part.Load(std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)));
            for (int i = 0; i < part.Count(); ++i) {
                IconChoice choice;
                TBitmap colour, mask;
                if (part.Choose(i, 32, 32, 32, choice)) {
                    EXPECT_LE(choice.Offset + choice.Bytes, cut) << name << " cut at " << cut;
                    part.Decode(choice, colour, mask);
                }
            }
        }
    }
}

// The seed corpora through the reader as its fuzz target drives it: no fault, every choice
// inside the file, and the sound files of the reader's own corpus give a decoded icon.
TEST(IconSourceReader, ReplaysTheSeedCorporaCleanly) {
    int files = 0;
    for (const char* folder : {"moduleicons", "iconsource", "icon"}) {
        for (const auto& entry : fs::directory_iterator(kCorpus / folder)) {
            const std::vector<uint8_t> bytes = TestFileBytes(entry.path());
            const std::string name = entry.path().filename().string();
            TIconSource source;
            int decoded = 0;
            if (source.Load(bytes).Ok()) {
                for (int i = 0; i < source.Count() && i < 64; ++i) {
                    IconChoice choice;
                    TBitmap colour, mask;
                    if (!source.Choose(i, 32, 32, 32, choice)) continue;
                    EXPECT_LE(choice.Offset + choice.Bytes, bytes.size()) << name;
                    decoded += source.Decode(choice, colour, mask);
                }
            }
            if (std::string(folder) == "moduleicons" && name.rfind("valid_", 0) == 0) {
                EXPECT_GT(decoded, 0) << name;
            }
            ++files;
        }
    }
    EXPECT_GT(files, 60);
}

namespace {

// What a decode costs is known before it runs, whether it then decodes or fails: a truncated
// 256x256 PNG costs as much as a whole one.
TEST(IconSourceReader, ModulesOfGroupsNamingOneImageNameItOnceWithItsCost) {
    const std::vector<uint8_t> png = LargePngImage(0);
    const std::vector<uint8_t> cut(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(png.size() / 2));
    const std::vector<uint8_t> bitmap = PaddedBitmapImage(0);
    EXPECT_EQ(IconResourceCost(png.data(), png.size()), 65536u);
    EXPECT_EQ(IconResourceCost(cut.data(), cut.size()), 65536u);
    EXPECT_EQ(IconResourceCost(bitmap.data(), bitmap.size()), 1024u);
    const uint8_t junk[4] = {1, 2, 3, 4};
    EXPECT_EQ(IconResourceCost(junk, sizeof junk), 1u);
    std::vector<uint8_t> huge = png;
    PutLE32(huge.data() + 16, 1);  // the bytes 01 00 00 00: 16,777,216 wide
    EXPECT_EQ(IconResourceCost(huge.data(), huge.size()), 65536u) << "never more than the decoder takes";

    for (const auto& [image, decodes] : {std::pair{png, true}, std::pair{cut, false}}) {
        const std::vector<uint8_t> module = ModuleOfGroupsNamingOneImage(20000, image, 0);
        ExpectWorkLinearInSize(module);
        TIconSource source;
        const SourceCheck loaded = source.Load(module);
        ASSERT_TRUE(loaded.Ok()) << loaded.What;
        ASSERT_EQ(source.Count(), 20000);
        IconChoice first, last;
        ASSERT_TRUE(source.Choose(0, 32, 32, 32, first));
        ASSERT_TRUE(source.Choose(19999, 32, 32, 32, last));
        EXPECT_EQ(first.Offset, last.Offset);
        EXPECT_EQ(first.Bytes, image.size());
        EXPECT_EQ(source.DecodeCost(first), 65536u);
        TBitmap colour, mask;
        EXPECT_EQ(source.Decode(first, colour, mask), decodes);
    }
}

} // namespace
