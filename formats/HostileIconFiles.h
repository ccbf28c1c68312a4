#pragma once
// Icon files and modules of hostile design, made in memory by the tests: a directory of many
// entries that all point to one stored image, a module of many groups that all name one.
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/ByteIO.h"

// An .ico of `count` entries, each naming the one image stored right after the directory.
inline std::vector<uint8_t> SharedImageIcon(uint32_t count, const std::vector<uint8_t>& image, uint8_t side) {
    ByteWriter w;
    w.U16(0);
    w.U16(1);
    w.U16(count);
    const uint32_t at = 6 + 16 * count;
    for (uint32_t i = 0; i < count; ++i) {
        w.U8(side);
        w.U8(side);
        w.U8(0);
        w.U8(0);
        w.U16(1);
        w.U16(32);
        w.U32(static_cast<uint32_t>(image.size()));
        w.U32(at);
    }
    w.Bytes(image.data(), image.size());
    return w.Data;
}

// A 32x32 8-bit bitmap resource, grey ramp palette, pixel (x, y) = x + y, opaque, followed
// by zeros up to `size` bytes.
inline std::vector<uint8_t> PaddedBitmapImage(std::size_t size) {
    ByteWriter w;
    for (uint32_t v : {40u, 32u, 64u}) w.U32(v);
    w.U16(1);
    w.U16(8);
    for (int i = 0; i < 6; ++i) w.U32(0);
    for (uint32_t i = 0; i < 256; ++i) w.U32(i * 0x010101);
    for (int row = 0; row < 32; ++row)
        for (int x = 0; x < 32; ++x) w.U8(static_cast<uint32_t>(x + 31 - row));
    for (int i = 0; i < 32 * 4; ++i) w.U8(0);
    w.Data.resize(size < w.Data.size() ? w.Data.size() : size, 0);
    return w.Data;
}

namespace hostile_detail {
inline void PngChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    const uint32_t n = static_cast<uint32_t>(data.size());
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(n >> s));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uint32_t crc = static_cast<uint32_t>(crc32(0L, out.data() + typeAt, static_cast<uInt>(out.size() - typeAt)));
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(crc >> s));
}
} // namespace hostile_detail

// A 256x256 RGBA PNG (pixel (x, y) = (x, y, 128, x)) stored without compression, with an
// ancillary chunk of zeros that brings it to at least `size` bytes.
inline std::vector<uint8_t> LargePngImage(std::size_t size) {
    std::vector<uint8_t> raw;
    for (int y = 0; y < 256; ++y) {
        raw.push_back(0);
        for (int x = 0; x < 256; ++x) raw.insert(raw.end(), {uint8_t(x), uint8_t(y), 128, uint8_t(x)});
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 0);
    packed.resize(packedSize);
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    hostile_detail::PngChunk(png, "IHDR", {0, 0, 1, 0, 0, 0, 1, 0, 8, 6, 0, 0, 0});
    const std::size_t rest = packed.size() + 12 + 12 + 12 + png.size();
    hostile_detail::PngChunk(png, "pbIg", std::vector<uint8_t>(size > rest ? size - rest : 0, 0));
    hostile_detail::PngChunk(png, "IDAT", packed);
    hostile_detail::PngChunk(png, "IEND", {});
    return png;
}

