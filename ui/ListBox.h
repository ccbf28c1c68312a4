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
//
// A drag of rows is started by the owner (BeginDrag with the mouse's client point, while
// the left button is held) and
// lasts until that button is released (after OnMouseUp) or the capture is lost. While it
// lasts the cursor tells whether the list takes the drag, as list-box drags do: the drag
// cursor anywhere over the list (the empty part below its last row too) except a row whose
// OnDragOver refuses it (without a handler every row takes it), the no-drop cursor once the
// drag leaves the list. A drop lands only on a row: below the last row it changes nothing.
class TDragListBox : public TListBox {
public:
    using TListBox::TListBox;

    void BeginDrag(POINT client);
    void EndDrag();
    bool Dragging() const { return FDragging; }
    // Where a drop at a client point lands: the row under it, or -1 (outside the list,
    // below its last row, over an empty list).
    int DropRowAt(POINT client) const;
    std::function<bool(int row)> OnDragOver;

    // The two cursors a drag shows (shared, never destroyed while the program runs).
    static HCURSOR DragCursor();
    static HCURSOR NoDropCursor();

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    bool OverList(POINT client) const;
    void ShowDragCursor(POINT client);

    bool FDragging = false;
    bool FReleasing = false;  // the capture goes at a button release: the drag ends after OnMouseUp
};
