// A picture plug-in for the tests, built in variants by the build (TESTSPI_*):
//   FULL       IsSupported, GetPictureInfo and GetPicture (no GetPreview)
//   NOPICTURE  no GetPicture: a host must not list it
//   NOINFO     no GetPictureInfo: the size comes from the picture itself
//   FAILING    GetPicture answers an error
//   CRASHING   GetPicture writes through a null pointer
// It reads files that start with "TSPI" followed by a width and a height byte, and draws
// an 8-bit picture: pixel (x, y), y counted from the top, has index (7x + 3y) & 255;
// palette entry i is red i, green 255 - i, blue (5i) & 255.
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "formats/SusiePicture.h"

#define PLUGIN_EXPORT extern "C" __declspec(dllexport)

namespace {

bool ReadHead(const char* name, uint8_t head[6]) {
    HANDLE f = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD got = 0;
    const BOOL ok = ReadFile(f, head, 6, &got, nullptr);
    CloseHandle(f);
    return ok && got == 6 && std::memcmp(head, "TSPI", 4) == 0 && head[4] > 0 && head[5] > 0;
}

} // namespace

PLUGIN_EXPORT int WINAPI IsSupported(LPCSTR, void* file) {
    uint8_t head[6];
    DWORD got = 0;
    SetFilePointer(static_cast<HANDLE>(file), 0, nullptr, FILE_BEGIN);
    if (!ReadFile(static_cast<HANDLE>(file), head, 6, &got, nullptr) || got != 6) return 0;
    return std::memcmp(head, "TSPI", 4) == 0 ? 1 : 0;
}

#ifndef TESTSPI_NOINFO
PLUGIN_EXPORT int WINAPI GetPictureInfo(LPCSTR name, LONG_PTR, unsigned int, TSusiePictureInfo* info) {
    uint8_t head[6];
    if (!ReadHead(name, head)) return 2;
    info->Left = info->Top = 0;
    info->Width = head[4];
    info->Height = head[5];
    info->ColorDepth = 8;
    HLOCAL text = LocalAlloc(LMEM_MOVEABLE, 5);
    std::memcpy(LocalLock(text), "test", 5);
    LocalUnlock(text);
    info->HInfo = text;
    return 0;
}
#endif

#ifndef TESTSPI_NOPICTURE
PLUGIN_EXPORT int WINAPI GetPicture(LPCSTR name, LONG_PTR, unsigned int, HANDLE* infoOut, HANDLE* bitsOut, FARPROC,
                                    LONG_PTR) {
#if defined(TESTSPI_FAILING)
    return 2;
#elif defined(TESTSPI_CRASHING)
    *static_cast<volatile int*>(nullptr) = 1;
    return 0;
#else
    uint8_t head[6];
    if (!ReadHead(name, head)) return 2;
    const int w = head[4], h = head[5], stride = (w + 3) & ~3;
    // A block larger than the header and colours need, as allocators often give.
    HLOCAL info = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, sizeof(BITMAPINFOHEADER) + 256 * 4 + 64);
    HLOCAL bits = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, static_cast<SIZE_T>(stride) * h);
    auto* bi = static_cast<BITMAPINFO*>(LocalLock(info));
    bi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi->bmiHeader.biWidth = w;
    bi->bmiHeader.biHeight = h;
    bi->bmiHeader.biPlanes = 1;
    bi->bmiHeader.biBitCount = 8;
    for (int i = 0; i < 256; ++i) {
        bi->bmiColors[i].rgbRed = static_cast<BYTE>(i);
        bi->bmiColors[i].rgbGreen = static_cast<BYTE>(255 - i);
        bi->bmiColors[i].rgbBlue = static_cast<BYTE>((5 * i) & 255);
    }
    auto* p = static_cast<uint8_t*>(LocalLock(bits));
    for (int row = 0; row < h; ++row) {
        const int y = h - 1 - row;  // rows are stored bottom-up
        for (int x = 0; x < w; ++x) p[row * stride + x] = static_cast<uint8_t>((7 * x + 3 * y) & 255);
    }
    LocalUnlock(info);
    LocalUnlock(bits);
    *infoOut = info;
    *bitsOut = bits;
    return 0;
#endif
}
#endif
