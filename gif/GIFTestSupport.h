#pragma once
// Helpers shared by the codec's tests: frames built from pixel arrays, streams as byte vectors,
// and a record of warnings.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Stream.h"
#include "gif/GIFImage.h"

namespace giftest {

using Bytes = std::vector<uint8_t>;

inline std::vector<TGIFColor> GreyColors(int count) {
    std::vector<TGIFColor> colors;
    for (int i = 0; i < count; ++i) {
        auto v = static_cast<uint8_t>(count > 1 ? i * 255 / (count - 1) : 0);
        colors.push_back({v, static_cast<uint8_t>(255 - v), static_cast<uint8_t>(i * 7)});
    }
    return colors;
}

// Appends a frame with a local table of colorCount entries and the given pixels.
inline TGIFSubImage& AddFrame(TGIFImage& image, int width, int height, int colorCount, const Bytes& pixels,
                              bool interlaced = false) {
    auto frame = std::make_unique<TGIFSubImage>(&image);
    std::vector<TGIFColor> colors = GreyColors(colorCount);
    frame->ColorMap().ImportColorMap(colors.data(), colorCount);
    frame->DoSetBounds(0, 0, width, height);
    std::copy(pixels.begin(), pixels.end(), frame->Pixels().begin());
    frame->SetInterlaced(interlaced);
    TGIFSubImage& ref = *frame;
    image.Images().Add(std::move(frame));
    return ref;
}

inline Bytes SaveImage(TGIFImage& image) {
    TMemoryStream stream;
    image.SaveToStream(stream);
    return stream.Bytes();
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Pseudo-random pixels below colorCount (a fixed sequence).
inline Bytes NoisyPixels(int count, int colorCount, uint32_t seed = 12345) {
    Bytes out(static_cast<std::size_t>(count));
    for (auto& p : out) {
        seed = seed * 1103515245u + 12345u;
        p = static_cast<uint8_t>((seed >> 16) % static_cast<uint32_t>(colorCount));
    }
    return out;
}

struct TWarnings {
    std::vector<std::string> Messages;
    void Attach(TGIFImage& image) {
        image.OnWarning = [this](const void*, TGIFSeverity, const std::string& m) { Messages.push_back(m); };
    }
};

// Loads bytes into image, recording warnings.
inline void LoadImage(TGIFImage& image, const Bytes& bytes, TWarnings* warnings = nullptr) {
    if (warnings) warnings->Attach(image);
    TBytesStream stream(bytes.data(), static_cast<int64_t>(bytes.size()));
    image.LoadFromStream(stream);
}

inline Bytes FramePixels(TGIFImage& image, int index) {
    auto px = image.Images().GetImage(index)->Pixels();
    return Bytes(px.begin(), px.end());
}

// Packs codes least significant bit first with the given widths.
inline Bytes PackCodes(const std::vector<std::pair<int, int>>& codes) {
    Bytes out;
    uint32_t acc = 0;
    int bits = 0;
    for (auto [code, width] : codes) {
        acc |= static_cast<uint32_t>(code) << bits;
        bits += width;
        while (bits >= 8) {
            out.push_back(static_cast<uint8_t>(acc));
            acc >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0) out.push_back(static_cast<uint8_t>(acc));
    return out;
}

// Cuts data into sub-blocks of at most blockSize bytes and adds the terminator.
inline Bytes SubBlocks(const Bytes& data, std::size_t blockSize = 255) {
    Bytes out;
    for (std::size_t pos = 0; pos < data.size(); pos += blockSize) {
        std::size_t n = std::min(blockSize, data.size() - pos);
        out.push_back(static_cast<uint8_t>(n));
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(pos), data.begin() + static_cast<std::ptrdiff_t>(pos + n));
    }
    out.push_back(0);
    return out;
}

// A GIF89a screen of width x height with a 4-entry global table, no frames yet.
inline Bytes ScreenHeader(int width, int height) {
    Bytes h = Text("GIF89a");
    h.insert(h.end(), {static_cast<uint8_t>(width), static_cast<uint8_t>(width >> 8), static_cast<uint8_t>(height),
                       static_cast<uint8_t>(height >> 8), 0x91, 0, 0});
    h.insert(h.end(), {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255});
    return h;
}

inline Bytes Descriptor(int width, int height, uint8_t packed = 0) {
    return {0x2C, 0, 0, 0, 0, static_cast<uint8_t>(width), static_cast<uint8_t>(width >> 8), static_cast<uint8_t>(height),
            static_cast<uint8_t>(height >> 8), packed};
}

}  // namespace giftest
