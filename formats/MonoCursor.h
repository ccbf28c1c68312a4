#pragma once
// The two-colour 32x32 cursor image: the record shared by the .ani format, the
// cursor templates and the document's monochrome cursor; the 326-byte two-colour
// .cur file that holds one; and the 15 built-in templates.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/ImageRecord.h"

constexpr int kMonoRecordBytes = 304;   // 40-byte header, 2 palette entries, XOR bits, AND bits
constexpr int kMonoCurFileBytes = 326;  // 6-byte header, one 16-byte entry, the record
constexpr int kMonoBitsBytes = 128;     // 32 rows of 4 bytes, bottom row first, MSB = leftmost pixel

// 304 bytes, little-endian: bitmap information header (40, 32, 64, 1, 1, 0, image size,
// 0, 0, 0, 0), palette entries black and white, 128 bytes of colour (XOR) bits, 128
// bytes of mask (AND) bits. A pixel is black for (AND 0, XOR 0), white for (0, 1), the
// screen for (1, 0) and the inverted screen for (1, 1).
struct MonoCursorRecord {
    uint8_t Bytes[kMonoRecordBytes] = {};

    // A record with the standard header and palette, all bits zero.
    static MonoCursorRecord Blank(uint32_t imageSize = 0);

    uint8_t* XorBits() { return Bytes + 48; }
    const uint8_t* XorBits() const { return Bytes + 48; }
    uint8_t* AndBits() { return Bytes + 176; }
    const uint8_t* AndBits() const { return Bytes + 176; }

    // Bits of pixel (x, y), y = 0 the top row.
    bool XorBit(int x, int y) const { return GetBit(XorBits(), x, y); }
    bool AndBit(int x, int y) const { return GetBit(AndBits(), x, y); }
    void SetPixel(int x, int y, bool andBit, bool xorBit) {
        PutBit(AndBits(), x, y, andBit);
        PutBit(XorBits(), x, y, xorBit);
    }

    friend bool operator==(const MonoCursorRecord& a, const MonoCursorRecord& b);

private:
    static bool GetBit(const uint8_t* bits, int x, int y) {
        return (bits[(31 - y) * 4 + x / 8] >> (7 - x % 8)) & 1;
    }
    static void PutBit(uint8_t* bits, int x, int y, bool on) {
        uint8_t& b = bits[(31 - y) * 4 + x / 8];
        uint8_t bit = static_cast<uint8_t>(0x80 >> (x % 8));
        b = static_cast<uint8_t>(on ? b | bit : b & ~bit);
    }
};
static_assert(sizeof(MonoCursorRecord) == kMonoRecordBytes);

// Results of reading a two-colour cursor file.
enum class MonoCurRead {
    Read,        // the record and hotspot were taken
    CannotOpen,  // the file could not be opened
    NotMono,     // shorter than 326 bytes or not a single 32x32 two-colour cursor
};

// Parses the 326-byte file image: reserved 0, type 2, count 1; entry 32, 32, colour
// count 0, reserved 0, image size 304, offset 22. The hotspot words are clamped to 31.
MonoCurRead ParseMonoCurFile(const uint8_t* data, std::size_t size, MonoCursorRecord& record, int& hotX, int& hotY);
MonoCurRead ReadMonoCurFile(const std::string& path, MonoCursorRecord& record, int& hotX, int& hotY);

// The 326 bytes of the file for a record and its hotspot (each 0-31).
std::vector<uint8_t> MonoCurFileBytes(const MonoCursorRecord& record, int hotX, int hotY);
// False when the file could not be created or written (an existing file is left as it was).
bool WriteMonoCurFile(const std::string& path, const MonoCursorRecord& record, int hotX, int hotY);

// The editor's view of a monochrome cursor: palette 0 black, 1 white, 2 and 3 teal,
// entry 2 inverse; pixel index 0 = black, 1 = white, 2 = inverted screen, 3 = screen.
// Without a record every pixel is 3 (transparent).
ImageRecord MonoCursorToImage(const MonoCursorRecord* record);
// Rebuilds a record (image size 0) from the editor's pixel indices 0-3; other indices
// are taken modulo 4.
MonoCursorRecord MonoCursorFromPixels(const PixelBlock& pixels);

// The built-in templates: the resource "CurData" holds 15 records one after the other.
constexpr int kMonoTemplateCount = 15;
constexpr std::size_t kCurDataBytes = kMonoTemplateCount * kMonoRecordBytes;
struct MonoTemplateInfo {
    const char* Name;  // item of the template list
    uint8_t HotX, HotY;
};
extern const std::array<MonoTemplateInfo, kMonoTemplateCount> kMonoTemplates;
// Copies template n (0-14) out of the "CurData" bytes; false when n or the data is out of range.
bool LoadMonoTemplate(const uint8_t* curData, std::size_t size, int n, MonoCursorRecord& out);
