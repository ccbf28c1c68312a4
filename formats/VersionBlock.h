#pragma once
// The version block of icon libraries: VS_VERSION_INFO in the 16-bit layout (byte keys
// and values, Shift-JIS, no type words), one string table "041103A4" (Japanese, code
// page 932) and its translation.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kVersionItems = 10;
// The keys in block order: items 0 to 6 are the detail items, 7 the description, 8 the
// copyright, 9 the file version text.
extern const std::array<const char*, kVersionItems> kVersionKeys;

struct VersionValues {
    std::array<std::string, kVersionItems> Items;  // UTF-8 values; empty = no text
    uint16_t Version[4] = {0, 0, 0, 0};          // major, minor, release, build
};

// The "%d.%d.%d.%d" text of the four version numbers.
std::string VersionText(const uint16_t version[4]);
// "作成日: yyyy/mm/dd", the first detail line preset before the first block.
std::string CreationDateText(int year, int month, int day);
// The whole block. Values are cut to 255 Shift-JIS bytes on a character boundary.
std::vector<uint8_t> BuildVersionBlock(const VersionValues& values);
