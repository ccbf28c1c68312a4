#pragma once
// Windows palette-handle and device-context helpers, thin wrappers over BitmapPalette.h.
#include <windows.h>

#include <vector>

#include "BitmapPalette.h"

namespace Sfunc {

// The palette's entries (up to 256) as a table; empty when the handle gives none.
std::vector<TGLDPalRGB> PaletteTableOf(HPALETTE palette);
int GetNearestPaletteIndex(HPALETTE palette, TColor colour);    // -1 when the palette gives no entries
TColor GetNearestPaletteColor(HPALETTE palette, TColor colour);  // -1 when the palette gives no entries
TColor GetPaletteColor(HPALETTE palette, int index);            // -1 when the entry cannot be read
int GetPaletteColorTable(HPALETTE palette, TGLDPalRGB* table);
// A new palette handle (version 0x300) of count entries; the caller owns it.
HPALETTE CreatePaletteHandle(const TGLDPalRGB* table, int count);

} // namespace Sfunc
