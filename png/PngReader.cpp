#include "PngReader.h"

#include <algorithm>
#include <cstring>

#include "PngChunks.h"
#include "BitmapPalette.h"
#include "base/ScopeGuard.h"

namespace {
constexpr TColor PaletteAlphaPending = 0x1FFFFFF;
constexpr uint32_t MaxChunkLength = 0x7FFFFFFF;

// Deflate gives at most 1032 bytes for one it reads (a match of 258 bytes in two bits).
constexpr int64_t kMaxInflateRatio = 1032;

int64_t LineSize64(int64_t width, int bits) { return ((width * bits + 7) / 8 + 3) & ~int64_t(3); }

// The bytes the image data inflates to: every row of every pass with its filter byte.
int64_t FilteredBytes(int width, int height, bool adam7, int pngPixelBits) {
    int64_t total = 0;
    for (int pass = 0; pass < (adam7 ? 7 : 1); ++pass) {
        const TPassLayout l = LayoutPass(adam7 ? Adam7Passes[pass] : PngFullPass, width, height, 1, pngPixelBits);
        if (!l.Empty()) total += static_cast<int64_t>(l.Rows) * l.RowLength;
    }
    return total;
}
} // namespace

TRUDEDIReadStream::TRUDEDIReadStream() {
    FInfo.Owner = this;
    FInfo.Callback = [this](TGLDZLIBInfo& info) { return FillInput(info); };
}

void TRUDEDIReadStream::ChunkRead(void* dest, int n) {
    ReadByte(dest, n);
    FChunkLeft -= n;
}

uint8_t TRUDEDIReadStream::Chunk1() {
    FChunkLeft -= 1;
    return Read1Byte();
}

uint16_t TRUDEDIReadStream::Chunk16() {
    FChunkLeft -= 2;
    return ReadMWord();
}

uint32_t TRUDEDIReadStream::Chunk32() {
    FChunkLeft -= 4;
    return ReadMDword();
}

void TRUDEDIReadStream::ReadStream() {
    StartCallBack();
    SetCallBackParam(0, 0, 30);
    FAlphaBitmap = nullptr;
    FHasAlpha = FGrayScale = FAlphaPalette = FPaletteAlpha = FBitmapTransparent = false;
    FSampleKey = FSampleKeyNeedsAlpha = false;
    FInterlaceType = 0;
    FColorKind = -1;
    FPasswordText.clear();
    FBGColor = FTransColor = -1;
    FSBit = 0;
    FGamma = 0;
    FPalAlpha.fill(255);
    if (FTimeLink) *FTimeLink = TPNGTime{};
    if (FGIFExtLink) *FGIFExtLink = TPNGGIFExtension{};
    if (FChrmLink) *FChrmLink = TPNGChromaticities{};
    FBitDepth = FSampleDepth = 0;
    FChunks = 0;
    FChunkLeft = 0;

    if (FCheckSignature) {
        uint8_t sig[8];
        ReadByte(sig, 8);
        if (FOverrun || std::memcmp(sig, PngSignature, 8) != 0) throw ERUDEDI("PNG LoadStream: Not PNG Format");
    }
    {
        TScopeExit finish([this] {
            ZLIBDecodeFinish(FInfo);
            FreeBufMem();
        });
        while (!FOverrun && !FStop && !Has(pcIEND)) ReadChunk();
    }
    // A file that ends early has no picture unless its image data was complete.
    if (!Has(pcIHDR)) throw ERUDEDI("Read Header(PNG): not found IHDR");
    if (!Has(pcIDAT)) throw ERUDEDI("Read Image (PNG): not found IDAT");
    // A 16-bit colour key that the 8-bit samples of the bitmap cannot tell apart from other
    // pixels becomes an alpha bitmap; otherwise the transparent colour says the same.
    if (FSampleKey && FAlphaBitmap) {
        if (FSampleKeyNeedsAlpha) {
            FHasAlpha = true;
            FTransColor = -1;
        } else {
            *FAlphaBitmap = TBitmap();
            FAlphaBitmap = nullptr;
        }
    }
    // The transparent colour holds also when the file ends without IEND.
    if (!FStop && !FHasAlpha && FTransColor != -1) FBitmapTransparent = true;
    if (FPaletteAlpha && FAlphaBitmap) {
        ConvertPAlpha();
        FHasAlpha = true;
    }
    EndCallBack();
}

