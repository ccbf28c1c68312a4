#pragma once
// The rules of the number edit (TNumberEdit): which text is a whole number within its
// bounds, and which keystroke or paste may change the text.
#include <cstdint>
#include <optional>
#include <string>

// A decimal integer: an optional "-" and at least one digit, nothing else, within 32 bits.
std::optional<int32_t> ParseDecimal(const std::string& text);

// Equal bounds mean no bounds.
struct TNumberBounds {
    int32_t Min = 0;
    int32_t Max = 0;
    bool Bounded() const { return Min != Max; }
};

// False when the text is no integer; true without bounds; otherwise whether it lies within them.
bool IsValidValue(const std::string& text, const TNumberBounds& bounds);
// The text with `length` characters removed at the 1-based `position` and `insertion` put there.
std::string InsertString(const std::string& text, const std::string& insertion, int length, int position);
// The value of a text: "-" alone and text that is no integer give the lower bound.
int32_t NumberValueOf(const std::string& text, const TNumberBounds& bounds);
// A value clamped into the bounds.
int32_t ClampNumber(int32_t value, const TNumberBounds& bounds);

// What the key filter sees of the edit when a character arrives.
struct TNumberEditState {
    std::string Text;
    int SelStart = 0;   // 0-based
    int SelLength = 0;
    int MaxLength = 0;  // positive: the longest text
    TNumberBounds Bounds;
};
// Whether a character may reach the text. Ctrl+V (22) checks the paste of `clipboard`
// (nullopt: the clipboard holds no text).
bool AcceptsNumberKey(char16_t key, const TNumberEditState& state, const std::optional<std::string>& clipboard);
