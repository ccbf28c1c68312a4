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
#include "formats/CursorTestFiles.h"
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

namespace {

using cursortest::AniFileOf;
using cursortest::BitmapImage;
using cursortest::IconFileOf;
using cursortest::PngImage;

struct TCursorFileCase {
    const char* Name;
    std::vector<uint8_t> Bytes;
};

// Ordinary cursors of today's editors: large sides, alpha, PNG images, many images in one
// file, animations whose sequence starts on a later frame, icon files used as cursors.
std::vector<TCursorFileCase> OrdinaryCursorFiles() {
    const std::vector<uint8_t> cur48 = IconFileOf(2, {{BitmapImage(48, 48, 32, 1), 48, 48, 11, 40}});
    std::vector<TCursorFileCase> cases = {
        {"alpha48.cur", cur48},
        {"alpha64.cur", IconFileOf(2, {{BitmapImage(64, 64, 32, 2), 64, 64, 63, 5}})},
        {"alpha128.cur", IconFileOf(2, {{BitmapImage(128, 128, 32, 3), 128, 128, 64, 127}})},
        {"palette48.cur", IconFileOf(2, {{BitmapImage(48, 48, 8, 4), 48, 48, 7, 7}})},
        {"png48.cur", IconFileOf(2, {{PngImage(48, 48, false, false, 5), 48, 48, 20, 30}})},
        {"png256_and_bitmap.cur",
         IconFileOf(2, {{PngImage(256, 256, false, false, 6), 256, 256, 200, 100}, {BitmapImage(32, 32, 32, 7), 32, 32, 3, 4}})},
        {"png256_and_bitmap48.cur",
         IconFileOf(2, {{PngImage(256, 256, false, false, 6), 256, 256, 200, 100}, {BitmapImage(48, 48, 32, 7), 48, 48, 3, 4}})},
        {"png1024_16bit_interlaced.cur", IconFileOf(2, {{PngImage(1024, 1024, true, true, 8), 0, 0, 512, 700}})},
        {"png1024.cur", IconFileOf(2, {{PngImage(1024, 1024, false, false, 8), 0, 0, 512, 700}})},
        {"png64_16bit.cur", IconFileOf(2, {{PngImage(64, 64, true, false, 8), 64, 64, 5, 6}})},
        {"png64_interlaced.cur", IconFileOf(2, {{PngImage(64, 64, false, true, 8), 64, 64, 5, 6}})},
        {"sizes16_40_64.cur", IconFileOf(2, {{BitmapImage(16, 16, 32, 9), 16, 16, 1, 1},
                                              {BitmapImage(40, 40, 32, 10), 40, 40, 30, 30},
                                              {BitmapImage(64, 64, 8, 11), 64, 64, 9, 9}})},
        {"sizes64_40.cur", IconFileOf(2, {{BitmapImage(64, 64, 32, 19), 64, 64, 50, 50}, {BitmapImage(40, 40, 8, 20), 40, 40, 39, 0}})},
        {"depths48.cur", IconFileOf(2, {{BitmapImage(48, 48, 8, 12), 48, 48, 5, 6}, {BitmapImage(48, 48, 32, 13), 48, 48, 7, 8}})},
        {"alpha48.ico", IconFileOf(1, {{BitmapImage(48, 48, 32, 14), 48, 48, 1, 32}})},
        {"alpha48.ani", AniFileOf({cur48, IconFileOf(2, {{BitmapImage(48, 48, 32, 15), 48, 48, 2, 3}})})},
        {"sequence64.ani", AniFileOf({IconFileOf(2, {{BitmapImage(64, 64, 32, 16), 64, 64, 4, 4}}),
                                      IconFileOf(2, {{PngImage(64, 64, false, true, 17), 64, 64, 60, 2}})},
                                     {1, 0, 1})},
        {"icons128.ani", AniFileOf({IconFileOf(1, {{BitmapImage(128, 128, 32, 18), 128, 128, 1, 32}})})},
    };
    return cases;
}

} // namespace

// Cursors our own readers read are made from our decoded pixels at the system's cursor size
// (no helper is started: there is none to start) and look exactly as the system's loader
// makes them of the file itself, one image decoded per file.
TEST(ReaderProcess, OrdinaryCursorsAreOurOwnPicturesAndLookAsTheSystemLoadsThem) {
    SetReaderProgram("C:\\no such folder\\helper.exe");
    TScopeExit back([] { SetReaderProgram(""); });
    const std::string dir = FreshFolder("tamsolo-ordinary-cursors") + "\\";
    for (const TCursorFileCase& c : OrdinaryCursorFiles()) {
        SCOPED_TRACE(c.Name);
        const std::string file = dir + c.Name;
        ASSERT_TRUE(WriteWholeFile(file, c.Bytes.data(), c.Bytes.size()));
        for (TUserCursorLoad how : {TUserCursorLoad::FromFile, TUserCursorLoad::DefaultSize}) {
            HCURSOR system = how == TUserCursorLoad::FromFile
                                 ? LoadCursorFromFileW(Utf8ToWide(file).c_str())
                                 : static_cast<HCURSOR>(LoadImageW(nullptr, Utf8ToWide(file).c_str(), IMAGE_CURSOR, 0,
                                                                   0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
            const uint64_t decoded = CursorPicturesDecoded();
            HCURSOR ours = LoadUserCursor(file, how);
            EXPECT_EQ(CursorPicturesDecoded() - decoded, 1u);
            ASSERT_NE(ours, nullptr);
            // Wine's loader reads no 16-bit PNG: our picture stands alone.
            if (!system && std::string(c.Name).find("16bit") != std::string::npos) continue;
            ASSERT_NE(system, nullptr);
            const TCursorLook a = LookOf(system), b = LookOf(ours);
            // An animation's frames keep their own size.
            if (!std::string(c.Name).ends_with(".ani")) {
                EXPECT_EQ(a.Width, GetSystemMetrics(SM_CXCURSOR));
            }
            EXPECT_EQ(b.Width, a.Width);
            EXPECT_EQ(b.Height, a.Height);
            EXPECT_EQ(b.HotX, a.HotX);
            EXPECT_EQ(b.HotY, a.HotY);
            EXPECT_TRUE(b.Mask == a.Mask);
            EXPECT_TRUE(b.Colour == a.Colour);
            for (std::size_t i = 0; a.Colour.size() == b.Colour.size() && i < a.Colour.size(); ++i) {
                if (a.Colour[i] == b.Colour[i]) continue;
                ADD_FAILURE() << "first colour difference at " << i << ": " << std::hex << a.Colour[i] << " against "
                              << b.Colour[i];
                break;
            }
            DestroyCursor(system);
            DestroyCursor(ours);
        }
    }
}
