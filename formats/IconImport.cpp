// The icon and cursor reader of the import, and the colour preparations after reading.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "IconFile.h"
#include "PictureImport.h"

namespace {

bool IsBlack(const TRGBQuad& q) { return q.Blue == 0 && q.Green == 0 && q.Red == 0; }

// The fixed palette of 1-bit images: black, white, teal drawn inverse, teal transparent.
void SetTwoColourPalette(ImagePalette& palette) {
    palette.fill(TRGBQuad{});
    palette[1] = TRGBQuad{255, 255, 255, 0};
    palette[2] = TRGBQuad{128, 128, 0, 0};
    palette[3] = TRGBQuad{128, 128, 0, 0};
}

} // namespace

void Expand4BitImage(ImportedImage& image) {
    const PixelBlock packed = image.OutPixels;
    for (int k = 0; k < kIndexBytes / 2; ++k) {
        image.OutPixels.Bytes[2 * k] = static_cast<uint8_t>(packed.Bytes[k] >> 4);
        image.OutPixels.Bytes[2 * k + 1] = static_cast<uint8_t>(packed.Bytes[k] & 15);
    }
    std::memcpy(image.OutPixels.Mask(), packed.Bytes + kIndexBytes / 2, kMaskBytes);
    for (std::size_t i = 16; i < 256; ++i) {
        image.OutPalette[i].Blue = image.OutPalette[i].Green = image.OutPalette[i].Red = 0;
    }
}

void Expand1BitImage(ImportedImage& image) {
    const PixelBlock bits = image.OutPixels;
    SetTwoColourPalette(image.Cur.Palette);
    SetTwoColourPalette(image.OutPalette);
    image.OutPalette[3] = TRGBQuad{};
    image.Cur.Inverse.fill(0);
    image.Cur.Inverse[2] = 1;
    const uint8_t* colour = bits.Bytes;
    const uint8_t* mask = bits.Bytes + kMaskBytes;
    bool found = false;
    for (int row = 0; row < kImageSize; ++row)
        for (int x = 0; x < kImageSize; ++x) {
            int byte = row * 4 + x / 8, shift = 7 - x % 8;
            int c = (colour[byte] >> shift) & 1, m = (mask[byte] >> shift) & 1;
            int index = m ? 3 - c : c;
            image.OutPixels.Bytes[row * kImageSize + x] = static_cast<uint8_t>(index);
            if (index == 3) {
                image.TransX = x;
                image.TransY = kImageSize - 1 - row;
                found = true;
            }
        }
    std::memcpy(image.OutPixels.Mask(), mask, kMaskBytes);
    if (found) image.Transparent = true;
    image.Cur.Pixels = image.OutPixels;
}

void RemapImageColours(ImportedImage& image, TColor background) {
    image.Cur.Palette = image.OutPalette;
    image.Cur.Pixels = image.OutPixels;
    image.Cur.Inverse.fill(0);
    PixelBlock& px = image.Cur.Pixels;

    bool used[256] = {}, opaqueUse[256] = {};
    for (int row = 0; row < kImageSize; ++row)
        for (int x = 0; x < kImageSize; ++x) {
            uint8_t index = px.Bytes[row * kImageSize + x];
            used[index] = true;
            if (!((px.Mask()[row * 4 + x / 8] >> (7 - x % 8)) & 1)) opaqueUse[index] = true;
        }

    // A palette entry close to the background is reused only when no opaque pixel shows
    // it; otherwise opaque pixels of that colour would turn transparent.
    int bgIndex = NearestPaletteIndex(image.OutPalette.data(), 256, background);
    const TRGBQuad& near = image.OutPalette[static_cast<std::size_t>(bgIndex)];
    const bool close = std::abs(near.Red - RedOf(background)) <= 16 && std::abs(near.Green - GreenOf(background)) <= 16 &&
                       std::abs(near.Blue - BlueOf(background)) <= 16;
    bool allUsed = false;
    if (!close || opaqueUse[bgIndex]) {
        bgIndex = -1;
        for (int i = 255; i >= 0 && bgIndex < 0; --i)
            if (!used[i]) bgIndex = i;
        allUsed = bgIndex < 0;
    }

    bool found = false;
    // Visits one masked pixel; false ends the visit.
    auto visit = [&](int row, int x) {
        uint8_t& index = px.Bytes[row * kImageSize + x];
        if (!IsBlack(image.OutPalette[index])) {
            image.Cur.Inverse[index] = 1;
            return true;
        }
        // With no free entry, the first transparent pixel whose entry no opaque pixel
        // shows lends its entry to the background.
        if (allUsed && opaqueUse[index]) return true;
        image.TransX = x;
        image.TransY = kImageSize - 1 - row;
        found = true;
        if (allUsed) {
            bgIndex = index;
            return false;
        }
        index = static_cast<uint8_t>(bgIndex);
        return true;
    };
    // Storage order: mask bytes from the bottom row, bits from the rightmost pixel of a byte.
    bool going = true;
    for (int row = 0; row < kImageSize && going; ++row)
        for (int b = 0; b < 4 && going; ++b)
            for (int bit = 0; bit < 8 && going; ++bit)
                if ((px.Mask()[row * 4 + b] >> bit) & 1) going = visit(row, b * 8 + 7 - bit);
    if (bgIndex >= 0 && (!allUsed || found)) image.Cur.Palette[static_cast<std::size_t>(bgIndex)] = ColorToQuad(background);
    image.Transparent = found;
}

