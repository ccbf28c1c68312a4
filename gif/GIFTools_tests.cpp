// Checks against independent tools: giflib (gifbuild, giftext), Pillow and ImageMagick.
// The tools run natively only; under Wine these tests are left out.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "gif/GIFEncoder.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFUtil.h"
#include "gif/GIFTestSupport.h"

using namespace giftest;

namespace {
std::string TempPath(const std::string& name) { return ::testing::TempDir() + "tamsolo_gif_" + name; }

void WriteFile(const std::string& path, const Bytes& data) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Runs a command and returns its standard output; a failing command fails the test.
std::string RunTool(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        ADD_FAILURE() << "cannot run " << command;
        return out;
    }
    char buffer[65536];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    int status = pclose(pipe);
    EXPECT_EQ(status, 0) << command;
    return out;
}

Bytes GiftextRaw(const std::string& path) {
    std::string out = RunTool("giftext -r '" + path + "'");
    return Bytes(out.begin(), out.end());
}

// Every frame as Pillow composes it, in RGB, one hex line per frame.
std::vector<std::string> PillowFrames(const std::string& path) {
    std::string script = TempPath("frames.py");
    std::ofstream(script) << "import sys\nfrom PIL import Image, ImageSequence\n"
                             "im = Image.open(sys.argv[1])\n"
                             "for f in ImageSequence.Iterator(im):\n"
                             "    print(f.convert('RGB').tobytes().hex())\n";
    std::istringstream lines(RunTool("/usr/bin/python3 '" + script + "' '" + path + "'"));
    std::vector<std::string> frames;
    for (std::string line; std::getline(lines, line);) frames.push_back(line);
    return frames;
}

std::string Hex(const Bytes& b) {
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (uint8_t v : b) {
        s += digits[v >> 4];
        s += digits[v & 15];
    }
    return s;
}

// The frame's pixels through its active colour table, as RGB.
Bytes FrameRGB(TGIFSubImage& frame) {
    Bytes rgb;
    TGIFColorMap& map = frame.GetActiveColorMap();
    for (uint8_t p : frame.Pixels()) {
        TGIFColor c = p < map.Count() ? map[p] : TGIFColor{};
        rgb.insert(rgb.end(), {c.Red, c.Green, c.Blue});
    }
    return rgb;
}

// Rows in the order an interlaced frame stores them.
std::vector<int> InterlacedOrder(int height) {
    std::vector<int> rows;
    const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < height; y += step[pass]) rows.push_back(y);
    return rows;
}

// Our frames in the order giftext -r dumps them: file order, interlaced rows as stored.
Bytes FramesInFileOrder(TGIFImage& image) {
    Bytes out;
    for (int i = 0; i < image.Images().GetCount(); ++i) {
        TGIFSubImage& frame = *image.Images().GetImage(i);
        if (frame.GetEmpty()) continue;
        int w = frame.GetWidth();
        std::vector<int> rows;
        if (frame.GetInterlaced())
            rows = InterlacedOrder(frame.GetHeight());
        else
            for (int y = 0; y < frame.GetHeight(); ++y) rows.push_back(y);
        for (int y : rows) out.insert(out.end(), frame.GetScanline(y), frame.GetScanline(y) + w);
    }
    return out;
}

// Loads path with our reader and compares with giftext -r and, for frames that cover the whole
// screen without transparency, with Pillow.
void ExpectSameAsTools(const std::string& path, int expectedFrames) {
    TGIFImage image;
    LoadImage(image, ReadFile(path));
    ASSERT_EQ(image.Images().GetCount(), expectedFrames) << path;
    // giftext prints a plain text extension's text in front of the pixels.
    Bytes ours = FramesInFileOrder(image), theirs = GiftextRaw(path);
    ASSERT_GE(theirs.size(), ours.size()) << path;
    EXPECT_EQ(ours, Bytes(theirs.end() - static_cast<std::ptrdiff_t>(ours.size()), theirs.end())) << path;
    std::vector<std::string> pillow = PillowFrames(path);
    ASSERT_EQ(static_cast<int>(pillow.size()), expectedFrames) << path;
    int compared = 0;
    for (int i = 0; i < expectedFrames; ++i) {
        TGIFSubImage& frame = *image.Images().GetImage(i);
        if (frame.GetWidth() != image.GetWidth() || frame.GetHeight() != image.GetHeight() || frame.Transparent()) continue;
        EXPECT_EQ(Hex(FrameRGB(frame)), pillow[static_cast<std::size_t>(i)]) << path << " frame " << i;
        ++compared;
    }
    EXPECT_GT(compared, 0) << path;
}

