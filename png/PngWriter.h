#pragma once
// TRUDEDIWriteStream: writes one TBitmap (and an optional 8-bit alpha bitmap holding
// 255 - alpha) as a PNG file. The chunk order is fixed; see WriteStream.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "BufferedStream.h"
#include "PngTypes.h"
#include "ZlibAdapter.h"

class TRUDEDIWriteStream : public TGLDCustomGraphicWriteStream {
public:
    TRUDEDIWriteStream();
    // 256..100000 inclusive, else ERUDEDI.
    void SetIDATSize(int size);
    void WriteChunk(uint32_t type, const uint8_t* data, int length);

    // Options (defaults as a bare writer has them; the picture passes its own).
    int FIDATSize = 32768;
    int FCompressLevel = -1;
    int FFilterType = gpfNone;
    int FInterlaceType = 0;
    bool FGrayScale = false;
    TColor FBGColor = -1;
    TColor FTransColor = -1;
    std::string FComment;
    double FGamma = 0;
    int FUnitSpecifier = 0;
    int FXPixels = 0, FYPixels = 0;
    int32_t FSBit = 0;
    std::string FPassword;
    bool FWriteSignature = true;
    bool FAlphaPaletteOption = false;
    // A paletted source is written at this bit depth (1, 2 or 4, below its own) when its
    // palette fits in it; a pixel whose index does not fit then stops the write. 0 = its own.
    int FPaletteDepth = 0;
    bool FStampTime = true;
    const TPNGTime* FTimeLink = nullptr;                 // not owned
    const TPNGChromaticities* FChrmLink = nullptr;       // not owned
    const TPNGGIFExtension* FGIFExtLink = nullptr;       // not owned
    const TBitmap* FAlphaSource = nullptr;               // not owned
    TPNGDECodeEvent FOnEncode;

protected:
    void WriteStream() override;

private:
    void WriteIHDR();
    void WritetIMe();
    void WritetExt();
    void WriteTextMes(const std::string& keyword, const std::string& text);
    void WritetpNg();
    void WritegIFg();
    void WritegAMA();
    void WritecHRM();
    void WritesBIT();
    void WritePLTE();
    void WritebKGD();
    void WritetRNS();
    void WritepHYs();
    void WriteImage();
    void GetBufMem();
    void FreeBufMem();
    void SetGrayScalePaletteIndex();
    void GetLinePixels(const uint8_t* src, const uint8_t* alpha);
    // The pass's palette indices of a source row packed at the written bit depth.
    void PackPaletteRow(const uint8_t* src);
    void FinishImage(bool failed);  // after a failure the flush is tried and its errors dropped

    // Entries of the PLTE chunk: the source palette, at most 2^depth entries.
    std::vector<TGLDPalRGB> WrittenPalette() const;
    int GreySample(TColor colour) const;
    // A palette-index colour's entry colour (greyscale output), or -1 when it has none.
    TColor ResolvePaletteColour(TColor colour) const;
    // The grey (2 bytes) or RGB (6 bytes) sample data of bKGD and tRNS into d; 0 when there is none.
    int SampleData(TColor colour, bool grey, uint8_t* d) const;
    // The palette index for bKGD and tRNS, or -1.
    int IndexFor(TColor colour) const;

    TRUDEDIInfo FInfo;
    bool FUseAlpha = false;
    bool FGrayMode = false;
    bool FAlphaPalette = false;
    int FPassWidth = 0;
    int FPassX = 0, FPassXStep = 1;
    int FPassXPix = 0, FPassXPixStep = 1;
    std::vector<uint8_t> FBufMem;
    const TBitmap* FAlphaBitmap = nullptr;  // not owned
    int FPNGBits = 0;
    int FSrcBits = 0;
    int FSrcLineSize = 0;
    int FBitDepth = 0;       // IHDR bit depth
    int FColorType = 0;      // IHDR colour type
    int FPixelBits = 0;      // bits per PNG pixel
    std::array<uint8_t, 256> FGrayIndex{};
};
