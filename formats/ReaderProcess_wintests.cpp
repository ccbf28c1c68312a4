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
#include "formats/MetafileTestSupport.h"
#include "formats/PluginTestSupport.h"
#include "formats/ShortCut.h"
#include "formats/UserCursor.h"
#include "ui/Win.h"

namespace {

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
    EXPECT_EQ(LoadUserCursor(WinePath(std::string(TAMSOLO_SOURCE_DIR) + "/formats/testdata/pillow_png.ico"),
                             TUserCursorLoad::FromFile),
              nullptr);
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

namespace {

struct TCursorLook {
    int Width = 0, Height = 0;
    unsigned HotX = 0, HotY = 0;
    std::vector<uint32_t> Mask, Colour;
    bool operator==(const TCursorLook&) const = default;
};

std::vector<uint32_t> PixelsOf(HBITMAP b, int width, int height) {
    std::vector<uint32_t> px(std::size_t(width) * height);
    BITMAPINFO bi = TopDownDibInfo(width, height, 32);
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, b, 0, static_cast<UINT>(height), px.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    return px;
}

TCursorLook LookOf(HCURSOR c) {
    TCursorLook look;
    ICONINFO ii{};
    if (!c || !GetIconInfo(c, &ii)) return look;
    BITMAP bm{};
    GetObjectW(ii.hbmMask, sizeof bm, &bm);
    look.Width = bm.bmWidth;
    look.Height = ii.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
    look.HotX = ii.xHotspot;
    look.HotY = ii.yHotspot;
    look.Mask = PixelsOf(ii.hbmMask, look.Width, look.Height);
    if (ii.hbmColor) look.Colour = PixelsOf(ii.hbmColor, look.Width, look.Height);
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    return look;
}

} // namespace

// A cursor file we re-write and one loaded in the helper (a PNG image inside, which only the
// system's own codec decodes) look as the system loads the file itself.
TEST(ReaderProcess, ACursorFileLooksAsTheSystemLoadsItWhetherReWrittenOrLoadedInTheHelper) {
    for (const char* name : {"pillow_png.ico", "icotool_8bit.cur", "icotool_1bit.cur", "icotool_multi.ico"})
    for (TUserCursorLoad how : {TUserCursorLoad::FromFile, TUserCursorLoad::DefaultSize}) {
        SCOPED_TRACE(name);
        const std::string file = WinePath(std::string(TAMSOLO_SOURCE_DIR) + "/formats/testdata/" + name);
        HCURSOR system = how == TUserCursorLoad::FromFile
                             ? LoadCursorFromFileW(Utf8ToWide(file).c_str())
                             : static_cast<HCURSOR>(LoadImageW(nullptr, Utf8ToWide(file).c_str(), IMAGE_CURSOR, 0, 0,
                                                               LR_LOADFROMFILE | LR_DEFAULTSIZE));
        HCURSOR ours = LoadUserCursor(file, how);
        ASSERT_NE(system, nullptr);
        ASSERT_NE(ours, nullptr);
        const TCursorLook a = LookOf(system), b = LookOf(ours);
        EXPECT_GT(a.Width, 0);
        EXPECT_EQ(b.Width, a.Width);
        EXPECT_EQ(b.HotX, a.HotX);
        EXPECT_TRUE(b.Mask == a.Mask);
        EXPECT_TRUE(b.Colour == a.Colour);
        DestroyCursor(system);
        DestroyCursor(ours);
    }
}
