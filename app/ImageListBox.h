#pragma once
// The image list box of the main window: owner-drawn rows of 16 pixels; clicks select,
// dragging moves an image, a right click opens the list's popup menu. Mouse input goes
// to the main window's handlers instead of the list box's own tracking.
#include "ui/ListBox.h"

class TForm1;

class TImageListBox : public TListBox {
public:
    TImageListBox(TControl* parent, TForm1* form) : TListBox(parent, "ListBox1", true, 16), FForm(form) {}

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    TForm1* FForm;  // not owned
};
