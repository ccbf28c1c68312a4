#include "system/CursorSchemes.h"

#include <algorithm>
#include <utility>

const std::array<const char*, kCursorRoleCount> CursorRoleNames = {
    "Arrow",  "Help",   "AppStarting", "Wait",     "Crosshair", "IBeam",   "NWPen", "No",
    "SizeNS", "SizeWE", "SizeNWSE",    "SizeNESW", "SizeAll",   "UpArrow", "Hand",
};

const std::array<const char*, kCursorRoleCount> kCursorRoleLines = {
    "通常の選択         《Arrow》",
    "ヘルプの選択       《Help》",
    "ﾊﾞｯｸｸﾞﾗｳﾝﾄﾞで作業中《AppStarting》",
    "待ち状態           《HourGlass(Wait)》",
    "領域選択           《Cross》",
    "ﾃｷｽﾄ選択           《IBeam》",
    "手書き             《Pen》",
    "利用不可           《No》",
    "上下に拡大/縮小    《SizeNS》",
    "左右に拡大縮小     《SizeWE》",
    "斜めに拡大縮小1    《SizeNWSE》",
    "斜めに拡大縮小2    《SizeNESW》",
    "移動               《SizeAll》",
    "代替選択           《UpArrow》",
    "リンクの選択       《HandPoint》",
};

const char* const kNoSchemeName = "(なし)";

namespace {
char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
} // namespace

bool SameSchemeName(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

int FindSchemeName(const std::vector<std::string>& names, const std::string& name) {
    for (std::size_t i = 0; i < names.size(); ++i)
        if (SameSchemeName(names[i], name)) return static_cast<int>(i);
    return -1;
}

std::string JoinSchemeFiles(const std::vector<std::string>& files) {
    std::string out;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (i > 0) out += ',';
        out += files[i];
    }
    return out;
}

TSchemeFields SplitSchemeValue(const std::string& value) {
    TSchemeFields out;
    std::size_t start = 0;
    for (;;) {
        if (out.Files.size() == static_cast<std::size_t>(kCursorRoleCount)) break;
        std::size_t comma = value.find(',', start);
        out.Files.push_back(value.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    int missing = kCursorRoleCount - static_cast<int>(out.Files.size());
    out.MissingReported = missing > 1 ? missing - 1 : 0;
    out.Files.resize(static_cast<std::size_t>(kCursorRoleCount));
    return out;
}

bool IsExpandableText(const std::string& text) { return text.find('%') != std::string::npos; }

void TCursorSchemes::Load(std::vector<std::string> names, std::vector<std::string> values, const std::string& active,
                          std::vector<std::string> roleFiles) {
    values.resize(names.size());
    FNames = std::move(names);
    FValues = std::move(values);
    roleFiles.resize(static_cast<std::size_t>(kCursorRoleCount));
    FFiles = std::move(roleFiles);
    FUndoFiles = FFiles;
    FText = active.empty() ? kNoSchemeName : active;
    FPrevScheme = FText;
    FDropDownScheme = FText;
}

bool TCursorSchemes::SelectScheme(const std::string& text, int& missingReported) {
    FText = text;
    int i = FindSchemeName(FNames, text);
    if (i < 0) return false;
    TSchemeFields fields = SplitSchemeValue(FValues[static_cast<std::size_t>(i)]);
    FPrevScheme = FDropDownScheme;
    FUndoFiles = FFiles;
    FFiles = std::move(fields.Files);
    missingReported = fields.MissingReported;
    return true;
}

TCursorSchemes::TAddCheck TCursorSchemes::CanAdd() const {
    if (FText.empty() || FText == kNoSchemeName) return TAddCheck::NoName;
    if (FindSchemeName(FNames, FText) >= 0) return TAddCheck::Exists;
    return TAddCheck::Ok;
}

void TCursorSchemes::Add() {
    FNames.push_back(FText);
    FValues.push_back(JoinSchemeFiles(FFiles));
}

void TCursorSchemes::Delete() {
    int i = FindSchemeName(FNames, FText);
    if (i < 0) return;
    FNames.erase(FNames.begin() + i);
    FValues.erase(FValues.begin() + i);
    FText = kNoSchemeName;
}

void TCursorSchemes::Undo() {
    std::swap(FText, FPrevScheme);
    std::swap(FFiles, FUndoFiles);
}

void TCursorSchemes::KeepUndo() {
    FPrevScheme = FText;
    FUndoFiles = FFiles;
}

void TCursorSchemes::SetFile(int role, const std::string& file) {
    KeepUndo();
    FFiles.at(static_cast<std::size_t>(role)) = file;
}

std::string TCursorSchemes::ActiveNameToStore() const {
    int i = FindSchemeName(FNames, FText);
    return i < 0 ? std::string() : FNames[static_cast<std::size_t>(i)];
}

std::vector<int> TCursorSchemes::RolesToStore(const std::vector<std::string>& stored) const {
    std::vector<int> out;
    for (int role = 0; role < kCursorRoleCount; ++role) {
        std::size_t r = static_cast<std::size_t>(role);
        const std::string old = r < stored.size() ? stored[r] : std::string();
        if (old != FFiles[r]) out.push_back(role);
    }
    return out;
}

TSchemeStorePlan TCursorSchemes::SchemesToStore(const std::map<std::string, std::string>& stored) const {
    TSchemeStorePlan plan;
    for (std::size_t i = 0; i < FNames.size(); ++i) {
        auto found = std::find_if(stored.begin(), stored.end(),
                                  [&](const auto& s) { return SameSchemeName(s.first, FNames[i]); });
        if (found == stored.end() || found->second != FValues[i]) plan.Write.emplace_back(FNames[i], FValues[i]);
    }
    for (const auto& s : stored)
        if (FindSchemeName(FNames, s.first) < 0) plan.Delete.push_back(s.first);
    return plan;
}
