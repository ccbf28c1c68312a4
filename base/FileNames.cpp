#include "base/FileNames.h"

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
