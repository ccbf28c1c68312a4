#include "PictureImport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "base/Stream.h"
#include "formats/HostilePictureFiles.h"

namespace {

TBitmap Pattern(int w, int h, TPixelFormat pf) {
    TBitmap b(w, h, pf);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (IsPaletted(pf)) b.SetPixelIndex(x, y, (x + 3 * y) % (1 << BitsOf(pf)));
            else b.SetPixel(x, y, MakeColor(uint8_t(x * 7), uint8_t(y * 5), uint8_t(x ^ y)));
        }
    return b;
}

TColor ShownAt(const ImportedImage& im, int x, int y) { return QuadToColor(im.Cur.Palette[im.Cur.Pixels.At(x, y)]); }

} // namespace

TEST(PictureImport, ClassifiesOnlyTheThreeSpellingsOfEachKind) {
    const std::pair<const char*, ImportKind> cases[] = {
        {"a/walk.ani", ImportKind::Ani},    {"a/walk.Ani", ImportKind::Ani},   {"a/walk.aNi", ImportKind::Unknown},
        {"x.Png", ImportKind::Png},         {"x.pNg", ImportKind::Unknown},    {"x.BMP", ImportKind::Bmp},
        {"x.ico", ImportKind::Ico},         {"x.Cur", ImportKind::Cur},        {"x.EXE", ImportKind::Exe},
        {"x.dll", ImportKind::Dll},         {"x.Icl", ImportKind::Icl},        {"x.ico.lnk", ImportKind::Shortcut},
        {"x.LNK", ImportKind::Shortcut},    {"x.txt", ImportKind::Unknown},    {"noext", ImportKind::Unknown},
    };
    for (const auto& [path, kind] : cases) EXPECT_EQ(ClassifyImportPath(path), kind) << path;
}

TEST(PictureImport, NamesImagesByTitleAndTheClipboardFileSpecially) {
    EXPECT_EQ(ImportedImageName("/tmp/walk.cur"), "walk");
    EXPECT_EQ(ImportedImageName("C:\\pics\\run.fast.bmp"), "run.fast");
    EXPECT_EQ(ImportedImageName(std::string("/tmp/") + kClipboardFileName), "ｸﾘｯﾌﾟﾎﾞｰﾄﾞ");
}

namespace {

// Square padding as a picture of its own, as the import once built it before resizing.
TBitmap PaddedSquare(const TBitmap& picture) {
    const int w = picture.Width(), h = picture.Height();
    const int side = std::max(w, h);
    TBitmap out(side, side, TPixelFormat::pf24bit);
    const int left = (side - w) / 2, top = (side - h) / 2;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) out.SetPixel(left + x, top + y, picture.Pixel(x, y));
    return out;
}

// The import of a picture with the square padding on, resized smartly or stretched.
PictureImport ImportPadded(const TBitmap& picture, bool smart) {
    PictureImportOptions options;
    options.Henpei = true;
    options.SmartResize = smart;
    ImportedImage im;
    return ImportPictureFromBitmap(picture, options, im);
}

void ExpectSamePixels(const TBitmap& a, const TBitmap& b) {
    ASSERT_EQ(a.Width(), b.Width());
    ASSERT_EQ(a.Height(), b.Height());
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) ASSERT_EQ(a.Pixel(x, y), b.Pixel(x, y)) << x << "," << y;
}

} // namespace

TEST(PictureImport, PadsAFlatPictureCentredOnBlack) {
    TBitmap flat(64, 16, TPixelFormat::pf24bit);
    flat.Fill(clRed);
    const TBitmap sq = StretchTo32(flat, true);  // the square of 64: rows 24 to 39 are the picture
    EXPECT_EQ(sq.Pixel(0, 11), clBlack);
    EXPECT_EQ(sq.Pixel(0, 12), clRed);
    EXPECT_EQ(sq.Pixel(31, 19), clRed);
    EXPECT_EQ(sq.Pixel(31, 20), clBlack);
}

TEST(PictureImport, PaddingWithoutTheSquareGivesWhatResizingTheSquareGave) {
    const std::pair<int, int> sizes[] = {{48, 16}, {16, 48}, {33, 100}, {100, 33}, {7, 3}, {3, 31}, {1, 40}, {640, 480}};
    for (auto [w, h] : sizes)
        for (TPixelFormat pf : {TPixelFormat::pf24bit, TPixelFormat::pf8bit})
            for (bool smart : {false, true}) {
                SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + (smart ? " smart" : " stretched") +
                             (pf == TPixelFormat::pf8bit ? " 8-bit" : ""));
                const TBitmap picture = Pattern(w, h, pf);
                const PictureImport r = ImportPadded(picture, smart);
                ASSERT_EQ(r.Result, PictureReadResult::NeedsReduction);
                const TBitmap square = PaddedSquare(picture);  // a square of 32 or less is stretched
                ExpectSamePixels(r.Target, smart && square.Width() > 32 ? SmartResizeTo32(square) : StretchTo32(square));
            }
}

