#include "gif/GIFImage.h"

#include <gtest/gtest.h>

#include "gif/GIFExtensions.h"
#include "gif/GIFTestSupport.h"

using namespace giftest;

TEST(GifImage, WritesOneFrameAt1And4And8BitsWithTheFixedLayout) {
    struct Case {
        int colors;
        uint8_t screenPacked, descriptorPacked, minCodeSize;
    };
    const Case cases[] = {{2, 0x00, 0x80, 2}, {16, 0x33, 0x83, 4}, {256, 0x77, 0x87, 8}};
    for (const Case& c : cases) {
        TGIFImage image;
        AddFrame(image, 32, 32, c.colors, NoisyPixels(32 * 32, c.colors));
        Bytes b = SaveImage(image);
        SCOPED_TRACE(c.colors);
        EXPECT_EQ(Bytes(b.begin(), b.begin() + 6), Text("GIF87a"));
        EXPECT_EQ(Bytes(b.begin() + 6, b.begin() + 13), (Bytes{32, 0, 32, 0, c.screenPacked, 0, 0}));
        EXPECT_EQ(Bytes(b.begin() + 13, b.begin() + 23), (Bytes{0x2C, 0, 0, 0, 0, 32, 0, 32, 0, c.descriptorPacked}));
        std::size_t table = 3u * static_cast<std::size_t>(c.colors);
        std::vector<TGIFColor> colors = GreyColors(c.colors);
        EXPECT_EQ(b[23], colors[0].Red);
        EXPECT_EQ(b[23 + table - 1], colors.back().Blue);
        EXPECT_EQ(b[23 + table], c.minCodeSize);
        EXPECT_EQ(b.back(), 0x3B);
        EXPECT_EQ(b[b.size() - 2], 0x00);

        TGIFImage back;
        LoadImage(back, b);
        ASSERT_EQ(back.Images().GetCount(), 1);
        EXPECT_EQ(FramePixels(back, 0), FramePixels(image, 0));
    }
}

TEST(GifImage, SavingWithoutFramesRaisesAndWritesNothing) {
    TGIFImage image;
    TMemoryStream stream;
    try {
        image.SaveToStream(stream);
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Unsupported GIF version");
    }
    EXPECT_EQ(stream.Size(), 0);
}

TEST(GifImage, GlobalTableSizeFollowsTheGlobalTableNotTheFrames) {
    TGIFImage image;
    std::vector<TGIFColor> colors = GreyColors(16);
    image.ColorMap().ImportColorMap(colors.data(), 16);
    AddFrame(image, 4, 4, 256, NoisyPixels(16, 256));
    Bytes b = SaveImage(image);
    EXPECT_EQ(b[10], 0x80 | 0x70 | 3);
    EXPECT_EQ(b[13 + 48], 0x2C);
}

TEST(GifImage, AnImageWithoutAnyTableNeverClaimsAGlobalTable) {
    TGIFImage image;
    AddFrame(image, 2, 1, 0, {0, 0});
    Bytes b = SaveImage(image);
    EXPECT_EQ(b[10] & 0x80, 0);
    EXPECT_EQ(b[13], 0x2C);
    EXPECT_EQ(b[22] & 0x80, 0);
}

TEST(GifImage, AFrameWithAnExtensionOrASortedTableMakesA89aFile) {
    TGIFImage image;
    TGIFSubImage& frame = AddFrame(image, 2, 1, 2, {0, 1});
    EXPECT_EQ(image.GetVersion(), gv87a);
    frame.Extensions().Add(std::make_unique<TGIFCommentExtension>(frame));
    EXPECT_EQ(image.GetVersion(), gv89a);
    Bytes b = SaveImage(image);
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 6), Text("GIF89a"));
}

TEST(GifHeader, FindsTheSignatureAfterFourBytesAndInLowerCase) {
    Bytes frame = Concat({Descriptor(1, 1), {2}, SubBlocks(PackCodes({{4, 3}, {1, 3}, {5, 3}})), {0x3B}});
    for (const Bytes& lead : {Text("abcdGIF89a"), Text("gif87a")}) {
        Bytes screen = ScreenHeader(1, 1);
        Bytes data = Concat({lead, Bytes(screen.begin() + 6, screen.end()), frame});
        TGIFImage image;
        LoadImage(image, data);
        ASSERT_EQ(image.Images().GetCount(), 1);
        EXPECT_EQ(FramePixels(image, 0), Bytes{1});
    }
    TGIFImage bad;
    Bytes junk = Text("PNG89aXXXXXXXXXXXXXXXX");
    EXPECT_THROW(LoadImage(bad, junk), GIFException);
}

TEST(GifImage, AFailedLoadPutsTheStreamBack) {
    Bytes data = Concat({ScreenHeader(2, 2), Descriptor(2, 2)});
    data.resize(data.size() - 3);
    TBytesStream stream(data.data(), static_cast<int64_t>(data.size()));
    stream.SetPosition(0);
    TGIFImage image;
    EXPECT_THROW(image.LoadFromStream(stream), GIFException);
    EXPECT_EQ(stream.Position(), 0);
}

TEST(GifSubImage, GrowsTheScreenWithWarningsWhenAFrameDoesNotFit) {
    TGIFImage image;
    TWarnings warnings;
    warnings.Attach(image);
    TGIFSubImage& first = AddFrame(image, 4, 3, 2, Bytes(12, 0));
    EXPECT_TRUE(warnings.Messages.empty());
    EXPECT_EQ(image.GetWidth(), 4);
    first.SetBounds(3, 6);
    EXPECT_EQ(image.GetWidth(), 6);
    EXPECT_EQ(first.Pixels().size(), 18u);
    EXPECT_EQ(warnings.Messages,
              (std::vector<std::string>{"Image width too small for contained frames", "Image exceeds Logical Screen size"}));
}

TEST(GifSubImage, RejectsPixelAccessOutsideTheFrame) {
    TGIFImage image;
    TGIFSubImage& frame = AddFrame(image, 3, 2, 2, {0, 1, 0, 1, 0, 1});
    EXPECT_EQ(frame.GetPixel(1, 1), 0);
    EXPECT_THROW(frame.GetPixel(3, 0), GIFException);
    EXPECT_THROW(frame.GetScanline(2), GIFException);
    TGIFSubImage empty(&image);
    EXPECT_THROW(empty.NeedImage(), GIFException);
}

TEST(GifSubImage, RefusesFramesAboveTheLimitBeforeAllocating) {
    Bytes data = Concat({ScreenHeader(1, 1), Descriptor(0xFFFF, 0xFFFF), {2}, SubBlocks(PackCodes({{5, 3}})), {0x3B}});
    TGIFImage image;
    try {
        LoadImage(image, data);
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "GIF exceeds the reader's size limits");
    }
    image.Limits().MaxFramePixels = 100;
    TGIFSubImage frame(&image);
    EXPECT_THROW(frame.DoSetBounds(0, 0, 11, 10), GIFException);
}

TEST(GifSubImage, AnEmptyFrameWritesOnlyItsExtensions) {
    TGIFImage image;
    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->Extensions().Add(std::make_unique<TGIFCommentExtension>(*frame));
    TMemoryStream stream;
    frame->SaveToStream(stream);
    EXPECT_EQ(stream.Bytes(), (Bytes{0x21, 0xFE, 0}));
}
