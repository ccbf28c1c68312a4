#include "app/FileDrop.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/DropPanel.h"
#include "base/SystemLibrary_win.h"

TFileDrop::TFileDrop(TControl* owner) : FOwnerWindow(owner ? owner->Handle() : nullptr) {
    if (FOwnerWindow)
        SetWindowSubclass(FOwnerWindow, WndProc, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this));
}

TFileDrop::~TFileDrop() {
    if (!FOwnerWindow || !IsWindow(FOwnerWindow)) return;
    AcceptDroppedFiles(FOwnerWindow, false);
    RemoveWindowSubclass(FOwnerWindow, WndProc, reinterpret_cast<UINT_PTR>(this));
}

void TFileDrop::SetDragDropAccept(bool accept) {
    AcceptDroppedFiles(FOwnerWindow, accept);
    FDragDropAccept = accept;
}

void TFileDrop::mDropFiles(HDROP drop) {
    TDropPanel::DeliverDrop(drop, [this](int n, const std::vector<std::string>& names) {
        if (OnDropFiles) OnDropFiles(this, n, names);
    });
}

LRESULT CALLBACK TFileDrop::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
    if (msg == WM_DROPFILES) {
        SetForegroundWindow(hwnd);
        reinterpret_cast<TFileDrop*>(self)->mDropFiles(reinterpret_cast<HDROP>(wp));
        return 0;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}
