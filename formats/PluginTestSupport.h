#pragma once
// Paths of the programs the build makes for the Windows tests (test plug-ins, the icon
// host), and small file helpers, as Wine sees them.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "base/Text.h"

inline std::string WineSidePath(std::string unixPath) {
    for (char& c : unixPath)
        if (c == '/') c = '\\';
    return "Z:" + unixPath;
}
// The module of one test plug-in variant ("full", "nopicture", "noinfo", "failing", "crashing").
inline std::string TestPlugin(const std::string& variant) {
    return WineSidePath(std::string(TAMSOLO_TEST_PLUGINS) + "/" + variant + "/testspi_" + variant + ".spi");
}
inline std::string IconHostPath() { return WineSidePath(TAMSOLO_ICONHOST); }

// A fresh folder under the temporary folder.
inline std::string FreshFolder(const std::string& leaf) {
    wchar_t buf[MAX_PATH];
    GetTempPathW(MAX_PATH, buf);
    const std::string dir = WideToUtf8(buf) + leaf;
    SHFILEOPSTRUCTW op{};
    std::wstring from = Utf8ToWide(dir);
    from.push_back(L'\0');
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
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
