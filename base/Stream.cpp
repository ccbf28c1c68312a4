#include "Stream.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <limits>
#include <mutex>
#include <random>
#include <utility>

#include "Exception.h"
#include "Text.h"

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#include <wchar.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

int64_t TStream::Size() {
    int64_t pos = Seek(0, TSeekOrigin::soCurrent);
    int64_t end = Seek(0, TSeekOrigin::soEnd);
    Seek(pos, TSeekOrigin::soBeginning);
    return end;
}

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    std::vector<uint8_t> buf(static_cast<std::size_t>(std::min<int64_t>(count, 1 << 16)));
    int64_t left = count;
    while (left > 0) {
        int64_t n = std::min<int64_t>(left, static_cast<int64_t>(buf.size()));
        source.ReadBuffer(buf.data(), n);
        WriteBuffer(buf.data(), n);
        left -= n;
    }
    return count;
}

// ---- TMemoryStream

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    if (count <= 0 || FPosition >= Size()) return 0;
    int64_t n = std::min(count, Size() - FPosition);
    std::memcpy(buffer, FData.data() + FPosition, static_cast<std::size_t>(n));
    FPosition += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    if (FPosition + count > Size()) FData.resize(static_cast<std::size_t>(FPosition + count));
    std::memcpy(FData.data() + FPosition, buffer, static_cast<std::size_t>(count));
    FPosition += count;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? FPosition : Size();
    FPosition = std::max<int64_t>(0, base + offset);
    return FPosition;
}

void TMemoryStream::SetSize(int64_t size) {
    FData.resize(static_cast<std::size_t>(std::max<int64_t>(0, size)));
    FPosition = std::min(FPosition, Size());
}

void TMemoryStream::Clear() {
    FData.clear();
    FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
    source.SetPosition(0);
    int64_t n = source.Size();
    FData.resize(static_cast<std::size_t>(n));
    source.ReadBuffer(FData.data(), n);
    FPosition = 0;
}

void TMemoryStream::SaveToStream(TStream& dest) const { dest.WriteBuffer(FData.data(), static_cast<int64_t>(FData.size())); }

void TMemoryStream::LoadFromFile(const std::string& path) {
    TFileStream f(path, TFileMode::fmOpenRead);
    LoadFromStream(f);
}

void TMemoryStream::SaveToFile(const std::string& path) const {
    TSafeFileStream f(path);
    SaveToStream(f);
    if (!f.Commit()) throw EWriteError("Stream write error");
}

// ---- TBytesStream

int64_t TBytesStream::Read(void* buffer, int64_t count) {
    if (count <= 0 || FPosition >= FSize) return 0;
    int64_t n = std::min(count, FSize - FPosition);
    std::memcpy(buffer, FData + FPosition, static_cast<std::size_t>(n));
    FPosition += n;
    return n;
}

int64_t TBytesStream::Write(const void*, int64_t) { return 0; }

int64_t TBytesStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? FPosition : FSize;
    FPosition = std::max<int64_t>(0, base + offset);
    return FPosition;
}

void TBytesStream::SetSize(int64_t) { throw EStreamError("Stream is read only"); }

// ---- TFileStream

#ifndef _WIN32
std::optional<int64_t> DiskFileSize(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<int64_t>(st.st_size);
}
#endif

