// The still picture of a cursor file: the image the loader takes, an animation's first step,
// one image decoded, PNG images as Pillow decodes them.
#include "formats/CursorPicture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "base/Stream.h"
#include "formats/CursorTestFiles.h"
#include "formats/ToolTestSupport.h"

using namespace cursortest;

namespace {

bool Read(const std::vector<uint8_t>& file, TCursorPicture& p, int side = 32) {
    return ReadCursorPicture(file.data(), file.size(), side, side, 32, p);
}

} // namespace

// Each image's hotspot x is its number: the loader's choice for a 32-pixel cursor on a 32-bit
// screen (as Wine's loader chooses): the nearest of the images no larger, then the nearest
// depth; only when every image is larger, the nearest of all.
TEST(CursorPicture, TakesTheImageTheLoaderTakesForTheCursorSize) {
    struct Image {
        int Side, Bits;
    };
    struct Case {
        std::vector<Image> Images;
        int Chosen;
    };
    const Case cases[] = {
        {{{16, 32}, {40, 32}, {64, 8}}, 0},  // a smaller image is stretched before a larger one is shrunk
        {{{16, 32}, {24, 8}, {24, 32}}, 2},  // the largest that fits, then the depth
        {{{48, 8}, {48, 32}}, 1},            // none fits: the nearest, then the depth
        {{{48, 32}, {48, 8}}, 0},
        {{{64, 32}, {40, 8}}, 1},            // the nearest larger, whatever its depth
        {{{40, 8}, {40, 32}, {36, 8}}, 2},
        {{{32, 8}, {32, 32}, {32, 8}}, 1},
        {{{24, 32}, {16, 8}}, 0},
    };
    for (const Case& c : cases) {
        std::vector<TImage> images;
        std::string name;
        for (std::size_t i = 0; i < c.Images.size(); ++i) {
            const Image& im = c.Images[i];
            images.push_back({BitmapImage(im.Side, im.Side, im.Bits, static_cast<int>(i)), im.Side, im.Side, static_cast<int>(i), 0});
            name += std::to_string(im.Side) + "/" + std::to_string(im.Bits) + " ";
        }
        SCOPED_TRACE(name);
        TCursorPicture p;
        ASSERT_TRUE(Read(IconFileOf(2, images), p));
        EXPECT_EQ(p.HotX, c.Chosen);
        EXPECT_EQ(p.Width, c.Images[static_cast<std::size_t>(c.Chosen)].Side);
        EXPECT_EQ(p.Bits, c.Images[static_cast<std::size_t>(c.Chosen)].Bits);
        EXPECT_FALSE(p.OwnSize);
    }
}

// A bitmap image's palette, rows and AND mask are taken over exactly, under our own header.
TEST(CursorPicture, ABitmapImageKeepsItsRowsAndMaskUnderAHeaderOfOurOwn) {
    for (int bits : {8, 32}) {
        SCOPED_TRACE(bits);
        const std::vector<uint8_t> image = BitmapImage(48, 48, bits, 3);
        TCursorPicture p;
        ASSERT_TRUE(Read(IconFileOf(2, {{image, 48, 48, 11, 40}}), p));
        EXPECT_EQ(p.HotX, 11);
        EXPECT_EQ(p.HotY, 40);
        ASSERT_EQ(p.Resource.size(), image.size());
        EXPECT_EQ(std::memcmp(p.Resource.data() + 40, image.data() + 40, image.size() - 40), 0);
        EXPECT_EQ(GetLE32(p.Resource.data() + 8), 96u);
    }
}

