#pragma once
// The editor's default palette: 16 ramps of 16 shades, grey first. Its 256 colours are
// pairwise distinct, so they also serve as the key colours of the index grid.
#include "formats/ImageRecord.h"

// Entry i as 0xRRGGBB.
extern const uint32_t kDefaultPaletteRGB[256];
// The same colours as palette entries (blue, green, red, 0).
ImagePalette DefaultPalette();
