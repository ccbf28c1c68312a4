// The editor's drawing surfaces.
#include "editor/PaintBox_win.h"

TPaintBox::TPaintBox(TControl* parent, const std::string& name) : TPanel(parent, name) {
    SetBevelOuter(TBevel::bvNone);
}

LRESULT TPaintBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SETCURSOR:
        if (LOWORD(lp) == HTCLIENT) {
            ::SetCursor(FCursor ? FCursor : LoadCursorW(nullptr, IDC_ARROW));
            return TRUE;
        }
        break;
    case WM_RBUTTONDOWN:
        SetCapture(FHandle);
        break;
    case WM_RBUTTONUP:
        if (GetCapture() == FHandle) ReleaseCapture();
        break;
    default:
        break;
    }
    return TPanel::WndProc(msg, wp, lp);
}
