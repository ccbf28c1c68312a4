#include "gif/GIFDIB_win.h"

#include <cstring>

#include "base/Text.h"
#include "gif/GIFUtil.h"

void RaiseOutOfResources() {
    const DWORD error = GetLastError();
    std::string text;
    if (error != 0) {
        wchar_t buffer[256] = {};
        DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                                 MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer, 256, nullptr);
        while (n > 0 && (buffer[n - 1] == L'\r' || buffer[n - 1] == L'\n' || buffer[n - 1] == L' ')) --n;
        text = WideToUtf8(std::wstring(buffer, n));
    }
    throw EOutOfResources(text.empty() ? "Out of system resources" : text);
}

namespace {
int BitsOfFormat(TPixelFormat pixelFormat) {
    switch (pixelFormat) {
    case TPixelFormat::pf1bit: return 1;
    case TPixelFormat::pf4bit: return 4;
    case TPixelFormat::pf8bit: return 8;
    case TPixelFormat::pf24bit: return 24;
    default: RaiseGIFError("Unsupported PixelFormat");
    }
}

// The header of the bitmap as a DIB of the format; a DIB section's own header is the start.
BITMAPINFOHEADER DIBHeaderOf(HBITMAP bitmap, TPixelFormat pixelFormat) {
    DIBSECTION ds{};
    const int got = GetObjectW(bitmap, sizeof ds, &ds);
    if (got == 0) throw EInvalidGraphic("Invalid bitmap");
    BITMAPINFOHEADER h{};
    if (got >= static_cast<int>(sizeof(DIBSECTION)) && ds.dsBmih.biSize >= sizeof(BITMAPINFOHEADER)) {
        h = ds.dsBmih;
    } else {
        h.biWidth = ds.dsBm.bmWidth;
        h.biHeight = ds.dsBm.bmHeight;
    }
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biBitCount = static_cast<WORD>(BitsOfFormat(pixelFormat));
    h.biPlanes = 1;
    h.biCompression = BI_RGB;
    const int64_t rowSize = ((static_cast<int64_t>(h.biWidth) * h.biBitCount + 31) & ~int64_t(31)) / 8;
    h.biSizeImage = static_cast<DWORD>(rowSize * std::abs(h.biHeight));
    if (h.biBitCount > 8) h.biClrUsed = h.biClrImportant = 0;
    return h;
}

int HeaderSizeOf(const BITMAPINFOHEADER& h) {
    return static_cast<int>(sizeof(BITMAPINFOHEADER)) + (h.biBitCount <= 8 ? 4 * (1 << h.biBitCount) : 0);
}
}  // namespace

void InternalGetDIBSizes(HBITMAP bitmap, int& headerSize, int& imageSize, TPixelFormat pixelFormat) {
    const BITMAPINFOHEADER h = DIBHeaderOf(bitmap, pixelFormat);
    headerSize = HeaderSizeOf(h);
    imageSize = static_cast<int>(h.biSizeImage);
}

bool InternalGetDIB(HBITMAP bitmap, HPALETTE palette, void* header, void* bits, TPixelFormat pixelFormat) {
    const BITMAPINFOHEADER h = DIBHeaderOf(bitmap, pixelFormat);
    std::memset(header, 0, static_cast<std::size_t>(HeaderSizeOf(h)));
    std::memcpy(header, &h, sizeof h);
    TMemDC dc(CheckResource(CreateCompatibleDC(nullptr)));
    HPALETTE old = nullptr;
    if (palette) {
        old = SelectPalette(dc.Get(), palette, FALSE);
        RealizePalette(dc.Get());
    }
    const int rows = GetDIBits(dc.Get(), bitmap, 0, static_cast<UINT>(std::abs(h.biHeight)), bits,
                               static_cast<BITMAPINFO*>(header), DIB_RGB_COLORS);
    if (old) SelectPalette(dc.Get(), old, FALSE);
    return rows > 0;
}
