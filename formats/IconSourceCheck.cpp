#include "formats/IconSourceCheck.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "base/Bitmap.h"
#include "base/ByteIO.h"
#include "formats/IconFile.h"

namespace {

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr uint16_t kNeGroupIcon = 0x800E, kNeIcon = 0x8003;
constexpr uint32_t kPeGroupIcon = 14, kPeIcon = 3;
constexpr int kMaxIconSide = 1024;
constexpr uint32_t kMaxPeSections = 96;
constexpr int64_t kMaxResourceEntries = 1 << 20;  // every directory entry of a module's tree together
constexpr uint32_t kMaxAniFrames = 10000;
constexpr uint32_t kNamedResource = IconSourceResource::kNamed;

SourceCheck Refuse(SourceFault fault, std::string what) { return SourceCheck{fault, std::move(what)}; }

// One image of an icon or cursor: a PNG stream, or a BITMAPINFOHEADER whose colour table,
// colour rows and (below 32 bits) mask rows all fit in its bytes.
SourceCheck CheckIconImage(TByteSource& src, uint64_t offset, uint64_t bytes) {
    if (!src.Holds(offset, bytes)) return Refuse(SourceFault::Truncated, "an image ends beyond the file");
    uint8_t h[40] = {};
    if (bytes >= 8 && src.Read(offset, h, 8) && std::memcmp(h, kPngSignature, 8) == 0) {
        // The signature, then IHDR: length 13, type, width and height (big-endian).
        uint8_t ihdr[16];
        if (bytes < 8 + 8 + 13 || !src.Read(offset + 8, ihdr, sizeof ihdr))
            return Refuse(SourceFault::Truncated, "a PNG image without its header");
        auto be32 = [](const uint8_t* p) {
            return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
        };
        const uint32_t w = be32(ihdr + 8), hh = be32(ihdr + 12);
        if (be32(ihdr) != 13 || std::memcmp(ihdr + 4, "IHDR", 4) != 0 || w == 0 || hh == 0 || w > kMaxIconSide ||
            hh > kMaxIconSide)
            return Refuse(SourceFault::BadHeader, "a PNG image with a bad header");
        return {};
    }
    if (bytes < 40 || !src.Read(offset, h, 40)) return Refuse(SourceFault::Truncated, "an image without its header");
    const uint32_t headerSize = GetLE32(h);
    const auto width = static_cast<int32_t>(GetLE32(h + 4)), height = static_cast<int32_t>(GetLE32(h + 8));
    const uint16_t planes = GetLE16(h + 12), bits = GetLE16(h + 14);
    const uint32_t compression = GetLE32(h + 16), used = GetLE32(h + 32);
    if (headerSize < 40 || headerSize > 124) return Refuse(SourceFault::BadHeader, "an image header of unknown size");
    if (width <= 0 || width > kMaxIconSide || height <= 1 || height > 2 * kMaxIconSide)
        return Refuse(SourceFault::BadHeader, "an image of impossible size");
    if (planes != 1 || (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32))
        return Refuse(SourceFault::BadHeader, "an image of impossible depth");
    if (compression != 0 && !(compression == 3 && (bits == 16 || bits == 32)))
        return Refuse(SourceFault::BadHeader, "a compressed image");
    uint64_t colours = used;
    if (bits <= 8) {
        if (used > (1u << bits)) return Refuse(SourceFault::BadHeader, "a colour table larger than the depth allows");
        if (used == 0) colours = 1u << bits;
    } else if (used > 256) {
        return Refuse(SourceFault::BadHeader, "a colour table larger than any icon's");
    }
    const uint64_t rows = static_cast<uint64_t>(height / 2);
    auto stride = [](uint64_t w, uint64_t b) { return (w * b + 31) / 32 * 4; };
    uint64_t need = uint64_t{headerSize} + colours * 4 + (compression == 3 && headerSize == 40 ? 12 : 0) +
                    stride(static_cast<uint64_t>(width), bits) * rows;
    if (bits != 32) need += stride(static_cast<uint64_t>(width), 1) * rows;  // 32-bit images may leave the mask out
    if (need > bytes) return Refuse(SourceFault::Truncated, "an image whose rows end beyond its bytes");
    return {};
}

// An icon or cursor directory at base, of length bytes (a whole file, or one frame of an animation).
SourceCheck CheckIconDirectory(TByteSource& src, uint64_t base, uint64_t length) {
    if (!src.Holds(base, length)) return Refuse(SourceFault::Truncated, "the icon ends beyond the file");
    uint8_t h[6];
    if (length < 6 || !src.Read(base, h, 6)) return Refuse(SourceFault::Truncated, "no icon directory");
    const uint16_t type = GetLE16(h + 2), count = GetLE16(h + 4);
    if (GetLE16(h) != 0 || (type != 1 && type != 2)) return Refuse(SourceFault::NotASource, "not an icon directory");
    if (count == 0) return Refuse(SourceFault::NoIcons, "an icon directory without images");
    const uint64_t directoryEnd = 6 + uint64_t{count} * 16;
    if (directoryEnd > length) return Refuse(SourceFault::Truncated, "more directory entries than the file holds");
    const std::vector<uint8_t> entries = src.Bytes(base + 6, static_cast<std::size_t>(directoryEnd - 6));
    if (entries.empty()) return Refuse(SourceFault::Truncated, "the icon directory cannot be read");
    for (uint16_t i = 0; i < count; ++i) {
        const uint8_t* e = entries.data() + 16 * i;
        const uint32_t bytes = GetLE32(e + 8), offset = GetLE32(e + 12);
        if (offset < directoryEnd || offset > length || bytes > length - offset)
            return Refuse(SourceFault::BadOffset, "an image lies outside the file");
        SourceCheck image = CheckIconImage(src, base + offset, bytes);
        if (!image.Ok()) return image;
    }
    return {};
}

// A group icon resource: its count of 14-byte entries fits in its bytes.
SourceCheck CheckGroupIcon(TByteSource& src, uint64_t offset, uint64_t bytes) {
    uint8_t h[6];
    if (bytes < 6 || !src.Holds(offset, bytes) || !src.Read(offset, h, 6))
        return Refuse(SourceFault::Truncated, "a group icon without its header");
    if (GetLE16(h) != 0 || GetLE16(h + 2) != 1) return Refuse(SourceFault::BadHeader, "a group icon of another type");
    if (6 + uint64_t{GetLE16(h + 4)} * 14 > bytes)
        return Refuse(SourceFault::Truncated, "a group icon with more entries than its bytes hold");
    return {};
}

using ModuleResource = IconSourceResource;

// The group icons and icons of a module, in the order of its tables.
struct ModuleResources {
    std::vector<ModuleResource> Groups, Icons;
};

SourceCheck CheckModuleIcons(TByteSource& src, const ModuleResources& found) {
    if (found.Groups.empty()) return Refuse(SourceFault::NoIcons, "a module without icons");
    for (const ModuleResource& g : found.Groups) {
        SourceCheck c = CheckGroupIcon(src, g.Offset, g.Bytes);
        if (!c.Ok()) return c;
    }
    for (const ModuleResource& i : found.Icons) {
        SourceCheck c = CheckIconImage(src, i.Offset, i.Bytes);
        if (!c.Ok()) return c;
    }
    return {};
}

// ---- 16-bit modules

SourceCheck WalkNeModule(TByteSource& src, uint64_t ne, ModuleResources& found) {
    uint8_t h[64];
    if (!src.Read(ne, h, sizeof h)) return Refuse(SourceFault::Truncated, "the NE header ends beyond the file");
    const uint16_t tableOffset = GetLE16(h + 0x24), namesOffset = GetLE16(h + 0x26);
    if (tableOffset == namesOffset) return Refuse(SourceFault::NoIcons, "a module without resources");
    if (tableOffset < sizeof h) return Refuse(SourceFault::BadOffset, "the resource table overlaps the NE header");
    const uint64_t start = ne + tableOffset;
    if (start >= src.Size()) return Refuse(SourceFault::BadOffset, "the resource table lies outside the file");
    // The resident names follow the table; where they do not, the table may reach to the end.
    uint64_t end = namesOffset > tableOffset ? ne + namesOffset : std::min<uint64_t>(src.Size(), start + 0x10000);
    if (end > src.Size()) return Refuse(SourceFault::Truncated, "the resource table ends beyond the file");
    const std::vector<uint8_t> table = src.Bytes(start, static_cast<std::size_t>(end - start));
    if (table.empty()) return Refuse(SourceFault::Truncated, "the resource table cannot be read");
    // A name is a length byte and its characters, at an offset from the table's start.
    auto nameInside = [&](uint16_t offset) {
        return offset < table.size() && uint64_t{offset} + 1 + table[offset] <= table.size();
    };
    ByteReader r(table);
    const uint16_t shift = r.U16();
    if (r.Failed() || shift > 16) return Refuse(SourceFault::BadHeader, "an impossible alignment shift");
    for (;;) {
        const uint16_t type = r.U16();
        if (r.Failed()) return Refuse(SourceFault::Truncated, "the resource table ends before its last type");
        if (type == 0) break;
        const uint16_t count = r.U16();
        r.U32();
        if (r.Failed() || uint64_t{count} * 12 > r.Remaining())
            return Refuse(SourceFault::Truncated, "a resource type with more entries than the table holds");
        if (!(type & 0x8000) && !nameInside(type))
            return Refuse(SourceFault::BadOffset, "a type name outside the table");
        for (uint16_t i = 0; i < count; ++i) {
            const uint64_t offset = uint64_t{r.U16()} << shift;
            const uint64_t length = uint64_t{r.U16()} << shift;
            r.U16();
            const uint16_t id = r.U16();
            r.U32();
            if (!src.Holds(offset, length)) return Refuse(SourceFault::BadOffset, "a resource lies outside the file");
            if (!(id & 0x8000) && !nameInside(id))
                return Refuse(SourceFault::BadOffset, "a resource name outside the table");
            const uint32_t key = (id & 0x8000) ? id & 0x7FFFu : kNamedResource;
            if (type == kNeGroupIcon) found.Groups.push_back({offset, length, key});
            if (type == kNeIcon) found.Icons.push_back({offset, length, key});
        }
    }
    return {};
}

// ---- 32- and 64-bit modules

struct PeSection {
    uint32_t Address, Extent, RawPointer;
};

class TPeResources {
public:
    TPeResources(TByteSource& src, std::vector<PeSection> sections) : FSrc(src), FSections(std::move(sections)) {}

