#include "IconFile.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <stdexcept>
#include <utility>

#include "base/ByteIO.h"
#include "base/Exception.h"
#include "base/Format.h"
#include "base/Stream.h"
#include "png/PngPicture.h"

namespace {

constexpr int kDirHeaderBytes = 6;
constexpr int kDirEntryBytes = 16;
constexpr int64_t kMaxIconFileBytes = 64LL * 1024 * 1024;

bool ValidDepth(int bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32; }

int ColourRowBytes(int w, int bits) {
    switch (bits) {
    case 1: return (w + 31) / 32 * 4;
    case 4: return (w + 7) / 8 * 4;
    case 8: return (w + 3) / 4 * 4;
    case 16: return (2 * w + 3) / 4 * 4;
    case 24: return (3 * w + 3) / 4 * 4;
    default: return 4 * w;
    }
}

int MaskRowBytes(int w) { return (w + 31) / 32 * 4; }

void PutEntry(ByteWriter& w, const ICONDIRENTRY& e) {
    w.U8(e.bWidth);
    w.U8(e.bHeight);
    w.U8(e.bColorCount);
    w.U8(e.bReserved);
    w.U16(e.wPlanes);
    w.U16(e.wBitCount);
    w.U32(e.dwBytesInRes);
    w.U32(e.dwImageOffset);
}

bool DecodePng(const uint8_t* data, std::size_t size, TBitmap& colour, TBitmap& mask, int maxSide) {
    try {
        TRUDEDI png;
        png.SetMaxImageBytes(int64_t(maxSide) * maxSide * 8);
        TBytesStream s(data, static_cast<int64_t>(size));
        png.LoadFromStream(s);
        if (png.GetEmpty() || png.GetWidth() > maxSide || png.GetHeight() > maxSide) return false;
        png.AssignTo(colour);
        const TBitmap& alpha = png.GetAlphaBitmap();
        const int w = colour.Width(), h = colour.Height();
        if (!alpha.Empty() && alpha.Width() == w && alpha.Height() == h) {
            // The codec keeps 255 - alpha.
            mask = TBitmap(w, h, TPixelFormat::pf8bit);
            for (int i = 0; i < 256; ++i)
                mask.Colors()[static_cast<std::size_t>(i)] =
                    TRGBQuad{uint8_t(255 - i), uint8_t(255 - i), uint8_t(255 - i), 0};
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    int a = IsPaletted(alpha.PixelFormat()) ? alpha.PixelIndex(x, y) : RedOf(alpha.Pixel(x, y));
                    mask.SetPixelIndex(x, y, 255 - a);
                }
        } else {
            mask = TBitmap(w, h, TPixelFormat::pf1bit);
            if (png.ImageTransparent())
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x)
                        if (colour.Pixel(x, y) == png.ImageTransparentColor()) mask.SetPixelIndex(x, y, 1);
        }
        return true;
    } catch (const Exception&) {
        return false;
    }
}

[[noreturn]] void IndexError(int i) { throw std::out_of_range(Format("List index out of bounds (%d)", i)); }

} // namespace

bool IsPngSignature(const uint8_t* data, std::size_t size) {
    static const uint8_t sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return size >= 8 && std::memcmp(data, sig, 8) == 0;
}

namespace {
// The width and height an IHDR chunk right after the signature names, unchecked.
bool PngHeaderSize(const uint8_t* data, std::size_t size, std::size_t least, uint32_t& w, uint32_t& h) {
    if (!IsPngSignature(data, size) || size < least || std::memcmp(data + 12, "IHDR", 4) != 0) return false;
    w = (uint32_t(data[16]) << 24) | (uint32_t(data[17]) << 16) | (uint32_t(data[18]) << 8) | data[19];
    h = (uint32_t(data[20]) << 24) | (uint32_t(data[21]) << 16) | (uint32_t(data[22]) << 8) | data[23];
    return true;
}
} // namespace

