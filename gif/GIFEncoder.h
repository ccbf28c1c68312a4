#pragma once
// Encoders of GIF image data: a true LZW coder with a hashed string table, and a run-length
// coder whose codes any standard decoder expands into runs of one colour.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "gif/GIFWriter.h"

class TGIFEncoder {
public:
    explicit TGIFEncoder(TGIFWarningEvent warning) : FOnWarning(std::move(warning)) {}
    virtual ~TGIFEncoder() = default;
    TGIFEncoder(const TGIFEncoder&) = delete;
    TGIFEncoder& operator=(const TGIFEncoder&) = delete;

    // Writes the minimum code size, the codes as sub-blocks and the terminator. A pixel at or
    // above colorCount raises "Color not in color table" and leaves the data unterminated.
    void Encode(TStream& stream, int bitsPerPixel, int colorCount, const uint8_t* pixels, bool interlaced, int height,
                int width);

protected:
    static uint16_t MaxCodeOf(int bits) { return static_cast<uint16_t>((1 << bits) - 1); }
    virtual void OutputCode(int code);
    virtual void EmitClear();
    virtual void EncodePixels() = 0;
    // Moves to the next pixel in row (or interlaced row) order; false after the last.
    bool NextPixel();
    // The current pixel, checked against the colour count.
    int CurrentPixel() const;

    TGIFWarningEvent FOnWarning;
    int FColorCount = 0;
    int FMinCodeSize = 2;
    int FWidth = 0, FHeight = 0;
    bool FInterlaced = false;
    const uint8_t* FPixels = nullptr;  // not owned
    TGIFWriter* FWriter = nullptr;     // lives for one Encode call
    uint32_t FBitBuffer = 0;
    int FBitCount = 0;
    bool FJustCleared = false;
    int FCodeSize = 0, FInitialCodeSize = 0;
    int FMaxCode = 0, FClearCode = 0, FEOFCode = 0, FBaseCode = 0;
    const uint8_t* FPixel = nullptr;
    int64_t FPixelsLeft = 0;
    int FInterlaceRow = 0, FInterlacePass = 0;
};

class TLZWEncoder : public TGIFEncoder {
public:
    using TGIFEncoder::TGIFEncoder;

protected:
    void OutputCode(int code) override;
    void EncodePixels() override;

private:
    int FFreeEntry = 0;
};

class TRLEEncoder : public TGIFEncoder {
public:
    using TGIFEncoder::TGIFEncoder;
    // Codes needed after a clear for count pixels of one colour, with at most n codes per table.
    static int64_t RunCodeCost(int64_t count, int64_t n);
    static int64_t IntegerSquareRoot(int64_t x);

protected:
    void EmitClear() override;
    void EncodePixels() override;

private:
    void EmitCode(int code);
    void FlushRun(int count);
    void FlushAfterClear(int count);
    void FlushByRepeatOrClear(int count);
    void FlushByTableRuns(int count);
    void LiftClearLimit() { FClearLimit = FRepeatLimit; }
    void RestoreClearLimit();

    int FRepeatLimit = 0, FInitialBump = 0, FInitialClearLimit = 0;
    int FRunPixel = -1, FTableRunLength = 0, FTablePixel = 0;
    int FCodesSinceClear = 0, FClearLimit = 0, FBumpPoint = 0;
};