    // The file offset of [rva, rva + n), when it lies inside one section's bytes of the file.
    bool Map(uint32_t rva, uint64_t n, uint64_t& offset) const {
        for (const PeSection& s : FSections) {
            if (rva < s.Address || rva - s.Address >= s.Extent) continue;
            const uint64_t inside = rva - s.Address;
            if (n > s.Extent - inside) return false;
            offset = uint64_t{s.RawPointer} + inside;
            return FSrc.Holds(offset, n);
        }
        return false;
    }

    // Walks the whole tree once; every directory and entry is reached once at most, so the
    // walk is linear in the tree's size.
    SourceCheck Walk(uint32_t rva, uint32_t size, ModuleResources& found) {
        if (size < 16 || !Map(rva, size, FBase))
            return Refuse(SourceFault::BadOffset, "the resource directory lies outside the file's sections");
        FSize = size;
        FFound = &found;
        return Directory(0, 1, 0, 0);
    }

private:
    bool FirstVisit(uint64_t offset) {
        if (FVisited.empty()) FVisited.resize(static_cast<std::size_t>(FSize));
        if (offset >= FVisited.size() || FVisited[static_cast<std::size_t>(offset)]) return false;
        FVisited[static_cast<std::size_t>(offset)] = true;
        return true;
    }

