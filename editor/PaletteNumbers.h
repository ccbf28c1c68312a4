#pragma once
// Line splitting and number reading shared by the palette text formats.
#include <optional>
#include <string>
#include <vector>

// Lines ended by CR LF, LF or CR; a last line without an end counts when it is not empty.
std::vector<std::string> SplitLines(const std::string& text);
// A whole decimal number of at most nine digits, optionally signed, blanks around it
// allowed; none for anything else.
std::optional<long> WholeInteger(const std::string& s);
