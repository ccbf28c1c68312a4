#pragma once
// Metafile pictures (.WMF and .EMF), which the plug-in loader reads without a plug-in: what
// a file holds, checked record by record, and the size in pixels at which it is drawn.
// The drawing itself is the system's (Metafile_win.cpp).
//
// Size rule: the picture's own frame at the screen's resolution (an enhanced metafile's
// frame in 0.01 mm, a placeable metafile's bounding box in its units per inch, a plain
// Windows metafile's window extent in pixels, or without one what its drawing covers), scaled with its aspect kept so that the
// longer side lies between kMetafileMinSide and kMetafileMaxSide.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/Bitmap.h"

enum class TMetafileKind { Enhanced, Placeable, Windows };

constexpr int kMetafileMinSide = 32;    // a smaller frame is drawn this large: the images are 32x32
constexpr int kMetafileMaxSide = 1024;  // a hostile frame never asks for a larger bitmap
constexpr int64_t kMetafileMaxBytes = 64LL * 1024 * 1024;

struct TMetafileSize {
    int Width = 0;
    int Height = 0;
    bool operator==(const TMetafileSize&) const = default;
};

// A frame of width x height units, at unitsPerInch, drawn at dpiX x dpiY and bounded as the
// size rule says (every side at least 1 pixel). Nothing when the frame or the resolution is
// empty.
std::optional<TMetafileSize> MetafileDrawSize(int64_t width, int64_t height, int64_t unitsPerInchX,
                                              int64_t unitsPerInchY, int dpiX, int dpiY);

struct TMetafilePicture {
    TMetafileKind Kind = TMetafileKind::Enhanced;
    // Enhanced: the file's records up to and with the end record. Otherwise the plain Windows
    // metafile the system converts: its header and records, an end record always last; a
    // placeable file's bounding box becomes window origin and extent records at the start.
    std::vector<uint8_t> Bits;
    TMetafileSize Size;
    // A plain Windows metafile without a window extent has no frame of its own: it is drawn
    // in pixels, and its picture is what the drawing covers (Size is then only the smallest).
    bool HasFrame = true;
};

// The picture of a metafile's bytes; nothing when they are not a metafile, are broken (a
// record that leaves the data, a bad header or frame) or hold no drawing record.
std::optional<TMetafilePicture> ReadMetafile(const uint8_t* data, std::size_t size, int dpiX, int dpiY);

// Draws the metafile in the file onto a 24-bit picture on white, of the size ReadMetafile
// gives (Metafile_win.cpp), through the reader helper. False when the file cannot be read,
// holds no metafile, is broken or empty, or the system cannot draw it: the helper failed,
// faulted, ran out of time or answered with a picture of another size.
bool DrawMetafileFile(const std::string& path, TBitmap& out);
// The same drawing by the system in this process: only the reader helper calls it.
bool DrawMetafileInProcess(const std::string& path, TBitmap& out);