// The first step of an animation is the frame its sequence names first; a frame list shorter
// than its header names gives nothing (the system's loader reads past it); and of 950 frames
// only the one shown is decoded.
TEST(CursorPicture, AnAnimationGivesItsFirstStepAloneAtItsOwnSize) {
    const std::vector<uint8_t> a = IconFileOf(2, {{BitmapImage(64, 64, 32, 1), 64, 64, 1, 1}});
    const std::vector<uint8_t> b = IconFileOf(2, {{PngImage(64, 64, false, true, 2), 64, 64, 2, 2}});
    TCursorPicture p;
    ASSERT_TRUE(Read(AniFileOf({a, b}, {1, 0, 1}), p));
    EXPECT_EQ(p.HotX, 2);
    EXPECT_TRUE(p.OwnSize);
    ASSERT_TRUE(Read(AniFileOf({a, b}), p));
    EXPECT_EQ(p.HotX, 1);

    std::vector<uint8_t> short_ = AniFileOf({a, b});
    PutLE32(short_.data() + 12 + 8 + 4, 3);  // the header names three frames
    EXPECT_FALSE(Read(short_, p));

    std::vector<std::vector<uint8_t>> frames;
    for (int i = 0; i < 950; ++i) frames.push_back(IconFileOf(2, {{BitmapImage(64, 64, 32, i % 7), 64, 64, i % 64, 0}}));
    const std::vector<uint8_t> many = AniFileOf(frames);
    ASSERT_LT(many.size(), std::size_t{16} << 20);
    const uint64_t before = CursorPicturesDecoded();
    ASSERT_TRUE(Read(many, p));
    EXPECT_EQ(CursorPicturesDecoded() - before, 1u);
    EXPECT_EQ(p.HotX, 0);
}

#ifndef _WIN32
// A PNG image inside, of any size the structure allows (here 1024 pixels, 16 bits a channel,
// interlaced), decoded as Pillow decodes it: its colours and alpha, the mask where the alpha
// is below full.
TEST(CursorPicture, APngImageIsDecodedAsPillowDecodesIt) {
    for (int side : {1024, 48}) {
        SCOPED_TRACE(side);
        const std::vector<uint8_t> png = PngImage(side, side, side > 100, side > 100, 5);
        const std::string path = ::testing::TempDir() + "cursor_picture.png";
        ASSERT_TRUE(WriteWholeFile(path, png.data(), png.size()));
        TCursorPicture p;
        ASSERT_TRUE(Read(IconFileOf(2, {{png, side, side, 3, 4}}), p, 32));
        ASSERT_EQ(p.Width, side);
        ASSERT_EQ(p.Bits, 32);
        std::string ours;
        ours.reserve(std::size_t(side) * side * 8);
        bool maskAsAlpha = true;
        for (int y = 0; y < side; ++y) {
            const uint8_t* row = p.Resource.data() + p.ColourOffset() + std::size_t(side - 1 - y) * p.RowBytes();
            const uint8_t* mask = p.Resource.data() + p.MaskOffset() + std::size_t(side - 1 - y) * p.MaskRowBytes();
            for (int x = 0; x < side; ++x) {
                char hex[9];
                std::snprintf(hex, sizeof hex, "%02x%02x%02x%02x", row[4 * x + 2], row[4 * x + 1], row[4 * x], row[4 * x + 3]);
                ours += hex;
                const bool set = mask[x / 8] & (0x80 >> (x % 8));
                maskAsAlpha = maskAsAlpha && set == (row[4 * x + 3] < 255);
            }
        }
        EXPECT_TRUE(maskAsAlpha);
        const std::string pillow = RunPillow(
            "import sys; from PIL import Image; im = Image.open(sys.argv[1]); print(im.convert('RGBA').tobytes().hex())", path);
        EXPECT_TRUE(pillow == ours + "\nexit=0") << pillow.substr(0, 80) << "\n" << ours.substr(0, 80);
        std::filesystem::remove(path);
    }
}
#endif

// The seed corpora's broken and hostile icons and animations give a picture or none, and a
// picture's rows lie inside it.
TEST(CursorPicture, BrokenAndHostileFilesGiveAWholePictureOrNone) {
    const std::filesystem::path corpus = std::filesystem::path(TAMSOLO_SOURCE_DIR) / "formats" / "fuzz-corpus";
    int files = 0;
    for (const char* folder : {"icon", "ani", "readers"})
        for (const auto& e : std::filesystem::directory_iterator(corpus / folder)) {
            std::vector<uint8_t> bytes;
            ASSERT_TRUE(ReadWholeFile(e.path().string(), bytes, int64_t{64} << 20));
            SCOPED_TRACE(e.path().filename().string());
            ++files;
            TCursorPicture p;
            if (!Read(bytes, p)) continue;
            EXPECT_EQ(p.Resource.size(), p.MaskOffset() + p.MaskRowBytes() * static_cast<std::size_t>(p.Height));
        }
    EXPECT_GT(files, 30);
}
