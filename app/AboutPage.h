#pragma once
// The page "About" of the main window: what the program is, its version, the link to the
// maker's home page and the program's icon twice.
#include <memory>

#include "ui/Image.h"
#include "ui/Panel.h"

class TAboutPage {
public:
    explicit TAboutPage(TControl* page);
    TAboutPage(const TAboutPage&) = delete;
    TAboutPage& operator=(const TAboutPage&) = delete;

    // Both pictures show the program's icon (the module's "MAINICON").
    void ShowIcon(HINSTANCE instance);
    void ClearPictures();

    // Handlers.
    void Label15Click();
    void Label15MouseMove();
    void Page6MouseMove();
    void Image6Click();  // also Image7's

    // Components (names as the window's own).
    std::unique_ptr<TLabel> Label16;
    std::unique_ptr<TLabel> Label18;
    std::unique_ptr<TLabel> Label15;  // the home page link
    std::unique_ptr<TPanel> Panel16;
    std::unique_ptr<TImage> Image6;
    std::unique_ptr<TImage> Image7;

private:
    TControl* FPage;  // not owned
};
