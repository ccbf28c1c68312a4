// The Windows side of the whole-file save: the temporary file, created new and written
// through the system's own file calls with every write checked, flushed to the disk and
// measured there before it takes the target's place in one step. (The C runtime's buffered writes and its fclose can
// report success for bytes that never reached a full disk.)
#include <windows.h>

#include <algorithm>

#include "Exception.h"
#include "Stream.h"
#include "Text.h"

namespace {
// What a replaced file keeps of its attributes where the system's replace drops them.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
} // namespace

bool ReplaceFileUtf8(const std::string& from, const std::string& to) {
    const std::wstring source = Utf8ToWide(from), target = Utf8ToWide(to);
    const auto move = [&] {
        return MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    };
    const DWORD old = GetFileAttributesW(target.c_str());
    if (old == INVALID_FILE_ATTRIBUTES || (old & FILE_ATTRIBUTE_DIRECTORY)) return move();
    // The target's directory entry stays, with its attributes, security and creation time.
    if (!ReplaceFileW(target.c_str(), source.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        // The old file is gone already and the new one still has its temporary name: it
        // must still take the target's name, or the caller's clean-up would lose both.
        return GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT && move();
    }
    const DWORD now = GetFileAttributesW(target.c_str());
    if (now != INVALID_FILE_ATTRIBUTES && (now & kKeptAttributes) != (old & kKeptAttributes))
        SetFileAttributesW(target.c_str(), (now & ~kKeptAttributes) | (old & kKeptAttributes));
    return true;
}

std::string ResolveSaveTarget(const std::string& path) {
    // The name the system finds for the file a link leads to; a file not there yet is its own name.
    const HANDLE h = CreateFileW(Utf8ToWide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return path;
    std::wstring name(32768, L'\0');
    const DWORD n = GetFinalPathNameByHandleW(h, name.data(), static_cast<DWORD>(name.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(h);
    if (n == 0 || n >= name.size()) return path;
    name.resize(n);
    if (name.rfind(L"\\\\?\\UNC\\", 0) == 0)
        name = L"\\\\" + name.substr(8);
    else if (name.rfind(L"\\\\?\\", 0) == 0)
        name = name.substr(4);
    return WideToUtf8(name);
}

bool NameTaken(const std::string& path) { return GetFileAttributesW(Utf8ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

bool RefusesWrites(const std::string& path) {
    const std::wstring name = Utf8ToWide(path);
    const DWORD a = GetFileAttributesW(name.c_str());
    if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY)) return false;
    if (a & FILE_ATTRIBUTE_READONLY) return true;
    // Opened for writing as it stands (nothing in it changes): a file this user may not write is refused.
    const HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        return false;
    }
    return GetLastError() == ERROR_ACCESS_DENIED;
}

namespace {

class TWinSaveFile : public TSaveFile {
public:
    explicit TWinSaveFile(const std::string& path) : FPath(Utf8ToWide(path)) {
        FHandle = CreateFileW(FPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_ARCHIVE, nullptr);
        if (FHandle == INVALID_HANDLE_VALUE) throw EFOpenError("Cannot create file \"" + path + "\"");
    }
    ~TWinSaveFile() override {
        if (FHandle != INVALID_HANDLE_VALUE) CloseHandle(FHandle);
    }

    bool Write(const void* buffer, int64_t count) override {
        const auto* p = static_cast<const uint8_t*>(buffer);
        while (count > 0) {
            const DWORD n = static_cast<DWORD>(std::min<int64_t>(count, 1 << 30));
            DWORD done = 0;
            if (!WriteFile(FHandle, p, n, &done, nullptr) || done != n) return false;
            p += n;
            count -= n;
        }
        return true;
    }

    int64_t Read(void* buffer, int64_t count) override {
        DWORD done = 0;
        if (!ReadFile(FHandle, buffer, static_cast<DWORD>(std::min<int64_t>(count, 1 << 30)), &done, nullptr))
            return 0;
        return done;
    }

    int64_t Seek(int64_t offset, TSeekOrigin origin) override {
        const DWORD method = origin == TSeekOrigin::soBeginning ? FILE_BEGIN
                             : origin == TSeekOrigin::soCurrent ? FILE_CURRENT
                                                                : FILE_END;
        LARGE_INTEGER to, at{};
        to.QuadPart = offset;
        if (!SetFilePointerEx(FHandle, to, &at, method)) {
            to.QuadPart = 0;
            SetFilePointerEx(FHandle, to, &at, FILE_CURRENT);
        }
        return at.QuadPart;
    }

    bool SetSize(int64_t size) override {
        LARGE_INTEGER zero{}, here{}, to;
        to.QuadPart = size;
        if (!SetFilePointerEx(FHandle, zero, &here, FILE_CURRENT)) return false;
        bool ok = SetFilePointerEx(FHandle, to, nullptr, FILE_BEGIN) && SetEndOfFile(FHandle);
        return SetFilePointerEx(FHandle, here, nullptr, FILE_BEGIN) && ok;
    }

    bool Close(int64_t size) override {
        if (FHandle == INVALID_HANDLE_VALUE) return false;
        bool ok = FlushFileBuffers(FHandle) != 0;
        ok = CloseHandle(FHandle) && ok;
        FHandle = INVALID_HANDLE_VALUE;
        // The size the disk now holds, read back by name.
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!ok || !GetFileAttributesExW(FPath.c_str(), GetFileExInfoStandard, &data)) return false;
        const int64_t onDisk = (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        return onDisk == size;
    }

private:
    std::wstring FPath;
    HANDLE FHandle = INVALID_HANDLE_VALUE;
};

} // namespace

std::unique_ptr<TSaveFile> CreateSaveFile(const std::string& path) { return std::make_unique<TWinSaveFile>(path); }
