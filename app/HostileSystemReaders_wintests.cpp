// Files that the system's own readers trust, dropped on a main window holding images and
// frames: metafiles whose records point outside themselves or take many seconds to draw, and
// shortcuts to them. The readers run in the helper process, so each drop ends by the helper's
// deadline with the import's message, the document stays as it was and this process lives;
// sound metafiles and shortcuts still import. A helper that cannot start is said so.
#include <algorithm>
#include <filesystem>

#include "app/DocumentViewTestSupport.h"
#include "app/ImportTestSupport.h"
#include "app/MainWindowTestSupport.h"
#include "base/BestTime.h"
#include "base/Format.h"
#include "formats/ReaderProcess.h"
#include "formats/ShortCut.h"
#include "ui/BuildPrefixTestSupport.h"
#include "base/ScopeGuard.h"

namespace {

const char* const kNotImported = "%s は\nｲﾒｰｼﾞが含まれていないか,入力がｷｬﾝｾﾙされたため読み込めませんでした。";
const char* const kHelperNotStarted = "%s は\n読み込み用の補助プロセスを起動できないため読み込めませんでした。";
// A helper's start and a deadline's worth of its work, ten times over: only a stall takes longer.
constexpr double kStallSeconds = (kReaderStartMs + 10.0 * kReaderDeadlineMs) / 1000;
const std::filesystem::path kReaders = std::filesystem::path(TAMSOLO_SOURCE_DIR) / "formats" / "fuzz-corpus" / "readers";

std::string ReaderFile(const std::string& name) { return WinePath((kReaders / name).string()); }

struct HostileReaderTest : MainWindowTest {
    HostileReaderTest() : MainWindowTest("tamsolo-hostile-readers") {}
    void SetUp() override {
        MainWindowTest::SetUp();
        form->OptionsPage->NoDlgDisp->SetChecked(true);
    }
    // Drops the file and gives the seconds the window took to answer.
    double Drop(const std::string& file) {
        return BestTime(1, [&] { SendDrop(form->DropPanel1->Handle(), {file}); });
    }
    // A shortcut to target written by the link object from our own texts.
    std::string LinkTo(const std::string& target) {
        TMakeShortCut link;
        link.SCFileName = folder + std::filesystem::path(target).stem().string() + ".lnk";
        link.SCExecFile = target;
        EXPECT_TRUE(link.SCSave()) << target;
        return link.SCFileName;
    }
};

TEST_F(HostileReaderTest, MetafilesAndShortcutsTheSystemTrustsGiveTheImportMessageAndLeaveTheDocument) {
    SendDrop(form->DropPanel1->Handle(), {Data("demo.ani")});
    ASSERT_GT(form->LastImage(), 0);
    ASSERT_GT(form->FramePage->ListBox2->Count(), 0);
    const DocumentView before = ViewOf(*form);

    // Each file dropped, and the file the import's message names.
    std::vector<std::pair<std::string, std::string>> hostile;
    std::vector<std::string> drawnHere;
    for (const auto& e : std::filesystem::directory_iterator(kReaders)) {
        const std::string name = e.path().filename().string();
        if (name.rfind("hostile_", 0) != 0 || (e.path().extension() != ".emf" && e.path().extension() != ".wmf")) continue;
        // What the system's playback does with it here (in the helper, as the import has it done).
        const TReaderRun run = RunReader({TReaderJob::Metafile, ReaderFile(name)});
        std::printf("%-36s %s\n", name.c_str(),
                    run.Outcome == TReaderOutcome::TimedOut ? "stalls"
                    : run.ExitCode == kReaderFaultExit      ? "faults"
                                                            : "drawn");
        if (run.Outcome == TReaderOutcome::Answered)
            drawnHere.push_back(ReaderFile(name));
        else
            hostile.emplace_back(ReaderFile(name), ReaderFile(name));
    }
    std::sort(hostile.begin(), hostile.end());
    ASSERT_GE(hostile.size(), 10u);
    // Shortcuts to a file that faults the playback and to one that stalls it.
    // (the message names the shortcut).
    for (const char* name : {"hostile_select_object_far.emf", "hostile_slow_polygon.emf"}) {
        const std::string link = LinkTo(ReaderFile(name));
        hostile.emplace_back(link, link);
    }
    for (const auto& [file, named] : hostile) {
        SCOPED_TRACE(file);
        boxes.Calls.clear();
        EXPECT_LT(Drop(file), kStallSeconds);
        EXPECT_EQ(Messages(), (std::vector<std::string>{Format(kNotImported, named.c_str())}));
        EXPECT_TRUE(ViewOf(*form) == before);
    }
    // What this system draws without a fault is a picture like any other: one more image.
    for (const std::string& file : drawnHere) {
        SCOPED_TRACE(file);
        const int images = form->LastImage();
        EXPECT_LT(Drop(file), kStallSeconds);
        EXPECT_EQ(form->LastImage(), images + 1);
    }
    const DocumentView after = ViewOf(*form);
    for (std::size_t i = 0; i < before.Names.size(); ++i) {
        EXPECT_EQ(after.Names[i], before.Names[i]);
        EXPECT_TRUE(after.Pixels[i] == before.Pixels[i]) << i;
    }
}

TEST_F(HostileReaderTest, SoundMetafilesImportTheSamePictureDirectlyAndThroughAShortcut) {
    const std::string boxes = ReaderFile("valid_boxes.emf");
    EXPECT_LT(Drop(boxes), kStallSeconds);
    ASSERT_EQ(form->LastImage(), 0);
    EXPECT_LT(Drop(LinkTo(boxes)), kStallSeconds);
    ASSERT_EQ(form->LastImage(), 1);
    EXPECT_TRUE(form->Entry(0).Pixels == form->Entry(1).Pixels);
    EXPECT_EQ(form->Entry(0).Palette, form->Entry(1).Palette);
    // Red inside blue, at the image's own size.
    const CCURSOR& e = form->Entry(0);
    const TRGBQuad centre = e.Palette[e.Pixels.At(16, 16)], corner = e.Palette[e.Pixels.At(1, 1)];
    EXPECT_GT(centre.Red, 200);
    EXPECT_LT(centre.Blue, 50);
    EXPECT_GT(corner.Blue, 200);
    EXPECT_LT(corner.Red, 50);
}

// A drop is one batch: its files share one helper until one of them ends it.
TEST_F(HostileReaderTest, ADropOfManyFilesStartsOneHelperUntilOneFails) {
    const std::string metafile = ReaderFile("valid_boxes.emf"), link = LinkTo(metafile);
    const std::string faulting = ReaderFile("hostile_select_object_far.emf");
    unsigned before = ReaderHelpersStarted();
    SendDrop(form->DropPanel1->Handle(), {metafile, link, metafile, link, metafile});
    EXPECT_EQ(form->LastImage(), 4);
    EXPECT_EQ(ReaderHelpersStarted() - before, 1u);
    // The file that faults the helper ends it: the file after it has a new one.
    before = ReaderHelpersStarted();
    boxes.Calls.clear();
    SendDrop(form->DropPanel1->Handle(), {metafile, faulting, metafile, metafile});
    EXPECT_EQ(form->LastImage(), 7);
    EXPECT_EQ(ReaderHelpersStarted() - before, 2u);
    const std::vector<std::string> messages = Messages();
    EXPECT_EQ(std::count(messages.begin(), messages.end(), Format(kNotImported, faulting.c_str())), 1);
}

TEST_F(HostileReaderTest, TamsoloItselfIsTheHelperOfTheProgram) {
    const std::string exe = ProgramPathFromEnvironment("TAMSOLO_EXE");
    ASSERT_FALSE(exe.empty()) << "TAMSOLO_EXE is not set";
    SetReaderProgram(exe);
    TScopeExit back([] { SetReaderProgram(""); });
    const TReaderRun drawn = RunReader({TReaderJob::Metafile, ReaderFile("valid_boxes.emf")});
    ASSERT_EQ(drawn.Outcome, TReaderOutcome::Answered);
    const auto picture = ParsePictureAnswer(drawn.Answer.data(), drawn.Answer.size());
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Width, 96);
    const TReaderRun faulted = RunReader({TReaderJob::Metafile, ReaderFile("hostile_select_object_far.emf")});
    EXPECT_EQ(faulted.Outcome, TReaderOutcome::Failed);
    EXPECT_EQ(faulted.ExitCode, kReaderFaultExit);
    // The import through it: the sound file comes in, the hostile one gives the message.
    EXPECT_LT(Drop(ReaderFile("valid_boxes.emf")), kStallSeconds);
    EXPECT_EQ(form->LastImage(), 0);
    boxes.Calls.clear();
    EXPECT_LT(Drop(ReaderFile("hostile_select_object_far.emf")), kStallSeconds);
    EXPECT_EQ(Messages(), (std::vector<std::string>{Format(kNotImported, ReaderFile("hostile_select_object_far.emf").c_str())}));
    EXPECT_EQ(form->LastImage(), 0);
}

