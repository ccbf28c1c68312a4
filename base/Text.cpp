#include "Text.h"

#include <cstdint>

namespace {

// Decodes one UTF-8 sequence at s[i]; returns U+FFFD for malformed input.
char32_t DecodeUtf8(const std::string& s, std::size_t& i) {
    auto byte = [&](std::size_t k) -> unsigned { return static_cast<unsigned char>(s[k]); };
    unsigned c = byte(i++);
    if (c < 0x80) return c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
    if (extra < 0 || c > 0xF4) return 0xFFFD;
    char32_t cp = c & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size() || (byte(i) & 0xC0) != 0x80) return 0xFFFD;
        cp = (cp << 6) | (byte(i++) & 0x3F);
    }
    static const char32_t minimum[] = {0, 0x80, 0x800, 0x10000};
    if (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0xFFFD;
    return cp;
}

void EncodeUtf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

bool IsValidUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t start = i;
        // A replacement character is malformed input unless the text holds U+FFFD itself.
        if (DecodeUtf8(s, i) == 0xFFFD && s.compare(start, i - start, "\xEF\xBF\xBD") != 0) return false;
    }
    return true;
}

std::wstring Utf8ToWide(const std::string& s) {
    std::wstring out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        char32_t cp = DecodeUtf8(s, i);
        if constexpr (sizeof(wchar_t) == 2) {
            if (cp >= 0x10000) {
                cp -= 0x10000;
                out += static_cast<wchar_t>(0xD800 + (cp >> 10));
                out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
                continue;
            }
        }
        out += static_cast<wchar_t>(cp);
    }
    return out;
}

std::string WideToUtf8(const std::wstring& s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t cp = static_cast<char32_t>(s[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<char32_t>(s[i + 1]) - 0xDC00);
                ++i;
            } else if (cp >= 0xD800 && cp <= 0xDFFF) {
                cp = 0xFFFD;
            }
        }
        EncodeUtf8(cp, out);
    }
    return out;
}

bool IsSjisLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

std::string TruncateSjis(const std::string& sjis, std::size_t maxBytes) {
    std::size_t i = 0;
    while (i < sjis.size()) {
        std::size_t len = IsSjisLeadByte(static_cast<unsigned char>(sjis[i])) && i + 1 < sjis.size() ? 2 : 1;
        if (i + len > maxBytes) break;
        i += len;
    }
    return sjis.substr(0, i);
}

std::string UpperAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string LowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}
