#pragma once
// Palette operations of the editor on its image record: the picture either follows its
// entries when they move, or is re-matched to the nearest colour afterwards
// (RemapToPalette with the view taken before the change). Only the 1024 index bytes of
// the pixel block are touched; the mask area is carried along.
#include <array>
#include <cstdint>

#include "base/Color.h"
#include "formats/ImageRecord.h"

// The picture as shown, one colour per index byte of the pixel block (byte i is pixel
// (i mod 32, 31 - i div 32)); inverse entries show their complement.
using TPaletteView = std::array<TColor, kIndexBytes>;

// The colour entry `index` shows: the stored colour, complemented for an inverse entry.
TColor DisplayedColour(const ImageRecord& image, int index);
TPaletteView ViewOf(const ImageRecord& image);
// Stores a colour the user sees into an entry (complemented for an inverse entry).
void StoreShownColour(ImageRecord& image, int index, TColor shown);
// Flips the inverse flag of an entry and complements its stored colour; the entry
// shows the same colour as before.
void ToggleInverse(ImageRecord& image, int index);
// Every inverse entry stores the colour it shows and loses its flag.
void FoldInverseColours(ImageRecord& image);

// Every pixel takes the entry nearest to its colour in `view` (displayed colours, the
// first of equals). The palette is left as it is.
void RemapToPalette(ImageRecord& image, const TPaletteView& view);

// Moves entry `from` to `to`; the entries between shift one place toward `from` and
// every pixel keeps its colour.
void MoveEntry(ImageRecord& image, int from, int to);
// Opens `count` entries at `position`: entries from there on move up by `count`, the
// pixels with them; entries pushed past 255 are lost and their pixels take entry 255.
// The gap keeps its old colours until the caller overwrites them.
void InsertPaletteGap(ImageRecord& image, int position, int count);
// Deletes the entries between a and b inclusive: the later entries move down, the
// pixels with them; the freed entries at the end become black with flag 0, and the
// pixels of the k-th deleted entry take the k-th of them.
void DeletePaletteRange(ImageRecord& image, int a, int b);
// Swaps colour and flag of two entries; the pixels keep their indices.
void SwapEntries(ImageRecord& image, int a, int b);

// Writes a ramp from the main colour at entry `main` to the sub colour at entry `sub`
// (both as the user sees them), each entry stored by its inverse flag. Nothing when
// main = sub. The caller re-matches the pixels.
void MakeGradient(ImageRecord& image, int main, int sub, TColor mainShown, TColor subShown);
// Overwrites the 16 entries from `start` (those up to 255) with the ramp's colours.
void WriteRamp(ImageRecord& image, int start, const std::array<TColor, 16>& ramp);

// The four sorts of the palette: inverse colours are folded first, then the entries are
// reordered by stable bucket passes, the last pass deciding. The pixels keep their
// indices; the caller re-matches them.
enum class TPaletteSort { Lightness, Hue, SaturationA, SaturationB };
void SortPalette(ImageRecord& image, TPaletteSort sort);
// The single passes, as orders of old entry numbers (new entry i = old entry order[i]).
using TPaletteOrder = std::array<uint8_t, 256>;
TPaletteOrder LightnessOrder(const ImagePalette& palette);
TPaletteOrder HueOrder(const ImagePalette& palette);
TPaletteOrder SaturationOrder(const ImagePalette& palette);
void ApplyOrder(ImageRecord& image, const TPaletteOrder& order);

// Keeps the first of each group of entries equal in colour and flag, packed from entry 0
// in their order; the rest become black with flag 0. The caller re-matches the pixels.
void MergeDuplicates(ImageRecord& image);

// The palette read as a 16x16 grid (entry 16 * row + column), mirrored or rotated;
// the pixels follow their entries.
enum class TGridTransform { MirrorLeftRight, MirrorUpDown, Rotate180, Rotate90Right, Rotate90Left };
int TransformedIndex(TGridTransform t, int index);
void TransformGrid(ImageRecord& image, TGridTransform t);

// The picture matched onto the 16 system colours: entries 0..15 hold them, the rest
// black, no inverse flags.
void ReduceToSystemColours(ImageRecord& image, const TPaletteView& view);
// Only the entries the picture uses stay, in their order, from entry 0; inverse colours
// are folded; the rest become black. The picture keeps its look exactly.
void RemoveUnusedColours(ImageRecord& image);
// True when the colour reduction to 256 keeps every colour of the picture (as shown) as
// it is: those colours, with black and white that the reduction always adds, are at most
// 256, so no merge runs.
bool ReductionKeepsEveryColour(const TPaletteView& view);
// Takes the palette of a finished reduction (the first `colours` entries, the rest
// black, no inverse flags) and re-matches the picture onto it.
void TakeReducedPalette(ImageRecord& image, const ImagePalette& reduced, int colours, const TPaletteView& view);