    // The directory at offset (from the tree's start) at level 1 (types), 2 (names) or 3
    // (languages); below level 1 `type` is the type's id, below level 2 `id` the name's.
    SourceCheck Directory(uint64_t offset, int level, uint32_t type, uint32_t id) {
        uint8_t h[16];
        if (offset > FSize || 16 > FSize - offset || !FSrc.Read(FBase + offset, h, 16))
            return Refuse(SourceFault::Truncated, "a resource directory ends beyond the tree");
        if (!FirstVisit(offset)) return Refuse(SourceFault::ExceedsLimit, "a resource directory reached twice");
        const uint64_t count = uint64_t{GetLE16(h + 12)} + GetLE16(h + 14);
        if (count * 8 > FSize - offset - 16)
            return Refuse(SourceFault::Truncated, "a resource directory with more entries than the tree holds");
        if ((FEntries += static_cast<int64_t>(count)) > kMaxResourceEntries)
            return Refuse(SourceFault::ExceedsLimit, "more resource entries than any module has");
        const std::vector<uint8_t> entries = FSrc.Bytes(FBase + offset + 16, static_cast<std::size_t>(count * 8));
        if (entries.size() != count * 8) return Refuse(SourceFault::Truncated, "a resource directory cannot be read");
        for (uint64_t i = 0; i < count; ++i) {
            const uint32_t name = GetLE32(entries.data() + 8 * i), data = GetLE32(entries.data() + 8 * i + 4);
            if (name & 0x80000000u) {
                uint8_t length[2];
                const uint64_t at = name & 0x7FFFFFFFu;
                if (at + 2 > FSize || !FSrc.Read(FBase + at, length, 2) ||
                    at + 2 + 2 * uint64_t{GetLE16(length)} > FSize)
                    return Refuse(SourceFault::BadOffset, "a resource name outside the tree");
            }
            const bool directory = (data & 0x80000000u) != 0;
            const uint64_t target = data & 0x7FFFFFFFu;
            const uint32_t key = (name & 0x80000000u) ? kNamedResource : name;
            if (level < 3) {
                if (!directory) return Refuse(SourceFault::BadHeader, "a resource where a directory belongs");
                SourceCheck c = level == 1 ? Directory(target, 2, key, 0) : Directory(target, 3, type, key);
                if (!c.Ok()) return c;
                continue;
            }
            if (directory) return Refuse(SourceFault::ExceedsLimit, "a resource tree deeper than three levels");
            uint8_t e[16];
            if (target > FSize || 16 > FSize - target || !FSrc.Read(FBase + target, e, 16))
                return Refuse(SourceFault::BadOffset, "a resource entry outside the tree");
            if (!FirstVisit(target)) return Refuse(SourceFault::ExceedsLimit, "a resource entry reached twice");
            uint64_t at = 0;
            const uint32_t bytes = GetLE32(e + 4);
            if (!Map(GetLE32(e), bytes, at)) return Refuse(SourceFault::BadOffset, "a resource lies outside the file");
            // One resource per name: its first language.
            if (i != 0) continue;
            if (type == kPeGroupIcon) FFound->Groups.push_back({at, bytes, id});
            if (type == kPeIcon) FFound->Icons.push_back({at, bytes, id});
        }
        return {};
    }

