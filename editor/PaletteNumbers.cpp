#include "PaletteNumbers.h"

#include <cstdlib>

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

std::optional<long> WholeInteger(const std::string& s) {
    std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return std::nullopt;
    std::string t = s.substr(b, s.find_last_not_of(" \t") - b + 1);
    std::size_t p = (t[0] == '-' || t[0] == '+') ? 1 : 0;
    if (p == t.size() || t.size() - p > 9) return std::nullopt;
    for (std::size_t i = p; i < t.size(); ++i)
        if (t[i] < '0' || t[i] > '9') return std::nullopt;
    return std::strtol(t.c_str(), nullptr, 10);
}