bool IconPngSize(const uint8_t* data, std::size_t size, int& w, int& h, int maxSide) {
    uint32_t pw = 0, ph = 0;
    if (!PngHeaderSize(data, size, 33, pw, ph)) return false;
    if (pw == 0 || ph == 0 || pw > uint32_t(maxSide) || ph > uint32_t(maxSide)) return false;
    w = static_cast<int>(pw);
    h = static_cast<int>(ph);
    return true;
}

bool ReadIconBitmapHeader(const uint8_t* data, std::size_t size, IconBitmapHeader& out) {
    ByteReader r(data, size);
    out.Size = r.U32();
    out.Width = r.I32();
    out.Height = r.I32();
    out.Planes = r.U16();
    out.BitCount = r.U16();
    out.Compression = r.U32();
    out.SizeImage = r.U32();
    r.Skip(8);
    out.ClrUsed = r.U32();
    r.U32();
    return !r.Failed();
}

bool ComputeIconLayout(const uint8_t* data, std::size_t size, IconLayout& out, int maxSide) {
    IconBitmapHeader h;
    if (!ReadIconBitmapHeader(data, size, h)) return false;
    if (h.Size < kIconInfoHeaderBytes || h.Size > size) return false;
    if (h.Compression != 0 || !ValidDepth(h.BitCount)) return false;
    if (h.Width <= 0 || h.Width > maxSide || h.Rows() <= 0 || h.Rows() > maxSide) return false;
    IconLayout l;
    l.Width = h.Width;
    l.Height = h.Rows();
    l.Bits = h.BitCount;
    if (l.Bits <= 8) {
        uint32_t full = 1u << l.Bits;
        l.Colours = h.ClrUsed > 0 && h.ClrUsed < full ? static_cast<int>(h.ClrUsed) : static_cast<int>(full);
    }
    l.RowBytes = ColourRowBytes(l.Width, l.Bits);
    l.MaskRowBytes = MaskRowBytes(l.Width);
    // Sizes stay far below 2^31 for any side a caller allows (1024 rows of 4096 bytes).
    l.PaletteOffset = h.Size;
    l.ColourOffset = h.Size + 4u * static_cast<std::size_t>(l.Colours);
    std::size_t colourEnd = l.ColourOffset + static_cast<std::size_t>(l.RowBytes) * l.Height;
    std::size_t maskEnd = colourEnd + static_cast<std::size_t>(l.MaskRowBytes) * l.Height;
    if (colourEnd > size) return false;
    if (l.Bits == 32) {
        // The alpha channel draws the image when the resource is exactly the colour rows
        // and the padded mask rows, or when no whole mask follows the colour rows; with
        // more bytes than that the mask draws it.
        const bool alpha = size <= maskEnd;
        l.MaskOffset = alpha ? 0 : colourEnd;
    } else {
        if (maskEnd > size) return false;
        l.MaskOffset = colourEnd;
    }
    out = l;
    return true;
}

// ---------------------------------------------------------------------------------------
// Loading

IconLoadResult TIconFile::LoadIconA(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, kMaxIconFileBytes)) return IconLoadResult::Unreadable;
    return LoadIconFromMemory(bytes.data(), bytes.size());
}

IconLoadResult TIconFile::LoadIconFromStream(TStream* stream) {
    if (!stream) return IconLoadResult::Unreadable;
    int64_t size = stream->Size();
    if (size < kDirHeaderBytes || size > kMaxIconFileBytes) return IconLoadResult::Unreadable;
    std::vector<uint8_t> bytes(static_cast<std::size_t>(size));
    stream->SetPosition(0);
    if (stream->Read(bytes.data(), size) != size) return IconLoadResult::Unreadable;
    return LoadIconFromMemory(bytes.data(), bytes.size());
}

// Only the structure is checked: a PNG image is decoded when it is drawn, never on load.
bool TIconFile::CheckImage(const uint8_t* data, std::size_t size) {
    int w, h;
    if (IsPngSignature(data, size)) return IconPngSize(data, size, w, h);
    IconLayout l;
    return ComputeIconLayout(data, size, l);
}

