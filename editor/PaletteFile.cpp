#include "PaletteFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>

#include "PaletteEdit.h"
#include "PaletteNumbers.h"
#include "base/ByteIO.h"
#include "base/Format.h"
#include "base/Stream.h"
#include "base/Text.h"

namespace {

constexpr std::size_t kMaxPaletteFileBytes = 1 << 20;  // far beyond any palette file; the rest is not read

// Up to three decimal numbers separated by blanks, in the manner of sscanf("%d %d %d"):
// reading stops at the first that is missing and the rest keep their values; each keeps
// its low 8 bits.
void ScanDecimalTriple(const std::string& s, int rgb[3]) {
    std::size_t p = 0;
    for (int k = 0; k < 3; ++k) {
        while (p < s.size() && std::isspace(static_cast<unsigned char>(s[p]))) ++p;
        bool negative = false;
        std::size_t q = p;
        if (q < s.size() && (s[q] == '-' || s[q] == '+')) negative = s[q++] == '-';
        if (q >= s.size() || !std::isdigit(static_cast<unsigned char>(s[q]))) return;
        unsigned v = 0;
        while (q < s.size() && std::isdigit(static_cast<unsigned char>(s[q]))) v = (v * 10 + unsigned(s[q++] - '0')) & 0xFF;
        rgb[k] = static_cast<int>((negative ? 0u - v : v) & 0xFF);
        p = q;
    }
}

// Copies whole and partial entries from the bytes; the reserved byte is always 0.
void ReadEntries(const std::vector<uint8_t>& bytes, std::size_t offset, ImagePalette& palette) {
    for (std::size_t i = 0; i < 1024 && offset + i < bytes.size(); ++i) {
        TRGBQuad& q = palette[i / 4];
        uint8_t v = bytes[offset + i];
        switch (i % 4) {
            case 0: q.Blue = v; break;
            case 1: q.Green = v; break;
            case 2: q.Red = v; break;
            default: q.Reserved = 0; break;
        }
    }
}

void PutEntries(ByteWriter& w, const ImagePalette& palette) {
    for (const TRGBQuad& q : palette) {
        w.U8(q.Blue);
        w.U8(q.Green);
        w.U8(q.Red);
        w.U8(0);
    }
}


}  // namespace

bool IsJascPalPath(const std::string& path) {
    const std::string ext = ExtractFileExt(path);
    for (const char* spelling : {".pal", ".PAL", ".Pal"})
        if (ext.find(spelling) != std::string::npos) return true;
    return false;
}

TPaletteReadResult ReadJascPal(const std::vector<uint8_t>& bytes, ImagePalette& palette) {
    std::vector<std::string> lines = SplitLines(std::string(bytes.begin(), bytes.end()));
    if (lines.empty() || lines[0].find("JASC-PAL") == std::string::npos) return TPaletteReadResult::NotJascPal;
    std::optional<long> count = lines.size() > 2 ? WholeInteger(lines[2]) : std::nullopt;
    if (!count || *count < 0) return TPaletteReadResult::NotJascPal;
    ImagePalette out{};
    int rgb[3] = {0, 0, 0};
    for (long i = 0; i < std::min(*count, 256L); ++i) {
        std::size_t line = static_cast<std::size_t>(i) + 3;
        if (line < lines.size()) ScanDecimalTriple(lines[line], rgb);
        out[static_cast<std::size_t>(i)] = TRGBQuad{static_cast<uint8_t>(rgb[2]), static_cast<uint8_t>(rgb[1]),
                                                    static_cast<uint8_t>(rgb[0]), 0};
    }
    palette = out;
    return TPaletteReadResult::Read;
}

TPaletteReadResult ReadBinaryPalette(const std::vector<uint8_t>& bytes, ImagePalette& palette) {
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), "KHPF", 4) == 0) {
        if (bytes.size() < 8 || GetLE32(bytes.data() + 4) != 256) return TPaletteReadResult::Unsupported;
        ReadEntries(bytes, 8, palette);
        return TPaletteReadResult::Read;
    }
    static const char kMark[] = "D-Pixed";
    const std::size_t end = std::min<std::size_t>(bytes.size(), 144);
    for (std::size_t at = 4; at + 7 <= end; ++at)
        if (std::memcmp(bytes.data() + at, kMark, 7) == 0) {
            ReadEntries(bytes, 144, palette);
            return TPaletteReadResult::Read;
        }
    return TPaletteReadResult::Unsupported;
}

std::vector<uint8_t> WriteJascPal(const ImageRecord& image) {
    std::string text = "JASC-PAL\r\n0100\r\n256\r\n";
    for (int i = 0; i < 256; ++i) {
        TColor c = DisplayedColour(image, i);
        text += Format("%d %d %d\r\n", RedOf(c), GreenOf(c), BlueOf(c));
    }
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> WriteKhpf(const ImagePalette& palette) {
    ByteWriter w;
    w.Text("KHPF");
    w.U32(256);
    PutEntries(w, palette);
    return w.Data;
}

std::vector<uint8_t> WriteDPixed(const ImagePalette& palette) {
    ByteWriter w;
    std::string header = "PF\n D-Pixed ver.2.00 for Windows95\n 256 color Palette file\n Written by Tamsolo\n";
    header.resize(128, '\0');
    w.Text(header);
    w.U32(256);
    w.U32(0);
    w.U32(256);
    w.U32(0);
    PutEntries(w, palette);
    return w.Data;
}

TPaletteReadResult ReadPaletteFile(const std::string& path, ImagePalette& palette) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(OpenFileUtf8(path, "rb"), &std::fclose);
    if (!f) return TPaletteReadResult::CannotOpen;
    std::vector<uint8_t> bytes(kMaxPaletteFileBytes);
    std::size_t n = std::fread(bytes.data(), 1, bytes.size(), f.get());
    if (std::ferror(f.get())) return TPaletteReadResult::CannotOpen;
    bytes.resize(n);
    ImagePalette result = palette;
    TPaletteReadResult r =
        IsJascPalPath(path) ? ReadJascPal(bytes, result) : ReadBinaryPalette(bytes, result);
    if (r == TPaletteReadResult::Read) palette = result;
    return r;
}

bool WritePaletteFile(const std::string& path, TPaletteFileFormat format, const ImageRecord& image) {
    std::vector<uint8_t> bytes = format == TPaletteFileFormat::JascPal ? WriteJascPal(image)
                                 : format == TPaletteFileFormat::Khpf  ? WriteKhpf(image.Palette)
                                                                       : WriteDPixed(image.Palette);
    return WriteWholeFile(path, bytes.data(), bytes.size());
}

std::string PaletteReadMessage(TPaletteReadResult result, const std::string& path) {
    switch (result) {
        case TPaletteReadResult::Read: return "";
        case TPaletteReadResult::CannotOpen: return "ファイルが開けません!";
        case TPaletteReadResult::NotJascPal: return path + "\nはJASC-PALファイルではありません。";
        case TPaletteReadResult::Unsupported: return "未対応ファイルです!";
    }
    return "";
}
