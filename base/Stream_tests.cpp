#include "base/Stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include "base/Exception.h"
#include "base/SaveFileTestSupport.h"
#include "base/SmallDiskTestSupport.h"
#include "base/Text.h"

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
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        const std::u8string name = e.path().filename().u8string();  // UTF-8 on every system
        names.emplace_back(name.begin(), name.end());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string FileText(const std::string& path) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(ReadWholeFile(path, bytes, 1 << 20));
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

// Only regular files on a disk are read: nothing that names a device, a pipe, a FIFO or a
// directory is opened for reading, and a file larger than the reader can use is refused by
// the size it reports, before a byte is read (a 4 GB sparse file reads as quickly as zeros).
TEST(FileStream, ReadsOnlyDiskFilesAndRefusesByTheReportedSize) {
    const std::filesystem::path dir = EmptyFolder("disk_files");
    const std::string plain = (dir / "plain.bmp").string();
    { TFileStream(plain, TFileMode::fmCreate).WriteBuffer("hello", 5); }
    EXPECT_EQ(DiskFileSize(plain), 5);
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(ReadWholeFile(plain, bytes, 5));
    EXPECT_EQ(bytes.size(), 5u);
    EXPECT_FALSE(ReadWholeFile(plain, bytes, 4));
    EXPECT_TRUE(bytes.empty());

    const std::string sparse = (dir / "sparse.png").string();
    { TFileStream(sparse, TFileMode::fmCreate); }
    std::filesystem::resize_file(sparse, 4ull << 30);
    EXPECT_EQ(DiskFileSize(sparse), int64_t(4) << 30);
    std::vector<uint8_t> none;
    EXPECT_FALSE(ReadWholeFile(sparse, none, 256 << 20));
    EXPECT_EQ(none.capacity(), 0u) << "nothing may be read or held for a file above the limit";

    std::vector<std::string> notFiles = {dir.string(), (dir / "missing.bmp").string()};
#ifdef _WIN32
    // Every one of these would open a device (the serial port for AUX and COM1).
    for (const char* name : {"AUX.bmp", "COM1.png", "nul.ani", "CON", "LPT1.ico"}) notFiles.push_back((dir / name).string());
    notFiles.push_back("\\\\.\\COM1");
    notFiles.push_back("\\\\.\\pipe\\tamsolo_no_pipe");
#else
    const std::string fifo = (dir / "fifo.bmp").string(), zero = (dir / "zero.png").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", zero);
    notFiles.insert(notFiles.end(), {fifo, zero, "/dev/null"});
#endif
    for (const std::string& name : notFiles) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(DiskFileSize(name));
        EXPECT_FALSE(ReadWholeFile(name, bytes, 1 << 20));
        EXPECT_EQ(OpenFileUtf8(name, "rb"), nullptr);
        EXPECT_THROW(TFileStream(name, TFileMode::fmOpenRead), EFOpenError);
    }
    std::filesystem::remove_all(dir);
}

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

namespace {
// Old bytes in every named file of a folder, for saves that must not touch them.
void PutFiles(const std::string& folder, const std::vector<std::string>& names, const std::string& prefix) {
    for (const std::string& n : names) ASSERT_TRUE(WriteWholeFile(folder + n, (prefix + n).data(), prefix.size() + n.size())) << n;
}
} // namespace

TEST(SafeFileStream, TheTargetKeepsItsAttributes) {
    auto dir = EmptyFolder("safe_attributes");
    const std::string path = (dir / "kept.ani").string();
    ASSERT_TRUE(WriteWholeFile(path, "old", 3));
#ifdef _WIN32
    const DWORD set = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    ASSERT_TRUE(SetFileAttributesW(Utf8ToWide(path).c_str(), set));
    ASSERT_TRUE(WriteWholeFile(path, "new bytes", 9));
    EXPECT_EQ(GetFileAttributesW(Utf8ToWide(path).c_str()) & set, set);
#else
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(WriteWholeFile(path, "new bytes", 9));
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
#endif
    EXPECT_EQ(FileText(path), "new bytes");
    EXPECT_EQ(FolderNames(dir), std::vector<std::string>{"kept.ani"});
}

