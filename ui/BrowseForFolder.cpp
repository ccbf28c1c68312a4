#include "ui/BrowseForFolder.h"

#include <shellapi.h>
#include <shlobj.h>

#include <memory>
#include <vector>

#include "base/FileNames.h"
#include "base/Format.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/Form.h"
#include "base/SystemLibrary_win.h"

namespace {
constexpr UINT kBrowseFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT | BIF_RETURNFSANCESTORS;  // 13
constexpr UINT_PTR kSubclassId = 0x7B66;
const char* const kMakeFolderCaption = "ﾌｫﾙﾀﾞ作成";

// The one dialog open at a time.
TBrowseForFolder*& OpenDialog() {
    static TBrowseForFolder* open = nullptr;
    return open;
}

std::string PathOf(LPCITEMIDLIST item) {
    wchar_t buf[MAX_PATH] = {};
    if (!item || !Shell32().SHGetPathFromIDList(item, buf)) return {};
    return U(buf);
}

std::string WithoutTrailingSeparator(std::string path) {
    while (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

bool PathExists(const std::string& path) { return GetFileAttributesW(W(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

struct TCoTaskMem {
    void* Ptr = nullptr;
    ~TCoTaskMem() {
        if (Ptr && Ole32().CoTaskMemFree) Ole32().CoTaskMemFree(Ptr);
    }
};

// Co-operation with COM for the shell's namespace, for one dialog.
struct TComScope {
    HRESULT Result = Ole32().CoInitializeEx ? Ole32().CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED) : E_FAIL;
    ~TComScope() {
        if (SUCCEEDED(Result)) Ole32().CoUninitialize();
    }
};
} // namespace

bool TBrowseForFolder::Execute(HWND owner) {
    if (OpenDialog()) return false;  // one dialog at a time
    // What the dialog needs, before anything changes: a system without it raises here.
    auto* const browse = Shell32().SHBrowseForFolder.Required();
    Shell32().SHGetPathFromIDList.Required();
    TComScope com;
    std::vector<wchar_t> display(MAX_PATH, L'\0');
    std::wstring title = W(Title);
    BROWSEINFOW bi{};
    TForm* main = TApplication::Instance().MainForm();
    bi.hwndOwner = owner ? owner : (main ? main->Handle() : nullptr);
    bi.pidlRoot = nullptr;
    bi.pszDisplayName = display.data();
    bi.lpszTitle = title.c_str();
    bi.ulFlags = kBrowseFlags;
    bi.lpfn = ExplorerHook;
    bi.lParam = reinterpret_cast<LPARAM>(this);
    FHelpMessage = RegisterWindowMessageW(L"commdlg_help");

    // Modal for the whole program: the other windows wait, and help arrives at the main window.
    auto disabled = std::make_unique<TThreadWindowsDisabled>(bi.hwndOwner);
    HWND helpWindow = main ? main->Handle() : nullptr;
    if (helpWindow) SetWindowSubclass(helpWindow, MessageHook, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    HWND active = GetActiveWindow();
    OpenDialog() = this;
    TCoTaskMem chosen;
    FStartAt = InitialDir;
    FMade.clear();
    FMadeSelected.clear();
    FMadeChosen.clear();
    chosen.Ptr = browse(&bi);
    FDialog = FTree = FNewFolderButton = nullptr;
    FMade.clear();
    OpenDialog() = nullptr;
    if (helpWindow) RemoveWindowSubclass(helpWindow, MessageHook, kSubclassId);
    disabled.reset();
    if (active && IsWindow(active)) SetActiveWindow(active);

    bool result = false;
    if (chosen.Ptr) {
        // A folder made in the dialog is ours in its tree: the shell only knows its parent.
        std::string path = FMadeChosen.empty() ? PathOf(static_cast<LPCITEMIDLIST>(chosen.Ptr)) : FMadeChosen;
        Directory = path;
        result = !path.empty();
    }
    DoClose();
    return result;
}

int CALLBACK TBrowseForFolder::ExplorerHook(HWND dialog, UINT msg, LPARAM lp, LPARAM data) {
    auto* self = reinterpret_cast<TBrowseForFolder*>(data);
    return self ? self->WndProc(dialog, msg, lp) : 0;
}

int TBrowseForFolder::WndProc(HWND dialog, UINT msg, LPARAM lp) {
    if (!FDialog) {
        FDialog = dialog;
        SetWindowSubclass(dialog, HookObject, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    }
    if (msg == BFFM_INITIALIZED) {
        Initialised();
    } else if (msg == BFFM_SELCHANGED) {
        Directory = WithoutTrailingSeparator(PathOf(reinterpret_cast<LPCITEMIDLIST>(lp)));
        if (OnSelectionChange) OnSelectionChange(this);
    }
    return 0;
}

void TBrowseForFolder::Initialised() {
    if (!FStartAt.empty()) {
        // Selected now and once more after the dialog's own start-up messages, which may
        // select the tree's root again.
        FStartAtW = W(FStartAt);
        SendMessageW(FDialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(FStartAtW.c_str()));
        PostMessageW(FDialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(FStartAtW.c_str()));
    }
    DoShow();
    FTree = FindWindowExW(FDialog, nullptr, WC_TREEVIEWW, nullptr);
    if (NewFolderBtn) {
        FNewFolderButton = CreateWindowExW(0, L"BUTTON", W(kMakeFolderCaption).c_str(),
                                           WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 260, 10, 100, 26,
                                           FDialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kNewFolderId)),
                                           GetModuleHandleW(nullptr), nullptr);
        SendMessageW(FNewFolderButton, WM_SETFONT, SendMessageW(FDialog, WM_GETFONT, 0, 0), TRUE);
        SetPropW(FNewFolderButton, L"ComponentName",
                 reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(GlobalAddAtomW(L"NewFolderBtn"))));
    }
}

LRESULT CALLBACK TBrowseForFolder::HookObject(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    auto* self = reinterpret_cast<TBrowseForFolder*>(ref);
    if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(h, HookObject, kSubclassId);
        if (self->FNewFolderButton) {
            ATOM atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(RemovePropW(self->FNewFolderButton, L"ComponentName")));
            if (atom) GlobalDeleteAtom(atom);
        }
    } else if (self->MessageProc(msg, wp, lp)) {
        return 0;
    }
    return DefSubclassProc(h, msg, wp, lp);
}

LRESULT CALLBACK TBrowseForFolder::MessageHook(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    auto* self = reinterpret_cast<TBrowseForFolder*>(ref);
    if (msg == self->FHelpMessage && self->FHelpMessage != 0 && self->HelpContext != 0) {
        TApplication::Instance().HelpCommand(HELP_CONTEXT, static_cast<ULONG_PTR>(self->HelpContext));
        return 1;
    }
    return DefSubclassProc(h, msg, wp, lp);
}

bool TBrowseForFolder::MessageProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NOTIFY) return TreeNotify(*reinterpret_cast<const NMHDR*>(lp));
    if (msg != WM_COMMAND || HIWORD(wp) != BN_CLICKED) return false;
    if (LOWORD(wp) == IDOK) {
        bool canClose = true;
        DoCanClose(canClose);
        if (canClose) FMadeChosen = FMadeSelected;
        return !canClose;
    }
    if (LOWORD(wp) == kNewFolderId && FNewFolderButton) {
        DoStartMakeFolder(FTree);
        return true;
    }
    return false;
}

