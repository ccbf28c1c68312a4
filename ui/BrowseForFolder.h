#pragma once
// TBrowseForFolder: the shell's folder dialog as a component. It preselects InitialDir,
// reports selection changes, lets OnCanClose veto OK, can offer a button "ﾌｫﾙﾀﾞ作成"
// that creates a folder below the selected one, and returns the chosen folder in
// Directory. One dialog is open at a time.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ui/Win.h"

class TBrowseForFolder {
public:
    explicit TBrowseForFolder(const std::string& name = "BrowseForFolder1") : FName(name) {}
    virtual ~TBrowseForFolder() = default;
    TBrowseForFolder(const TBrowseForFolder&) = delete;
    TBrowseForFolder& operator=(const TBrowseForFolder&) = delete;

    bool NewFolderBtn = false;
    std::string Title;
    int HelpContext = 0;     // 0 = no help
    std::string InitialDir;  // selected when the dialog opens
    // The folder selected (without a trailing "\"), then the result; it keeps the last
    // selection also when the dialog was cancelled.
    std::string Directory;

    std::function<void(TBrowseForFolder* sender, bool& canClose)> OnCanClose;
    std::function<void(TBrowseForFolder* sender)> OnShow;
    std::function<void(TBrowseForFolder* sender)> OnClose;
    std::function<void(TBrowseForFolder* sender)> OnSelectionChange;

    // Runs the dialog; true when a file-system folder was chosen, with Directory set.
    virtual bool Execute(HWND owner = nullptr);

    const std::string& Name() const { return FName; }
    // While the dialog is open: its window, its folder tree and the new-folder button.
    HWND DialogHandle() const { return FDialog; }
    HWND TreeHandle() const { return FTree; }
    HWND NewFolderButton() const { return FNewFolderButton; }

    static constexpr int kNewFolderId = 101;

protected:
    virtual void DoShow();
    virtual void DoCanClose(bool& canClose);
    virtual void DoClose();
    // The steps of the new-folder button: propose a name and ask for it, then let
    // DoEndEditFolder veto and DoMakeFolder create the folder.
    virtual void DoStartMakeFolder(HWND tree);
    virtual void DoStartEditFolder(HWND tree) {}
    virtual void DoEndEditFolder(HWND tree, bool& accept) {}
    // Creates path when it does not exist and shows it in the open dialog's folder tree
    // as a new child of the selected folder, selected; false (after telling the user)
    // when it exists already or could not be created.
    virtual bool DoMakeFolder(HWND tree, const std::string& path);

private:
    static int CALLBACK ExplorerHook(HWND dialog, UINT msg, LPARAM lp, LPARAM data);
    static LRESULT CALLBACK HookObject(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
    static LRESULT CALLBACK MessageHook(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
    int WndProc(HWND dialog, UINT msg, LPARAM lp);
    // true when the message is swallowed.
    bool MessageProc(UINT msg, WPARAM wp, LPARAM lp);
    void Initialised();
    // Shows a folder just made as a selected child of the selected tree item.
    void ShowNewFolder(HWND tree, const std::string& path);
    // Answers the tree's notifications about the items of folders made here; true swallows.
    bool TreeNotify(const NMHDR& header);
    const std::string* MadePath(HTREEITEM item) const;

    std::string FName;
    HWND FDialog = nullptr;
    HWND FTree = nullptr;
    HWND FNewFolderButton = nullptr;  // owned by the dialog
    UINT FHelpMessage = 0;
    std::string FStartAt;   // the folder selected when the dialog opens
    std::wstring FStartAtW;
    std::vector<std::pair<HTREEITEM, std::string>> FMade;  // tree items of the folders made here
    std::string FMadeSelected;  // the path of such an item while it is selected
    std::string FMadeChosen;    // ... and when OK closed the dialog
};