void TRUDEDIReadStream::ReadChunk() {
    uint32_t length = ReadMDword();
    uint32_t type = ReadMDword();
    if (FOverrun) return;
    if (length > MaxChunkLength) throw ERUDEDI("Read Chunk(PNG): Error Length");
    FChunkLeft = length;
    FChunkType = type;
    const bool afterHeader = Has(pcIHDR), beforeImage = !Has(pcIDAT), beforePalette = !Has(pcPLTE);
    switch (type) {
    case ChunkIDAT:
        if (!afterHeader) throw ERUDEDI("Read Header(PNG): IDAT before IHDR");
        if (beforeImage) ReadImage();
        break;
    case ChunkIEND: EndChunk(); break;
    case ChunkIHDR: ReadHeader(); break;
    case ChunkPLTE:
        if (afterHeader && beforeImage && beforePalette && (FColorKind != 0 || (FAlphaPalette && FHasAlpha)))
            ReadPalette();
        break;
    case ChunkbKGD:
        if (afterHeader) ReadBGColor();
        break;
    case ChunkcHRM:
        if (afterHeader && beforeImage && beforePalette && length == 32 && FChrmLink) ReadChrm();
        break;
    case ChunkgAMA:
        if (afterHeader && beforeImage && beforePalette) ReadGamma();
        break;
    case ChunkgIFg:
        if (afterHeader && beforeImage && beforePalette && length == 4 && FGIFExtLink) ReadGIFExt();
        break;
    case ChunkpHYs:
        if (afterHeader && beforeImage) ReadAspectData();
        break;
    case ChunksBIT:
        if (afterHeader && beforeImage && beforePalette && FColorKind != 0) ReadsBIT();
        break;
    case ChunktEXt:
        if (length > 0) ReadText();
        break;
    case ChunktIME:
        if (length == 7 && FTimeLink) ReadTime();
        break;
    case ChunktRNS:
        if (afterHeader && beforeImage && !FHasAlpha) ReadTransColor();
        break;
    case ChunktpNG:
        if (afterHeader && beforeImage && !Has(pcTPNG)) ReadDUVData();
        break;
    default: SkipChunk(); break;
    }
    if (FChunkLeft > 0) ReadSkipByte(FChunkLeft);
    FChunkLeft = 0;
    ReadMDword();  // CRC, not compared
    DoCallBack(0);
}

void TRUDEDIReadStream::SkipChunk() {
    ReadSkipByte(FChunkLeft);
    FChunkLeft = 0;
}

void TRUDEDIReadStream::EndChunk() { FChunks |= pcIEND; }

void TRUDEDIReadStream::ReadHeader() {
    if (Has(pcIHDR)) throw ERUDEDI("Read Header(PNG): appear two IHDR");
    if (!ChunkHas(13)) throw ERUDEDI("Read Header(PNG): Error Length");
    uint32_t width = Chunk32(), height = Chunk32();
    uint8_t depth = Chunk1(), colourType = Chunk1(), compression = Chunk1(), filter = Chunk1(), interlace = Chunk1();
    if (FOverrun) return;  // truncated: reported as a file without header
    if (colourType != 0 && colourType != 2 && colourType != 3 && colourType != 4 && colourType != 6)
        throw ERUDEDI("Read Header(PNG): Error ColorType");
    FHasAlpha = (colourType & 4) != 0;
    FColorKind = colourType & 3;
    FGrayScale = FColorKind == 0;
    if (compression != 0) throw ERUDEDI("Read Header(PNG): not support Compression");
    if (filter != 0) throw ERUDEDI("Read Header(PNG): not supprt Filter");
    if (interlace >= 2) throw ERUDEDI("Read Header(PNG): not interlace type");
    if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        throw ERUDEDI("Read Header(PNG): Error Size");
    FWidth = static_cast<int>(width);
    FHeight = static_cast<int>(height);
    FBitDepth = FSampleDepth = depth;
    FInterlaceType = interlace;
    FChunks |= pcIHDR;
}

void TRUDEDIReadStream::ReadPalette() {
    int n = static_cast<int>(std::min<int64_t>(FChunkLeft / 3, 256));
    TGLDPalRGB* buf = CreateColorBuf();
    for (int i = 0; i < n; ++i) {
        uint8_t rgb[3];
        ChunkRead(rgb, 3);
        buf[i] = TGLDPalRGB{rgb[2], rgb[1], rgb[0], 0};
    }
    FPaletteCount = n;
    FChunks |= pcPLTE;
}

