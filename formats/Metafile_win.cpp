// Metafiles drawn by the system: an enhanced metafile as it stands, a Windows metafile
// converted to an enhanced one that maps its window onto the picture's frame. The system's
// playback trusts the records, so it runs only in the reader helper; the program takes the
// helper's pixels when they have the size it expects.
#include <windows.h>

#include <cstring>

#include "base/ScopeGuard.h"
#include "base/Stream.h"
#include "formats/Metafile.h"
#include "formats/ReaderProcess.h"
#include "ui/Win.h"

static_assert(kAnswerMaxPictureSide == kMetafileMaxSide);

namespace {

// A top-down 24-bit DIB section selected into a memory DC.
class TDrawingSurface {
public:
    TDrawingSurface(int width, int height) {
        BITMAPINFO bi = TopDownDibInfo(width, height, 24);
        FDC = CreateCompatibleDC(nullptr);
        FBitmap = CreateDIBSection(FDC, &bi, DIB_RGB_COLORS, &FBits, nullptr, 0);
        if (FDC && FBitmap) FOld = SelectObject(FDC, FBitmap);
    }
    ~TDrawingSurface() {
        if (FOld) SelectObject(FDC, FOld);
        if (FBitmap) DeleteObject(FBitmap);
        if (FDC) DeleteDC(FDC);
    }
    TDrawingSurface(const TDrawingSurface&) = delete;
    TDrawingSurface& operator=(const TDrawingSurface&) = delete;
    bool Ready() const { return FOld && FBits; }
    HDC DC() const { return FDC; }
    const uint8_t* Row(int y, int rowBytes) const { return static_cast<const uint8_t*>(FBits) + std::size_t(y) * rowBytes; }

private:
    HDC FDC = nullptr;
    HBITMAP FBitmap = nullptr;
    HGDIOBJ FOld = nullptr;
    void* FBits = nullptr;
};

HENHMETAFILE EnhancedOf(const TMetafilePicture& picture, HDC screen, int dpiX, int dpiY) {
    const UINT size = static_cast<UINT>(picture.Bits.size());
    if (picture.Kind == TMetafileKind::Enhanced) return SetEnhMetaFileBits(size, picture.Bits.data());
    METAFILEPICT mfp{};
    if (picture.HasFrame) {
        // The window of the metafile mapped onto the frame, given in 0.01 mm.
        mfp.mm = MM_ANISOTROPIC;
        mfp.xExt = MulDiv(picture.Size.Width, 2540, dpiX);
        mfp.yExt = MulDiv(picture.Size.Height, 2540, dpiY);
    } else {
        // No window of its own: drawn in pixels, its frame what the drawing covers.
        mfp.mm = MM_TEXT;
    }
    return SetWinMetaFileBits(size, picture.Bits.data(), screen, &mfp);
}

// The metafile in the file, read at the resolution of the screen (96 dpi without one).
std::optional<TMetafilePicture> ReadMetafileFile(const std::string& path, HDC screen, int& dpiX, int& dpiY) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, kMetafileMaxBytes)) return std::nullopt;
    dpiX = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    dpiY = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    return ReadMetafile(bytes.data(), bytes.size(), dpiX, dpiY);
}

} // namespace

bool DrawMetafileInProcess(const std::string& path, TBitmap& out) {
    HDC screen = GetDC(nullptr);
    TScopeExit releaseScreen([screen] {
        if (screen) ReleaseDC(nullptr, screen);
    });
    int dpiX = 96, dpiY = 96;
    std::optional<TMetafilePicture> picture = ReadMetafileFile(path, screen, dpiX, dpiY);
    if (!picture) return false;
    HENHMETAFILE emf = EnhancedOf(*picture, screen, dpiX, dpiY);
    if (!emf) return false;
    TScopeExit deleteEmf([emf] { DeleteEnhMetaFile(emf); });
    TMetafileSize size = picture->Size;
    if (!picture->HasFrame) {
        ENHMETAHEADER header{};
        if (GetEnhMetaFileHeader(emf, sizeof header, &header) == 0) return false;
        const RECTL& b = header.rclBounds;
        std::optional<TMetafileSize> covered =
            MetafileDrawSize(int64_t{b.right} - b.left + 1, int64_t{b.bottom} - b.top + 1, dpiX, dpiY, dpiX, dpiY);
        if (!covered) return false;
        size = *covered;
    }
    TDrawingSurface surface(size.Width, size.Height);
    if (!surface.Ready()) return false;
    const RECT all{0, 0, size.Width, size.Height};
    FillRect(surface.DC(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (!PlayEnhMetaFile(surface.DC(), emf, &all)) return false;
    GdiFlush();
    TBitmap picture24(size.Width, size.Height, TPixelFormat::pf24bit);
    const int rowBytes = picture24.RowBytes();
    for (int y = 0; y < size.Height; ++y) std::memcpy(picture24.ScanLine(y), surface.Row(y, rowBytes), rowBytes);
    out = std::move(picture24);
    return true;
}

bool DrawMetafileFile(const std::string& path, TBitmap& out) {
    // Our own reading first: what is no sound metafile never reaches the helper.
    HDC screen = GetDC(nullptr);
    int dpiX = 96, dpiY = 96;
    const std::optional<TMetafilePicture> picture = ReadMetafileFile(path, screen, dpiX, dpiY);
    if (screen) ReleaseDC(nullptr, screen);
    if (!picture) return false;
    const std::optional<std::vector<uint8_t>> answer = ReaderAnswer({TReaderJob::Metafile, path});
    if (!answer) return false;
    const std::optional<TPictureAnswer> drawn = ParsePictureAnswer(answer->data(), answer->size());
    // A picture with a frame of its own has the size we found; one without is what its drawing covers.
    if (!drawn || (picture->HasFrame && TMetafileSize{drawn->Width, drawn->Height} != picture->Size)) return false;
    TBitmap picture24(drawn->Width, drawn->Height, TPixelFormat::pf24bit);
    const std::size_t row = std::size_t(drawn->Width) * 3;
    for (int y = 0; y < drawn->Height; ++y) std::memcpy(picture24.ScanLine(y), drawn->Pixels.data() + row * y, row);
    out = std::move(picture24);
    return true;
}
