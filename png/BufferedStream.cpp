#include "BufferedStream.h"

#include <algorithm>
#include <cstring>

#include "base/ScopeGuard.h"

TPixelFormat DUVPixelFormat(int bits) {
    switch (bits) {
    case 1: return TPixelFormat::pf1bit;
    case 4: return TPixelFormat::pf4bit;
    case 8: return TPixelFormat::pf8bit;
    case 15: return TPixelFormat::pf15bit;
    case 16: return TPixelFormat::pf16bit;
    case 32: return TPixelFormat::pf32bit;
    default: return TPixelFormat::pf24bit;
    }
}

int DUVBitCount(TPixelFormat pf) {
    switch (pf) {
    case TPixelFormat::pf1bit: return 1;
    case TPixelFormat::pf4bit: return 4;
    case TPixelFormat::pf8bit: return 8;
    case TPixelFormat::pf15bit: return 15;
    case TPixelFormat::pf16bit: return 16;
    case TPixelFormat::pf32bit: return 32;
    case TPixelFormat::pf24bit: return 24;
    }
    return 24;
}

namespace {
TProgressStage StageOf(int& percent) {
    if (percent <= 0) return TProgressStage::psStarting;
    if (percent < 100) return TProgressStage::psRunning;
    percent = 100;
    return TProgressStage::psEnding;
}
} // namespace

// ---- progress (integer division throughout)

void TGLDProgress::StartCallBack() {
    FProgressBase = FProgressLast = FProgressSpan = 0;
    FProgressRest = 99;
    FStop = false;
    FStop = CallBackProc(0);
}

void TGLDProgress::NewPhase(int64_t total, int share) {
    FProgressBase += FProgressSpan;
    FProgressLast = FProgressBase;
    FProgressRest -= FProgressSpan;
    FProgressTotal = total > 0 ? total : 1;
    FProgressSpan = share >= 1 && share <= 99 ? share * FProgressRest / 100 : FProgressRest;
}

void TGLDProgress::Advance(int64_t value) {
    int64_t v = std::clamp<int64_t>(value, 0, FProgressTotal) * FProgressSpan / FProgressTotal;
    int p = FProgressBase + static_cast<int>(v);
    if (p <= FProgressLast) return;
    FProgressLast = p;
    FStop = CallBackProc(p);
}

void TGLDProgress::EndCallBack() { FStop = CallBackProc(100); }

// ---- reader

void TGLDCustomReadStream::SetLoadStream(TStream& stream, int64_t size) {
    FStream = &stream;
    FStartPos = stream.Position();
    int64_t available = std::max<int64_t>(0, stream.Size() - FStartPos);
    FSize = size > 0 ? std::min(size, available) : available;
    FPosition = 0;
    FStop = FOverrun = FMacBinary = false;
    FBufLeft = 0;
    FBufPos = nullptr;
    if (FSize <= 0) {
        FOverrun = true;
        return;
    }
    if (auto* mem = dynamic_cast<TMemoryStream*>(&stream)) {
        FBuffer.clear();
        FBufPos = mem->Memory() + FStartPos;
        FBufLeft = FSize;
    } else {
        if (FBuffer.empty()) FBuffer.resize(BufferSize);
        ReadBuf(0);
    }
    if (FMacBinaryCheck && FSize > 128 && FBufLeft > 128 && FBufPos[0] == 0 && FBufPos[74] == 0) {
        FMacBinary = true;
        FBufPos += 128;
        FPosition += 128;
        FBufLeft -= 128;
    }
}

void TGLDCustomReadStream::ReadBuf(int keep) {
    int64_t want = std::min<int64_t>(BufferSize - keep, FSize - FPosition - keep);
    int64_t got = want > 0 ? FStream->Read(FBuffer.data() + keep, want) : 0;
    if (got < 0) got = 0;
    if (got < want) FSize = FPosition + keep + got;  // the stream was shorter than announced
    FBufLeft = keep + got;
    FBufPos = FBuffer.data();
}

