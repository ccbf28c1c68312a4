#pragma once
// Byte streams: the abstract TStream with its checked reads and writes, a memory
// stream and a file stream. Positions and sizes are 64-bit.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;

    // Reads or writes up to count bytes and returns how many were moved.
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // Returns the new position.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual void SetSize(int64_t size) = 0;

    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t pos) { Seek(pos, TSeekOrigin::soBeginning); }
    virtual int64_t Size();

    // Exactly count bytes or EReadError / EWriteError.
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    // Copies count bytes from source (0 = all of source from its start).
    int64_t CopyFrom(TStream& source, int64_t count);
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;
    int64_t Size() override { return static_cast<int64_t>(FData.size()); }

    void Clear();
    uint8_t* Memory() { return FData.data(); }
    const uint8_t* Memory() const { return FData.data(); }
    const std::vector<uint8_t>& Bytes() const { return FData; }
    void LoadFromStream(TStream& source);
    void SaveToStream(TStream& dest) const;
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path) const;

private:
    std::vector<uint8_t> FData;
    int64_t FPosition = 0;
};

// A stream over bytes that someone else owns (read only).
class TBytesStream : public TStream {
public:
    TBytesStream(const void* data, int64_t size) : FData(static_cast<const uint8_t*>(data)), FSize(size) {}
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;
    int64_t Size() override { return FSize; }

private:
    const uint8_t* FData;  // not owned
    int64_t FSize;
    int64_t FPosition = 0;
};

enum class TFileMode { fmCreate, fmOpenRead, fmOpenWrite, fmOpenReadWrite };

class TFileStream : public TStream {
public:
    // Throws EFOpenError when the file cannot be opened or created.
    TFileStream(const std::string& path, TFileMode mode);
    ~TFileStream() override;
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;
    // Flushes and closes; returns false when buffered data could not be written.
    bool Close();

private:
    std::FILE* FFile = nullptr;
};

// The file under a safe save. Every write lands whole or reports failure, and Close says
// whether the bytes reached the disk: it flushes them there, closes the file and checks
// that the file on disk holds the size bytes the writer meant. Windows writes through
// CreateFileW/WriteFile/FlushFileBuffers, other systems through write/fsync.
class TSaveFile {
public:
    virtual ~TSaveFile() = default;
    TSaveFile() = default;
    TSaveFile(const TSaveFile&) = delete;
    TSaveFile& operator=(const TSaveFile&) = delete;

    virtual bool Write(const void* buffer, int64_t count) = 0;
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual bool SetSize(int64_t size) = 0;
    // Called once; the file is closed afterwards whatever the answer.
    virtual bool Close(int64_t size) = 0;
};

// Creates a new file, never one that exists; throws EFOpenError when it cannot.
std::unique_ptr<TSaveFile> CreateSaveFile(const std::string& path);
// Tests put another file under every safe save (one that fails at a given byte, say);
// an empty function restores CreateSaveFile.
using TSaveFileFactory = std::function<std::unique_ptr<TSaveFile>(const std::string& path)>;
void SetSaveFileFactory(TSaveFileFactory factory);

// A file written whole or not at all. The bytes go to a temporary file of a short name no
// other file has, in the folder of the file the target names (a symbolic link is followed,
// and stays a link; a link that leads to no file a save may make is refused); Commit
// closes it and puts it in the target's place, keeping what the target was (its attributes
// or mode). Until then, and when anything fails (a write, the flush to disk, the size found
// on disk, the replace), the target keeps its old bytes, and the temporary file is removed
// again. The old file keeps a backup name of its own until the new one is in place and is
// put back when the replace fails; when it cannot be put back, the new bytes are never
// removed: their file stays and TakeLeftFiles names it. A target that refuses writes
// (read-only) is refused at once. A target with other hard links gets the new bytes
// written into it, so that every name shows them, while a copy of its old bytes waits to
// put them back.
struct TFileBytes;

class TSafeFileStream : public TStream {
public:
    // Throws EFOpenError when the target refuses writes or no temporary file can be created.
    explicit TSafeFileStream(const std::string& path);
    ~TSafeFileStream() override;
    int64_t Read(void* buffer, int64_t count) override;
    // All of count or 0 (and the stream stays failed).
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;
    // Finish, then Replace. False when a write, the flush, the size check or the replace
    // failed (the target is then unchanged).
    bool Commit();
    // Closes the temporary file and checks that it holds every byte on disk; the target is
    // not touched yet. False (and the temporary file gone) when anything failed.
    bool Finish();
    // Puts a finished temporary file in the target's place; false leaves the target as it
    // was, unless TakeLeftFiles names what could not be put back.
    bool Replace();
    const std::string& TemporaryPath() const { return FTempPath; }

private:
    friend bool WriteFilesTogether(const std::vector<TFileBytes>& files);