IconLoadResult TIconFile::LoadIconFromMemory(const uint8_t* data, std::size_t size) {
    if (!data || size < kDirHeaderBytes) return IconLoadResult::Unreadable;
    ByteReader r(data, size);
    ICONDIR dir;
    dir.idReserved = r.U16();
    dir.idType = r.U16();
    dir.idCount = r.U16();
    if (data[0] == 'B' && data[1] == 'M') {
        Clear();
        return IconLoadResult::IsBitmap;
    }
    if (dir.idReserved != 0 || dir.idType > 2) {
        Clear();
        return IconLoadResult::Invalid;
    }
    const std::size_t dirEnd = kDirHeaderBytes + static_cast<std::size_t>(kDirEntryBytes) * dir.idCount;
    if (size < dirEnd) return IconLoadResult::Unreadable;

    std::vector<std::unique_ptr<CICONDAT>> images;
    int skipped = 0;
    std::size_t sequential = dirEnd;  // where the image would lie if images follow back to back
    // Entries may share their bytes; the copies kept never hold more than the file does.
    std::size_t stored = 0;
    for (int i = 0; i < dir.idCount; ++i) {
        ICONDIRENTRY e;
        e.bWidth = r.U8();
        e.bHeight = r.U8();
        e.bColorCount = r.U8();
        e.bReserved = r.U8();
        e.wPlanes = r.U16();
        e.wBitCount = r.U16();
        e.dwBytesInRes = r.U32();
        e.dwImageOffset = r.U32();
        const uint64_t bytes = e.dwBytesInRes;
        const uint64_t here = sequential;
        sequential = static_cast<std::size_t>(std::min<uint64_t>(here + bytes, size));
        if (bytes == 0 || bytes > size - dirEnd - std::min(stored, size - dirEnd)) {
            ++skipped;
            continue;
        }
        // The entry's own offset wins; a file whose offsets are broken but whose images
        // follow the directory in order is still read.
        uint64_t at;
        if (e.dwImageOffset >= dirEnd && uint64_t(e.dwImageOffset) + bytes <= size)
            at = e.dwImageOffset;
        else if (here + bytes <= size)
            at = here;
        else {
            ++skipped;
            continue;
        }
        if (!CheckImage(data + at, bytes)) {
            ++skipped;
            continue;
        }
        auto image = std::make_unique<CICONDAT>();
        image->Entry = e;
        image->Data.assign(data + at, data + at + bytes);
        image->AsRead = true;
        stored += bytes;
        images.push_back(std::move(image));
    }
    if (r.Failed() || (dir.idCount > 0 && images.empty())) {
        Clear();
        return IconLoadResult::Invalid;
    }
    FIconList = std::move(images);
    FSkipped = skipped;
    FIconDir = dir;
    FIconDir.idCount = static_cast<uint16_t>(FIconList.size());
    if (!FIconList.empty()) DrawImage(DisplayPick());
    return IconLoadResult::Loaded;
}

// The last 32-pixel-wide 8-bit image; failing that the last 32-pixel-wide image of the
// greatest depth; failing that image 0.
int TIconFile::DisplayPick() const {
    int pick = 0, best = 0;
    for (int i = 0; i < static_cast<int>(FIconList.size()); ++i) {
        const CICONDAT& c = *FIconList[static_cast<std::size_t>(i)];
        int w = 0, h = 0, bits = 0;
        if (c.IsPng()) {
            IconPngSize(c.Data.data(), c.Data.size(), w, h);
            bits = 32;
        } else {
            IconBitmapHeader hdr;
            ReadIconBitmapHeader(c.Data.data(), c.Data.size(), hdr);
            w = hdr.Width;
            bits = hdr.BitCount;
        }
        if (w == 32 && bits == 8) {
            pick = i;
            best = 8;
        } else if (best != 8 && w == 32 && bits >= best) {
            pick = i;
            best = bits;
        }
    }
    return pick;
}

// ---------------------------------------------------------------------------------------
// Saving

