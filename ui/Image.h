#pragma once
// TImage: shows a bitmap (held as a TBitmap value) or an icon/cursor (owned copy).
#include "base/Bitmap.h"
#include "ui/Control.h"

class TImage : public TControl {
public:
    TImage(TControl* parent, const std::string& name);
    void SetBitmap(const TBitmap& b);
    TBitmap& Bitmap() { return FBitmap; }
    const TBitmap& Bitmap() const { return FBitmap; }
    // Takes ownership of the icon (or cursor); the previous one is destroyed.
    void SetIcon(HICON icon, bool isCursor = false);
    void SetCursor(TCursorHandle cursor) { SetIcon(cursor.Release(), true); }
    HICON Icon() const { return FIcon; }
    void ClearPicture();
    void SetStretch(bool s) { FStretch = s; Invalidate(); }

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void FreeIcon();
    TBitmap FBitmap;
    HICON FIcon = nullptr;  // owned
    bool FIconIsCursor = false;
    bool FStretch = false;

public:
    ~TImage() override;
};
