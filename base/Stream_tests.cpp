#include "base/Stream.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "base/Exception.h"

TEST(MemoryStream, WritesGrowAndReadsStopAtTheEnd) {
    TMemoryStream m;
    m.WriteBuffer("abcdef", 6);
    EXPECT_EQ(m.Size(), 6);
    m.SetPosition(4);
    char buf[8] = {};
    EXPECT_EQ(m.Read(buf, 8), 2);
    EXPECT_STREQ(buf, "ef");
    m.SetPosition(5);
    EXPECT_THROW(m.ReadBuffer(buf, 2), EReadError);
    m.Seek(10, TSeekOrigin::soBeginning);
    m.WriteBuffer("z", 1);  // writing past the end fills with zeros
    EXPECT_EQ(m.Size(), 11);
    EXPECT_EQ(m.Memory()[8], 0);
}

TEST(FileStream, CreatesReadsAndReportsMissingFiles) {
    std::string path = ::testing::TempDir() + "stream_test.bin";
    {
        TFileStream f(path, TFileMode::fmCreate);
        f.WriteBuffer("hello", 5);
    }
    EXPECT_TRUE(FileExists(path));
    TMemoryStream m;
    m.LoadFromFile(path);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.Memory()), 5), "hello");
    EXPECT_TRUE(DeleteFileUtf8(path));
    EXPECT_FALSE(FileExists(path));
    EXPECT_THROW(TFileStream(path, TFileMode::fmOpenRead), EFOpenError);
}
