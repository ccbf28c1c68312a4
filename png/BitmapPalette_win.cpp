#include "BitmapPalette_win.h"

#include <memory>

#include "base/ScopeGuard.h"
#include "base/Text.h"

namespace Sfunc {

std::vector<TGLDPalRGB> PaletteTableOf(HPALETTE palette) {
    PALETTEENTRY entries[256];
    UINT n = palette ? ::GetPaletteEntries(palette, 0, 256, entries) : 0;
    std::vector<TGLDPalRGB> table;
    for (UINT i = 0; i < n && i < 256; ++i)
        table.push_back(TGLDPalRGB{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0});
    return table;
}

int GetNearestPaletteIndex(HPALETTE palette, TColor colour) {
    return GetNearestPaletteIndex(PaletteTableOf(palette), colour);
}

TColor GetNearestPaletteColor(HPALETTE palette, TColor colour) {
    return GetNearestPaletteColor(PaletteTableOf(palette), colour);
}

TColor GetPaletteColor(HPALETTE palette, int index) {
    PALETTEENTRY e;
    if (!palette || index < 0 || ::GetPaletteEntries(palette, static_cast<UINT>(index), 1, &e) != 1) return -1;
    return MakeColor(e.peRed, e.peGreen, e.peBlue);
}

int GetPaletteColorTable(HPALETTE palette, TGLDPalRGB* table) {
    return GetPaletteColorTable(PaletteTableOf(palette), table);
}

HPALETTE CreatePaletteHandle(const TGLDPalRGB* table, int count) {
    if (count < 0) count = 0;
    if (count > 256) count = 256;
    auto buf = std::make_unique<uint8_t[]>(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(buf.get());
    lp->palVersion = 0x300;
    lp->palNumEntries = static_cast<WORD>(count);
    for (int i = 0; i < count; ++i) lp->palPalEntry[i] = PALETTEENTRY{table[i].Red, table[i].Green, table[i].Blue, 0};
    return ::CreatePalette(lp);
}

void DrawBitmapHandle(HDC dc, int x, int y, HBITMAP bitmap, int srcX, int srcY, int width, int height, DWORD rop) {
    HDC screen = ::GetDC(nullptr);
    HDC mem = ::CreateCompatibleDC(screen);
    ::ReleaseDC(nullptr, screen);
    if (!mem) return;
    TScopeExit deleteMem([mem] { ::DeleteDC(mem); });
    HGDIOBJ old = ::SelectObject(mem, bitmap);
    TScopeExit restore([mem, old] { ::SelectObject(mem, old); });
    ::BitBlt(dc, x, y, width, height, mem, srcX, srcY, rop);
}

std::string GetLongFileName(const std::string& path) {
    std::string::size_type cut = path.find_last_of("\\/:");
    std::string folder = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
    WIN32_FIND_DATAW fd;
    HANDLE h = ::FindFirstFileW(Utf8ToWide(path).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return folder;
    ::FindClose(h);
    return folder + WideToUtf8(fd.cFileName);
}

void ClearSystemPalette() {
    auto buf = std::make_unique<uint8_t[]>(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(buf.get());
    lp->palVersion = 0x300;
    lp->palNumEntries = 256;
    for (int i = 0; i < 256; ++i) lp->palPalEntry[i] = PALETTEENTRY{0, 0, 0, PC_NOCOLLAPSE};
    HPALETTE pal = ::CreatePalette(lp);
    if (!pal) return;
    TScopeExit deletePal([pal] { ::DeleteObject(pal); });
    HDC dc = ::GetDC(nullptr);
    TScopeExit releaseDc([dc] { ::ReleaseDC(nullptr, dc); });
    HPALETTE old = ::SelectPalette(dc, pal, FALSE);
    ::RealizePalette(dc);
    ::SelectPalette(dc, old, FALSE);
}

void DebugMes(const std::string& text) {
    ::MessageBoxExW(nullptr, Utf8ToWide(text).c_str(), L"デバッグ中", MB_TASKMODAL,
                    MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
}

} // namespace Sfunc
