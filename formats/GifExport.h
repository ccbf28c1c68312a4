#pragma once
// GIF pictures and animated GIFs of the document. Each image is taken as WriteBmpFile
// writes it in the save mode and encoded by the GIF codec in memory; its image
// descriptor, colour table and data are framed here with the header, the looping
// extension and a graphic control extension per frame.
#include <cstdint>
#include <string>
#include <vector>

#include "formats/AniFile.h"
#include "formats/ImageRecord.h"
#include "formats/WriteResult.h"

constexpr int kGifLoopCount = 10000;

// The frame delay in hundredths of a second for an interval in jiffies (1/60 s, 1..911):
// jiffies x 167 / 100 below 61, and 100 (one second) from 61 on.
int GifDelayOfJiffies(int jiffies);

// One image encoded by the GIF codec, split where the writers splice it.
struct GifFrameParts {
    std::vector<uint8_t> Header;  // signature, version, logical screen descriptor (13 bytes)
    std::vector<uint8_t> Image;   // image descriptor, local colour table and data, no trailer
    int TransparentIndex = -1;    // index of the transparent point in the frame's colour table, -1 = none
};
// Throws EInvalidGraphic when the codec's output is not header, image and trailer.
GifFrameParts EncodeGifFrame(const CCURSOR& image, AniSaveMode mode);

// Single image: header (as GIF89a), graphic control extension (delay 0), image, trailer.
std::vector<uint8_t> BuildGifImage(const CCURSOR& image, AniSaveMode mode);
// Animation: GIF89a 32 x 32 without a global colour table, NETSCAPE2.0 looping 10000
// times, then per image a graphic control extension (restore to background, the delay of
// defaultSpeed jiffies, transparency) and the image; the trailer. Image-list order.
std::vector<uint8_t> BuildAnimatedGif(const std::vector<const CCURSOR*>& images, AniSaveMode mode, int defaultSpeed);

// True when written; false when the file could not be written (an existing file is left as it was).
bool WriteGifFile(const CCURSOR& image, AniSaveMode mode, const std::string& path);
// 1 = written; 0 = the file could not be written (an existing file is left as it was).
WriteResult WriteAnimatedGif(const std::vector<const CCURSOR*>& images, AniSaveMode mode, int defaultSpeed,
                         const std::string& path);
