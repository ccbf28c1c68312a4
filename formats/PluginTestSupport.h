#pragma once
// Paths of the programs the build makes for the Windows tests (test plug-ins, the icon
// host), and small file helpers, as Wine sees them.
#include <windows.h>

#include <string>
#include <vector>

#include "base/Text.h"
#include "formats/CorpusTestSupport.h"
// The module of one test plug-in variant ("full", "nopicture", "noinfo", "failing", "crashing",
// "selfguarded").
inline std::string TestPlugin(const std::string& variant) {
    return WinePath(std::string(TAMSOLO_TEST_PLUGINS) + "/" + variant + "/testspi_" + variant + ".spi");
}
inline std::string IconHostPath() { return WinePath(TAMSOLO_ICONHOST); }

// Deletes a folder with everything in it (files and folders only; never follows anything else).
inline void DeleteTree(const std::wstring& dir) {
    WIN32_FIND_DATAW f;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &f);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = f.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = dir + L"\\" + name;
            if ((f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(f.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                DeleteTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(h, &f));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
}

// A fresh, empty folder under the temporary folder.
inline std::string FreshFolder(const std::string& leaf) {
    wchar_t buf[MAX_PATH];
    const DWORD n = GetTempPathW(MAX_PATH, buf);
    if (n == 0 || n >= MAX_PATH || leaf.empty() || leaf.find_first_of("\\/.") != std::string::npos) return "";
    const std::string dir = WideToUtf8(buf) + leaf;
    DeleteTree(Utf8ToWide(dir));
    CreateDirectoryW(Utf8ToWide(dir).c_str(), nullptr);
    return dir;
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    HANDLE f = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
}
// A picture file the test plug-ins read: "TSPI", width, height.
inline std::string WriteTestPicture(const std::string& path, int width, int height) {
    WriteBytes(path, {'T', 'S', 'P', 'I', static_cast<uint8_t>(width), static_cast<uint8_t>(height)});
    return path;
}
// The colour of pixel (x, y) as the test plug-ins draw it.
inline uint8_t TestPictureIndex(int x, int y) { return static_cast<uint8_t>((7 * x + 3 * y) & 255); }
