#include "formats/SusiePicture.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/ByteIO.h"
#include "base/Exception.h"

namespace {

// An information block of a 4x2 8-bit picture with `colours` palette entries and `slack`
// unused bytes after them (memory blocks are often larger than asked for).
std::vector<uint8_t> Info(int width, int height, int colours, std::size_t slack = 0) {
    std::vector<uint8_t> b(40 + 4 * colours + slack, 0xEE);
    std::fill(b.begin(), b.begin() + 40, 0);
    PutLE32(b.data(), 40);
    PutLE32(b.data() + 4, static_cast<uint32_t>(width));
    PutLE32(b.data() + 8, static_cast<uint32_t>(height));
    b[12] = 1;
    b[14] = 8;
    PutLE32(b.data() + 32, static_cast<uint32_t>(colours));
    for (int i = 0; i < colours; ++i) {
        b[40 + 4 * i] = static_cast<uint8_t>(i * 10);       // blue
        b[40 + 4 * i + 1] = static_cast<uint8_t>(i * 20);   // green
        b[40 + 4 * i + 2] = static_cast<uint8_t>(200 - i);  // red
        b[40 + 4 * i + 3] = 0;
    }
    return b;
}

TEST(SusiePicture, ExtensionIsTheFileNamesLastPartInUpperCase) {
    EXPECT_EQ(SusieExtension("C:\\a\\pic.jpg"), ".JPG");
    EXPECT_EQ(SusieExtension("C:\\a.b\\noext"), "");
    EXPECT_EQ(SusieExtension("x." + std::string(40, 'q')), "." + std::string(30, 'Q'));
    for (const char* e : {"a.bmp", "a.Bmp", "a.BMP", "a.wmf", "a.Emf"}) EXPECT_TRUE(ReadWithoutPlugin(SusieExtension(e))) << e;
    EXPECT_FALSE(ReadWithoutPlugin(SusieExtension("a.bmpx")));
}

TEST(SusiePicture, TakesColoursFromTheInformationAndRowsFromThePixelBlock) {
    std::vector<uint8_t> bits(8);  // two rows of four, bottom row first
    for (int i = 0; i < 8; ++i) bits[i] = static_cast<uint8_t>(i % 3);
    for (int height : {2, -2}) {
        const std::vector<uint8_t> info = Info(4, height, 3, 37);
        TBitmap b = SusieBlocksToBitmap(info.data(), info.size(), bits.data(), bits.size());
        ASSERT_EQ(b.Width(), 4);
        ASSERT_EQ(b.Height(), 2);
        EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf8bit);
        ASSERT_EQ(b.Colors().size(), 3u);
        EXPECT_EQ(b.Colors()[2].Red, 198);
        const int bottom = height > 0 ? 1 : 0;  // the row the block stores first
        EXPECT_EQ(b.PixelIndex(1, bottom), 1);
        EXPECT_EQ(b.PixelIndex(0, 1 - bottom), 1);  // bits[4] = 4 % 3
    }
}

TEST(SusiePicture, RejectsBlocksThatDoNotHoldTheirPicture) {
    const std::vector<uint8_t> info = Info(4, 2, 3);
    std::vector<uint8_t> bits(8);
    std::vector<uint8_t> bigHeader = info;
    PutLE32(bigHeader.data(), 400);
    std::vector<uint8_t> zeroWidth = Info(0, 2, 3);
    std::vector<uint8_t> hugeHeight = Info(4, 100000, 3);
    std::vector<uint8_t> manyPixels = Info(16384, 8192, 3);
    struct Case {
        const std::vector<uint8_t>* Info;
        std::size_t InfoSize, BitsSize;
    } cases[] = {
        {&info, info.size(), 7},            // one byte short of two rows
        {&info, 39, 8},                     // no whole header
        {&bigHeader, bigHeader.size(), 8},  // header larger than its block
        {&zeroWidth, zeroWidth.size(), 8},
        {&hugeHeight, hugeHeight.size(), 8},
        {&manyPixels, manyPixels.size(), 8},
        {&info, info.size(), 0},
    };
    for (const Case& c : cases)
        EXPECT_THROW(SusieBlocksToBitmap(c.Info->data(), c.InfoSize, bits.data(), c.BitsSize), EInvalidGraphic)
            << c.InfoSize << " " << c.BitsSize;
    EXPECT_THROW(SusieBlocksToBitmap(nullptr, 0, bits.data(), bits.size()), EInvalidGraphic);
}

TEST(SusiePicture, APictureDeclaredPastTheLimitsIsNotAskedFor) {
    struct Case {
        int32_t Width, Height;
        bool TooLarge;
    } cases[] = {
        {9248, 6936, false}, {8192, 8192, false}, {8192, 8193, true}, {32769, 1, true},
        {1, 60000000, true}, {-16000, 16000, true}, {0, 0, false},
    };
    for (const Case& c : cases) {
        TSusiePictureInfo info{};
        info.Width = c.Width;
        info.Height = c.Height;
        EXPECT_EQ(SusiePictureTooLarge(info), c.TooLarge) << c.Width << "x" << c.Height;
    }
}

} // namespace
