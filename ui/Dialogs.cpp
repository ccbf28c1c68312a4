#include "ui/Dialogs.h"

namespace {
TMessageBoxHook& Hook() {
    static TMessageBoxHook hook;
    return hook;
}
} // namespace

void SetMessageBoxHook(TMessageBoxHook hook) { Hook() = std::move(hook); }

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    if (Hook()) return Hook()(TMessageBoxCall{text, caption, flags});
    return MessageBoxW(owner, W(text).c_str(), W(caption).c_str(), flags);
}

void PlayBeep(UINT type) {
    if (Hook()) {
        Hook()(TMessageBoxCall{"", "<beep>", type});
        return;
    }
    MessageBeep(type);
}
