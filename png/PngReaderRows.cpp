// The reader's choice of bitmap format, its sample converters and its pixel setters.
#include <cstring>

#include "PngReader.h"

void TRUDEDIReadStream::CheckImageFormat() {
    const int b = FSampleDepth;
    FConvert = &TRUDEDIReadStream::ConvertNone;
    switch (FColorKind) {
    case 0:
        if (FHasAlpha && b < 8) throw ERUDEDI("Read Header(PNG): not Use AlphaChannel");
        if (b == 1 || b == 4) {
            FBitCount = FPngPixelBits = b;
        } else if (b == 2) {
            FBitCount = 4, FPngPixelBits = 2;
            FConvert = &TRUDEDIReadStream::Change2to4;
        } else if (b == 8) {
            FBitCount = 8;
            FPngPixelBits = FHasAlpha ? 16 : 8;
            if (FHasAlpha) FConvert = &TRUDEDIReadStream::ChangeGray8A;
        } else if (b == 16) {
            FBitCount = 8;
            FPngPixelBits = FHasAlpha ? 32 : 16;
            FConvert = FHasAlpha ? &TRUDEDIReadStream::ChangeGray16A : &TRUDEDIReadStream::ChangeGray16;
        } else {
            throw ERUDEDI("Read Header(PNG): Error Bitdepth");
        }
        break;
    case 2: {
        if (b != 8 && b != 16) throw ERUDEDI("Read Header(PNG): Error BitDepth");
        const int colourBits = FSBit & 0xFFFFFF;
        // Only 8-bit samples go back to 5-6-5: 16-bit samples are not laid out for it.
        if (FRestore1516 && b == 8 && (colourBits == 0x050505 || colourBits == 0x050605)) {
            FBitCount = 16;
            FBitDepth = colourBits == 0x050505 ? 15 : 16;
            FPngPixelBits = FHasAlpha ? 32 : 24;
            FConvert = FHasAlpha ? &TRUDEDIReadStream::RGBAtoBGRA16 : &TRUDEDIReadStream::RGBtoBGR16;
        } else {
            FBitCount = 24;
            FBitDepth = 3 * b;
            FPngPixelBits = FHasAlpha ? 4 * b : 3 * b;
            if (b == 8) FConvert = FHasAlpha ? &TRUDEDIReadStream::RGBAtoBGRA32 : &TRUDEDIReadStream::RGBtoBGR24;
            else FConvert = FHasAlpha ? &TRUDEDIReadStream::RGBAtoBGRA64 : &TRUDEDIReadStream::RGBtoBGR48;
        }
        break;
    }
    default:  // palette
        if (b == 1 || b == 4 || b == 8) {
            FBitCount = FPngPixelBits = b;
        } else if (b == 2) {
            FBitCount = 4, FPngPixelBits = 2;
            FConvert = &TRUDEDIReadStream::Change2to4;
        } else {
            throw ERUDEDI("Read Header(PNG): Error BitDepth");
        }
        if (!Has(pcPLTE)) throw ERUDEDI("Read Header(PNG): not found PLTE");
        break;
    }
    if (FInterlaceType == 0) {
        FSetPixels = &TRUDEDIReadStream::SetPixels_Normal;
        FSetAlpha = &TRUDEDIReadStream::SetPixels_Normal_A;
    } else {
        FSetAlpha = &TRUDEDIReadStream::SetPixels_InterA;
        switch (FBitCount) {
        case 1: FSetPixels = &TRUDEDIReadStream::SetPixels_Inter1; break;
        case 4: FSetPixels = &TRUDEDIReadStream::SetPixels_Inter4; break;
        case 8: FSetPixels = &TRUDEDIReadStream::SetPixels_Inter8; break;
        case 16: FSetPixels = &TRUDEDIReadStream::SetPixels_Inter16; break;
        default: FSetPixels = &TRUDEDIReadStream::SetPixels_Inter24; break;
        }
    }
}