const uint8_t* TGLDCustomReadStream::Take(int n) {
    if (FStop || FOverrun) return nullptr;
    if (FPosition + n > FSize) {
        FOverrun = true;
        return nullptr;
    }
    if (FBufLeft < n) {
        int keep = static_cast<int>(FBufLeft);
        std::memmove(FBuffer.data(), FBufPos, static_cast<std::size_t>(keep));
        ReadBuf(keep);
        if (FBufLeft < n) {
            FOverrun = true;
            return nullptr;
        }
    }
    const uint8_t* p = FBufPos;
    FBufPos += n;
    FBufLeft -= n;
    FPosition += n;
    return p;
}

uint8_t TGLDCustomReadStream::Read1Byte() {
    const uint8_t* p = Take(1);
    return p ? p[0] : 0;
}

uint16_t TGLDCustomReadStream::ReadMWord() {
    const uint8_t* p = Take(2);
    return p ? static_cast<uint16_t>((p[0] << 8) | p[1]) : 0;
}

uint32_t TGLDCustomReadStream::ReadMDword() {
    const uint8_t* p = Take(4);
    return p ? (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3] : 0;
}

uint16_t TGLDCustomReadStream::ReadWord() {
    const uint8_t* p = Take(2);
    return p ? static_cast<uint16_t>(p[0] | (p[1] << 8)) : 0;
}

uint32_t TGLDCustomReadStream::ReadDWord() {
    const uint8_t* p = Take(4);
    return p ? uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24) : 0;
}

void TGLDCustomReadStream::ReadByte(void* dest, int64_t count) {
    if (count == 0) return;  // an empty read is no request to stop
    if (FStop || FOverrun || count < 0) {
        if (count < 0) FStop = true;
        else std::memset(dest, 0, static_cast<std::size_t>(count));
        return;
    }
    auto* out = static_cast<uint8_t*>(dest);
    if (FPosition + count > FSize) {
        FOverrun = true;
        std::memset(out, 0, static_cast<std::size_t>(count));
        return;
    }
    int64_t first = std::min(count, FBufLeft);
    std::memcpy(out, FBufPos, static_cast<std::size_t>(first));
    FBufPos += first;
    FBufLeft -= first;
    FPosition += first;  // before refilling: the refill reads what lies after these bytes
    int64_t rest = count - first;
    if (rest > 0) {
        if (rest >= BufferSize) {
            int64_t got = FStream->Read(out + first, rest);
            if (got != rest) {
                FSize = FPosition + std::max<int64_t>(got, 0);
                FOverrun = true;
                return;
            }
        } else {
            ReadBuf(0);
            if (FBufLeft < rest) {
                FOverrun = true;
                return;
            }
            std::memcpy(out + first, FBufPos, static_cast<std::size_t>(rest));
            FBufPos += rest;
            FBufLeft -= rest;
        }
    }
    FPosition += rest;
}

void TGLDCustomReadStream::ReadSkipByte(int64_t count) {
    if (FStop || FOverrun || count == 0) return;
    if (count < 0) {
        FStop = true;
        return;
    }
    if (FPosition + count > FSize) {
        FOverrun = true;
        return;
    }
    if (count <= FBufLeft) {
        FBufPos += count;
        FBufLeft -= count;
    } else {
        FStream->Seek(count - FBufLeft, TSeekOrigin::soCurrent);
        FBufLeft = 0;
    }
    FPosition += count;
}

void TGLDCustomReadStream::FlushStream() {
    FBuffer.clear();
    FBuffer.shrink_to_fit();
    FBufLeft = 0;
    FBufPos = nullptr;
    if (FStream) FStream->SetPosition(FStartPos + FPosition);
}

void TGLDCustomReadStream::SetCallBackParam(int mode, int64_t total, int share) {
    FProgressMode = mode;
    if (mode == 0) {
        total = FSize;  // a phase of mode 0 counts input bytes
        FProgressStart = FPosition;
    }
    FProgressRow = 0;
    NewPhase(total, share);
}

void TGLDCustomReadStream::DoCallBack(int64_t value) {
    if (FProgressMode == 0) value = FPosition - FProgressStart;
    else FProgressRow = value;
    Advance(value);
}

// ---- graphic reader

TGLDCustomGraphicReadStream::TGLDCustomGraphicReadStream() { FMacBinaryCheck = true; }

