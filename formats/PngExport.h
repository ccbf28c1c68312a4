#pragma once
// PNG pictures and MNG animations of the document. Each image is taken as WriteBmpFile
// writes it in the save mode, encoded by the PNG codec in memory, and the codec's time
// stamp, "Software" text and tpNG chunks are cut out.
#include <cstdint>
#include <string>
#include <vector>

#include "base/Bitmap.h"
#include "formats/AniFile.h"
#include "formats/ImageRecord.h"
#include "formats/WriteResult.h"

// The bitmap WriteBmpFile writes for the image in the save mode, read back.
TBitmap SavedBitmap(const CCURSOR& image, AniSaveMode mode);

// Puts the pixels marked in transparent (1024 flags, [y * 32 + x], y = 0 the top row) on
// one palette entry of the 32x32 paletted bitmap that no other pixel uses, with the
// colour they show: the entry they share when no other pixel uses it, else the lowest
// entry no pixel uses, else one entry more past the full table (a 1-bit bitmap becomes
// 4-bit with 3 entries, a 4-bit one 8-bit with 17). Returns that entry; -1, and the
// bitmap as it was, when no pixel is marked or a full 8-bit table leaves no entry.
int GiveTransparentPixelsAnEntry(TBitmap& bitmap, const std::vector<bool>& transparent);

// What a PNG or GIF file holds of the image in the save mode: the bitmap WriteBmpFile
// writes, its transparent pixels (when the Transparent flag is set, those of the palette
// index at TransX, TransY) on an entry of their own, so that every other pixel stays
// opaque with its colour however the save mode reduced the colours.
struct SavedPicture {
    TBitmap Bitmap;
    int TransparentIndex = -1;  // the entry of the transparent pixels, -1 = none
};
SavedPicture SavedPictureOf(const CCURSOR& image, AniSaveMode mode);

// The PNG file of one image: signature, IHDR, gAMA, PLTE, tRNS (by palette index, when
// the image is transparent), IDAT, IEND. The bit depth is the smallest that holds the
// palette of SavedPictureOf (a two-colour picture with transparency is written at 2 bits).
std::vector<uint8_t> BuildPngImage(const CCURSOR& image, AniSaveMode mode);
// The codec's output without its tIME, tEXt and tpNG chunks. Throws EInvalidGraphic when
// the bytes are not a sequence of whole chunks behind the PNG signature.
std::vector<uint8_t> StripPngStamps(const std::vector<uint8_t>& png);

// MNG: signature, MHDR (32 x 32, 100 ticks per second), per image a FRAM chunk (every
// frame 30 ticks) and the image's PNG chunks, MEND. Images in image-list order.
std::vector<uint8_t> BuildMngFile(const std::vector<const CCURSOR*>& images, AniSaveMode mode);

// True when written; false when the file could not be written (an existing file is left as it was).
bool WritePngFile(const CCURSOR& image, AniSaveMode mode, const std::string& path);
// 1 = written; 0 = the file could not be written (an existing file is left as it was).
WriteResult WriteMngFile(const std::vector<const CCURSOR*>& images, AniSaveMode mode, const std::string& path);
