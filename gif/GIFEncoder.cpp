#include "gif/GIFEncoder.h"

#include "base/ScopeGuard.h"
#include "gif/GIFImage.h"
#include "gif/GIFInterlace.h"
#include "gif/GIFSubImage.h"
#include "gif/GIFUtil.h"

// ---- TGIFEncoder

void TGIFEncoder::Encode(TStream& stream, int bitsPerPixel, int colorCount, const uint8_t* pixels, bool interlaced,
                         int height, int width) {
    FColorCount = colorCount;
    FMinCodeSize = std::max(2, bitsPerPixel);
    FPixels = pixels;
    FInterlaced = interlaced;
    FHeight = height;
    FWidth = width;
    PutByte(stream, static_cast<uint8_t>(FMinCodeSize));

    FInitialCodeSize = FCodeSize = FMinCodeSize + 1;
    FMaxCode = MaxCodeOf(FCodeSize);
    FClearCode = 1 << FMinCodeSize;
    FEOFCode = FClearCode + 1;
    FBaseCode = FClearCode + 2;
    FBitBuffer = 0;
    FBitCount = 0;
    FJustCleared = false;
    FPixelsLeft = interlaced ? width : static_cast<int64_t>(width) * height;
    FInterlaceRow = 0;
    FInterlacePass = 0;
    FPixel = pixels;

    TGIFWriter writer(stream, FOnWarning);
    FWriter = &writer;
    {
        // On an error the bytes coded so far still go out; the data stay unterminated.
        TScopeFail flush([&] { writer.FlushBlock(); });
        TScopeExit detach([this] { FWriter = nullptr; });
        if (pixels && width > 0 && height > 0) EncodePixels();
        OutputCode(FEOFCode);
    }
    writer.FlushBlock();
    PutByte(stream, 0);
}

void TGIFEncoder::OutputCode(int code) {
    if (FBitCount == 0)
        FBitBuffer = static_cast<uint32_t>(code);
    else
        FBitBuffer = (static_cast<uint32_t>(code) << FBitCount) | (FBitBuffer & ((1u << FBitCount) - 1));
    FBitCount += FCodeSize;
    while (FBitCount > 7) {
        FWriter->WriteByte(static_cast<uint8_t>(FBitBuffer));
        FBitBuffer >>= 8;
        FBitCount -= 8;
    }
    if (code == FEOFCode) {
        while (FBitCount > 0) {
            FWriter->WriteByte(static_cast<uint8_t>(FBitBuffer));
            FBitBuffer >>= 8;
            FBitCount -= 8;
        }
    }
}

void TGIFEncoder::EmitClear() {
    FJustCleared = true;
    OutputCode(FClearCode);
}

bool TGIFEncoder::NextPixel() {
    if (--FPixelsLeft >= 1) {
        ++FPixel;
        return true;
    }
    if (!FInterlaced) return false;
    FPixelsLeft = FWidth;
    TInterlacedRows rows(FHeight);
    rows.Seek(FInterlaceRow, FInterlacePass);
    if (!rows.Next()) return false;
    FInterlaceRow = rows.Row();
    FInterlacePass = rows.Pass();
    FPixel = FPixels + static_cast<std::size_t>(FInterlaceRow) * static_cast<std::size_t>(FWidth);
    return true;
}

int TGIFEncoder::CurrentPixel() const {
    int p = *FPixel;
    if (p >= FColorCount) RaiseGIFError(GIFText::_sInvalidColor);
    return p;
}

// ---- TLZWEncoder

void TLZWEncoder::OutputCode(int code) {
    TGIFEncoder::OutputCode(code);
    if (FJustCleared) {
        FCodeSize = FInitialCodeSize;
        FMaxCode = MaxCodeOf(FInitialCodeSize);
        FJustCleared = false;
    } else if (FMaxCode < FFreeEntry) {
        ++FCodeSize;
        FMaxCode = FCodeSize == 12 ? 4096 : MaxCodeOf(FCodeSize);
    }
}

