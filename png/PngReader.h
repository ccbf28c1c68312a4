#pragma once
// TRUDEDIReadStream: reads one PNG file into a TBitmap of 1, 4, 8, 16 or 24 bits and,
// when the transparency needs more than one transparent colour, into an 8-bit alpha
// bitmap holding 255 - alpha. Tolerant of CRCs, unknown and misplaced chunks; strict
// about the header, the image data and every size.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "BufferedStream.h"
#include "PngTypes.h"
#include "ZlibAdapter.h"

class TRUDEDIReadStream : public TGLDCustomGraphicReadStream {
public:
    TRUDEDIReadStream();

    // Inputs (set by the picture).
    bool FCheckSignature = true;
    bool FAlphaPaletteOption = false;
    bool FRestore1516 = false;
    std::string FPassword;
    TPNGPasswordEvent FOnPassword;
    TPNGDECodeEvent FOnDecode;
    TPNGTime* FTimeLink = nullptr;                 // not owned
    TPNGChromaticities* FChrmLink = nullptr;       // not owned
    TPNGGIFExtension* FGIFExtLink = nullptr;       // not owned
    TBitmap* FAlphaTarget = nullptr;               // not owned

    // Results.
    bool FHasAlpha = false;
    bool FGrayScale = false;
    int FInterlaceType = 0;
    double FGamma = 0;
    int32_t FSBit = 0;
    TColor FBGColor = -1;
    TColor FTransColor = -1;
    // The bitmap was made transparent with FTransColor as its transparent colour.
    bool FBitmapTransparent = false;

protected:
    void ReadStream() override;
    void CreateDIB() override;

private:
    enum : uint8_t { pcIHDR = 1, pcIDAT = 2, pcIEND = 4, pcPLTE = 8, pcTPNG = 16 };
    using TConvert = const uint8_t* (TRUDEDIReadStream::*)();
    using TSetPixels = void (TRUDEDIReadStream::*)(uint8_t* row, const uint8_t* conv);

    void ReadChunk();
    void ReadHeader();
    void ReadPalette();
    void ReadImage();
    void EndChunk();
    void ReadBGColor();
    void ReadChrm();
    void ReadGamma();
    void ReadGIFExt();
    void ReadAspectData();
    void ReadsBIT();
    void ReadText();
    void ReadTime();
    void ReadTransColor();
    void ReadDUVData();
    void SkipChunk();
    void CheckImageFormat();
    void GetBufMem();
    void FreeBufMem();
    void ConvertPAlpha();
    int FillInput(TGLDZLIBInfo& info);

    // Reads up to the rest of the current chunk; false when the chunk is shorter than n.
    bool ChunkHas(int64_t n) const { return FChunkLeft >= n; }
    void ChunkRead(void* dest, int n);
    uint8_t Chunk1();
    uint16_t Chunk16();
    uint32_t Chunk32();
    bool Has(uint8_t c) const { return (FChunks & c) != 0; }
    // A grey sample as the level the bitmap shows it at.
    int GreyLevel(uint32_t sample) const;
    // A 16-bit RGB sample as the byte the bitmap holds.
    int RgbLevel(uint32_t sample) const;
    // samples, when given, receives the chunk's samples as they are (grey, or red, green, blue).
    void ReadSampleColour(TColor& target, bool background, std::array<uint16_t, 3>* samples = nullptr);
    // With 16-bit samples and a tRNS colour: marks the pixels of the row that equal the
    // colour in all 16 bits as transparent in the alpha row, and notes when one only
    // looks equal in the bitmap's 8 bits.
    void MarkTransSamples(const uint8_t* samples, int channels);

    const uint8_t* ConvertNone();
    const uint8_t* Change2to4();
    const uint8_t* ChangeGray16();
    const uint8_t* ChangeGray8A();
    const uint8_t* ChangeGray16A();
    const uint8_t* RGBtoBGR16();
    const uint8_t* RGBtoBGR24();
    const uint8_t* RGBtoBGR48();
    const uint8_t* RGBAtoBGRA16();
    const uint8_t* RGBAtoBGRA32();
    const uint8_t* RGBAtoBGRA64();
    void SetPixels_Normal(uint8_t* row, const uint8_t* conv);
    void SetPixels_Normal_A(uint8_t* row, const uint8_t* conv);
    void SetPixels_Inter1(uint8_t* row, const uint8_t* conv);
    void SetPixels_Inter4(uint8_t* row, const uint8_t* conv);
    void SetPixels_Inter8(uint8_t* row, const uint8_t* conv);
    void SetPixels_Inter16(uint8_t* row, const uint8_t* conv);
    void SetPixels_Inter24(uint8_t* row, const uint8_t* conv);
    void SetPixels_Inter32(uint8_t* row, const uint8_t* conv);
    void SetPixels_InterA(uint8_t* row, const uint8_t* conv);

    TRUDEDIInfo FInfo;
    std::vector<uint8_t> FBufMem;
    uint8_t* FConvRow = nullptr;
    uint8_t* FAlphaRow = nullptr;
    int64_t FChunkLeft = 0;
    uint32_t FChunkType = 0;
    uint8_t FChunks = 0;
    int FLastPass = 0;
    int FPassWidth = 0;
    int FDIBLineSize = 0;
    int FPassX = 0, FPassXStep = 1;
    int FPassXPix = 0, FPassXPixStep = 1;
    std::string FPasswordText;
    bool FAlphaPalette = false;
    bool FPaletteAlpha = false;
    // A 16-bit image's tRNS samples, compared in full; when a pixel's 8 bits match them but
    // its 16 bits do not, the transparency needs the alpha bitmap.
    bool FSampleKey = false;
    bool FSampleKeyNeedsAlpha = false;
    std::array<uint16_t, 3> FTransSamples{};
    int FColorKind = -1;
    int FPngPixelBits = 0;  // bits per PNG pixel
    int FSampleDepth = 0;   // IHDR bit depth
    TBitmap* FAlphaBitmap = nullptr;  // not owned
    std::array<uint8_t, 256> FPalAlpha{};
    TConvert FConvert = nullptr;
    TSetPixels FSetPixels = nullptr;
    TSetPixels FSetAlpha = nullptr;
};
