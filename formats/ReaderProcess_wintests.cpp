// The reader helper: the waiting side against helpers that hang, fault, flood or refuse; the
// real helper (this test program started as it) on metafiles and cursor files the system's
// readers trust; and sound files, whose pictures are the same as when the system draws them here.
#include "formats/ReaderProcess.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/BestTime.h"
#include "base/ScopeGuard.h"
#include "base/Stream.h"
#include "formats/Metafile.h"
#include "formats/CursorPicture.h"
#include "formats/CursorLookTestSupport.h"
#include "formats/CursorTestFiles.h"
#include "formats/MetafileTestSupport.h"
#include "formats/PluginTestSupport.h"
#include "formats/ShortCut.h"
#include "formats/UserCursor.h"
#include "ui/Win.h"

namespace {

using cursorlook::ExpectLooksAlike;
using cursorlook::LookOf;
using cursorlook::SystemLoadedCursor;
using cursorlook::TCursorLook;

const std::filesystem::path kReaders = std::filesystem::path(TAMSOLO_SOURCE_DIR) / "formats" / "fuzz-corpus" / "readers";

std::string ReaderFile(const std::string& name) { return WinePath((kReaders / name).string()); }

std::vector<std::string> ReaderFiles(const std::string& prefix, const std::vector<std::string>& extensions) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(kReaders)) {
        const std::string name = e.path().filename().string();
        for (const std::string& x : extensions)
            if (name.rfind(prefix, 0) == 0 && e.path().extension() == x) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

double Seconds(const std::function<void()>& work) { return BestTime(1, work); }

const char* OutcomeName(TReaderOutcome o) {
    switch (o) {
    case TReaderOutcome::Answered: return "answered";
    case TReaderOutcome::NotStarted: return "not started";
    case TReaderOutcome::TimedOut: return "timed out";
    case TReaderOutcome::TooLong: return "too long";
    case TReaderOutcome::Failed: return "failed";
    }
    return "?";
}

// A helper's start and a deadline's worth of its work, ten times over: only a stall takes longer.
constexpr double kStallSeconds = (kReaderStartMs + 10.0 * kReaderDeadlineMs) / 1000;

struct TFakeReader {
    TFakeReader() { SetReaderProgram(WinePath(TAMSOLO_FAKEREADER)); }
    ~TFakeReader() { SetReaderProgram(""); }
};

TReaderRequest Fake(const std::string& name) { return {TReaderJob::Metafile, "C:\\" + name}; }

// The width of the stand-in's 2-row picture answer, 0 for none.
int AnswerWidth(const TReaderRun& run) {
    const auto p = ParsePictureAnswer(run.Answer.data(), run.Answer.size());
    return run.Outcome == TReaderOutcome::Answered && p ? p->Width : 0;
}

TEST(ReaderProcess, TheWaitingSideEndsHelpersThatHangOrFloodAndTakesOnlyAWholeAnswer) {
    const TFakeReader fake;
    struct Case {
        const char* name;
        TReaderOutcome outcome;
    };
    const Case cases[] = {
        {"answer", TReaderOutcome::Answered}, {"hang", TReaderOutcome::TimedOut}, {"flood", TReaderOutcome::TooLong},
        {"partial", TReaderOutcome::Failed},  {"refuse", TReaderOutcome::Failed}, {"junk", TReaderOutcome::Failed},
        {"crash", TReaderOutcome::Failed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TReaderRun run;
        const double s = Seconds([&] { run = RunReader(Fake(c.name), 500); });
        EXPECT_EQ(OutcomeName(run.Outcome), std::string(OutcomeName(c.outcome)));
        // The deadline ends the wait on a helper that hangs: not before it, and near it.
        if (c.outcome == TReaderOutcome::TimedOut) {
            EXPECT_GE(s, 0.45);
            EXPECT_LT(s, kStallSeconds);
        }
        if (c.outcome == TReaderOutcome::Answered) {
            EXPECT_EQ(AnswerWidth(run), 2);
        } else {
            EXPECT_TRUE(run.Answer.empty());
        }
    }
}

TEST(ReaderProcess, ABatchKeepsOneHelperUntilItFails) {
    const TFakeReader fake;
    TReaderSession session;
    for (int i = 0; i < 20; ++i) ASSERT_EQ(AnswerWidth(session.Run(Fake("answer"))), 2) << i;
    EXPECT_EQ(session.HelpersStarted(), 1u);
    const unsigned long first = session.HelperId();
    EXPECT_NE(first, 0u);
    // No answer is no failure of the helper: it serves the next job.
    EXPECT_EQ(session.Run(Fake("refuse")).Outcome, TReaderOutcome::Failed);
    EXPECT_EQ(AnswerWidth(session.Run(Fake("answer"))), 2);
    EXPECT_EQ(session.HelpersStarted(), 1u);
    // A helper that faulted, hung, flooded or wrote what was not asked is ended; the next job
    // starts a new one.
    const TReaderRun crashed = session.Run(Fake("crash"));
    EXPECT_EQ(crashed.Outcome, TReaderOutcome::Failed);
    EXPECT_EQ(crashed.ExitCode, kReaderFaultExit);
    EXPECT_EQ(session.HelperId(), 0u);
    unsigned started = 1;
    for (const char* failing : {"hang", "flood", "junk", "partial"}) {
        SCOPED_TRACE(failing);
        EXPECT_EQ(AnswerWidth(session.Run(Fake("answer"))), 2);
        EXPECT_EQ(session.HelpersStarted(), ++started);
        EXPECT_NE(session.Run(Fake(failing), 300).Outcome, TReaderOutcome::Answered);
        EXPECT_EQ(session.HelperId(), 0u);
    }
    EXPECT_EQ(AnswerWidth(session.Run(Fake("answer"))), 2);
    EXPECT_EQ(session.HelpersStarted(), started + 1);
    EXPECT_NE(session.HelperId(), first);
    // An answer of another job than the one asked ends the helper too.
    EXPECT_EQ(session.Run({TReaderJob::ShortCut, "C:\\answer"}).Outcome, TReaderOutcome::Failed);
    EXPECT_EQ(session.HelperId(), 0u);

    // RunReader within a batch (and a batch within it) goes through one session; without one,
    // through a helper of its own.
    {
        const TReaderBatch batch;
        const TReaderBatch inner;
        ASSERT_NE(TReaderBatch::Current(), nullptr);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(AnswerWidth(RunReader(Fake("answer"))), 2);
        EXPECT_EQ(TReaderBatch::Current()->HelpersStarted(), 1u);
    }
    EXPECT_EQ(TReaderBatch::Current(), nullptr);
    EXPECT_EQ(AnswerWidth(RunReader(Fake("answer"))), 2);
}

TEST(ReaderProcess, AHelperThatCannotStartIsNotStartedAndTriedOnceABatch) {
    SetReaderProgram("C:\\no such folder\\helper.exe");
    TScopeExit back([] { SetReaderProgram(""); });
    const TReaderStartWatch watch;
    EXPECT_FALSE(watch.HelperNotStarted());
    EXPECT_EQ(RunReader(Fake("answer")).Outcome, TReaderOutcome::NotStarted);
    EXPECT_TRUE(watch.HelperNotStarted());
    TReaderSession session;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(session.Run(Fake("answer")).Outcome, TReaderOutcome::NotStarted);
    EXPECT_EQ(session.HelpersStarted(), 0u);
    // A request that cannot be asked is no answer, not a missing helper.
    SetReaderProgram(WinePath(TAMSOLO_FAKEREADER));
    const TReaderStartWatch later;
    EXPECT_EQ(RunReader({TReaderJob::Metafile, ""}).Outcome, TReaderOutcome::Failed);
    EXPECT_EQ(AnswerWidth(RunReader(Fake("answer"))), 2);
    EXPECT_FALSE(later.HelperNotStarted());
}

TEST(ReaderProcess, TheHelperInheritsNoHandleButItsPipesAndRunsWithLessThanTheUsersRights) {
    const TFakeReader fake;
    // An inheritable semaphore of this process: a helper that had it could release it.
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE semaphore = CreateSemaphoreW(&sa, 0, 8, nullptr);
    ASSERT_NE(semaphore, nullptr);
    TScopeExit close([semaphore] { CloseHandle(semaphore); });
    TReaderSession session;
    const TReaderRun probe =
        session.Run(Fake("semaphore-" + std::to_string(reinterpret_cast<uintptr_t>(semaphore))));
    EXPECT_EQ(AnswerWidth(probe), 1);  // the value names no semaphore there
    EXPECT_EQ(WaitForSingleObject(semaphore, 0), static_cast<DWORD>(WAIT_TIMEOUT));  // and nobody released it
    const TReaderContainment c = session.Containment();
    std::printf("helper: only its pipes %d, ends with this process %d, no privileges %d, low integrity %d\n",
                c.OnlyItsPipes, c.EndsWithProgram, c.NoPrivileges, c.LowIntegrity);
    EXPECT_TRUE(c.OnlyItsPipes);
    EXPECT_TRUE(c.EndsWithProgram);
    EXPECT_TRUE(c.NoPrivileges);
    // What the session says of the helper's rights is what the helper finds in its own token.
    const int level = AnswerWidth(session.Run(Fake("integrity")));
    EXPECT_GE(level, 1);
    EXPECT_EQ(c.LowIntegrity, level == 1);
    // The helper still reads the user's files.
    session.End();
    SetReaderProgram("");
    const std::string file = WriteEnhanced(FreshFolder("tamsolo-reader-rights") + "\\halves.emf", true);
    EXPECT_EQ(session.Run({TReaderJob::Metafile, file}).Outcome, TReaderOutcome::Answered);
}

// Run by the test below as a program of its own, which it ends while this waits on the helper.
TEST(ReaderProcess, DISABLED_WaitOnAHelperThatHangs) {
    const TFakeReader fake;
    TReaderSession session;
    ASSERT_EQ(AnswerWidth(session.Run(Fake("answer"))), 2);
    std::printf("helper %lu\n", session.HelperId());
    std::fflush(stdout);
    session.Run(Fake("hang"), 600000);
}

TEST(ReaderProcess, AHelperEndsWithTheProcessThatWaitsOnIt) {
    wchar_t self[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    std::wstring cmd = std::wstring(L"\"") + self +
                       L"\" --gtest_also_run_disabled_tests --gtest_filter=ReaderProcess.DISABLED_WaitOnAHelperThatHangs";
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    ASSERT_TRUE(CreatePipe(&read, &write, &sa, 0));
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    TScopeExit closeRead([read] { CloseHandle(read); });
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = write;
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
    CloseHandle(write);
    ASSERT_TRUE(started);
    CloseHandle(pi.hThread);
    TScopeExit closeParent([&pi] {
        TerminateProcess(pi.hProcess, 1);
        CloseHandle(pi.hProcess);
    });
    // Its output, until it names the helper that now hangs.
    std::string text;
    unsigned long helper = 0;
    const ULONGLONG until = GetTickCount64() + 60000;
    while (helper == 0 && GetTickCount64() < until) {
        DWORD waiting = 0;
        if (!PeekNamedPipe(read, nullptr, 0, nullptr, &waiting, nullptr)) break;
        if (waiting == 0) {
            Sleep(10);
            continue;
        }
        std::string chunk(waiting, '\0');
        DWORD n = 0;
        if (!ReadFile(read, chunk.data(), waiting, &n, nullptr)) break;
        text.append(chunk, 0, n);
        const std::size_t at = text.find("helper ");
        if (at != std::string::npos && text.find('\n', at) != std::string::npos) helper = std::stoul(text.substr(at + 7));
    }
    ASSERT_NE(helper, 0u) << text;
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, helper);
    ASSERT_NE(process, nullptr);
    TScopeExit closeHelper([process] {
        TerminateProcess(process, 1);  // a helper that outlived its parent ends with the test
        CloseHandle(process);
    });
    Sleep(200);  // the parent is waiting on the hanging job by now
    EXPECT_EQ(WaitForSingleObject(process, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    ASSERT_TRUE(TerminateProcess(pi.hProcess, 1));
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(process, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
}

TEST(ReaderProcess, AnAnswerThatIsNotWhatWasAskedForIsNoAnswer) {
    // The stand-in answers every request with a 2x2 picture.
    const TFakeReader fake;
    const std::string corpus = std::string(TAMSOLO_SOURCE_DIR) + "/formats/fuzz-corpus/";
    TBitmap picture;
    EXPECT_FALSE(DrawMetafileFile(WinePath(corpus + "metafile/valid_frame.emf"), picture));  // not the frame's size
    EXPECT_TRUE(picture.Empty());
    TMakeShortCut link;
    link.SCFileName = WinePath(corpus + "iconsource/valid_link.lnk");
    EXPECT_EQ(link.SCLoad(), TShortCutLoad::Failed);
    EXPECT_EQ(link.SCExecFile, "");
    // A cursor our readers leave to the helper.
    const std::string cursor = FreshFolder("tamsolo-reader-answer") + "\\bitfields.cur";
    const std::vector<uint8_t> bytes = cursortest::IconFileOf(2, {{cursortest::BitfieldsImage(32, 32), 32, 32, 1, 1}});
    ASSERT_TRUE(WriteWholeFile(cursor, bytes.data(), bytes.size()));
    EXPECT_EQ(LoadUserCursor(cursor, TUserCursorLoad::FromFile), nullptr);
}

TEST(ReaderProcess, MetafilesTheSystemTrustsNeverHarmThisProcess) {
    for (const std::string& name : ReaderFiles("hostile_", {".emf", ".wmf"})) {
        SCOPED_TRACE(name);
        // The helper's own outcome (a fault ends it with kReaderFaultExit), for the log.
        TReaderRun run;
        const double s = Seconds([&] { run = RunReader({TReaderJob::Metafile, ReaderFile(name)}); });
        std::printf("%-36s %-10s exit %lu, %.2f s\n", name.c_str(), OutcomeName(run.Outcome), run.ExitCode, s);
        EXPECT_LT(s, kStallSeconds);
        TBitmap picture(3, 3, TPixelFormat::pf24bit);
        if (!DrawMetafileFile(ReaderFile(name), picture)) {
            EXPECT_EQ(picture.Width(), 3);  // a refused file leaves the picture as it was
        }
    }
}

TEST(ReaderProcess, SoundMetafilesGiveThePixelsTheSystemDrawsHere) {
    const std::string dir = FreshFolder("tamsolo-reader-metafiles") + "\\";
    std::vector<std::string> files = {ReaderFile("valid_boxes.emf"), WriteEnhanced(dir + "halves.emf", true)};
    for (const char* name : {"valid_frame.emf", "valid_bounds.emf", "valid_placeable.wmf", "valid_plain.wmf",
                             "valid_noextent.wmf"})
        files.push_back(WinePath(std::string(TAMSOLO_SOURCE_DIR) + "/formats/fuzz-corpus/metafile/" + name));
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        TBitmap through, here;
        ASSERT_TRUE(DrawMetafileFile(file, through));
        ASSERT_TRUE(DrawMetafileInProcess(file, here));
        ASSERT_EQ(through.Width(), here.Width());
        ASSERT_EQ(through.Height(), here.Height());
        for (int y = 0; y < here.Height(); ++y)
            ASSERT_EQ(std::memcmp(through.ScanLine(y), here.ScanLine(y), std::size_t(here.Width()) * 3), 0) << y;
    }
    // The boxes: red inside blue.
    TBitmap boxes;
    ASSERT_TRUE(DrawMetafileFile(ReaderFile("valid_boxes.emf"), boxes));
    EXPECT_EQ(boxes.Pixel(48, 48), clRed);
    EXPECT_EQ(boxes.Pixel(8, 8), clBlue);
    // The time of one drawing through a helper of its own, through the helper of a batch (its
    // first file, with the helper's start, and each after it), and here.
    TBitmap b;
    const double alone = BestTime(1, [&] {
        for (int i = 0; i < 10; ++i) DrawMetafileFile(files[1], b);
    }) / 10;
    double first = 0, next = 0;
    {
        const TReaderBatch batch;
        first = BestTime(1, [&] { DrawMetafileFile(files[1], b); });
        next = BestTime(1, [&] {
            for (int i = 0; i < 19; ++i) DrawMetafileFile(files[1], b);
        }) / 19;
    }
    const double inProcess = BestTime(5, [&] { DrawMetafileInProcess(files[1], b); });
    std::printf("metafile drawn through a helper of its own %.1f ms; in a batch the first %.1f ms, each after it "
                "%.1f ms; in this process %.1f ms\n",
                alone * 1000, first * 1000, next * 1000, inProcess * 1000);
}

TEST(ReaderProcess, CursorFilesTheSystemLoaderTrustsGiveACursorOrNoneAndThisProcessLives) {
    struct Case {
        const char* name;
        bool cursor;  // our readers take it, so the system loads our copy
    };
    // Two frame lists whose first holds fewer icons than the header names: no reader of ours
    // takes it, the system's loader faults in the helper, and there is no cursor.
    const Case cases[] = {{"hostile_fram_junk.ani", true}, {"hostile_two_fram.ani", true}, {"hostile_two_fram_b.ani", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // What the system's loader does with the file itself (in the helper), for the log.
        const TReaderRun run = RunReader({TReaderJob::CursorFile, ReaderFile(c.name)});
        std::printf("%-36s %-10s exit %lu\n", c.name, OutcomeName(run.Outcome), run.ExitCode);
        for (TUserCursorLoad how : {TUserCursorLoad::FromFile, TUserCursorLoad::DefaultSize}) {
            HCURSOR cursor = nullptr;
            EXPECT_LT(Seconds([&] { cursor = LoadUserCursor(ReaderFile(c.name), how); }), kStallSeconds);
            EXPECT_EQ(cursor != nullptr, c.cursor);
            if (!cursor) continue;
            ICONINFO ii{};
            ASSERT_TRUE(GetIconInfo(cursor, &ii));
            BITMAP bm{};
            GetObjectW(ii.hbmMask, sizeof bm, &bm);
            EXPECT_EQ(bm.bmWidth, 32);
            if (ii.hbmColor) DeleteObject(ii.hbmColor);
            DeleteObject(ii.hbmMask);
            DestroyCursor(cursor);
        }
    }
}

} // namespace


// Cursor files our readers read (made by other tools) and one loaded in the helper (colours
// laid out by bit masks, which our readers leave to the system's) look as the system loads
// the file itself.
TEST(ReaderProcess, ACursorFileLooksAsTheSystemLoadsItWhetherReadHereOrLoadedInTheHelper) {
    std::vector<std::string> files;
    for (const char* name : {"pillow_png.ico", "icotool_8bit.cur", "icotool_1bit.cur", "icotool_multi.ico"})
        files.push_back(WinePath(std::string(TAMSOLO_SOURCE_DIR) + "/formats/testdata/" + name));
    files.push_back(FreshFolder("tamsolo-helper-cursor") + "\\bitfields.cur");
    const std::vector<uint8_t> bitfields = cursortest::IconFileOf(2, {{cursortest::BitfieldsImage(48, 48), 48, 48, 9, 9}});
    ASSERT_TRUE(WriteWholeFile(files.back(), bitfields.data(), bitfields.size()));
    for (const std::string& file : files)
    for (TUserCursorLoad how : {TUserCursorLoad::FromFile, TUserCursorLoad::DefaultSize}) {
        SCOPED_TRACE(file);
        HCURSOR system = SystemLoadedCursor(file, how == TUserCursorLoad::DefaultSize);
        HCURSOR ours = LoadUserCursor(file, how);
        ASSERT_NE(system, nullptr);
        ASSERT_NE(ours, nullptr);
        ExpectLooksAlike(LookOf(system), LookOf(ours));
        DestroyCursor(system);
        DestroyCursor(ours);
    }
}


// Cursors our own readers read are made from our decoded pixels at the system's cursor size
// (no helper is started: there is none to start) and look exactly as the system's loader
// makes them of the file itself, one image decoded per file.
TEST(ReaderProcess, OrdinaryCursorsAreOurOwnPicturesAndLookAsTheSystemLoadsThem) {
    SetReaderProgram("C:\\no such folder\\helper.exe");
    TScopeExit back([] { SetReaderProgram(""); });
    const std::string dir = FreshFolder("tamsolo-ordinary-cursors") + "\\";
    for (const cursortest::TNamedFile& c : cursortest::OrdinaryCursorFiles()) {
        SCOPED_TRACE(c.Name);
        const std::string file = dir + c.Name;
        ASSERT_TRUE(WriteWholeFile(file, c.Bytes.data(), c.Bytes.size()));
        for (TUserCursorLoad how : {TUserCursorLoad::FromFile, TUserCursorLoad::DefaultSize}) {
            HCURSOR system = SystemLoadedCursor(file, how == TUserCursorLoad::DefaultSize);
            const uint64_t decoded = CursorPicturesDecoded();
            HCURSOR ours = LoadUserCursor(file, how);
            EXPECT_EQ(CursorPicturesDecoded() - decoded, 1u);
            ASSERT_NE(ours, nullptr);
            // Wine's loader reads no 16-bit PNG: our picture stands alone.
            if (!system && std::string(c.Name).find("16bit") != std::string::npos) {
                DestroyCursor(ours);
                continue;
            }
            ASSERT_NE(system, nullptr);
            const TCursorLook a = LookOf(system);
            // An animation's frames keep their own size.
            if (!std::string(c.Name).ends_with(".ani")) {
                EXPECT_EQ(a.Width, GetSystemMetrics(SM_CXCURSOR));
            }
            ExpectLooksAlike(a, LookOf(ours));
            DestroyCursor(system);
            DestroyCursor(ours);
        }
    }
}

// The cursors that took seconds each through the helper: our readers read each at once, one
// image decoded, however many frames or pixels the file holds.
TEST(ReaderProcess, LargeAndManyFramedCursorsAreReadAtOnce) {
    SetReaderProgram("C:\\no such folder\\helper.exe");
    TScopeExit back([] { SetReaderProgram(""); });
    std::vector<std::vector<uint8_t>> frames;
    for (int i = 0; i < 950; ++i)
        frames.push_back(cursortest::IconFileOf(2, {{cursortest::BitmapImage(64, 64, 32, i % 5), 64, 64, 3, 3}}));
    const std::vector<std::pair<std::string, std::vector<uint8_t>>> files = {
        {"frames950.ani", cursortest::AniFileOf(frames)},
        {"png1024_16bit_interlaced.cur",
         cursortest::IconFileOf(2, {{cursortest::PngImage(1024, 1024, true, true, 1), 0, 0, 512, 512}})},
        {"png256_and_bitmap.cur", cursortest::IconFileOf(2, {{cursortest::PngImage(256, 256, false, false, 2), 256, 256, 9, 9},
                                                             {cursortest::BitmapImage(48, 48, 32, 3), 48, 48, 9, 9}})},
    };
    const std::string dir = FreshFolder("tamsolo-large-cursors") + "\\";
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(WriteWholeFile(dir + name, bytes.data(), bytes.size()));
        const uint64_t decoded = CursorPicturesDecoded();
        HCURSOR cursor = nullptr;
        const double s = Seconds([&] { cursor = LoadUserCursor(dir + name, TUserCursorLoad::DefaultSize); });
        std::printf("%-32s %8zu bytes  %.3f s\n", name.c_str(), bytes.size(), s);
        EXPECT_NE(cursor, nullptr);
        EXPECT_EQ(CursorPicturesDecoded() - decoded, 1u);
        EXPECT_LT(s, 3.0);  // about ten times what it takes
        if (cursor) DestroyCursor(cursor);
    }
}
