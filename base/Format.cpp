#include "Format.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

std::string Format(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    va_list ap2;
    va_copy(ap2, ap);
    int n = std::vsnprintf(nullptr, 0, fmt, ap);
    va_end(ap);
    std::string out;
    if (n > 0) {
        std::vector<char> buf(static_cast<std::size_t>(n) + 1);
        std::vsnprintf(buf.data(), buf.size(), fmt, ap2);
        out.assign(buf.data(), static_cast<std::size_t>(n));
    }
    va_end(ap2);
    return out;
}

namespace {
std::size_t LastSeparator(const std::string& path) { return path.find_last_of("\\/:"); }
} // namespace

std::string ExtractFilePath(const std::string& path) {
    std::size_t p = LastSeparator(path);
    return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}

std::string ExtractFileName(const std::string& path) {
    std::size_t p = LastSeparator(path);
    return p == std::string::npos ? path : path.substr(p + 1);
}

std::string ExtractFileExt(const std::string& path) {
    std::string name = ExtractFileName(path);
    std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
    std::string e = ExtractFileExt(path);
    return path.substr(0, path.size() - e.size()) + ext;
}

std::string IntToStr(long long v) { return std::to_string(v); }
