#pragma once
// PNG pictures and MNG animations of the document. Each image is taken as WriteBmpFile
// writes it in the save mode, encoded by the PNG codec in memory, and the codec's time
// stamp, "Software" text and tpNG chunks are cut out.
#include <cstdint>
#include <string>
#include <vector>

#include "formats/AniFile.h"
#include "formats/ImageRecord.h"
#include "formats/WriteResult.h"

class TBitmap;

// The palette index of the bitmap written for the image at its transparent point
// (TransX, TransY), or -1 when the image's Transparent flag is off.
int SavedTransparentIndex(const CCURSOR& image, const TBitmap& saved);
// The bitmap WriteBmpFile writes for the image in the save mode, read back.
TBitmap SavedBitmap(const CCURSOR& image, AniSaveMode mode);

// The PNG file of one image: signature, IHDR, gAMA, PLTE, tRNS (by palette index, when
// the image is transparent), IDAT, IEND.
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
