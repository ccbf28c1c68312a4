// Broken and hostile icon files, modules and shortcuts dropped on the main window: our own
// check refuses each before any system loader reads it, the import gives its message, and
// the document stays as it was. Sound modules, Wine's own among them, still reach the picker.
#include "app/DocumentViewTestSupport.h"
#include "app/ExtIconTestSupport.h"
#include "app/ImportTestSupport.h"
#include "app/MainWindowTestSupport.h"
#include "base/Format.h"
#include "formats/IconSourceCheck.h"
#include "formats/ShortCut.h"

namespace {

const char* const kNotImported = "%s は\nｲﾒｰｼﾞが含まれていないか,入力がｷｬﾝｾﾙされたため読み込めませんでした。";

std::string Corpus(const std::string& name) {
    return WinePath(std::string(TAMSOLO_SOURCE_DIR) + "/formats/fuzz-corpus/iconsource/" + name);
}

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
    const std::string modules[] = {
        IconHostPath(),
        Corpus("valid_one_icon.dll"),
        Corpus("valid_one_icon_64.dll"),
        Corpus("valid_library.icl"),
        "C:\\windows\\system32\\shell32.dll",
        "C:\\windows\\system32\\user32.dll",
        "C:\\windows\\system32\\comdlg32.dll",
        "C:\\windows\\notepad.exe",
        "C:\\windows\\regedit.exe",
        Fixture("icotool_multi.ico"),
    };
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
