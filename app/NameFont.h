#pragma once
// The font every place that shows an image's name writes it with.
#include <windows.h>

// The window font one pixel taller. At 12 pixels the Gothic face that Wine draws "MS UI Gothic"
// with rounds the underscore away ("pic_apm" showed as "pic apm"); 13 pixels keep it, and the
// text still fits a 16-pixel row below its 2-pixel margin. The caller owns the font.
inline HFONT MakeNameFont(HFONT base) {
    LOGFONTW lf{};
    GetObjectW(base, sizeof lf, &lf);
    lf.lfHeight = lf.lfHeight < 0 ? lf.lfHeight - 1 : -13;
    return CreateFontIndirectW(&lf);
}