// The blocks of a GIF file, walked independently of the codec.
struct TImageData {
    std::size_t Start, End;  // minimum code size byte .. behind the terminator
};
std::vector<TImageData> FindImageData(const Bytes& b) {
    std::vector<TImageData> found;
    std::size_t pos = 13;
    if (b[10] & 0x80) pos += 3u * (2u << (b[10] & 7));
    auto skipBlocks = [&] {
        while (b.at(pos) != 0) pos += b[pos] + 1u;
        ++pos;
    };
    while (pos < b.size() && b[pos] != 0x3B) {
        if (b[pos] == 0x21) {
            pos += 2;
            skipBlocks();
        } else {
            uint8_t packed = b.at(pos + 9);
            pos += 10;
            if (packed & 0x80) pos += 3u * (2u << (packed & 7));
            std::size_t start = pos++;
            skipBlocks();
            found.push_back({start, pos});
        }
    }
    return found;
}

// The same file with every frame's data in 1-byte sub-blocks and surplus sub-blocks before its terminator.
Bytes WithOneByteBlocksAndSurplus(const Bytes& file) {
    Bytes out;
    std::size_t copied = 0;
    for (const TImageData& d : FindImageData(file)) {
        out.insert(out.end(), file.begin() + static_cast<std::ptrdiff_t>(copied), file.begin() + static_cast<std::ptrdiff_t>(d.Start + 1));
        Bytes data;
        for (std::size_t p = d.Start + 1; file[p] != 0; p += file[p] + 1u)
            data.insert(data.end(), file.begin() + static_cast<std::ptrdiff_t>(p + 1), file.begin() + static_cast<std::ptrdiff_t>(p + 1 + file[p]));
        for (uint8_t v : data) out.insert(out.end(), {1, v});
        out.insert(out.end(), {4, 0xFF, 0x2C, 0x3B, 0x21, 2, 0x21, 0x3B, 0});
        copied = d.End;
    }
    out.insert(out.end(), file.begin() + static_cast<std::ptrdiff_t>(copied), file.end());
    return out;
}

// Writes a gifbuild description and returns the path of the GIF that gifbuild made of it.
std::string Gifbuild(const std::string& name, const std::string& script) {
    std::string text = TempPath(name + ".txt"), built = TempPath(name + ".gif");
    std::ofstream(text) << script;
    RunTool("gifbuild '" + text + "' > '" + built + "'");
    return built;
}

std::string GifbuildScript(int width, int height, int colors, const Bytes& pixels) {
    std::ostringstream s;
    s << "screen width " << width << "\nscreen height " << height << "\nscreen colors " << colors << "\nscreen map\n";
    for (const TGIFColor& c : GreyColors(colors)) s << "\trgb " << int(c.Red) << ' ' << int(c.Green) << ' ' << int(c.Blue) << '\n';
    s << "end\nimage\nimage left 0\nimage top 0\nimage bits " << width << " by " << height << " hex\n";
    for (int y = 0; y < height; ++y)
        s << Hex(Bytes(pixels.begin() + y * width, pixels.begin() + (y + 1) * width)) << '\n';
    return s.str();
}
}  // namespace

