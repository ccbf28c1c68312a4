#include "IconLibrary.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/ByteIO.h"
#include "formats/IconTestImages.h"
#include "formats/ToolTestSupport.h"
#include "formats/VersionBlock.h"

namespace {

IconLibraryInput LibraryOf(const std::vector<const CCURSOR*>& images, const std::vector<std::string>& names,
                           AniSaveMode mode = AniSaveMode::Colours256) {
    IconLibraryInput in;
    in.Images = images;
    in.Names = names;
    in.SaveMode = mode;
    return in;
}

} // namespace

TEST(IconLibrary, LaysOutOneImageWithoutVersion) {
    const CCURSOR image = BandedTestImage();
    const IconLibraryInput in = LibraryOf({&image}, {"a"});
    const IconLibraryLayout l = ComputeIconLibraryLayout(in);
    EXPECT_EQ(l.TableBytes, 108u);
    EXPECT_EQ(l.Shift, 1u);
    EXPECT_EQ(l.NameBytes, 6u);
    const std::vector<uint8_t> b = BuildIconLibrary(in);
    ASSERT_EQ(b.size(), 2478u);
    EXPECT_EQ(GetLE16(b.data()), 0x5A4Du);
    EXPECT_EQ(GetLE32(b.data() + 60), 128u);
    EXPECT_EQ(b[126], 'Q');
    EXPECT_EQ(b[127], 'V');
    EXPECT_EQ(GetLE16(b.data() + 128), 0x454Eu);
    EXPECT_EQ(GetLE16(b.data() + 128 + 36), 64u);
    EXPECT_EQ(GetLE16(b.data() + 128 + 38), 108u);
    EXPECT_EQ(b[128 + 54], 2);
    EXPECT_EQ(GetLE16(b.data() + 128 + 62), 0x0300u);
    // Shift, the group-icon type and its entry, the icon type and its entry, end word.
    const uint8_t* t = b.data() + 192;
    const std::vector<uint16_t> words = {1, 0x800E, 1, 0, 0, 121, 10, 0x1C30, 0x8001, 0, 0,
                                         0x8003, 1, 0, 0, 131, 1108, 0x1C30, 0x8001, 0, 0, 0};
    for (std::size_t i = 0; i < words.size(); ++i) EXPECT_EQ(GetLE16(t + 2 * i), words[i]) << i;
    // Group icon: one 32 x 32 256-colour entry of 2216 bytes naming icon 1.
    const uint8_t* g = b.data() + 242;
    EXPECT_EQ(GetLE16(g + 2), 1u);
    EXPECT_EQ(GetLE16(g + 4), 1u);
    EXPECT_EQ(g[6], 32);
    EXPECT_EQ(g[8], 0);
    EXPECT_EQ(GetLE16(g + 12), 8u);
    EXPECT_EQ(GetLE32(g + 14), 2216u);
    EXPECT_EQ(GetLE16(g + 18), 1u);
    // The icon is the animated cursor's icon image.
    const std::vector<uint8_t> icon = AniIconImage(image, AniSaveMode::Colours256);
    EXPECT_TRUE(std::equal(icon.begin(), icon.end(), b.begin() + 262));
}

TEST(IconLibrary, NameTableCutsLongNamesOnCharacterBoundaries) {
    const CCURSOR image = BandedTestImage();
    const std::vector<uint8_t> b = BuildIconLibrary(LibraryOf({&image, &image}, {"a", "bc"}));
    const std::size_t names = 128 + GetLE16(b.data() + 128 + 38);
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + names, b.begin() + names + 10),
              (std::vector<uint8_t>{3, 'I', 'C', 'L', 1, 'a', 2, 'b', 'c', 0}));

    // 200 double-byte characters: 400 Shift-JIS bytes, cut to 127 characters (254 bytes).
    std::string longName;
    for (int i = 0; i < 200; ++i) longName += "あ";
    const std::vector<uint8_t> c = BuildIconLibrary(LibraryOf({&image}, {longName}));
    const std::size_t at = 128 + GetLE16(c.data() + 128 + 38) + 4;
    EXPECT_EQ(c[at], 254);
    EXPECT_EQ(c[at + 1], 0x82);
    EXPECT_EQ(c[at + 2], 0xA0);
}

