#include "BufferedStream.h"

#include <gtest/gtest.h>


namespace {
std::vector<uint8_t> Counting(std::size_t n) {
    std::vector<uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
    return v;
}

struct RecordingWriter : TGLDCustomWriteStream {
    std::vector<int> Reported;
    bool CallBackProc(int percent) override {
        Reported.push_back(percent);
        return false;
    }
};
} // namespace

TEST(GldReadStream, ReadsBothByteOrders) {
    const uint8_t data[] = {0, 0, 0, 0x0D, 0, 0, 0, 0x0D, 0x12, 0x34, 0x12, 0x34};
    for (bool inPlace : {true, false}) {
        TMemoryStream mem;
        mem.Write(data, sizeof data);
        mem.SetPosition(0);
        TBytesStream bytes(data, sizeof data);
        TGLDCustomReadStream r;
        r.SetLoadStream(inPlace ? static_cast<TStream&>(mem) : bytes, 0);
        EXPECT_EQ(r.ReadMDword(), 13u);
        EXPECT_EQ(r.ReadDWord(), 218103808u);
        EXPECT_EQ(r.ReadMWord(), 0x1234);
        EXPECT_EQ(r.ReadWord(), 0x3412);
        EXPECT_FALSE(r.Overrun());
        EXPECT_EQ(r.Read1Byte(), 0);
        EXPECT_TRUE(r.Overrun());
    }
}

TEST(GldReadStream, ReadsAcrossTheBufferEndAndPastIt) {
    const std::vector<uint8_t> data = Counting(4 * 65536 + 100);
    TBytesStream s(data.data(), static_cast<int64_t>(data.size()));
    TGLDCustomReadStream r;
    r.SetLoadStream(s, 0);
    r.ReadSkipByte(65534);
    uint32_t expect = (uint32_t(data[65534]) << 24) | (uint32_t(data[65535]) << 16) | (uint32_t(data[65536]) << 8) |
                      data[65537];
    EXPECT_EQ(r.ReadMDword(), expect);
    std::vector<uint8_t> big(70000);
    r.ReadByte(big.data(), static_cast<int64_t>(big.size()));
    EXPECT_TRUE(std::equal(big.begin(), big.end(), data.begin() + 65538));
    r.ReadSkipByte(70000);  // beyond the buffer: a seek
    EXPECT_EQ(r.Read1Byte(), data[65538 + 140000]);
    r.FlushStream();
    EXPECT_EQ(s.Position(), 65538 + 140001);
}

TEST(GldReadStream, ARefillNearTheEndReadsTheWholeRest) {
    // A read that takes the buffer's last bytes and refills it near the stream's end.
    const std::vector<uint8_t> data = Counting(65536 + 1000);
    TBytesStream s(data.data(), static_cast<int64_t>(data.size()));
    TGLDCustomReadStream r;
    r.SetLoadStream(s, 0);
    r.ReadSkipByte(65000);
    std::vector<uint8_t> part(1500), rest(36);
    r.ReadByte(part.data(), static_cast<int64_t>(part.size()));
    r.ReadByte(rest.data(), static_cast<int64_t>(rest.size()));
    EXPECT_FALSE(r.Overrun());
    EXPECT_TRUE(std::equal(part.begin(), part.end(), data.begin() + 65000));
    EXPECT_TRUE(std::equal(rest.begin(), rest.end(), data.begin() + 66500));
    EXPECT_EQ(r.Read1Byte(), 0);
    EXPECT_TRUE(r.Overrun());
}

TEST(GldReadStream, StreamAtItsEndOverrunsAtOnce) {
    TMemoryStream m;
    m.Write("ab", 2);
    TGLDCustomReadStream r;
    r.SetLoadStream(m, 0);
    EXPECT_EQ(r.Size(), 0);
    EXPECT_TRUE(r.Overrun());
    EXPECT_EQ(r.ReadMDword(), 0u);
}

TEST(GldReadStream, AnnouncedSizeBeyondTheStreamIsClipped) {
    const std::vector<uint8_t> data = Counting(10);
    TBytesStream s(data.data(), 10);
    TGLDCustomReadStream r;
    r.SetLoadStream(s, 1000);
    EXPECT_EQ(r.Size(), 10);
    uint8_t buf[12];
    r.ReadByte(buf, 12);
    EXPECT_TRUE(r.Overrun());
}

TEST(GldReadStream, EmptyReadsDoNotStop) {
    const std::vector<uint8_t> data = Counting(10);
    TBytesStream s(data.data(), 10);
    TGLDCustomReadStream r;
    r.SetLoadStream(s, 0);
    r.ReadByte(nullptr, 0);
    r.ReadSkipByte(0);
    EXPECT_FALSE(r.Stop());
    EXPECT_EQ(r.Read1Byte(), data[0]);
}

TEST(GldReadStream, SkipsAMacBinaryHeaderOnlyWhenItsMarkersAreZero) {
    std::vector<uint8_t> data = Counting(300);
    data[0] = 0, data[74] = 0;
    TBytesStream s(data.data(), 300);
    TGLDCustomReadStream r;
    r.FMacBinaryCheck = true;
    r.SetLoadStream(s, 0);
    EXPECT_TRUE(r.MacBinary());
    EXPECT_EQ(r.Read1Byte(), data[128]);
    data[0] = 137;
    TBytesStream png(data.data(), 300);
    r.SetLoadStream(png, 0);
    EXPECT_FALSE(r.MacBinary());
    EXPECT_EQ(r.Read1Byte(), 137);
}

TEST(GldWriteStream, ProgressPhasesShareThePoints) {
    RecordingWriter w;
    TMemoryStream m;
    w.SetWriteStream(m);
    w.StartCallBack();
    w.SetCallBackParam(1, 10, 30);
    w.DoCallBack(10);
    ASSERT_EQ(w.Reported.size(), 2u);
    EXPECT_EQ(w.Reported[1], 29);
    w.SetCallBackParam(1, 4, 0);
    w.DoCallBack(2);
    EXPECT_EQ(w.Reported.back(), 29 + 35);
    w.DoCallBack(2);  // not above the last: not reported again
    EXPECT_EQ(w.Reported.size(), 3u);
    w.EndCallBack();
    EXPECT_EQ(w.Reported.back(), 100);
}

TEST(GldWriteStream, BuffersSmallWritesAndPassesLargeOnesInOrder) {
    TMemoryStream m;
    TGLDCustomWriteStream w;
    w.SetWriteStream(m);
    w.WriteMDWord(0x01020304);
    w.WriteByte(nullptr, 0);  // an empty write does not stop the stream
    EXPECT_FALSE(w.Stop());
    w.WriteWord(0x0605);
    EXPECT_EQ(m.Size(), 0);
    const std::vector<uint8_t> big = Counting(70000);
    w.WriteByte(big.data(), static_cast<int64_t>(big.size()));
    w.Write1Byte(0xAB);
    w.FlushStream();
    ASSERT_EQ(m.Size(), 6 + 70000 + 1);
    EXPECT_EQ(m.Bytes()[0], 1);
    EXPECT_EQ(m.Bytes()[4], 5);
    EXPECT_EQ(m.Bytes()[6 + 69999], big.back());
    EXPECT_EQ(m.Bytes().back(), 0xAB);
    EXPECT_EQ(w.Written(), m.Size());
}
