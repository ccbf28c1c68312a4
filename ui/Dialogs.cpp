#include "ui/Dialogs.h"

#include <commdlg.h>

#include "base/SystemLibrary_win.h"
#include "ui/BackgroundWork.h"

namespace {
TMessageBoxHook& Hook() {
    static TMessageBoxHook hook;
    return hook;
}
} // namespace

void SetMessageBoxHook(TMessageBoxHook hook) { Hook() = std::move(hook); }

// Message boxes and beeps asked for by a background work's worker show on the window thread.
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    return OnWindowThread([&] {
        if (Hook()) return Hook()(TMessageBoxCall{text, caption, flags});
        return MessageBoxW(owner, W(text).c_str(), W(caption).c_str(), flags);
    });
}

void PlayBeep(UINT type) {
    OnWindowThread([&] {
        if (Hook()) {
            Hook()(TMessageBoxCall{"", "<beep>", type});
            return;
        }
        MessageBeep(type);
    });
}

namespace {
TColorDialogHook& ColourHook() {
    static TColorDialogHook hook;
    return hook;
}
HCURSOR& Slot(int slot) {
    static HCURSOR slots[32] = {};
    static HCURSOR none = nullptr;
    if (slot < 0 || slot >= 32) {
        none = nullptr;
        return none;
    }
    return slots[slot];
}
} // namespace

void SetColorDialogHook(TColorDialogHook hook) { ColourHook() = std::move(hook); }

bool ChooseColour(HWND owner, TColor& colour) {
    if (TBackgroundWork::OfThisThread()) return OnWindowThread([&] { return ChooseColour(owner, colour); });
    if (ColourHook()) return ColourHook()(colour);
    static COLORREF custom[16] = {};
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = owner;
    cc.rgbResult = ColorToRGB(colour);
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!Comdlg32().ChooseColor(&cc)) return false;
    colour = static_cast<TColor>(cc.rgbResult);
    return true;
}

void SetScreenCursor(int slot, HCURSOR cursor) { Slot(slot) = cursor; }
HCURSOR ScreenCursor(int slot) {
    HCURSOR c = Slot(slot);
    return c ? c : LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
}
