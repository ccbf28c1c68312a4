#pragma once
// The editor's palette as clipboard text (UTF-8 here; the clipboard carries it as
// Shift-JIS): one colour "QXRGBQUAD RR,GG,BB", or a range headed by "QXPALETTE", a
// warning line and the count, then one "RR,GG,BB" line per colour, lines ended by CR LF.
// A copy carries the colours the user sees (inverse entries complemented).
#include <optional>
#include <string>
#include <vector>

#include "base/Color.h"
#include "formats/ImageRecord.h"

inline constexpr const char* kColourTag = "QXRGBQUAD";
inline constexpr const char* kPaletteTag = "QXPALETTE";
inline constexpr const char* kPaletteHeader = "QXPALETTE <Pendrake1.2.2>";
inline constexpr const char* kPaletteWarning = "※変更するとプログラムがエラーを起こします！";

std::string FormatColourText(TColor shown);
// The colour after the tag within the text's first 26 characters, or none when the tag
// is not there. Missing numbers read 0.
std::optional<TColor> ParseColourText(const std::string& text);

// The displayed colours of entries min(a, b) .. max(a, b). With a = b it is the
// one-colour text instead.
std::string CopyPaletteText(const ImageRecord& image, int a, int b);

// A palette text read back: the count of its third line and the colours of the lines
// that follow (as many as the count asks, at most 256, since no paste stores more; a
// missing line reads like an empty one). None when the first line lacks the tag or the
// count is not a whole number of at least 1.
struct TPaletteText {
    int Count = 0;
    std::vector<TColor> Colours;
};
std::optional<TPaletteText> ParsePaletteText(const std::string& text);

// Pastes a palette text into entries from min(a, b): into the range a..b (at most its
// size), or, with insert, as many entries as the text holds into a gap opened at a.
// Each entry stores the text's values as they are and keeps its inverse flag, so an
// inverse entry shows the complement of the pasted colour; the pixels follow an insertion
// and otherwise keep their indices. False, with the image untouched, when the text is not
// a usable palette text.
bool PastePaletteText(ImageRecord& image, const std::string& text, int a, int b, bool insert);

// How the edit menu enables its paste items from the clipboard text.
bool ColourPasteEnabled(const std::string& text);
bool PalettePasteEnabled(const std::string& text);