    std::string FPath;  // the file replaced: the target, or the file its symbolic link names
    std::string FTempPath;
    std::unique_ptr<TSaveFile> FFile;
    int64_t FPosition = 0;
    int64_t FExtent = 0;    // the size the file must have on disk
    bool FFailed = false;   // a write or a resize failed
    bool FFinished = false; // closed and checked, waiting for Replace
};

// Several files saved as one: every file is written to its temporary file first, and the
// targets are replaced only when all of them are there whole, as one replace: every old
// file goes aside, every new one in, and when any step fails every old file is put back.
// When a file cannot be written or replaced, every temporary file goes again and every
// target keeps its old bytes (and no target that did not exist appears). False on any
// failure.
struct TFileBytes {
    std::string Path;
    std::vector<uint8_t> Bytes;
};
bool WriteFilesTogether(const std::vector<TFileBytes>& files);

// The size that the regular file on a disk that path names reports, or nothing when path
// names no such file: a device (a DOS device name such as AUX.bmp or COM1, a \\.\ path), a
// directory, a pipe, a FIFO, a socket or a character device, also behind a link. Nothing
// is opened in a way that could wait for a device or for a pipe's writer.
std::optional<int64_t> DiskFileSize(const std::string& path);

// Whole-file helpers; paths are UTF-8.
// A mode that reads or changes an existing file ("r...") opens only what DiskFileSize finds,
// so no reader of a user's file ever opens a device.
std::FILE* OpenFileUtf8(const std::string& path, const char* mode);
bool FileExists(const std::string& path);
bool DeleteFileUtf8(const std::string& path);
// The file's bytes; false when it is no disk file, when the size it reports is above
// maxBytes (refused before anything is read) or when it cannot be read whole. Never more
// than the reported size is read.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out, int64_t maxBytes);
// Both write through TSafeFileStream: false leaves the old file as it was.
bool WriteWholeFile(const std::string& path, const void* data, std::size_t size);
// write fills the stream; an exception from it leaves the old file and is passed on.
bool WriteFileSafely(const std::string& path, const std::function<void(TStream&)>& write);

// What failed replaces had to leave on the disk because they could not put things back
// as they were: files holding the new bytes of a save, and files holding a target's old
// bytes. Each failure adds its files; taking them empties the lists (the save commands
// name them in their message).
struct TLeftFiles {
    std::vector<std::string> NewBytes;
    std::vector<std::string> OldBytes;
    bool Empty() const { return NewBytes.empty() && OldBytes.empty(); }
};
TLeftFiles TakeLeftFiles();

// The steps of a replace, each of which tests can make fail: the old file goes aside to
// its backup name (or is copied there, for a file written in place), the new one takes
// the target's name (or its bytes are written into the target), and a failed replace puts
// things back. A hook that answers false makes the step fail before it is done; an empty
// function restores the real steps.
enum class TReplaceStep { Aside, In, Back };
using TReplaceStepHook = std::function<bool(TReplaceStep step, const std::string& target)>;
void SetReplaceStepHook(TReplaceStepHook hook);

// A short name that no entry of the folder has (the folder ends with its separator), for
// the temporary and backup files of a save: never longer than 12 characters, and shorter
// where a longer one would not fit in a path of the platform.
std::string UnusedNameIn(const std::string& folder);

// The platform's side of a safe save (FileReplace_win.cpp on Windows, Stream.cpp elsewhere).
// The file a save to path writes: the file a symbolic link at path names (outside Windows
// also when that file does not exist yet), else path itself; "" when path is a link that
// leads to no file a save may make (a loop of links, and on Windows a link to a missing
// file: the system gives no way to the file it names).
std::string ResolveSaveTarget(const std::string& path);
// Whether any directory entry (a file, a folder, a link, also a broken one) has the name.
bool NameTaken(const std::string& path);
// Whether path is an existing file that must not be written (read-only).
bool RefusesWrites(const std::string& path);
// What stands at a target: nothing, a folder, or a file with the number of its names.
struct TTargetState {
    bool Exists = false;
    bool Folder = false;
    uint32_t Names = 0;
};
TTargetState InspectTarget(const std::string& path);
// Gives the new file what the old file had: its attributes, security and creation time
// (Windows) or its mode and owner (elsewhere). False when that cannot be given.
bool TakeOverAttributes(const std::string& oldFile, const std::string& newFile);
// Gives the file from the name to, which no entry has; false when it could not.
bool MoveFileUtf8(const std::string& from, const std::string& to);
// Writes bytes into the existing file in place (every name of it shows them), flushed
// and measured on the disk; false when any of that failed.
bool WriteInPlace(const std::string& path, const std::vector<uint8_t>& bytes);