void TRUDEDIReadStream::ReadGamma() {
    if (ChunkHas(4)) FGamma = Chunk32() / 100000.0;
}

void TRUDEDIReadStream::ReadChrm() {
    uint32_t v[8];
    for (uint32_t& x : v) x = Chunk32();
    *FChrmLink = TPNGChromaticities{v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]};
}

void TRUDEDIReadStream::ReadsBIT() {
    if (!ChunkHas(3)) return;
    uint8_t b[3];
    ChunkRead(b, 3);
    FSBit = b[0] | (b[1] << 8) | (b[2] << 16);
    if (FHasAlpha && ChunkHas(1)) FSBit |= static_cast<int32_t>(static_cast<uint32_t>(Chunk1()) << 24);
}

void TRUDEDIReadStream::ReadGIFExt() {
    uint8_t b[4];
    ChunkRead(b, 4);
    *FGIFExtLink = TPNGGIFExtension{b[0], b[1], {b[2], b[3]}};
}

void TRUDEDIReadStream::ReadAspectData() {
    if (!ChunkHas(9)) return;
    FXPixels = static_cast<int>(Chunk32());
    FYPixels = static_cast<int>(Chunk32());
    FUnitSpecifier = Chunk1();
}

void TRUDEDIReadStream::ReadTime() {
    TPNGTime t;
    t.Year = Chunk16();
    t.Month = Chunk1(), t.Day = Chunk1(), t.Hour = Chunk1(), t.Minute = Chunk1(), t.Second = Chunk1();
    *FTimeLink = t;
}

void TRUDEDIReadStream::ReadText() {
    if (FChunkLeft > Left()) return;  // the file ends inside the chunk: the skip runs short
    std::string data(static_cast<std::size_t>(FChunkLeft), '\0');
    ChunkRead(data.data(), static_cast<int>(data.size()));
    std::string::size_type zero = data.find('\0');
    if (zero == std::string::npos || data.compare(0, zero, "Comment") != 0 || zero != 7) return;
    std::string text = data.substr(zero + 1);
    if (text.empty()) return;
    if (!FComment.empty()) FComment += "\r\n";
    FComment += text + "\r\n";
}

int TRUDEDIReadStream::GreyLevel(uint32_t sample) const {
    if (FSampleDepth >= 16) return static_cast<int>(sample >> 8);
    if (FSampleDepth <= 0 || FSampleDepth >= 8) return static_cast<int>(sample & 0xFF);
    uint32_t max = (1u << FSampleDepth) - 1;
    return static_cast<int>((sample & max) * 255 / max);  // the level of the grey palette entry
}

int TRUDEDIReadStream::RgbLevel(uint32_t sample) const {
    return static_cast<int>(FSampleDepth >= 16 ? sample >> 8 : sample & 0xFF);
}

void TRUDEDIReadStream::ReadSampleColour(TColor& target, bool background, std::array<uint16_t, 3>* samples) {
    if (FColorKind == 0) {
        if (!ChunkHas(2)) return;
        uint32_t s = Chunk16();
        if (samples) *samples = {static_cast<uint16_t>(s), 0, 0};
        if (background && FAlphaPalette) {
            target = static_cast<TColor>(s & 0xFF) | PaletteIndexFlag;
        } else {
            auto g = static_cast<uint8_t>(GreyLevel(s));
            target = MakeColor(g, g, g);
        }
    } else if (FColorKind == 2) {
        if (!ChunkHas(6)) return;
        uint32_t r = Chunk16(), g = Chunk16(), b = Chunk16();
        if (samples) *samples = {static_cast<uint16_t>(r), static_cast<uint16_t>(g), static_cast<uint16_t>(b)};
        target = MakeColor(static_cast<uint8_t>(RgbLevel(r)), static_cast<uint8_t>(RgbLevel(g)),
                           static_cast<uint8_t>(RgbLevel(b)));
    }
}

void TRUDEDIReadStream::ReadTransColor() {
    if (FColorKind != 3) {
        ReadSampleColour(FTransColor, false, &FTransSamples);
        FSampleKey = FSampleDepth == 16 && FTransColor != -1;
        return;
    }
    if (!Has(pcPLTE)) return;
    FPalAlpha.fill(255);  // a second tRNS starts afresh
    int n = static_cast<int>(std::min<int64_t>(FPaletteCount, FChunkLeft));
    ChunkRead(FPalAlpha.data(), n);
    for (uint8_t& a : FPalAlpha) a = static_cast<uint8_t>(255 - a);
    FTransColor = PaletteAlphaPending;
}

