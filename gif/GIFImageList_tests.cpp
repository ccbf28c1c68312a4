#include "gif/GIFImageList.h"

#include <gtest/gtest.h>

#include "gif/GIFExtensions.h"
#include "gif/GIFTestSupport.h"

using namespace giftest;

namespace {
Bytes Frame(uint8_t pixel) { return Concat({Descriptor(1, 1), {2}, SubBlocks(PackCodes({{4, 3}, {pixel, 3}, {5, 3}}))}); }
}  // namespace

TEST(GifImageList, SkipsZeroBytesBetweenBlocks) {
    Bytes data = Concat({ScreenHeader(1, 1), {0, 0}, Frame(1), {0}, Frame(2), {0, 0, 0}, {0x3B}});
    TGIFImage image;
    TWarnings warnings;
    LoadImage(image, data, &warnings);
    ASSERT_EQ(image.Images().GetCount(), 2);
    EXPECT_EQ(FramePixels(image, 1), Bytes{2});
    EXPECT_TRUE(warnings.Messages.empty());
}

TEST(GifImageList, AStreamWithoutTrailerLoadsQuietly) {
    Bytes data = Concat({ScreenHeader(1, 1), Frame(3)});
    TGIFImage image;
    TWarnings warnings;
    LoadImage(image, data, &warnings);
    EXPECT_EQ(image.Images().GetCount(), 1);
    EXPECT_TRUE(warnings.Messages.empty());
}

TEST(GifImageList, AnUnknownBlockEndsTheFramesWithTwoWarnings) {
    Bytes data = Concat({ScreenHeader(1, 1), Frame(1), {0x2A}, Frame(2), {0x3B}});
    TBytesStream stream(data.data(), static_cast<int64_t>(data.size()));
    TGIFImage image;
    TWarnings warnings;
    warnings.Attach(image);
    image.LoadFromStream(stream);
    EXPECT_EQ(image.Images().GetCount(), 1);
    EXPECT_EQ(warnings.Messages, (std::vector<std::string>{"Unknown GIF block type", "Invalid Image trailer"}));
    EXPECT_EQ(stream.Position(), static_cast<int64_t>(data.size() - Frame(2).size() - 1));
}

TEST(GifImageList, AnExtensionAtTheEndMakesAFrameOfItsOwn) {
    Bytes data = Concat({ScreenHeader(1, 1), Frame(1), {0x21, 0xFE}, SubBlocks(Text("end")), {0x3B}});
    TGIFImage image;
    LoadImage(image, data);
    ASSERT_EQ(image.Images().GetCount(), 2);
    EXPECT_TRUE(image.Images().GetImage(1)->GetEmpty());
    EXPECT_EQ(image.Images().GetImage(1)->Extensions().GetCount(), 1);
}

TEST(GifImageList, AnInvalidIntroducerBeforeAFrameWarnsAndNeverReadsADescriptor) {
    Bytes data = Concat({ScreenHeader(1, 1), {0x21, 0xFE}, SubBlocks(Text("x")), {0x2B}, Frame(1), {0x3B}});
    TGIFImage image;
    TWarnings warnings;
    LoadImage(image, data, &warnings);
    ASSERT_EQ(image.Images().GetCount(), 1);
    EXPECT_TRUE(image.Images().GetImage(0)->GetEmpty());
    EXPECT_EQ(warnings.Messages, (std::vector<std::string>{"Invalid extension introducer", "Unknown GIF block type",
                                                           "Invalid Image trailer"}));
}

TEST(GifImageList, ProgressFollowsTheStreamAndEndsAtOneHundred) {
    Bytes data = Concat({ScreenHeader(1, 1), Frame(1), Frame(2)});
    TGIFImage image;
    std::vector<int> running;
    image.OnProgress = [&](const void*, TProgressStage stage, int percent, bool, const std::string& message) {
        EXPECT_EQ(message, "Loading...");
        if (stage == psRunning) running.push_back(percent);
    };
    LoadImage(image, data);
    ASSERT_EQ(running.size(), 2u);
    EXPECT_LT(running[0], 100);
    EXPECT_EQ(running[1], 100);
}

TEST(GifImageList, RefusesMoreFramesThanTheLimit) {
    Bytes data = Concat({ScreenHeader(1, 1), Frame(1), Frame(1), Frame(1), {0x3B}});
    TGIFImage image;
    image.Limits().MaxFrames = 2;
    TBytesStream stream(data.data(), static_cast<int64_t>(data.size()));
    EXPECT_THROW(image.LoadFromStream(stream), GIFException);
    EXPECT_EQ(image.Images().GetCount(), 2);
}