TEST(GifLzwEncoder, MatchesGiflibByteForByte) {
    struct Case {
        int width, height, colors;
        Bytes pixels;
    };
    Bytes runs(64 * 40);
    for (std::size_t i = 0; i < runs.size(); ++i) runs[i] = static_cast<uint8_t>((i / 37) % 2);
    const Case cases[] = {
        {64, 40, 2, runs},
        {50, 30, 4, NoisyPixels(50 * 30, 4)},
        {64, 64, 16, NoisyPixels(64 * 64, 16)},
        // Noise of this size fills the 4096-code table many times: clear codes and 12-bit codes.
        {400, 300, 256, NoisyPixels(400 * 300, 256)},
        {200, 100, 256, NoisyPixels(200 * 100, 7)},
    };
    for (const Case& c : cases) {
        Bytes theirs = ReadFile(Gifbuild("built", GifbuildScript(c.width, c.height, c.colors, c.pixels)));
        std::vector<TImageData> data = FindImageData(theirs);
        ASSERT_EQ(data.size(), 1u);
        Bytes theirData(theirs.begin() + static_cast<std::ptrdiff_t>(data[0].Start), theirs.begin() + static_cast<std::ptrdiff_t>(data[0].End));

        TMemoryStream ours;
        TLZWEncoder(nullptr).Encode(ours, BitsForColours(c.colors), c.colors, c.pixels.data(), false, c.height, c.width);
        EXPECT_EQ(ours.Bytes(), theirData) << c.width << "x" << c.height << " " << c.colors;
    }
}

TEST(GifWriter, GiftextAndPillowReadWhatWeWrite) {
    struct Case {
        int colors;
        TGIFCompression compression;
        bool interlaced;
    };
    const Case cases[] = {{2, gcLZW, false}, {16, gcLZW, true}, {256, gcLZW, false}, {256, gcLZW, true},
                          {2, gcRLE, false}, {16, gcRLE, true}, {256, gcRLE, false}};
    int n = 0;
    for (const Case& c : cases) {
        TGIFImage image;
        image.SetCompression(c.compression);
        Bytes pixels = NoisyPixels(37 * 23, c.colors, static_cast<uint32_t>(n));
        for (std::size_t i = 0; i < pixels.size(); i += 5) pixels[i] = 0;  // some runs for the run-length coder
        AddFrame(image, 37, 23, c.colors, pixels, c.interlaced);
        std::string path = TempPath("written" + std::to_string(n++) + ".gif");
        WriteFile(path, SaveImage(image));
        EXPECT_EQ(GiftextRaw(path), FramesInFileOrder(image)) << path;
        std::vector<std::string> pillow = PillowFrames(path);
        ASSERT_EQ(pillow.size(), 1u) << path;
        EXPECT_EQ(pillow[0], Hex(FrameRGB(*image.Images().GetImage(0)))) << path;
    }
}

TEST(GifWriter, AnimationWithExtensionsReadsBackInPillow) {
    TGIFImage image;
    TGIFSubImage& first = AddFrame(image, 20, 10, 4, NoisyPixels(200, 4, 1));
    first.Extensions().Add(std::make_unique<TGIFAppExtNSLoop>(first));
    auto comment = std::make_unique<TGIFCommentExtension>(first);
    comment->Text().Add("made here");
    first.Extensions().Add(std::move(comment));
    TGIFSubImage& second = AddFrame(image, 20, 10, 4, NoisyPixels(200, 4, 2));
    auto gce = std::make_unique<TGIFGraphicControlExtension>(second);
    gce->SetDelay(25);
    second.Extensions().Add(std::move(gce));
    std::string path = TempPath("animation.gif");
    WriteFile(path, SaveImage(image));
    std::string info = RunTool("/usr/bin/python3 -c \"from PIL import Image; im = Image.open('" + path +
                           "'); im.seek(1); print(im.n_frames, im.info.get('loop'), im.info.get('duration'))\"");
    EXPECT_EQ(info, "2 0 250\n");
    ExpectSameAsTools(path, 2);
}

