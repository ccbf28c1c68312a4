#include "PngWriter.h"

#include <algorithm>
#include <cstring>

#include "PngChunks.h"
#include "BitmapPalette.h"
#include "base/ScopeGuard.h"

namespace {
inline int Grey(int r, int g, int b) { return (77 * r + 150 * g + 29 * b) >> 8; }
inline uint8_t Expand5(unsigned v) { return static_cast<uint8_t>((v << 3) | (v >> 2)); }
inline uint8_t Expand6(unsigned v) { return static_cast<uint8_t>((v << 2) | (v >> 4)); }
// The 5-bit green of a 5-5-5 pixel takes its two low bits from the top (31 gives 251).
inline uint8_t ExpandGreen555(unsigned v) { return static_cast<uint8_t>((v << 3) | (v >> 3)); }

void PutBE32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24), p[1] = uint8_t(v >> 16), p[2] = uint8_t(v >> 8), p[3] = uint8_t(v);
}
void PutBE16(uint8_t* p, uint32_t v) { p[0] = uint8_t(v >> 8), p[1] = uint8_t(v); }
} // namespace

TRUDEDIWriteStream::TRUDEDIWriteStream() {
    FInfo.Owner = this;
    FInfo.Callback = [this](TGLDZLIBInfo& info) {
        WriteChunk(ChunkIDAT, info.Buffer.data(), info.BufferSize - static_cast<int>(info.Stream.avail_out));
        return 0;
    };
}

void TRUDEDIWriteStream::SetIDATSize(int size) {
    if (size < 256 || size > 100000) throw ERUDEDI("Write PNG Param: Err IDAT Size(min:256  max:100000)");
    FIDATSize = size;
}

void TRUDEDIWriteStream::WriteChunk(uint32_t type, const uint8_t* data, int length) {
    uint8_t t[4];
    PutBE32(t, type);
    WriteMDWord(static_cast<uint32_t>(std::max(length, 0)));
    WriteByte(t, 4);
    uLong crc = crc32(0, nullptr, 0);
    crc = crc32(crc, t, 4);
    if (data && length > 0) {
        WriteByte(data, length);
        crc = crc32(crc, data, static_cast<uInt>(length));
    }
    WriteMDWord(static_cast<uint32_t>(crc));
}

std::vector<TGLDPalRGB> TRUDEDIWriteStream::WrittenPalette() const {
    std::vector<TGLDPalRGB> pal(256);
    int n = Sfunc::GetPaletteColorTable(FBitmap->Colors(), pal.data());
    if (FSrcBits <= 8) n = std::min(n, 1 << FSrcBits);
    if (FColorType == 3) n = std::min(n, 1 << FBitDepth);
    pal.resize(static_cast<std::size_t>(std::max(n, 0)));
    return pal;
}

void TRUDEDIWriteStream::WriteStream() {
    FAlphaBitmap = nullptr;
    FUseAlpha = FGrayMode = FAlphaPalette = false;
    const TBitmap& src = *FBitmap;
    if (src.Empty()) throw ERUDEDI("Write PNG: image is empty");
    FSrcBits = DUVBitCount(src.PixelFormat());
    FPNGBits = FSrcBits == 15 || FSrcBits == 16 ? 24 : FSrcBits;
    const TBitmap* a = FAlphaSource;
    if (a && a != &src && !a->Empty() && a->Width() == src.Width() && a->Height() == src.Height() &&
        a->PixelFormat() == TPixelFormat::pf8bit)
        FAlphaBitmap = a;
    FAlphaPalette = FAlphaPaletteOption && FSrcBits == 8 && FAlphaBitmap && !FGrayScale;

    StartCallBack();
    SetCallBackParam(1, 10, 30);
    if (FWriteSignature) WriteByte(PngSignature, 8);
    WriteIHDR();
    WritetIMe();
    WritetExt();
    WriteTextMes("Software", "RUDEDI ver 3.4");
    WritetpNg();
    WritegIFg();
    WritegAMA();
    WritecHRM();
    WritesBIT();
    WritePLTE();
    WritebKGD();
    WritetRNS();
    WritepHYs();
    DoCallBack(10);
    if (!FStop) {
        WriteImage();
        if (!FStop) {
            WriteChunk(ChunkIEND, nullptr, 0);
            EndCallBack();
        }
    }
}

