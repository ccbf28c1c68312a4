#include "formats/MonoCursor.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/ByteIO.h"
#include "base/Stream.h"

namespace {

constexpr int kMaxHot = 31;

const TRGBQuad kTeal{128, 128, 0, 0};

} // namespace

MonoCursorRecord MonoCursorRecord::Blank(uint32_t imageSize) {
    MonoCursorRecord r;
    PutLE32(r.Bytes + 0, 40);
    PutLE32(r.Bytes + 4, 32);
    PutLE32(r.Bytes + 8, 64);
    PutLE16(r.Bytes + 12, 1);
    PutLE16(r.Bytes + 14, 1);
    PutLE32(r.Bytes + 20, imageSize);
    r.Bytes[44] = r.Bytes[45] = r.Bytes[46] = 0xFF;  // entry 1 white; entry 0 stays black
    return r;
}

bool operator==(const MonoCursorRecord& a, const MonoCursorRecord& b) {
    return std::memcmp(a.Bytes, b.Bytes, sizeof a.Bytes) == 0;
}

MonoCurRead ParseMonoCurFile(const uint8_t* data, std::size_t size, MonoCursorRecord& record, int& hotX, int& hotY) {
    if (size < static_cast<std::size_t>(kMonoCurFileBytes)) return MonoCurRead::NotMono;
    ByteReader r(data, size);
    uint16_t reserved = r.U16(), type = r.U16(), count = r.U16();
    uint8_t width = r.U8(), height = r.U8(), colours = r.U8(), reserved2 = r.U8();
    uint16_t x = r.U16(), y = r.U16();
    uint32_t bytes = r.U32(), offset = r.U32();
    if (r.Failed() || reserved != 0 || type != 2 || count != 1 || width != 32 || height != 32 || colours != 0 ||
        reserved2 != 0 || bytes != kMonoRecordBytes || offset != 22)
        return MonoCurRead::NotMono;
    std::memcpy(record.Bytes, data + 22, kMonoRecordBytes);
    hotX = std::min<int>(x, kMaxHot);
    hotY = std::min<int>(y, kMaxHot);
    return MonoCurRead::Read;
}

MonoCurRead ReadMonoCurFile(const std::string& path, MonoCursorRecord& record, int& hotX, int& hotY) {
    std::FILE* f = OpenFileUtf8(path, "rb");
    if (!f) return MonoCurRead::CannotOpen;
    uint8_t buf[kMonoCurFileBytes];
    std::size_t n = std::fread(buf, 1, sizeof buf, f);
    std::fclose(f);
    return ParseMonoCurFile(buf, n, record, hotX, hotY);
}

std::vector<uint8_t> MonoCurFileBytes(const MonoCursorRecord& record, int hotX, int hotY) {
    ByteWriter w;
    w.U16(0);
    w.U16(2);
    w.U16(1);
    w.U8(32);
    w.U8(32);
    w.U8(0);
    w.U8(0);
    w.U16(static_cast<uint32_t>(std::clamp(hotX, 0, kMaxHot)));
    w.U16(static_cast<uint32_t>(std::clamp(hotY, 0, kMaxHot)));
    w.U32(kMonoRecordBytes);
    w.U32(22);
    w.Bytes(record.Bytes, kMonoRecordBytes);
    return std::move(w.Data);
}

bool WriteMonoCurFile(const std::string& path, const MonoCursorRecord& record, int hotX, int hotY) {
    std::vector<uint8_t> bytes = MonoCurFileBytes(record, hotX, hotY);
    return WriteWholeFile(path, bytes.data(), bytes.size());
}

ImageRecord MonoCursorToImage(const MonoCursorRecord* record) {
    ImageRecord img;
    img.Palette[1] = TRGBQuad{255, 255, 255, 0};
    img.Palette[2] = img.Palette[3] = kTeal;
    img.Inverse[2] = 1;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            uint8_t g = 3;
            if (record) {
                bool a = record->AndBit(x, y), c = record->XorBit(x, y);
                g = a ? (c ? 2 : 3) : (c ? 1 : 0);
            }
            img.Pixels.At(x, y) = g;
        }
    return img;
}

MonoCursorRecord MonoCursorFromPixels(const PixelBlock& pixels) {
    MonoCursorRecord r = MonoCursorRecord::Blank(0);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            int g = pixels.At(x, y) % 4;
            if (g < 2)
                r.SetPixel(x, y, false, g == 1);
            else
                r.SetPixel(x, y, true, g == 2);
        }
    return r;
}

const std::array<MonoTemplateInfo, kMonoTemplateCount> kMonoTemplates = {{
    {"Arrow", 0, 0},
    {"Help", 6, 6},
    {"AppStarting", 5, 7},
    {"HourGlass", 16, 16},
    {"Cross", 15, 15},
    {"IBeam", 15, 14},
    {"NWPen", 6, 6},
    {"No", 16, 16},
    {"SizeNS", 15, 15},
    {"SizeWE", 15, 15},
    {"SizeNWSE", 15, 15},
    {"SizeNESW", 15, 15},
    {"SizeAll", 15, 15},
    {"Up", 15, 8},
    {"HandPoint", 5, 0},
}};

bool LoadMonoTemplate(const uint8_t* curData, std::size_t size, int n, MonoCursorRecord& out) {
    if (!curData || n < 0 || n >= kMonoTemplateCount) return false;
    std::size_t offset = static_cast<std::size_t>(n) * kMonoRecordBytes;
    if (size < offset + kMonoRecordBytes) return false;
    std::memcpy(out.Bytes, curData + offset, kMonoRecordBytes);
    return true;
}
