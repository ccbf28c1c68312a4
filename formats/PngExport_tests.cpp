#include "PngExport.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/Bitmap.h"
#include "base/Exception.h"
#include "formats/ExportTestSupport.h"
#include "formats/ImageWriters.h"
#include "formats/ToolTestSupport.h"

namespace {

uint32_t BE32At(const std::vector<uint8_t>& b, std::size_t at) {
    return uint32_t{b[at]} << 24 | uint32_t{b[at + 1]} << 16 | uint32_t{b[at + 2]} << 8 | b[at + 3];
}

// Chunk types in order, from the given offset (behind a signature).
std::vector<std::string> ChunkTypes(const std::vector<uint8_t>& b, std::size_t at = 8) {
    std::vector<std::string> types;
    while (at + 12 <= b.size()) {
        types.emplace_back(reinterpret_cast<const char*>(b.data() + at + 4), 4);
        at += 12 + BE32At(b, at);
    }
    EXPECT_EQ(at, b.size());
    return types;
}

} // namespace

TEST(PngExport, WritesThePaletteImageWithTransparencyByIndex) {
    const CCURSOR image = TransparentBandedImage();
    const std::vector<uint8_t> png = BuildPngImage(image, AniSaveMode::Colours256);
    EXPECT_EQ(ChunkTypes(png), (std::vector<std::string>{"IHDR", "gAMA", "PLTE", "tRNS", "IDAT", "IEND"}));
    // IHDR: 32 x 32, depth 8, palette.
    EXPECT_EQ(BE32At(png, 16), 32u);
    EXPECT_EQ(png[24], 8);
    EXPECT_EQ(png[25], 3);
    // tRNS follows gAMA (25 + 16 bytes) and PLTE (12 + 768): entries 0, 1 opaque, 2 transparent.
    const std::size_t trns = 8 + 25 + 16 + 12 + 768;
    EXPECT_EQ(BE32At(png, trns), 3u);
    EXPECT_EQ(std::vector<uint8_t>(png.begin() + trns + 8, png.begin() + trns + 11), (std::vector<uint8_t>{255, 255, 0}));

    CCURSOR opaque = image;
    opaque.Transparent = 0;
    EXPECT_EQ(ChunkTypes(BuildPngImage(opaque, AniSaveMode::Colours256)),
              (std::vector<std::string>{"IHDR", "gAMA", "PLTE", "IDAT", "IEND"}));
}

TEST(PngExport, StrippingRefusesBytesThatAreNotWholeChunks) {
    const std::vector<uint8_t> png = BuildPngImage(BandedTestImage(), AniSaveMode::Colours16);
    EXPECT_EQ(StripPngStamps(png), png);  // nothing left to cut
    EXPECT_THROW(StripPngStamps(std::vector<uint8_t>(png.begin(), png.end() - 1)), EInvalidGraphic);
    std::vector<uint8_t> badSignature = png;
    badSignature[1] = 'Q';
    EXPECT_THROW(StripPngStamps(badSignature), EInvalidGraphic);
    std::vector<uint8_t> longChunk = png;
    longChunk[8] = 0x7F;  // IHDR claims more bytes than there are
    EXPECT_THROW(StripPngStamps(longChunk), EInvalidGraphic);
}

