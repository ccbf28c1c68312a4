// Program entry: the application object, the main window and the dialogs that live for
// the whole run, then the message loop.
#include <memory>

#include "app/MainForm.h"
#include "ui/Application.h"

namespace {

// The arguments after the program name, as one text.
std::string ArgumentsText() {
    const wchar_t* p = GetCommandLineW();
    bool quoted = false;
    while (*p && (quoted || (*p != L' ' && *p != L'\t'))) {
        if (*p == L'"') quoted = !quoted;
        ++p;
    }
    while (*p == L' ' || *p == L'\t') ++p;
    return U(p);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    TApplication& app = TApplication::Instance();
    try {
        app.Initialize(instance);
        app.SetTitle("Tamsolo");
        app.SetHelpFile("Tamsolo165.hlp");
        auto form1 = std::make_unique<TForm1>(instance, ArgumentsText());
        app.SetMainForm(form1.get());
        // The dialogs of the document's pages are created here, in their order, as they join.
        form1->ShowForm();
        app.Run();
    } catch (const std::exception& e) {
        app.HandleException(e);
    }
    return 0;
}
