// Long drops read off the window thread: the window answers throughout, the progress box
// shows, and its cancel stops the rest of the drop while the files read before it stay.
#include <atomic>
#include <filesystem>

#include "app/DocumentViewTestSupport.h"
#include "app/ExtIconTestSupport.h"
#include "app/ImportTestSupport.h"
#include "app/MainWindowTestSupport.h"
#include "base/Format.h"
#include "formats/CorpusTestSupport.h"
#include "formats/ShortCut.h"
#include "ui/AnswerWatchTestSupport.h"

namespace {

const char* const kNotImported = "%s は\nｲﾒｰｼﾞが含まれていないか,入力がｷｬﾝｾﾙされたため読み込めませんでした。";
const std::filesystem::path kReaders = std::filesystem::path(TAMSOLO_SOURCE_DIR) / "formats" / "fuzz-corpus" / "readers";

// Metafiles our own check finds sound whose playback faults (quickly) or stalls (until the
// helper's deadline) in the helper.
const char* const kFaulting = "hostile_select_object_far.emf";
const char* const kStalling = "hostile_slow_polygon.emf";

double Elapsed(LONGLONG ticks) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(ticks) / static_cast<double>(f.QuadPart);
}

LONGLONG Now() {
    LARGE_INTEGER n;
    QueryPerformanceCounter(&n);
    return n.QuadPart;
}

struct BackgroundImportTest : MainWindowTest {
    BackgroundImportTest() : MainWindowTest("tamsolo-background-import") {}
    void SetUp() override {
        MainWindowTest::SetUp();
        form->OptionsPage->NoDlgDisp->SetChecked(true);
    }
    // A copy of a reader corpus file in the scratch folder under a name of its own.
    std::string CopyOf(const char* corpusFile, const std::string& name) {
        const std::string to = folder + name;
        EXPECT_TRUE(CopyFileW(W(WinePath((kReaders / corpusFile).string())).c_str(), W(to).c_str(), FALSE)) << to;
        return to;
    }
    std::string LinkTo(const std::string& target, const std::string& name) {
        TMakeShortCut link;
        link.SCFileName = folder + name;
        link.SCExecFile = target;
        EXPECT_TRUE(link.SCSave()) << target;
        return link.SCFileName;
    }
    // Drops the files while a watch measures the window's answers; once the progress box has
    // shown for `pressAfter` seconds, cancel presses its cancel (a key press or a click).
    void DropWatched(const std::vector<std::string>& files, double pressAfter, void (*cancel)(HWND box)) {
        std::atomic<LONGLONG> boxSeen{0};
        std::atomic<bool> pressed{false};
        TAnswerWatch watch(form->Handle(), [&] {
            const HWND box = FindProcessWindowNamed(L"ProgressBox");
            if (!box) return;
            if (boxSeen == 0) boxSeen = Now();
            if (!pressed && Elapsed(Now() - boxSeen) >= pressAfter) {
                pressed = true;
                cancel(box);
            }
        });
        const LONGLONG start = Now();
        SendDrop(form->DropPanel1->Handle(), files);
        seconds = Elapsed(Now() - start);
        watch.Stop();
        longest = watch.LongestSeconds();
        rounds = watch.Rounds();
        boxShown = boxSeen != 0;
        cancelPressed = pressed;
        std::printf("drop of %zu files: %.2f s, longest unanswered %.0f ms over %d answers\n", files.size(), seconds,
                    longest * 1000, rounds);
    }
    static void PressEscape(HWND box) { PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0); }
    static void ClickCancel(HWND box) {
        PostMessageW(FindWindowExW(box, nullptr, L"BUTTON", nullptr), BM_CLICK, 0, 0);
    }

    double seconds = 0, longest = 0;
    int rounds = 0;
    bool boxShown = false, cancelPressed = false;
};

