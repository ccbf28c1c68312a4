#include "gif/GIFUtil.h"

#include "base/ByteIO.h"

#include <algorithm>
#include <cstring>

void RaiseGIFError(const std::string& message) { throw GIFException(message); }

int BitsForColours(int count) {
    if (count <= 0) return 0;
    int bits = 1;
    while (bits < 31 && (1 << bits) < count) ++bits;
    return bits;
}

void PutByte(TStream& stream, uint8_t value) { stream.WriteBuffer(&value, 1); }

void PutBounds16(uint8_t* p, uint16_t left, uint16_t top, uint16_t width, uint16_t height) {
    PutLE16(p, left);
    PutLE16(p + 2, top);
    PutLE16(p + 4, width);
    PutLE16(p + 6, height);
}

int GetByte(TStream& stream) {
    uint8_t b = 0;
    return stream.Read(&b, 1) == 1 ? b : -1;
}

void ReadExact(TStream& stream, void* buffer, int64_t count) {
    if (count > 0 && stream.Read(buffer, count) != count) RaiseGIFError(GIFText::_sOutOfData);
}

bool SkipBytes(TStream& stream, int64_t count) {
    int64_t pos = stream.Position();
    int64_t size = stream.Size();
    if (count <= size - pos) {
        stream.SetPosition(pos + count);
        return true;
    }
    stream.SetPosition(std::max(pos, size));
    return false;
}

void PutSubBlocks(TStream& stream, const TStringList& strings) {
    for (const std::string& s : strings.Items()) {
        for (std::size_t pos = 0; pos < s.size(); pos += 255) {
            std::size_t n = std::min<std::size_t>(255, s.size() - pos);
            PutByte(stream, static_cast<uint8_t>(n));
            stream.WriteBuffer(s.data() + pos, static_cast<int64_t>(n));
        }
    }
    PutByte(stream, 0);
}

void GetSubBlocks(TStream& stream, TStringList& strings) {
    strings.Clear();
    char buffer[255];
    for (;;) {
        int n = GetByte(stream);
        if (n <= 0) return;
        ReadExact(stream, buffer, n);
        strings.Add(std::string(buffer, strnlen(buffer, static_cast<std::size_t>(n))));
    }
}

bool SkipSubBlocks(TStream& stream) {
    for (;;) {
        int n = GetByte(stream);
        if (n == 0) return true;
        if (n < 0 || !SkipBytes(stream, n)) return false;
    }
}
