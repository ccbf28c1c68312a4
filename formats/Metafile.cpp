#include "formats/Metafile.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "base/ByteIO.h"

namespace {

constexpr uint32_t kEmrHeader = 1;
constexpr uint32_t kEmrEof = 14;
constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr std::size_t kEmfHeaderSize = 88;
constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kPlaceableSize = 22;
constexpr std::size_t kWmfHeaderSize = 18;
constexpr uint16_t kMetaSetWindowOrg = 0x020B;
constexpr uint16_t kMetaSetWindowExt = 0x020C;

int16_t I16At(const uint8_t* p) { return static_cast<int16_t>(GetLE16(p)); }
int32_t I32At(const uint8_t* p) { return static_cast<int32_t>(GetLE32(p)); }

bool FitsInt16(int64_t v) { return v >= -32768 && v <= 32767; }

void PutRecord(std::vector<uint8_t>& out, uint16_t function, std::initializer_list<int16_t> params) {
    const std::size_t at = out.size();
    out.resize(at + 6 + 2 * params.size());
    PutLE32(&out[at], static_cast<uint32_t>(3 + params.size()));
    PutLE16(&out[at + 4], function);
    std::size_t p = at + 6;
    for (int16_t v : params) {
        PutLE16(&out[p], static_cast<uint16_t>(v));
        p += 2;
    }
}

std::optional<TMetafilePicture> ReadEnhanced(const uint8_t* data, std::size_t size, int dpiX, int dpiY) {
    const uint32_t headerSize = GetLE32(data + 4);
    if (headerSize < kEmfHeaderSize || headerSize > size || headerSize % 4 != 0) return std::nullopt;
    // Every record must lie inside the data, up to the end record.
    std::size_t pos = 0, end = 0;
    uint32_t drawing = 0;
    while (end == 0) {
        if (size - pos < 8) return std::nullopt;
        const uint32_t type = GetLE32(data + pos), recordSize = GetLE32(data + pos + 4);
        if (recordSize < 8 || recordSize % 4 != 0 || recordSize > size - pos) return std::nullopt;
        if (pos == 0 && type != kEmrHeader) return std::nullopt;
        if (type == kEmrEof) end = pos + recordSize;
        else if (pos > 0) ++drawing;
        pos += recordSize;
    }
    if (drawing == 0) return std::nullopt;

    TMetafilePicture picture;
    picture.Kind = TMetafileKind::Enhanced;
    picture.Bits.assign(data, data + end);
    uint8_t* header = picture.Bits.data();
    PutLE32(header + 48, static_cast<uint32_t>(end));  // total bytes
    PutLE32(header + 52, drawing + 2);                 // records, header and end included
    // The frame in 0.01 mm; a file without one is taken at its bounds in device pixels, and
    // those bounds become its frame (the drawing maps the frame onto the picture).
    uint8_t* frame = header + 24;
    std::optional<TMetafileSize> drawn =
        MetafileDrawSize(int64_t{I32At(frame + 8)} - I32At(frame), int64_t{I32At(frame + 12)} - I32At(frame + 4), 2540,
                         2540, dpiX, dpiY);
    if (!drawn) {
        const uint8_t* bounds = header + 8;
        const int64_t w = int64_t{I32At(bounds + 8)} - I32At(bounds) + 1;
        const int64_t h = int64_t{I32At(bounds + 12)} - I32At(bounds + 4) + 1;
        // The reference device's size in pixels and in millimetres.
        const int64_t pixelsX = I32At(header + 72), pixelsY = I32At(header + 76);
        const int64_t mmX = I32At(header + 80), mmY = I32At(header + 84);
        if (w <= 0 || h <= 0 || pixelsX <= 0 || pixelsY <= 0 || mmX <= 0 || mmY <= 0) return std::nullopt;
        drawn = MetafileDrawSize(w, h, dpiX, dpiY, dpiX, dpiY);
        for (int i = 0; i < 4; ++i) {
            const int64_t edge = int64_t{I32At(bounds + 4 * i)} + (i >= 2 ? 1 : 0);
            const double hundredths = std::trunc(static_cast<double>(edge) * 100 * static_cast<double>(i % 2 == 0 ? mmX : mmY) /
                                                 static_cast<double>(i % 2 == 0 ? pixelsX : pixelsY));
            if (hundredths < INT32_MIN || hundredths > INT32_MAX) return std::nullopt;
            PutLE32(frame + 4 * i, static_cast<uint32_t>(static_cast<int32_t>(hundredths)));
        }
    }
    if (!drawn) return std::nullopt;
    picture.Size = *drawn;
    return picture;
}

std::optional<TMetafilePicture> ReadWindows(const uint8_t* data, std::size_t size, int dpiX, int dpiY) {
    TMetafilePicture picture;
    picture.Kind = TMetafileKind::Windows;
    std::size_t start = 0;
    int16_t left = 0, top = 0, right = 0, bottom = 0;
    uint16_t inch = 0;
    if (size >= kPlaceableSize && GetLE32(data) == kPlaceableKey) {
        picture.Kind = TMetafileKind::Placeable;
        left = I16At(data + 6);
        top = I16At(data + 8);
        right = I16At(data + 10);
        bottom = I16At(data + 12);
        inch = GetLE16(data + 14);
        if (!FitsInt16(int64_t{right} - left) || !FitsInt16(int64_t{bottom} - top)) return std::nullopt;
        std::optional<TMetafileSize> drawn =
            MetafileDrawSize(int64_t{right} - left, int64_t{bottom} - top, inch, inch, dpiX, dpiY);
        if (!drawn) return std::nullopt;
        picture.Size = *drawn;
        start = kPlaceableSize;
    }
    if (size - start < kWmfHeaderSize) return std::nullopt;
    const uint8_t* header = data + start;
    const uint16_t type = GetLE16(header), headerWords = GetLE16(header + 2), version = GetLE16(header + 4);
    if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x0100 && version != 0x0300)) return std::nullopt;

    // The records, checked one by one; a file that ends at a record boundary without its end
    // record is taken as it stands.
    std::vector<uint8_t> records;
    std::size_t pos = start + kWmfHeaderSize;
    uint32_t largest = 3;
    bool hasExtent = false;
    int16_t extentX = 0, extentY = 0;
    int drawing = 0;
    while (pos < size) {
        if (size - pos < 6) return std::nullopt;
        const uint32_t words = GetLE32(data + pos);
        const uint16_t function = GetLE16(data + pos + 4);
        if (words < 3 || words > (size - pos) / 2) return std::nullopt;
        if (function == 0) break;
        if (function == kMetaSetWindowExt && !hasExtent && words >= 5) {
            extentY = I16At(data + pos + 6);
            extentX = I16At(data + pos + 8);
            hasExtent = true;
        }
        if (function != kMetaSetWindowExt && function != kMetaSetWindowOrg) ++drawing;
        largest = std::max(largest, words);
        records.insert(records.end(), data + pos, data + pos + 2 * std::size_t{words});
        pos += 2 * std::size_t{words};
    }
    if (drawing == 0) return std::nullopt;

    if (picture.Kind == TMetafileKind::Windows) {
        if (hasExtent) {
            std::optional<TMetafileSize> drawn = MetafileDrawSize(extentX, extentY, dpiX, dpiY, dpiX, dpiY);
            if (!drawn) return std::nullopt;
            picture.Size = *drawn;
        } else {
            picture.HasFrame = false;
            picture.Size = {kMetafileMinSide, kMetafileMinSide};
        }
    }

    std::vector<uint8_t>& bits = picture.Bits;
    bits.assign(header, header + kWmfHeaderSize);
    if (picture.Kind == TMetafileKind::Placeable) {
        PutRecord(bits, kMetaSetWindowOrg, {top, left});
        PutRecord(bits, kMetaSetWindowExt,
                  {static_cast<int16_t>(bottom - top), static_cast<int16_t>(right - left)});
        largest = std::max<uint32_t>(largest, 5);
    }
    bits.insert(bits.end(), records.begin(), records.end());
    PutRecord(bits, 0, {});
    PutLE32(&bits[6], static_cast<uint32_t>(bits.size() / 2));  // size in words
    PutLE32(&bits[12], largest);                                   // largest record in words
    return picture;
}

} // namespace

