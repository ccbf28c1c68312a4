// Pilot.exe: drives a running Tamsolo from outside, for screenshots.
//   Pilot.exe page <n>   selects page n (0-5) of the main window, as a click on its tab does
//   Pilot.exe wait       waits until the main window is shown
//   Pilot.exe template <n>  picks template n of the monochrome cursor list, as the user does
#include <string>

#include "ui/Control.h"

namespace {

HWND MainWindow() {
    for (HWND h = FindWindowW(L"TamsoloForm", nullptr); h; h = FindWindowExW(nullptr, h, L"TamsoloForm", nullptr)) {
        wchar_t title[64] = {};
        GetWindowTextW(h, title, 64);
        if (std::wstring(title) == L"Tamsolo" && IsWindowVisible(h)) return h;
    }
    return nullptr;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring verb = argc > 1 ? argv[1] : L"";
    HWND main = nullptr;
    for (int i = 0; i < 500 && !main; ++i) {
        main = MainWindow();
        if (!main) Sleep(20);
    }
    if (!main) return 2;
    if (verb == L"page" && argc > 2) {
        HWND tabs = FindComponent(main, "PageControl1");
        if (!tabs) return 3;
        // Moving the focus of a tab control without button style selects the tab and
        // notifies the window, like a click.
        SendMessageW(tabs, TCM_SETCURFOCUS, static_cast<WPARAM>(_wtoi(argv[2])), 0);
        Sleep(300);
    } else if (verb == L"template" && argc > 2) {
        HWND box = FindComponent(main, "ComboBox1");
        if (!box) return 3;
        SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(_wtoi(argv[2])), 0);
        SendMessageW(GetParent(box), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(box));
        Sleep(300);
    }
    return 0;
}