void TRUDEDIReadStream::ReadBGColor() {
    if (FColorKind == 3) {
        if (ChunkHas(1)) FBGColor = static_cast<TColor>(Chunk1()) | PaletteIndexFlag;
        return;
    }
    ReadSampleColour(FBGColor, true);
}

void TRUDEDIReadStream::ReadDUVData() {
    FChunks |= pcTPNG;
    if (!ChunkHas(4)) return;
    uint32_t magic = Chunk32();
    if (FChunkLeft <= 0 || magic != PngChunkType("DUV3")) return;
    if (Chunk1() != 0) {
        FPasswordText = FPassword;
        if (FOnPassword) FOnPassword(this, FPasswordText);
    }
    if (FChunkLeft > 0 && Chunk1() == 1 && FAlphaPaletteOption) FAlphaPalette = true;
}

int TRUDEDIReadStream::FillInput(TGLDZLIBInfo& info) {
    while (FChunkLeft == 0) {  // also passes over empty IDAT chunks
        ReadSkipByte(4);       // CRC of the chunk used up
        uint32_t length = ReadMDword();
        uint32_t type = ReadMDword();
        if (FOverrun || FStop || length > MaxChunkLength || type != ChunkIDAT) return -1;
        FChunkType = type;
        FChunkLeft = length;
    }
    int n = static_cast<int>(std::min<int64_t>(FChunkLeft, ZLIBReadBufferSize));
    ReadByte(info.Buffer.data(), n);
    if (FOverrun || FStop) return -1;
    FChunkLeft -= n;
    info.Stream.next_in = info.Buffer.data();
    info.Stream.avail_in = static_cast<uInt>(n);
    return 0;
}

void TRUDEDIReadStream::GetBufMem() {
    int64_t r = LineSize64(FWidth, FPngPixelBits);
    int64_t d = LineSize64(FWidth, FBitCount);
    int64_t a = LineSize64(FWidth, 8);
    FBufMem.assign(static_cast<std::size_t>(2 * r + d + a + 12), 0);
    uint8_t* p = FBufMem.data();
    FInfo.CurRow = p;
    FInfo.PrevRow = p + r + 4;
    FConvRow = p + 2 * (r + 4);
    FAlphaRow = FConvRow + d + 4;
    FDIBLineSize = static_cast<int>(d);
}

void TRUDEDIReadStream::FreeBufMem() {
    FBufMem.clear();
    FBufMem.shrink_to_fit();
    FInfo.CurRow = FInfo.PrevRow = nullptr;
    FConvRow = FAlphaRow = nullptr;
}

void TRUDEDIReadStream::CreateDIB() {
    if (FGrayScale && !FAlphaPalette && FBitCount <= 8)
        FPaletteCount = Sfunc::CreateGrayScalePalette(CreateColorBuf(), FSampleDepth);
    if (FBitCount > 8) FreeColorBuf();  // a suggested palette of a true-colour file is not kept
    else FPaletteCount = std::min(FPaletteCount, 1 << FBitCount);  // no more entries than the bitmap can index
    if (FTransColor == PaletteAlphaPending) {
        int transparent = 0, opaque = 0, index = 0;
        for (int i = 0; i < 256; ++i) {
            if (FPalAlpha[static_cast<std::size_t>(i)] == 255) ++transparent, index = i;
            else if (FPalAlpha[static_cast<std::size_t>(i)] == 0) ++opaque;
        }
        if (transparent == 1 && opaque == 255) {
            FTransColor = index | PaletteIndexFlag;
        } else {
            FTransColor = -1;
            FPaletteAlpha = true;
        }
    }
    TGLDCustomGraphicReadStream::CreateDIB();
    if ((FHasAlpha || FPaletteAlpha || FSampleKey) && FAlphaTarget) {
        TBitmap alpha(FWidth, FHeight, TPixelFormat::pf8bit);
        alpha.Colors() = GreyPalette(8);
        *FAlphaTarget = std::move(alpha);
        FAlphaBitmap = FAlphaTarget;
    }
}

