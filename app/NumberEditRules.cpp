#include "app/NumberEditRules.h"

#include <algorithm>
#include <cctype>

std::optional<int32_t> ParseDecimal(const std::string& text) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) i = 1;
    if (i >= text.size()) return std::nullopt;
    int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        v = v * 10 + (text[i] - '0');
        if (v > int64_t(INT32_MAX) + 1) return std::nullopt;
    }
    if (negative) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(v);
}

bool IsValidValue(const std::string& text, const TNumberBounds& bounds) {
    const std::optional<int32_t> v = ParseDecimal(text);
    if (!v) return false;
    if (!bounds.Bounded()) return true;
    return *v >= std::min(bounds.Min, bounds.Max) && *v <= std::max(bounds.Min, bounds.Max);
}

std::string InsertString(const std::string& text, const std::string& insertion, int length, int position) {
    const std::size_t at = static_cast<std::size_t>(std::clamp(position - 1, 0, static_cast<int>(text.size())));
    const std::size_t cut = std::min(static_cast<std::size_t>(std::max(length, 0)), text.size() - at);
    return text.substr(0, at) + insertion + text.substr(at + cut);
}

int32_t NumberValueOf(const std::string& text, const TNumberBounds& bounds) {
    return ParseDecimal(text).value_or(bounds.Min);
}

int32_t ClampNumber(int32_t value, const TNumberBounds& bounds) {
    if (!bounds.Bounded()) return value;
    return std::clamp(value, std::min(bounds.Min, bounds.Max), std::max(bounds.Min, bounds.Max));
}

bool AcceptsNumberKey(char16_t key, const TNumberEditState& s, const std::optional<std::string>& clipboard) {
    switch (key) {
    case 3:   // Ctrl+C
    case 8:   // Backspace
    case 24:  // Ctrl+X
    case 26:  // Ctrl+Z
        return true;
    case 22: {  // Ctrl+V
        if (!clipboard) return false;
        const std::string after = InsertString(s.Text, *clipboard, s.SelLength, s.SelStart + 1);
        std::string lower = after;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower.find('x') != std::string::npos) return false;
        if (s.MaxLength > 0 && static_cast<int>(after.size()) > s.MaxLength) return false;
        return IsValidValue(after, s.Bounds);
    }
    default: break;
    }
    if (key != u'-' && (key < u'0' || key > u'9')) return false;
    const std::string after =
        InsertString(s.Text, std::string(1, static_cast<char>(key)), s.SelLength, s.SelStart + 1);
    // A lone minus sign is the start of a negative number: only where one is allowed.
    if (after == "-") return !s.Bounds.Bounded() || std::min(s.Bounds.Min, s.Bounds.Max) < 0;
    return IsValidValue(after, s.Bounds);
}
