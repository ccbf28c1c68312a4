#include "GifExport.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/Bitmap.h"
#include "base/ByteIO.h"
#include "formats/AniFile.h"
#include "formats/ExportTestSupport.h"
#include "formats/ToolTestSupport.h"

namespace {

#ifndef _WIN32
// Prints the format, frame count, version and loop count, then per frame: duration
// (ms), disposal, whether the frame's transparent index is the index at (16, 0) (None
// without transparency, or for composited frames after the first), and the RGB pixels.
const char* const kFrameScript =
    "import sys; from PIL import Image; im = Image.open(sys.argv[1]); "
    "print(im.format, getattr(im, 'n_frames', 1), im.info.get('version'), im.info.get('loop')); "
    "exec('for i in range(getattr(im, \\\"n_frames\\\", 1)):\\n im.seek(i); t = im.info.get(\\\"transparency\\\") if im.mode == \\\"P\\\" else None; "
    "print(im.info.get(\\\"duration\\\"), getattr(im, \\\"disposal_method\\\", None), None if t is None else t == im.getpixel((16, 0))); "
    "print(\\\" \\\".join(\\\"%02x%02x%02x\\\" % p for p in im.convert(\\\"RGB\\\").getdata()))')";

// Compares Pillow's report with the expected lines; pixel lines are compared whole but
// reported by their first differing pixel only.
void ExpectFrames(const std::string& report, const std::vector<std::string>& want, const std::string& what) {
    const std::vector<std::string> got = OutputLines(report);
    ASSERT_EQ(got.size(), want.size()) << what << "\n" << report.substr(0, 400);
    for (std::size_t i = 0; i < want.size(); ++i) {
        if (got[i] == want[i]) continue;
        std::size_t k = 0;
        while (k < got[i].size() && k < want[i].size() && got[i][k] == want[i][k]) ++k;
        ADD_FAILURE() << what << " line " << i << " differs at byte " << k << ": got \"" << got[i].substr(k / 7 * 7, 20)
                      << "\" want \"" << want[i].substr(k / 7 * 7, 20) << "\"";
    }
}
#endif

} // namespace

TEST(GifExport, DelaysAreJiffiesInHundredthsOfASecondUpToOneSecond) {
    const std::pair<int, int> cases[] = {{10, 16}, {30, 50}, {60, 100}, {61, 100}, {911, 100}, {0, 1}, {5000, 100}};
    for (auto [jiffies, delay] : cases) EXPECT_EQ(GifDelayOfJiffies(jiffies), delay) << jiffies;
}

TEST(GifExport, FramesTheCodecsImageWithControlExtensions) {
    const CCURSOR a = TransparentBandedImage(), b = BandedTestImage();
    const GifFrameParts pa = EncodeGifFrame(a, AniSaveMode::Colours256), pb = EncodeGifFrame(b, AniSaveMode::Colours256);
    EXPECT_EQ(pa.Image.front(), 0x2C);
    EXPECT_EQ(pa.TransparentIndex, 2);
    EXPECT_EQ(pb.TransparentIndex, -1);

    const std::vector<uint8_t> anim = BuildAnimatedGif({&a, &b}, AniSaveMode::Colours256, 10);
    ASSERT_EQ(anim.size(), 13 + 19 + 8 + pa.Image.size() + 8 + pb.Image.size() + 1);
    EXPECT_EQ(std::string(anim.begin(), anim.begin() + 6), "GIF89a");
    EXPECT_EQ(anim[10], 0x44);
    EXPECT_EQ(std::string(anim.begin() + 16, anim.begin() + 27), "NETSCAPE2.0");
    EXPECT_EQ(GetLE16(anim.data() + 29), 10000u);
    const std::vector<uint8_t> gceA(anim.begin() + 32, anim.begin() + 40);
    EXPECT_EQ(gceA, (std::vector<uint8_t>{0x21, 0xF9, 4, 9, 16, 0, 2, 0}));
    const std::vector<uint8_t> gceB(anim.begin() + 40 + pa.Image.size(), anim.begin() + 48 + pa.Image.size());
    EXPECT_EQ(gceB, (std::vector<uint8_t>{0x21, 0xF9, 4, 8, 16, 0, 0, 0}));
    EXPECT_EQ(anim.back(), 0x3B);

    const std::vector<uint8_t> one = BuildGifImage(a, AniSaveMode::Colours16);
    EXPECT_EQ(std::string(one.begin(), one.begin() + 6), "GIF89a");
    EXPECT_EQ(std::vector<uint8_t>(one.begin() + 13, one.begin() + 17), (std::vector<uint8_t>{0x21, 0xF9, 4, 9}));
    EXPECT_EQ(GetLE16(one.data() + 17), 0u);
    EXPECT_EQ(one[21], 0x2C);
    EXPECT_EQ(one.back(), 0x3B);
}