void TBrowseForFolder::DoShow() {
    if (OnShow) OnShow(this);
}

void TBrowseForFolder::DoCanClose(bool& canClose) {
    if (OnCanClose) OnCanClose(this, canClose);
}

void TBrowseForFolder::DoClose() {
    if (OnClose) OnClose(this);
}

void TBrowseForFolder::DoStartMakeFolder(HWND tree) {
    if (Directory.empty()) return;  // the selection is no file-system folder
    const std::string parent = Directory;
    std::string name =
        ProposeNewFolderName([&](const std::string& n) { return PathExists(parent + "\\" + n); });
    DoStartEditFolder(tree);
    if (!InputQuery(FDialog, kMakeFolderCaption, "新しいﾌｫﾙﾀﾞの名前を入力して下さい。", name)) return;
    if (name.empty()) return;
    if (name.size() > 259) name.resize(259);
    if (!IsValidFileName(name)) {
        ShowMessageBox(FDialog, "フォルダ名に次の文字は使えません。\n\\ / : * ? \" < > |", kMakeFolderCaption,
                       MB_OK | MB_ICONWARNING);
        return;
    }
    bool accept = true;
    DoEndEditFolder(tree, accept);
    if (!accept) return;
    DoMakeFolder(tree, parent + "\\" + name);
}

bool TBrowseForFolder::DoMakeFolder(HWND tree, const std::string& path) {
    if (PathExists(path)) {
        ShowMessageBox(FDialog, "同じ名前のフォルダまたはファイルがあります。", kMakeFolderCaption, MB_OK | MB_ICONWARNING);
        return false;
    }
    if (!CreateDirectoryW(W(path).c_str(), nullptr)) {
        ShowMessageBox(FDialog, "フォルダを作成できませんでした。", kMakeFolderCaption, MB_OK | MB_ICONWARNING);
        return false;
    }
    ShowNewFolder(tree, path);
    return true;
}

