// Shift-JIS conversion through the system's code page 932 tables.
#include "Text.h"

#include <windows.h>

std::string SjisToUtf8(const std::string& sjis) {
    if (sjis.empty()) return {};
    int n = MultiByteToWideChar(932, 0, sjis.data(), static_cast<int>(sjis.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(932, 0, sjis.data(), static_cast<int>(sjis.size()), w.data(), n);
    return WideToUtf8(w);
}

std::string Utf8ToSjis(const std::string& utf8) {
    if (utf8.empty()) return {};
    std::wstring w = Utf8ToWide(utf8);
    int n = WideCharToMultiByte(932, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, "?", nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(932, 0, w.data(), static_cast<int>(w.size()), out.data(), n, "?", nullptr);
    return out;
}
