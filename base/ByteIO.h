#pragma once
// Little-endian byte access and a bounded reader with a sticky failure flag:
// once a read runs past the end, every later read yields zero and Failed() stays true.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

inline uint16_t GetLE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t GetLE32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
inline void PutLE16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutLE32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

class ByteReader {
public:
    ByteReader(const uint8_t* data, std::size_t size) : FData(data), FSize(size) {}
    explicit ByteReader(const std::vector<uint8_t>& v) : FData(v.data()), FSize(v.size()) {}

    bool Failed() const { return FFailed; }
    std::size_t Position() const { return FPos; }
    std::size_t Size() const { return FSize; }
    std::size_t Remaining() const { return FPos <= FSize ? FSize - FPos : 0; }
    const uint8_t* Here() const { return FData + FPos; }

    bool Seek(std::size_t pos) {
        if (pos > FSize) return Fail();
        FPos = pos;
        return true;
    }
    bool Skip(std::size_t n) {
        if (n > Remaining()) return Fail();
        FPos += n;
        return true;
    }
    uint8_t U8() {
        if (!Need(1)) return 0;
        return FData[FPos++];
    }
    uint16_t U16() {
        if (!Need(2)) return 0;
        uint16_t v = GetLE16(FData + FPos);
        FPos += 2;
        return v;
    }
    uint32_t U32() {
        if (!Need(4)) return 0;
        uint32_t v = GetLE32(FData + FPos);
        FPos += 4;
        return v;
    }
    int32_t I32() { return static_cast<int32_t>(U32()); }
    bool Bytes(void* out, std::size_t n) {
        if (!Need(n)) {
            std::memset(out, 0, n);
            return false;
        }
        std::memcpy(out, FData + FPos, n);
        FPos += n;
        return true;
    }

private:
    bool Need(std::size_t n) {
        if (FFailed || n > Remaining()) return Fail();
        return true;
    }
    bool Fail() {
        FFailed = true;
        return false;
    }
    const uint8_t* FData;  // not owned
    std::size_t FSize;
    std::size_t FPos = 0;
    bool FFailed = false;
};

// Appends little-endian values to a byte vector.
class ByteWriter {
public:
    std::vector<uint8_t> Data;
    void U8(uint32_t v) { Data.push_back(static_cast<uint8_t>(v)); }
    void U16(uint32_t v) { U8(v); U8(v >> 8); }
    void U32(uint32_t v) { U16(v); U16(v >> 16); }
    void Bytes(const void* p, std::size_t n) {
        auto b = static_cast<const uint8_t*>(p);
        Data.insert(Data.end(), b, b + n);
    }
    void Text(const std::string& s) { Bytes(s.data(), s.size()); }
};