TEST(SafeFileStream, AReadOnlyTargetIsRefusedAndKeepsItsBytes) {
    auto dir = EmptyFolder("safe_readonly");
    const std::string path = (dir / "locked.cur").string();
    ASSERT_TRUE(WriteWholeFile(path, "old", 3));
    namespace fs = std::filesystem;
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_FALSE(WriteWholeFile(path, "new bytes", 9));
    EXPECT_THROW(TSafeFileStream{path}, EFOpenError);
    TMemoryStream m;
    m.WriteBuffer("new", 3);
    EXPECT_THROW(m.SaveToFile(path), EFOpenError);
    EXPECT_EQ(FileText(path), "old");
    EXPECT_EQ(FolderNames(dir), std::vector<std::string>{"locked.cur"});
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
}

TEST(SafeFileStream, FilesNamedLikeTheTemporaryFileAreLeftAlone) {
    auto dir = EmptyFolder("safe_names");
    const std::string folder = dir.string() + "/";
    const std::vector<std::string> theirs = {"x.ani.~tmp", "x.ani.~tmp0", "x.ani.tmp", "x.ani~"};
    PutFiles(folder, theirs, "user's ");
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(WriteWholeFile(folder + "x.ani", "saved", 5));
    EXPECT_EQ(FileText(folder + "x.ani"), "saved");
    for (const std::string& n : theirs) EXPECT_EQ(FileText(folder + n), "user's " + n);
    std::vector<std::string> expected = theirs;
    expected.push_back("x.ani");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FolderNames(dir), expected);
    // Each save has a temporary file of its own.
    TSafeFileStream a(folder + "x.ani"), b(folder + "x.ani");
    EXPECT_NE(a.TemporaryPath(), b.TemporaryPath());
}

TEST(SafeFileStream, ASaveThroughASymbolicLinkWritesTheFileItNamesAndKeepsTheLink) {
    THostFolder host("safe_links");
    if (host.Unix().empty()) GTEST_SKIP() << "no host shell";
    ASSERT_EQ(host.Shell("mkdir sub && printf old > sub/real.ani && ln -s sub/real.ani link.ani && "
                         "ln -s " + host.Unix() + "/sub/real.ani sub/absolute.ani && echo ready"),
              "ready");
    const std::string folder = host.Folder();
    ASSERT_TRUE(WriteWholeFile(folder + "link.ani", "through the link", 16));
    EXPECT_EQ(FileText(folder + "sub/real.ani"), "through the link");
    ASSERT_TRUE(WriteWholeFile(folder + "sub/absolute.ani", "absolute", 8));
    EXPECT_EQ(FileText(folder + "sub/real.ani"), "absolute");
    EXPECT_EQ(host.Shell("test -L link.ani && test -L sub/absolute.ani && test ! -L sub/real.ani && echo links"), "links");
    EXPECT_EQ(FolderNames(folder), (std::vector<std::string>{"link.ani", "sub"}));
    EXPECT_EQ(FolderNames(folder + "sub"), (std::vector<std::string>{"absolute.ani", "real.ani"}));
#ifndef _WIN32
    // A link to a file not made yet: the file is made, the link stays.
    ASSERT_EQ(host.Shell("ln -s sub/later.ani dangling.ani && echo ready"), "ready");
    ASSERT_TRUE(WriteWholeFile(folder + "dangling.ani", "later", 5));
    EXPECT_EQ(FileText(folder + "sub/later.ani"), "later");
    EXPECT_EQ(host.Shell("test -L dangling.ani && echo link"), "link");
#endif
}

