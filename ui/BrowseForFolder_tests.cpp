// The folder picker driven through the shell's own dialog while it is open.
#include "ui/BrowseForFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

#include "ui/Dialogs.h"

namespace {

std::string Scratch() {
    wchar_t buf[MAX_PATH];
    GetTempPathW(MAX_PATH, buf);
    std::string root = U(buf) + "tamsolo-browse";
    for (const char* left : {"made", "新しいフォルダ(1)"}) RemoveDirectoryW(W(root + "\\" + left).c_str());
    CreateDirectoryW(W(root).c_str(), nullptr);
    for (const char* sub : {"alpha", "beta", "新しいフォルダ"}) CreateDirectoryW(W(root + "\\" + sub).c_str(), nullptr);
    return root;
}

bool IsFolder(const std::string& path) {
    DWORD a = GetFileAttributesW(W(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ItemText(HWND tree, HTREEITEM item) {
    wchar_t buf[MAX_PATH] = {};
    TVITEMW tv{};
    tv.mask = TVIF_TEXT | TVIF_HANDLE;
    tv.hItem = item;
    tv.pszText = buf;
    tv.cchTextMax = MAX_PATH;
    TreeView_GetItem(tree, &tv);
    return U(buf);
}

std::vector<std::string> Children(HWND tree, HTREEITEM item) {
    TreeView_Expand(tree, item, TVE_EXPAND);
    std::vector<std::string> out;
    for (HTREEITEM c = TreeView_GetChild(tree, item); c; c = TreeView_GetNextSibling(tree, c))
        out.push_back(ItemText(tree, c));
    return out;
}

// Runs the steps one per timer tick while the dialog is open.
struct Driver {
    TBrowseForFolder* Picker = nullptr;
    std::vector<std::function<void()>> Steps;
    std::size_t Next = 0;
    int Ticks = 0;
    static Driver*& Current() {
        static Driver* d = nullptr;
        return d;
    }
    static void CALLBACK Tick(HWND h, UINT, UINT_PTR, DWORD) {
        Driver* d = Current();
        if (!d || ++d->Ticks > 200) {  // a stuck dialog is cancelled, never left open
            PostMessageW(h, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        if (d->Next < d->Steps.size()) d->Steps[d->Next++]();
    }
};

} // namespace

TEST(BrowseForFolder, ListsRealFoldersCreatesANewOneAndRefusesBadNames) {
    const std::string root = Scratch();
    TBrowseForFolder picker;
    picker.NewFolderBtn = true;
    picker.Title = "フォルダを選んで下さい";
    picker.InitialDir = root;
    std::vector<TMessageBoxCall> boxes;
    SetMessageBoxHook([&](const TMessageBoxCall& c) {
        boxes.push_back(c);
        return IDOK;
    });
    std::vector<std::string> proposed;
    std::optional<std::string> answer;
    SetInputQueryHook([&](const std::string& caption, const std::string& prompt, std::string& value) {
        EXPECT_EQ(caption, "ﾌｫﾙﾀﾞ作成");
        EXPECT_EQ(prompt, "新しいﾌｫﾙﾀﾞの名前を入力して下さい。");
        proposed.push_back(value);
        if (!answer) return false;
        value = *answer;
        return true;
    });
    int vetoes = 1;
    picker.OnCanClose = [&](TBrowseForFolder*, bool& canClose) {
        if (vetoes-- > 0) canClose = false;
    };
    std::vector<std::string> listed, selected, after;
    bool stayedOpen = false;
    HWND dialog = nullptr, dialogAfter = nullptr;
    int shown = 0;
    Driver driver;
    driver.Picker = &picker;
    auto click = [&] { SendMessageW(picker.NewFolderButton(), BM_CLICK, 0, 0); };
    driver.Steps = {
        [&] {
            dialog = picker.DialogHandle();
            listed = Children(picker.TreeHandle(), TreeView_GetSelection(picker.TreeHandle()));
            selected.push_back(picker.Directory);
        },
        [&] {
            answer = "a<b";
            click();
        },
        [&] {
            answer.reset();  // cancelled
            click();
        },
        [&] {
            answer = "made";
            click();
        },
        [&] {
            // The same dialog shows the new folder, selected, among its parent's children.
            dialogAfter = picker.DialogHandle();
            HWND tree = picker.TreeHandle();
            HTREEITEM item = TreeView_GetSelection(tree);
            selected.push_back(ItemText(tree, item));
            after = Children(tree, TreeView_GetParent(tree, item));
            selected.push_back(picker.Directory);
        },
        [&] {
            SendMessageW(picker.DialogHandle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);  // vetoed
            stayedOpen = IsWindow(picker.DialogHandle()) != FALSE;
        },
        [&] { PostMessageW(picker.DialogHandle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); },
    };
    Driver::Current() = &driver;
    picker.OnShow = [&](TBrowseForFolder* p) {
        ++shown;
        SetTimer(p->DialogHandle(), 1, 60, Driver::Tick);
    };
    bool chosen = picker.Execute(nullptr);
    Driver::Current() = nullptr;
    SetMessageBoxHook(nullptr);
    SetInputQueryHook(nullptr);

    EXPECT_EQ(driver.Next, driver.Steps.size());
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{"alpha", "beta", "新しいフォルダ"}));
    ASSERT_EQ(selected.size(), 3u);
    EXPECT_TRUE(_wcsicmp(W(selected[0]).c_str(), W(root).c_str()) == 0) << selected[0];
    EXPECT_EQ(selected[1], "made");
    EXPECT_TRUE(_wcsicmp(W(selected[2]).c_str(), W(root + "\\made").c_str()) == 0) << selected[2];
    std::sort(after.begin(), after.end());
    EXPECT_EQ(after, (std::vector<std::string>{"alpha", "beta", "made", "新しいフォルダ"}));
    EXPECT_EQ(shown, 1);  // never closed and reopened
    EXPECT_EQ(dialogAfter, dialog);
    ASSERT_EQ(proposed.size(), 3u);
    EXPECT_EQ(proposed[0], "新しいフォルダ(1)");
    ASSERT_EQ(boxes.size(), 1u);  // only the refused name
    EXPECT_NE(boxes[0].Text.find("使えません"), std::string::npos);
    EXPECT_FALSE(IsFolder(root + "\\a<b"));
    EXPECT_FALSE(IsFolder(root + "\\新しいフォルダ(1)"));
    EXPECT_TRUE(IsFolder(root + "\\made"));
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(chosen);
    EXPECT_TRUE(_wcsicmp(W(picker.Directory).c_str(), W(root + "\\made").c_str()) == 0) << picker.Directory;
}

TEST(BrowseForFolder, CancellingReturnsFalseAndKeepsTheLastSelection) {
    const std::string root = Scratch();
    TBrowseForFolder picker;
    picker.InitialDir = root;
    bool closed = false;
    picker.OnClose = [&](TBrowseForFolder*) { closed = true; };
    struct Cancel {
        static void CALLBACK Tick(HWND h, UINT, UINT_PTR id, DWORD) {
            KillTimer(h, id);
            PostMessageW(h, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
    };
    picker.OnShow = [](TBrowseForFolder* p) { SetTimer(p->DialogHandle(), 1, 60, Cancel::Tick); };
    EXPECT_FALSE(picker.Execute(nullptr));
    EXPECT_TRUE(closed);
    EXPECT_TRUE(_wcsicmp(W(picker.Directory).c_str(), W(root).c_str()) == 0) << picker.Directory;
    EXPECT_EQ(picker.NewFolderButton(), nullptr);
}
