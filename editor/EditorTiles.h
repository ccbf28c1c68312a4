#pragma once
// The pictures the editor's tile sets are filled with.
#include "base/Bitmap.h"

// Three 32x32 tiles in a column: pen, fill and colour pick; hotspot (9, 22) each.
TBitmap ToolCursorColours();  // black and white
TBitmap ToolCursorMasks();    // white = transparent
// A 48x48 8-bit picture over the default palette: 4x4 tiles of 12x12, tile k showing ramp k.
TBitmap RampGlyphs();
