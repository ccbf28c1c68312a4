// An animated cursor written by an independent writer (tests/data/make_demo_ani.py).
#include <gtest/gtest.h>

#include "formats/AniFile.h"

TEST(AniReader, ReadsAFileFromAnotherWriter) {
    AniReadResult r = ReadAniFile(std::string(TAMSOLO_SOURCE_DIR) + "/tests/data/demo.ani");
    ASSERT_EQ(r.Code, AniReadCode::Read);
    ASSERT_EQ(r.Icons.size(), 4u);
    EXPECT_EQ(r.Frames.size(), 4u);
    EXPECT_FALSE(r.PerFrame);
    EXPECT_EQ(r.DefaultRate, 12);
    EXPECT_EQ(r.Icons[0].HotX(), 2);
    EXPECT_EQ(r.Icons[0].BitCount(), 8);
    MakeAniImages(r, clTeal, "demo");
    ASSERT_EQ(r.Images.size(), 4u);
    EXPECT_EQ(r.Images[3].ImageName, "demo_03");
    // The top-left pixel is outside the arrow: masked.
    EXPECT_TRUE(r.Images[0].OutPixels.MaskBit(0, 0));
}
