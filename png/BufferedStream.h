#pragma once
// Buffered reader and writer over a TStream for the picture codecs: number readers and
// writers in both byte orders, sticky overrun and stop flags, a MacBinary header skip,
// progress in percent, and "graphic" variants that know their bitmap.
#include <cstdint>
#include <string>
#include <vector>

#include "PngTypes.h"
#include "BitmapPalette.h"
#include "base/Bitmap.h"
#include "base/Stream.h"

// Platform pixel format for a bit count and back (15 is the 5-5-5 format).
TPixelFormat DUVPixelFormat(int bits);
int DUVBitCount(TPixelFormat pf);

// Progress in percent over phases, shared by the reader and the writer: StartCallBack,
// then phases that each get a share of the points left, then EndCallBack (100 %).
class TGLDProgress {
public:
    virtual ~TGLDProgress() = default;
    void StartCallBack();
    void EndCallBack();
    bool Stop() const { return FStop; }

protected:
    virtual bool CallBackProc(int percent) { return false; }
    void NewPhase(int64_t total, int share);
    // Reports value of the phase's total when it gives a percent above the last one.
    void Advance(int64_t value);

    int FProgressBase = 0, FProgressLast = 0, FProgressSpan = 0, FProgressRest = 0;
    int64_t FProgressTotal = 1;
    int FProgressMode = 0;
    int64_t FProgressStart = 0;
    bool FStop = false;
};

class TGLDCustomReadStream : public TGLDProgress {
public:
    static constexpr int BufferSize = 65536;
    TGLDCustomReadStream() = default;
    virtual ~TGLDCustomReadStream() = default;
    TGLDCustomReadStream(const TGLDCustomReadStream&) = delete;
    TGLDCustomReadStream& operator=(const TGLDCustomReadStream&) = delete;

    void SetLoadStream(TStream& stream, int64_t size);
    void ReadBuf(int keep);
    // Reads nothing once a flag is set; a read past the end sets the overrun flag.
    void ReadByte(void* dest, int64_t count);
    uint8_t Read1Byte();
    uint16_t ReadMWord();
    uint32_t ReadMDword();
    uint16_t ReadWord();
    uint32_t ReadDWord();
    void ReadSkipByte(int64_t count);
    void FlushStream();

    void SetCallBackParam(int mode, int64_t total, int share);
    void DoCallBack(int64_t value);

    bool Overrun() const { return FOverrun; }
    bool MacBinary() const { return FMacBinary; }
    int64_t Size() const { return FSize; }
    int64_t Position() const { return FPosition; }
    int64_t Left() const { return FSize - FPosition; }

    bool FMacBinaryCheck = false;

protected:
    // The next n bytes in the buffer (refilled as needed), or null when they cannot be had.
    const uint8_t* Take(int n);

    int64_t FProgressRow = 0;
    int64_t FSize = 0;
    int64_t FPosition = 0;
    const uint8_t* FBufPos = nullptr;
    std::vector<uint8_t> FBuffer;  // empty while a memory stream is read in place
    int64_t FBufLeft = 0;
    int64_t FStartPos = 0;
    bool FOverrun = false;
    bool FMacBinary = false;
    TStream* FStream = nullptr;  // not owned
};

class TGLDCustomGraphicReadStream : public TGLDCustomReadStream {
public:
    TGLDCustomGraphicReadStream();
    // Reads from the stream's position (size 0 = to its end) into the bitmap.
    void LoadFromStream(TBitmap& bitmap, TStream& stream, int64_t size);
    TGLDPalRGB* CreateColorBuf();
    void FreeColorBuf();

    TProgressEvent OnProgress;
    // Largest bitmap (or row buffer) in bytes that a reader may allocate.
    int64_t FMaxImageBytes = 256LL * 1024 * 1024;
    // Largest picture a reader builds, refused by the size its header declares.
    int64_t FMaxPixels = kMaxPicturePixels;
    int FMaxSide = kMaxPictureSide;

    std::string FComment;
    int FWidth = 0, FHeight = 0;
    int FBitCount = 0;
    int FBitDepth = 0;
    int FPaletteCount = 0;
    int FUnitSpecifier = 0;
    int FXPixels = 0, FYPixels = 0;

protected:
    bool CallBackProc(int percent) override;
    virtual void ReadStream() = 0;
    virtual void CreateDIB();

    TBitmap* FBitmap = nullptr;  // not owned
    std::vector<TGLDPalRGB> FColorBuf;
    std::string FMessage;
};

class TGLDCustomWriteStream : public TGLDProgress {
public:
    static constexpr int BufferSize = 65536;
    TGLDCustomWriteStream();
    virtual ~TGLDCustomWriteStream() = default;
    TGLDCustomWriteStream(const TGLDCustomWriteStream&) = delete;
    TGLDCustomWriteStream& operator=(const TGLDCustomWriteStream&) = delete;

    void SetWriteStream(TStream& stream);
    void WriteByte(const void* data, int64_t count);
    void Write1Byte(uint8_t v);
    void WriteWord(uint16_t v);
    void WriteMWord(uint16_t v);
    void WriteDWord(uint32_t v);
    void WriteMDWord(uint32_t v);
    void WriteBuf();
    void FlushStream();

    // The writer's phases always count caller units (mode 1).
    void SetCallBackParam(int mode, int64_t total, int share) { NewPhase(total, share); }
    void DoCallBack(int64_t value) { Advance(value); }

    int64_t Written() const { return FWritten; }

protected:
    void WriteNumber(uint32_t v, int n, bool bigEndian);

    int64_t FBufCount = 0;
    int64_t FWritten = 0;
    std::vector<uint8_t> FBuffer;
    TStream* FStream = nullptr;  // not owned
    std::string FMessage;
};

class TGLDCustomGraphicWriteStream : public TGLDCustomWriteStream {
public:
    void SaveToStream(const TBitmap& bitmap, TStream& stream);
    TProgressEvent OnProgress;

protected:
    bool CallBackProc(int percent) override;
    virtual void WriteStream() = 0;

    const TBitmap* FBitmap = nullptr;  // not owned
};
