#pragma once
// TPageControl: tabs over a stack of pages; only the active page is visible.
#include <memory>
#include <vector>

#include "ui/Control.h"

class TPageControl;

// A page of the control. Its window is made when it is first shown or something is put on
// it: start-up pays only for the page it shows.
class TTabSheet : public TControl {
public:
    TTabSheet(TPageControl* parent, const std::string& name, const std::string& caption);
    const std::string& PageCaption() const { return FPageCaption; }
    void MakeWindow();

protected:
    void HandleNeeded() override { MakeWindow(); }

private:
    TPageControl* FPageControl;  // not owned
    std::string FPageCaption;
};

class TPageControl : public TControl {
public:
    TPageControl(TControl* parent, const std::string& name);
    TTabSheet* AddPage(const std::string& name, const std::string& caption);
    int PageCount() const { return static_cast<int>(FPages.size()); }
    TTabSheet* Page(int i) const { return FPages.at(static_cast<std::size_t>(i)).get(); }
    TTabSheet* ActivePage() const;
    int ActivePageIndex() const;
    // Selecting a page from code runs OnChange, as a click on its tab does.
    void SetActivePage(TTabSheet* page);
    void SetActivePageIndex(int i);

    TNotifyEvent OnChange;

protected:
    bool HandleNotify(NMHDR& nm, LRESULT& result) override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    friend class TTabSheet;
    RECT PageRect() const;  // where the pages go, in the control's client area
    void PlaceSheet(TTabSheet& sheet);
    void ArrangePages();
    void ShowActive();
    std::vector<std::unique_ptr<TTabSheet>> FPages;
};