IconSaveResult TIconFile::SaveIconToStream(bool cursor, TStream* stream) {
    if (!stream) return IconSaveResult::NoStream;
    FIconDir.idReserved = 0;
    FIconDir.idType = cursor ? 2 : 1;
    FIconDir.idCount = static_cast<uint16_t>(FIconList.size());
    // Sizes follow each image's own header; an image read from a file and a PNG image keep
    // their bytes.
    for (auto& item : FIconList) {
        CICONDAT& c = *item;
        if (c.AsRead || c.IsPng()) {
            c.Entry.dwBytesInRes = static_cast<uint32_t>(c.Data.size());
            continue;
        }
        IconLayout l;
        if (!ComputeIconLayout(c.Data.data(), c.Data.size(), l)) continue;  // checked on entry
        const std::size_t h = static_cast<std::size_t>(l.Height);
        const std::size_t image = static_cast<std::size_t>(l.RowBytes) * h + static_cast<std::size_t>(l.MaskRowBytes) * h;
        std::size_t total = l.ColourOffset + image;
        c.Data.resize(total, 0);
        PutLE32(c.Data.data() + 20, static_cast<uint32_t>(image));
        c.Entry.dwBytesInRes = static_cast<uint32_t>(total);
    }
    ByteWriter w;
    w.U16(FIconDir.idReserved);
    w.U16(FIconDir.idType);
    w.U16(FIconDir.idCount);
    uint32_t offset = kDirHeaderBytes + kDirEntryBytes * static_cast<uint32_t>(FIconList.size());
    for (auto& item : FIconList) {
        item->Entry.dwImageOffset = offset;
        PutEntry(w, item->Entry);
        offset += item->Entry.dwBytesInRes;
    }
    for (auto& item : FIconList) w.Bytes(item->Data.data(), item->Entry.dwBytesInRes);
    stream->SetPosition(0);
    if (stream->Write(w.Data.data(), static_cast<int64_t>(w.Data.size())) != static_cast<int64_t>(w.Data.size()))
        return IconSaveResult::WriteFailed;
    return IconSaveResult::Saved;
}

IconSaveResult TIconFile::SaveIcon(bool cursor, const std::string& path) {
    TMemoryStream m;
    IconSaveResult result = SaveIconToStream(cursor, &m);
    if (result != IconSaveResult::Saved) return result;
    if (!WriteWholeFile(path, m.Memory(), static_cast<std::size_t>(m.Size()))) return IconSaveResult::WriteFailed;
    return IconSaveResult::Saved;
}

// ---------------------------------------------------------------------------------------
// The list

CICONDAT& TIconFile::Item(int i) {
    if (i < 0 || i >= static_cast<int>(FIconList.size())) IndexError(i);
    return *FIconList[static_cast<std::size_t>(i)];
}

const CICONDAT& TIconFile::Item(int i) const {
    if (i < 0 || i >= static_cast<int>(FIconList.size())) IndexError(i);
    return *FIconList[static_cast<std::size_t>(i)];
}

uint8_t* TIconFile::GetListItem(int i) { return Item(i).Data.data(); }

uint8_t* TIconFile::GetBmpData(int i) {
    if (i < 0 || i >= static_cast<int>(FIconList.size())) return nullptr;
    return FIconList[static_cast<std::size_t>(i)]->Data.data();
}

ICONDIRENTRY* TIconFile::GetIconEnt() {
    if (IconIndex < 0 || IconIndex >= static_cast<int>(FIconList.size())) return nullptr;
    return &FIconList[static_cast<std::size_t>(IconIndex)]->Entry;
}

void TIconFile::Clear() {
    FIconList.clear();
    FIconDir.idCount = 0;
    FSkipped = 0;
}

void TIconFile::DelIcon(int i) {
    Item(i);
    FIconList.erase(FIconList.begin() + i);
    FIconDir.idCount = static_cast<uint16_t>(FIconList.size());
}