TEST(GifReader, DecodesFilesMadeByOtherTools) {
    std::string pil = TempPath("pillow.gif"), script = TempPath("make.py");
    std::ofstream(script) << "import sys, random\nfrom PIL import Image\nrandom.seed(5)\nframes = []\n"
                             "for k in range(3):\n"
                             "    im = Image.new('P', (90, 70))\n"
                             "    im.putdata([random.randrange(256) if (x // 9 + k) % 3 else k for x in range(90 * 70)])\n"
                             "    im.putpalette([random.randrange(256) for i in range(768)])\n"
                             "    frames.append(im)\n"
                             "frames[0].save(sys.argv[1], save_all=True, append_images=frames[1:], loop=0, duration=40,\n"
                             "               comment=b'pillow', optimize=False)\n";
    RunTool("/usr/bin/python3 '" + script + "' '" + pil + "'");
    ExpectSameAsTools(pil, 3);

    std::string magick = TempPath("magick.gif");
    RunTool("/usr/bin/convert -size 61x47 gradient:red-blue -colors 50 -interlace GIF -comment 'from convert' '" + magick + "'");
    ASSERT_NE(RunTool("giftext '" + magick + "'").find("Image is Interlaced"), std::string::npos);
    ExpectSameAsTools(magick, 1);

    std::string anim = TempPath("magick-anim.gif");
    RunTool("/usr/bin/convert -delay 10 -loop 3 -size 33x21 plasma:red-yellow -seed 3 -size 33x21 plasma:blue-green "
        "-colors 100 '" + anim + "'");
    ExpectSameAsTools(anim, 2);

    std::string built = Gifbuild("gifbuild", "screen width 4\nscreen height 2\nscreen colors 4\nscreen map\n\trgb 0 0 0\n\trgb 255 0 0\n"
                           "\trgb 0 255 0\n\trgb 0 0 255\nend\nnetscape loop 3\ncomment\nfirst line\nsecond line\nend\n"
                           "plaintext\n\\000\\000\\000\\000\\004\\000\\002\\000\\001\\001\\001\\000\nsome text\nend\n"
                           "extension ff\nOTHERAPP1.0\n\\001\\002\\003\nend\n"
                           "graphics control\n\tdisposal mode 2\n\tdelay 7\nend\n"
                           "image\nimage left 0\nimage top 0\nimage interlaced\nimage bits 4 by 2 hex\n00010203\n03020100\n");
    ExpectSameAsTools(built, 1);

    for (const std::string& source : {pil, magick, built}) {
        std::string rewritten = source + ".blocks.gif";
        WriteFile(rewritten, WithOneByteBlocksAndSurplus(ReadFile(source)));
        ExpectSameAsTools(rewritten, source == pil ? 3 : 1);
    }
}

TEST(GifReader, KeepsTheExtensionsThatGifbuildWrote) {
    std::string built = Gifbuild("extensions", "screen width 2\nscreen height 1\nscreen colors 2\nscreen map\n\trgb 0 0 0\n\trgb 9 9 9\nend\n"
                           "netscape loop 3\ncomment\nhello\nend\nextension ff\nOTHERAPP1.0\n\\001\\002\\003\nend\n"
                           "image\nimage bits 2 by 1 hex\n0100\n");
    Bytes original = ReadFile(built);
    TGIFImage image;
    LoadImage(image, original);
    ASSERT_EQ(image.Images().GetCount(), 1);
    TGIFExtensionList& extensions = image.Images().GetImage(0)->Extensions();
    ASSERT_EQ(extensions.GetCount(), 3);
    EXPECT_EQ(dynamic_cast<TGIFAppExtNSLoop&>(*extensions.GetExtension(0)).Loops, 3);
    EXPECT_EQ(dynamic_cast<TGIFCommentExtension&>(*extensions.GetExtension(1)).Text()[0], "hello");
    // Written again, the blocks come out as they went in.
    Bytes again = SaveImage(image);
    std::size_t from = 13 + 6;
    EXPECT_EQ(Bytes(again.begin() + static_cast<std::ptrdiff_t>(from), again.end()),
              Bytes(original.begin() + static_cast<std::ptrdiff_t>(from), original.end()));
}


namespace {
// A bitmap of the given format whose colours vary over the picture.
TBitmap BitmapOfFormat(TPixelFormat format, int width, int height) {
    TBitmap b(width, height, format);
    if (IsPaletted(format)) {
        int colors = 1 << BitsOf(format);
        b.Colors().clear();
        for (int i = 0; i < colors; ++i)
            b.Colors().push_back({static_cast<uint8_t>(i * 37), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 11), 0});
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) b.SetPixelIndex(x, y, (x * 7 + y * 3) % colors);
    } else {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                b.SetPixel(x, y, MakeColor(static_cast<uint8_t>(x * 9), static_cast<uint8_t>(y * 13), static_cast<uint8_t>((x + y) * 5)));
    }
    return b;
}