TEST(SafeFileStream, FilesSavedTogetherAreReplacedOnlyWhenAllAreWritten) {
    auto dir = EmptyFolder("safe_together");
    const std::string folder = dir.string() + "/";
    const std::vector<std::string> old = {"walk_00.ico", "walk_01.ico", "walk_02.ico"};
    std::vector<TFileBytes> files;
    for (int i = 0; i < 5; ++i) files.push_back({folder + "walk_0" + std::to_string(i) + ".ico", std::vector<uint8_t>(100 + i, 'n')});
    for (int failing : {0, 2, 4}) {
        SCOPED_TRACE(testing::Message() << "file " << failing << " cannot be written");
        PutFiles(folder, old, "old ");
        int made = 0;
        SetSaveFileFactory([&](const std::string& path) -> std::unique_ptr<TSaveFile> {
            if (made++ == failing) return std::make_unique<TFullSaveFile>(path, 10, TFullSaveFile::Drop);
            return CreateSaveFile(path);
        });
        EXPECT_FALSE(WriteFilesTogether(files));
        SetSaveFileFactory(nullptr);
        for (const std::string& n : old) EXPECT_EQ(FileText(folder + n), "old " + n);
        EXPECT_EQ(FolderNames(dir), old);
    }
    // A read-only file among them stops the save before anything is replaced.
    namespace fs = std::filesystem;
    fs::permissions(folder + old[2], fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_FALSE(WriteFilesTogether(files));
    fs::permissions(folder + old[2], fs::perms::owner_write, fs::perm_options::add);
    for (const std::string& n : old) EXPECT_EQ(FileText(folder + n), "old " + n);
    EXPECT_EQ(FolderNames(dir), old);

    ASSERT_TRUE(WriteFilesTogether(files));
    for (const TFileBytes& f : files) EXPECT_EQ(FileText(f.Path), std::string(f.Bytes.begin(), f.Bytes.end()));
    EXPECT_EQ(FolderNames(dir).size(), 5u);
}

TEST(ReadWholeFile, ReadsAFileWholeUpToItsLimitAndRefusesOneByteMore) {
    auto dir = EmptyFolder("read_whole");
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{65536}, std::size_t{300001}}) {
        SCOPED_TRACE(size);
        std::vector<uint8_t> data(size);
        for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<uint8_t>(i * 7 + i / 251);
        const std::string path = (dir / "file.bin").string();
        ASSERT_TRUE(WriteWholeFile(path, data.data(), data.size()));
        std::vector<uint8_t> read;
        EXPECT_TRUE(ReadWholeFile(path, read, static_cast<int64_t>(size)));
        EXPECT_TRUE(read == data);
        if (size > 0) {
            EXPECT_FALSE(ReadWholeFile(path, read, static_cast<int64_t>(size) - 1));
        }
    }
}

// A set whose targets cannot all be replaced: a folder stands among them, or a step of the
// replace fails at any point. Every old file keeps its bytes, no new file appears and no
// temporary or backup file stays.
TEST(SafeFileStream, FilesSavedTogetherPutEveryOldFileBackWhenOneCannotBeReplaced) {
    auto dir = EmptyFolder("safe_together_back");
    const std::string folder = dir.string() + "/";
    const std::vector<std::string> old = {"walk_00.ico", "walk_02.ico", "walk_04.ico"};
    std::vector<TFileBytes> files;
    for (int i = 0; i < 5; ++i) files.push_back({folder + "walk_0" + std::to_string(i) + ".ico", std::vector<uint8_t>(100 + i, 'n')});
    auto expectOld = [&](std::vector<std::string> names) {
        for (const std::string& n : old) EXPECT_EQ(FileText(folder + n), "old " + n);
        names.insert(names.end(), old.begin(), old.end());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(FolderNames(dir), names);
    };
    PutFiles(folder, old, "old ");
    std::filesystem::create_directory(dir / "walk_03.ico");
    EXPECT_FALSE(WriteFilesTogether(files));
    expectOld({"walk_03.ico"});
    std::filesystem::remove(dir / "walk_03.ico");

    struct Case {
        TReplaceStep Step;
        int At;  // the step of that kind that fails
    } cases[] = {{TReplaceStep::Aside, 0}, {TReplaceStep::Aside, 2}, {TReplaceStep::In, 0}, {TReplaceStep::In, 3},
                 {TReplaceStep::In, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.Step == TReplaceStep::Aside ? "aside " : "in ") << c.At);
        TFailingReplaceScope failing([&](TReplaceStep step, const std::string&, int n) { return step == c.Step && n == c.At; });
        EXPECT_FALSE(WriteFilesTogether(files));
        EXPECT_TRUE(TakeLeftFiles().Empty());
        expectOld({});
    }
}

