// The .ani writer and the icon-data builders it shares with the other icon writers.
#include "formats/AniFile.h"

#include <algorithm>
#include <cstring>

#include "base/ByteIO.h"
#include "base/Palette.h"
#include "base/Stream.h"
#include "base/Text.h"

namespace {

// The standard 16-colour palette of written 16-colour icons (blue, green, red, 0).
constexpr TRGBQuad kStandard16[16] = {
    {0, 0, 0, 0},     {0, 0, 128, 0},   {0, 128, 0, 0},   {0, 128, 128, 0}, {128, 0, 0, 0},   {128, 0, 128, 0},
    {128, 128, 0, 0}, {128, 128, 128, 0}, {192, 192, 192, 0}, {0, 0, 255, 0},   {0, 255, 0, 0},   {0, 255, 255, 0},
    {255, 0, 0, 0},   {255, 0, 255, 0}, {255, 255, 0, 0}, {255, 255, 255, 0},
};

struct ModeLayout {
    uint16_t BitCount;
    uint32_t PaletteBytes;
    uint32_t BitBytes;
    uint32_t Colours;
};

ModeLayout LayoutOf(AniSaveMode mode) {
    const int bits = BitsPerPixelOf(mode);
    const uint32_t colours = 1u << bits;
    return {static_cast<uint16_t>(bits), 4 * colours, static_cast<uint32_t>(kIndexBytes * bits / 8 + kMaskBytes), colours};
}

bool IsWhiteOrNearer(const TRGBQuad& q) { return q.Red + q.Green + q.Blue >= 383; }

bool SameRgb(const TRGBQuad& q, uint8_t r, uint8_t g, uint8_t b) { return q.Red == r && q.Green == g && q.Blue == b; }

// Packs one-bit rows, bit 7 = leftmost pixel, 4 bytes a row, bottom row first.
void PutPackedBit(uint8_t* bits, int storageIndex, bool on) {
    if (on) bits[storageIndex / 8] |= static_cast<uint8_t>(0x80 >> (storageIndex % 8));
}

// A padded INFO text: Shift-JIS bytes, a zero, and one more zero when that is odd.
std::string PaddedInfoText(const std::string& utf8) {
    std::string s = TruncateSjis(Utf8ToSjis(utf8), kMaxInfoText);
    s.push_back('\0');
    if (s.size() % 2) s.push_back('\0');
    return s;
}

bool InputWritable(const AniWriteInput& in) {
    std::size_t n = in.Images.size();
    if (n == 0 || n > static_cast<std::size_t>(kMaxImages)) return false;
    for (const CCURSOR* c : in.Images)
        if (!c) return false;
    if (!in.InsertFram) return true;
    if (in.FrameImages.empty() || in.FrameImages.size() > static_cast<std::size_t>(kMaxFrames) ||
        in.FrameImages.size() != in.FrameSpeeds.size())
        return false;
    for (int img : in.FrameImages)
        if (img < 0 || static_cast<std::size_t>(img) >= n) return false;
    return true;
}

void WriteImageData(ByteWriter& w, const CCURSOR& image, AniSaveMode mode) {
    switch (mode) {
    case AniSaveMode::Colours16: {
        uint8_t pal[64], bits[640];
        Build16ColourData(pal, bits, image.OutPixels, image.OutPalette);
        w.Bytes(pal, sizeof pal);
        w.Bytes(bits, sizeof bits);
        return;
    }
    case AniSaveMode::Colours2: {
        uint8_t pal[8], bits[256];
        Build2ColourData(pal, bits, image);
        w.Bytes(pal, sizeof pal);
        w.Bytes(bits, sizeof bits);
        return;
    }
    case AniSaveMode::Colours256: break;
    }
    w.Bytes(image.OutPalette.data(), sizeof image.OutPalette);
    w.Bytes(image.OutPixels.Bytes, sizeof image.OutPixels.Bytes);
}

} // namespace

int BitsPerPixelOf(AniSaveMode mode) {
    switch (mode) {
    case AniSaveMode::Colours16: return 4;
    case AniSaveMode::Colours2: return 1;
    case AniSaveMode::Colours256: break;
    }
    return 8;
}

