// The .ani reader: walks the RIFF chunks by their sizes, reads every icon directory by
// its count and offsets, checks each size and table against the data, and only then
// turns the icons into image-list entries.
#include <algorithm>
#include <cstring>

#include "base/ByteIO.h"
#include "base/Format.h"
#include "base/Palette.h"
#include "base/Stream.h"
#include "base/Text.h"
#include "formats/AniFile.h"
#include "formats/PictureImport.h"

namespace {

struct Chunk {
    char Id[4] = {};
    uint64_t Data = 0;  // offset of the chunk's data
    uint64_t Size = 0;
    uint64_t End() const { return Data + Size; }
    bool Is(const char* id) const { return std::memcmp(Id, id, 4) == 0; }
};

// A window [pos, end) of the file in which chunks follow each other, each padded to even.
class ChunkWalker {
public:
    ChunkWalker(const uint8_t* data, uint64_t pos, uint64_t end) : FData(data), FPos(pos), FEnd(end) {}

    bool AtEnd() const { return FPos >= FEnd; }
    // The next chunk; false when its header or data would pass the end of the window.
    bool Next(Chunk& c) {
        if (FEnd - FPos < 8) return false;
        std::memcpy(c.Id, FData + FPos, 4);
        c.Size = GetLE32(FData + FPos + 4);
        c.Data = FPos + 8;
        if (c.Size > FEnd - c.Data) return false;
        FPos = std::min(c.End() + (c.Size & 1), FEnd);  // a missing pad byte at the very end is tolerated
        return true;
    }

private:
    const uint8_t* FData;  // not owned
    uint64_t FPos, FEnd;
};

bool IdAt(const uint8_t* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

// An INFO text: bytes up to the first zero, at most 256 of them, never cutting a character.
std::string InfoText(const uint8_t* p, uint64_t size) {
    std::size_t n = 0;
    while (n < size && p[n] != 0) ++n;
    return SjisToUtf8(TruncateSjis(std::string(reinterpret_cast<const char*>(p), n), kMaxInfoText));
}

bool ReadInfoList(const uint8_t* data, const Chunk& list, AniReadResult& out) {
    if (list.Size < 4 || !IdAt(data + list.Data, "INFO")) return false;
    ChunkWalker w(data, list.Data + 4, list.End());
    Chunk c;
    while (!w.AtEnd()) {
        if (!w.Next(c)) return false;
        if (c.Is("INAM") && !out.HasTitle && !out.HasAuthor) {
            out.HasTitle = true;
            out.Title = InfoText(data + c.Data, c.Size);
        } else if (c.Is("IART") && !out.HasAuthor) {
            out.HasAuthor = true;
            out.Author = InfoText(data + c.Data, c.Size);
        } else {
            return false;  // only a title and then an author are taken
        }
    }
    out.HasInfo = true;
    return true;
}

// A 32-bit table of exactly `steps` values; keeps at most the frame tables' capacity.
bool ReadTable(const uint8_t* data, const Chunk& c, uint32_t steps, std::vector<uint32_t>& out) {
    if (c.Size != 4ull * steps) return false;
    uint32_t keep = std::min<uint32_t>(steps, kMaxFrames);
    out.resize(keep);
    for (uint32_t i = 0; i < keep; ++i) out[i] = GetLE32(data + c.Data + 4ull * i);
    return true;
}

bool IsMonoRecordHeader(const uint8_t* p) {
    return GetLE32(p) == 40 && GetLE32(p + 4) == 32 && GetLE32(p + 8) == 64 && GetLE16(p + 14) == 1;
}

// One "icon" chunk: an icon resource whose first entry is the image and whose second
// entry, when it is a two-colour 32x32 record, is the monochrome cursor. False when the
// chunk is broken or holds an image that is not supported.
bool ReadIcon(const uint8_t* chunk, uint64_t size, CAniIcon& icon, AniReadResult& out) {
    if (size < 6) return false;
    ByteReader r(chunk, static_cast<std::size_t>(size));
    r.U16();  // reserved
    r.U16();  // type: icons and cursors alike
    uint16_t count = r.U16();
    if (count == 0 || 6ull + 16ull * count > size) return false;
    r.Bytes(icon.Entry.data(), 16);
    uint64_t offset = GetLE32(icon.Entry.data() + 12);
    if (offset > size || size - offset < 40) return false;
    const uint8_t* h = chunk + offset;
    uint32_t headerSize = GetLE32(h);
    if (headerSize < 40 || headerSize > size - offset) return false;
    std::memcpy(icon.Header.data(), h, 40);
    int32_t width = static_cast<int32_t>(GetLE32(h + 4)), height = static_cast<int32_t>(GetLE32(h + 8));
    uint16_t bits = GetLE16(h + 14);
    uint32_t compression = GetLE32(h + 16), used = GetLE32(h + 32);
    if (bits == 24) {
        out.Note = AniReadNote::Colour24;
        return false;
    }
    if (bits != 1 && bits != 4 && bits != 8) return false;
    if (width != 32) {
        out.Note = AniReadNote::BadSize;
        out.NoteValue = width;
        return false;
    }
    if (height != 64 || compression != 0) return false;
    uint64_t colours = 1ull << bits;
    if (used != 0 && used < colours) colours = used;
    uint64_t paletteBytes = 4 * colours;
    uint64_t bitBytes = 32ull * (32 * bits / 8) + kMaskBytes;
    uint64_t pos = offset + headerSize;
    if (paletteBytes + bitBytes > size - pos) return false;
    std::memcpy(icon.Palette.data(), chunk + pos, static_cast<std::size_t>(paletteBytes));
    std::memcpy(icon.Bits.data(), chunk + pos + paletteBytes, static_cast<std::size_t>(bitBytes));

    if (count >= 2) {
        uint8_t entry[16];
        r.Bytes(entry, 16);
        uint64_t monoOffset = GetLE32(entry + 12);
        if (monoOffset <= size && size - monoOffset >= kMonoRecordBytes && IsMonoRecordHeader(chunk + monoOffset)) {
            out.HasMonoCursor = true;
            std::memcpy(out.MonoCursor.Bytes, chunk + monoOffset, kMonoRecordBytes);
            std::memcpy(out.MonoEntry.data(), entry, 16);
            out.MonoX = std::min<int>(GetLE16(entry + 4), 31);
            out.MonoY = std::min<int>(GetLE16(entry + 6), 31);
        }
    }
    return true;
}

AniReadResult Refused(AniReadResult& r) {
    AniReadResult refused;
    refused.Code = AniReadCode::NotSupported;
    refused.Note = r.Note;
    refused.NoteValue = r.NoteValue;
    return refused;
}

AniReadResult Parse(const uint8_t* data, uint64_t size, const AniReadOptions& options) {
    AniReadResult out;
    if (size < 12 || !IdAt(data, "RIFF") || !IdAt(data + 8, "ACON")) return Refused(out);
    ChunkWalker walker(data, 12, size);
    Chunk c;
    if (!walker.Next(c)) return Refused(out);
    if (c.Is("LIST")) {
        if (!ReadInfoList(data, c, out) || !walker.Next(c)) return Refused(out);
    }
    if (!c.Is("anih") || c.Size != 36 || GetLE32(data + c.Data) != 36) return Refused(out);
    const uint32_t frameCount = GetLE32(data + c.Data + 4);
    const uint32_t stepCount = GetLE32(data + c.Data + 8);
    out.DefaultRate = std::clamp<int>(GetLE32(data + c.Data + 28) & 0xFFFF, kMinRate, kMaxRate);
    if (frameCount == 0) return Refused(out);

    std::vector<uint32_t> rates, seq;
    bool hasRate = false, hasSeq = false;
    for (;;) {
        if (!walker.Next(c)) return Refused(out);
        if (c.Is("rate")) {
            if (!ReadTable(data, c, stepCount, rates)) return Refused(out);
            hasRate = true;
        } else if (c.Is("seq ")) {
            if (!ReadTable(data, c, stepCount, seq)) return Refused(out);
            hasSeq = true;
        } else if (c.Is("LIST")) {
            if (c.Size < 4 || !IdAt(data + c.Data, "fram")) return Refused(out);
            break;
        } else {
            return Refused(out);
        }
    }

    // The icons, as many as fit into the document.
    const int room = std::max(0, kMaxImages - std::max(0, options.ExistingImages));
    const uint32_t toRead = std::min<uint32_t>(frameCount, static_cast<uint32_t>(room));
    ChunkWalker icons(data, c.Data + 4, c.End());
    out.Icons.reserve(toRead);
    for (uint32_t i = 0; i < toRead; ++i) {
        Chunk ic;
        bool found = icons.Next(ic);
        while (found && options.SkipOtherFrameChunks && !ic.Is("icon")) found = icons.Next(ic);
        if (!found || !ic.Is("icon")) return Refused(out);
        CAniIcon icon;
        if (!ReadIcon(data + ic.Data, ic.Size, icon, out)) return Refused(out);
        out.Icons.push_back(icon);
    }
    const uint32_t read = static_cast<uint32_t>(out.Icons.size());
    if (read == 0) {  // the document is full: nothing to add
        AniReadResult empty;
        empty.Code = AniReadCode::Read;
        return empty;
    }

    // Frames: every step is checked against the file's images and kept when its image was read.
    const int first = std::max(0, options.ExistingImages);
    if (hasRate || hasSeq) {
        const uint32_t steps = static_cast<uint32_t>(hasRate ? rates.size() : seq.size());
        for (uint32_t i = 0; i < steps; ++i) {
            uint32_t image = hasSeq ? seq[i] : i;
            if (image >= frameCount) return Refused(out);
            if (image >= read) continue;
            int rate = hasRate ? static_cast<int>(std::min<uint32_t>(rates[i], kMaxRate)) : out.DefaultRate;
            out.Frames.push_back({first + static_cast<int>(image), std::max(rate, kMinRate)});
        }
        if (out.Frames.empty()) return Refused(out);
        out.PerFrame = true;
    } else {
        for (uint32_t i = 0; i < read && i < static_cast<uint32_t>(kMaxFrames); ++i)
            out.Frames.push_back({first + static_cast<int>(i), out.DefaultRate});
    }

    const CAniIcon& last = out.Icons.back();
    out.UniHotX = last.HotX();
    out.UniHotY = last.HotY();
    out.UniteHotspot = std::all_of(out.Icons.begin(), out.Icons.end(), [&](const CAniIcon& ic) {
        return ic.HotX() == out.UniHotX && ic.HotY() == out.UniHotY;
    });
    out.Code = AniReadCode::Read;
    return out;
}

bool IsBlack(const TRGBQuad& q) { return q.Red == 0 && q.Green == 0 && q.Blue == 0; }

// A masked pixel whose Out colour is black shows the screen.
bool HasTransparentPixel(const PixelBlock& out, const ImagePalette& palette) {
    for (int y = 0; y < kImageSize; ++y)
        for (int x = 0; x < kImageSize; ++x)
            if (out.MaskBit(x, y) && IsBlack(palette[out.At(x, y)])) return true;
    return false;
}

} // namespace

int CAniIcon::HotX() const { return std::min<int>(GetLE16(Entry.data() + 4), 31); }
int CAniIcon::HotY() const { return std::min<int>(GetLE16(Entry.data() + 6), 31); }

AniReadResult ParseAniFile(const uint8_t* data, std::size_t size, const AniReadOptions& options) {
    if (!data || size > options.MaxFileBytes) {
        AniReadResult r;
        r.Code = AniReadCode::NotSupported;
        return r;
    }
    return Parse(data, size, options);
}

std::string AniReadNoteText(const AniReadResult& result) {
    switch (result.Note) {
    case AniReadNote::Colour24: return "データが不正!カラー(24bit)";
    case AniReadNote::BadSize: return "データが不正!サイズ(x" + std::to_string(result.NoteValue) + ")";
    case AniReadNote::None: break;
    }
    return {};
}

AniReadResult ReadAniFile(const std::string& path, const AniReadOptions& options) {
    AniReadResult r;
    std::FILE* f = OpenFileUtf8(path, "rb");
    if (!f) {
        r.Code = AniReadCode::CannotOpen;
        return r;
    }
    std::fclose(f);
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, static_cast<int64_t>(options.MaxFileBytes))) {
        r.Code = AniReadCode::NotSupported;
        return r;
    }
    return ParseAniFile(bytes.data(), bytes.size(), options);
}

