// Broken and hostile icon files, modules and shortcuts dropped on the main window: our own
// check refuses each before any system loader reads it, the import gives its message, and
// the document stays as it was. Sound modules, Wine's own among them, still reach the picker.
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

std::string Corpus(const std::string& name) {
    return WinePath(std::string(TAMSOLO_SOURCE_DIR) + "/formats/fuzz-corpus/iconsource/" + name);
}

// What the document shows: the image list's names, each image's pixels and palette, the frame lines.
struct DocumentView {
    std::vector<std::string> Names, Frames;
    std::vector<PixelBlock> Pixels;
    std::vector<ImagePalette> Palettes;
    bool operator==(const DocumentView&) const = default;
};

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
    DocumentView View() const {
        DocumentView v;
        for (int i = 0; i <= form->LastImage(); ++i) {
            const CCURSOR& e = form->Entry(i);
            v.Names.push_back(form->ImagePage->ListBox1->Item(i));
            v.Pixels.push_back(e.Pixels);
            v.Palettes.push_back(e.Palette);
        }
        for (int i = 0; i < form->FramePage->ListBox2->Count(); ++i)
            v.Frames.push_back(form->FramePage->ListBox2->Item(i));
        return v;
    }
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

TEST_F(HostileFileTest, IconFilesWhoseEntriesShareOneImageAreReadWithinASecond) {
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
        const DWORD start = GetTickCount();
        Drop({path});
        EXPECT_LT(GetTickCount() - start, 2000u);
        StopAnsweringExtIcon();
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