void TRUDEDIReadStream::ReadImage() {
    if (ZLIBDecodeInit(FInfo) != 0) throw ERUDEDI("PNG LoadStream: Error ZLIB");
    CheckImageFormat();
    // The picture's size is refused by the header, and so is image data that the rest of the
    // file could never inflate to: before anything is allocated.
    if (FWidth > FMaxSide || FHeight > FMaxSide || static_cast<int64_t>(FWidth) * FHeight > FMaxPixels)
        throw ERUDEDI("Read Image (PNG): Image too large");
    if (FilteredBytes(FWidth, FHeight, FInterlaceType == 1, FPngPixelBits) > kMaxInflateRatio * (Left() + 1))
        throw ERUDEDI("Read Image (PNG): Read Error");
    // Every allocation below is checked against the limit first, in 64 bits.
    const int64_t rowBytes = LineSize64(FWidth, FPngPixelBits);
    const int64_t dibRow = LineSize64(FWidth, FBitCount);
    const int64_t alphaBytes = (FHasAlpha || FPaletteAlpha || FSampleKey || FTransColor == PaletteAlphaPending) && FAlphaTarget
                                   ? LineSize64(FWidth, 8) * FHeight
                                   : 0;
    if (2 * rowBytes + dibRow + LineSize64(FWidth, 8) + 12 > FMaxImageBytes || dibRow * FHeight > FMaxImageBytes ||
        alphaBytes > FMaxImageBytes)
        throw ERUDEDI("Read Image (PNG): Image too large");
    CreateDIB();
    GetBufMem();
    FInfo.BitsPerPixel = FPngPixelBits;

    const bool adam7 = FInterlaceType == 1;
    FLastPass = adam7 ? 6 : 0;
    SetCallBackParam(1, PngTotalRows(FWidth, FHeight, adam7), 98);
    const int pixelBytes = FBitCount == 16 ? 2 : FBitCount == 24 ? 3 : 1;
    const bool hook = !FPasswordText.empty() && FOnDecode;
    {
        TScopeExit finish([this] {
            ZLIBDecodeFlush(FInfo);
            ZLIBDecodeFinish(FInfo);
            FreeBufMem();
            SetCallBackParam(0, 0, 0);
        });
        int64_t rowNo = 0;
        for (int pass = 0; pass <= FLastPass && !FStop; ++pass) {
            const TPngPass& p = adam7 ? Adam7Passes[pass] : PngFullPass;
            const TPassLayout l = LayoutPass(p, FWidth, FHeight, pixelBytes, FPngPixelBits);
            if (l.Empty()) continue;
            FPassWidth = l.Width, FPassXPix = l.XPix, FPassXPixStep = l.XPixStep, FPassX = l.X, FPassXStep = l.XStep;
            FInfo.RowLength = l.RowLength;
            std::memset(FInfo.PrevRow, 0, static_cast<std::size_t>(FInfo.RowLength));
            for (int k = 0; k < l.Rows && !FStop; ++k) {
                const int y = p.YStart + k * p.YStep;
                // inflate and unfilter, then the row hook, convert and store
                if (png_read_line(FInfo) < 0) throw ERUDEDI("Read Image (PNG): Read Error");
                if (hook) {
                    std::memcpy(FInfo.PrevRow, FInfo.CurRow, static_cast<std::size_t>(FInfo.RowLength));
                    FOnDecode(this, FInfo.CurRow + 1, FInfo.RowLength - 1, static_cast<int>(rowNo), FPasswordText);
                }
                const uint8_t* conv = (this->*FConvert)();
                (this->*FSetPixels)(FBitmap->ScanLine(y), conv);
                if (FAlphaBitmap) (this->*FSetAlpha)(FAlphaBitmap->ScanLine(y), FAlphaRow);
                if (!hook) std::swap(FInfo.CurRow, FInfo.PrevRow);
                ++rowNo;
                if (rowNo % 4 == 2 || FHeight < 4) DoCallBack(rowNo);
            }
        }
    }
    FChunks |= pcIDAT;
}

void TRUDEDIReadStream::ConvertPAlpha() {
    for (int y = 0; y < FBitmap->Height(); ++y) {
        uint8_t* a = FAlphaBitmap->ScanLine(y);
        for (int x = 0; x < FBitmap->Width(); ++x)
            a[x] = FPalAlpha[static_cast<std::size_t>(FBitmap->PixelIndex(x, y) & 0xFF)];
    }
}
