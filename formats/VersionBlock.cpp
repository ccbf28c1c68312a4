#include "VersionBlock.h"

#include "base/ByteIO.h"
#include "base/Format.h"
#include "base/Text.h"

const std::array<const char*, kVersionItems> kVersionKeys = {
    "Comments",    "CompanyName",  "LegalTrademarks", "OriginalFilename", "ProductVersion",
    "ProductName", "InternalName", "FileDescription", "LegalCopyright",   "FileVersion"};

namespace {

constexpr std::size_t kMaxValueBytes = 255;

// The text, its zero byte and zero padding to a multiple of 4.
std::string Padded(std::string s) {
    s.resize((s.size() + 4) & ~std::size_t{3}, '\0');
    return s;
}

} // namespace

std::string VersionText(const uint16_t v[4]) {
    return Format("%d.%d.%d.%d", int{v[0]}, int{v[1]}, int{v[2]}, int{v[3]});
}

std::string CreationDateText(int year, int month, int day) {
    return Format("作成日: %04d/%02d/%02d", year, month, day);
}

std::vector<uint8_t> BuildVersionBlock(const VersionValues& values) {
    const uint32_t ms = uint32_t{values.Version[0]} << 16 | values.Version[1];
    const uint32_t ls = uint32_t{values.Version[2]} << 16 | values.Version[3];
    ByteWriter w;
    w.U16(0);  // wLength, patched below
    w.U16(52);
    w.Text(Padded("VS_VERSION_INFO"));
    for (uint32_t v : {0xFEEF04BDu, 0x00010000u, ms, ls, ms, ls, 0x3Fu, 0u, 0x00040004u, 2u, 0u, 0u, 0u}) w.U32(v);
    w.U16(0);  // StringFileInfo, patched below
    w.U16(0);
    w.Text(Padded("StringFileInfo"));
    w.U16(0);  // the string table, patched below
    w.U16(0);
    w.Text(Padded("041103A4"));
    for (int i = 0; i < kVersionItems; ++i) {
        const std::string key = Padded(kVersionKeys[static_cast<std::size_t>(i)]);
        const std::string value = Padded(TruncateSjis(Utf8ToSjis(values.Items[static_cast<std::size_t>(i)]), kMaxValueBytes));
        // Each length stops two bytes short of the block's end; readers step to the next
        // block on a four-byte boundary.
        w.U16(static_cast<uint32_t>(2 + key.size() + value.size()));
        w.U16(static_cast<uint32_t>(value.size()));
        w.Text(key);
        w.Text(value);
    }
    w.U16(36);
    w.U16(0);
    w.Text(Padded("VarFileInfo"));
    w.U16(20);
    w.U16(4);
    w.Text(Padded("Translation"));
    w.U32(0x03A40411);
    const uint32_t size = static_cast<uint32_t>(w.Data.size());
    PutLE16(w.Data.data(), size);
    PutLE16(w.Data.data() + 72, size - 110);
    PutLE16(w.Data.data() + 92, size - 130);
    return std::move(w.Data);
}
