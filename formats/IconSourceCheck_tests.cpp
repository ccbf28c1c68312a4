#include "formats/IconSourceCheck.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/ByteIO.h"
#include "formats/AniFile.h"
#include "formats/AniTestSupport.h"
#include "formats/IconLibrary.h"
#include "formats/IconTestImages.h"
#include "formats/ShellLinkCheck.h"
#include "formats/VersionBlock.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = fs::path(TAMSOLO_SOURCE_DIR) / "formats" / "fuzz-corpus";

SourceCheck IconSourceOf(const std::vector<uint8_t>& bytes) {
    TMemoryByteSource source(bytes);
    return CheckIconSource(source);
}
SourceCheck CursorOf(const std::vector<uint8_t>& bytes) {
    TMemoryByteSource source(bytes);
    return CheckCursorFile(source);
}

std::vector<uint8_t> OurLibrary(bool version) {
    static const CCURSOR a = BandedTestImage(), b = anitest::PatternImage(3);
    IconLibraryInput in;
    in.Images = {&a, &b, &a};
    in.Names = {"一", "two", "three"};
    in.InsertVersion = version;
    if (version) in.Version = BuildVersionBlock(VersionValues{});
    return BuildIconLibrary(in);
}

std::vector<uint8_t> OurAni() {
    static const CCURSOR a = anitest::PatternImage(1), b = anitest::PatternImage(2);
    AniWriteInput in = anitest::InputFor({&a, &b});
    in.InsertFram = true;
    in.FrameImages = {1, 0, 1};
    in.FrameSpeeds = {5, 6, 7};
    in.InsertMonoCur = true;
    in.MonoCursor = anitest::TestMonoRecord();
    return BuildAniFile(in);
}

} // namespace

TEST(IconSourceCheck, AcceptsTheFilesToolsAndOurWritersMake) {
    for (const char* name : {"icotool_1bit.cur", "icotool_4bit.ico", "icotool_8bit.cur", "icotool_32bit.ico",
                             "icotool_multi.ico", "icotool_raw.ico", "pillow_png.ico"}) {
        const SourceCheck c = IconSourceOf(TestFileBytes(fs::path(TAMSOLO_SOURCE_DIR) / "formats" / "testdata" / name));
        EXPECT_TRUE(c.Ok()) << name << ": " << c.What;
    }
    EXPECT_TRUE(IconSourceOf(TestFileBytes(fs::path(TAMSOLO_SOURCE_DIR) / "tests" / "data" / "icotool_48.ico")).Ok());
    for (bool version : {false, true}) EXPECT_TRUE(IconSourceOf(OurLibrary(version)).Ok()) << version;
    const SourceCheck ani = CursorOf(OurAni());
    EXPECT_TRUE(ani.Ok()) << ani.What;
    EXPECT_TRUE(CursorOf(TestFileBytes(fs::path(TAMSOLO_SOURCE_DIR) / "tests" / "data" / "demo.ani")).Ok());
    EXPECT_TRUE(CursorOf(TestFileBytes(fs::path(TAMSOLO_SOURCE_DIR) / "formats" / "testdata" / "icotool_8bit.cur")).Ok());
}

TEST(IconSourceCheck, RefusesEveryCutOfASoundFile) {
    struct Case {
        const char* Name;
        std::vector<uint8_t> Bytes;
        bool Cursor;
    } cases[] = {
        {"library", OurLibrary(true), false},
        {"icon", TestFileBytes(fs::path(TAMSOLO_SOURCE_DIR) / "formats" / "testdata" / "icotool_multi.ico"), false},
        {"png icon", TestFileBytes(fs::path(TAMSOLO_SOURCE_DIR) / "formats" / "testdata" / "icotool_raw.ico"), false},
        {"animation", OurAni(), true},
    };
    for (const Case& c : cases) {
        ASSERT_FALSE(c.Bytes.empty()) << c.Name;
        for (std::size_t cut = 0; cut < c.Bytes.size(); cut += 1 + cut / 64) {
            const std::vector<uint8_t> part(c.Bytes.begin(), c.Bytes.begin() + static_cast<std::ptrdiff_t>(cut));
            EXPECT_FALSE((c.Cursor ? CursorOf(part) : IconSourceOf(part)).Ok()) << c.Name << " cut at " << cut;
        }
    }
}

TEST(IconSourceCheck, NamesTheFaultOfEachHostileFile) {
    const struct {
        const char* Name;
        SourceFault Fault;
    } cases[] = {
        {"hostile_huge_directory.ico", SourceFault::Truncated},
        {"hostile_truncated_48.ico", SourceFault::BadOffset},
        {"hostile_rows_cut.ico", SourceFault::Truncated},
        {"hostile_half_library.icl", SourceFault::BadOffset},
        {"hostile_table_cut.icl", SourceFault::Truncated},
        {"hostile_type_count.icl", SourceFault::Truncated},
        {"hostile_resource_offset.icl", SourceFault::BadOffset},
        {"hostile_no_table_end.icl", SourceFault::Truncated},
        {"hostile_resources_past_end.dll", SourceFault::BadOffset},
        {"hostile_resource_dir_past_end.dll", SourceFault::BadOffset},
        {"hostile_tree_loop.dll", SourceFault::ExceedsLimit},
        {"hostile_entry_count.dll", SourceFault::Truncated},
        {"hostile_data_outside.dll", SourceFault::BadOffset},
        {"hostile_data_outside_64.dll", SourceFault::BadOffset},
        {"hostile_group_count.dll", SourceFault::Truncated},
        {"hostile_cut_sections.dll", SourceFault::Truncated},
    };
    for (const auto& c : cases) {
        const SourceCheck r = IconSourceOf(TestFileBytes(kCorpus / "iconsource" / c.Name));
        EXPECT_EQ(r.Fault, c.Fault) << c.Name << ": " << r.What;
    }
    EXPECT_TRUE(IconSourceOf(TestFileBytes(kCorpus / "iconsource" / "valid_one_icon.dll")).Ok());
    EXPECT_TRUE(IconSourceOf(TestFileBytes(kCorpus / "iconsource" / "valid_one_icon_64.dll")).Ok());
    EXPECT_TRUE(IconSourceOf(TestFileBytes(kCorpus / "iconsource" / "valid_library.icl")).Ok());
}

