#include "gif/GIFDecoder.h"

#include <algorithm>

#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFInterlace.h"
#include "gif/GIFSubImage.h"
#include "gif/GIFUtil.h"

namespace {
constexpr int MaxCodes = 4096;
}

bool TGIFDecoder::NextBlock() {
    if (FEndOfData || FEndOfStream) return false;
    int size = GetByte(FStream);
    if (size < 0) {
        FEndOfStream = true;
        return false;
    }
    if (size == 0) {
        FEndOfData = true;
        return false;
    }
    int64_t got = FStream.Read(FBlock.data(), size);
    if (got < size) {
        Warn(GIFText::_sOutOfData);
        FEndOfStream = true;
    }
    FBlockSize = static_cast<int>(got);
    FBlockPos = 0;
    return got > 0;
}

// Takes bytes, also across sub-blocks of any length, until a whole code is there.
int TGIFDecoder::ReadCode() {
    while (FBitCount < FCodeSize) {
        if (FBlockPos >= FBlockSize && !NextBlock()) {
            if (FEndOfData && FBitCount == 0) Warn(GIFText::_sDecodeTooFewBits);
            return -1;
        }
        FBits |= static_cast<uint32_t>(FBlock[static_cast<std::size_t>(FBlockPos++)]) << FBitCount;
        FBitCount += 8;
    }
    int code = static_cast<int>(FBits & ((1u << FCodeSize) - 1));
    FBits >>= FCodeSize;
    FBitCount -= FCodeSize;
    return code;
}

void TGIFDecoder::ResetTable() {
    for (int i = 0; i < MaxCodes; ++i) {
        FPrefix[static_cast<std::size_t>(i)] = 0;
        FSuffix[static_cast<std::size_t>(i)] = static_cast<uint8_t>(i < FClearCode ? i : 0);
    }
    FCodeSize = FMinCodeSize + 1;
    FCodeLimit = 2 * FClearCode;
    FNextFree = FClearCode + 2;
    FStackSize = 0;
    FAfterClear = true;
}

int TGIFDecoder::Corrupt() {
    Warn(GIFText::_sInvalidData);
    FFailed = true;
    return -1;
}

int TGIFDecoder::NextPixel() {
    if (FStackSize > 0) return FStack[static_cast<std::size_t>(--FStackSize)];
    if (FFailed) return -1;
    int code = ReadCode();
    while (code == FClearCode) {
        ResetTable();
        code = ReadCode();
    }
    if (code < 0) return -1;
    if (code == FEndCode) return -2;

    if (FAfterClear) {
        // After a clear code only a single pixel can follow.
        if (code > FClearCode) return Corrupt();
        FAfterClear = false;
        FOldCode = code;
        FFirstPixel = code;
        return code;
    }
    if (code > FNextFree) return Corrupt();

    int incoming = code;
    if (code == FNextFree) {
        FStack[static_cast<std::size_t>(FStackSize++)] = static_cast<uint8_t>(FFirstPixel);
        code = FOldCode;
    }
    // Every entry's prefix is an older code, so this chain ends within the table's size.
    while (code >= FClearCode) {
        if (FStackSize >= MaxCodes) return Corrupt();
        FStack[static_cast<std::size_t>(FStackSize++)] = FSuffix[static_cast<std::size_t>(code)];
        code = FPrefix[static_cast<std::size_t>(code)];
    }
    FFirstPixel = FSuffix[static_cast<std::size_t>(code)];
    FStack[static_cast<std::size_t>(FStackSize++)] = static_cast<uint8_t>(FFirstPixel);

    if (FNextFree < MaxCodes) {
        FPrefix[static_cast<std::size_t>(FNextFree)] = static_cast<uint16_t>(FOldCode);
        FSuffix[static_cast<std::size_t>(FNextFree)] = static_cast<uint8_t>(FFirstPixel);
        if (++FNextFree >= FCodeLimit && FCodeLimit < MaxCodes) {
            FCodeLimit *= 2;
            ++FCodeSize;
        }
    }
    FOldCode = incoming;
    return FStack[static_cast<std::size_t>(--FStackSize)];
}

void TGIFDecoder::Decode(uint8_t* pixels, int width, int height, bool interlaced) {
    int minCodeSize = GetByte(FStream);
    if (minCodeSize < 0) return;
    if (minCodeSize > 11) {
        // A clear code of 4096 or more would not fit the code table.
        Warn(GIFText::_sInvalidData);
        SkipSubBlocks(FStream);
        return;
    }
    FMinCodeSize = minCodeSize;
    FClearCode = 1 << minCodeSize;
    FEndCode = FClearCode + 1;
    ResetTable();

    if (width > 0 && height > 0) {
        auto fillRow = [&](int row) {
            uint8_t* p = pixels + static_cast<std::size_t>(row) * static_cast<std::size_t>(width);
            for (int x = 0; x < width; ++x) {
                int v = NextPixel();
                if (v < 0) return false;
                p[x] = static_cast<uint8_t>(v);
            }
            return true;
        };
        if (interlaced) {
            TInterlacedRows rows(height);
            do {
                if (!fillRow(rows.Row())) break;
            } while (rows.Next());
        } else {
            for (int y = 0; y < height; ++y)
                if (!fillRow(y)) break;
        }
    }
    // Whatever stopped the frame, the next block starts behind the terminator.
    if (!FEndOfData && !FEndOfStream) SkipSubBlocks(FStream);
}

void TGIFSubImage::Decompress(TStream& stream) {
    NewImage();
    if (FTransparent && FGraphicControlExtension)
        std::fill(FData.begin(), FData.end(), static_cast<uint8_t>(FGraphicControlExtension->GetTransparentColorIndex()));
    TGIFDecoder decoder(stream, [this](TGIFSeverity severity, const std::string& message) { Warning(severity, message); });
    decoder.Decode(FData.data(), GetWidth(), GetHeight(), GetInterlaced());
}
