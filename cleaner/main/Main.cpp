// Dunmorrow's entry: the application, its one window, the message loop.
#include <memory>

#include "cleaner/Regi.h"
#include "ui/Application.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    TApplication& app = TApplication::Instance();
    try {
        app.Initialize(instance);
        app.SetTitle("レジストリ削除プログラム");
        auto regi = std::make_unique<TRegi>(instance);
        Regi = regi.get();
        app.SetMainForm(regi.get());
        regi->ShowForm();
        app.Run();
        Regi = nullptr;
    } catch (const std::exception& e) {
        app.HandleException(e);
    }
    return 0;
}
