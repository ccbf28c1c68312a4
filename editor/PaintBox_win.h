#pragma once
// TPaintBox: a plain drawing surface of the editor with its own mouse cursor; its owner
// paints it in OnPaint and handles its mouse events. The right button is captured like
// the left one, so that a right-button drag ends on the box that began it.
#include "ui/Panel.h"

class TPaintBox : public TPanel {
public:
    TPaintBox(TControl* parent, const std::string& name);
    // The cursor shown over the box (not owned); nullptr = the arrow.
    void SetCursor(HCURSOR cursor) { FCursor = cursor; }
    HCURSOR Cursor() const { return FCursor; }

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    HCURSOR FCursor = nullptr;  // not owned
};
