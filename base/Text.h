#pragma once
// Text conversion. Strings in memory are UTF-8; Win32 gets UTF-16 and file formats
// that store text as bytes get Shift-JIS (code page 932).
#include <cstddef>
#include <string>

std::wstring Utf8ToWide(const std::string& s);
std::string WideToUtf8(const std::wstring& s);
// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or stray bytes).
bool IsValidUtf8(const std::string& s);

// Shift-JIS bytes <-> UTF-8. Unconvertible characters become '?'.
std::string SjisToUtf8(const std::string& sjis);
std::string Utf8ToSjis(const std::string& utf8);

// Cuts Shift-JIS bytes to at most maxBytes without splitting a double-byte character.
std::string TruncateSjis(const std::string& sjis, std::size_t maxBytes);
bool IsSjisLeadByte(unsigned char c);

// ASCII helpers for file names and extensions.
std::string UpperAscii(std::string s);
std::string LowerAscii(std::string s);
