#pragma once
// What Susie image plug-ins hand over, free of the loader's Win32 side: the picture
// information record, the file extension rule, and the turning of the two memory blocks
// that GetPicture returns (bitmap information, pixel bits) into a bitmap.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/Bitmap.h"

#pragma pack(push, 1)
// The picture information record of the plug-in interface, as GetPictureInfo fills it.
struct TSusiePictureInfo {
    int32_t Left, Top;       // where the picture lies in its file's coordinate space
    int32_t Width, Height;   // in pixels
    uint16_t XDensity, YDensity;
    int16_t ColorDepth;      // bits per pixel
    void* HInfo;             // text information (a memory handle the caller frees), or null
};
#pragma pack(pop)

// The file's extension from its last point on, in upper case (".JPG"), at most 31
// characters; "" when the file name has no point.
std::string SusieExtension(const std::string& path);
// ".BMP", ".WMF" and ".EMF" are read without plug-ins.
bool ReadWithoutPlugin(const std::string& extension);

// Whether the size a plug-in's picture information declares is past the limits: such a
// picture is not asked for. (A size of 0 says nothing: the blocks are checked then.)
bool SusiePictureTooLarge(const TSusiePictureInfo& info, const TBitmapLimits& limits = {});

// The picture of the two blocks (each with the size of its memory block). Width, height and
// depth come from the information block's header; every size is checked against the blocks.
// Throws EInvalidGraphic when the blocks do not hold a picture.
TBitmap SusieBlocksToBitmap(const uint8_t* info, std::size_t infoSize, const uint8_t* bits, std::size_t bitsSize,
                            const TBitmapLimits& limits = {});
