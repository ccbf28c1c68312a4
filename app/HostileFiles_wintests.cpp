// Broken and hostile icon files, modules and shortcuts dropped on the main window: our own
// readers refuse each or take only what it soundly holds, the import gives its message or
// the picker, and the document stays as it was. Sound modules, Wine's own among them, still
// reach the picker.
#include "app/DocumentViewTestSupport.h"
#include "app/ExtIconTestSupport.h"
#include "app/ImportTestSupport.h"
#include "app/MainWindowTestSupport.h"
#include "base/Format.h"
#include "base/Stream.h"
#include "formats/HostileIconFiles.h"
#include "formats/IconSourceCheck.h"
#include "formats/ShortCut.h"

namespace {

const char* const kNotImported = "%s は\nｲﾒｰｼﾞが含まれていないか,入力がｷｬﾝｾﾙされたため読み込めませんでした。";

std::string Corpus(const std::string& name) { return CorpusFile("iconsource", name); }
// The icon reader's own corpus.
std::string ReaderCorpus(const std::string& name) { return CorpusFile("moduleicons", name); }

struct HostileFileTest : MainWindowTest {
    HostileFileTest() : MainWindowTest("tamsolo-hostile-files") {}
    void SetUp() override {
        MainWindowTest::SetUp();
        form->OptionsPage->NoDlgDisp->SetChecked(true);
    }
    void TearDown() override {
        StopAnsweringExtIcon();
        MainWindowTest::TearDown();
    }
    void Drop(const std::vector<std::string>& files) { SendDrop(form->DropPanel1->Handle(), files); }
    DocumentView View() const { return ViewOf(*form); }
};

TEST_F(HostileFileTest, EveryHostileFileGivesTheImportMessageAndLeavesTheDocument) {
    Drop({Fixture("icotool_4bit.ico"), Fixture("icotool_8bit.cur")});
    ASSERT_EQ(form->LastImage(), 1);
    const DocumentView before = View();
    boxes.Calls.clear();
    AnswerExtIcon(0);  // a picker that opened would add an image
    const char* files[] = {
        "hostile_huge_directory.ico",        "hostile_truncated_48.ico",       "hostile_rows_cut.ico",
        "hostile_half_library.icl",          "hostile_table_cut.icl",          "hostile_type_count.icl",
        "hostile_resource_offset.icl",       "hostile_no_table_end.icl",       "hostile_resources_past_end.dll",
        "hostile_resource_dir_past_end.dll", "hostile_tree_loop.dll",          "hostile_entry_count.dll",
        "hostile_data_outside.dll",          "hostile_group_count.dll",        "hostile_cut_sections.dll",
        "hostile_data_outside_64.dll",       "hostile_link_info_offsets.lnk",  "hostile_link_id_list.lnk",
    };
    for (const char* name : files) {
        SCOPED_TRACE(name);
        boxes.Calls.clear();
        const std::string path = Corpus(name);
        Drop({path});
        const std::vector<std::string> shown = Messages();
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.back(), Format(kNotImported, path.c_str()));
        EXPECT_TRUE(View() == before);
    }
    EXPECT_EQ(ExtIconAnswer().Shown, 0);
}

