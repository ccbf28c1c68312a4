#pragma once
// Types, limits and message texts shared by the whole GIF codec.
#include <cstdint>
#include <memory>
#include <vector>

#include "base/Exception.h"

enum TGIFVersion { gvUnknown, gv87a, gv89a };
enum TGIFSeverity { gsInfo, gsWarning, gsError };
enum TGIFCompression { gcLZW, gcRLE };
enum TDisposalMethod { dmNone, dmNoDisposal, dmBackground, dmPrevious };
enum TProgressStage { psStarting, psRunning, psEnding };

// The codec's exception: a picture that cannot be read or written.
class GIFException : public EInvalidGraphic {
public:
    using EInvalidGraphic::EInvalidGraphic;
};

// A logical palette as a value: what the window code turns into a platform palette.
struct TPaletteEntry {
    uint8_t peRed = 0, peGreen = 0, peBlue = 0, peFlags = 0;
    friend bool operator==(const TPaletteEntry&, const TPaletteEntry&) = default;
};
struct TLogPalette {
    uint16_t palVersion = 0x300;
    std::vector<TPaletteEntry> palPalEntry;
};
// Palettes are compared by identity, like handles; null is "no palette".
using TPaletteHandle = std::shared_ptr<const TLogPalette>;

// What a reader accepts before it allocates anything.
struct TGIFLimits {
    int64_t MaxFramePixels = 8192LL * 8192;
    int64_t MaxTotalPixels = 256LL * 1024 * 1024;
    int MaxFrames = 65535;
};

// Message texts of the codec.
namespace GIFText {
inline constexpr const char* _sOutOfData = "Premature end of data";
inline constexpr const char* _sTooManyColors = "Color table overflow";
inline constexpr const char* _sBadColorIndex = "Invalid color index";
inline constexpr const char* _sEmptyColorMap = "Color table is empty";
inline constexpr const char* _sBadVersion = "Unsupported GIF version";
inline constexpr const char* _sBadSignature = "Invalid GIF signature";
inline constexpr const char* _sEmptyImage = "Image is empty";
inline constexpr const char* _sBadPixelCoordinates = "Invalid pixel coordinates";
inline constexpr const char* _sBadWidth = "Image width too small for contained frames";
inline constexpr const char* _sBadHeight = "Image height too small for contained frames";
inline constexpr const char* _sScreenSizeExceeded = "Image exceeds Logical Screen size";
inline constexpr const char* _sBadExtensionLabel = "Invalid extension introducer";
inline constexpr const char* _sUnknownExtension = "Unknown extension type";
inline constexpr const char* _sBadExtensionInstance = "Internal error: Extension Instance does not match Extension Label";
inline constexpr const char* _sBadAppExtensionSize = "Unsupported Application Extension block size";
inline constexpr const char* _sInvalidData = "Invalid GIF data";
inline constexpr const char* _sBadTrailer = "Invalid Image trailer";
inline constexpr const char* _sUnknownBlock = "Unknown GIF block type";
inline constexpr const char* _sDecodeTooFewBits = "Decoder bit buffer under-run";
inline constexpr const char* _sDecodeCircular = "Circular decoder table entry";
inline constexpr const char* _sInvalidColor = "Color not in color table";
inline constexpr const char* _sInvalidStream = "Invalid stream operation";
inline constexpr const char* _sLimitExceeded = "GIF exceeds the reader's size limits";
inline constexpr const char* _sLoading = "Loading...";
inline constexpr const char* _sSaving = "Saving...";
}  // namespace GIFText

namespace GIFText {
inline constexpr const char* _sProgressConverting = "Converting...";
inline constexpr const char* _sProgressRendering = "Rendering...";
inline constexpr const char* _sProgressCopying = "Copying...";
inline constexpr const char* _sProgressOptimizing = "Optimizing...";
inline constexpr const char* _sUnsupportedClass = "Object type not supported for operation";
inline constexpr const char* _sInvalidBitSize = "Invalid Bits Per Pixel value";
inline constexpr const char* _sInvalidReduction = "Invalid reduction method";
inline constexpr const char* _sNoColorTable = "No global or local color table defined";
}  // namespace GIFText

// Raised by a progress handler to cancel a long operation quietly.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
};
