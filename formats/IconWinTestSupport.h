#pragma once
// Helpers of the tests that check written icons with the system's own loaders.
#include <windows.h>

#include <filesystem>
#include <string>

inline std::wstring Wide(const std::string& s) { return std::filesystem::path(s).wstring(); }

// A 32 x 32 32-bit picture to draw icons on.
struct Dc {
    HDC Handle = CreateCompatibleDC(nullptr);
    HBITMAP Bitmap = nullptr;
    HGDIOBJ Old = nullptr;
    Dc() {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = 32;
        bi.bmiHeader.biHeight = 32;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        Bitmap = CreateDIBSection(Handle, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        Old = SelectObject(Handle, Bitmap);
    }
    ~Dc() {
        SelectObject(Handle, Old);
        DeleteObject(Bitmap);
        DeleteDC(Handle);
    }
    // Background green, the icon drawn normally.
    void Draw(HICON icon) {
        HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
        RECT r{0, 0, 32, 32};
        FillRect(Handle, &r, green);
        DeleteObject(green);
        DrawIconEx(Handle, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
    }
};