void TIconFile::Move(int curIndex, int newIndex) {
    Item(curIndex);
    Item(newIndex);
    auto record = std::move(FIconList[static_cast<std::size_t>(curIndex)]);
    FIconList.erase(FIconList.begin() + curIndex);
    FIconList.insert(FIconList.begin() + newIndex, std::move(record));
}

bool TIconFile::PutRecord(int index, std::unique_ptr<CICONDAT> record, bool replace) {
    const int count = static_cast<int>(FIconList.size());
    if (!record || index < 0 || index > count || (replace && index == count) || (!replace && count >= 0xFFFF))
        return false;
    if (replace)
        FIconList[static_cast<std::size_t>(index)] = std::move(record);
    else
        FIconList.insert(FIconList.begin() + index, std::move(record));
    FIconDir.idCount = static_cast<uint16_t>(FIconList.size());
    return true;
}

bool TIconFile::AddIcon(int hotX, int hotY, const TBitmap& image, const TBitmap& mask) {
    return PutRecord(static_cast<int>(FIconList.size()), ConvertData(hotX, hotY, image, mask), false);
}

bool TIconFile::InsertIcon(int index, int hotX, int hotY, const TBitmap& image, const TBitmap& mask) {
    if (index < 0 || index > static_cast<int>(FIconList.size())) IndexError(index);
    return PutRecord(index, ConvertData(hotX, hotY, image, mask), false);
}

bool TIconFile::ReplaceIcon(int index, int hotX, int hotY, const TBitmap& image, const TBitmap& mask) {
    Item(index);
    return PutRecord(index, ConvertData(hotX, hotY, image, mask), true);
}

std::unique_ptr<CICONDAT> TIconFile::ConvertData(int hotX, int hotY, const TBitmap& image, const TBitmap& mask) const {
    if (mask.PixelFormat() != TPixelFormat::pf1bit || image.Width() != mask.Width() ||
        image.Height() != mask.Height() || image.Empty() || image.Width() > kIconMaxSide ||
        image.Height() > kIconMaxSide)
        return nullptr;
    int bits;
    switch (image.PixelFormat()) {
    case TPixelFormat::pf1bit: bits = 1; break;
    case TPixelFormat::pf4bit: bits = 4; break;
    case TPixelFormat::pf8bit: bits = 8; break;
    default: bits = 24; break;
    }
    const int w = image.Width(), h = image.Height();
    const int colours = bits == 24 ? 0 : 1 << bits;
    const int r = ColourRowBytes(w, bits), m = MaskRowBytes(w);
    const std::size_t total = kIconInfoHeaderBytes + 4u * colours + static_cast<std::size_t>(r + m) * h;
    if (total > kIconDataMax) return nullptr;

    auto c = std::make_unique<CICONDAT>();
    c->Entry.bWidth = static_cast<uint8_t>(w);
    c->Entry.bHeight = static_cast<uint8_t>(h);
    c->Entry.bColorCount = static_cast<uint8_t>(bits == 1 ? 2 : bits == 4 ? 16 : 0);
    c->Entry.wPlanes = static_cast<uint16_t>(hotX);
    c->Entry.wBitCount = static_cast<uint16_t>(hotY);
    ByteWriter out;
    out.U32(kIconInfoHeaderBytes);
    out.U32(static_cast<uint32_t>(w));
    out.U32(static_cast<uint32_t>(2 * h));
    out.U16(1);
    out.U16(static_cast<uint32_t>(bits));
    out.U32(0);
    out.U32(0);
    out.U32(0);
    out.U32(0);
    out.U32(static_cast<uint32_t>(colours));
    out.U32(0);
    for (int i = 0; i < colours; ++i) {
        TRGBQuad q = i < static_cast<int>(image.Colors().size()) ? image.Colors()[static_cast<std::size_t>(i)] : TRGBQuad{};
        q.Reserved = 0;
        out.Bytes(&q, 4);
    }
    std::vector<uint8_t> row(static_cast<std::size_t>(r));
    for (int j = 0; j < h; ++j) {
        const int y = h - 1 - j;
        if (bits < 24) {
            out.Bytes(image.ScanLine(y), static_cast<std::size_t>(r));
            continue;
        }
        std::fill(row.begin(), row.end(), 0);
        for (int x = 0; x < w; ++x) {
            TColor col = image.Pixel(x, y);
            row[static_cast<std::size_t>(3 * x)] = BlueOf(col);
            row[static_cast<std::size_t>(3 * x + 1)] = GreenOf(col);
            row[static_cast<std::size_t>(3 * x + 2)] = RedOf(col);
        }
        out.Bytes(row.data(), row.size());
    }
    for (int j = 0; j < h; ++j) out.Bytes(mask.ScanLine(h - 1 - j), static_cast<std::size_t>(m));
    c->Data = std::move(out.Data);
    c->Entry.dwBytesInRes = static_cast<uint32_t>(c->Data.size());
    return c;
}

