#pragma once
// Our own bounded reading of icon sources: the check of a file's structure before a system
// loader (LoadCursorFromFileW, LoadImageW) reads it, for those loaders trust what the file
// says, and TIconSource, the reader of the icons of modules and icon files.
// Accepted: icon and cursor files whose directory and images lie inside the file with sane
// headers; 16-bit NE and 32/64-bit PE modules whose resource tables, group icons and icons do;
// animated cursors whose chunks do. Anything else is refused and never handed on.
// A module's resource tree is walked once: a directory or entry reached twice, sections
// that overlap or lie in the headers, and counts beyond what a table holds are refused; so
// are group icons that together name more entries than a tree may hold (they share bytes).
#include <cstdint>
#include <string>
#include <vector>

#include "formats/ByteSource.h"

// An icon or cursor file or a module with icons whose every table and image lies inside it
// (the walk TIconSource reads modules with, and the image checks on top).
SourceCheck CheckIconSource(TByteSource& source);
// The same for a file on disk (UTF-8 path); a file that cannot be read is refused.
SourceCheck CheckIconSourceFile(const std::string& path);
// What a cursor loader may read: a cursor or icon file, or an animated cursor.
SourceCheck CheckCursorFile(TByteSource& source);

class TBitmap;

// A resource of a module: where its bytes lie in the file, and its numeric id (kNamed for
// a resource known by a name).
struct IconSourceResource {
    static constexpr uint32_t kNamed = 0xFFFFFFFFu;
    uint64_t Offset = 0, Bytes = 0;
    uint32_t Id = kNamed;
};

// The image of an icon that a size and a screen depth choose.
struct IconChoice {
    int Width = 0, Height = 0, Bits = 0;  // as its directory entry names them
    uint64_t Offset = 0, Bytes = 0;       // its bytes in the file
};

// Of the images of one icon, the one that fits width x height best: the nearest size (the
// sum of both differences, the first of equal sums giving the differences sought), then among
// the images that differ by just as much the depth nearest `depth` (the first of equals).
// -1 when there is none. The system's icon and cursor loaders choose so.
int NearestIconImage(const std::vector<IconChoice>& images, int width, int height, int depth);

// The icons of a module (.exe, .dll, .icl: one per group icon, in the order of its tables)
// or of an icon or cursor file (one icon), read from one in-memory copy of the file. Only
// the image chosen for a size is ever decoded.
class TIconSource {
public:
    static constexpr int64_t kMaxFileBytes = 128LL << 20;

    SourceCheck Load(std::vector<uint8_t> bytes);
    // The file at path (UTF-8), refused when it cannot be read or is larger than kMaxFileBytes.
    SourceCheck LoadFile(const std::string& path);
    int Count() const { return static_cast<int>(FGroups.size()); }
    uint64_t Bytes() const { return FBytes.size(); }  // of the file
    // The image of icon `index` that fits width x height best, and of those the depth
    // nearest `depth` (the first of equals in the directory's order). False when the icon's
    // directory cannot be read or names no image inside the file.
    bool Choose(int index, int width, int height, int depth, IconChoice& out) const;
    // Decodes a chosen image (as TIconFile::DecodeImage with true colour).
    bool Decode(const IconChoice& choice, TBitmap& colour, TBitmap& mask) const;
    // The pixels that decoding a chosen image costs, whether it decodes or not
    // (IconResourceCost of its bytes; 1 for bytes outside the file).
    uint64_t DecodeCost(const IconChoice& choice) const;

private:
    std::vector<uint8_t> FBytes;
    bool FIconFile = false;
    std::vector<IconSourceResource> FGroups;  // an icon file: its directory
    std::vector<IconSourceResource> FIcons;   // by id; of equal ids the first in the table
};
