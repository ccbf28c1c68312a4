#include "app/NumberEdit.h"

#include <optional>

#include "base/Format.h"
#include "ui/Dialogs.h"

namespace {

// The clipboard's text, or nullopt when it holds none.
std::optional<std::string> ClipboardText(HWND owner) {
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(owner)) return std::nullopt;
    std::optional<std::string> text;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* p = static_cast<const wchar_t*>(GlobalLock(h))) {
            text = U(std::wstring(p, wcsnlen(p, GlobalSize(h) / sizeof(wchar_t))));
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return text;
}

} // namespace

TNumberEdit::TNumberEdit(TControl* parent, const std::string& name) : TEdit(parent, name, "0") {}

bool TNumberEdit::IsValidValue(const std::string& text) const { return ::IsValidValue(text, Bounds()); }

int32_t TNumberEdit::GetValue() {
    const std::string text = Text();
    if (text == "-") return MinValue;
    if (std::optional<int32_t> v = ParseDecimal(text)) return *v;
    SetText(IntToStr(MinValue));
    return MinValue;
}

void TNumberEdit::SetValue(int32_t value) { SetText(IntToStr(ClampNumber(value, Bounds()))); }

TNumberEditState TNumberEdit::State() const {
    TNumberEditState s;
    s.Text = Text();
    DWORD start = 0, end = 0;
    SendMessageW(FHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    s.SelStart = static_cast<int>(start);
    s.SelLength = static_cast<int>(end - start);
    s.MaxLength = static_cast<int>(SendMessageW(FHandle, EM_GETLIMITTEXT, 0, 0));
    s.Bounds = Bounds();
    return s;
}

void TNumberEdit::KeyPress(wchar_t& key) {
    const std::optional<std::string> clipboard = key == 22 ? ClipboardText(FHandle) : std::nullopt;
    if (AcceptsNumberKey(static_cast<char16_t>(key), State(), clipboard)) return;
    key = 0;
    PlayBeep(MB_OK);
}

LRESULT TNumberEdit::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CHAR) {
        wchar_t key = static_cast<wchar_t>(wp);
        KeyPress(key);
        if (key == 0) return 0;
    } else if (msg == WM_PASTE) {  // the context menu's paste as well as Ctrl+V
        if (!AcceptsNumberKey(22, State(), ClipboardText(FHandle))) {
            PlayBeep(MB_OK);
            return 0;
        }
    }
    return TEdit::WndProc(msg, wp, lp);
}