TEST(IconSourceCheck, RefusesFilesThatAreNeitherIconsNorModules) {
    const std::vector<std::vector<uint8_t>> cases = {
        {},
        {'B', 'M', 0, 0, 0, 0},
        {0, 0, 5, 0, 1, 0},  // a directory of an unknown type
        {0, 0, 1, 0, 0, 0},  // no images
        [] {                 // a DOS program without a NE or PE header
            std::vector<uint8_t> dos(128, 0);
            dos[0] = 'M';
            dos[1] = 'Z';
            PutLE32(dos.data() + 0x3C, 64);
            return dos;
        }(),
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_FALSE(IconSourceOf(cases[i]).Ok()) << i;
        EXPECT_FALSE(CursorOf(cases[i]).Ok()) << i;
    }
    // A module is no cursor, and a sound library has icons only for the icon picker.
    EXPECT_EQ(CursorOf(OurLibrary(false)).Fault, SourceFault::NotASource);
}

TEST(IconSourceCheck, RefusesAnimationsWhoseTablesDisagree) {
    const std::vector<uint8_t> sound = OurAni();
    std::size_t anih = 0, seq = 0, icon = 0;
    for (const anitest::RiffChunk& c : anitest::WalkRiff(sound)) {
        if (c.Id == "anih") anih = c.Data;
        if (c.Id == "seq ") seq = c.Data;
        if (c.Id == "icon" && !icon) icon = c.Data;
    }
    ASSERT_TRUE(anih && seq && icon);
    const struct {
        const char* What;
        std::size_t At;
        uint32_t Value;
        SourceFault Fault;
    } cases[] = {
        {"a step past the frames", seq + 4, 2, SourceFault::BadOffset},
        {"no frames", anih + 4, 0, SourceFault::BadHeader},
        {"more frames than icons", anih + 4, 3, SourceFault::Truncated},
        {"more steps than the sequence", anih + 8, 4, SourceFault::Truncated},
        {"frames that are no icons", anih + 32, 2, SourceFault::BadHeader},
        {"an icon image beyond its chunk", icon + 6 + 12, 0x7FFFFFFF, SourceFault::BadOffset},
        {"a file larger than it is", 4, 0x7FFFFFFF, SourceFault::Truncated},
    };
    EXPECT_EQ(CursorOf(TestFileBytes(kCorpus / "iconsource" / "hostile_frames_beyond_icons.ani")).Fault,
              SourceFault::Truncated);
    for (const auto& c : cases) {
        std::vector<uint8_t> bad = sound;
        PutLE32(bad.data() + c.At, c.Value);
        EXPECT_EQ(CursorOf(bad).Fault, c.Fault) << c.What;
    }
}

TEST(ShellLinkCheck, AcceptsASoundLinkAndRefusesOffsetsOutsideIt) {
    const auto check = [](const char* name) {
        const std::vector<uint8_t> bytes = TestFileBytes(kCorpus / "iconsource" / name);
        TMemoryByteSource source(bytes);
        return CheckShellLink(source);
    };
    EXPECT_TRUE(check("valid_link.lnk").Ok()) << check("valid_link.lnk").What;
    EXPECT_EQ(check("hostile_link_info_offsets.lnk").Fault, SourceFault::BadOffset);
    EXPECT_EQ(check("hostile_link_id_list.lnk").Fault, SourceFault::Truncated);
    EXPECT_EQ(check("valid_one_icon.dll").Fault, SourceFault::NotASource);
}

// Every file of the seed corpora goes through every check: no fault, and the sound and the
// hostile files of the checks' own corpus are told apart.
TEST(IconSourceCheck, ReplaysTheSeedCorporaCleanly) {
    int files = 0;
    for (const char* folder : {"iconsource", "icon", "ani"}) {
        for (const auto& entry : fs::directory_iterator(kCorpus / folder)) {
            const std::vector<uint8_t> bytes = TestFileBytes(entry.path());
            TMemoryByteSource source(bytes);
            const SourceCheck icon = CheckIconSource(source), cursor = CheckCursorFile(source),
                              link = CheckShellLink(source);
            const std::string name = entry.path().filename().string();
            const std::string kind = entry.path().extension().string();
            if (std::string(folder) == "iconsource") {
                const SourceCheck& own = kind == ".lnk" ? link : kind == ".ani" ? cursor : icon;
                EXPECT_EQ(own.Ok(), name.rfind("valid_", 0) == 0) << name << ": " << own.What;
            }
            ++files;
        }
    }
    EXPECT_GT(files, 40);
}
