// The About page: its controls, the home page link and the jumping icons.
#include "app/AboutPage.h"

#include <shellapi.h>

#include <cstdlib>
#include <ctime>

#include "ui/PageLayout.h"
#include "base/SystemLibrary_win.h"

namespace {
const char* const kHomePage = "https://www.tamsolo.example/";
} // namespace

TAboutPage::TAboutPage(TControl* p) : FPage(p) {
    Panel16 = std::make_unique<TPanel>(p, "Panel16");
    Panel16->SetBounds(40, 40, 84, 44);
    Panel16->SetBevelOuter(TBevel::bvNone);
    Image6 = std::make_unique<TImage>(Panel16.get(), "Image6");
    Image6->SetBounds(4, 6, 32, 32);
    Image7 = std::make_unique<TImage>(Panel16.get(), "Image7");
    Image7->SetBounds(46, 6, 32, 32);
    BuildLabels<TAboutPage>(*this, p,
                            {
                                {&TAboutPage::Label16, "Label16", "アニメーションカーソル作成ツール", 140, 44},
                                {&TAboutPage::Label18, "Label18", "Version 1.6.5", 140, 66},
                                {&TAboutPage::Label15, "Label15", kHomePage, 140, 100},
                            });
    Label15->OnClick = [this](TControl*) { Label15Click(); };
    Label15->OnMouseMove = [this](TControl*, const TMouseEvent&) { Label15MouseMove(); };
    FPage->OnMouseMove = [this](TControl*, const TMouseEvent&) { Page6MouseMove(); };
    Image6->OnClick = [this](TControl*) { Image6Click(); };
    Image7->OnClick = [this](TControl*) { Image6Click(); };
}

void TAboutPage::ShowIcon(HINSTANCE instance) {
    Image6->SetIcon(LoadIconW(instance, L"MAINICON"), false);
    Image7->SetIcon(LoadIconW(instance, L"MAINICON"), false);
}

void TAboutPage::ClearPictures() {
    Image6->ClearPicture();
    Image7->ClearPicture();
}

void TAboutPage::Label15Click() {
    Shell32().ShellExecute(FPage->Handle(), L"open", W(Label15->Caption()).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TAboutPage::Label15MouseMove() { Label15->SetFontColor(clBlue); }
void TAboutPage::Page6MouseMove() { Label15->SetFontColor(clBlack); }

void TAboutPage::Image6Click() {
    std::srand(static_cast<unsigned>(std::time(nullptr)) ^ GetTickCount());
    if (std::rand() % 10 == 0) {
        RECT r = Panel16->BoundsRect();
        Panel16->SetBounds(r.left, r.top - 4, r.right - r.left, r.bottom - r.top);
    }
}
