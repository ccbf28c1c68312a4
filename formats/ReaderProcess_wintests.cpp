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

TEST(ReaderProcess, TheWaitingSideEndsHelpersThatHangOrFloodAndTakesOnlyAWholeAnswer) {
    SetReaderProgram(WinePath(TAMSOLO_FAKEREADER));
    TScopeExit back([] { SetReaderProgram(""); });
    struct Case {
        const char* name;
        TReaderOutcome outcome;
    };
    const Case cases[] = {
        {"answer", TReaderOutcome::Answered}, {"hang", TReaderOutcome::TimedOut}, {"flood", TReaderOutcome::TooLong},
        {"partial", TReaderOutcome::Failed},  {"refuse", TReaderOutcome::Failed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TReaderRun run;
        const double s = Seconds([&] { run = RunReader({TReaderJob::Metafile, std::string("C:\\") + c.name}, 500); });
        EXPECT_EQ(OutcomeName(run.Outcome), std::string(OutcomeName(c.outcome)));
        EXPECT_LT(s, 1.5);
        if (c.outcome == TReaderOutcome::Answered) {
            EXPECT_TRUE(ParsePictureAnswer(run.Answer.data(), run.Answer.size()));
        } else {
            EXPECT_TRUE(run.Answer.empty());
        }
    }
    // A helper that cannot be started is no answer either.
    SetReaderProgram("C:\\no such folder\\helper.exe");
    EXPECT_EQ(RunReader({TReaderJob::Metafile, "C:\\answer"}).Outcome, TReaderOutcome::NotStarted);
}

TEST(ReaderProcess, AnAnswerThatIsNotWhatWasAskedForIsNoAnswer) {
    // The stand-in answers every request with a 2x2 picture.
    SetReaderProgram(WinePath(TAMSOLO_FAKEREADER));
    TScopeExit back([] { SetReaderProgram(""); });
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
        EXPECT_LT(s, 2.0);
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
    // The time of one drawing through the helper beside the same drawing here.
    TBitmap b;
    const double helper = BestTime(5, [&] { DrawMetafileFile(files[1], b); });
    const double inProcess = BestTime(5, [&] { DrawMetafileInProcess(files[1], b); });
    std::printf("metafile drawn through the helper %.1f ms, in this process %.1f ms\n", helper * 1000, inProcess * 1000);
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
            EXPECT_LT(Seconds([&] { cursor = LoadUserCursor(ReaderFile(c.name), how); }), 2.0);
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
