#include "ui/PageControl.h"

TTabSheet::TTabSheet(TPageControl* parent, const std::string& name, const std::string& caption)
    : TControl(parent, name), FPageControl(parent), FPageCaption(caption) {}

void TTabSheet::MakeWindow() {
    if (FHandle) return;
    CreateOwnWindow(WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
    SetCaption(FPageCaption);
    FPageControl->PlaceSheet(*this);
}

TPageControl::TPageControl(TControl* parent, const std::string& name) : TControl(parent, name) {
    // The pages are the tab control's children: as a control parent it lets Tab go through
    // the page shown (Ctrl+Tab turns the pages).
    CreateStdWindow(WC_TABCONTROLW, WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
}

TTabSheet* TPageControl::AddPage(const std::string& name, const std::string& caption) {
    std::wstring text = W(caption);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    SendMessageW(FHandle, TCM_INSERTITEMW, FPages.size(), reinterpret_cast<LPARAM>(&item));
    FPages.push_back(std::make_unique<TTabSheet>(this, name, caption));
    TTabSheet* sheet = FPages.back().get();
    if (PageCount() - 1 == ActivePageIndex()) sheet->MakeWindow();  // the page shown
    return sheet;
}

int TPageControl::ActivePageIndex() const { return static_cast<int>(SendMessageW(FHandle, TCM_GETCURSEL, 0, 0)); }

TTabSheet* TPageControl::ActivePage() const {
    int i = ActivePageIndex();
    return i >= 0 && i < PageCount() ? Page(i) : nullptr;
}

void TPageControl::SetActivePageIndex(int i) {
    if (i < 0 || i >= PageCount() || i == ActivePageIndex()) return;
    SendMessageW(FHandle, TCM_SETCURSEL, static_cast<WPARAM>(i), 0);
    ShowActive();
    if (OnChange) OnChange(this);
}

void TPageControl::SetActivePage(TTabSheet* page) {
    for (int i = 0; i < PageCount(); ++i)
        if (Page(i) == page) SetActivePageIndex(i);
}

RECT TPageControl::PageRect() const {
    RECT r;
    GetClientRect(FHandle, &r);
    SendMessageW(FHandle, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    return r;
}

void TPageControl::PlaceSheet(TTabSheet& sheet) {
    const RECT r = PageRect();
    sheet.SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    sheet.SetVisible(&sheet == ActivePage());
}

void TPageControl::ArrangePages() {
    const RECT r = PageRect();
    for (auto& p : FPages)
        if (p->Handle()) p->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TPageControl::ShowActive() {
    int active = ActivePageIndex();
    if (active >= 0 && active < PageCount()) Page(active)->MakeWindow();
    for (int i = 0; i < PageCount(); ++i)
        if (Page(i)->Handle()) Page(i)->SetVisible(i == active);
}

bool TPageControl::HandleNotify(NMHDR& nm, LRESULT&) {
    if (nm.code == TCN_SELCHANGE) {
        ShowActive();
        if (OnChange) OnChange(this);
        return true;
    }
    return false;
}

LRESULT TPageControl::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT r = TControl::WndProc(msg, wp, lp);
    if (msg == WM_SIZE) ArrangePages();
    return r;
}