    TByteSource& FSrc;  // not owned
    std::vector<PeSection> FSections;
    uint64_t FBase = 0;  // file offset of the tree
    uint64_t FSize = 0;  // bytes of the tree
    int64_t FEntries = 0;
    std::vector<bool> FVisited;             // by tree offset: a directory or entry starts there that was reached
    ModuleResources* FFound = nullptr;      // not owned
};

SourceCheck WalkPeModule(TByteSource& src, uint64_t pe, ModuleResources& found) {
    uint8_t coff[24];
    if (!src.Read(pe, coff, sizeof coff)) return Refuse(SourceFault::Truncated, "the PE header ends beyond the file");
    const uint16_t sectionCount = GetLE16(coff + 6), optionalSize = GetLE16(coff + 20);
    if (sectionCount > kMaxPeSections) return Refuse(SourceFault::ExceedsLimit, "more sections than a module may have");
    const std::vector<uint8_t> optional = src.Bytes(pe + 24, optionalSize);
    if (optional.size() < 2) return Refuse(SourceFault::Truncated, "the optional header ends beyond the file");
    const uint16_t magic = GetLE16(optional.data());
    if (magic != 0x10B && magic != 0x20B) return Refuse(SourceFault::BadHeader, "an optional header of unknown kind");
    const std::size_t countAt = magic == 0x10B ? 92 : 108, directories = countAt + 4;
    if (optional.size() < directories) return Refuse(SourceFault::Truncated, "an optional header cut short");
    const uint32_t directoryCount = GetLE32(optional.data() + countAt);
    if (directoryCount <= 2 || optional.size() < directories + 3 * 8)
        return Refuse(SourceFault::NoIcons, "a module without a resource directory");
    const uint32_t rva = GetLE32(optional.data() + directories + 16),
                   size = GetLE32(optional.data() + directories + 20);
    if (rva == 0 || size == 0) return Refuse(SourceFault::NoIcons, "a module without resources");
    const uint32_t headerBytes = GetLE32(optional.data() + 60);
    if (rva < headerBytes) return Refuse(SourceFault::BadOffset, "the resource directory lies inside the headers");

    const std::vector<uint8_t> table = src.Bytes(pe + 24 + optionalSize, std::size_t{sectionCount} * 40);
    if (table.size() != std::size_t{sectionCount} * 40 || sectionCount == 0)
        return Refuse(SourceFault::Truncated, "the section table ends beyond the file");
    std::vector<PeSection> sections;
    std::vector<std::pair<uint64_t, uint64_t>> spans;  // each section's addresses
    for (uint16_t i = 0; i < sectionCount; ++i) {
        const uint8_t* s = table.data() + 40 * i;
        const uint32_t virtualSize = GetLE32(s + 8), address = GetLE32(s + 12), rawSize = GetLE32(s + 16);
        if (address < headerBytes) return Refuse(SourceFault::BadHeader, "a section inside the headers");
        sections.push_back({address, virtualSize ? std::min(virtualSize, rawSize) : rawSize, GetLE32(s + 20)});
        spans.push_back({address, uint64_t{address} + (virtualSize ? virtualSize : rawSize)});
    }
    // A loader maps each section at its address: two that claim the same addresses are no module.
    std::sort(spans.begin(), spans.end());
    for (std::size_t i = 1; i < spans.size(); ++i)
        if (spans[i].first < spans[i - 1].second) return Refuse(SourceFault::BadHeader, "sections that overlap");
    return TPeResources(src, std::move(sections)).Walk(rva, size, found);
}

SourceCheck WalkModule(TByteSource& src, ModuleResources& found) {
    uint8_t h[64];
    if (!src.Read(0, h, sizeof h)) return Refuse(SourceFault::Truncated, "a DOS header cut short");
    const uint32_t next = GetLE32(h + 0x3C);
    uint8_t signature[4];
    if (next < sizeof h || !src.Read(next, signature, 4))
        return Refuse(SourceFault::BadOffset, "the module header lies outside the file");
    if (std::memcmp(signature, "PE\0\0", 4) == 0) return WalkPeModule(src, next, found);
    if (std::memcmp(signature, "NE", 2) == 0) return WalkNeModule(src, next, found);
    return Refuse(SourceFault::NotASource, "a program without a NE or PE header");
}

SourceCheck CheckModule(TByteSource& src) {
    ModuleResources found;
    SourceCheck walk = WalkModule(src, found);
    return walk.Ok() ? CheckModuleIcons(src, found) : walk;
}

// ---- animated cursors

SourceCheck CheckAnimatedCursor(TByteSource& src) {
    uint8_t h[12];
    if (!src.Read(0, h, sizeof h) || std::memcmp(h + 8, "ACON", 4) != 0)
        return Refuse(SourceFault::NotASource, "a RIFF file of another kind");
    const uint64_t end = 8 + uint64_t{GetLE32(h + 4)};
    if (end > src.Size()) return Refuse(SourceFault::Truncated, "the animation ends beyond the file");
    bool header = false;
    uint32_t frames = 0, steps = 0, flags = 0, icons = 0;
    uint64_t sequenceAt = 0, sequenceBytes = 0, ratesBytes = 0;
    bool sequence = false, rates = false;
    // Chunks of [from, to): the top level, then each LIST's.
    struct Span {
        uint64_t From, To;
        bool Frames;
    };
    std::vector<Span> spans{{12, end, false}};
    while (!spans.empty()) {
        const Span span = spans.back();
        spans.pop_back();
        for (uint64_t at = span.From; at < span.To;) {
            uint8_t c[8];
            if (span.To - at < 8 || !src.Read(at, c, 8)) return Refuse(SourceFault::Truncated, "a chunk cut short");
            const uint64_t length = GetLE32(c + 4), body = at + 8;
            if (length > span.To - body) return Refuse(SourceFault::Truncated, "a chunk ends beyond its list");
            if (span.Frames) {
                if (std::memcmp(c, "icon", 4) == 0) {
                    if (!(flags & 1)) return Refuse(SourceFault::BadHeader, "frames that are not icons");
                    SourceCheck f = CheckIconDirectory(src, body, length);
                    if (!f.Ok()) return f;
                    if (++icons > kMaxAniFrames) return Refuse(SourceFault::ExceedsLimit, "too many frames");
                }
            } else if (std::memcmp(c, "anih", 4) == 0) {
                uint8_t a[36];
                if (header || length < 36 || !src.Read(body, a, 36))
                    return Refuse(SourceFault::BadHeader, "a second or short animation header");
                header = true;
                frames = GetLE32(a + 4);
                steps = GetLE32(a + 8);
                flags = GetLE32(a + 32);
                if (frames == 0 || steps == 0 || frames > kMaxAniFrames || steps > kMaxAniFrames)
                    return Refuse(SourceFault::BadHeader, "an impossible number of frames or steps");
            } else if (std::memcmp(c, "LIST", 4) == 0) {
                uint8_t kind[4];
                if (length < 4 || !src.Read(body, kind, 4))
                    return Refuse(SourceFault::Truncated, "a list without its kind");
                if (std::memcmp(kind, "fram", 4) == 0) {
                    if (!header) return Refuse(SourceFault::BadHeader, "frames before the animation header");
                    spans.push_back({body + 4, body + length, true});
                }
            } else if (std::memcmp(c, "seq ", 4) == 0) {
                sequence = true;
                sequenceAt = body;
                sequenceBytes = length;
            } else if (std::memcmp(c, "rate", 4) == 0) {
                rates = true;
                ratesBytes = length;
            }
            at = body + length + (length & 1);
        }
    }
    if (!header) return Refuse(SourceFault::BadHeader, "no animation header");
    if (icons < frames) return Refuse(SourceFault::Truncated, "fewer frames than the header names");
    if ((sequence && sequenceBytes < uint64_t{steps} * 4) || (rates && ratesBytes < uint64_t{steps} * 4))
        return Refuse(SourceFault::Truncated, "a step table shorter than its steps");
    if (sequence) {
        const std::vector<uint8_t> seq = src.Bytes(sequenceAt, std::size_t{steps} * 4);
        if (seq.size() != std::size_t{steps} * 4) return Refuse(SourceFault::Truncated, "the sequence cannot be read");
        for (uint32_t i = 0; i < steps; ++i)
            if (GetLE32(seq.data() + 4 * i) >= frames) return Refuse(SourceFault::BadOffset, "a step names no frame");
    } else if (steps > frames) {
        return Refuse(SourceFault::BadHeader, "more steps than frames without a sequence");
    }
    return {};
}

bool StartsWith(TByteSource& src, const char* text, std::size_t n) {
    uint8_t b[4];
    return n <= sizeof b && src.Read(0, b, n) && std::memcmp(b, text, n) == 0;
}

} // namespace

