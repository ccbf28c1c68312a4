#pragma once
// printf-style formatting into a std::string (UTF-8 texts pass through unchanged).
#include <string>

std::string Format(const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Path helpers in the style the program uses (both separators accepted).
std::string ExtractFilePath(const std::string& path);  // up to and including the last separator
std::string ExtractFileName(const std::string& path);
std::string ExtractFileExt(const std::string& path);   // ".ext" or ""
std::string ChangeFileExt(const std::string& path, const std::string& ext);
std::string IntToStr(long long v);