uint32_t AniImageBytes(AniSaveMode mode) {
    ModeLayout l = LayoutOf(mode);
    return 40 + l.PaletteBytes + l.BitBytes;
}

bool AniSequenceNeeded(const std::vector<int>& frameImages, std::size_t imageCount) {
    if (frameImages.size() != imageCount) return true;
    for (std::size_t i = 0; i < frameImages.size(); ++i)
        if (frameImages[i] != static_cast<int>(i)) return true;
    return false;
}

std::vector<uint8_t> BuildAniFile(const AniWriteInput& in) {
    if (!InputWritable(in)) return {};
    const uint32_t c = AniImageBytes(in.SaveMode);
    const uint32_t n = static_cast<uint32_t>(in.Images.size());
    const uint32_t f = in.InsertFram ? static_cast<uint32_t>(in.FrameImages.size()) : 0;
    const uint32_t m = in.InsertMonoCur ? 1 : 0;
    const bool sequence = in.InsertFram && AniSequenceNeeded(in.FrameImages, n);
    auto rate = [](int r) { return static_cast<uint32_t>(std::clamp(r, kMinRate, kMaxRate)); };

    ByteWriter w;
    w.Text("RIFF");
    w.U32(0);  // patched below
    w.Text("ACON");
    if (in.InsertInfo) {
        std::string title = PaddedInfoText(in.Title), author = PaddedInfoText(in.Author);
        w.Text("LIST");
        w.U32(static_cast<uint32_t>(20 + title.size() + author.size()));
        w.Text("INFO");
        w.Text("INAM");
        w.U32(static_cast<uint32_t>(title.size()));
        w.Text(title);
        w.Text("IART");
        w.U32(static_cast<uint32_t>(author.size()));
        w.Text(author);
    }
    w.Text("anih");
    w.U32(36);
    for (uint32_t v : {36u, n, in.InsertFram ? f : n, 0u, 0u, 0u, 0u, rate(in.DefaultRate), sequence ? 3u : 1u})
        w.U32(v);
    if (in.InsertFram) {
        w.Text("rate");
        w.U32(4 * f);
        for (int s : in.FrameSpeeds) w.U32(rate(s));
        if (sequence) {
            w.Text("seq ");
            w.U32(4 * f);
            for (int img : in.FrameImages) w.U32(static_cast<uint32_t>(img));
        }
    }
    w.Text("LIST");
    w.U32(4 + n * (c + 30) + m * 320);
    w.Text("fram");
    for (uint32_t i = 0; i < n; ++i) {
        const CCURSOR& image = *in.Images[i];
        const bool withMono = m && i == 0;
        w.Text("icon");
        w.U32(c + 22 + (withMono ? 320 : 0));
        w.U16(0);
        w.U16(2);
        w.U16(withMono ? 2 : 1);
        w.U8(32);
        w.U8(32);
        w.U8(in.SaveMode == AniSaveMode::Colours16 && !m ? 16 : 0);
        w.U8(0);
        w.U16(in.UniteHotspot ? static_cast<uint32_t>(in.UniHotX) : image.HotX);
        w.U16(in.UniteHotspot ? static_cast<uint32_t>(in.UniHotY) : image.HotY);
        w.U32(c);
        w.U32(withMono ? 38 : 22);
        if (withMono) {
            w.U8(32);
            w.U8(32);
            w.U8(0);
            w.U8(0);
            w.U16(static_cast<uint32_t>(in.MonoX));
            w.U16(static_cast<uint32_t>(in.MonoY));
            w.U32(kMonoRecordBytes);
            w.U32(c + 38);
        }
        const std::vector<uint8_t> icon = AniIconImage(image, in.SaveMode);
        w.Bytes(icon.data(), icon.size());
        if (withMono) w.Bytes(in.MonoCursor.Bytes, kMonoRecordBytes);
    }
    PutLE32(w.Data.data() + 4, static_cast<uint32_t>(w.Data.size() - 8));
    return std::move(w.Data);
}