// ---------------------------------------------------------------------------------------
// Decoding

TColor TIconFile::ResolveColour(TColor c) const {
    return (c & clSystemColor) ? clSilver : c;
}

void TIconFile::DrawImage(int index) {
    if (index < 0 || index >= static_cast<int>(FIconList.size())) return;
    IconIndex = index;
    if (!DrawIfIndexChange) return;
    TBitmap colour, mask;
    if (!DecodeImage(index, colour, mask, DrawTrueColor)) {
        // A PNG image that fails when drawn shows nothing, never the image drawn before.
        FPicture = TBitmap();
        FColorBitmap = TBitmap();
        FMaskBitmap = TBitmap();
        return;
    }
    FPicture = ComposePicture(colour, mask, ResolveColour(BackGroundColor));
    FColorBitmap = std::move(colour);
    FMaskBitmap = std::move(mask);
}


bool TIconFile::DecodeImage(int i, TBitmap& colour, TBitmap& mask, bool trueColour) const {
    if (i < 0 || i >= static_cast<int>(FIconList.size())) return false;
    const CICONDAT& c = *FIconList[static_cast<std::size_t>(i)];
    return DecodeIconResource(c.Data.data(), c.Data.size(), colour, mask, trueColour);
}

uint64_t IconResourceCost(const uint8_t* data, std::size_t size) {
    constexpr uint64_t kMost = uint64_t{kIconMaxSide} * kIconMaxSide;
    uint64_t w = 0, h = 0;
    if (!data) return 1;
    if (IsPngSignature(data, size)) {
        uint32_t pw = 0, ph = 0;
        if (PngHeaderSize(data, size, 24, pw, ph)) w = pw, h = ph;
    } else if (IconBitmapHeader header; ReadIconBitmapHeader(data, size, header)) {
        w = static_cast<uint64_t>(std::max<int64_t>(0, header.Width));
        h = static_cast<uint64_t>(std::max<int64_t>(0, header.Rows()));
    }
    return std::clamp<uint64_t>(std::min(w, kMost) * std::min(h, kMost), 1, kMost);
}

