#pragma once
// The LZW decoder of GIF image data: the minimum code size byte and the data sub-blocks.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "base/Stream.h"
#include "gif/GIFTypes.h"

class TGIFDecoder {
public:
    using TWarning = std::function<void(TGIFSeverity severity, const std::string& message)>;
    TGIFDecoder(TStream& stream, TWarning warning) : FStream(stream), FWarning(std::move(warning)) {}

    // Decodes into width x height pixels (pre-filled by the caller), rows in file order or
    // interlaced. Damaged data end the frame with a warning; the stream is always left behind
    // the terminator block, or at its end.
    void Decode(uint8_t* pixels, int width, int height, bool interlaced);

    // The next pixel value, -1 when the data ran out or are corrupt, -2 at the end code.
    int NextPixel();

private:
    int ReadCode();
    bool NextBlock();
    void ResetTable();
    int Corrupt();
    void Warn(const char* message) {
        if (FWarning) FWarning(gsWarning, message);
    }

    TStream& FStream;
    TWarning FWarning;

    // code table
    int FMinCodeSize = 0, FCodeSize = 0, FClearCode = 0, FEndCode = 0, FNextFree = 0, FCodeLimit = 0;
    int FOldCode = -1, FFirstPixel = 0;
    bool FAfterClear = true;
    bool FFailed = false;
    std::array<uint16_t, 4096> FPrefix{};
    std::array<uint8_t, 4096> FSuffix{};
    std::array<uint8_t, 4097> FStack{};
    int FStackSize = 0;

    // bit reader over the current sub-block
    std::array<uint8_t, 255> FBlock{};
    int FBlockSize = 0, FBlockPos = 0;
    uint32_t FBits = 0;
    int FBitCount = 0;
    bool FEndOfData = false;    // the terminator block was read
    bool FEndOfStream = false;  // no further byte
};