SourceCheck CheckIconSource(TByteSource& source) {
    if (StartsWith(source, "MZ", 2)) return CheckModule(source);
    if (StartsWith(source, "\0\0", 2)) return CheckIconDirectory(source, 0, source.Size());
    return Refuse(SourceFault::NotASource, "neither an icon file nor a module");
}

SourceCheck CheckCursorFile(TByteSource& source) {
    if (StartsWith(source, "RIFF", 4)) return CheckAnimatedCursor(source);
    if (StartsWith(source, "\0\0", 2)) return CheckIconDirectory(source, 0, source.Size());
    return Refuse(SourceFault::NotASource, "neither a cursor nor an animation");
}

SourceCheck CheckIconSourceFile(const std::string& path) {
    return CheckFileSource(path, [](TByteSource& s) { return CheckIconSource(s); });
}

// ---- the reader

SourceCheck TIconSource::Load(std::vector<uint8_t> bytes) {
    FBytes = std::move(bytes);
    FGroups.clear();
    FIcons.clear();
    FIconFile = false;
    TMemoryByteSource src(FBytes);
    if (StartsWith(src, "MZ", 2)) {
        ModuleResources found;
        SourceCheck walk = WalkModule(src, found);
        if (!walk.Ok()) return walk;
        if (found.Groups.empty()) return Refuse(SourceFault::NoIcons, "a module without icons");
        // Each icon is chosen from all its group's entries: the groups together may name no
        // more entries than a tree may hold, however many of them share one group's bytes.
        int64_t entries = 0;
        for (const IconSourceResource& g : found.Groups) {
            uint8_t gh[6];
            if (g.Bytes >= 6 && src.Read(g.Offset, gh, 6)) entries += GetLE16(gh + 4);
            if (entries > kMaxResourceEntries)
                return Refuse(SourceFault::ExceedsLimit, "group icons that name more entries than a module holds");
        }
        FGroups = std::move(found.Groups);
        FIcons = std::move(found.Icons);
        std::stable_sort(FIcons.begin(), FIcons.end(),
                         [](const IconSourceResource& a, const IconSourceResource& b) { return a.Id < b.Id; });
        return {};
    }
    uint8_t h[6];
    if (!src.Read(0, h, 6) || GetLE16(h) != 0 || (GetLE16(h + 2) != 1 && GetLE16(h + 2) != 2))
        return Refuse(SourceFault::NotASource, "neither an icon file nor a module");
    if (GetLE16(h + 4) == 0) return Refuse(SourceFault::NoIcons, "an icon directory without images");
    if (6 + uint64_t{GetLE16(h + 4)} * 16 > FBytes.size())
        return Refuse(SourceFault::Truncated, "more directory entries than the file holds");
    FIconFile = true;
    FGroups.push_back({0, FBytes.size(), 0});
    return {};
}

