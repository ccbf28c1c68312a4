#pragma once
// TListBox: a list of text items, optionally owner-drawn in fixed-height rows.
#include "ui/Canvas.h"
#include "ui/Control.h"

struct TOwnerDrawState {
    bool Selected = false;
    bool Focused = false;
};
using TDrawItemEvent =
    std::function<void(TControl* sender, int index, const RECT& rect, const TOwnerDrawState& state, TCanvas& canvas)>;

class TListBox : public TControl {
public:
    TListBox(TControl* parent, const std::string& name, bool ownerDraw = false, int itemHeight = 16);

    int Count() const;
    std::string Item(int i) const;
    void SetItem(int i, const std::string& s);
    int Add(const std::string& s);
    void Insert(int i, const std::string& s);
    void Delete(int i);
    void Move(int from, int to);
    void Clear();
    int ItemIndex() const;
    void SetItemIndex(int i);
    int TopIndex() const;
    void SetTopIndex(int i);
    RECT ItemRect(int i) const;
    // Row under a client point, or -1.
    int ItemAtPos(POINT p) const;
    int ItemHeight() const { return FItemHeight; }

    TDrawItemEvent OnDrawItem;

protected:
    bool HandleCommand(WORD code) override;
    bool HandleDrawItem(const DRAWITEMSTRUCT& di) override;

private:
    bool FOwnerDraw;
    int FItemHeight;
};

// A list box whose mouse input goes to its events instead of the list box's own
// selection tracking, so that the owner can select and drag rows itself. Right-button
// releases arrive as OnMouseUp with mbRight.
class TDragListBox : public TListBox {
public:
    using TListBox::TListBox;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};