namespace {
// A save whose new bytes cannot be put in place and whose old bytes cannot be put back:
// one file of each is left, named, holding them (an empty record when that failed).
TLeftFiles SaveThatCannotPutBack(const std::string& path, const std::string& fresh, const std::string& old) {
    TFailingReplaceScope failing([](TReplaceStep step, const std::string&, int) { return step != TReplaceStep::Aside; });
    EXPECT_FALSE(WriteWholeFile(path, fresh.data(), fresh.size()));
    TLeftFiles left = TakeLeftFiles();
    EXPECT_EQ(left.NewBytes.size(), 1u);
    EXPECT_EQ(left.OldBytes.size(), 1u);
    if (left.NewBytes.size() != 1 || left.OldBytes.size() != 1) return {};
    EXPECT_EQ(FileText(left.NewBytes[0]), fresh);
    EXPECT_EQ(FileText(left.OldBytes[0]), old);
    return left;
}
} // namespace

// The new file could not take the target's name after the old one went aside: the old
// file is put back; when that fails too, both stay where they are and are named.
TEST(SafeFileStream, AReplaceThatFailsAfterTheOldFileWentAsideNeverLosesBoth) {
    auto dir = EmptyFolder("safe_replace_steps");
    const std::string path = (dir / "target.ani").string();
    ASSERT_TRUE(WriteWholeFile(path, "old", 3));
    {
        TFailingReplaceScope failing([](TReplaceStep step, const std::string&, int) { return step == TReplaceStep::In; });
        EXPECT_FALSE(WriteWholeFile(path, "new bytes", 9));
        EXPECT_TRUE(TakeLeftFiles().Empty());
    }
    EXPECT_EQ(FileText(path), "old");
    EXPECT_EQ(FolderNames(dir), std::vector<std::string>{"target.ani"});

    const TLeftFiles left = SaveThatCannotPutBack(path, "new bytes", "old");
    ASSERT_FALSE(left.Empty());
    std::vector<std::string> names = {std::filesystem::path(left.NewBytes[0]).filename().string(),
                                      std::filesystem::path(left.OldBytes[0]).filename().string()};
    std::sort(names.begin(), names.end());
    EXPECT_EQ(FolderNames(dir), names);  // no file at the target, and nothing else
    for (const std::string& n : names) EXPECT_LE(n.size(), 12u) << n;
}

// Names up to the longest a folder takes (on Windows: up to the longest path) save, also
// over an old file: the temporary file's name never grows with the target's.
TEST(SafeFileStream, NamesOfTheLongestLengthSave) {
    auto dir = EmptyFolder("safe_long_names");
    std::string japanese;
    for (int i = 0; i < 82; ++i) japanese += "名";  // 246 bytes
#ifdef _WIN32
    const std::size_t longest = 259 - Utf8ToWide((dir / "").string()).size();
#else
    const std::size_t longest = 255;
#endif
    for (const std::string& name : {japanese + ".ani", std::string(longest - 4, 'n') + ".ani"}) {
        SCOPED_TRACE(name.size());
        const std::string path = (dir / "").string() + name;  // UTF-8, as the program names files
        ASSERT_TRUE(WriteWholeFile(path, "first", 5));
        ASSERT_TRUE(WriteWholeFile(path, "second", 6));
        EXPECT_EQ(FileText(path), "second");
        EXPECT_EQ(FolderNames(dir), std::vector<std::string>{name});
        EXPECT_TRUE(DeleteFileUtf8(path));
    }
}

