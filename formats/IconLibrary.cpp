#include "IconLibrary.h"

#include "base/ByteIO.h"
#include "base/Text.h"
#include "formats/ImageWriters.h"

namespace {

constexpr uint32_t kMzBytes = 128;  // the MZ header; the NE header follows
constexpr uint32_t kNeBytes = 64;
constexpr uint32_t kGroupResourceBytes = 20;
constexpr uint32_t kMaxNameBytes = 255;
constexpr uint16_t kTypeGroupIcon = 0x800E;
constexpr uint16_t kTypeIcon = 0x8003;
constexpr uint16_t kTypeVersion = 0x8010;
constexpr uint16_t kResourceFlags = 0x1C30;  // moveable, pure, preloaded, discardable
constexpr uint16_t kFirstId = 0x8001;

std::vector<std::string> NameBytes(const IconLibraryInput& in) {
    std::vector<std::string> names;
    for (const std::string& n : in.Names) names.push_back(TruncateSjis(Utf8ToSjis(n), kMaxNameBytes));
    return names;
}

bool Writable(const IconLibraryInput& in) {
    if (in.Images.empty() || in.Images.size() > static_cast<std::size_t>(kMaxImages)) return false;
    if (in.Names.size() != in.Images.size()) return false;
    for (const CCURSOR* c : in.Images)
        if (!c) return false;
    return !in.InsertVersion || !in.Version.empty();
}

} // namespace

IconLibraryLayout ComputeIconLibraryLayout(const IconLibraryInput& in) {
    const uint32_t n = static_cast<uint32_t>(in.Images.size());
    const uint32_t c = AniImageBytes(in.SaveMode);
    const uint32_t g = in.InsertVersion ? static_cast<uint32_t>(in.Version.size()) : 0;
    IconLibraryLayout l;
    l.TableBytes = 84 + 24 * n + (in.InsertVersion ? 20 : 0);
    l.NameBytes = 4;
    for (const std::string& name : NameBytes(in)) l.NameBytes += static_cast<uint32_t>(name.size()) + 1;

    auto shiftFor = [](uint64_t size) {
        uint32_t s = 1;
        while (size >= (uint64_t{1} << s) * 65535) ++s;
        return s;
    };
    auto sizeWith = [&](const IconLibraryLayout& x) {
        return uint64_t{kMzBytes} + x.Align(x.TableBytes) + x.Align(x.NameBytes) +
               uint64_t{n} * (x.Align(kGroupResourceBytes) + x.Align(c)) + x.Align(g);
    };
    l.Shift = shiftFor(uint64_t{kMzBytes} + l.TableBytes + l.NameBytes + uint64_t{n} * (c + kGroupResourceBytes) + g);
    for (;;) {
        const uint32_t next = shiftFor(sizeWith(l));
        if (next == l.Shift) break;
        l.Shift = next;
    }
    l.GroupBytes = l.Align(kGroupResourceBytes);
    l.IconBytes = l.Align(c);
    l.VersionBytes = l.Align(g);
    l.FileBytes = static_cast<uint32_t>(sizeWith(l));
    return l;
}

std::vector<CDLLDATA> IconLibraryTable(const IconLibraryInput& in, const IconLibraryLayout& l) {
    const uint32_t n = static_cast<uint32_t>(in.Images.size());
    const uint32_t s = l.Shift;
    const uint32_t groups = kMzBytes + l.Align(l.TableBytes) + l.Align(l.NameBytes);
    const uint32_t icons = groups + n * l.GroupBytes;
    std::vector<CDLLDATA> t;
    auto entry = [&](uint32_t a, uint32_t b, uint16_t flags, uint16_t id) {
        t.push_back(CDLLDATA{static_cast<uint16_t>(a), static_cast<uint16_t>(b), flags, id});
    };
    entry(kTypeGroupIcon, n, 0, 0);
    for (uint32_t j = 0; j < n; ++j)
        entry((groups + j * l.GroupBytes) >> s, l.GroupBytes >> s, kResourceFlags, static_cast<uint16_t>(kFirstId + j));
    entry(kTypeIcon, n, 0, 0);
    for (uint32_t k = 0; k < n; ++k)
        entry((icons + k * l.IconBytes) >> s, l.IconBytes >> s, kResourceFlags, static_cast<uint16_t>(kFirstId + k));
    if (in.InsertVersion) {
        entry(kTypeVersion, 1, 0, 0);
        entry((icons + n * l.IconBytes) >> s, l.VersionBytes >> s, kResourceFlags, kFirstId);
    }
    return t;
}

