// Program entry: the application object, the main window and the dialogs that live for
// the whole run, then the message loop. Started as the reader helper, the program only
// does the helper's job and ends, before any window exists.
#include <cstdlib>
#include <memory>

#include "app/MainForm.h"
#include "app/SmallDialogs.h"
#include "app/VersionDlg.h"
#include "base/ScopeGuard.h"
#include "editor/ReduceForm.h"
#include "editor/EditDlg_win.h"
#include "formats/ReaderProcess.h"
#include "gif/GIFPicture_win.h"
#include "png/PngPicture_win.h"
#include "ui/Application.h"

namespace {

// The program's own settings keys; a test run of the program (the environment variable
// TAMSOLO_TEST_SETTINGS names the test) gets keys of that test's own instead.
TSettingsKeys ProgramSettingsKeys() {
    const wchar_t* test = _wgetenv(L"TAMSOLO_TEST_SETTINGS");
    return test && *test ? TSettingsKeys::ForTest(U(test)) : TSettingsKeys::Program();
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    if (const std::optional<int> code = RunReaderIfAsked()) return *code;
    TApplication& app = TApplication::Instance();
    try {
        app.Initialize(instance);
        app.SetTitle("Tamsolo");
        app.SetHelpFile("Tamsolo165.hlp");
        // The picture formats of the codecs.
        RegisterPNGPicture();
        RegisterGIFPicture();
        auto form1 = std::make_unique<TForm1>(instance, ProgramArguments(), ProgramSettingsKeys());
        app.SetMainForm(form1.get());
        // The dialogs that live for the whole run, in their order; each is made when first
        // used (the editor and the version dialog build their many controls even later,
        // when a command needs them), and all go before the main window.
        TransDlg.SetMake([] { return std::make_unique<TTransDlg>(); });
        HSpotDlg.SetMake([] { return std::make_unique<THSpotDlg>(); });
        CurTestDlg.SetMake([] { return std::make_unique<TCurTestDlg>(); });
        SaveModeBox.SetMake([] { return std::make_unique<TSaveModeBox>(); });
        ReduceColDlg.SetMake([] { return std::make_unique<TReduceColDlg>(); });
        EditDlg.SetMake([] { return std::make_unique<TEditDlg>(TDialogContents::OnFirstUse); });
        Version.SetMake([] { return std::make_unique<TVersion>(TDialogContents::OnFirstUse); });
        // Gone in the reverse order, and never made again while the rest of the run ends.
        TScopeExit dialogsGo([] {
            Version.Release();
            EditDlg.Release();
            ReduceColDlg.Release();
            SaveModeBox.Release();
            CurTestDlg.Release();
            HSpotDlg.Release();
            TransDlg.Release();
        });
        if (app.ShowMainForm) form1->ShowForm();
        app.Run();
    } catch (const std::exception& e) {
        app.HandleException(e);
    }
    return 0;
}
