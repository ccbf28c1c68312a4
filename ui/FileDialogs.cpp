#include "ui/FileDialogs.h"

#include <commdlg.h>

#include "base/SystemLibrary_win.h"

namespace {
TFileDialogHook& Hook() {
    static TFileDialogHook hook;
    return hook;
}
constexpr DWORD kBufferChars = 64 * 1024;
} // namespace

void SetFileDialogHook(TFileDialogHook hook) { Hook() = std::move(hook); }

std::wstring SystemFilterText(const std::string& filter) {
    std::wstring w = W(filter);
    for (wchar_t& c : w)
        if (c == L'|') c = L'\0';
    w.push_back(L'\0');
    w.push_back(L'\0');
    return w;
}

std::vector<std::string> SplitMultiSelection(const wchar_t* buffer) {
    std::vector<std::string> files;
    std::wstring first = buffer;
    const wchar_t* p = buffer + first.size() + 1;
    if (first.empty()) return files;
    if (*p == L'\0') {
        files.push_back(U(first));
        return files;
    }
    std::wstring folder = first;
    if (folder.back() != L'\\') folder.push_back(L'\\');
    while (*p) {
        std::wstring name = p;
        files.push_back(U(folder + name));
        p += name.size() + 1;
    }
    return files;
}

bool TFileDialog::Execute(HWND owner) {
    if (Hook()) {
        Files.clear();
        bool ok = Hook()(*this);
        if (ok && Files.empty() && !FileName.empty()) Files.push_back(FileName);
        if (ok && FileName.empty() && !Files.empty()) FileName = Files.front();
        return ok;
    }
    std::wstring filter = SystemFilterText(Filter);
    std::wstring title = W(Title), dir = W(InitialDir), ext = W(DefaultExt);
    std::vector<wchar_t> buffer(kBufferChars, L'\0');
    std::wstring offered = W(FileName);
    if (offered.size() < kBufferChars) std::copy(offered.begin(), offered.end(), buffer.begin());

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(FilterIndex);
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = kBufferChars;
    ofn.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR;
    if (MultiSelect) ofn.Flags |= OFN_ALLOWMULTISELECT;
    if (FileMustExist) ofn.Flags |= OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    if (OverwritePrompt) ofn.Flags |= OFN_OVERWRITEPROMPT;
    if (HideReadOnly) ofn.Flags |= OFN_HIDEREADONLY;
    const BOOL ok = Kind == TFileDialogKind::Open ? Comdlg32().GetOpenFileName(&ofn) : Comdlg32().GetSaveFileName(&ofn);
    if (!ok) return false;
    Files = MultiSelect ? SplitMultiSelection(buffer.data()) : std::vector<std::string>{U(buffer.data())};
    if (Files.empty()) return false;
    FileName = Files.front();
    FilterIndex = static_cast<int>(ofn.nFilterIndex);
    return true;
}
