// The opaque pixels of the pictures the PNG, MNG and GIF writers make, in every save mode,
// as independent readers see them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "base/Bitmap.h"
#include "formats/ExportTestSupport.h"
#include "formats/GifExport.h"
#include "formats/PngExport.h"
#include "formats/ToolTestSupport.h"

namespace {

std::string ModeName(AniSaveMode mode) { return std::to_string(1 << BitsPerPixelOf(mode)) + " colours"; }

#ifndef _WIN32
constexpr AniSaveMode kModes[] = {AniSaveMode::Colours2, AniSaveMode::Colours16, AniSaveMode::Colours256};

// Per frame: the number of opaque pixels, then every pixel, top row first, "-" where
// transparent, else "rrggbb"; the reduced colour the save mode gives an opaque pixel.
std::string ExpectedFrame(const CCURSOR& image, AniSaveMode mode) {
    const TBitmap saved = SavedBitmap(image, mode);
    const uint8_t key = image.Pixels.At(image.TransX, image.TransY);
    std::string pixels;
    int opaque = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            std::string p = "-";
            if (!image.Transparent || image.Pixels.At(x, y) != key) {
                const TRGBQuad q = saved.Colors()[static_cast<std::size_t>(saved.PixelIndex(x, y))];
                char hex[8];
                std::snprintf(hex, sizeof hex, "%02x%02x%02x", q.Red, q.Green, q.Blue);
                p = hex;
                ++opaque;
            }
            pixels += (pixels.empty() ? "" : " ") + p;
        }
    return std::to_string(opaque) + "\n" + pixels + "\n";
}

// Pillow reads GIF and PNG; the PNG streams inside an MNG (IHDR to IEND) are read one by one.
const char* const kOpaqueScript = R"(import io, sys
from PIL import Image
data = open(sys.argv[1], 'rb').read()
frames = []
if data[:4] == b'\x8aMNG':
    pos, png = 8, None
    while pos + 12 <= len(data):
        n = int.from_bytes(data[pos:pos + 4], 'big')
        kind, chunk = data[pos + 4:pos + 8], data[pos:pos + 12 + n]
        pos += 12 + n
        if kind == b'IHDR':
            png = b'\x89PNG\r\n\x1a\n'
        if png is not None:
            png += chunk
        if kind == b'IEND':
            frames.append(Image.open(io.BytesIO(png)))
            png = None
else:
    im = Image.open(io.BytesIO(data))
    for i in range(getattr(im, 'n_frames', 1)):
        im.seek(i)
        frames.append(im.convert('RGBA'))
for f in frames:
    px = list(f.convert('RGBA').getdata())
    print(sum(1 for p in px if p[3] == 255))
    print(' '.join('-' if p[3] == 0 else '%02x%02x%02x' % p[:3] for p in px))
)";

std::string ReadByPillow(const std::string& path) {
    const std::string script = ::testing::TempDir() + "opaque_pixels.py";
    std::ofstream(script) << kOpaqueScript;
    return RunTool("/usr/bin/python3 '" + script + "' '" + path + "'");
}

// Compares what Pillow read with the expected frames: each frame's opaque count, then its
// pixels, reported by the first one that differs.
void ExpectFrames(const std::string& report, const std::string& want, const std::string& what) {
    const std::vector<std::string> got = OutputLines(report), expected = OutputLines(want + "exit=0");
    ASSERT_EQ(got.size(), expected.size()) << what << "\n" << report.substr(0, 300);
    for (std::size_t i = 0; i + 1 < expected.size(); i += 2) {
        EXPECT_EQ(got[i], expected[i]) << what << ": opaque pixels of frame " << i / 2;
        const std::string &g = got[i + 1], &e = expected[i + 1];
        if (g == e) continue;
        std::size_t k = 0;
        while (k < g.size() && k < e.size() && g[k] == e[k]) ++k;
        const std::size_t pixel = std::count(e.begin(), e.begin() + static_cast<std::ptrdiff_t>(k), ' ');
        auto token = [k](const std::string& line) {
            const std::size_t start = k == 0 ? 0 : line.rfind(' ', k - 1) + 1;
            return line.substr(start, line.find(' ', start) - start);
        };
        ADD_FAILURE() << what << ": frame " << i / 2 << " pixel " << pixel << " (" << pixel % 32 << ", " << pixel / 32
                      << ") is \"" << token(g) << "\", want \"" << token(e) << "\"";
    }
    EXPECT_EQ(got.back(), "exit=0") << what;
}
#endif