// A 32-bit module (PE32, one .rsrc section) of `groups` group icons, each of its own bytes
// and each naming icon 1, the one image: `side` x `side` (0 = 256) at 32 bits. Sound in
// every table; what it costs is that thousands of icons show one large or one broken image.
inline std::vector<uint8_t> ModuleOfGroupsNamingOneImage(uint32_t groups, const std::vector<uint8_t>& image,
                                                         uint8_t side) {
    constexpr uint32_t kRva = 0x1000, kDirectory = 16, kEntry = 8, kData = 16, kGroup = 6 + 14;
    const auto subdirectory = [](uint32_t at) { return 0x80000000u | at; };
    // The tree: the root (icons, group icons), the two name directories, one language
    // directory per resource, the data entries, then the image and the groups.
    const uint32_t iconNames = kDirectory + 2 * kEntry, groupNames = iconNames + kDirectory + kEntry;
    const uint32_t iconLanguage = groupNames + kDirectory + kEntry * groups;
    const uint32_t groupLanguages = iconLanguage + kDirectory + kEntry;
    const uint32_t iconData = groupLanguages + (kDirectory + kEntry) * groups, groupData = iconData + kData;
    const uint32_t imageAt = groupData + kData * groups;
    const uint32_t groupsAt = (imageAt + static_cast<uint32_t>(image.size()) + 3) & ~3u;
    std::vector<uint8_t> tree(groupsAt + kGroup * groups, 0);
    const auto directory = [&](uint32_t at, uint32_t count) {
        PutLE16(&tree[at + 14], count);
        return at + kDirectory;
    };
    const auto entry = [&](uint32_t at, uint32_t name, uint32_t target) {
        PutLE32(&tree[at], name);
        PutLE32(&tree[at + 4], target);
    };
    const auto data = [&](uint32_t at, uint32_t where, uint32_t bytes) {
        PutLE32(&tree[at], kRva + where);
        PutLE32(&tree[at + 4], bytes);
    };
    uint32_t e = directory(0, 2);
    entry(e, 3, subdirectory(iconNames));
    entry(e + kEntry, 14, subdirectory(groupNames));
    entry(directory(iconNames, 1), 1, subdirectory(iconLanguage));
    entry(directory(iconLanguage, 1), 0x409, iconData);
    data(iconData, imageAt, static_cast<uint32_t>(image.size()));
    std::copy(image.begin(), image.end(), tree.begin() + imageAt);
    e = directory(groupNames, groups);
    for (uint32_t g = 0; g < groups; ++g) {
        const uint32_t language = groupLanguages + (kDirectory + kEntry) * g, at = groupsAt + kGroup * g;
        entry(e + kEntry * g, g + 1, subdirectory(language));
        entry(directory(language, 1), 0x409, groupData + kData * g);
        data(groupData + kData * g, at, kGroup);
        PutLE16(&tree[at + 2], 1);
        PutLE16(&tree[at + 4], 1);
        tree[at + 6] = tree[at + 7] = side;
        PutLE16(&tree[at + 10], 1);
        PutLE16(&tree[at + 12], 32);
        PutLE32(&tree[at + 14], static_cast<uint32_t>(image.size()));
        PutLE16(&tree[at + 18], 1);
    }
    // The headers: DOS stub, COFF header, PE32 optional header, one section.
    const uint32_t raw = (static_cast<uint32_t>(tree.size()) + 0x1FF) & ~0x1FFu;
    std::vector<uint8_t> file(0x200 + raw, 0);
    file[0] = 'M';
    file[1] = 'Z';
    PutLE32(&file[0x3C], 0x40);
    uint8_t* p = &file[0x40];
    std::memcpy(p, "PE\0\0", 4);
    PutLE16(p + 4, 0x14C);
    PutLE16(p + 6, 1);
    PutLE16(p + 20, 0xE0);
    PutLE16(p + 22, 0x2102);
    uint8_t* o = p + 24;
    PutLE16(o, 0x10B);
    PutLE32(o + 20, 0x1000);  // base of code
    PutLE32(o + 24, 0x1000);  // base of data
    PutLE32(o + 28, 0x10000000);
    PutLE32(o + 32, 0x1000);  // section alignment
    PutLE32(o + 36, 0x200);   // file alignment
    PutLE16(o + 40, 4);
    PutLE16(o + 48, 4);
    PutLE32(o + 56, 0x1000 + ((raw + 0xFFF) & ~0xFFFu));  // size of image
    PutLE32(o + 60, 0x200);                                // size of headers
    PutLE16(o + 68, 2);
    PutLE32(o + 72, 0x100000);
    PutLE32(o + 76, 0x1000);
    PutLE32(o + 80, 0x100000);
    PutLE32(o + 84, 0x1000);
    PutLE32(o + 92, 16);
    PutLE32(o + 96 + 2 * 8, kRva);  // the resource directory
    PutLE32(o + 96 + 2 * 8 + 4, static_cast<uint32_t>(tree.size()));
    uint8_t* s = o + 0xE0;
    std::memcpy(s, ".rsrc\0\0\0", 8);
    PutLE32(s + 8, static_cast<uint32_t>(tree.size()));
    PutLE32(s + 12, kRva);
    PutLE32(s + 16, raw);
    PutLE32(s + 20, 0x200);
    PutLE32(s + 36, 0x40000040);
    std::copy(tree.begin(), tree.end(), file.begin() + 0x200);
    return file;
}