std::vector<uint8_t> BuildIconLibrary(const IconLibraryInput& in) {
    if (!Writable(in)) return {};
    const IconLibraryLayout l = ComputeIconLibraryLayout(in);
    const uint32_t n = static_cast<uint32_t>(in.Images.size());
    auto padTo = [](ByteWriter& w, std::size_t size) { w.Data.resize(size, 0); };

    ByteWriter w;
    w.Text("MZ");
    padTo(w, 60);
    w.U32(kMzBytes);
    padTo(w, 126);
    w.Text("QV");
    // NE header: resource table right behind it, resident names after the table,
    // target system Windows, expected Windows version 3.0.
    const std::size_t ne = w.Data.size();
    w.Text("NE");
    padTo(w, ne + 36);
    w.U16(kNeBytes);
    w.U16(l.Align(l.TableBytes));
    padTo(w, ne + 54);
    w.U8(2);
    padTo(w, ne + 62);
    w.U16(0x0300);

    w.U16(l.Shift);
    for (const CDLLDATA& e : IconLibraryTable(in, l)) {
        // A type entry is the eight bytes (its last four reserved, zero); a resource
        // entry has four more reserved bytes.
        w.U16(e.Offset);
        w.U16(e.Length);
        w.U16(e.Flags);
        w.U16(e.Id);
        if (e.Flags != 0) w.U32(0);
    }
    w.U16(0);  // end of the types
    padTo(w, kMzBytes + l.Align(l.TableBytes));

    const std::size_t names = w.Data.size();
    w.U8(3);
    w.Text("ICL");
    for (const std::string& name : NameBytes(in)) {
        w.U8(static_cast<uint32_t>(name.size()));
        w.Text(name);
    }
    padTo(w, names + l.Align(l.NameBytes));

    const uint32_t bitCount = in.SaveMode == AniSaveMode::Colours16 ? 4 : in.SaveMode == AniSaveMode::Colours2 ? 1 : 8;
    for (uint32_t j = 0; j < n; ++j) {
        const std::size_t at = w.Data.size();
        w.U16(0);
        w.U16(1);
        w.U16(1);
        w.U8(32);
        w.U8(32);
        w.U8(in.SaveMode == AniSaveMode::Colours16 ? 16 : 0);
        w.U8(0);
        w.U16(1);
        w.U16(bitCount);
        w.U32(AniImageBytes(in.SaveMode));
        w.U16(j + 1);
        padTo(w, at + l.GroupBytes);
    }
    for (const CCURSOR* image : in.Images) {
        const std::size_t at = w.Data.size();
        const std::vector<uint8_t> icon = AniIconImage(*image, in.SaveMode);
        w.Bytes(icon.data(), icon.size());
        padTo(w, at + l.IconBytes);
    }
    if (in.InsertVersion) {
        const std::size_t at = w.Data.size();
        w.Bytes(in.Version.data(), in.Version.size());
        padTo(w, at + l.VersionBytes);  // the table counts whole units
    }
    return std::move(w.Data);
}

WriteResult WriteIconLibrary(const std::string& path, const IconLibraryInput& in) {
    const std::vector<uint8_t> bytes = BuildIconLibrary(in);
    if (bytes.empty()) return WriteResult::NotWritten;
    return WrittenIf(WriteFileBytes(path, bytes));
}