// Every name of a file with several names shows the new bytes; when they cannot be
// written into it, its old bytes are put back, and when even that fails the new and the
// old bytes are named.
TEST(SafeFileStream, AFileWithSeveralNamesGetsTheNewBytesUnderEveryName) {
    auto dir = EmptyFolder("safe_hard_links");
    const std::string path = (dir / "walk.ani").string(), other = (dir / "other.ani").string();
    ASSERT_TRUE(WriteWholeFile(path, "old bytes", 9));
    std::filesystem::create_hard_link(path, other);
    ASSERT_TRUE(WriteWholeFile(path, "new", 3));
    EXPECT_EQ(FileText(path), "new");
    EXPECT_EQ(FileText(other), "new");
    ASSERT_TRUE(WriteWholeFile(other, "through the other name", 22));
    EXPECT_EQ(FileText(path), "through the other name");  // still one file
    EXPECT_EQ(FolderNames(dir), (std::vector<std::string>{"other.ani", "walk.ani"}));
    {
        TFailingReplaceScope failing([](TReplaceStep step, const std::string&, int) { return step == TReplaceStep::In; });
        EXPECT_FALSE(WriteWholeFile(other, "newer bytes", 11));
        EXPECT_TRUE(TakeLeftFiles().Empty());
    }
    EXPECT_EQ(FileText(path), "through the other name");
    EXPECT_EQ(FolderNames(dir), (std::vector<std::string>{"other.ani", "walk.ani"}));

    SaveThatCannotPutBack(other, "newer bytes", "through the other name");
}

// A link that leads to no file a save may make is refused, and stays a link.
TEST(SafeFileStream, ALinkThatLeadsNowhereIsRefusedAndStaysALink) {
    THostFolder host("safe_loops");
    if (host.Unix().empty()) GTEST_SKIP() << "no host shell";
    ASSERT_EQ(host.Shell("ln -s a.ani b.ani && ln -s b.ani a.ani && echo ready"), "ready");
    const std::string folder = host.Folder();
    EXPECT_FALSE(WriteWholeFile(folder + "a.ani", "bytes", 5));
    EXPECT_THROW(TSafeFileStream{folder + "b.ani"}, EFOpenError);
    EXPECT_EQ(host.Shell("test -L a.ani && test -L b.ani && test $(ls -A | wc -l) = 2 && echo links"), "links");
#ifdef _WIN32
    // The system gives no way to the file a link to a missing file names.
    ASSERT_EQ(host.Shell("ln -s later.ani dangling.ani && echo ready"), "ready");
    EXPECT_FALSE(WriteWholeFile(folder + "dangling.ani", "bytes", 5));
    EXPECT_EQ(host.Shell("test -L dangling.ani && test ! -e later.ani && test $(ls -A | wc -l) = 3 && echo link"), "link");
#endif
}

TEST(SafeFileStream, UnusedNamesAreShortAndFitThePath) {
    auto dir = EmptyFolder("safe_unused");
    const std::string folder = dir.string() + "/";
    const std::string a = UnusedNameIn(folder), b = UnusedNameIn(folder);
    EXPECT_NE(a, b);
    for (const std::string& n : {a, b}) {
        EXPECT_EQ(n.rfind(folder, 0), 0u);
        EXPECT_EQ(n.size() - folder.size(), 12u);
        EXPECT_FALSE(NameTaken(n));
    }
#ifdef _WIN32
    // A deep folder: the name is shortened to what fits in MAX_PATH.
    const std::string deep = "C:\\" + std::string(250, 'd') + "\\";
    EXPECT_EQ(Utf8ToWide(UnusedNameIn(deep)).size(), 259u);
#endif
}