// Every entry names the one image: the import reads it once, the picker decodes it once.
TEST_F(HostileFileTest, IconFilesWhoseEntriesShareOneImageAreDecodedOnce) {
    Drop({Fixture("icotool_4bit.ico"), Fixture("icotool_8bit.cur")});
    ASSERT_EQ(form->LastImage(), 1);
    DocumentView before = View();
    struct Case {
        const char* Name;
        std::vector<uint8_t> Bytes;
        bool Imported;  // its one image is a 32x32 bitmap the document takes
    };
    const Case cases[] = {
        {"shared_bitmap.ico", SharedImageIcon(65535, PaddedBitmapImage(51176), 32), true},
        {"shared_png.ico", SharedImageIcon(65535, LargePngImage(1 << 20), 0), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string path = folder + c.Name;
        ASSERT_TRUE(WriteWholeFile(path, c.Bytes.data(), c.Bytes.size()));
        boxes.Calls.clear();
        AnswerExtIcon(-1);
        Drop({path});
        StopAnsweringExtIcon();
        // The bitmap is the icon file's own 32x32 image; the PNG's size reaches the picker.
        EXPECT_EQ(ExtIconAnswer().Shown, c.Imported ? 0 : 1);
        if (!c.Imported) {
            EXPECT_EQ(ExtIconAnswer().Work.Decodes, 1);
        }
        DocumentView now = View();
        if (c.Imported) {
            // One image more, the others as they were.
            ASSERT_EQ(form->LastImage(), static_cast<int>(before.Names.size()));
            EXPECT_EQ(form->Entry(form->LastImage()).Pixels.At(5, 7), 12);
            EXPECT_TRUE(Messages().empty());
            const DocumentView added = now;
            now.Names.pop_back();
            now.Pixels.pop_back();
            now.Palettes.pop_back();
            now.Frames.pop_back();
            EXPECT_TRUE(now == before);
            before = added;
        } else {
            // Its size is named, the picker is cancelled, and nothing is imported.
            const std::vector<std::string> shown = Messages();
            ASSERT_EQ(shown.size(), 2u);
            EXPECT_EQ(shown[0].rfind("未対応サイズ(256x256)\n", 0), 0u) << shown[0];
            EXPECT_EQ(shown[1], Format(kNotImported, path.c_str()));
            EXPECT_TRUE(now == before);
        }
    }
}

// Each file, and a shortcut to it, gives the import's message (a picker that opens is
// cancelled); the picker opens only where the file holds a sound icon, and then decodes each
// image its icons show once.
TEST_F(HostileFileTest, ModulesAndIconFilesTheSystemCannotReadAreOursToReadInTime) {
    Drop({Fixture("icotool_4bit.ico"), Fixture("icotool_8bit.cur")});
    ASSERT_EQ(form->LastImage(), 1);
    const DocumentView before = View();
    AnswerExtIcon(-1);
    const struct {
        const char* Name;
        bool Picker;
        int Decodes = 1;  // by the picker
    } cases[] = {
        {"hostile_group_no_language.dll", false},       {"hostile_icon_no_language.dll", false},
        {"hostile_overlapping_sections.dll", false},    {"hostile_resource_dir_in_headers.dll", false},
        {"hostile_reused_directories.dll", false},      {"hostile_900k_entries.dll", false},
        {"hostile_ne_icon_ids_missing.icl", false},     {"hostile_ne_no_group_entries.icl", false},
        {"hostile_ne_group_count.icl", false},          {"hostile_65535_entries_one_png.ico", true},
        {"hostile_65535_entries_small_png.ico", true},  {"hostile_65535_entries_one_bitmap.ico", true},
        {"hostile_ne_groups_two_large_images.icl", true, 2}, {"valid_ne_5000_groups.icl", true},
    };
    for (const auto& c : cases) {
        for (bool link : {false, true}) {
            SCOPED_TRACE(std::string(c.Name) + (link ? " through a shortcut" : ""));
            std::string path = ReaderCorpus(c.Name);
            if (link) {
                ASSERT_TRUE(MakeLink(folder + c.Name + ".lnk", path));
                path = folder + c.Name + ".lnk";
            }
            boxes.Calls.clear();
            const int shown = ExtIconAnswer().Shown;
            Drop({path});
            const std::vector<std::string> messages = Messages();
            ASSERT_FALSE(messages.empty());
            EXPECT_EQ(messages.back(), Format(kNotImported, path.c_str()));
            EXPECT_EQ(ExtIconAnswer().Shown - shown, c.Picker ? 1 : 0);
            if (c.Picker) {
                EXPECT_EQ(ExtIconAnswer().Work.Decodes, c.Decodes);
            }
            EXPECT_TRUE(View() == before);
        }
    }
    // The big sound module lists every one of its icons.
    AnswerExtIcon(-1);
    Drop({ReaderCorpus("valid_ne_5000_groups.icl")});
    EXPECT_EQ(ExtIconAnswer().Count, "5000");
}

TEST_F(HostileFileTest, ATruncatedLargeIconIsRefusedWithoutThePicker) {
    // The first third of a 48x48 icon: the picker, which once offered one all-black icon
    // for it, is never shown; the import's message is the only one.
    const std::string path = Corpus("hostile_truncated_48.ico");
    AnswerExtIcon(0);
    Drop({path});
    EXPECT_EQ(Messages(), (std::vector<std::string>{Format(kNotImported, path.c_str())}));
    EXPECT_EQ(ExtIconAnswer().Shown, 0);
    EXPECT_EQ(form->LastImage(), -1);
}

TEST_F(HostileFileTest, SoundModulesPassTheCheckAndWineExtractsTheirIcons) {
    const std::vector<std::string> modules = SoundIconSources();
    for (const std::string& m : modules) {
        SCOPED_TRACE(m);
        const SourceCheck c = CheckIconSourceFile(m);
        EXPECT_TRUE(c.Ok()) << c.What;
        EXPECT_GT(ExtractIconExW(W(m).c_str(), -1, nullptr, nullptr, 0), 0u);
    }
    // Our hand-made module's one icon arrives through the picker.
    AnswerExtIcon(0);
    Drop({Corpus("valid_one_icon.dll")});
    EXPECT_EQ(ExtIconAnswer().Shown, 1);
    EXPECT_EQ(ExtIconAnswer().Count, "1");
    EXPECT_EQ(form->LastImage(), 0);
}

TEST_F(HostileFileTest, TheLinkObjectReadsOnlyLinksTheCheckFoundSound) {
    TMakeShortCut sound;
    sound.SCFileName = Corpus("valid_link.lnk");
    EXPECT_EQ(sound.SCLoad(), TShortCutLoad::Loaded);
    EXPECT_EQ(sound.SCExecFile, "C:\\windows\\icon.ico");
    for (const char* name : {"hostile_link_info_offsets.lnk", "hostile_link_id_list.lnk"}) {
        TMakeShortCut hostile;
        hostile.SCFileName = Corpus(name);
        EXPECT_EQ(hostile.SCLoad(), TShortCutLoad::Failed) << name;
        EXPECT_EQ(hostile.SCExecFile, "") << name;
    }
}

} // namespace