void TRUDEDIWriteStream::WriteIHDR() {
    if (FGrayScale || FAlphaPalette) {
        FGrayMode = true;
        if (FPNGBits <= 8) {
            FBitDepth = FPNGBits;
        } else {
            FBitDepth = 8;
            FPNGBits = 8;
        }
        FUseAlpha = FAlphaBitmap && FBitDepth == 8;
        FColorType = FUseAlpha ? 4 : 0;
        FPixelBits = FUseAlpha ? 16 : FBitDepth;
        if (FAlphaPalette) FColorType = FUseAlpha ? 4 : 0;
    } else if (FPNGBits <= 8) {
        FBitDepth = FPNGBits;
        const bool depthAsked = (FPaletteDepth == 1 || FPaletteDepth == 2 || FPaletteDepth == 4) && FPaletteDepth < FPNGBits;
        if (depthAsked && FBitmap->Colors().size() <= std::size_t{1} << FPaletteDepth)
            FBitDepth = FPaletteDepth;
        FColorType = 3;
        FPixelBits = FBitDepth;
        // A palette image needs its PLTE chunk: refuse before anything is written.
        if (WrittenPalette().empty()) throw ERUDEDI("Write PNG: palette has no entries");
    } else {
        FBitDepth = 8;
        FUseAlpha = FAlphaBitmap != nullptr;
        FColorType = FUseAlpha ? 6 : 2;
        FPixelBits = FUseAlpha ? 32 : 24;
    }
    FSrcLineSize = Sfunc::GetLineSize(FBitmap->Width(), FPNGBits);
    uint8_t d[13];
    PutBE32(d, static_cast<uint32_t>(FBitmap->Width()));
    PutBE32(d + 4, static_cast<uint32_t>(FBitmap->Height()));
    d[8] = static_cast<uint8_t>(FBitDepth);
    d[9] = static_cast<uint8_t>(FColorType);
    d[10] = 0;
    d[11] = 0;
    d[12] = static_cast<uint8_t>(FInterlaceType);
    WriteChunk(ChunkIHDR, d, 13);
}

void TRUDEDIWriteStream::WritetIMe() {
    TPNGTime t;
    if (FStampTime) t = CurrentUtcTime();
    else if (FTimeLink) t = *FTimeLink;
    else return;
    if (t.Year == 0 || t.Month < 1 || t.Month > 12 || t.Day < 1 || t.Day > 31 || t.Hour > 23 || t.Minute > 59 ||
        t.Second > 60)
        return;
    uint8_t d[7];
    PutBE16(d, t.Year);
    d[2] = t.Month, d[3] = t.Day, d[4] = t.Hour, d[5] = t.Minute, d[6] = t.Second;
    WriteChunk(ChunktIME, d, 7);
}

void TRUDEDIWriteStream::WritetExt() { WriteTextMes("Comment", FComment); }

void TRUDEDIWriteStream::WriteTextMes(const std::string& keyword, const std::string& text) {
    if (text.empty() || keyword.size() >= 80) return;
    std::vector<uint8_t> d(keyword.begin(), keyword.end());
    d.push_back(0);
    d.insert(d.end(), text.begin(), text.end());
    WriteChunk(ChunktEXt, d.data(), static_cast<int>(d.size()));
}

void TRUDEDIWriteStream::WritetpNg() {
    uint8_t d[8] = {'D', 'U', 'V', '3', 0, 0, 0, 0};
    d[4] = !FPassword.empty() && FOnEncode ? 1 : 0;
    d[5] = FAlphaPalette ? 1 : 0;
    WriteChunk(ChunktpNG, d, 8);
}

