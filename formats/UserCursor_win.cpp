#include "formats/UserCursor.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/ScopeGuard.h"
#include "base/Stream.h"
#include "base/Text.h"
#include "formats/ByteSource.h"
#include "formats/CursorPicture.h"
#include "formats/CursorRewrite.h"
#include "formats/IconSourceCheck.h"
#include "formats/ReaderProcess.h"
#include "ui/Win.h"

namespace {

HCURSOR SystemLoad(const std::wstring& file, TUserCursorLoad how) {
    return how == TUserCursorLoad::FromFile
               ? LoadCursorFromFileW(file.c_str())
               : static_cast<HCURSOR>(LoadImageW(nullptr, file.c_str(), IMAGE_CURSOR, 0, 0,
                                                 LR_LOADFROMFILE | LR_DEFAULTSIZE));
}

// Our own copy, in a file of the temporary folder that goes when it has been loaded.
HCURSOR LoadCopy(const std::vector<uint8_t>& copy, TUserCursorLoad how) {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, folder);
    wchar_t file[MAX_PATH + 1] = {};
    if (n == 0 || n > MAX_PATH || !GetTempFileNameW(folder, L"tcr", 0, file)) return nullptr;
    TScopeExit remove([&file] { DeleteFileW(file); });
    if (!WriteWholeFile(WideToUtf8(file), copy.data(), copy.size())) return nullptr;
    return SystemLoad(file, how);
}

// A cursor of the helper's answer: its colour pixels (with their alpha) and AND mask.
HCURSOR CursorOf(const TCursorAnswer& a) {
    BITMAPINFO bi = TopDownDibInfo(a.Width, a.Height, 32);
    void* bits = nullptr;
    HBITMAP colour = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!colour) return nullptr;
    TScopeExit freeColour([colour] { DeleteObject(colour); });
    std::memcpy(bits, a.Colour.data(), a.Colour.size());
    const std::size_t rowBytes = ((std::size_t(a.Width) + 15) / 16) * 2;  // whole 16-bit words
    std::vector<uint8_t> maskBits(rowBytes * a.Height, 0);
    for (int y = 0; y < a.Height; ++y)
        for (int x = 0; x < a.Width; ++x)
            if (a.Mask[std::size_t(y) * a.Width + x]) maskBits[rowBytes * y + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    HBITMAP mask = CreateBitmap(a.Width, a.Height, 1, 1, maskBits.data());
    if (!mask) return nullptr;
    TScopeExit freeMask([mask] { DeleteObject(mask); });
    ICONINFO ii{};
    ii.fIcon = FALSE;
    ii.xHotspot = static_cast<DWORD>(a.HotX);
    ii.yHotspot = static_cast<DWORD>(a.HotY);
    ii.hbmMask = mask;
    ii.hbmColor = colour;
    return CreateIconIndirect(&ii);
}

