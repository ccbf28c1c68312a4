#include "app/ImageModel.h"

#include <algorithm>

TColor ShownColour(const ImagePalette& palette, const InverseFlags& inverse, int index) {
    const TRGBQuad& q = palette[static_cast<std::size_t>(index)];
    TColor c = MakeColor(q.Red, q.Green, q.Blue);
    return inverse[static_cast<std::size_t>(index)] ? (c ^ 0xFFFFFF) : c;
}

CursorImageParts DeriveCursorParts(const PixelBlock& pixels, const ImagePalette& palette, const InverseFlags& inverse,
                                   int transX, int transY, bool transparent) {
    CursorImageParts parts;
    transX = std::clamp(transX, 0, kImageSize - 1);
    transY = std::clamp(transY, 0, kImageSize - 1);
    const int t = pixels.At(transX, transY);
    for (int y = 0; y < kImageSize; ++y) {
        for (int x = 0; x < kImageSize; ++x) {
            int i = pixels.At(x, y);
            bool inv = inverse[static_cast<std::size_t>(i)] != 0;
            parts.AndMask[y][x] = 1;
            parts.XorImage[y][x] = clBlack;
            if (i != t || !transparent) {
                TColor shown = ShownColour(palette, inverse, i);
                parts.XorImage[y][x] = inv ? (shown ^ 0xFFFFFF) : shown;
                if (!inv) parts.AndMask[y][x] = 0;
            }
        }
    }
    parts.OutPixels = pixels;
    parts.OutPalette = palette;
    if (transparent) {
        int black = -1;
        for (int k = 0; k < 256 && black < 0; ++k) {
            const TRGBQuad& q = palette[static_cast<std::size_t>(k)];
            if (q.Blue == 0 && q.Green == 0 && q.Red == 0) black = k;
        }
        if (black < 0) {
            TRGBQuad& q = parts.OutPalette[static_cast<std::size_t>(t)];
            q.Blue = q.Green = q.Red = 0;
        } else {
            for (int p = 0; p < kIndexBytes; ++p)
                if (parts.OutPixels.Bytes[p] == t) parts.OutPixels.Bytes[p] = static_cast<uint8_t>(black);
        }
    }
    StoreAndMask(parts, parts.OutPixels);
    return parts;
}

void StoreAndMask(const CursorImageParts& parts, PixelBlock& block) {
    for (int y = 0; y < kImageSize; ++y)
        for (int x = 0; x < kImageSize; ++x) block.SetMaskBit(x, y, parts.AndMask[y][x] != 0);
}

std::string MakeUniqueName(const std::string& name, const std::vector<std::string>& existing) {
    return MakeUniqueName(name, [&](const std::string& n) {
        return std::find(existing.begin(), existing.end(), n) != existing.end();
    });
}

std::string MakeUniqueName(const std::string& name, const std::function<bool(const std::string&)>& taken) {
    if (!taken(name)) return name;
    for (int i = 1;; ++i) {
        std::string candidate = name + std::to_string(i);
        if (!taken(candidate)) return candidate;
    }
}
