#pragma once
// TRegi: Dunmorrow's only window. Its picture button deletes Tamsolo's registry state and
// says whether there was any; its button closes the program.
#include <memory>

#include "cleaner/RegistryCleaner.h"
#include "ui/Button.h"
#include "ui/Form.h"
#include "ui/Panel.h"

// The two roots the cleaner works under (the tests give keys of their own).
struct TCleanerRoots {
    HKEY CurrentUser = HKEY_CURRENT_USER;
    HKEY ClassesRoot = HKEY_CLASSES_ROOT;
};

class TRegi : public TForm {
public:
    explicit TRegi(HINSTANCE instance, TCleanerRoots roots = {});

    void SpeedButton1Click();
    void Button1Click();
    // The outcome of the last run.
    TCleanOutcome LastOutcome() const { return FLastOutcome; }

    std::unique_ptr<TSpeedButton> SpeedButton1;
    std::unique_ptr<TLabel> Label1;
    std::unique_ptr<TButton> Button1;

private:
    TCleanerRoots FRoots;
    TCleanOutcome FLastOutcome = TCleanOutcome::NothingFound;
};

// The form the program names.
extern TRegi* Regi;
