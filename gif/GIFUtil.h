#pragma once
// Small stream helpers of the GIF codec: single bytes, exact reads and data sub-blocks.
#include <cstdint>
#include <string>

#include "base/Stream.h"
#include "base/StringList.h"
#include "gif/GIFTypes.h"

[[noreturn]] void RaiseGIFError(const std::string& message);

// 0 for 0, else the smallest n >= 1 with 2^n >= count.
int BitsForColours(int count);

void PutByte(TStream& stream, uint8_t value);
// Left, top, width and height as four little-endian 16-bit values (8 bytes), as image
// descriptors and plain text blocks store them.
void PutBounds16(uint8_t* p, uint16_t left, uint16_t top, uint16_t width, uint16_t height);
// The next byte, or -1 at the end of the stream.
int GetByte(TStream& stream);
// Exactly count bytes, or GIFException "Premature end of data".
void ReadExact(TStream& stream, void* buffer, int64_t count);
// Skips count bytes; false (and the stream at its end) when fewer remain.
bool SkipBytes(TStream& stream, int64_t count);

// Every string as sub-blocks of at most 255 bytes, then one 0 byte.
void PutSubBlocks(TStream& stream, const TStringList& strings);
// Each sub-block becomes one string (up to its first zero byte) until a 0 length or the end.
void GetSubBlocks(TStream& stream, TStringList& strings);
// Skips sub-blocks up to and including the terminator; false when the stream ends first.
bool SkipSubBlocks(TStream& stream);