std::optional<TMetafileSize> MetafileDrawSize(int64_t width, int64_t height, int64_t unitsPerInchX,
                                              int64_t unitsPerInchY, int dpiX, int dpiY) {
    width = std::llabs(width);
    height = std::llabs(height);
    if (width == 0 || height == 0 || unitsPerInchX <= 0 || unitsPerInchY <= 0 || dpiX <= 0 || dpiY <= 0)
        return std::nullopt;
    const double w = static_cast<double>(width) * dpiX / static_cast<double>(unitsPerInchX);
    const double h = static_cast<double>(height) * dpiY / static_cast<double>(unitsPerInchY);
    const double longer = std::max(w, h);
    double scale = 1.0;
    if (longer > kMetafileMaxSide) scale = kMetafileMaxSide / longer;
    else if (longer < kMetafileMinSide) scale = kMetafileMinSide / longer;
    auto side = [&](double v) {
        return static_cast<int>(std::clamp<long long>(std::llround(v * scale), 1, kMetafileMaxSide));
    };
    return TMetafileSize{side(w), side(h)};
}

std::optional<TMetafilePicture> ReadMetafile(const uint8_t* data, std::size_t size, int dpiX, int dpiY) {
    if (!data || size < kWmfHeaderSize) return std::nullopt;
    if (size >= kEmfHeaderSize && GetLE32(data) == kEmrHeader && GetLE32(data + 40) == kEmfSignature)
        return ReadEnhanced(data, size, dpiX, dpiY);
    return ReadWindows(data, size, dpiX, dpiY);
}