IconImport ReadIconImage(TIconFile& icons, const std::function<TColor(bool)>& background, ImportedImage& out) {
    IconImport result;
    result.Result = IconLoadResult::Invalid;
    if (icons.GetEmpty()) return result;
    const CICONDAT& item = icons.Item(icons.IconIndex);
    IconLayout l;
    if (item.IsPng()) {
        // Never imported here: its size, from its header, chooses the note.
        if (IconPngSize(item.Data.data(), item.Data.size(), result.Width, result.Height))
            result.Note = result.Width == kImageSize && result.Height == kImageSize ? IconImportNote::TrueColourOnly
                                                                                    : IconImportNote::UnsupportedSize;
        return result;
    }
    if (!ComputeIconLayout(item.Data.data(), item.Data.size(), l)) return result;
    result.Width = l.Width;
    result.Height = l.Height;
    if (l.Width != kImageSize || l.Height != kImageSize) {
        result.Note = IconImportNote::UnsupportedSize;
        return result;
    }
    if (l.Bits != 1 && l.Bits != 4 && l.Bits != 8) {
        result.Note = IconImportNote::TrueColourOnly;
        return result;
    }
    // Palette and bits from the image's own layout: a short palette is not read as pixels.
    const uint8_t* d = item.Data.data();
    out.OutPalette.fill(TRGBQuad{});
    for (int i = 0; i < l.Colours; ++i) {
        const uint8_t* p = d + l.PaletteOffset + 4u * static_cast<std::size_t>(i);
        out.OutPalette[static_cast<std::size_t>(i)] = TRGBQuad{p[0], p[1], p[2], 0};
    }
    out.OutPixels = PixelBlock{};
    const std::size_t colourBytes = static_cast<std::size_t>(l.RowBytes) * kImageSize;
    std::memcpy(out.OutPixels.Bytes, d + l.ColourOffset, colourBytes);
    std::memcpy(out.OutPixels.Bytes + colourBytes, d + l.MaskOffset, kMaskBytes);
    out.Transparent = false;
    out.TransX = out.TransY = 0;
    if (l.Bits == 1) Expand1BitImage(out);
    if (l.Bits == 4) Expand4BitImage(out);

    const TColor bg = background ? background(l.Bits == 1) : clWhite;
    out.TransColour = bg;
    if (l.Bits != 1) RemapImageColours(out, bg);

    // An icon has no hotspot; a cursor's is kept inside the image.
    out.HotX = out.HotY = 0;
    if (icons.IconDir().idType == 2) {
        out.HotX = std::min<int>(item.Entry.wPlanes, kImageSize - 1);
        out.HotY = std::min<int>(item.Entry.wBitCount, kImageSize - 1);
    }
    result.Result = IconLoadResult::Loaded;
    return result;
}

IconImport ReadIconFile(const std::string& path, TIconFile& icons, const std::function<TColor(bool)>& background,
                        ImportedImage& out) {
    icons.Clear();
    IconImport result;
    result.Result = icons.LoadIconA(path);
    if (result.Result != IconLoadResult::Loaded) return result;
    return ReadIconImage(icons, background, out);
}
