#pragma once
// The one place that includes windows.h for the ui layer, with the UTF-8/UTF-16
// meeting point and small owning wrappers for GDI and user handles.
#include <optional>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <utility>

#include "base/Color.h"
#include "base/Text.h"

inline std::wstring W(const std::string& s) { return Utf8ToWide(s); }
inline std::string U(const std::wstring& s) { return WideToUtf8(s); }

// A TColor, system colours included, as a COLORREF.
inline COLORREF ColorToRGB(TColor c) {
    if (c & clSystemColor) return GetSysColor(c & 0xFF);
    return static_cast<COLORREF>(c & 0xFFFFFF);
}

// Owns one handle and releases it with Free.
template <typename H, auto Free>
class THandle {
public:
    THandle() = default;
    explicit THandle(H h) : FHandle(h) {}
    ~THandle() { Reset(); }
    THandle(const THandle&) = delete;
    THandle& operator=(const THandle&) = delete;
    THandle(THandle&& o) noexcept : FHandle(std::exchange(o.FHandle, H{})) {}
    THandle& operator=(THandle&& o) noexcept {
        if (this != &o) Reset(std::exchange(o.FHandle, H{}));
        return *this;
    }
    H Get() const { return FHandle; }
    explicit operator bool() const { return FHandle != H{}; }
    H Release() { return std::exchange(FHandle, H{}); }
    void Reset(H h = H{}) {
        if (FHandle) Free(FHandle);
        FHandle = h;
    }

private:
    H FHandle{};
};

inline void FreeGdiObject(HGDIOBJ h) { DeleteObject(h); }
inline void FreeIcon(HICON h) { DestroyIcon(h); }
inline void FreeCursor(HCURSOR h) { DestroyCursor(h); }
inline void FreeMemDC(HDC h) { DeleteDC(h); }
inline void FreeMenu(HMENU h) { DestroyMenu(h); }

using TGdiObject = THandle<HGDIOBJ, FreeGdiObject>;
using TIconHandle = THandle<HICON, FreeIcon>;
using TCursorHandle = THandle<HCURSOR, FreeCursor>;
using TMemDC = THandle<HDC, FreeMemDC>;

// Selects an object into a DC for one scope.
class TSelectObject {
public:
    TSelectObject(HDC dc, HGDIOBJ obj) : FDC(dc), FOld(SelectObject(dc, obj)) {}
    ~TSelectObject() { SelectObject(FDC, FOld); }
    TSelectObject(const TSelectObject&) = delete;
    TSelectObject& operator=(const TSelectObject&) = delete;

private:
    HDC FDC;
    HGDIOBJ FOld;
};

// Stops a window repainting for one scope; at its end the window repaints once, whole.
class TNoRedraw {
public:
    explicit TNoRedraw(HWND w) : FWnd(w) { SendMessageW(FWnd, WM_SETREDRAW, FALSE, 0); }
    ~TNoRedraw() {
        SendMessageW(FWnd, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(FWnd, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
    TNoRedraw(const TNoRedraw&) = delete;
    TNoRedraw& operator=(const TNoRedraw&) = delete;

private:
    HWND FWnd;
};

// Batches of changes to one window, which may nest: the window stops repainting when the
// outermost batch begins and repaints once when it ends.
class TRedrawBatch {
public:
    void Begin(HWND w) {
        if (FDepth++ == 0) FFrozen.emplace(w);
    }
    // True when the outermost batch ended.
    bool End() {
        if (FDepth == 0 || --FDepth > 0) return false;
        FFrozen.reset();
        return true;
    }
    bool Active() const { return FDepth > 0; }

private:
    int FDepth = 0;
    std::optional<TNoRedraw> FFrozen;
};

// The header of a top-down DIB of width x height pixels at bits per pixel (BI_RGB, no colour table).
inline BITMAPINFO TopDownDibInfo(int width, int height, int bits) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = static_cast<WORD>(bits);
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

// The hourglass for one scope of long work on the window thread.
class TWaitCursor {
public:
    TWaitCursor() : FOld(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~TWaitCursor() { SetCursor(FOld); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
    HCURSOR FOld;
};

// A window DC for one scope.
class TWindowDC {
public:
    explicit TWindowDC(HWND w) : FWnd(w), FDC(GetDC(w)) {}
    ~TWindowDC() { ReleaseDC(FWnd, FDC); }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    HDC Get() const { return FDC; }

private:
    HWND FWnd;
    HDC FDC;
};

// The painting DC of a WM_PAINT for one scope: BeginPaint here, EndPaint at its end.
class TPaintDC {
public:
    explicit TPaintDC(HWND w) : FWnd(w), FDC(BeginPaint(w, &FPaint)) {}
    ~TPaintDC() { EndPaint(FWnd, &FPaint); }
    TPaintDC(const TPaintDC&) = delete;
    TPaintDC& operator=(const TPaintDC&) = delete;
    HDC Get() const { return FDC; }

private:
    HWND FWnd;
    PAINTSTRUCT FPaint{};
    HDC FDC;
};