TEST(PngExport, MngHoldsOneFramePerImage) {
    const CCURSOR a = TransparentBandedImage();
    CCURSOR b = BandedTestImage();
    b.Pixels.At(0, 0) = 3;
    const std::vector<const CCURSOR*> images = {&a, &b, &a};
    const std::vector<uint8_t> mng = BuildMngFile(images, AniSaveMode::Colours256);
    ASSERT_GE(mng.size(), 8u + 40u);
    EXPECT_EQ(std::vector<uint8_t>(mng.begin(), mng.begin() + 8),
              (std::vector<uint8_t>{0x8A, 'M', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}));
    EXPECT_EQ(BE32At(mng, 8), 28u);     // MHDR
    EXPECT_EQ(BE32At(mng, 16), 32u);    // frame width
    EXPECT_EQ(BE32At(mng, 24), 100u);   // ticks per second
    std::size_t size = 8 + 40 + 12;
    for (const CCURSOR* c : images) size += 22 + BuildPngImage(*c, AniSaveMode::Colours256).size() - 8;
    EXPECT_EQ(mng.size(), size);
    std::vector<std::string> expected = {"MHDR"};
    for (int i = 0; i < 3; ++i) {
        expected.insert(expected.end(), {"FRAM", "IHDR", "gAMA", "PLTE"});
        if (i != 1) expected.push_back("tRNS");
        expected.insert(expected.end(), {"IDAT", "IEND"});
    }
    expected.push_back("MEND");
    EXPECT_EQ(ChunkTypes(mng), expected);
    // FRAM: framing mode 3 (the background before each frame), no name, new default delay
    // of 30 ticks.
    const std::vector<uint8_t> fram(mng.begin() + 48 + 8, mng.begin() + 48 + 18);
    EXPECT_EQ(fram, (std::vector<uint8_t>{3, 0, 2, 0, 0, 0, 0, 0, 0, 30}));
}

#ifndef _WIN32
TEST(PngExport, ToolsReadThePixelsAndTransparencyOfEveryMode) {
    const CCURSOR image = TransparentBandedImage();
    const std::string dir = ::testing::TempDir();
    const char* script =
        "import sys; from PIL import Image; im = Image.open(sys.argv[1]); "
        "print(im.mode, im.info.get('transparency')); im = im.convert('RGB'); "
        "print(' '.join('%02x%02x%02x' % im.getpixel((x, y)) for y in range(32) for x in range(32)))";
    for (AniSaveMode mode : {AniSaveMode::Colours256, AniSaveMode::Colours16, AniSaveMode::Colours2}) {
        const std::string path = dir + "pe_" + std::to_string(static_cast<int>(mode)) + ".png";
        ASSERT_TRUE(WritePngFile(image, mode, path));
        const std::string check = RunTool("pngcheck -v '" + path + "'");
        EXPECT_NE(check.find("No errors detected"), std::string::npos) << check;
        // Pixels equal the bitmap the save mode writes; the transparent pixels have an entry of their own.
        const std::string pixels = SavedPixels(image, mode);
        const std::string want = "P " + std::to_string(SavedPictureOf(image, mode).TransparentIndex) + "\n" + pixels + "\nexit=0";
        EXPECT_EQ(RunPillow(script, path), want) << static_cast<int>(mode);
        std::filesystem::remove(path);
    }
}

TEST(PngExport, MngPassesPngcheckAndImageMagickCountsItsFrames) {
    const CCURSOR a = TransparentBandedImage();
    const CCURSOR b = BandedTestImage();
    const std::string path = ::testing::TempDir() + "pe_anim.mng";
    ASSERT_EQ(WriteMngFile({&a, &b, &a, &b}, AniSaveMode::Colours16, path), WriteResult::Written);
    const std::string check = RunTool("pngcheck -v '" + path + "'");
    EXPECT_NE(check.find("No errors detected"), std::string::npos) << check;
    EXPECT_EQ(RunTool("identify -format '%m %wx%h\\n' '" + path + "'"),
              "MNG 32x32\nMNG 32x32\nMNG 32x32\nMNG 32x32\nexit=0");
    // ImageMagick's reader sees the framing mode and starts each of the four frames on the
    // background instead of drawing it over the frame before.
    const std::string log = RunTool("convert -debug coder '" + path + "' null:");
    std::size_t layers = 0;
    for (std::size_t at = log.find("Insert background layer"); at != std::string::npos;
         at = log.find("Insert background layer", at + 1))
        ++layers;
    EXPECT_EQ(layers, 4u) << log;
    std::filesystem::remove(path);
}

#endif

TEST(PngExport, ReportsAFileThatCannotBeWritten) {
    const std::string path = ::testing::TempDir() + "no_such_folder/x.png";
    EXPECT_FALSE(WritePngFile(BandedTestImage(), AniSaveMode::Colours256, path));
    EXPECT_EQ(WriteMngFile({}, AniSaveMode::Colours256, path), WriteResult::NotWritten);
}
