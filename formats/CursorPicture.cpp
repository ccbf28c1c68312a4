#include "formats/CursorPicture.h"

#include <atomic>
#include <cstring>

#include "base/Bitmap.h"
#include "base/ByteIO.h"
#include "base/Color.h"
#include "formats/IconFile.h"
#include "formats/IconSourceCheck.h"

namespace {

std::atomic<uint32_t> gDecoded{0};  // lock-free on every target

constexpr std::size_t kDirectoryBytes = 6, kEntryBytes = 16;
constexpr uint32_t kAniIconFlag = 1;  // the frames are icon or cursor files

// Our own header for an image of w x h at `bits` with `colours` palette entries, its rows
// left zero.
void StartResource(TCursorPicture& p, int w, int h, int bits, int colours) {
    p.Width = w;
    p.Height = h;
    p.Bits = bits;
    p.Colours = colours;
    p.Resource.assign(p.MaskOffset() + p.MaskRowBytes() * static_cast<std::size_t>(h), 0);
    uint8_t* r = p.Resource.data();
    PutLE32(r, 40);
    PutLE32(r + 4, static_cast<uint32_t>(w));
    PutLE32(r + 8, static_cast<uint32_t>(2 * h));
    PutLE16(r + 12, 1);
    PutLE16(r + 14, static_cast<uint32_t>(bits));
    PutLE32(r + 20, static_cast<uint32_t>(p.Resource.size() - p.ColourOffset()));
    PutLE32(r + 32, static_cast<uint32_t>(colours));
}

// A bitmap image: its palette, colour rows and AND mask rows taken over under our header
// (a 32-bit image stored without its mask gets a clear one).
bool ReadBitmapImage(const uint8_t* d, std::size_t size, TCursorPicture& p) {
    IconLayout l;
    if (!ComputeIconLayout(d, size, l, kCursorPictureMaxSide)) return false;
    StartResource(p, l.Width, l.Height, l.Bits, l.Bits <= 8 ? l.Colours : 0);
    uint8_t* r = p.Resource.data();
    std::memcpy(r + 40, d + l.PaletteOffset, 4 * static_cast<std::size_t>(p.Colours));
    const std::size_t rows = static_cast<std::size_t>(l.Height);
    std::memcpy(r + p.ColourOffset(), d + l.ColourOffset, p.RowBytes() * rows);
    const std::size_t maskAt = l.ColourOffset + p.RowBytes() * rows, maskBytes = p.MaskRowBytes() * rows;
    if (size >= maskAt && size - maskAt >= maskBytes) std::memcpy(r + p.MaskOffset(), d + maskAt, maskBytes);
    return true;
}

// A PNG image, decoded by our codec: 32-bit rows carrying its alpha (opaque where it has none,
// clear on its transparent colour), the mask set where the alpha is below one half.
bool ReadPngImage(const uint8_t* d, std::size_t size, TCursorPicture& p) {
    TBitmap colour, mask;
    if (!DecodeIconResource(d, size, colour, mask, true, kCursorPictureMaxSide)) return false;
    const int w = colour.Width(), h = colour.Height();
    if (w < 1 || h < 1 || mask.Width() != w || mask.Height() != h) return false;
    const bool alpha = mask.PixelFormat() == TPixelFormat::pf8bit;
    StartResource(p, w, h, 32, 0);
    for (int j = 0; j < h; ++j) {
        const int y = h - 1 - j;  // bottom row first
        uint8_t* px = p.Resource.data() + p.ColourOffset() + static_cast<std::size_t>(j) * p.RowBytes();
        uint8_t* m = p.Resource.data() + p.MaskOffset() + static_cast<std::size_t>(j) * p.MaskRowBytes();
        for (int x = 0; x < w; ++x, px += 4) {
            const TColor c = colour.Pixel(x, y);
            px[0] = BlueOf(c);
            px[1] = GreenOf(c);
            px[2] = RedOf(c);
            px[3] = alpha ? static_cast<uint8_t>(mask.PixelIndex(x, y)) : mask.PixelIndex(x, y) ? 0 : 255;
            if (px[3] < 255) m[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
    }
    return true;
}

// The directory's images that lie inside the file, with the sizes and depths a loader
// compares: a PNG image's own size, a bitmap image's size from its entry (0 meaning 256) and
// its depth from its header.
struct TDirImage {
    IconChoice Choice;
    int HotX = 0, HotY = 0;
};

std::vector<TDirImage> DirectoryImages(const uint8_t* d, std::size_t size) {
    std::vector<TDirImage> images;
    if (!d || size < kDirectoryBytes || GetLE16(d) != 0) return images;
    const uint16_t type = GetLE16(d + 2), count = GetLE16(d + 4);
    if ((type != 1 && type != 2) || kDirectoryBytes + std::size_t{count} * kEntryBytes > size) return images;
    for (uint16_t i = 0; i < count; ++i) {
        const uint8_t* e = d + kDirectoryBytes + kEntryBytes * i;
        TDirImage image;
        IconChoice& c = image.Choice;
        c.Bytes = GetLE32(e + 8);
        c.Offset = GetLE32(e + 12);
        if (c.Bytes == 0 || c.Offset > size || c.Bytes > size - c.Offset) continue;
        const uint8_t* at = d + c.Offset;
        const std::size_t bytes = static_cast<std::size_t>(c.Bytes);
        if (IsPngSignature(at, bytes)) {
            if (!IconPngSize(at, bytes, c.Width, c.Height, kCursorPictureMaxSide)) continue;
            c.Bits = 32;
        } else {
            if (bytes < 16) continue;
            c.Width = e[0] ? e[0] : 256;
            c.Height = e[1] ? e[1] : 256;
            c.Bits = GetLE16(at + 14);
        }
        image.HotX = GetLE16(e + 4);
        image.HotY = GetLE16(e + 6);
        images.push_back(image);
    }
    return images;
}

// The image a cursor loader takes: the nearest of those no larger than the cursor, or when
// every image is larger the nearest of all (so a 16-pixel image is stretched before a
// 40-pixel one is shrunk to 32).
int CursorImageChoice(const std::vector<TDirImage>& images, int width, int height, int depth) {
    std::vector<IconChoice> fitting, all;
    std::vector<int> fittingAt;
    for (std::size_t i = 0; i < images.size(); ++i) {
        const IconChoice& c = images[i].Choice;
        all.push_back(c);
        if (c.Width <= width && c.Height <= height) {
            fitting.push_back(c);
            fittingAt.push_back(static_cast<int>(i));
        }
    }
    if (fitting.empty()) return NearestIconImage(all, width, height, depth);
    return fittingAt[static_cast<std::size_t>(NearestIconImage(fitting, width, height, depth))];
}

bool ReadIconPicture(const uint8_t* d, std::size_t size, int width, int height, int depth, TCursorPicture& out) {
    const std::vector<TDirImage> images = DirectoryImages(d, size);
    const int chosen = CursorImageChoice(images, width, height, depth);
    if (chosen < 0) return false;
    const TDirImage& image = images[static_cast<std::size_t>(chosen)];
    const uint8_t* at = d + image.Choice.Offset;
    const std::size_t bytes = static_cast<std::size_t>(image.Choice.Bytes);
    ++gDecoded;
    TCursorPicture p;
    if (!(IsPngSignature(at, bytes) ? ReadPngImage(at, bytes, p) : ReadBitmapImage(at, bytes, p))) return false;
    p.HotX = image.HotX;
    p.HotY = image.HotY;
    out = std::move(p);
    return true;
}

struct TChunk {
    uint64_t Body = 0, Size = 0;
    char Id[4] = {};
    bool Is(const char* id) const { return std::memcmp(Id, id, 4) == 0; }
};

// The chunks of [from, to), each padded to even; false when one ends beyond it.
template <class Visit>
bool WalkChunks(const uint8_t* d, uint64_t from, uint64_t to, Visit visit) {
    for (uint64_t at = from; at < to;) {
        if (to - at < 8) return false;
        TChunk c;
        std::memcpy(c.Id, d + at, 4);
        c.Size = GetLE32(d + at + 4);
        c.Body = at + 8;
        if (c.Size > to - c.Body) return false;
        if (!visit(c)) return true;
        at = c.Body + c.Size + (c.Size & 1);
    }
    return true;
}

// The icon of an animated cursor's first step: the frame its sequence names first, or the
// first frame, kept at its own size as loaders keep an animation's frames.
bool ReadAniPicture(const uint8_t* d, std::size_t size, int width, int height, int depth, TCursorPicture& out) {
    if (size < 12 || std::memcmp(d + 8, "ACON", 4) != 0) return false;
    const uint64_t end = std::min<uint64_t>(size, 8 + uint64_t{GetLE32(d + 4)});
    bool header = false;
    uint32_t flags = 0, frameCount = 0, steps = 0, first = 0;
    TChunk frames{};
    bool haveFrames = false;
    const bool walked = WalkChunks(d, 12, end, [&](const TChunk& c) {
        if (c.Is("anih") && c.Size >= 36 && !header) {
            header = true;
            frameCount = GetLE32(d + c.Body + 4);
            steps = GetLE32(d + c.Body + 8);
            flags = GetLE32(d + c.Body + 32);
        } else if (c.Is("seq ") && c.Size >= 4) {
            first = GetLE32(d + c.Body);
        } else if (c.Is("LIST") && c.Size >= 4 && std::memcmp(d + c.Body, "fram", 4) == 0 && !haveFrames) {
            haveFrames = true;
            frames = c;
        }
        return true;
    });
    if (!walked || !header || !haveFrames || steps == 0 || frameCount == 0 || first >= frameCount ||
        !(flags & kAniIconFlag))
        return false;
    // The frame list (the first, the one loaders read) must hold every frame the header names.
    uint32_t icons = 0;
    TChunk shown{};
    const bool listed = WalkChunks(d, frames.Body + 4, frames.Body + frames.Size, [&](const TChunk& c) {
        if (c.Is("icon") && icons++ == first) shown = c;
        return icons < frameCount;
    });
    if (!listed || icons < frameCount) return false;
    if (!ReadIconPicture(d + shown.Body, static_cast<std::size_t>(shown.Size), width, height, depth, out)) return false;
    out.OwnSize = true;
    return true;
}

} // namespace

bool ReadCursorPicture(const uint8_t* data, std::size_t size, int width, int height, int depth, TCursorPicture& out) {
    if (!data || size < 4) return false;
    if (std::memcmp(data, "RIFF", 4) == 0) return ReadAniPicture(data, size, width, height, depth, out);
    return ReadIconPicture(data, size, width, height, depth, out);
}

uint64_t CursorPicturesDecoded() { return gDecoded.load(); }
