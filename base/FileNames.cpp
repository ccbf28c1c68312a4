#include "base/FileNames.h"

#include <algorithm>
#include <cctype>

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
    if (p.rfind("\\\\.\\", 0) == 0 || p.rfind("\\\\?\\", 0) == 0 || p.rfind("\\??\\", 0) == 0) {
        // The long-path form of a drive or share names files; every other name there is a device's.
        const std::string rest = Upper(p.substr(4));
        const bool drive = p[2] != '.' && rest.size() >= 3 && std::isalpha(static_cast<unsigned char>(rest[0])) &&
                           rest[1] == ':' && rest[2] == '\\';
        const bool share = p[2] != '.' && rest.rfind("UNC\\", 0) == 0;
        if (!drive && !share) return true;
    }
    while (!p.empty() && (p.back() == ' ' || p.back() == ':')) p.pop_back();
    const std::size_t slash = p.find_last_of("\\:");
    std::string stem = p.substr(slash == std::string::npos ? 0 : slash + 1);
    stem = stem.substr(0, stem.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    return IsDosDevice(stem);
}