// The cursor a loader makes of the picture for width x height, made as it makes it: the
// colour rows (or, for a black and white image, the XOR rows below the mask) and the mask
// rows stretched to the size by the same GDI calls, the hotspot scaled with them.
HCURSOR CursorOfPicture(const TCursorPicture& p, int width, int height) {
    if (p.OwnSize) width = p.Width, height = p.Height;
    const uint8_t* res = p.Resource.data();
    const std::size_t paletteBytes = 4 * static_cast<std::size_t>(p.Colours);
    // The header with the image's own height, and room for a two-colour palette.
    std::vector<uint8_t> info(40 + std::max<std::size_t>(paletteBytes, 8), 0);
    std::memcpy(info.data(), res, 40 + paletteBytes);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    header->biHeight = p.Height;
    auto* bmi = reinterpret_cast<BITMAPINFO*>(info.data());
    const uint8_t* colourBits = res + p.ColourOffset();
    const uint8_t* maskBits = res + p.MaskOffset();
    const bool stretched = width != p.Width || height != p.Height;
    const int hotX = stretched ? p.HotX * width / p.Width : p.HotX;
    const int hotY = stretched ? p.HotY * height / p.Height : p.HotY;
    const RGBQUAD black{0, 0, 0, 0}, white{255, 255, 255, 0};
    auto same = [](const RGBQUAD& a, const RGBQUAD& b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    const bool monochrome = p.Bits == 1 && p.Colours >= 2 && same(bmi->bmiColors[0], black) && same(bmi->bmiColors[1], white);

    HDC screen = GetDC(nullptr);
    if (!screen) return nullptr;
    const int planes = GetDeviceCaps(screen, PLANES), bits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return nullptr;
    TScopeExit freeDc([dc] { DeleteDC(dc); });
    HGDIOBJ old = nullptr;
    TScopeExit deselect([&] { if (old) SelectObject(dc, old); });
    auto stretch = [&](HBITMAP to, int top, const uint8_t* rows) {
        HGDIOBJ was = SelectObject(dc, to);
        if (!old) old = was;
        StretchDIBits(dc, 0, top, width, height, 0, 0, p.Width, p.Height, rows, bmi, DIB_RGB_COLORS, SRCCOPY);
    };
    HBITMAP mask = CreateBitmap(width, monochrome ? 2 * height : height, 1, 1, nullptr);
    if (!mask) return nullptr;
    TScopeExit freeMask([mask] { DeleteObject(mask); });
    HBITMAP colour = nullptr;
    TScopeExit freeColour([&colour] { if (colour) DeleteObject(colour); });
    if (monochrome) {
        stretch(mask, height, colourBits);
    } else {
        colour = CreateBitmap(width, height, static_cast<UINT>(planes), static_cast<UINT>(bits), nullptr);
        if (!colour) return nullptr;
        stretch(colour, 0, colourBits);
        // The mask rows through a black and white palette.
        header->biBitCount = 1;
        header->biClrUsed = header->biClrImportant = 2;
        bmi->bmiColors[0] = black;
        bmi->bmiColors[1] = white;
    }
    stretch(mask, 0, maskBits);
    SelectObject(dc, old);
    old = nullptr;
    ICONINFO ii{};
    ii.fIcon = FALSE;
    ii.xHotspot = static_cast<DWORD>(hotX);
    ii.yHotspot = static_cast<DWORD>(hotY);
    ii.hbmMask = mask;
    ii.hbmColor = colour;
    return CreateIconIndirect(&ii);
}

// The cursor our readers make of the file, at the system's cursor size and screen depth.
HCURSOR LoadOwnPicture(const std::vector<uint8_t>& bytes) {
    const int width = GetSystemMetrics(SM_CXCURSOR), height = GetSystemMetrics(SM_CYCURSOR);
    HDC screen = GetDC(nullptr);
    if (!screen || width < 1 || height < 1) return nullptr;
    const int depth = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    TCursorPicture picture;
    if (!ReadCursorPicture(bytes.data(), bytes.size(), width, height, depth, picture)) return nullptr;
    return CursorOfPicture(picture, width, height);
}

HCURSOR LoadThroughHelper(const std::string& path, TUserCursorLoad how) {
    const TReaderJob job = how == TUserCursorLoad::FromFile ? TReaderJob::CursorFile : TReaderJob::CursorImage;
    const std::optional<std::vector<uint8_t>> answer = ReaderAnswer({job, path});
    if (!answer) return nullptr;
    const std::optional<TCursorAnswer> cursor = ParseCursorAnswer(job, answer->data(), answer->size());
    return cursor ? CursorOf(*cursor) : nullptr;
}

} // namespace

HCURSOR LoadUserCursor(const std::string& path, TUserCursorLoad how) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, static_cast<int64_t>(kCursorFileMaxBytes))) return nullptr;
    TMemoryByteSource source(bytes);
    if (!CheckCursorFile(source).Ok()) return nullptr;
    // An animated cursor that is to animate (the editor's) is our re-written copy where our
    // .ani codec takes it.
    if (how == TUserCursorLoad::FromFile && std::memcmp(bytes.data(), "RIFF", 4) == 0) {
        const std::vector<uint8_t> copy = RewrittenCursorFile(bytes.data(), bytes.size());
        if (!copy.empty()) return LoadCopy(copy, how);
    }
    if (HCURSOR own = LoadOwnPicture(bytes)) return own;
    return LoadThroughHelper(path, how);
}