// The colour a pixel of the source should show after the default reduction (web palette).
TGIFColor Expected(const TBitmap& source, int x, int y) {
    TColor c = source.Pixel(x, y);
    if (IsPaletted(source.PixelFormat())) return TGIFColorMap::Color2RGB(c);
    auto web = [](uint8_t v) { return static_cast<uint8_t>((v + 3) / 51 * 51); };
    return {web(RedOf(c)), web(GreenOf(c)), web(BlueOf(c))};
}
}  // namespace

TEST(GifFrameFromBitmap, EveryBitmapFormatDecodesInPillowAndGiftext) {
    for (TPixelFormat format : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit, TPixelFormat::pf24bit,
                                TPixelFormat::pf32bit}) {
        TBitmap source = BitmapOfFormat(format, 29, 17);
        TGIFImage image;
        image.Add(source);
        std::string path = TempPath("format" + std::to_string(BitsOf(format)) + ".gif");
        WriteFile(path, SaveImage(image));
        Bytes expected;
        for (int y = 0; y < 17; ++y)
            for (int x = 0; x < 29; ++x) {
                TGIFColor c = Expected(source, x, y);
                expected.insert(expected.end(), {c.Red, c.Green, c.Blue});
            }
        std::vector<std::string> pillow = PillowFrames(path);
        ASSERT_EQ(pillow.size(), 1u) << BitsOf(format);
        EXPECT_EQ(pillow[0], Hex(expected)) << BitsOf(format);
        Bytes raw = GiftextRaw(path);
        ASSERT_GE(raw.size(), 29u * 17u);
        EXPECT_EQ(Bytes(raw.end() - 29 * 17, raw.end()), FramePixels(image, 0)) << BitsOf(format);
    }
}

TEST(GifOptimize, OptimisedAnimationPlaysTheSameFramesInPillow) {
    // Four frames that change only in part of the picture, with delays, disposals and a comment.
    TGIFImage image;
    TBitmap base = BitmapOfFormat(TPixelFormat::pf8bit, 24, 20);
    for (int f = 0; f < 4; ++f) {
        TBitmap frame = base;
        for (int y = 4; y < 9; ++y)
            for (int x = 3 + 4 * f; x < 8 + 4 * f; ++x) frame.SetPixelIndex(x, y, 250 - f);
        image.Add(frame);
        TGIFSubImage& sub = *image.Images().GetImage(f);
        auto gce = std::make_unique<TGIFGraphicControlExtension>(sub);
        gce->SetDelay(5 + f);
        gce->SetDisposal(f == 2 ? dmBackground : dmNone);
        sub.Extensions().Add(std::move(gce));
        if (f == 1) {
            auto comment = std::make_unique<TGIFCommentExtension>(sub);
            comment->Text().Add("optimise me");
            sub.Extensions().Add(std::move(comment));
        }
    }
    // A fifth frame identical to the fourth: it shows nothing new and goes.
    image.Add(*image.Images().GetImage(3));
    const std::string before = TempPath("before.gif"), after = TempPath("after.gif"), merged = TempPath("merged.gif");
    Bytes original = SaveImage(image);
    WriteFile(before, original);
    image.Optimize(GIFOptimizeAll, rmNone, dmNearest, 8);
    Bytes optimised = SaveImage(image);
    WriteFile(after, optimised);
    EXPECT_LT(optimised.size(), original.size());
    EXPECT_EQ(image.Images().GetCount(), 4);
    image.OptimizeColorMap();
    WriteFile(merged, SaveImage(image));

    std::vector<std::string> expected = PillowFrames(before);
    ASSERT_EQ(expected.size(), 5u);
    expected.pop_back();  // the repeated frame's time went to the frame before it
    EXPECT_EQ(PillowFrames(after), expected);
    EXPECT_EQ(PillowFrames(merged), expected);
    EXPECT_EQ(image.Images().GetImage(3)->GraphicControlExtension()->GetDelay(), 8 + 8);
}

#endif
