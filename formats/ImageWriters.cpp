#include "ImageWriters.h"

#include <cstring>

#include "base/ByteIO.h"
#include "base/Format.h"
#include "base/Stream.h"
#include "formats/IconFile.h"

namespace {

// Palette and bits of one image in a save mode. withMask: icon layout (colour bits and
// mask), else the colour bits only.
struct ModeData {
    std::vector<uint8_t> Palette;
    std::vector<uint8_t> Bits;
};

ModeData MakeModeData(const PixelBlock& pixels, const ImagePalette& palette, const CCURSOR& image, AniSaveMode mode) {
    ModeData d;
    switch (mode) {
    case AniSaveMode::Colours16: {
        uint8_t pal[64], bits[640];
        Build16ColourData(pal, bits, pixels, palette);
        d.Palette.assign(pal, pal + 64);
        d.Bits.assign(bits, bits + 640);
        return d;
    }
    case AniSaveMode::Colours2: {
        uint8_t pal[8], bits[256];
        Build2ColourData(pal, bits, image);
        d.Palette.assign(pal, pal + 8);
        d.Bits.assign(bits, bits + 256);
        return d;
    }
    case AniSaveMode::Colours256: break;
    }
    const auto* p = reinterpret_cast<const uint8_t*>(palette.data());
    d.Palette.assign(p, p + 1024);
    d.Bits.assign(pixels.Bytes, pixels.Bytes + kPixelBlockBytes);
    return d;
}

} // namespace

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    return WriteWholeFile(path, bytes.data(), bytes.size());
}

std::vector<uint8_t> BuildBmpFile(const CCURSOR& image, AniSaveMode mode) {
    const int bits = BitsPerPixelOf(mode);
    const uint32_t paletteBytes = 4u << bits;
    const uint32_t imageBytes = kIndexBytes * static_cast<uint32_t>(bits) / 8;
    ModeData d = MakeModeData(image.Pixels, image.Palette, image, mode);
    ByteWriter w;
    w.Text("BM");
    w.U32(54 + paletteBytes + imageBytes);
    w.U16(0);
    w.U16(0);
    w.U32(54 + paletteBytes);
    w.U32(40);
    w.U32(kImageSize);
    w.U32(kImageSize);
    w.U16(1);
    w.U16(static_cast<uint32_t>(bits));
    w.U32(0);
    w.U32(imageBytes);
    for (int i = 0; i < 4; ++i) w.U32(0);
    w.Bytes(d.Palette.data(), paletteBytes);
    w.Bytes(d.Bits.data(), imageBytes);
    return w.Data;
}

WriteResult WriteBmpFile(const CCURSOR& image, AniSaveMode mode, const std::string& path) {
    return WrittenIf(WriteFileBytes(path, BuildBmpFile(image, mode)));
}

bool IconPathIsCursor(const std::string& path) {
    const std::string ext = ExtractFileExt(path);
    return ext.find(".ICO") == std::string::npos && ext.find(".ico") == std::string::npos;
}

bool BuildIconFile(const CCURSOR& image, AniSaveMode mode, const std::string& path, std::vector<uint8_t>& bytes) {
    const int bits = BitsPerPixelOf(mode);
    const bool cursor = IconPathIsCursor(path);
    ModeData d = MakeModeData(image.OutPixels, image.OutPalette, image, mode);

    auto record = std::make_unique<CICONDAT>();
    ICONDIRENTRY& e = record->Entry;
    e.bWidth = kImageSize;
    e.bHeight = kImageSize;
    e.bColorCount = static_cast<uint8_t>(bits == 1 ? 2 : bits == 4 ? 16 : 0);
    // A cursor's entry carries the hotspot; an icon's the planes and depth.
    e.wPlanes = cursor ? image.HotX : 1;
    e.wBitCount = static_cast<uint16_t>(cursor ? image.HotY : bits);
    ByteWriter w;
    w.U32(kIconInfoHeaderBytes);
    w.U32(kImageSize);
    w.U32(2 * kImageSize);
    w.U16(1);
    w.U16(static_cast<uint32_t>(bits));
    w.U32(0);
    w.U32(0);
    w.U32(0);
    w.U32(0);
    w.U32(1u << bits);
    w.U32(0);
    w.Bytes(d.Palette.data(), d.Palette.size());
    w.Bytes(d.Bits.data(), d.Bits.size());
    record->Data = std::move(w.Data);
    e.dwBytesInRes = static_cast<uint32_t>(record->Data.size());

    TIconFile icons;
    icons.DrawIfIndexChange = false;
    int replace = -1;
    if (icons.LoadIconA(path) == IconLoadResult::Loaded) {
        for (int i = 0; i < icons.GetCount(); ++i) {
            const CICONDAT& c = icons.Item(i);
            IconBitmapHeader h;
            if (c.IsPng() || !ReadIconBitmapHeader(c.Data.data(), c.Data.size(), h)) continue;
            if (h.Width == kImageSize && h.Height == 2 * kImageSize && h.BitCount == bits) replace = i;
        }
    } else {
        icons.Clear();
    }
    bool put = replace >= 0 ? icons.PutRecord(replace, std::move(record), true)
                            : icons.PutRecord(icons.GetCount(), std::move(record), false);
    if (!put) return false;
    TMemoryStream m;
    if (icons.SaveIconToStream(cursor, &m) != IconSaveResult::Saved) return false;
    bytes = m.Bytes();
    return true;
}

WriteResult WriteIconFile(const CCURSOR& image, AniSaveMode mode, const std::string& path) {
    std::vector<uint8_t> bytes;
    return WrittenIf(BuildIconFile(image, mode, path, bytes) && WriteFileBytes(path, bytes));
}

std::string NumberedFileName(const std::string& folder, const std::string& name, int number, NumberedKind kind) {
    switch (kind) {
    case NumberedKind::Ico: return Format("%s%s_%02d.ico", folder.c_str(), name.c_str(), number);
    case NumberedKind::Cur: return Format("%s%s_%02d.cur", folder.c_str(), name.c_str(), number);
    case NumberedKind::Bmp: break;
    }
    return Format("%s%s_%02d.bmp", folder.c_str(), name.c_str(), number);
}

bool WriteNumberedFiles(const std::vector<const CCURSOR*>& images, const std::string& folder,
                        const std::string& name, NumberedKind kind, AniSaveMode mode) {
    // Every file is made first, and the set is written as one save.
    std::vector<TFileBytes> files(images.size());
    for (std::size_t k = 0; k < images.size(); ++k) {
        TFileBytes& f = files[k];
        f.Path = NumberedFileName(folder, name, static_cast<int>(k), kind);
        if (kind == NumberedKind::Bmp)
            f.Bytes = BuildBmpFile(*images[k], mode);
        else if (!BuildIconFile(*images[k], mode, f.Path, f.Bytes))
            return false;
    }
    return WriteFilesTogether(files);
}