// Tamsolo.exe moved or renamed while it runs: a metafile or shortcut dropped, alone or with
// others, gives the message that the helper cannot start, and the document stays as it was.
TEST_F(HostileReaderTest, AHelperThatCannotStartIsSaidSo) {
    const std::string metafile = ReaderFile("valid_boxes.emf");
    const std::string link = LinkTo(metafile);
    SetReaderProgram(folder + "moved\\Tamsolo.exe");
    TScopeExit back([] { SetReaderProgram(""); });
    for (const std::string& file : {metafile, link}) {
        SCOPED_TRACE(file);
        boxes.Calls.clear();
        SendDrop(form->DropPanel1->Handle(), {file});
        EXPECT_EQ(Messages(), (std::vector<std::string>{Format(kHelperNotStarted, file.c_str())}));
        EXPECT_EQ(form->LastImage(), -1);
    }
    boxes.Calls.clear();
    SendDrop(form->DropPanel1->Handle(), {metafile, Data("demo.ani"), link});
    EXPECT_EQ(Messages(), (std::vector<std::string>{Format(kHelperNotStarted, metafile.c_str()),
                                                    Format(kHelperNotStarted, link.c_str())}));
    EXPECT_GT(form->LastImage(), -1);  // what needs no helper still comes in
}

} // namespace