#ifndef _WIN32
TEST(GifExport, PillowAndGiflibReadLoopDelaysDisposalPixelsAndTransparency) {
    const CCURSOR a = TransparentBandedImage();
    CCURSOR b = BandedTestImage(), c = BandedTestImage();
    c.Pixels.At(5, 5) = 3;
    const std::string dir = ::testing::TempDir();
    for (AniSaveMode mode : {AniSaveMode::Colours256, AniSaveMode::Colours16, AniSaveMode::Colours2}) {
        const std::string what = "mode " + std::to_string(static_cast<int>(mode));
        // Transparency of the first frame (Pillow composites the frames after it).
        const std::string path = dir + "ge_anim.gif";
        ASSERT_EQ(WriteAnimatedGif({&a, &b}, mode, 30, path), WriteResult::Written);
        ExpectFrames(RunPillow(kFrameScript, path),
                     {"GIF 2 b'GIF89a' 10000", "500 2 True", SavedPixels(a, mode), "500 2 None", SavedPixels(b, mode), "exit=0"},
                     what);
        const std::string text = RunTool("giftext '" + path + "'");
        for (const char* line : {"Disposal Mode: 2", "Transparency on: yes", "Transparency on: no", "DelayTime: 50", "exit=0"})
            EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
        // Every frame's pixels.
        ASSERT_EQ(WriteAnimatedGif({&b, &c, &b}, mode, 60, path), WriteResult::Written);
        ExpectFrames(RunPillow(kFrameScript, path),
                     {"GIF 3 b'GIF89a' 10000", "1000 2 None", SavedPixels(b, mode), "1000 2 None", SavedPixels(c, mode),
                      "1000 2 None", SavedPixels(b, mode), "exit=0"},
                     what);
        std::filesystem::remove(path);
    }
}

TEST(GifExport, AnAnimatedCursorAtTheSlowestRateGivesOneSecondFrames) {
    const CCURSOR a = TransparentBandedImage(), b = BandedTestImage();
    AniWriteInput input;
    input.Images = {&a, &b};
    input.DefaultRate = 911;
    const std::vector<uint8_t> ani = BuildAniFile(input);
    const AniReadResult read = ParseAniFile(ani.data(), ani.size());
    ASSERT_EQ(read.Code, AniReadCode::Read);
    ASSERT_EQ(read.DefaultRate, 911);
    const std::string path = ::testing::TempDir() + "ge_slow.gif";
    ASSERT_EQ(WriteAnimatedGif({&a, &b}, AniSaveMode::Colours256, read.DefaultRate, path), WriteResult::Written);
    const std::string text = RunTool("giftext '" + path + "'");
    std::size_t delays = 0, at = 0;
    while ((at = text.find("DelayTime: ", at)) != std::string::npos) {
        EXPECT_EQ(text.substr(at, 15), "DelayTime: 100\n") << text;
        ++delays;
        ++at;
    }
    EXPECT_EQ(delays, 2u) << text;
    std::filesystem::remove(path);
}

TEST(GifExport, GifsicleReportsTheFramesOfTheAnimation) {
    if (RunTool("gifsicle --version").find("exit=0") == std::string::npos) GTEST_SKIP() << "gifsicle is not installed";
    const CCURSOR a = TransparentBandedImage(), b = BandedTestImage();
    const std::string path = ::testing::TempDir() + "ge_info.gif";
    ASSERT_EQ(WriteAnimatedGif({&a, &b}, AniSaveMode::Colours256, 911, path), WriteResult::Written);
    const std::string info = RunTool("gifsicle --info '" + path + "'");
    EXPECT_NE(info.find("2 images"), std::string::npos) << info;
    EXPECT_NE(info.find("loop count 10000"), std::string::npos) << info;
    EXPECT_NE(info.find("delay 1.00s"), std::string::npos) << info;
    EXPECT_NE(info.find("disposal background"), std::string::npos) << info;
    EXPECT_NE(info.find("transparent 2"), std::string::npos) << info;
    std::filesystem::remove(path);
}

TEST(GifExport, SingleImagesKeepTheirPixelsAndTransparency) {
    const CCURSOR a = TransparentBandedImage(), b = BandedTestImage();
    for (AniSaveMode mode : {AniSaveMode::Colours256, AniSaveMode::Colours16, AniSaveMode::Colours2}) {
        for (const CCURSOR* image : {&a, &b}) {
            const std::string path = ::testing::TempDir() + "ge_one.gif";
            ASSERT_TRUE(WriteGifFile(*image, mode, path));
            ExpectFrames(RunPillow(kFrameScript, path),
                         {"GIF 1 b'GIF89a' None", std::string("0 2 ") + (image == &a ? "True" : "None"),
                          SavedPixels(*image, mode), "exit=0"},
                         "mode " + std::to_string(static_cast<int>(mode)));
            std::filesystem::remove(path);
        }
    }
}
#endif

TEST(GifExport, ReportsAFileThatCannotBeWritten) {
    const CCURSOR a = BandedTestImage();
    const std::string path = ::testing::TempDir() + "no_such_folder/x.gif";
    EXPECT_FALSE(WriteGifFile(a, AniSaveMode::Colours256, path));
    EXPECT_EQ(WriteAnimatedGif({&a}, AniSaveMode::Colours256, 10, path), WriteResult::NotWritten);
}
