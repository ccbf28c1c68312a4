#pragma once
// The palettes the editor carries beside its default palette (DefaultPalette.h): the 16
// system colours, the ramps of the "add gradient" menu and the palette menu's built-in
// palettes.
#include <array>

#include "base/Color.h"
#include "editor/DefaultPalette.h"
#include "formats/ImageRecord.h"

// The 16 system colours in the order the system-colour reduction and the first ramp use.
const std::array<TColor, 16>& SystemColours();

// The ramps of "add gradient": 0 is the 16 system colours, 1..16 the rows 0..15 of the
// default palette.
constexpr int kRampCount = 17;
std::array<TColor, 16> Ramp(int item);

// The palette menu's built-in palettes by their kind number:
// 0 default, 1 KH, 2 DPX, 3 MS, 4 MAC, 5 MS2.
enum class TPresetKind { Default = 0, KH = 1, DPX = 2, MS = 3, MAC = 4, MS2 = 5 };
ImagePalette BuiltInPalette(TPresetKind kind);