TEST(PictureImport, PadsPicturesOfExtremeAspectRatiosWithoutBuildingTheSquare) {
    // The squares would be 32768 x 32768 at 24 bits (3 GB); the picture is a white line.
    for (auto [w, h] : {std::pair{1, 32768}, {32768, 1}, {32768, 2}})
        for (bool smart : {false, true}) {
            TBitmap line(w, h, TPixelFormat::pf1bit);
            line.Fill(clWhite);
            const PictureImport r = ImportPadded(line, smart);
            ASSERT_EQ(r.Result, PictureReadResult::NeedsReduction);
            EXPECT_EQ(r.Target.Width(), 32);
            EXPECT_EQ(r.Target.Pixel(0, 0), clBlack) << w << "x" << h;
        }
}

TEST(PictureImport, SmartResizeFinishesForEverySizeAndAverages) {
    for (auto [w, h] : {std::pair{1, 1}, {3, 200}, {5, 5}, {2000, 2}, {33, 33}}) {
        TBitmap out = SmartResizeTo32(Pattern(w, h, TPixelFormat::pf24bit));
        EXPECT_EQ(out.Width(), 32) << w << "x" << h;
    }
    // Black and white columns of one pixel average to grey.
    TBitmap stripes(64, 64, TPixelFormat::pf24bit);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) stripes.SetPixel(x, y, x % 2 ? clWhite : clBlack);
    TColor c = SmartResizeTo32(stripes).Pixel(10, 10);
    EXPECT_NEAR(RedOf(c), 127, 20);
    TBitmap solid(100, 40, TPixelFormat::pf24bit);
    solid.Fill(clTeal);
    EXPECT_EQ(SmartResizeTo32(solid).Pixel(31, 31), clTeal);
}

TEST(PictureImport, SmartResizeCountsTheStartPixelAsASampleOfItsOwn) {
    // 64x64: each target pixel starts at source (2i, 2j) and samples a 17x17 grid, 81 of
    // whose points fall in that start pixel. White start pixels on black give
    // 255 x (81 + 1) / (289 + 1) = 72; without the extra start sample it would be 71.
    TBitmap dots(64, 64, TPixelFormat::pf24bit);
    dots.Fill(clBlack);
    for (int y = 0; y < 64; y += 2)
        for (int x = 0; x < 64; x += 2) dots.SetPixel(x, y, clWhite);
    const TBitmap out = SmartResizeTo32(dots);
    for (auto [x, y] : {std::pair{0, 0}, {13, 7}, {31, 31}}) EXPECT_EQ(out.Pixel(x, y), MakeColor(72, 72, 72)) << x << "," << y;
}

TEST(PictureImport, TakesA32Pixel8BitPictureAsItIs) {
    TBitmap b = Pattern(32, 32, TPixelFormat::pf8bit);
    ImportedImage im;
    PictureImport r = ImportPictureFromBitmap(b, {}, im);
    ASSERT_EQ(r.Result, PictureReadResult::Read);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) ASSERT_EQ(im.Cur.Pixels.At(x, y), b.PixelIndex(x, y));
    EXPECT_EQ(im.Cur.Palette[5], b.Colors()[5]);
    EXPECT_EQ(im.TransX, 0);
    EXPECT_EQ(im.TransColour, ShownAt(im, 0, 0));
    EXPECT_TRUE(im.Transparent);
}

TEST(PictureImport, LeavesLargerAndTrueColourPicturesForReduction) {
    int asked = 0;
    PictureImportOptions ask;
    ask.AskSmartResize = [&] { ++asked; return false; };
    ImportedImage im;
    PictureImport big = ImportPictureFromBitmap(Pattern(64, 64, TPixelFormat::pf8bit), ask, im);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(big.Result, PictureReadResult::NeedsReduction);
    EXPECT_EQ(big.Target.Width(), 32);
    PictureImport small = ImportPictureFromBitmap(Pattern(20, 20, TPixelFormat::pf24bit), ask, im);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(small.Result, PictureReadResult::NeedsReduction);
    ask.SmartResize = true;
    ImportPictureFromBitmap(Pattern(64, 64, TPixelFormat::pf4bit), ask, im);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(ImportPictureFromBitmap(TBitmap(), ask, im).Result, PictureReadResult::Failed);
}

TEST(PictureImport, FinishesAReductionWithNearestEntries) {
    TBitmap t(32, 32, TPixelFormat::pf24bit);
    t.Fill(MakeColor(250, 10, 10));
    t.SetPixel(5, 5, MakeColor(10, 10, 240));
    ImagePalette pal{};
    pal[0] = ColorToQuad(clBlack);
    pal[3] = ColorToQuad(clRed);
    pal[20] = ColorToQuad(clBlue);
    ImportedImage im;
    FinishReducedImport(t, pal, false, im);
    EXPECT_EQ(im.Cur.Pixels.At(0, 0), 3);
    EXPECT_EQ(im.Cur.Pixels.At(5, 5), 20);
    EXPECT_EQ(im.TransColour, clRed);
    FinishReducedImport(t, pal, true, im);  // a 4-bit source keeps 16 entries only
    EXPECT_EQ(im.Cur.Pixels.At(5, 5), 0);
    EXPECT_EQ(im.Cur.Palette[20], TRGBQuad{});
}

