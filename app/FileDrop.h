#pragma once
// TFileDrop: makes the window of its owner accept files dropped from the shell, without
// the owner being a drop panel. It hooks the owner window's procedure, takes WM_DROPFILES
// there and passes every other message on; a drop is reported like the drop panel's.
#include <functional>
#include <string>
#include <vector>

#include "ui/Control.h"

#include <shellapi.h>

class TFileDrop {
public:
    using TDropEvent = std::function<void(TFileDrop* sender, int iFiles, const std::vector<std::string>& DropFileNames)>;

    // owner: a control with a window (not owned; it must outlive the component).
    explicit TFileDrop(TControl* owner);
    ~TFileDrop();
    TFileDrop(const TFileDrop&) = delete;
    TFileDrop& operator=(const TFileDrop&) = delete;

    bool GetDragDropAccept() const { return FDragDropAccept; }
    void SetDragDropAccept(bool accept);

    TDropEvent OnDropFiles;

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);
    void mDropFiles(HDROP drop);

    HWND FOwnerWindow;
    bool FDragDropAccept = false;
};
