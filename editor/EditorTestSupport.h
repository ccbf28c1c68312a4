#pragma once
// Driving a real TEditDlg with the messages a user's mouse sends, for the window tests.
#include <functional>

#include "editor/EditDlg_win.h"

// The client point of the middle of a canvas cell.
inline LPARAM CellPoint(int x, int y) { return MAKELPARAM(x * 8 + 4, y * 8 + 4); }

inline void CanvasDown(TEditDlg& d, int x, int y, WPARAM keys = MK_LBUTTON) {
    SendMessageW(d.PaintBox1->Handle(), WM_LBUTTONDOWN, keys, CellPoint(x, y));
}
inline void CanvasMove(TEditDlg& d, int x, int y, WPARAM keys = MK_LBUTTON) {
    SendMessageW(d.PaintBox1->Handle(), WM_MOUSEMOVE, keys, CellPoint(x, y));
}
inline void CanvasUp(TEditDlg& d, int x, int y) { SendMessageW(d.PaintBox1->Handle(), WM_LBUTTONUP, 0, CellPoint(x, y)); }
// A left-button drag through the cells, one mouse move per step.
inline void CanvasDrag(TEditDlg& d, std::initializer_list<POINT> cells) {
    const POINT* p = cells.begin();
    CanvasDown(d, p->x, p->y);
    for (++p; p != cells.end(); ++p) CanvasMove(d, p->x, p->y);
    CanvasUp(d, (cells.end() - 1)->x, (cells.end() - 1)->y);
}
// A click on a palette cell with the left or right button.
inline void PaletteClick(TEditDlg& d, int index, bool right = false) {
    LPARAM at = MAKELPARAM(index % 16 * 12 + 5, index / 16 * 12 + 5);
    HWND h = d.PaletteImage->Handle();
    SendMessageW(h, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, at);
    SendMessageW(h, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
}

// Runs script once, 10 ms from now, from the message loop that is running then (the loop
// of a modal dialog opened right after this call).
inline void RunSoon(HWND window, std::function<void()> script) {
    static std::function<void()> pending;
    pending = std::move(script);
    struct Fire {
        static void CALLBACK Run(HWND h, UINT, UINT_PTR id, DWORD) {
            KillTimer(h, id);
            auto run = std::move(pending);
            pending = nullptr;
            if (run) run();
        }
    };
    SetTimer(window, 991, 10, Fire::Run);
}

// Shows the dialog modally and runs script inside its message loop; script ends the
// dialog (by clicking OK or Cancel). Returns the modal result.
inline int RunModal(IImageEditor& editor, HWND dialog, std::function<void()> script) {
    RunSoon(dialog, std::move(script));
    return editor.ShowModal();
}
