#include "gif/GIFUtil.h"

#include <gtest/gtest.h>

#include "gif/GIFTestSupport.h"

using namespace giftest;

TEST(GifUtil, BitsForColoursCoversTheBoundaries) {
    const int cases[][2] = {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 3}, {16, 4}, {17, 5}, {256, 8}, {257, 9}};
    for (auto& c : cases) EXPECT_EQ(BitsForColours(c[0]), c[1]) << c[0];
}

TEST(GifSubBlocks, SplitsLongStringsAndReadsThemBackAsBlocks) {
    TStringList list;
    list.Add(std::string(600, 'x'));
    list.Add("");
    TMemoryStream stream;
    PutSubBlocks(stream, list);
    const Bytes& b = stream.Bytes();
    ASSERT_EQ(b.size(), 600u + 3 + 1);
    EXPECT_EQ(b[0], 255);
    EXPECT_EQ(b[256], 255);
    EXPECT_EQ(b[512], 90);
    EXPECT_EQ(b.back(), 0);

    stream.SetPosition(0);
    TStringList back;
    GetSubBlocks(stream, back);
    ASSERT_EQ(back.Count(), 3);
    EXPECT_EQ(back[0].size(), 255u);
    EXPECT_EQ(back[2].size(), 90u);
    EXPECT_EQ(stream.Position(), stream.Size());
}

TEST(GifSubBlocks, EmptyStringsWriteOnlyTheTerminator) {
    TStringList list;
    list.Add("");
    list.Add("");
    TMemoryStream stream;
    PutSubBlocks(stream, list);
    EXPECT_EQ(stream.Bytes(), Bytes{0});
}

TEST(GifSubBlocks, AZeroByteEndsTheTextOfItsBlock) {
    Bytes data = {5, 'a', 'b', 0, 'c', 'd', 0};
    TBytesStream stream(data.data(), static_cast<int64_t>(data.size()));
    TStringList list;
    GetSubBlocks(stream, list);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list[0], "ab");
}

TEST(GifSubBlocks, AShortBlockRaisesPrematureEnd) {
    Bytes data = {10, 1, 2, 3, 4};
    TBytesStream stream(data.data(), static_cast<int64_t>(data.size()));
    TStringList list;
    try {
        GetSubBlocks(stream, list);
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Premature end of data");
    }
}

TEST(GifUtil, GetByteReportsTheEndOfTheStream) {
    Bytes data = {0xAB};
    TBytesStream stream(data.data(), 1);
    EXPECT_EQ(GetByte(stream), 0xAB);
    EXPECT_EQ(GetByte(stream), -1);
}

TEST(GifUtil, SkipSubBlocksStopsAtTheTerminatorOrTheEnd) {
    Bytes data = {2, 1, 2, 0, 9};
    TBytesStream stream(data.data(), static_cast<int64_t>(data.size()));
    EXPECT_TRUE(SkipSubBlocks(stream));
    EXPECT_EQ(stream.Position(), 4);
    Bytes cut = {200, 1, 2};
    TBytesStream shortStream(cut.data(), static_cast<int64_t>(cut.size()));
    EXPECT_FALSE(SkipSubBlocks(shortStream));
    EXPECT_EQ(shortStream.Position(), 3);
}
