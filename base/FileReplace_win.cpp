// The Windows side of the whole-file save: the temporary file, created new and written
// through the system's own file calls with every write checked, flushed to the disk and
// measured there, and the steps that put it in the target's place: the old file moved to a
// backup name and the new one moved in by MoveFileExW (the system's ReplaceFileW can lose
// the old file when its second move fails, and under Wine leaves a file of its own behind
// when its first one does), the attributes, security and creation time taken over first.
// (The C runtime's buffered writes and its fclose can report success for bytes that never
// reached a full disk.)
#include <windows.h>

#include <algorithm>
#include <vector>

#include "Exception.h"
#include "Stream.h"
#include "Text.h"

namespace {
// What a replaced file keeps of its attributes.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
} // namespace

bool TakeOverAttributes(const std::string& oldFile, const std::string& newFile) {
    const std::wstring from = Utf8ToWide(oldFile), to = Utf8ToWide(newFile);
    const DWORD old = GetFileAttributesW(from.c_str());
    if (old == INVALID_FILE_ATTRIBUTES || (old & FILE_ATTRIBUTE_DIRECTORY)) return true;
    // As the system's own replace does, what cannot be carried over is left: the bytes matter most.
    const HANDLE source = CreateFileW(from.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (source != INVALID_HANDLE_VALUE) {
        FILETIME created{};
        const bool known = GetFileTime(source, &created, nullptr, nullptr) != 0;
        CloseHandle(source);
        const HANDLE target = CreateFileW(to.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (target != INVALID_HANDLE_VALUE) {
            if (known) SetFileTime(target, &created, nullptr, nullptr);
            CloseHandle(target);
        }
    }
    DWORD need = 0;
    GetFileSecurityW(from.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &need);
    if (need > 0) {
        std::vector<BYTE> security(need);
        if (GetFileSecurityW(from.c_str(), DACL_SECURITY_INFORMATION, security.data(), need, &need))
            SetFileSecurityW(to.c_str(), DACL_SECURITY_INFORMATION, security.data());
    }
    const DWORD now = GetFileAttributesW(to.c_str());
    if (now != INVALID_FILE_ATTRIBUTES && (now & kKeptAttributes) != (old & kKeptAttributes)) {
        const DWORD wanted = (now & ~kKeptAttributes) | (old & kKeptAttributes);
        SetFileAttributesW(to.c_str(), wanted ? wanted : FILE_ATTRIBUTE_NORMAL);
    }
    return true;
}

bool MoveFileUtf8(const std::string& from, const std::string& to) {
    return MoveFileExW(Utf8ToWide(from).c_str(), Utf8ToWide(to).c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

bool WriteInPlace(const std::string& path, const std::vector<uint8_t>& bytes) {
    const HANDLE h = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    for (std::size_t done = 0; ok && done < bytes.size();) {
        const DWORD n = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 30));
        DWORD wrote = 0;
        ok = WriteFile(h, bytes.data() + done, n, &wrote, nullptr) && wrote == n;
        done += wrote;
    }
    LARGE_INTEGER size{};
    ok = ok && SetEndOfFile(h) && FlushFileBuffers(h) && GetFileSizeEx(h, &size) &&
         size.QuadPart == static_cast<LONGLONG>(bytes.size());
    return CloseHandle(h) && ok;
}

TTargetState InspectTarget(const std::string& path) {
    const std::wstring name = Utf8ToWide(path);
    const DWORD a = GetFileAttributesW(name.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return {};
    TTargetState state{true, (a & FILE_ATTRIBUTE_DIRECTORY) != 0, 1};
    const HANDLE h = CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        BY_HANDLE_FILE_INFORMATION info{};
        if (GetFileInformationByHandle(h, &info)) state.Names = info.nNumberOfLinks;
        CloseHandle(h);
    }
    return state;
}

namespace {
// Whether a name that no call can open is still taken: a link whose file is missing
// (the system shows it as a reparse point; Wine hides it from every call but the one that
// creates a file there, which finds the name taken).
bool NameHeldByALink(const std::wstring& name) {
    const DWORD a = GetFileAttributesW(name.c_str());
    if (a != INVALID_FILE_ATTRIBUTES) return (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    const HANDLE probe = CreateFileW(name.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);  // the name was free; the probe goes with its handle
        return false;
    }
    const DWORD error = GetLastError();
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}
} // namespace

std::string ResolveSaveTarget(const std::string& path) {
    // The name the system finds for the file a link leads to; a file not there yet is its own name.
    const std::wstring wide = Utf8ToWide(path);
    const HANDLE h = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_CANT_RESOLVE_FILENAME) return "";  // a loop of links
        if (error == ERROR_FILE_NOT_FOUND && NameHeldByALink(wide)) return "";
        return path;
    }
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
