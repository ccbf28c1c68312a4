#include "formats/ShellLinkCheck.h"

#include <cstring>

#include "base/ByteIO.h"

namespace {

constexpr uint32_t kHeaderSize = 0x4C;
constexpr uint8_t kLinkClassId[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                      0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
enum : uint32_t {
    kHasIdList = 0x1,
    kHasLinkInfo = 0x2,
    kHasName = 0x4,
    kHasRelativePath = 0x8,
    kHasWorkingDir = 0x10,
    kHasArguments = 0x20,
    kHasIconLocation = 0x40,
    kIsUnicode = 0x80,
};
constexpr uint32_t kMaxLinkInfo = 1 << 20;

SourceCheck Refuse(SourceFault fault, std::string what) { return SourceCheck{fault, std::move(what)}; }

// The item ids: sized items up to a zero size, all inside the list's bytes.
bool IdListInside(const std::vector<uint8_t>& list) {
    std::size_t at = 0;
    for (;;) {
        if (list.size() - at < 2) return false;
        const uint16_t size = GetLE16(list.data() + at);
        if (size == 0) return true;
        if (size < 2 || size > list.size() - at) return false;
        at += size;
    }
}

// The link info: every offset its flags use lies inside it, and each ANSI string there ends inside it.
bool LinkInfoInside(const std::vector<uint8_t>& info) {
    if (info.size() < 0x1C) return false;
    const uint32_t headerSize = GetLE32(info.data() + 4), flags = GetLE32(info.data() + 8);
    if (headerSize < 0x1C || headerSize > info.size()) return false;
    auto ends = [&](uint32_t offset) {
        return offset < info.size() && std::memchr(info.data() + offset, 0, info.size() - offset) != nullptr;
    };
    const uint32_t volume = GetLE32(info.data() + 12), basePath = GetLE32(info.data() + 16),
                   network = GetLE32(info.data() + 20), suffix = GetLE32(info.data() + 24);
    if (flags & 1) {
        if (volume > info.size() || info.size() - volume < 16) return false;
        const uint32_t volumeSize = GetLE32(info.data() + volume);
        if (volumeSize < 16 || volumeSize > info.size() - volume || !ends(basePath)) return false;
    }
    if ((flags & 2) && (network > info.size() || info.size() - network < 20)) return false;
    if (!ends(suffix)) return false;
    if (headerSize >= 0x24) {
        for (uint32_t at : {GetLE32(info.data() + 28), GetLE32(info.data() + 32)}) {
            if (at == 0) continue;
            if (at >= info.size()) return false;
            bool terminated = false;
            for (std::size_t i = at; i + 1 < info.size() && !terminated; i += 2)
                terminated = GetLE16(info.data() + i) == 0;
            if (!terminated) return false;
        }
    }
    return true;
}

} // namespace

SourceCheck CheckShellLink(TByteSource& src) {
    uint8_t h[kHeaderSize];
    if (!src.Read(0, h, sizeof h) || GetLE32(h) != kHeaderSize || std::memcmp(h + 4, kLinkClassId, 16) != 0)
        return Refuse(SourceFault::NotASource, "not a shell link");
    const uint32_t flags = GetLE32(h + 20);
    uint64_t at = kHeaderSize;
    uint8_t size[4];
    if (flags & kHasIdList) {
        if (!src.Read(at, size, 2)) return Refuse(SourceFault::Truncated, "the item-id list ends beyond the file");
        const uint16_t bytes = GetLE16(size);
        at += 2;
        if (!src.Holds(at, bytes) || !IdListInside(src.Bytes(at, bytes)))
            return Refuse(SourceFault::Truncated, "an item id ends beyond its list");
        at += bytes;
    }
    if (flags & kHasLinkInfo) {
        if (!src.Read(at, size, 4)) return Refuse(SourceFault::Truncated, "the link info ends beyond the file");
        const uint32_t bytes = GetLE32(size);
        if (bytes > kMaxLinkInfo) return Refuse(SourceFault::ExceedsLimit, "a link info larger than any link's");
        if (!src.Holds(at, bytes) || !LinkInfoInside(src.Bytes(at, bytes)))
            return Refuse(SourceFault::BadOffset, "the link info points outside itself");
        at += bytes;
    }
    const uint64_t charBytes = (flags & kIsUnicode) ? 2 : 1;
    for (uint32_t flag : {kHasName, kHasRelativePath, kHasWorkingDir, kHasArguments, kHasIconLocation}) {
        if (!(flags & flag)) continue;
        if (!src.Read(at, size, 2)) return Refuse(SourceFault::Truncated, "a string ends beyond the file");
        at += 2 + GetLE16(size) * charBytes;
        if (at > src.Size()) return Refuse(SourceFault::Truncated, "a string ends beyond the file");
    }
    // Extra data: sized blocks up to one smaller than four bytes (or the file's end).
    while (src.Size() - at >= 4) {
        src.Read(at, size, 4);
        const uint32_t bytes = GetLE32(size);
        if (bytes < 4) break;
        if (bytes > src.Size() - at) return Refuse(SourceFault::Truncated, "an extra-data block ends beyond the file");
        at += bytes;
    }
    return {};
}

SourceCheck CheckShellLinkFile(const std::string& path) {
    return CheckFileSource(path, [](TByteSource& s) { return CheckShellLink(s); });
}