TEST_F(BackgroundImportTest, ADropOfTwoHundredHostileMetafilesAndShortcutsLeavesTheWindowAnsweringAndEscapeStopsIt) {
    SendDrop(form->DropPanel1->Handle(), {Data("demo.ani")});
    ASSERT_GT(form->LastImage(), 0);
    const DocumentView before = ViewOf(*form);
    // Every fourth file a shortcut to a hostile metafile; the rest the metafiles themselves.
    const std::string faulting = CopyOf(kFaulting, "faulting.emf"), stalling = CopyOf(kStalling, "stalling.emf");
    std::vector<std::string> files;
    for (int i = 0; i < 200; ++i) {
        const std::string& target = i % 2 ? stalling : faulting;
        files.push_back(i % 4 == 3 ? LinkTo(target, Format("link%03d.lnk", i))
                                   : CopyOf(i % 2 ? kStalling : kFaulting, Format("meta%03d.emf", i)));
    }
    boxes.Calls.clear();
    DropWatched(files, 1.5, PressEscape);
    EXPECT_TRUE(boxShown);
    EXPECT_TRUE(cancelPressed);
    EXPECT_GT(rounds, 10);
    EXPECT_LT(longest, 2.0);
    // The files read before the cancel each gave the import's message, in order; the rest
    // were not read.
    const std::vector<std::string> messages = Messages();
    ASSERT_GE(messages.size(), 1u);
    EXPECT_LT(messages.size(), 60u);
    for (std::size_t i = 0; i < messages.size(); ++i) EXPECT_EQ(messages[i], Format(kNotImported, files[i].c_str()));
    EXPECT_TRUE(ViewOf(*form) == before);
    EXPECT_TRUE(IsWindowEnabled(form->Handle()));
    EXPECT_EQ(FindProcessWindowNamed(L"ProgressBox"), nullptr);  // gone with the drop
}

TEST_F(BackgroundImportTest, CancellingALongDropKeepsTheFilesReadBeforeAndAddsNothingAfter) {
    // Three sound icons, then files that each hold the helper until its deadline, then three
    // more icons the cancel must keep out.
    const std::vector<std::string> icons = {Fixture("icotool_4bit.ico"), Fixture("icotool_8bit.cur"),
                                            Fixture("icotool_1bit.cur")};
    std::vector<std::string> files = icons;
    for (int i = 0; i < 30; ++i) files.push_back(CopyOf(kStalling, Format("slow%02d.emf", i)));
    files.insert(files.end(), icons.begin(), icons.end());
    DropWatched(files, 0.0, ClickCancel);
    EXPECT_TRUE(boxShown);
    EXPECT_TRUE(cancelPressed);
    EXPECT_LT(longest, 2.0);
    ASSERT_EQ(form->LastImage(), 2);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(form->ImagePage->ListBox1->Item(i), std::filesystem::path(icons[i]).stem().string()) << i;
    EXPECT_EQ(form->FramePage->ListBox2->Count(), 3);
    // Stalling files reached before the cancel gave their message; most were never read.
    EXPECT_LT(Messages().size(), 10u);
    // The window takes the next drop as usual.
    SendDrop(form->DropPanel1->Handle(), {icons[0]});
    EXPECT_EQ(form->LastImage(), 3);
}

TEST_F(BackgroundImportTest, TheIconPickerOfABigModuleOpensWhileTheWindowAnswers) {
    AnswerExtIcon(-1);
    TAnswerWatch watch(form->Handle());
    SendDrop(form->DropPanel1->Handle(), {CorpusFile("moduleicons", "valid_ne_5000_groups.icl")});
    watch.Stop();
    StopAnsweringExtIcon();
    EXPECT_EQ(ExtIconAnswer().Shown, 1);
    EXPECT_EQ(ExtIconAnswer().Count, "5000");
    EXPECT_GT(watch.Rounds(), 0);
    EXPECT_LT(watch.LongestSeconds(), 2.0);
    std::printf("picker of 5000 groups: longest unanswered %.0f ms\n", watch.LongestSeconds() * 1000);
}

} // namespace