std::vector<uint8_t> AniIconImage(const CCURSOR& image, AniSaveMode mode) {
    const ModeLayout layout = LayoutOf(mode);
    ByteWriter w;
    for (uint32_t v : {40u, 32u, 64u}) w.U32(v);
    w.U16(1);
    w.U16(layout.BitCount);
    for (uint32_t v : {0u, layout.BitBytes, 0u, 0u, layout.Colours, 0u}) w.U32(v);
    WriteImageData(w, image, mode);
    return std::move(w.Data);
}

WriteResult WriteAniFile(const std::string& path, const AniWriteInput& in) {
    std::vector<uint8_t> bytes = BuildAniFile(in);
    if (bytes.empty()) return WriteResult::NotWritten;
    return WrittenIf(WriteWholeFile(path, bytes.data(), bytes.size()));
}

void Build16ColourData(uint8_t outPalette[64], uint8_t outBits[640], const PixelBlock& pixels,
                       const ImagePalette& palette) {
    // The distinct indices in order of first appearance; slot[i] = their rank.
    int slot[256];
    std::fill(std::begin(slot), std::end(slot), -1);
    uint8_t distinct[256];
    int count = 0;
    bool anyAbove15 = false;
    for (int p = 0; p < kIndexBytes; ++p) {
        uint8_t i = pixels.Bytes[p];
        if (slot[i] < 0) {
            slot[i] = count;
            distinct[count++] = i;
        }
        anyAbove15 = anyAbove15 || i > 15;
    }
    TRGBQuad out[16];
    std::copy(std::begin(kStandard16), std::end(kStandard16), out);
    uint8_t mapped[kIndexBytes];
    if (count <= 16 && !anyAbove15) {
        std::copy(palette.begin(), palette.begin() + 16, out);
        std::copy(pixels.Bytes, pixels.Bytes + kIndexBytes, mapped);
    } else if (count <= 16) {
        for (int k = 0; k < count; ++k) {
            const TRGBQuad& q = palette[distinct[k]];
            out[k] = TRGBQuad{q.Blue, q.Green, q.Red, 0};
        }
        for (int p = 0; p < kIndexBytes; ++p) mapped[p] = static_cast<uint8_t>(slot[pixels.Bytes[p]]);
    } else {
        int nearest[256];
        for (int k = 0; k < count; ++k)
            nearest[distinct[k]] = NearestPaletteIndex(kStandard16, 16, QuadToColor(palette[distinct[k]]));
        for (int p = 0; p < kIndexBytes; ++p) mapped[p] = static_cast<uint8_t>(nearest[pixels.Bytes[p]]);
    }
    std::memcpy(outPalette, out, 64);
    for (int p = 0; p < kIndexBytes; p += 2) outBits[p / 2] = static_cast<uint8_t>((mapped[p] << 4) | mapped[p + 1]);
    std::memcpy(outBits + 512, pixels.Mask(), kMaskBytes);
}

void Build2ColourData(uint8_t outPalette[8], uint8_t outBits[256], const CCURSOR& image) {
    std::memset(outBits, 0, 256);
    const ImagePalette& pal = image.Palette;
    const bool twoColourForm = SameRgb(pal[0], 0, 0, 0) && SameRgb(pal[1], 255, 255, 255) &&
                               SameRgb(pal[2], 0, 128, 128) && SameRgb(pal[3], 0, 128, 128) && image.Inverse[2];
    if (twoColourForm) {
        for (int p = 0; p < kIndexBytes; ++p) {
            uint8_t i = image.Pixels.Bytes[p];
            bool colour, mask;
            if (i <= 3) {
                colour = i == 1 || i == 2;
                mask = i >= 2;
            } else {  // a colour the editor added: opaque, nearer of black and white
                colour = IsWhiteOrNearer(pal[i]);
                mask = false;
            }
            PutPackedBit(outBits, p, colour);
            PutPackedBit(outBits + 128, p, mask);
        }
    } else {
        for (int p = 0; p < kIndexBytes; ++p)
            PutPackedBit(outBits, p, IsWhiteOrNearer(image.OutPalette[image.OutPixels.Bytes[p]]));
        std::memcpy(outBits + 128, image.OutPixels.Mask(), kMaskBytes);
    }
    const uint8_t bw[8] = {0, 0, 0, 0, 255, 255, 255, 0};
    std::memcpy(outPalette, bw, 8);
}
