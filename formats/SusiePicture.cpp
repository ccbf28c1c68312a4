#include "formats/SusiePicture.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/ByteIO.h"
#include "base/Exception.h"
#include "base/Text.h"

std::string SusieExtension(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    return UpperAscii(path.substr(dot, 31));
}

bool ReadWithoutPlugin(const std::string& extension) {
    return extension == ".BMP" || extension == ".WMF" || extension == ".EMF";
}

bool SusiePictureTooLarge(const TSusiePictureInfo& info, const TBitmapLimits& limits) {
    const int64_t width = std::abs(int64_t{info.Width}), height = std::abs(int64_t{info.Height});
    return width > limits.MaxWidth || height > limits.MaxHeight || width * height > limits.MaxPixels;
}

TBitmap SusieBlocksToBitmap(const uint8_t* info, std::size_t infoSize, const uint8_t* bits, std::size_t bitsSize,
                            const TBitmapLimits& limits) {
    if (!info || !bits || infoSize < 40 || bitsSize == 0) throw EInvalidGraphic("missing picture blocks");
    const uint32_t headerSize = GetLE32(info);
    if (headerSize < 40 || headerSize > infoSize) throw EInvalidGraphic("bad header size");
    const int64_t width = static_cast<int32_t>(GetLE32(info + 4));
    int64_t height = static_cast<int32_t>(GetLE32(info + 8));
    const unsigned depth = GetLE16(info + 14);
    const uint32_t compression = GetLE32(info + 16);
    if (height < 0) height = -height;
    if (width <= 0 || height <= 0 || width > limits.MaxWidth || height > limits.MaxHeight ||
        width * height > limits.MaxPixels)
        throw EInvalidGraphic("bad dimensions");
    if (depth == 0 || depth > 32) throw EInvalidGraphic("unsupported depth");
    // Uncompressed rows must all lie in the pixel block; compressed ones are bounded by it.
    const int64_t rowBytes = (width * depth + 31) / 32 * 4;
    if ((compression == 0 || compression == 3) && rowBytes * height > static_cast<int64_t>(bitsSize))
        throw EInvalidGraphic("truncated pixel data");
    if (static_cast<int64_t>(infoSize) + static_cast<int64_t>(bitsSize) > limits.MaxBytes)
        throw EInvalidGraphic("exceeds limit");

    // One .bmp image in memory, whose offset points at the pixel block: the bitmap reader
    // then takes the bits from there whatever the information block holds after its colours.
    const std::size_t offset = 14 + infoSize;
    std::vector<uint8_t> file(offset + bitsSize);
    file[0] = 'B';
    file[1] = 'M';
    PutLE32(file.data() + 2, static_cast<uint32_t>(file.size()));
    PutLE32(file.data() + 10, static_cast<uint32_t>(offset));
    std::memcpy(file.data() + 14, info, infoSize);
    std::memcpy(file.data() + offset, bits, bitsSize);
    TBitmap picture;
    picture.LoadFromMemory(file.data(), file.size(), limits);
    return picture;
}