TEST(IconLibrary, WidensTheAlignmentForLargeLibraries) {
    const CCURSOR image = BandedTestImage();
    // 58 images of 2236 bytes pass 131070 bytes: shift 2, every size a multiple of 4.
    std::vector<const CCURSOR*> images(58, &image);
    const IconLibraryInput in = LibraryOf(images, std::vector<std::string>(58, "ab"));
    const IconLibraryLayout l = ComputeIconLibraryLayout(in);
    EXPECT_EQ(l.Shift, 2u);
    EXPECT_EQ(l.GroupBytes, 20u);
    EXPECT_EQ(l.IconBytes, 2216u);
    const std::vector<uint8_t> b = BuildIconLibrary(in);
    EXPECT_EQ(b.size(), l.FileBytes);
    EXPECT_EQ(b.size() % 4, 0u);
    const std::vector<CDLLDATA> t = IconLibraryTable(in, l);
    EXPECT_EQ(uint32_t{t.back().Offset} * 4 + 2216, b.size());  // the last icon ends the file

    std::vector<const CCURSOR*> few(57, &image);
    EXPECT_EQ(ComputeIconLibraryLayout(LibraryOf(few, std::vector<std::string>(57, "ab"))).Shift, 1u);
}

TEST(IconLibrary, VersionResourceIsCountedInUnitsAndPadded) {
    const CCURSOR image = BandedTestImage();
    IconLibraryInput in = LibraryOf({&image}, {"a"}, AniSaveMode::Colours16);
    in.InsertVersion = true;
    in.Version.assign(1001, 7);
    const IconLibraryLayout l = ComputeIconLibraryLayout(in);
    const std::vector<CDLLDATA> t = IconLibraryTable(in, l);
    ASSERT_EQ(t.size(), 6u);
    EXPECT_EQ(t[4].Offset, 0x8010);
    EXPECT_EQ(t[4].Length, 1);
    EXPECT_EQ(t[5].Length, 501);  // 1001 bytes in two-byte units, rounded up
    const std::vector<uint8_t> b = BuildIconLibrary(in);
    ASSERT_EQ(b.size(), uint32_t{t[5].Offset} * 2 + 1002);  // the unit's last byte is there
    EXPECT_EQ(b[b.size() - 2], 7);
    EXPECT_EQ(b.back(), 0);
    EXPECT_EQ(b[t[1].Offset * 2u + 6 + 2], 16);  // the group entry of a 16-colour icon counts its colours

    in.Version.clear();
    EXPECT_TRUE(BuildIconLibrary(in).empty());  // no block built yet
    EXPECT_TRUE(BuildIconLibrary(LibraryOf({}, {})).empty());
    EXPECT_EQ(WriteIconLibrary(::testing::TempDir() + "none/x.icl", LibraryOf({&image}, {"a"})), WriteResult::NotWritten);
}

#ifndef _WIN32
TEST(IconLibrary, WrestoolListsTheResourcesAndIcotoolReadsTheIcons) {
    const CCURSOR image = BandedTestImage();
    VersionValues v;
    v.Items[7] = "Icon resource library";
    IconLibraryInput in = LibraryOf({&image, &image, &image}, {"one", "two", "three"}, AniSaveMode::Colours2);
    in.InsertVersion = true;
    in.Version = BuildVersionBlock(v);
    const std::string dir = ::testing::TempDir() + "iconlib_tool/";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string path = dir + "lib.icl";
    ASSERT_EQ(WriteIconLibrary(path, in), WriteResult::Written);
    const std::string listing = RunTool("wrestool -l '" + path + "'");
    for (const char* line : {"--type=14 --name=1 ", "--type=14 --name=3 ", "--type=3 --name=1 ", "--type=3 --name=3 ",
                             "--type=16 --name=1 "})
        EXPECT_NE(listing.find(line), std::string::npos) << line << listing;
    EXPECT_EQ(listing.find("--name=4 "), std::string::npos) << listing;
    const std::string extracted = RunTool("wrestool -x -t14 -o '" + dir + "' '" + path + "' && icotool -l " + dir + "*.ico");
    EXPECT_NE(extracted.find("--icon --index=1 --width=32 --height=32 --bit-depth=1 --palette-size=2"),
              std::string::npos) << extracted;
    std::filesystem::remove_all(dir);
}
#endif