void TRUDEDIWriteStream::WritegIFg() {
    if (!FGIFExtLink) return;
    const TPNGGIFExtension& g = *FGIFExtLink;
    if (g.DisposalMethod == 0 && g.UserInput == 0 && g.DelayTime[0] == 0 && g.DelayTime[1] == 0) return;
    uint8_t d[4] = {g.DisposalMethod, g.UserInput, g.DelayTime[0], g.DelayTime[1]};
    WriteChunk(ChunkgIFg, d, 4);
}

void TRUDEDIWriteStream::WritegAMA() {
    double v = FGamma * 100000;
    if (!(v > 0) || v >= 4294967296.0) return;
    auto g = static_cast<uint32_t>(v);
    if (g == 0) return;
    uint8_t d[4];
    PutBE32(d, g);
    WriteChunk(ChunkgAMA, d, 4);
}

void TRUDEDIWriteStream::WritecHRM() {
    if (!FChrmLink || FChrmLink->WhiteX == 0 || FChrmLink->WhiteY == 0) return;
    const TPNGChromaticities& c = *FChrmLink;
    const uint32_t v[8] = {c.WhiteX, c.WhiteY, c.RedX, c.RedY, c.GreenX, c.GreenY, c.BlueX, c.BlueY};
    uint8_t d[32];
    for (int i = 0; i < 8; ++i) PutBE32(d + 4 * i, v[i]);
    WriteChunk(ChunkcHRM, d, 32);
}

