#pragma once
// The rules of the current image that need no window: the colour each pixel shows, the
// masks of the cursor made from it, the copy written to files (the Out copy) and the
// unique names of new images.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "formats/ImageRecord.h"

// The colour pixel index i shows: its palette entry, complemented when the entry is inverse.
TColor ShownColour(const ImagePalette& palette, const InverseFlags& inverse, int index);

// What the cursor of an image is made of and what is written to files.
struct CursorImageParts {
    // AND mask, 1 = the screen shows through (white in the 1-bit mask picture), [y][x], y = 0 top.
    std::array<std::array<uint8_t, kImageSize>, kImageSize> AndMask{};
    // XOR image colours, [y][x].
    std::array<std::array<TColor, kImageSize>, kImageSize> XorImage{};
    PixelBlock OutPixels;
    ImagePalette OutPalette{};
};

// Takes pixel (transX, transY) as the transparent one (when transparent is set) and
// derives the masks and the Out copy: transparent pixels keep AND 1 / XOR black, inverse
// pixels keep AND 1 and carry their palette colour in XOR, every other pixel is opaque.
// In the Out copy transparent pixels point at a black palette entry: the lowest entry
// whose blue, green and red are 0, or the transparent entry itself made black.
// The Out mask area holds the AND mask.
CursorImageParts DeriveCursorParts(const PixelBlock& pixels, const ImagePalette& palette, const InverseFlags& inverse,
                                   int transX, int transY, bool transparent);

// Copies an AND mask into the mask area of a pixel block (bottom row first, MSB = left).
void StoreAndMask(const CursorImageParts& parts, PixelBlock& block);

// The name itself when it is not taken, else name + "1", name + "2", … the first free.
std::string MakeUniqueName(const std::string& name, const std::function<bool(const std::string&)>& taken);
std::string MakeUniqueName(const std::string& name, const std::vector<std::string>& existing);

// Whether the add commands (new, duplicate, open) may start with this many images.
inline bool CanAddImage(int imageCount) { return imageCount < kMaxImages; }
