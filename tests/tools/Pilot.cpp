// Pilot.exe: drives a running Tamsolo from outside, for screenshots.
//   Pilot.exe page <n>   selects page n (0-5) of the main window, as a click on its tab does
//   Pilot.exe wait       waits until the main window is shown
//   Pilot.exe template <n>  enters the file-option page and picks template n of its monochrome
//                        cursor list, as the user does
//   Pilot.exe editor     opens the pixel editor on a new image, draws a few figures in
//                        it as a mouse would and prints the editor window's "x y width height"
//   Pilot.exe savemode <file>  starts "すべて保存", names the file in the save dialog and
//                        prints the save-mode box's "x y width height" once it shows
//   Pilot.exe savemode-ok      closes the save-mode box with OK (the file is written)
//   Pilot.exe help <n>   selects page n, presses the help button and prints the help
//                        window's "x y width height" once it shows
//   Pilot.exe help-close closes the help window
#include <cstdio>
#include <functional>
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

// A click of the left (or right) button at a client point of a control.
void ClickAt(HWND h, int x, int y, bool right = false) {
    SendMessageW(h, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(h, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

// A shown top-level window of the given class and title, waited for up to ten seconds.
HWND WaitForWindow(const wchar_t* className, const wchar_t* title) {
    for (int i = 0; i < 500; ++i) {
        HWND h = FindWindowW(className, title);
        if (h && IsWindowVisible(h)) return h;
        Sleep(20);
    }
    return nullptr;
}

void PrintWindowRect(HWND h) {
    RECT r;
    GetWindowRect(h, &r);
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// A left-button drag on the editor's canvas from cell (x0, y0) to (x1, y1).
void DragCells(HWND canvas, int x0, int y0, int x1, int y1) {
    SendMessageW(canvas, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x0 * 8 + 4, y0 * 8 + 4));
    for (int i = 1; i <= 8; ++i) {
        int x = x0 + (x1 - x0) * i / 8, y = y0 + (y1 - y0) * i / 8;
        SendMessageW(canvas, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x * 8 + 4, y * 8 + 4));
    }
    SendMessageW(canvas, WM_LBUTTONUP, 0, MAKELPARAM(x1 * 8 + 4, y1 * 8 + 4));
}

int DrawInEditor(HWND main) {
    HWND edit = FindComponent(main, "NewBtn");
    if (!edit) return 3;
    PostMessageW(edit, BM_CLICK, 0, 0);  // the editor is modal: do not wait for it here
    HWND dlg = nullptr;
    for (int i = 0; i < 500 && !dlg; ++i) {
        dlg = FindWindowW(L"TamsoloForm", L"イメージの編集");
        if (!dlg || !IsWindowVisible(dlg)) {
            dlg = nullptr;
            Sleep(20);
        }
    }
    if (!dlg) return 4;
    HWND canvas = FindComponent(dlg, "PaintBox1"), palette = FindComponent(dlg, "PaletteImage");
    auto tool = [&](const char* name) { ClickAt(FindComponent(dlg, name), 5, 5); };
    auto colour = [&](int index) { ClickAt(palette, index % 16 * 12 + 5, index / 16 * 12 + 5); };
    colour(5 * 16 + 7);  // red
    tool("FillCircleBtn");
    DragCells(canvas, 4, 4, 17, 17);
    colour(10 * 16 + 7);  // blue
    tool("SquareBtn");
    DragCells(canvas, 14, 14, 28, 27);
    colour(14 * 16 + 7);  // green
    tool("LineBtn");
    DragCells(canvas, 2, 29, 29, 2);
    colour(0);
    tool("PenBtn");
    DragCells(canvas, 20, 4, 26, 9);
    tool("grid");
    PrintWindowRect(dlg);
    return 0;
}

int ShowSaveModeBox(HWND main, const wchar_t* file) {
    HWND save = FindComponent(main, "SaveANIBtn");
    if (!save) return 3;
    PostMessageW(save, BM_CLICK, 0, 0);  // the save dialog is modal: do not wait for it here
    HWND dialog = WaitForWindow(L"#32770", L"すべて保存");
    if (!dialog) return 4;
    Sleep(300);
    SetDlgItemTextW(dialog, 0x47c, file);  // the file name box of the dialog
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    HWND box = WaitForWindow(L"TamsoloForm", L"保存形式の選択");
    if (!box) return 5;
    Sleep(300);
    PrintWindowRect(box);
    return 0;
}

int CloseSaveModeBox() {
    HWND box = WaitForWindow(L"TamsoloForm", L"保存形式の選択");
    HWND ok = box ? FindComponent(box, "Button1") : nullptr;
    if (!ok) return 3;
    PostMessageW(ok, BM_CLICK, 0, 0);
    return 0;
}

int ShowHelp(HWND main, int page, const std::function<void(int)>& selectPage) {
    HWND button = FindComponent(main, "SpeedButton1");
    if (!button) return 3;
    selectPage(page);
    Sleep(300);
    ClickAt(button, 4, 4);
    HWND help = WaitForWindow(L"TamsoloForm", L"Tamsolo ヘルプ");
    if (!help) return 4;
    Sleep(300);
    PrintWindowRect(help);
    return 0;
}

// Opens the rename box on the current image's row (a click on the row that is current),
// and prints where the list and the box are.
int ShowRenameBox(HWND main) {
    HWND list = FindComponent(main, "ListBox1");
    if (!list) return 3;
    const int row = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
    RECT r{};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(row < 0 ? 0 : row), reinterpret_cast<LPARAM>(&r));
    HWND box = nullptr;
    for (int i = 0; i < 3 && !box; ++i) {
        ClickAt(list, r.left + 60, r.top + 4);
        Sleep(300);
        box = FindComponent(main, "Edit2");
        if (box && !IsWindowVisible(box)) box = nullptr;
    }
    if (!box) return 4;
    PrintWindowRect(list);
    return 0;
}

// Opens the editor in its monochrome layout from the file option page.
int ShowMonochromeEditor(HWND main, const std::function<void(int)>& selectPage) {
    selectPage(2);
    HWND button = nullptr;
    for (int i = 0; i < 250 && !button; ++i) {
        button = FindComponent(main, "EditMonoBtn");
        if (!button) Sleep(20);
    }
    if (!button) return 3;
    PostMessageW(button, BM_CLICK, 0, 0);  // the editor is modal: do not wait for it here
    HWND dlg = WaitForWindow(L"TamsoloForm", L"イメージの編集");
    if (!dlg) return 4;
    Sleep(300);
    PrintWindowRect(dlg);
    return 0;
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
    HWND tabs = FindComponent(main, "PageControl1");
    // Moving the focus of a tab control without button style selects the tab and notifies
    // the window, like a click.
    auto selectPage = [&](int page) { SendMessageW(tabs, TCM_SETCURFOCUS, static_cast<WPARAM>(page), 0); };
    if (verb == L"page" && argc > 2) {
        if (!tabs) return 3;
        selectPage(_wtoi(argv[2]));
        Sleep(300);
    } else if (verb == L"template" && argc > 2) {
        // The list is on the file-option page, which is made when first entered.
        if (!tabs) return 3;
        selectPage(2);
        HWND box = nullptr;
        for (int i = 0; i < 250 && !box; ++i) {
            box = FindComponent(main, "ComboBox1");
            if (!box) Sleep(20);
        }
        if (!box) return 3;
        SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(_wtoi(argv[2])), 0);
        SendMessageW(GetParent(box), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(box));
        Sleep(300);
    } else if (verb == L"editor") {
        return DrawInEditor(main);
    } else if (verb == L"savemode" && argc > 2) {
        return ShowSaveModeBox(main, argv[2]);
    } else if (verb == L"savemode-ok") {
        return CloseSaveModeBox();
    } else if (verb == L"help" && argc > 2) {
        if (!tabs) return 3;
        return ShowHelp(main, _wtoi(argv[2]), selectPage);
    } else if (verb == L"rename") {
        return ShowRenameBox(main);
    } else if (verb == L"rename-end") {
        HWND box = FindComponent(main, "Edit2");
        if (!box) return 3;
        PostMessageW(box, WM_KEYDOWN, VK_RETURN, 0);
    } else if (verb == L"mono-editor") {
        if (!tabs) return 3;
        return ShowMonochromeEditor(main, selectPage);
    } else if (verb == L"editor-cancel") {
        HWND dlg = FindWindowW(L"TamsoloForm", L"イメージの編集");
        HWND cancel = dlg ? FindComponent(dlg, "CancelBtn") : nullptr;
        if (!cancel) return 3;
        PostMessageW(cancel, BM_CLICK, 0, 0);
    } else if (verb == L"help-close") {
        HWND help = FindWindowW(L"TamsoloForm", L"Tamsolo ヘルプ");
        if (!help) return 3;
        PostMessageW(help, WM_CLOSE, 0, 0);
    }
    return 0;
}
