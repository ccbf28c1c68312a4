#include "PaletteText.h"

#include <algorithm>
#include <cstdlib>

#include "PaletteEdit.h"
#include "PaletteNumbers.h"
#include "base/Format.h"
#include "base/Palette.h"

namespace {

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Reads up to three hexadecimal numbers separated by commas, in the manner of
// sscanf("%x,%x,%x"): it stops at the first number or comma that is missing, and the
// values not read keep what `rgb` held. Each keeps its low 8 bits.
void ScanHexTriple(const std::string& s, int rgb[3]) {
    std::size_t p = 0;
    for (int k = 0; k < 3; ++k) {
        if (k > 0) {
            if (p >= s.size() || s[p] != ',') return;
            ++p;
        }
        while (p < s.size() && (s[p] == ' ' || s[p] == '\t')) ++p;
        if (p + 1 < s.size() && s[p] == '0' && (s[p + 1] == 'x' || s[p + 1] == 'X') && p + 2 < s.size() &&
            IsHex(s[p + 2]))
            p += 2;
        if (p >= s.size() || !IsHex(s[p])) return;
        unsigned v = 0;
        while (p < s.size() && IsHex(s[p])) {
            char c = s[p++];
            unsigned d = c <= '9' ? unsigned(c - '0') : unsigned((c | 0x20) - 'a' + 10);
            v = (v << 4) | d;  // only the low 8 bits are kept, so overflow does not matter
        }
        rgb[k] = static_cast<int>(v & 0xFF);
    }
}

TColor ColourOf(const int rgb[3]) {
    return MakeColor(static_cast<uint8_t>(rgb[0]), static_cast<uint8_t>(rgb[1]), static_cast<uint8_t>(rgb[2]));
}

std::string Hex3(TColor c) { return Format("%02X,%02X,%02X", RedOf(c), GreenOf(c), BlueOf(c)); }

}  // namespace

std::string FormatColourText(TColor shown) { return std::string(kColourTag) + " " + Hex3(shown); }

std::optional<TColor> ParseColourText(const std::string& clipboard) {
    const std::string text = clipboard.substr(0, 26);  // the single colour is read from the first 26 characters
    std::size_t at = text.find(kColourTag);
    if (at == std::string::npos) return std::nullopt;
    std::string rest = text.substr(at + std::string(kColourTag).size());
    rest = rest.substr(std::min(rest.find_first_not_of(" \t"), rest.size()));
    int rgb[3] = {0, 0, 0};
    ScanHexTriple(rest, rgb);
    return ColourOf(rgb);
}

std::string CopyPaletteText(const ImageRecord& image, int a, int b) {
    a &= 255;
    b &= 255;
    if (a == b) return FormatColourText(DisplayedColour(image, a));
    const int start = std::min(a, b), n = std::abs(b - a) + 1;
    std::string text = std::string(kPaletteHeader) + "\r\n" + kPaletteWarning + "\r\n" + std::to_string(n);
    for (int i = 0; i < n; ++i) text += "\r\n" + Hex3(DisplayedColour(image, start + i));
    return text;
}

std::optional<TPaletteText> ParsePaletteText(const std::string& text) {
    std::vector<std::string> lines = SplitLines(text);
    if (lines.empty() || lines[0].find(kPaletteTag) == std::string::npos) return std::nullopt;
    std::optional<long> count = lines.size() > 2 ? WholeInteger(lines[2]) : std::nullopt;
    if (!count || *count < 1) return std::nullopt;
    TPaletteText out;
    out.Count = static_cast<int>(std::min<long>(*count, 1 << 20));
    int rgb[3] = {0, 0, 0};
    for (int i = 0; i < std::min(out.Count, 256); ++i) {
        std::size_t line = static_cast<std::size_t>(i) + 3;
        if (line < lines.size()) ScanHexTriple(lines[line], rgb);
        out.Colours.push_back(ColourOf(rgb));
    }
    return out;
}

bool PastePaletteText(ImageRecord& image, const std::string& text, int a, int b, bool insert) {
    std::optional<TPaletteText> pal = ParsePaletteText(text);
    if (!pal || a < 0 || a > 255 || b < 0 || b > 255) return false;
    int start = std::min(a, b), count = std::abs(b - a) + 1;
    if (insert) {
        start = a;
        count = pal->Count;
        InsertPaletteGap(image, a, count);
    } else {
        count = std::min(count, pal->Count);
    }
    for (int i = 0; i < count && start + i < 256; ++i)
        image.Palette[static_cast<std::size_t>(start + i)] = ColorToQuad(pal->Colours[static_cast<std::size_t>(i)]);
    return true;
}

bool ColourPasteEnabled(const std::string& text) {
    return text.size() == 19 || text.find(kColourTag) != std::string::npos;
}

bool PalettePasteEnabled(const std::string& text) {
    return text.size() == 3079 || text.find(kPaletteTag) != std::string::npos;
}