bool DecodeIconResource(const uint8_t* d, std::size_t size, TBitmap& colour, TBitmap& mask, bool trueColour,
                        int maxSide) {
    if (!d) return false;
    if (IsPngSignature(d, size)) return DecodePng(d, size, colour, mask, maxSide);
    IconLayout l;
    if (!ComputeIconLayout(d, size, l, maxSide)) return false;
    const int w = l.Width, h = l.Height;
    std::vector<TRGBQuad> pal(static_cast<std::size_t>(l.Colours));
    for (int k = 0; k < l.Colours; ++k) {
        const uint8_t* p = d + l.PaletteOffset + 4u * static_cast<std::size_t>(k);
        pal[static_cast<std::size_t>(k)] = TRGBQuad{p[0], p[1], p[2], 0};
    }
    TPixelFormat pf;
    switch (l.Bits) {
    case 1: pf = TPixelFormat::pf1bit; break;
    case 4: pf = TPixelFormat::pf4bit; break;
    case 8: pf = TPixelFormat::pf8bit; break;
    case 16: pf = TPixelFormat::pf15bit; break;
    case 24: pf = TPixelFormat::pf24bit; break;
    default: pf = TPixelFormat::pf32bit; break;
    }
    const bool paletted = l.Bits <= 8;
    if (paletted && trueColour) pf = TPixelFormat::pf24bit;
    colour = TBitmap(w, h, pf);
    if (l.Bits == 1 && !trueColour) colour.Colors() = {TRGBQuad{0, 0, 0, 0}, TRGBQuad{255, 255, 255, 0}};
    else if (paletted && !trueColour) colour.Colors() = pal;
    for (int j = 0; j < h; ++j) {
        const uint8_t* row = d + l.ColourOffset + static_cast<std::size_t>(j) * l.RowBytes;
        const int y = h - 1 - j;
        if (l.Bits == 24 || l.Bits == 32) {
            std::memcpy(colour.ScanLine(y), row, static_cast<std::size_t>(l.Bits / 8) * w);
            continue;
        }
        for (int x = 0; x < w; ++x) {
            if (l.Bits == 16) {
                unsigned v = GetLE16(row + 2 * x);
                auto c5 = [](unsigned v5) { return static_cast<uint8_t>((v5 << 3) | (v5 >> 2)); };
                colour.SetPixel(x, y, MakeColor(c5((v >> 10) & 31), c5((v >> 5) & 31), c5(v & 31)));
                continue;
            }
            int index = l.Bits == 1 ? (row[x / 8] >> (7 - x % 8)) & 1
                        : l.Bits == 4 ? ((x & 1) ? row[x / 2] & 15 : row[x / 2] >> 4)
                                      : row[x];
            if (!trueColour) {
                colour.SetPixelIndex(x, y, index);
            } else {
                TColor shown = l.Bits == 1 ? (index ? clWhite : clBlack)
                               : index < l.Colours ? QuadToColor(pal[static_cast<std::size_t>(index)])
                                                   : clBlack;
                colour.SetPixel(x, y, shown);
            }
        }
    }
    if (l.MaskOffset > 0) {
        mask = TBitmap(w, h, TPixelFormat::pf1bit);
        for (int j = 0; j < h; ++j)
            std::memcpy(mask.ScanLine(h - 1 - j), d + l.MaskOffset + static_cast<std::size_t>(j) * l.MaskRowBytes,
                        static_cast<std::size_t>(l.MaskRowBytes));
    } else {
        mask = TBitmap(w, h, TPixelFormat::pf8bit);
        for (int k = 0; k < 256; ++k)
            mask.Colors()[static_cast<std::size_t>(k)] = TRGBQuad{uint8_t(255 - k), uint8_t(255 - k), uint8_t(255 - k), 0};
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) mask.SetPixelIndex(x, y, colour.ScanLine(y)[4 * x + 3]);
    }
    return true;
}

TBitmap TIconFile::ComposePicture(const TBitmap& colour, const TBitmap& mask, TColor background) {
    const int w = colour.Width(), h = colour.Height();
    TBitmap out(w, h, TPixelFormat::pf24bit);
    if (mask.Width() != w || mask.Height() != h) return out;
    const bool alpha = mask.PixelFormat() == TPixelFormat::pf8bit;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            TColor c = colour.Pixel(x, y);
            if (!alpha) {
                // MERGECOPY of the mask with the background brush, then SRCINVERT of the colour.
                TColor under = mask.PixelIndex(x, y) ? background : clBlack;
                out.SetPixel(x, y, (under ^ c) & 0xFFFFFF);
                continue;
            }
            int a = mask.PixelIndex(x, y);
            auto blend = [a](int ch, int bg) { return (ch * 1000 / 256) * a / 1000 + (bg * 1000 / 256) * (255 - a) / 1000; };
            out.SetPixel(x, y, MakeColor(uint8_t(blend(RedOf(c), RedOf(background))),
                                         uint8_t(blend(GreenOf(c), GreenOf(background))),
                                         uint8_t(blend(BlueOf(c), BlueOf(background)))));
        }
    return out;
}