// ---- converters: the current row (after its filter byte) to the bitmap layout; 255 - alpha to the alpha row

const uint8_t* TRUDEDIReadStream::ConvertNone() { return FInfo.CurRow + 1; }

const uint8_t* TRUDEDIReadStream::Change2to4() {
    const uint8_t* s = FInfo.CurRow + 1;
    uint8_t* d = FConvRow;
    std::memset(d, 0, static_cast<std::size_t>((FPassWidth + 1) / 2));
    for (int i = 0; i < FPassWidth; ++i) {
        uint8_t v = (s[i >> 2] >> (6 - 2 * (i & 3))) & 3;
        d[i >> 1] |= static_cast<uint8_t>((i & 1) ? v : v << 4);
    }
    return d;
}

void TRUDEDIReadStream::MarkTransSamples(const uint8_t* s, int channels) {
    if (!FSampleKey) return;
    for (int i = 0; i < FPassWidth; ++i, s += 2 * channels) {
        bool whole = true, high = true;
        for (int c = 0; c < channels; ++c) {
            const unsigned key = FTransSamples[static_cast<std::size_t>(c)];
            whole = whole && ((unsigned{s[2 * c]} << 8) | s[2 * c + 1]) == key;
            high = high && s[2 * c] == key >> 8;
        }
        FAlphaRow[i] = whole ? 255 : 0;  // 255 - alpha
        if (high && !whole) FSampleKeyNeedsAlpha = true;
    }
}

const uint8_t* TRUDEDIReadStream::ChangeGray16() {
    const uint8_t* s = FInfo.CurRow + 1;
    for (int i = 0; i < FPassWidth; ++i) FConvRow[i] = s[2 * i];
    MarkTransSamples(s, 1);
    return FConvRow;
}

const uint8_t* TRUDEDIReadStream::ChangeGray8A() {
    const uint8_t* s = FInfo.CurRow + 1;
    for (int i = 0; i < FPassWidth; ++i) {
        FConvRow[i] = s[2 * i];
        FAlphaRow[i] = static_cast<uint8_t>(255 - s[2 * i + 1]);
    }
    return FConvRow;
}

const uint8_t* TRUDEDIReadStream::ChangeGray16A() {
    const uint8_t* s = FInfo.CurRow + 1;
    for (int i = 0; i < FPassWidth; ++i) {
        FConvRow[i] = s[4 * i];
        FAlphaRow[i] = static_cast<uint8_t>(255 - s[4 * i + 2]);
    }
    return FConvRow;
}

namespace {
inline void Put565(uint8_t* d, unsigned r, unsigned g, unsigned b) {
    unsigned w = ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
    d[0] = static_cast<uint8_t>(w);
    d[1] = static_cast<uint8_t>(w >> 8);
}

// RGB(A) samples of step bytes per sample to blue, green, red of bytesOut per pixel.
template <int SampleStep, bool Alpha>
void ToBGR(const uint8_t* s, uint8_t* d, uint8_t* alpha, int n) {
    constexpr int in = SampleStep * (Alpha ? 4 : 3);
    for (int i = 0; i < n; ++i, s += in, d += 3) {
        d[0] = s[2 * SampleStep];
        d[1] = s[SampleStep];
        d[2] = s[0];
        if constexpr (Alpha) alpha[i] = static_cast<uint8_t>(255 - s[3 * SampleStep]);
    }
}
} // namespace

const uint8_t* TRUDEDIReadStream::RGBtoBGR16() {
    const uint8_t* s = FInfo.CurRow + 1;
    for (int i = 0; i < FPassWidth; ++i) Put565(FConvRow + 2 * i, s[3 * i], s[3 * i + 1], s[3 * i + 2]);
    return FConvRow;
}

const uint8_t* TRUDEDIReadStream::RGBAtoBGRA16() {
    const uint8_t* s = FInfo.CurRow + 1;
    for (int i = 0; i < FPassWidth; ++i) {
        Put565(FConvRow + 2 * i, s[4 * i], s[4 * i + 1], s[4 * i + 2]);
        FAlphaRow[i] = static_cast<uint8_t>(255 - s[4 * i + 3]);
    }
    return FConvRow;
}