void MakeAniImages(AniReadResult& result, TColor background, const std::string& title) {
    result.Images.clear();
    result.Images.reserve(result.Icons.size());
    for (std::size_t j = 0; j < result.Icons.size(); ++j) {
        const CAniIcon& icon = result.Icons[j];
        ImportedImage c;
        std::memcpy(c.OutPalette.data(), icon.Palette.data(), sizeof c.OutPalette);
        std::memcpy(c.OutPixels.Bytes, icon.Bits.data(), sizeof c.OutPixels.Bytes);
        if (icon.BitCount() == 1) {
            Expand1BitImage(c);
        } else {
            if (icon.BitCount() == 4) Expand4BitImage(c);
            RemapImageColours(c, background);
        }
        CCURSOR& e = result.Images.emplace_back();
        e.OutPalette = c.OutPalette;
        e.OutPixels = c.OutPixels;
        e.Palette = c.Cur.Palette;
        e.Pixels = c.Cur.Pixels;
        e.Inverse = c.Cur.Inverse;
        e.Transparent = HasTransparentPixel(c.OutPixels, c.OutPalette) ? 1 : 0;
        e.TransX = c.TransX;
        e.TransY = c.TransY;
        e.TransColor = QuadToColor(c.Cur.Palette[c.Cur.Pixels.At(c.TransX, c.TransY)]);
        e.HotX = static_cast<uint8_t>(icon.HotX());
        e.HotY = static_cast<uint8_t>(icon.HotY());
        e.ImageName = Format("%s_%02d", title.c_str(), static_cast<int>(j));
    }
}

std::string AniImageTitle(const std::string& path, const std::string& currentDocName, bool& isReductionTemp) {
    std::string name = ExtractFileName(path);
    std::string fileTitle = name.substr(0, name.size() - ExtractFileExt(name).size());
    isReductionTemp = fileTitle.find("＃＄減色＄＃") != std::string::npos;
    return isReductionTemp ? currentDocName : fileTitle;
}