void TLZWEncoder::EncodePixels() {
    // The string table: open addressing over 16384 slots of key << 12 | code, with a stamp per
    // slot so that a clear costs nothing. The codes are those of a plain greedy LZW coder.
    constexpr int Slots = 16384;
    std::vector<uint32_t> entries(Slots);
    std::vector<uint32_t> stamps(Slots, 0);
    uint32_t generation = 1;
    auto slotOf = [](uint32_t key) { return static_cast<int>((key * 2654435761u) >> 18); };

    // Codes are packed here and handed to the writer in large pieces.
    uint8_t out[4096];
    int outCount = 0;
    uint64_t bits = FBitBuffer & ((1u << FBitCount) - 1);
    int bitCount = FBitCount;
    int codeSize = FCodeSize;
    int maxCode = FMaxCode;
    int freeEntry = FFreeEntry;
    const int clearCode = FClearCode, initialCodeSize = FInitialCodeSize, colorCount = FColorCount;
    auto flush = [&] {
        if (outCount > 0) FWriter->Write(out, outCount);
        outCount = 0;
    };
    auto put = [&](int code) {
        bits |= static_cast<uint64_t>(code) << bitCount;
        bitCount += codeSize;
        while (bitCount >= 8) {
            out[outCount++] = static_cast<uint8_t>(bits);
            bits >>= 8;
            bitCount -= 8;
        }
        if (outCount > static_cast<int>(sizeof out) - 8) flush();
    };
    auto putCode = [&](int code) {
        put(code);
        if (maxCode < freeEntry) {
            ++codeSize;
            maxCode = codeSize == 12 ? 4096 : MaxCodeOf(codeSize);
        }
    };
    auto clear = [&] {
        put(clearCode);
        codeSize = initialCodeSize;
        maxCode = MaxCodeOf(initialCodeSize);
        freeEntry = clearCode + 2;
        ++generation;
    };
    auto badPixel = [&] {
        flush();
        RaiseGIFError(GIFText::_sInvalidColor);
    };

    // Rows in coding order.
    std::vector<int> rows;
    if (FInterlaced) {
        TInterlacedRows walk(FHeight);
        do rows.push_back(walk.Row());
        while (walk.Next());
    } else {
        rows.push_back(-1);  // the whole picture as one run
    }

    clear();
    bool first = true;
    int prefix = 0;
    for (int row : rows) {
        const uint8_t* p = row < 0 ? FPixels : FPixels + static_cast<std::size_t>(row) * static_cast<std::size_t>(FWidth);
        const uint8_t* end = row < 0 ? FPixels + static_cast<std::size_t>(FWidth) * static_cast<std::size_t>(FHeight)
                                     : p + FWidth;
        if (first) {
            if (*p >= colorCount) badPixel();
            prefix = *p++;
            first = false;
        }
        for (; p < end; ++p) {
            const int pixel = *p;
            if (pixel >= colorCount) badPixel();
            const uint32_t key = static_cast<uint32_t>(prefix) << 8 | static_cast<uint32_t>(pixel);
            int slot = slotOf(key);
            bool found = false;
            while (stamps[static_cast<std::size_t>(slot)] == generation) {
                uint32_t entry = entries[static_cast<std::size_t>(slot)];
                if ((entry >> 12) == key) {
                    prefix = static_cast<int>(entry & 0xFFF);
                    found = true;
                    break;
                }
                slot = (slot + 1) & (Slots - 1);
            }
            if (found) continue;
            putCode(prefix);
            prefix = pixel;
            if (freeEntry > 4094) {
                clear();
            } else {
                stamps[static_cast<std::size_t>(slot)] = generation;
                entries[static_cast<std::size_t>(slot)] = key << 12 | static_cast<uint32_t>(freeEntry);
                ++freeEntry;
            }
        }
    }
    putCode(prefix);
    flush();
    // The end code goes out through OutputCode with the state left here.
    FBitBuffer = static_cast<uint32_t>(bits);
    FBitCount = bitCount;
    FCodeSize = codeSize;
    FMaxCode = maxCode;
    FFreeEntry = freeEntry;
    FJustCleared = false;
}

// ---- TRLEEncoder

int64_t TRLEEncoder::IntegerSquareRoot(int64_t x) {
    if (x <= 1) return x;
    int digits = 0;
    for (int64_t v = x; v > 0; v >>= 2) ++digits;
    int64_t r = int64_t{1} << digits;
    for (;;) {
        int64_t v = (x / r + r) / 2;
        if (v == r || v == r + 1) return r;
        r = v;
    }
}

int64_t TRLEEncoder::RunCodeCost(int64_t count, int64_t n) {
    int64_t cost = 0;
    int64_t per = n * (n + 1) / 2;
    while (count >= per) {
        cost += n;
        count -= per;
    }
    if (count > 0) {
        int64_t k = IntegerSquareRoot(count);
        while (k > 0 && k * (k + 1) >= 2 * count) --k;
        while (k * (k + 1) < 2 * count) ++k;
        cost += k;
    }
    return cost;
}

void TRLEEncoder::EmitClear() {
    FBumpPoint = FInitialBump;
    FClearLimit = FInitialClearLimit;
    FCodesSinceClear = 0;
    FTableRunLength = 0;
    TGIFEncoder::EmitClear();
    FCodeSize = FInitialCodeSize;
}