const uint8_t* TRUDEDIReadStream::RGBtoBGR24() {
    ToBGR<1, false>(FInfo.CurRow + 1, FConvRow, FAlphaRow, FPassWidth);
    return FConvRow;
}

const uint8_t* TRUDEDIReadStream::RGBtoBGR48() {
    ToBGR<2, false>(FInfo.CurRow + 1, FConvRow, FAlphaRow, FPassWidth);
    MarkTransSamples(FInfo.CurRow + 1, 3);
    return FConvRow;
}

const uint8_t* TRUDEDIReadStream::RGBAtoBGRA32() {
    ToBGR<1, true>(FInfo.CurRow + 1, FConvRow, FAlphaRow, FPassWidth);
    return FConvRow;
}

const uint8_t* TRUDEDIReadStream::RGBAtoBGRA64() {
    ToBGR<2, true>(FInfo.CurRow + 1, FConvRow, FAlphaRow, FPassWidth);
    return FConvRow;
}

// ---- pixel setters: a converted row into bitmap row; interlaced ones at the pass's positions

void TRUDEDIReadStream::SetPixels_Normal(uint8_t* row, const uint8_t* conv) {
    std::memcpy(row, conv, static_cast<std::size_t>(FDIBLineSize));
}

void TRUDEDIReadStream::SetPixels_Normal_A(uint8_t* row, const uint8_t* conv) {
    std::memcpy(row, conv, static_cast<std::size_t>(FPassWidth));
}

void TRUDEDIReadStream::SetPixels_Inter1(uint8_t* row, const uint8_t* conv) {
    for (int i = 0; i < FPassWidth; ++i) {
        int x = FPassXPix + i * FPassXPixStep;
        uint8_t mask = static_cast<uint8_t>(0x80 >> (x & 7));
        if ((conv[i >> 3] >> (7 - (i & 7))) & 1) row[x >> 3] |= mask;
        else row[x >> 3] &= static_cast<uint8_t>(~mask);
    }
}

void TRUDEDIReadStream::SetPixels_Inter4(uint8_t* row, const uint8_t* conv) {
    for (int i = 0; i < FPassWidth; ++i) {
        int x = FPassXPix + i * FPassXPixStep;
        uint8_t v = (i & 1) ? conv[i >> 1] & 0x0F : conv[i >> 1] >> 4;
        uint8_t& d = row[x >> 1];
        d = (x & 1) ? static_cast<uint8_t>((d & 0xF0) | v) : static_cast<uint8_t>((d & 0x0F) | (v << 4));
    }
}

void TRUDEDIReadStream::SetPixels_Inter8(uint8_t* row, const uint8_t* conv) {
    for (int i = 0; i < FPassWidth; ++i) row[FPassX + i * FPassXStep] = conv[i];
}

void TRUDEDIReadStream::SetPixels_Inter16(uint8_t* row, const uint8_t* conv) {
    for (int i = 0; i < FPassWidth; ++i) std::memcpy(row + FPassX + i * FPassXStep, conv + 2 * i, 2);
}

void TRUDEDIReadStream::SetPixels_Inter24(uint8_t* row, const uint8_t* conv) {
    for (int i = 0; i < FPassWidth; ++i) std::memcpy(row + FPassX + i * FPassXStep, conv + 3 * i, 3);
}

void TRUDEDIReadStream::SetPixels_Inter32(uint8_t* row, const uint8_t* conv) {
    for (int i = 0; i < FPassWidth; ++i) std::memcpy(row + 4 * (FPassXPix + i * FPassXPixStep), conv + 3 * i, 3);
}

void TRUDEDIReadStream::SetPixels_InterA(uint8_t* row, const uint8_t* conv) {
    for (int i = 0; i < FPassWidth; ++i) row[FPassXPix + i * FPassXPixStep] = conv[i];
}
