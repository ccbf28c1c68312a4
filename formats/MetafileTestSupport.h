#pragma once
// Metafiles the Windows tests make with the system's own recorders, and a placeable header
// written by hand.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "base/ByteIO.h"
#include "base/Text.h"

inline void FillBox(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    Rectangle(dc, left, top, right + 1, bottom + 1);  // a null pen leaves the last row and column out
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
}

// Red on the left half, blue on the right half of a width x height logical area.
inline void DrawHalves(HDC dc, int width, int height) {
    FillBox(dc, 0, 0, width / 2, height, RGB(255, 0, 0));
    FillBox(dc, width / 2, 0, width, height, RGB(0, 0, 255));
}

// An enhanced metafile of 96x48 pixels at 96 dpi (its frame in 0.01 mm), drawn in pixels.
inline std::string WriteEnhanced(const std::string& path, bool draw) {
    const RECT frame{0, 0, 2540, 1270};
    HDC dc = CreateEnhMetaFileW(nullptr, Utf8ToWide(path).c_str(), &frame, nullptr);
    EXPECT_NE(dc, nullptr);
    if (draw) DrawHalves(dc, 96, 48);
    DeleteEnhMetaFile(CloseEnhMetaFile(dc));
    return path;
}

// The bits of a Windows metafile recorded in memory.
inline std::vector<uint8_t> RecordWindows(const std::function<void(HDC)>& draw) {
    HDC dc = CreateMetaFileW(nullptr);
    draw(dc);
    HMETAFILE mf = CloseMetaFile(dc);
    std::vector<uint8_t> bits(GetMetaFileBitsEx(mf, 0, nullptr));
    GetMetaFileBitsEx(mf, static_cast<UINT>(bits.size()), bits.data());
    DeleteMetaFile(mf);
    return bits;
}

// A placeable header (bounding box, units per inch, checksum) written before the bits.
inline std::vector<uint8_t> Placeable(const std::vector<uint8_t>& bits, int16_t left, int16_t top, int16_t right,
                                      int16_t bottom, uint16_t inch) {
    std::vector<uint8_t> out(22, 0);
    PutLE32(&out[0], 0x9AC6CDD7);
    PutLE16(&out[6], static_cast<uint16_t>(left));
    PutLE16(&out[8], static_cast<uint16_t>(top));
    PutLE16(&out[10], static_cast<uint16_t>(right));
    PutLE16(&out[12], static_cast<uint16_t>(bottom));
    PutLE16(&out[14], inch);
    uint16_t sum = 0;
    for (int i = 0; i < 10; ++i) sum ^= GetLE16(&out[2 * i]);
    PutLE16(&out[20], sum);
    out.insert(out.end(), bits.begin(), bits.end());
    return out;
}

