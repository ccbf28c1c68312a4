#pragma once
// The still picture of a cursor file the user chose (.cur, .ico, .ani), read by our own
// readers: the image a cursor loader takes for a cursor of a given size on a screen of a
// given depth (the nearest size of those no larger, then the nearest depth), or for an
// animated cursor the image of its first step. Only that one image is decoded. The result is a bitmap resource
// of our own writing that a window layer turns into a cursor as the system's loader would
// turn the file's own image.
#include <cstddef>
#include <cstdint>
#include <vector>

// Sides of a cursor's image our readers decode (the largest the structure check lets through).
constexpr int kCursorPictureMaxSide = 1024;

struct TCursorPicture {
    // BITMAPINFOHEADER (40 bytes, the height counting colour and mask rows), palette, colour
    // rows, AND mask rows, bottom row first. A PNG image is given as 32-bit rows with its
    // alpha, the mask set where the alpha is below one half (as loaders make it).
    std::vector<uint8_t> Resource;
    int Width = 0, Height = 0;  // of the image
    int Bits = 0;               // of its colour rows
    int Colours = 0;            // palette entries
    // The hotspot the file names for the image (for an icon image the planes and depth its
    // directory entry holds in those fields, as loaders read them).
    int HotX = 0, HotY = 0;
    // The cursor keeps the image's own size (an animation's frame); otherwise it is stretched
    // to the size asked for, its hotspot with it.
    bool OwnSize = false;

    std::size_t ColourOffset() const { return 40 + 4 * static_cast<std::size_t>(Colours); }
    std::size_t RowBytes() const { return (static_cast<std::size_t>(Width) * Bits + 31) / 32 * 4; }
    std::size_t MaskOffset() const { return ColourOffset() + RowBytes() * static_cast<std::size_t>(Height); }
    std::size_t MaskRowBytes() const { return (static_cast<std::size_t>(Width) + 31) / 32 * 4; }
};

// The picture of a cursor or icon file, or of an animated cursor's first step, for a cursor
// of width x height at `depth` bits. False when our readers cannot read the image chosen.
bool ReadCursorPicture(const uint8_t* data, std::size_t size, int width, int height, int depth, TCursorPicture& out);

// How many images ReadCursorPicture has decoded in this process.
uint64_t CursorPicturesDecoded();