TEST(PictureImport, RefusesPicturesPastTheSizeLimitBeforeDecodingThem) {
    const std::vector<uint8_t> bmp = RleBombBitmap(), png = PngBombHeader();
    const std::string dir = ::testing::TempDir();
    ASSERT_TRUE(WriteWholeFile(dir + "pi_bomb.bmp", bmp.data(), bmp.size()));
    ASSERT_TRUE(WriteWholeFile(dir + "pi_bomb.png", png.data(), png.size()));
    PictureImportOptions options;
    options.Henpei = true;
    ImportedImage im;
    EXPECT_EQ(ImportPicture(dir + "pi_bomb.bmp", options, im).Result, PictureReadResult::Failed);
    EXPECT_EQ(ReadBmpFile(dir + "pi_bomb.bmp", im), 0);
    EXPECT_EQ(ReadPngFile(dir + "pi_bomb.png", options, im).Result, PictureReadResult::Failed);
}

#ifndef _WIN32
// Bitmaps written by ImageMagick and Pillow in their usual forms read with their colours.
TEST(PictureImport, ReadsBitmapsOfIndependentTools) {
    const std::string dir = ::testing::TempDir();
    const std::string src = dir + "pi_source.bmp";
    TBitmap pattern(32, 32, TPixelFormat::pf24bit);
    const TColor colours[4] = {clBlack, clWhite, clRed, clBlue};
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) pattern.SetPixel(x, y, colours[(x / 3 + y / 5) % 4]);
    pattern.SaveToFile(src);
    struct Case {
        const char* Name;
        std::string Command;
        bool TwoColour;
    };
    const Case cases[] = {
        {"bmp3 palette", "/usr/bin/convert '" + src + "' -type Palette BMP3:'%s'", false},
        {"default v5 header", "/usr/bin/convert '" + src + "' -type Palette '%s'", false},
        {"bmp3 4-bit", "/usr/bin/convert '" + src + "' -type Palette -depth 4 -colors 4 BMP3:'%s'", false},
        {"rle8", "/usr/bin/convert '" + src + "' -type Palette -compress RLE BMP3:'%s'", false},
        {"bmp3 1-bit", "/usr/bin/convert '" + src + "' -threshold 50% -type Bilevel BMP3:'%s'", true},
        {"pillow P", "/usr/bin/python3 -c \"from PIL import Image; Image.open('" + src +
                         "').convert('P', palette=Image.ADAPTIVE, colors=4).save('%s')\"", false},
        {"pillow 1", "/usr/bin/python3 -c \"from PIL import Image; Image.open('" + src + "').convert('1').save('%s')\"",
         true},
    };
    for (const Case& c : cases) {
        std::string out = dir + "pi_case.bmp";
        std::string cmd = c.Command;
        cmd.replace(cmd.find("%s"), 2, out);
        ASSERT_EQ(std::system((cmd + " 2>/dev/null").c_str()), 0) << c.Name;
        ImportedImage im;
        ASSERT_EQ(ReadBmpFile(out, im), 1) << c.Name;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                TColor got = ShownAt(im, x, y);
                if (c.TwoColour) {
                    // Thresholding is the tool's own affair; white and black pixels stay so.
                    TColor want = pattern.Pixel(x, y);
                    if (want == clWhite || want == clBlack) {
                        ASSERT_EQ(got, want) << c.Name;
                    }
                    ASSERT_TRUE(got == clWhite || got == clBlack) << c.Name;
                } else {
                    ASSERT_EQ(got, pattern.Pixel(x, y)) << c.Name << " at " << x << "," << y;
                }
            }
        ImportedImage again;
        EXPECT_EQ(ImportPicture(out, {}, again).Result, PictureReadResult::Read) << c.Name;
    }
    ImportedImage im;
    EXPECT_EQ(ReadBmpFile(src, im), 0);  // 24-bit is not read directly
    EXPECT_EQ(ImportPicture(src, {}, im).Result, PictureReadResult::NeedsReduction);
    EXPECT_EQ(ImportPicture(dir + "pi_missing.bmp", {}, im).Result, PictureReadResult::Failed);
}

TEST(PictureImport, ReadsPngInMemory) {
    const std::string png = ::testing::TempDir() + "pi_p.png";
    ASSERT_EQ(std::system(("/usr/bin/python3 -c \"from PIL import Image; im = Image.new('P', (32, 32)); "
                           "im.putpalette([0,0,0, 255,0,0, 0,255,0]); im.putpixel((4, 2), 2); im.save('" +
                           png + "')\"").c_str()),
              0);
    ImportedImage im;
    ASSERT_EQ(ReadPngFile(png, {}, im).Result, PictureReadResult::Read);
    EXPECT_EQ(ShownAt(im, 4, 2), clLime);
    EXPECT_EQ(ShownAt(im, 0, 0), clBlack);
    WriteWholeFile(png, "not a png", 9);
    EXPECT_EQ(ReadPngFile(png, {}, im).Result, PictureReadResult::Failed);
}
#endif