bool TGLDCustomGraphicReadStream::CallBackProc(int percent) {
    if (OnProgress) {
        TProgressStage stage = StageOf(percent);
        OnProgress(FBitmap, stage, percent, FMessage);
    }
    return false;
}

TGLDPalRGB* TGLDCustomGraphicReadStream::CreateColorBuf() {
    if (FColorBuf.empty()) FColorBuf.assign(256, TGLDPalRGB{});
    return FColorBuf.data();
}

void TGLDCustomGraphicReadStream::FreeColorBuf() {
    FColorBuf.clear();
    FColorBuf.shrink_to_fit();
}

void TGLDCustomGraphicReadStream::CreateDIB() {
    TBitmap fresh(FWidth, FHeight, DUVPixelFormat(FBitCount));
    if (!FColorBuf.empty())
        fresh.Colors() = Sfunc::CreatePaletteTable(FColorBuf.data(), std::min(FPaletteCount, 256));
    *FBitmap = std::move(fresh);
}

void TGLDCustomGraphicReadStream::LoadFromStream(TBitmap& bitmap, TStream& stream, int64_t size) {
    TScopeExit finish([this] {
        FlushStream();
        FreeColorBuf();
    });
    SetLoadStream(stream, size);
    FBitmap = &bitmap;
    FComment.clear();
    FPaletteCount = FUnitSpecifier = FXPixels = FYPixels = 0;
    ReadStream();
}

// ---- writer

TGLDCustomWriteStream::TGLDCustomWriteStream() : FBuffer(BufferSize) {}

void TGLDCustomWriteStream::SetWriteStream(TStream& stream) {
    FStream = &stream;
    FBufCount = 0;
    FWritten = 0;
}

void TGLDCustomWriteStream::WriteBuf() {
    if (FBufCount > 0) FStream->WriteBuffer(FBuffer.data(), FBufCount);
    FWritten += FBufCount;
    FBufCount = 0;
}

void TGLDCustomWriteStream::FlushStream() {
    if (FBufCount > 0) WriteBuf();
}

void TGLDCustomWriteStream::WriteByte(const void* data, int64_t count) {
    if (FStop || count == 0) return;  // an empty write is no request to stop
    if (count < 0) {
        FStop = true;
        return;
    }
    if (count < 65520) {
        if (FBufCount + count > BufferSize - 1) WriteBuf();
        std::memcpy(FBuffer.data() + FBufCount, data, static_cast<std::size_t>(count));
        FBufCount += count;
    } else {
        FlushStream();
        FStream->WriteBuffer(data, count);
        FWritten += count;
    }
}

void TGLDCustomWriteStream::WriteNumber(uint32_t v, int n, bool bigEndian) {
    if (FStop) return;
    if (FBufCount + n > BufferSize - 1) WriteBuf();
    for (int i = 0; i < n; ++i) {
        int shift = bigEndian ? 8 * (n - 1 - i) : 8 * i;
        FBuffer[static_cast<std::size_t>(FBufCount++)] = static_cast<uint8_t>(v >> shift);
    }
}

void TGLDCustomWriteStream::Write1Byte(uint8_t v) { WriteNumber(v, 1, false); }
void TGLDCustomWriteStream::WriteWord(uint16_t v) { WriteNumber(v, 2, false); }
void TGLDCustomWriteStream::WriteMWord(uint16_t v) { WriteNumber(v, 2, true); }
void TGLDCustomWriteStream::WriteDWord(uint32_t v) { WriteNumber(v, 4, false); }
void TGLDCustomWriteStream::WriteMDWord(uint32_t v) { WriteNumber(v, 4, true); }

// ---- graphic writer

bool TGLDCustomGraphicWriteStream::CallBackProc(int percent) {
    if (OnProgress) {
        TProgressStage stage = StageOf(percent);
        OnProgress(const_cast<TBitmap*>(FBitmap), stage, percent, FMessage);
    }
    return false;
}

void TGLDCustomGraphicWriteStream::SaveToStream(const TBitmap& bitmap, TStream& stream) {
    SetWriteStream(stream);
    FBitmap = &bitmap;
    WriteStream();
    FlushStream();
}
