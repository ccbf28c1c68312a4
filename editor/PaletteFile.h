#pragma once
// Palette files: JASC-PAL text (displayed colours, "R G B" lines), KHPF and D-Pixed
// binaries (entries as stored: blue, green, red, 0). Readers take bytes and start from
// the palette they are given, so a short binary file leaves the later entries as they were.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "formats/ImageRecord.h"

enum class TPaletteFileFormat { JascPal, Khpf, DPixed };

constexpr std::size_t kKhpfBytes = 1032;
constexpr std::size_t kDPixedBytes = 1168;

enum class TPaletteReadResult {
    Read,
    CannotOpen,     // "ファイルが開けません!"
    NotJascPal,     // the path, then "\nはJASC-PALファイルではありません。"
    Unsupported,    // "未対応ファイルです!": neither KHPF with 256 entries nor D-Pixed
};

// True when the file is read as JASC-PAL text: its extension contains ".pal", ".PAL" or
// ".Pal". Every other file is read as binary and told apart by its content.
bool IsJascPalPath(const std::string& path);

// JASC-PAL: the palette becomes black, then the count of line 3 (at most 256) lines of
// "R G B" fill it from entry 0. Lines may end in CR LF, LF or CR.
TPaletteReadResult ReadJascPal(const std::vector<uint8_t>& bytes, ImagePalette& palette);
// KHPF (count 256) or D-Pixed ("D-Pixed" within bytes 4..143), told apart by the content.
TPaletteReadResult ReadBinaryPalette(const std::vector<uint8_t>& bytes, ImagePalette& palette);

std::vector<uint8_t> WriteJascPal(const ImageRecord& image);  // displayed colours
std::vector<uint8_t> WriteKhpf(const ImagePalette& palette);
std::vector<uint8_t> WriteDPixed(const ImagePalette& palette);

// Reads a palette file into `palette` (untouched unless Read): JASC-PAL text by its
// extension, otherwise KHPF or D-Pixed by its content.
TPaletteReadResult ReadPaletteFile(const std::string& path, ImagePalette& palette);
// Writes the image's palette in the format; false when the file cannot be created or written.
bool WritePaletteFile(const std::string& path, TPaletteFileFormat format, const ImageRecord& image);

// The message the editor shows for a failed read (empty for Read).
std::string PaletteReadMessage(TPaletteReadResult result, const std::string& path);