SourceCheck TIconSource::LoadFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    try {
        if (!ReadWholeFile(path, bytes, kMaxFileBytes))
            return Refuse(SourceFault::NotASource, "the file cannot be read");
    } catch (const std::bad_alloc&) {
        return Refuse(SourceFault::ExceedsLimit, "the file is larger than the memory at hand");
    }
    return Load(std::move(bytes));
}

bool TIconSource::Choose(int index, int width, int height, int depth, IconChoice& out) const {
    if (index < 0 || index >= Count()) return false;
    const IconSourceResource& group = FGroups[static_cast<std::size_t>(index)];
    TMemoryByteSource src(FBytes);
    uint8_t h[6];
    if (group.Bytes < 6 || !src.Holds(group.Offset, group.Bytes) || !src.Read(group.Offset, h, 6)) return false;
    const uint16_t type = GetLE16(h + 2), count = GetLE16(h + 4);
    const uint64_t entryBytes = FIconFile ? 16 : 14, directoryEnd = 6 + uint64_t{count} * entryBytes;
    if (GetLE16(h) != 0 || (type != 1 && !(FIconFile && type == 2)) || directoryEnd > group.Bytes) return false;
    const std::vector<uint8_t> entries = src.Bytes(group.Offset + 6, static_cast<std::size_t>(directoryEnd - 6));
    // The images of the directory that lie inside the file, with their size and depth.
    std::vector<IconChoice> images;
    for (uint16_t i = 0; i < count; ++i) {
        const uint8_t* e = entries.data() + entryBytes * i;
        IconChoice c;
        c.Width = e[0] ? e[0] : 256;
        c.Height = e[1] ? e[1] : 256;
        // A cursor's entry holds its hotspot where an icon's holds planes and depth.
        c.Bits = type == 1 ? GetLE16(e + 6) : 0;
        if (FIconFile) {
            c.Offset = GetLE32(e + 12);
            c.Bytes = GetLE32(e + 8);
            if (c.Offset < directoryEnd || c.Bytes == 0 || !src.Holds(c.Offset, c.Bytes)) continue;
        } else {
            const uint32_t id = GetLE16(e + 12);
            auto icon = std::lower_bound(FIcons.begin(), FIcons.end(), id,
                                         [](const IconSourceResource& r, uint32_t v) { return r.Id < v; });
            if (icon == FIcons.end() || icon->Id != id || icon->Bytes == 0) continue;
            c.Offset = icon->Offset;
            c.Bytes = icon->Bytes;
        }
        if (c.Bits == 0) {
            // Named nowhere in the directory: the image's own header tells.
            uint8_t b[16];
            if (c.Bytes >= 8 && src.Read(c.Offset, b, 8) && std::memcmp(b, kPngSignature, 8) == 0)
                c.Bits = 32;
            else if (c.Bytes >= 16 && src.Read(c.Offset, b, 16))
                c.Bits = GetLE16(b + 14);
        }
        images.push_back(c);
    }
    const int chosen = NearestIconImage(images, width, height, depth);
    if (chosen < 0) return false;
    out = images[static_cast<std::size_t>(chosen)];
    return true;
}