void TRUDEDIWriteStream::WritesBIT() {
    int32_t v = FSBit;
    if (FSrcBits == 15) v = 0x050505;
    if (FSrcBits == 16) v = 0x050605;
    // The alpha byte goes only with colour bytes: an sBIT of zeros is no valid chunk.
    if (FUseAlpha && (v & 0xFFFFFF) != 0) v = (v & 0xFFFFFF) | 0x08000000;
    if (v <= 0 || FGrayMode) return;
    uint8_t d[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    WriteChunk(ChunksBIT, d, FUseAlpha ? 4 : 3);
}

void TRUDEDIWriteStream::WritePLTE() {
    if ((FGrayMode && !FAlphaPalette) || FPNGBits > 8) return;
    std::vector<TGLDPalRGB> pal = WrittenPalette();
    if (pal.empty()) return;
    std::vector<uint8_t> d;
    for (const TGLDPalRGB& e : pal) d.insert(d.end(), {e.Red, e.Green, e.Blue});
    WriteChunk(ChunkPLTE, d.data(), static_cast<int>(d.size()));
}

int TRUDEDIWriteStream::GreySample(TColor colour) const {
    int g = Grey(RedOf(colour), GreenOf(colour), BlueOf(colour));
    if (FSrcBits == 1) return g >= 128 ? 1 : 0;
    if (FSrcBits == 4) return g >> 4;
    return g;
}

TColor TRUDEDIWriteStream::ResolvePaletteColour(TColor colour) const {
    if ((colour & PaletteIndexFlag) && FSrcBits <= 8)
        return Sfunc::GetPaletteColor(FBitmap->Colors(), colour & 0xFF);
    return colour & 0xFFFFFF;
}

int TRUDEDIWriteStream::IndexFor(TColor colour) const {
    int count = static_cast<int>(WrittenPalette().size());
    int index = (colour & PaletteIndexFlag) ? (colour & 0xFF) : Sfunc::GetNearestPaletteIndex(WrittenPalette(), colour);
    return index >= 0 && index < count ? index : -1;  // an index past the written palette would be invalid
}

int TRUDEDIWriteStream::SampleData(TColor colour, bool grey, uint8_t* d) const {
    if (grey) {
        TColor c = ResolvePaletteColour(colour);
        if (c == -1) return 0;
        PutBE16(d, static_cast<uint32_t>(GreySample(c)));
        return 2;
    }
    PutBE16(d, RedOf(colour));
    PutBE16(d + 2, GreenOf(colour));
    PutBE16(d + 4, BlueOf(colour));
    return 6;
}

void TRUDEDIWriteStream::WritebKGD() {
    if (FBGColor == -1) return;
    const bool grey = FGrayMode && !FAlphaPalette;
    uint8_t d[6];
    int n = 0;
    if (!grey && FSrcBits <= 8) {
        int index = IndexFor(FBGColor);
        if (index >= 0) d[0] = static_cast<uint8_t>(index), n = 1;
    } else {
        n = SampleData(FBGColor, grey, d);
    }
    if (n > 0) WriteChunk(ChunkbKGD, d, n);
}

void TRUDEDIWriteStream::WritetRNS() {
    if (FUseAlpha || FTransColor == -1) return;
    if (!FGrayMode && FSrcBits <= 8) {
        int index = IndexFor(FTransColor);
        if (index < 0) return;
        std::vector<uint8_t> t(static_cast<std::size_t>(index) + 1, 255);
        t.back() = 0;
        WriteChunk(ChunktRNS, t.data(), static_cast<int>(t.size()));
        return;
    }
    uint8_t d[6];
    int n = SampleData(FTransColor, FGrayMode, d);
    if (n > 0) WriteChunk(ChunktRNS, d, n);
}

void TRUDEDIWriteStream::WritepHYs() {
    if (FXPixels <= 0 || FYPixels <= 0) return;
    uint32_t x = static_cast<uint32_t>(FXPixels), y = static_cast<uint32_t>(FYPixels);
    uint8_t unit = 0;
    if (FUnitSpecifier == 1) {
        unit = 1;
    } else if (FUnitSpecifier == 2) {
        unit = 1;
        x = static_cast<uint32_t>((FXPixels * 100 / 254.0) * 100);
        y = static_cast<uint32_t>((FYPixels * 100 / 254.0) * 100);
    }
    uint8_t d[9];
    PutBE32(d, x);
    PutBE32(d + 4, y);
    d[8] = unit;
    WriteChunk(ChunkpHYs, d, 9);
}

void TRUDEDIWriteStream::SetGrayScalePaletteIndex() {
    const std::vector<TGLDPalRGB>& pal = FBitmap->Colors();
    auto g = [&](std::size_t i) { return i < pal.size() ? Grey(pal[i].Red, pal[i].Green, pal[i].Blue) : 0; };
    for (std::size_t i = 0; i < 256; ++i) FGrayIndex[i] = static_cast<uint8_t>(i);
    if (pal.empty()) {
        if (FSrcBits == 1) FGrayIndex[0] = 0;
        return;
    }
    if (FSrcBits == 8) {
        for (std::size_t i = 0; i < 256; ++i) FGrayIndex[i] = static_cast<uint8_t>(g(i));
    } else if (FSrcBits == 4) {
        for (std::size_t i = 0; i < 16; ++i) FGrayIndex[i] = static_cast<uint8_t>(g(i) >> 4);
    } else if (FSrcBits == 1) {
        FGrayIndex[0] = g(0) > g(1) ? 255 : 0;
    }
}

void TRUDEDIWriteStream::GetBufMem() {
    int64_t line = Sfunc::GetLineSize(FBitmap->Width(), FPixelBits);
    int64_t stride = (line + 39) & ~int64_t(31);
    int64_t total = 4 * stride + 1064;
    FBufMem.assign(static_cast<std::size_t>(total + 32), 0);
    auto addr = reinterpret_cast<uintptr_t>(FBufMem.data());
    uint8_t* base = FBufMem.data() + ((32 - (addr & 31)) & 31);
    FInfo.CurRow = base;
    FInfo.PrevRow = base + stride;
    FInfo.OutRow = base + 2 * stride;
    FInfo.TrialRow = base + 3 * stride;
    FInfo.Histogram = reinterpret_cast<uint32_t*>(base + 4 * stride);
}

void TRUDEDIWriteStream::FreeBufMem() {
    FBufMem.clear();
    FBufMem.shrink_to_fit();
    FInfo.CurRow = FInfo.PrevRow = FInfo.OutRow = FInfo.TrialRow = nullptr;
    FInfo.Histogram = nullptr;
}

void TRUDEDIWriteStream::GetLinePixels(const uint8_t* src, const uint8_t* alpha) {
    uint8_t* out = FInfo.CurRow;
    if (FColorType == 3 && FBitDepth < FSrcBits) {
        PackPaletteRow(src);
        return;
    }
    const int n = FPassWidth, x0 = FPassXPix, step = FPassXPixStep;
    auto transparency = [&](int i) { return static_cast<uint8_t>(255 - alpha[x0 + i * step]); };
    switch (FSrcBits) {
    case 1: {
        int bytes = (n + 7) / 8;
        if (step == 1 && x0 == 0) {
            std::memcpy(out, src, static_cast<std::size_t>(bytes));
        } else {
            std::memset(out, 0, static_cast<std::size_t>(bytes));
            for (int i = 0; i < n; ++i) {
                int x = x0 + i * step;
                if ((src[x >> 3] >> (7 - (x & 7))) & 1) out[i >> 3] |= static_cast<uint8_t>(0x80 >> (i & 7));
            }
        }
        if (FGrayMode && FGrayIndex[0] == 255)
            for (int i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(~out[i]);
        break;
    }
    case 4: {
        std::memset(out, 0, static_cast<std::size_t>((n + 1) / 2));
        for (int i = 0; i < n; ++i) {
            int x = x0 + i * step;
            uint8_t v = (x & 1) ? src[x >> 1] & 0x0F : src[x >> 1] >> 4;
            if (FGrayMode) v = FGrayIndex[v] & 0x0F;
            out[i >> 1] |= static_cast<uint8_t>((i & 1) ? v : v << 4);
        }
        break;
    }
    case 8:
        for (int i = 0; i < n; ++i) {
            uint8_t v = src[x0 + i * step];
            if (FGrayMode && !FAlphaPalette) v = FGrayIndex[v];
            *out++ = v;
            if (FUseAlpha) *out++ = transparency(i);
        }
        break;
    case 15:
    case 16:
        for (int i = 0; i < n; ++i) {
            unsigned w = static_cast<unsigned>(src[2 * (x0 + i * step)] | (src[2 * (x0 + i * step) + 1] << 8));
            uint8_t r, g, b = Expand5(w & 31);
            if (FSrcBits == 15) {
                r = Expand5((w >> 10) & 31);
                g = ExpandGreen555((w >> 5) & 31);
            } else {
                r = Expand5((w >> 11) & 31);
                g = Expand6((w >> 5) & 63);
            }
            if (FGrayMode) {
                *out++ = static_cast<uint8_t>(Grey(r, g, b));
            } else {
                *out++ = r, *out++ = g, *out++ = b;
            }
            if (FUseAlpha) *out++ = transparency(i);
        }
        break;
    default: {
        const int bpp = FSrcBits == 32 ? 4 : 3;
        for (int i = 0; i < n; ++i) {
            const uint8_t* p = src + static_cast<std::size_t>(x0 + i * step) * bpp;
            if (FGrayMode) {
                *out++ = static_cast<uint8_t>(Grey(p[2], p[1], p[0]));
            } else {
                *out++ = p[2], *out++ = p[1], *out++ = p[0];
            }
            if (FUseAlpha) *out++ = transparency(i);
        }
        break;
    }
    }
}

void TRUDEDIWriteStream::PackPaletteRow(const uint8_t* src) {
    uint8_t* out = FInfo.CurRow;
    const int n = FPassWidth, x0 = FPassXPix, step = FPassXPixStep, depth = FBitDepth;
    std::memset(out, 0, static_cast<std::size_t>((static_cast<int64_t>(n) * depth + 7) / 8));
    for (int i = 0; i < n; ++i) {
        const int x = x0 + i * step;
        const unsigned v = FSrcBits == 8 ? src[x] : FSrcBits == 4 ? ((x & 1) ? src[x >> 1] & 0x0Fu : src[x >> 1] >> 4u)
                                                                 : (src[x >> 3] >> (7 - (x & 7))) & 1u;
        if (v >> depth) throw ERUDEDI("Write Image (PNG): pixel index past the bit depth");
        const int bit = i * depth;
        out[bit >> 3] |= static_cast<uint8_t>(v << (8 - depth - (bit & 7)));
    }
}

void TRUDEDIWriteStream::FinishImage(bool failed) {
    if (failed) {
        try {
            ZLIBEncodeFlush(FInfo);
        } catch (...) {
        }
    } else {
        int r = ZLIBEncodeFlush(FInfo);
        if (r != 0) {
            ZLIBEncodeFinish(FInfo);
            FreeBufMem();
            throw ERUDEDI("Write Image (PNG): Write Error");
        }
    }
    ZLIBEncodeFinish(FInfo);
    FreeBufMem();
}

void TRUDEDIWriteStream::WriteImage() {
    const TBitmap& src = *FBitmap;
    const int w = src.Width(), h = src.Height();
    GetBufMem();
    if (FGrayMode && !FAlphaPalette && FSrcBits <= 8) SetGrayScalePaletteIndex();
    int level = FCompressLevel >= 0 && FCompressLevel <= 9 ? FCompressLevel : -1;
    if (ZLIBEncodeInit(FInfo, level, FIDATSize) != 0) {
        FreeBufMem();
        throw ERUDEDI("Write Image (PNG): Write Error");
    }
    FInfo.FilterMode = FFilterType;
    FInfo.PngBits = FPNGBits;
    FInfo.BitsPerPixel = FPixelBits;

    const bool adam7 = FInterlaceType == 1;
    SetCallBackParam(1, PngTotalRows(w, h, adam7), 0);
    const int srcBytes = FSrcBits == 15 || FSrcBits == 16 ? 2 : FSrcBits == 24 ? 3 : FSrcBits == 32 ? 4 : 1;
    int64_t rowNo = 0;
    {
        TScopeFail abandon([this] { FinishImage(true); });
        for (int pass = 0; pass < (adam7 ? 7 : 1) && !FStop; ++pass) {
            const TPngPass& p = adam7 ? Adam7Passes[pass] : PngFullPass;
            const TPassLayout l = LayoutPass(p, w, h, srcBytes, FPixelBits);
            if (l.Empty()) continue;
            FPassWidth = l.Width, FPassXPix = l.XPix, FPassXPixStep = l.XPixStep, FPassX = l.X, FPassXStep = l.XStep;
            FInfo.RowLength = l.RowLength;
            std::memset(FInfo.PrevRow, 0, static_cast<std::size_t>(FInfo.RowLength));
            for (int k = 0; k < l.Rows && !FStop; ++k) {
                int y = p.YStart + k * p.YStep;
                GetLinePixels(src.ScanLine(y), FUseAlpha ? FAlphaBitmap->ScanLine(y) : nullptr);
                if (!FPassword.empty() && FOnEncode)
                    FOnEncode(this, FInfo.CurRow, FInfo.RowLength - 1, static_cast<int>(rowNo), FPassword);
                if (png_write_line(FInfo) < 0) throw ERUDEDI("Write Image (PNG): Write Error");
                std::swap(FInfo.CurRow, FInfo.PrevRow);
                ++rowNo;
                if (rowNo % 4 == 2 || h < 4) DoCallBack(rowNo);
            }
        }
    }
    FinishImage(false);
}