void TRLEEncoder::EmitCode(int code) {
    FJustCleared = false;
    OutputCode(code);
    if (++FCodesSinceClear == FBumpPoint) {
        FBumpPoint += 1 << FCodeSize;
        ++FCodeSize;
    }
    if (FCodesSinceClear >= FClearLimit) EmitClear();
}

void TRLEEncoder::RestoreClearLimit() {
    FClearLimit = FInitialClearLimit;
    if (FCodesSinceClear >= FClearLimit) EmitClear();
}

void TRLEEncoder::FlushRun(int count) {
    if (count == 1)
        EmitCode(FRunPixel);
    else if (FJustCleared)
        FlushAfterClear(count);
    else if (FTableRunLength > 1 && FTablePixel == FRunPixel)
        FlushByTableRuns(count);
    else
        FlushByRepeatOrClear(count);
}

// Runs of 1, 2, 3, ... pixels: each teaches the decoder a run one longer.
void TRLEEncoder::FlushAfterClear(int count) {
    LiftClearLimit();
    FTablePixel = FRunPixel;
    int n = 1;
    while (count > 0) {
        if (n == 1) {
            FTableRunLength = 1;
            EmitCode(FRunPixel);
            --count;
        } else if (count >= n) {
            FTableRunLength = n;
            EmitCode(FBaseCode + n - 2);
            count -= n;
        } else {
            ++FTableRunLength;
            EmitCode(count == 1 ? FRunPixel : FBaseCode + count - 2);
            break;
        }
        n = FCodesSinceClear == 0 ? 1 : n + 1;
    }
    RestoreClearLimit();
}

void TRLEEncoder::FlushByRepeatOrClear(int count) {
    if (1 + RunCodeCost(count, FRepeatLimit) < count) {
        EmitClear();
        FlushAfterClear(count);
    } else {
        for (int i = 0; i < count; ++i) EmitCode(FRunPixel);
    }
}

void TRLEEncoder::FlushByTableRuns(int count) {
    int64_t repeats = count / FTableRunLength;
    int64_t leftover = count % FTableRunLength;
    int64_t leftoverCodes = leftover > 0 ? 1 : 0;
    if (FCodesSinceClear + repeats + leftoverCodes > FRepeatLimit) {
        repeats = FRepeatLimit - FCodesSinceClear;
        leftover = count - repeats * FTableRunLength;
        leftoverCodes = 1 + RunCodeCost(leftover, FRepeatLimit);
    }
    if (1 + RunCodeCost(count, FRepeatLimit) < repeats + leftoverCodes) {
        EmitClear();
        FlushAfterClear(count);
        return;
    }
    LiftClearLimit();
    int runCode = FBaseCode + FTableRunLength - 2;
    for (int64_t i = 0; i < repeats; ++i) EmitCode(runCode);
    if (leftover > 0) {
        if (FJustCleared)
            FlushAfterClear(static_cast<int>(leftover));
        else
            EmitCode(leftover == 1 ? FRunPixel : FBaseCode + static_cast<int>(leftover) - 2);
    }
    RestoreClearLimit();
}

void TRLEEncoder::EncodePixels() {
    FInitialBump = FClearCode - 1;
    FInitialClearLimit = FMinCodeSize > 3 ? FInitialBump - 1 : 9;
    FRepeatLimit = 4095 - FBaseCode;
    EmitClear();
    int runLength = 0;
    FRunPixel = -1;
    do {
        int pixel = CurrentPixel();
        if (runLength > 0 && pixel != FRunPixel) {
            FlushRun(runLength);
            runLength = 0;
        }
        if (pixel == FRunPixel && runLength > 0) {
            ++runLength;
        } else {
            FRunPixel = pixel;
            runLength = 1;
        }
    } while (NextPixel());
    FlushRun(runLength);
}

// ---- the frame's entry to the encoders

void TGIFSubImage::Compress(TStream& stream) {
    int bits, colors;
    if (FColorMap.Count() > 0) {
        bits = FColorMap.GetBitsPerPixel();
        colors = FColorMap.Count();
    } else {
        bits = FImage ? FImage->GetBitsPerPixel() : 0;
        colors = 1 << bits;
    }
    TGIFWarningEvent warning = [this](TGIFSeverity severity, const std::string& message) { Warning(severity, message); };
    std::unique_ptr<TGIFEncoder> encoder;
    if (FImage && FImage->GetCompression() == gcRLE)
        encoder = std::make_unique<TRLEEncoder>(warning);
    else
        encoder = std::make_unique<TLZWEncoder>(warning);
    encoder->Encode(stream, bits, colors, FData.data(), GetInterlaced(), GetHeight(), GetWidth());
}