namespace {
HTREEITEM ChildNamed(HWND tree, HTREEITEM parent, const std::wstring& name) {
    for (HTREEITEM c = TreeView_GetChild(tree, parent); c; c = TreeView_GetNextSibling(tree, c)) {
        wchar_t text[MAX_PATH] = {};
        TVITEMW item{};
        item.mask = TVIF_HANDLE | TVIF_TEXT;
        item.hItem = c;
        item.pszText = text;
        item.cchTextMax = MAX_PATH;
        if (TreeView_GetItem(tree, &item) && _wcsicmp(text, name.c_str()) == 0) return c;
    }
    return nullptr;
}

int SystemIconIndex(const std::wstring& path, UINT open) {
    SHFILEINFOW info{};
    auto* const get = Shell32().SHGetFileInfo.Get();  // without it the folders show no icon
    if (!get || !get(path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON | open)) return 0;
    return info.iIcon;
}
}  // namespace

void TBrowseForFolder::ShowNewFolder(HWND tree, const std::string& path) {
    HTREEITEM parent = tree ? TreeView_GetSelection(tree) : nullptr;
    if (!parent) return;
    // The shell lists a folder's children once, from the list it took when the folder
    // first appeared, so it never shows one made later: the new folder becomes an item
    // of ours below the selected one. It carries its parent's data for any code of the
    // shell that reads it, and its own notifications are answered here.
    TreeView_Expand(tree, parent, TVE_EXPAND);
    const std::wstring full = W(path), name = W(ExtractFileName(path));
    HTREEITEM item = ChildNamed(tree, parent, name);
    if (!item) {
        TVITEMW parentItem{};
        parentItem.mask = TVIF_HANDLE | TVIF_PARAM;
        parentItem.hItem = parent;
        TreeView_GetItem(tree, &parentItem);
        TVINSERTSTRUCTW insert{};
        insert.hParent = parent;
        insert.hInsertAfter = TVI_SORT;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM;
        std::wstring text = name;
        insert.item.pszText = text.data();
        insert.item.iImage = SystemIconIndex(full, 0);
        insert.item.iSelectedImage = SystemIconIndex(full, SHGFI_OPENICON);
        insert.item.cChildren = 0;
        insert.item.lParam = parentItem.lParam;
        item = TreeView_InsertItem(tree, &insert);
        if (!item) return;
        FMade.emplace_back(item, path);
        TVITEMW children{};
        children.mask = TVIF_HANDLE | TVIF_CHILDREN;
        children.hItem = parent;
        children.cChildren = 1;
        TreeView_SetItem(tree, &children);
        TreeView_Expand(tree, parent, TVE_EXPAND);
    }
    TreeView_SelectItem(tree, item);
    TreeView_EnsureVisible(tree, item);
}

const std::string* TBrowseForFolder::MadePath(HTREEITEM item) const {
    for (const auto& [made, path] : FMade)
        if (made == item) return &path;
    return nullptr;
}

bool TBrowseForFolder::TreeNotify(const NMHDR& header) {
    if (!FTree || header.hwndFrom != FTree || FMade.empty()) return false;
    const auto& tv = reinterpret_cast<const NMTREEVIEWW&>(header);
    switch (header.code) {
    case TVN_SELCHANGEDW:
    case TVN_SELCHANGEDA:
        if (const std::string* path = MadePath(tv.itemNew.hItem)) {
            FMadeSelected = *path;
            Directory = *path;
            if (OnSelectionChange) OnSelectionChange(this);
            return true;
        }
        FMadeSelected.clear();
        return false;
    case TVN_SELCHANGINGW:
    case TVN_SELCHANGINGA:
    case TVN_ITEMEXPANDINGW:
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDEDW:
    case TVN_ITEMEXPANDEDA:
    case TVN_BEGINLABELEDITW:
    case TVN_BEGINLABELEDITA:
    case TVN_BEGINDRAGW:
    case TVN_BEGINDRAGA:
        return MadePath(tv.itemNew.hItem) != nullptr;
    case TVN_DELETEITEMW:
    case TVN_DELETEITEMA:
        // The data belongs to the parent item, which frees it.
        return MadePath(tv.itemOld.hItem) != nullptr;
    default: return false;
    }
}