std::FILE* OpenFileUtf8(const std::string& path, const char* mode) {
    if (mode[0] == 'r' && !DiskFileSize(path)) {
        errno = ENOENT;
        return nullptr;
    }
#ifdef _WIN32
    return _wfopen(Utf8ToWide(path).c_str(), Utf8ToWide(mode).c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

TFileStream::TFileStream(const std::string& path, TFileMode mode) {
    const char* m = mode == TFileMode::fmCreate ? "w+b" : mode == TFileMode::fmOpenRead ? "rb" : "r+b";
    FFile = OpenFileUtf8(path, m);
    if (!FFile) {
        throw EFOpenError(std::string(mode == TFileMode::fmCreate ? "Cannot create file \"" : "Cannot open file \"") +
                          path + "\"");
    }
}

TFileStream::~TFileStream() { Close(); }

bool TFileStream::Close() {
    if (!FFile) return true;
    bool ok = std::fclose(FFile) == 0;
    FFile = nullptr;
    return ok;
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    if (!FFile || count <= 0) return 0;
    return static_cast<int64_t>(std::fread(buffer, 1, static_cast<std::size_t>(count), FFile));
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    if (!FFile || count <= 0) return 0;
    return static_cast<int64_t>(std::fwrite(buffer, 1, static_cast<std::size_t>(count), FFile));
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    if (!FFile) return 0;
    int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET : origin == TSeekOrigin::soCurrent ? SEEK_CUR : SEEK_END;
#ifdef _WIN32
    _fseeki64(FFile, offset, whence);
    return _ftelli64(FFile);
#else
    fseeko(FFile, offset, whence);
    return ftello(FFile);
#endif
}

void TFileStream::SetSize(int64_t size) {
    if (!FFile) return;
    std::fflush(FFile);
#ifdef _WIN32
    bool ok = _chsize_s(_fileno(FFile), size) == 0;
#else
    bool ok = ftruncate(fileno(FFile), size) == 0;
#endif
    if (!ok) throw EWriteError("Stream write error");
}

bool FileExists(const std::string& path) {
#ifdef _WIN32
    struct _stat64 st;
    return _wstat64(Utf8ToWide(path).c_str(), &st) == 0 && (st.st_mode & _S_IFREG);
#else
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
#endif
}

bool DeleteFileUtf8(const std::string& path) {
#ifdef _WIN32
    return _wremove(Utf8ToWide(path).c_str()) == 0;
#else
    return std::remove(path.c_str()) == 0;
#endif
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out, int64_t maxBytes) {
    out.clear();
    const std::optional<int64_t> size = DiskFileSize(path);
    if (!size || *size > maxBytes) return false;
    std::FILE* f = OpenFileUtf8(path, "rb");
    if (!f) return false;
    out.resize(static_cast<std::size_t>(*size));
    const std::size_t n = out.empty() ? 0 : std::fread(out.data(), 1, out.size(), f);
    const bool ok = n == out.size() && !std::ferror(f);
    std::fclose(f);
    if (!ok) out.clear();
    return ok;
}

// ---- TSafeFileStream

namespace {
TSaveFileFactory& SaveFileFactory() {
    static TSaveFileFactory factory;
    return factory;
}
} // namespace

void SetSaveFileFactory(TSaveFileFactory factory) { SaveFileFactory() = std::move(factory); }

namespace {
std::string FolderOf(const std::string& path) {
#ifdef _WIN32
    const std::size_t slash = path.find_last_of("\\/");
#else
    const std::size_t slash = path.rfind('/');
#endif
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The longest path the platform's calls take (in its own units), and the length of a path there.
#ifdef _WIN32
constexpr std::size_t kLongestPath = 259;  // MAX_PATH without its terminating zero
std::size_t PathUnits(const std::string& path) { return Utf8ToWide(path).size(); }
#else
constexpr std::size_t kLongestPath = 4095;
std::size_t PathUnits(const std::string& path) { return path.size(); }
#endif
} // namespace

std::string UnusedNameIn(const std::string& folder) {
    static std::atomic<uint64_t> counter{0};
    static const uint64_t seed = (static_cast<uint64_t>(std::random_device{}()) << 32) ^ std::random_device{}();
    const std::size_t used = PathUnits(folder);
    // "~" and seven letters or digits and ".tmp"; without the extension and with fewer
    // letters where the path would not fit (never fewer than three).
    const std::size_t room = used < kLongestPath ? kLongestPath - used : 0;
    const std::size_t letters = room >= 12 ? 7 : std::max<std::size_t>(room, 4) - 1;
    const char* const digits = "0123456789abcdefghijklmnopqrstuvwxyz";
    for (int attempt = 0;; ++attempt) {
        uint64_t n = seed + 0x9E3779B97F4A7C15ull * ++counter;
        std::string name = "~";
        for (std::size_t i = 0; i < letters; ++i, n /= 36) name += digits[n % 36];
        if (room >= 12) name += ".tmp";
        if (!NameTaken(folder + name) || attempt >= 100) return folder + name;
    }
}

TSafeFileStream::TSafeFileStream(const std::string& path) : FPath(ResolveSaveTarget(path)) {
    if (FPath.empty() || RefusesWrites(FPath)) throw EFOpenError("Cannot create file \"" + path + "\"");
    // The file is created new, never opened: a name that turns out taken is given up for the next.
    const std::string folder = FolderOf(FPath);
    for (int attempt = 0;; ++attempt) {
        FTempPath = UnusedNameIn(folder);
        try {
            FFile = SaveFileFactory() ? SaveFileFactory()(FTempPath) : CreateSaveFile(FTempPath);
            return;
        } catch (const EFOpenError&) {
            if (attempt >= 100 || !NameTaken(FTempPath)) throw;
        }
    }
}

TSafeFileStream::~TSafeFileStream() {
    if (!FFile && !FFinished) return;
    FFile.reset();  // abandoned: closed unflushed, then removed
    DeleteFileUtf8(FTempPath);
}

int64_t TSafeFileStream::Read(void* buffer, int64_t count) {
    if (!FFile || count <= 0) return 0;
    const int64_t n = std::max<int64_t>(FFile->Read(buffer, count), 0);
    FPosition += n;
    return n;
}

int64_t TSafeFileStream::Write(const void* buffer, int64_t count) {
    if (!FFile || count <= 0) return 0;
    if (FFailed || !FFile->Write(buffer, count)) {
        FFailed = true;
        return 0;
    }
    FPosition += count;
    FExtent = std::max(FExtent, FPosition);
    return count;
}

int64_t TSafeFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    if (!FFile) return 0;
    FPosition = FFile->Seek(offset, origin);
    return FPosition;
}

void TSafeFileStream::SetSize(int64_t size) {
    if (!FFile) return;
    if (size < 0 || !FFile->SetSize(size)) {
        FFailed = true;
        throw EWriteError("Stream write error");
    }
    FExtent = size;
}

bool TSafeFileStream::Finish() {
    if (!FFile) return false;
    const bool closed = FFile->Close(FExtent);
    FFile.reset();
    FFinished = closed && !FFailed;
    if (!FFinished) DeleteFileUtf8(FTempPath);
    return FFinished;
}

// ---- the replace: old files aside, new files in, and everything put back on failure

namespace {
TReplaceStepHook& ReplaceStepHook() {
    static TReplaceStepHook hook;
    return hook;
}

std::mutex& LeftFilesLock() {
    static std::mutex lock;
    return lock;
}
TLeftFiles& LeftFiles() {
    static TLeftFiles left;
    return left;
}
void LeaveFiles(const std::string& newBytes, const std::string& oldBytes) {
    const std::lock_guard<std::mutex> hold(LeftFilesLock());
    if (!newBytes.empty()) LeftFiles().NewBytes.push_back(newBytes);
    if (!oldBytes.empty()) LeftFiles().OldBytes.push_back(oldBytes);
}

bool Step(TReplaceStep step, const std::string& target, const std::function<bool()>& action) {
    if (ReplaceStepHook() && !ReplaceStepHook()(step, target)) return false;
    return action();
}

bool ReadAll(const std::string& path, std::vector<uint8_t>& bytes) {
    return ReadWholeFile(path, bytes, std::numeric_limits<int64_t>::max());
}

// A copy of a file's bytes under a new name, checked on the disk.
bool CopyFileBytes(const std::string& from, const std::string& to) {
    std::vector<uint8_t> bytes;
    if (!ReadAll(from, bytes)) return false;
    try {
        std::unique_ptr<TSaveFile> f = CreateSaveFile(to);
        const bool written = f->Write(bytes.data(), static_cast<int64_t>(bytes.size()));
        if (f->Close(static_cast<int64_t>(bytes.size())) && written) return true;
    } catch (const EFOpenError&) {
        return false;
    }
    DeleteFileUtf8(to);
    return false;
}

// The new bytes of one target and where its old file waits.
struct TReplacement {
    TReplacement(std::string temp, std::string target) : Temp(std::move(temp)), Target(std::move(target)) {}
    std::string Temp;    // the finished new file
    std::string Target;
    std::string Backup;  // the old file (or the copy of its bytes) while the replace runs
    bool InPlace = false;  // the target has other names: the new bytes are written into it
    bool Aside = false;    // the old bytes are at Backup
    bool Touched = false;  // the target may hold new bytes
};

// Writes the new bytes of a file written in place into its target.
bool WriteBytesOf(const std::string& from, const std::string& target) {
    std::vector<uint8_t> bytes;
    return ReadAll(from, bytes) && WriteInPlace(target, bytes);
}

// Puts every old file back after a failed replace; what cannot be put back stays, named
// by TakeLeftFiles.
void PutBack(std::vector<TReplacement>& all) {
    for (auto e = all.rbegin(); e != all.rend(); ++e) {
        if (e->InPlace) {
            if (e->Touched && !Step(TReplaceStep::Back, e->Target, [&] { return WriteBytesOf(e->Backup, e->Target); })) {
                LeaveFiles(e->Temp, e->Backup);
                continue;
            }
        } else {
            if (e->Touched && !Step(TReplaceStep::Back, e->Target, [&] { return MoveFileUtf8(e->Target, e->Temp); })) {
                LeaveFiles("", e->Backup);  // the target shows the new bytes
                continue;
            }
            if (e->Aside && !Step(TReplaceStep::Back, e->Target, [&] { return MoveFileUtf8(e->Backup, e->Target); })) {
                LeaveFiles(e->Temp, e->Backup);  // no file at the target: both stay
                continue;
            }
        }
        if (e->Aside && e->InPlace) DeleteFileUtf8(e->Backup);
        DeleteFileUtf8(e->Temp);
    }
}

bool ReplaceAll(std::vector<TReplacement>& all) {
    for (TReplacement& e : all) {
        const TTargetState state = InspectTarget(e.Target);
        if (state.Folder) {
            for (TReplacement& d : all) DeleteFileUtf8(d.Temp);
            return false;
        }
        if (state.Exists) e.Backup = UnusedNameIn(FolderOf(e.Target));
        e.InPlace = state.Names > 1;
    }
    for (TReplacement& e : all) {
        if (e.Backup.empty()) continue;
        const bool aside = Step(TReplaceStep::Aside, e.Target, [&] {
            return e.InPlace ? CopyFileBytes(e.Target, e.Backup)
                             : TakeOverAttributes(e.Target, e.Temp) && MoveFileUtf8(e.Target, e.Backup);
        });
        if (!aside) {
            PutBack(all);
            return false;
        }
        e.Aside = true;
    }
    for (TReplacement& e : all) {
        e.Touched = e.InPlace;  // a write that fails half-way leaves part of the new bytes
        const bool in = Step(TReplaceStep::In, e.Target, [&] {
            return e.InPlace ? WriteBytesOf(e.Temp, e.Target) : MoveFileUtf8(e.Temp, e.Target);
        });
        if (!in) {
            PutBack(all);
            return false;
        }
        e.Touched = true;
    }
    for (TReplacement& e : all) {
        if (e.Aside) DeleteFileUtf8(e.Backup);
        if (e.InPlace) DeleteFileUtf8(e.Temp);
    }
    return true;
}
} // namespace

void SetReplaceStepHook(TReplaceStepHook hook) { ReplaceStepHook() = std::move(hook); }

TLeftFiles TakeLeftFiles() {
    const std::lock_guard<std::mutex> hold(LeftFilesLock());
    return std::exchange(LeftFiles(), TLeftFiles{});
}

bool TSafeFileStream::Replace() {
    if (!FFinished) return false;
    FFinished = false;
    std::vector<TReplacement> one{TReplacement(FTempPath, FPath)};
    return ReplaceAll(one);
}

bool TSafeFileStream::Commit() { return Finish() && Replace(); }

bool WriteFilesTogether(const std::vector<TFileBytes>& files) {
    std::vector<std::unique_ptr<TSafeFileStream>> written;
    for (const TFileBytes& f : files) {
        try {
            written.push_back(std::make_unique<TSafeFileStream>(f.Path));
        } catch (const EFOpenError&) {
            return false;  // the streams written so far remove their files
        }
        TSafeFileStream& s = *written.back();
        if (s.Write(f.Bytes.data(), static_cast<int64_t>(f.Bytes.size())) != static_cast<int64_t>(f.Bytes.size()))
            return false;
        if (!s.Finish()) return false;
    }
    std::vector<TReplacement> all;
    for (auto& s : written) {
        all.emplace_back(s->FTempPath, s->FPath);
        s->FFinished = false;  // the replace takes care of the file now
    }
    return ReplaceAll(all);
}

bool WriteFileSafely(const std::string& path, const std::function<void(TStream&)>& write) {
    std::unique_ptr<TSafeFileStream> f;
    try {
        f = std::make_unique<TSafeFileStream>(path);
    } catch (const EFOpenError&) {
        return false;
    }
    write(*f);
    return f->Commit();
}

bool WriteWholeFile(const std::string& path, const void* data, std::size_t size) {
    // A short write marks the stream failed, so Commit refuses it.
    return WriteFileSafely(path, [&](TStream& s) { s.Write(data, static_cast<int64_t>(size)); });
}

#ifndef _WIN32
std::string ResolveSaveTarget(const std::string& path) {
    std::string at = path;
    // Follows the links one by one, so that a link to a file not made yet names that file.
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
        std::vector<char> buf(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1);
        const ssize_t n = ::readlink(at.c_str(), buf.data(), buf.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= buf.size()) return "";
        std::string next(buf.data(), static_cast<std::size_t>(n));
        if (next[0] != '/') next = FolderOf(at) + next;
        at = next;
    }
    return "";  // still a link: a loop, never to be replaced by a file
}

bool NameTaken(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

bool RefusesWrites(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    // No write bit at all is read-only also for root, whom access() lets write anything.
    return (st.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0;
}

// ---- the save file on POSIX systems: unbuffered writes, fsync and the size on disk

namespace {
class TPosixSaveFile : public TSaveFile {
public:
    explicit TPosixSaveFile(const std::string& path) : FPath(path) {
        FHandle = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (FHandle < 0) throw EFOpenError("Cannot create file \"" + path + "\"");
    }
    ~TPosixSaveFile() override {
        if (FHandle >= 0) ::close(FHandle);
    }
    bool Write(const void* buffer, int64_t count) override {
        const auto* p = static_cast<const uint8_t*>(buffer);
        while (count > 0) {
            const ssize_t n = ::write(FHandle, p, static_cast<std::size_t>(std::min<int64_t>(count, 1 << 30)));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            p += n;
            count -= n;
        }
        return true;
    }
    int64_t Read(void* buffer, int64_t count) override {
        ssize_t n;
        do n = ::read(FHandle, buffer, static_cast<std::size_t>(std::min<int64_t>(count, 1 << 30)));
        while (n < 0 && errno == EINTR);
        return n < 0 ? 0 : n;
    }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override {
        const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET : origin == TSeekOrigin::soCurrent ? SEEK_CUR : SEEK_END;
        const off_t at = ::lseek(FHandle, offset, whence);
        return at < 0 ? ::lseek(FHandle, 0, SEEK_CUR) : at;
    }
    bool SetSize(int64_t size) override { return ::ftruncate(FHandle, size) == 0; }
    bool Close(int64_t size) override {
        if (FHandle < 0) return false;
        bool ok = ::fsync(FHandle) == 0;
        ok = ::close(FHandle) == 0 && ok;
        FHandle = -1;
        struct stat st;
        return ok && ::stat(FPath.c_str(), &st) == 0 && st.st_size == size;
    }

private:
    std::string FPath;
    int FHandle = -1;
};
} // namespace

std::unique_ptr<TSaveFile> CreateSaveFile(const std::string& path) { return std::make_unique<TPosixSaveFile>(path); }

TTargetState InspectTarget(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return {};
    return {true, S_ISDIR(st.st_mode), static_cast<uint32_t>(st.st_nlink)};
}

bool TakeOverAttributes(const std::string& oldFile, const std::string& newFile) {
    struct stat st;
    if (::stat(oldFile.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return true;
    // The new file takes the old one's owner where this process may give it (root), and its mode.
    if (::chown(newFile.c_str(), st.st_uid, st.st_gid) != 0) { /* another owner is not ours to give */ }
    return ::chmod(newFile.c_str(), st.st_mode & 07777) == 0;
}

bool MoveFileUtf8(const std::string& from, const std::string& to) {
    return !NameTaken(to) && std::rename(from.c_str(), to.c_str()) == 0;
}

bool WriteInPlace(const std::string& path, const std::vector<uint8_t>& bytes) {
    const int h = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (h < 0) return false;
    bool ok = true;
    for (std::size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(h, bytes.data() + done, std::min<std::size_t>(bytes.size() - done, 1 << 30));
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<std::size_t>(n);
    }
    ok = ok && ::ftruncate(h, static_cast<off_t>(bytes.size())) == 0 && ::fsync(h) == 0;
    struct stat st;
    ok = ok && ::fstat(h, &st) == 0 && st.st_size == static_cast<off_t>(bytes.size());
    return ::close(h) == 0 && ok;
}
#endif
