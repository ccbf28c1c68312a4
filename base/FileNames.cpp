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
