#include "base/Stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "base/Exception.h"
#include "base/SaveFileTestSupport.h"
#include "base/SmallDiskTestSupport.h"

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

namespace {

// A fresh, empty folder for one test.
std::filesystem::path EmptyFolder(const std::string& name) {
    std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

std::vector<std::string> FolderNames(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string FileText(const std::string& path) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(ReadWholeFile(path, bytes, 1 << 20));
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

TEST(SafeFileStream, AWriteThatFailsHalfWayLeavesTheOldFileAndNoOtherFile) {
    auto dir = EmptyFolder("safe_half");
    std::string path = (dir / "target.ani").string();
    ASSERT_TRUE(WriteWholeFile(path, "old contents", 12));
    EXPECT_THROW(WriteFileSafely(path,
                                 [](TStream& s) {
                                     s.WriteBuffer("new con", 7);
                                     throw EWriteError("disk full");
                                 }),
                 EWriteError);
    EXPECT_EQ(FileText(path), "old contents");
    EXPECT_EQ(FolderNames(dir), std::vector<std::string>{"target.ani"});
}

TEST(SafeFileStream, ReplacesTheTargetOnlyOnCommit) {
    auto dir = EmptyFolder("safe_commit");
    std::string path = (dir / "target.bmp").string();
    ASSERT_TRUE(WriteWholeFile(path, "old", 3));
    {
        TSafeFileStream s(path);
        s.WriteBuffer("brand new", 9);
        EXPECT_EQ(FileText(path), "old");  // not yet
        EXPECT_TRUE(s.Commit());
    }
    EXPECT_EQ(FileText(path), "brand new");
    EXPECT_EQ(FolderNames(dir), std::vector<std::string>{"target.bmp"});
    {
        TSafeFileStream abandoned(path);
        abandoned.WriteBuffer("x", 1);
    }
    EXPECT_EQ(FileText(path), "brand new");
    EXPECT_EQ(FolderNames(dir), std::vector<std::string>{"target.bmp"});
}

TEST(SafeFileStream, AMoveThatFailsReportsFailureAndRemovesTheTemporaryFile) {
    auto dir = EmptyFolder("safe_move");
    std::filesystem::create_directory(dir / "taken");  // a folder stands where the file should go
    EXPECT_FALSE(WriteWholeFile((dir / "taken").string(), "abc", 3));
    EXPECT_EQ(FolderNames(dir), std::vector<std::string>{"taken"});
    // No folder to write into: nothing is created anywhere.
    EXPECT_FALSE(WriteWholeFile((dir / "missing" / "x.ico").string(), "abc", 3));
    EXPECT_EQ(FolderNames(dir), std::vector<std::string>{"taken"});
}

TEST(SafeFileStream, AFileThatRunsOutOfRoomLeavesTheOldFileAndNoOtherFile) {
    auto dir = EmptyFolder("safe_full");
    const std::string path = (dir / "target.ico").string();
    const std::string fresh = "fresh contents";  // 14 bytes
    struct Case {
        int64_t Limit;
        TFullSaveFile::TKind Kind;
    } cases[] = {
        {0, TFullSaveFile::Refuse}, {5, TFullSaveFile::Refuse}, {13, TFullSaveFile::Refuse},
        {0, TFullSaveFile::Drop},   {5, TFullSaveFile::Drop},   {13, TFullSaveFile::Drop},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "limit " << c.Limit << (c.Kind == TFullSaveFile::Drop ? " dropped" : " refused"));
        ASSERT_TRUE(WriteWholeFile(path, "old contents", 12));
        TFullDiskScope full(c.Limit, c.Kind);
        EXPECT_FALSE(WriteWholeFile(path, fresh.data(), fresh.size()));
        EXPECT_EQ(FileText(path), "old contents");
        EXPECT_EQ(FolderNames(dir), std::vector<std::string>{"target.ico"});
        // Written in pieces through the stream: a refused piece throws, a dropped one is
        // found on disk when the stream commits.
        bool committed = true;
        auto write = [&] {
            TSafeFileStream s(path);
            s.WriteBuffer(fresh.data(), 4);
            s.WriteBuffer(fresh.data() + 4, 10);
            committed = s.Commit();
        };
        if (c.Kind == TFullSaveFile::Refuse) {
            EXPECT_THROW(write(), EWriteError);
        } else {
            write();
            EXPECT_FALSE(committed);
        }
        EXPECT_EQ(FileText(path), "old contents");
        EXPECT_EQ(FolderNames(dir), std::vector<std::string>{"target.ico"});
    }
    TFullDiskScope roomEnough(14, TFullSaveFile::Drop);  // exactly enough room
    EXPECT_TRUE(WriteWholeFile(path, fresh.data(), fresh.size()));
    EXPECT_EQ(FileText(path), fresh);
}

TEST(SafeFileStream, AFullDiskLeavesTheOldFileAndNoOtherFile) {
    TSmallDisk disk;
    if (disk.Folder().empty()) GTEST_SKIP() << disk.Reason();
    const std::string path = disk.Folder() + "target.cur";
    const std::string old(2238, 'o');
    ASSERT_TRUE(WriteWholeFile(path, old.data(), old.size()));
    ASSERT_TRUE(disk.Fill());
    const std::vector<char> fresh(8000, 'n');
    EXPECT_FALSE(WriteWholeFile(path, fresh.data(), fresh.size()));
    TMemoryStream m;
    m.WriteBuffer(fresh.data(), static_cast<int64_t>(fresh.size()));
    EXPECT_THROW(m.SaveToFile(path), EWriteError);
    EXPECT_EQ(FileText(path), old);
    EXPECT_EQ(FolderNames(disk.Folder()), (std::vector<std::string>{"filler", "target.cur"}));
}
