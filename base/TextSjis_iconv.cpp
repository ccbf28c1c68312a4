// Shift-JIS conversion through iconv's CP932 tables (the native build).
#include "Text.h"

#include <iconv.h>

#include <cerrno>

namespace {

std::string Convert(const char* to, const char* from, const std::string& in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return in;
    std::string out;
    char buf[256];
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    while (left > 0) {
        char* dst = buf;
        size_t room = sizeof buf;
        size_t r = iconv(cd, &src, &left, &dst, &room);
        out.append(buf, static_cast<size_t>(dst - buf));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            out += '?';  // skip one unconvertible byte
            ++src;
            --left;
        }
    }
    iconv_close(cd);
    return out;
}

} // namespace

std::string SjisToUtf8(const std::string& sjis) { return Convert("UTF-8", "CP932", sjis); }
std::string Utf8ToSjis(const std::string& utf8) { return Convert("CP932", "UTF-8", utf8); }