int NearestIconImage(const std::vector<IconChoice>& images, int width, int height, int depth) {
    auto diff = [](int a, int b) { return a > b ? a - b : b - a; };
    int dx = 0, dy = 0, best = -1;
    for (const IconChoice& c : images) {
        const int x = diff(c.Width, width), y = diff(c.Height, height);
        if (best < 0 || x + y < best) dx = x, dy = y, best = x + y;
    }
    int colours = -1, chosen = -1;
    for (std::size_t i = 0; i < images.size(); ++i) {
        const IconChoice& c = images[i];
        if (diff(c.Width, width) != dx || diff(c.Height, height) != dy) continue;
        const int d = diff(c.Bits, depth);
        if (colours < 0 || d < colours) colours = d, chosen = static_cast<int>(i);
    }
    return chosen;
}

namespace {
bool InFile(const IconChoice& choice, std::size_t size) {
    return choice.Bytes != 0 && choice.Offset <= size && choice.Bytes <= size - choice.Offset;
}
} // namespace

bool TIconSource::Decode(const IconChoice& choice, TBitmap& colour, TBitmap& mask) const {
    if (!InFile(choice, FBytes.size())) return false;
    return DecodeIconResource(FBytes.data() + choice.Offset, static_cast<std::size_t>(choice.Bytes), colour, mask, true);
}

uint64_t TIconSource::DecodeCost(const IconChoice& choice) const {
    if (!InFile(choice, FBytes.size())) return 1;
    return IconResourceCost(FBytes.data() + choice.Offset, static_cast<std::size_t>(choice.Bytes));
}
