#pragma once
// What a cursor looks like to the tests: its size, hotspot, and mask and colour pixels as
// GetIconInfo hands them out, for comparing our cursors with the system loader's.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/Text.h"
#include "ui/Win.h"

namespace cursorlook {

struct TCursorLook {
    int Width = 0, Height = 0;
    unsigned HotX = 0, HotY = 0;
    std::vector<uint32_t> Mask, Colour;
    bool operator==(const TCursorLook&) const = default;
};

inline std::vector<uint32_t> PixelsOf(HBITMAP b, int width, int height) {
    std::vector<uint32_t> px(std::size_t(width) * height);
    BITMAPINFO bi = TopDownDibInfo(width, height, 32);
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, b, 0, static_cast<UINT>(height), px.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    return px;
}

inline TCursorLook LookOf(HCURSOR c) {
    TCursorLook look;
    ICONINFO ii{};
    if (!c || !GetIconInfo(c, &ii)) return look;
    BITMAP bm{};
    GetObjectW(ii.hbmMask, sizeof bm, &bm);
    look.Width = bm.bmWidth;
    look.Height = ii.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
    look.HotX = ii.xHotspot;
    look.HotY = ii.yHotspot;
    look.Mask = PixelsOf(ii.hbmMask, look.Width, look.Height);
    if (ii.hbmColor) look.Colour = PixelsOf(ii.hbmColor, look.Width, look.Height);
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    return look;
}

// The cursor the system's own loader makes of a file: as LoadCursorFromFileW loads it, or at
// the default size as LoadImageW does (the caller destroys it).
inline HCURSOR SystemLoadedCursor(const std::string& file, bool defaultSize) {
    const std::wstring name = Utf8ToWide(file);
    return defaultSize ? static_cast<HCURSOR>(LoadImageW(nullptr, name.c_str(), IMAGE_CURSOR, 0, 0,
                                                         LR_LOADFROMFILE | LR_DEFAULTSIZE))
                       : LoadCursorFromFileW(name.c_str());
}

// Our cursor has the system's size, hotspot, mask and colour, pixel for pixel.
inline void ExpectLooksAlike(const TCursorLook& system, const TCursorLook& ours) {
    EXPECT_GT(system.Width, 0);
    EXPECT_EQ(ours.Width, system.Width);
    EXPECT_EQ(ours.Height, system.Height);
    EXPECT_EQ(ours.HotX, system.HotX);
    EXPECT_EQ(ours.HotY, system.HotY);
    EXPECT_TRUE(ours.Mask == system.Mask);
    EXPECT_TRUE(ours.Colour == system.Colour);
    for (std::size_t i = 0; ours.Colour.size() == system.Colour.size() && i < ours.Colour.size(); ++i) {
        if (ours.Colour[i] == system.Colour[i]) continue;
        ADD_FAILURE() << "first colour difference at " << i << ": " << std::hex << system.Colour[i] << " against "
                      << ours.Colour[i];
        break;
    }
}

} // namespace cursorlook