// The size of a GIF frame's local colour table, and a PNG's bit depth.
int GifTableSize(const CCURSOR& image, AniSaveMode mode) { return 2 << (EncodeGifFrame(image, mode).Image[9] & 7); }
int PngBitDepth(const CCURSOR& image, AniSaveMode mode) { return BuildPngImage(image, mode)[24]; }

} // namespace

TEST(OpaquePixels, TransparentPixelsTakeAnEntryNoOpaquePixelUses) {
    const CCURSOR every = CrowdedTransparentImage(true), few = CrowdedTransparentImage(false);
    struct Case {
        const CCURSOR* Image;
        AniSaveMode Mode;
        int GifTable, PngDepth;
    };
    // Every entry taken: a table twice the size; a free entry: the table as it was.
    const Case cases[] = {{&every, AniSaveMode::Colours2, 4, 2},    {&few, AniSaveMode::Colours2, 2, 1},
                          {&every, AniSaveMode::Colours16, 32, 8},  {&few, AniSaveMode::Colours16, 16, 4},
                          {&every, AniSaveMode::Colours256, 256, 8}};
    for (const Case& c : cases) {
        const std::string what = ModeName(c.Mode) + (c.Image == &every ? ", every entry" : ", a free entry");
        EXPECT_EQ(GifTableSize(*c.Image, c.Mode), c.GifTable) << what;
        EXPECT_EQ(PngBitDepth(*c.Image, c.Mode), c.PngDepth) << what;
    }
}

TEST(OpaquePixels, AFullTableOfEightBitsIsLeftAsItWas) {
    TBitmap full(32, 32, TPixelFormat::pf8bit);
    full.Colors().assign(256, TRGBQuad{});
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) full.SetPixelIndex(x, y, (y * 32 + x) % 256);
    std::vector<bool> transparent(1024, false);
    transparent[0] = true;
    TBitmap copy = full;
    EXPECT_EQ(GiveTransparentPixelsAnEntry(copy, transparent), -1);
    EXPECT_TRUE(std::equal(copy.Bits(), copy.Bits() + copy.BitsSize(), full.Bits()));
    EXPECT_EQ(GiveTransparentPixelsAnEntry(copy, std::vector<bool>(1024, false)), -1);
}

#ifndef _WIN32
TEST(OpaquePixels, EveryFrameKeepsTheOpaquePixelsOfItsImageInEveryModeAndFormat) {
    const CCURSOR every = CrowdedTransparentImage(true), few = CrowdedTransparentImage(false),
                  banded = TransparentBandedImage();
    const std::vector<const CCURSOR*> frames = {&every, &few, &banded};
    const std::string dir = ::testing::TempDir();
    for (AniSaveMode mode : kModes) {
        std::string animation;
        for (const CCURSOR* image : frames) animation += ExpectedFrame(*image, mode);
        struct Written {
            const char* Format;
            std::string Path, Want;
            bool Ok;
        };
        const Written files[] = {
            {"GIF", dir + "op.gif", ExpectedFrame(every, mode), WriteGifFile(every, mode, dir + "op.gif")},
            {"PNG", dir + "op.png", ExpectedFrame(every, mode), WritePngFile(every, mode, dir + "op.png")},
            {"animated GIF", dir + "op_anim.gif", animation,
             WriteAnimatedGif(frames, mode, 10, dir + "op_anim.gif") == WriteResult::Written},
            {"MNG", dir + "op.mng", animation, WriteMngFile(frames, mode, dir + "op.mng") == WriteResult::Written},
        };
        for (const Written& f : files) {
            const std::string what = ModeName(mode) + " " + f.Format;
            ASSERT_TRUE(f.Ok) << what;
            ExpectFrames(ReadByPillow(f.Path), f.Want, what);
        }
        for (const char* name : {"op.png", "op.mng"}) {
            const std::string check = RunTool("pngcheck '" + dir + name + "'");
            EXPECT_EQ(check.rfind("OK: ", 0), 0u) << ModeName(mode) << " " << name << "\n" << check;
        }
        const std::string text = RunTool("giftext '" + dir + "op_anim.gif'");
        EXPECT_NE(text.find("exit=0"), std::string::npos) << ModeName(mode) << "\n" << text;
        for (const char* name : {"op.gif", "op.png", "op_anim.gif", "op.mng"}) std::filesystem::remove(dir + name);
    }
}
#endif
