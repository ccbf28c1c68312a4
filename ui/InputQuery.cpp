// The input box: a small modal form with a prompt, an edit box and OK and Cancel.
#include "ui/Button.h"
#include "ui/Dialogs.h"
#include "ui/Edit.h"
#include "ui/Form.h"
#include "ui/Panel.h"

namespace {
TInputQueryHook& Hook() {
    static TInputQueryHook hook;
    return hook;
}
} // namespace

void SetInputQueryHook(TInputQueryHook hook) { Hook() = std::move(hook); }

bool InputQuery(HWND owner, const std::string& caption, const std::string& prompt, std::string& value) {
    if (Hook()) return Hook()(caption, prompt, value);
    TForm form("InputQuery", caption, 300, 96, TFormBorder::bsDialog);
    TLabel label(&form, "Prompt", prompt, 8, 10);
    TEdit edit(&form, "Edit", value);
    edit.SetBounds(8, 30, 284, 22);
    TButton ok(&form, "OK", "OK");
    ok.SetBounds(136, 62, 75, 25);
    ok.SetModalResult(mrOk);
    ok.SetDefault(true);
    TButton cancel(&form, "Cancel", "キャンセル");
    cancel.SetBounds(217, 62, 75, 25);
    cancel.SetModalResult(mrCancel);
    cancel.SetCancel(true);
    if (owner) {
        RECT r{};
        GetWindowRect(owner, &r);
        SetWindowPos(form.Handle(), nullptr, r.left + 40, r.top + 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    } else {
        form.CenterOnScreen();
    }
    form.OnShow = [&](TControl*) { edit.SetFocus(); };
    if (form.ShowModal() != mrOk) return false;
    value = edit.Text();
    return true;
}
