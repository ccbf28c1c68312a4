#include "ui/FileDialogs.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>

#include "base/FileNames.h"
#include "base/SystemLibrary_win.h"
#include "ui/Dialogs.h"

namespace {
TFileDialogHook& Hook() {
    static TFileDialogHook hook;
    return hook;
}
constexpr DWORD kBufferChars = 64 * 1024;

// Under Wine the name box never takes more than fits in a path of MAX_PATH characters,
// measured as the path it becomes (beside the folder shown, or a full path as typed): Wine's
// dialog builds the path in a buffer of that size on OK, and a longer one overruns it. A
// longer name put there other than by typing (the name offered, a file picked) is refused on
// OK with a message, and the dialog stays open. Windows' own dialog has no such buffer, and
// a hooked dialog would show there in its older style, so the guard is installed only under
// Wine.
const char* const kNameTooLong = "ファイル名が長すぎます。";
constexpr UINT_PTR kSubclassId = 0x7A5F;

HWND NameEdit(HWND dialog) {
    if (HWND box = GetDlgItem(dialog, cmb13)) {
        if (HWND edit = reinterpret_cast<HWND>(SendMessageW(box, CBEM_GETEDITCONTROL, 0, 0))) return edit;
        if (HWND edit = FindWindowExW(box, nullptr, L"Edit", nullptr)) return edit;
    }
    return GetDlgItem(dialog, edt1);
}

std::wstring TextOf(HWND edit) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Characters the name box may hold for what it holds now, in the folder the dialog shows,
// with room kept for the default extension (reserve characters).
int NameRoom(HWND dialog, HWND edit, int reserve) {
    std::vector<wchar_t> folder(MAX_PATH, L'\0');
    LRESULT n = SendMessageW(dialog, CDM_GETFOLDERPATH, folder.size(), reinterpret_cast<LPARAM>(folder.data()));
    if (n > static_cast<LRESULT>(folder.size())) {
        folder.assign(static_cast<std::size_t>(n), L'\0');
        n = SendMessageW(dialog, CDM_GETFOLDERPATH, folder.size(), reinterpret_cast<LPARAM>(folder.data()));
    }
    const std::wstring shown = n > 0 ? std::wstring(folder.data()) : std::wstring();
    const std::wstring text = TextOf(edit);
    const int before = static_cast<int>(TypedPathLength(shown, text) - text.size());  // what the dialog puts before it
    return std::max(1, MAX_PATH - 1 - before - reserve);
}

void LimitName(HWND dialog, int reserve) {
    if (HWND edit = NameEdit(dialog))
        SendMessageW(edit, EM_SETLIMITTEXT, static_cast<WPARAM>(NameRoom(dialog, edit, reserve)), 0);
}

LRESULT CALLBACK GuardedDialog(HWND dialog, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR reserve) {
    if (msg == WM_COMMAND && LOWORD(wp) == IDOK) {
        HWND edit = NameEdit(dialog);
        if (edit && GetWindowTextLengthW(edit) > NameRoom(dialog, edit, static_cast<int>(reserve))) {
            std::wstring title(256, L'\0');
            title.resize(static_cast<std::size_t>(GetWindowTextW(dialog, title.data(), static_cast<int>(title.size()))));
            ShowMessageBox(dialog, kNameTooLong, U(title), MB_OK | MB_ICONWARNING);
            SetFocus(edit);
            SendMessageW(edit, EM_SETSEL, 0, -1);
            return 0;
        }
    } else if (msg == WM_COMMAND && ((LOWORD(wp) == cmb13 && HIWORD(wp) == CBN_EDITCHANGE) ||
                                     (LOWORD(wp) == edt1 && HIWORD(wp) == EN_CHANGE))) {
        LimitName(dialog, static_cast<int>(reserve));  // a full path being typed has the room of a whole path
    } else if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(dialog, GuardedDialog, kSubclassId);
    }
    return DefSubclassProc(dialog, msg, wp, lp);
}

// The hook's own (empty) child dialog keeps the room its parent's default extension needs.
UINT_PTR CALLBACK DialogHook(HWND child, UINT msg, WPARAM, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        const auto* ofn = reinterpret_cast<const OPENFILENAMEW*>(lp);
        const LONG_PTR reserve = ofn->lpstrDefExt && *ofn->lpstrDefExt ? 1 + static_cast<LONG_PTR>(wcslen(ofn->lpstrDefExt)) : 0;
        SetWindowLongPtrW(child, GWLP_USERDATA, reserve);
        return 0;
    }
    if (msg != WM_NOTIFY) return 0;
    const auto* note = reinterpret_cast<const OFNOTIFYW*>(lp);
    HWND dialog = GetParent(child);
    const int reserve = static_cast<int>(GetWindowLongPtrW(child, GWLP_USERDATA));
    if (note->hdr.code == CDN_INITDONE) {
        SetWindowSubclass(dialog, GuardedDialog, kSubclassId, static_cast<DWORD_PTR>(reserve));
        LimitName(dialog, reserve);
    } else if (note->hdr.code == CDN_FOLDERCHANGE) {
        LimitName(dialog, reserve);
    }
    return 0;
}
} // namespace

bool FileDialogGuardsNameLength() {
    // Wine's ntdll exports its version; Windows' does not.
    static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

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
    // A multiple choice lists many names in the box; only a single name is kept to a path's length.
    const bool guarded = !MultiSelect && FileDialogGuardsNameLength();
    if (MultiSelect) ofn.Flags |= OFN_ALLOWMULTISELECT;
    if (guarded) ofn.Flags |= OFN_ENABLEHOOK | OFN_ENABLESIZING;
    ofn.lpfnHook = guarded ? DialogHook : nullptr;
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
