#pragma once
// Files the program writes for a moment: they live in the user's temporary folder,
// never beside the user's files or the program, and go when the scope ends.
#include <windows.h>

#include <string>
#include <utility>

#include "base/Exception.h"
#include "base/Stream.h"
#include "base/Text.h"

// The user's temporary folder, ending with a backslash; empty when Windows gives none.
inline std::string TempFolderPath() {
    wchar_t buf[MAX_PATH + 1] = {};
    DWORD n = GetTempPathW(MAX_PATH + 1, buf);
    return n > 0 && n <= MAX_PATH ? U(std::wstring(buf, n)) : std::string();
}

// What a temporary file says when Windows gives no temporary folder.
inline constexpr const char* kNoTempFolder = "一時フォルダが見つからないため, 一時ファイルを作成できませんでした。";

// Deletes a temporary file when the scope ends.
class TTemporaryFile {
public:
    // name: the file name in the temporary folder. Without a temporary folder it throws
    // EFOpenError (kNoTempFolder) and never falls back to the current folder.
    explicit TTemporaryFile(const std::string& name) : FPath(PathIn(TempFolderPath(), name)) {}
    ~TTemporaryFile() { DeleteFileUtf8(FPath); }
    TTemporaryFile(const TTemporaryFile&) = delete;
    TTemporaryFile& operator=(const TTemporaryFile&) = delete;
    const std::string& Path() const { return FPath; }

private:
    static std::string PathIn(const std::string& folder, const std::string& name) {
        if (folder.empty()) throw EFOpenError(kNoTempFolder);
        return folder + name;
    }
    std::string FPath;
};
