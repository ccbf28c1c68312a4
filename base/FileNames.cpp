#include "base/FileNames.h"

#include <algorithm>

bool IsValidFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (unsigned char c : name)
        if (c < 0x20 || std::string("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string::npos) return false;
    char last = name.back();
    return last != ' ' && last != '.';
}

std::string ProposeNewFolderName(const std::function<bool(const std::string& name)>& exists) {
    const std::string base = "新しいフォルダ";
    if (!exists(base)) return base;
    for (int i = 1; i <= 98; ++i) {
        std::string name = base + "(" + std::to_string(i) + ")";
        if (!exists(name)) return name;
    }
    return base + "(99)";
}

std::size_t TypedPathLength(const std::wstring& folder, const std::wstring& typed) {
    const auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    if (typed.size() >= 2 && typed[1] == L':') return typed.size();                       // C:\… (or C:name)
    if (typed.size() >= 2 && separator(typed[0]) && separator(typed[1])) return typed.size();  // \\server\…
    if (!typed.empty() && separator(typed[0])) {
        // The root of the folder's drive: "C:" or "\\server\share".
        std::size_t drive = folder.size() >= 2 && folder[1] == L':' ? 2 : 0;
        if (folder.size() >= 2 && separator(folder[0]) && separator(folder[1])) {
            std::size_t at = folder.find_first_of(L"\\/", 2);
            if (at != std::wstring::npos) at = folder.find_first_of(L"\\/", at + 1);
            drive = at == std::wstring::npos ? folder.size() : at;
        }
        return drive + typed.size();
    }
    const bool ends = !folder.empty() && separator(folder.back());
    return folder.size() + (folder.empty() || ends ? 0 : 1) + typed.size();
}

namespace {
std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

bool IsDosDevice(const std::string& stem) {
    const std::string name = Upper(stem);
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (name == device) return true;
    if (name.size() < 4 || (name.compare(0, 3, "COM") != 0 && name.compare(0, 3, "LPT") != 0)) return false;
    const std::string digit = name.substr(3);
    return (digit.size() == 1 && digit[0] >= '0' && digit[0] <= '9') || digit == "\xC2\xB9" || digit == "\xC2\xB2" ||
           digit == "\xC2\xB3";
}
} // namespace

bool IsDeviceName(const std::string& path) {
    std::string p = path;
    std::replace(p.begin(), p.end(), '/', '\\');
    if (p.rfind("\\\\.\\", 0) == 0) return true;  // the device namespace itself
    if (p.rfind("\\\\?\\", 0) == 0 || p.rfind("\\??\\", 0) == 0) {
        // The long form names files (\\?\C:\..., \\?\UNC\..., Wine's \\?\unix\...) unless
        // it reaches into the object namespace or its first component is a device or a pipe.
        const std::string rest = p.substr(4);
        const std::string first = Upper(rest.substr(0, rest.find('\\')));
        if (first == "GLOBALROOT" || first == "PIPE" || first == "MAILSLOT" || IsDosDevice(first)) return true;
    }
    while (!p.empty() && (p.back() == ' ' || p.back() == ':')) p.pop_back();
    const std::size_t slash = p.find_last_of("\\:");
    std::string stem = p.substr(slash == std::string::npos ? 0 : slash + 1);
    stem = stem.substr(0, stem.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    return IsDosDevice(stem);
}
