// The Windows side of the whole-file save: the temporary file, written through the system's
// own file calls with every write checked, flushed to the disk and measured there before
// it replaces the target in one move. (The C runtime's buffered writes and its fclose can
// report success for bytes that never reached a full disk.)
#include <windows.h>

#include <algorithm>

#include "Exception.h"
#include "Stream.h"
#include "Text.h"

bool ReplaceFileUtf8(const std::string& from, const std::string& to) {
    return MoveFileExW(Utf8ToWide(from).c_str(), Utf8ToWide(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

namespace {

class TWinSaveFile : public TSaveFile {
public:
    explicit TWinSaveFile(const std::string& path) : FPath(Utf8ToWide(path)) {
        FHandle = CreateFileW(FPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
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
