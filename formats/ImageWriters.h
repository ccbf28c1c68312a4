#pragma once
// The single-image writers (.bmp, .ico, .cur) and the numbered sequences of the whole document.
#include <cstdint>
#include <string>
#include <vector>

#include "formats/AniFile.h"
#include "formats/ImageRecord.h"
#include "formats/WriteResult.h"

// Writes the bytes to the file through a temporary file; a failed write leaves whatever
// file stood at path as it was. True when written.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// The bytes of a 32x32 .bmp of the image as edited (Palette and Pixels): 630, 2102 or
// 190 bytes for 16, 256 or 2 colours.
std::vector<uint8_t> BuildBmpFile(const CCURSOR& image, AniSaveMode mode);
// 1 = written; 0 = the file could not be created or fully written (an existing file is left as it was).
WriteResult WriteBmpFile(const CCURSOR& image, AniSaveMode mode, const std::string& path);

// Whether WriteIconFile writes a cursor: unless the extension contains ".ICO" or ".ico".
bool IconPathIsCursor(const std::string& path);
// The bytes WriteIconFile writes to path (an existing file there is read for its other
// images); false when they cannot be made.
bool BuildIconFile(const CCURSOR& image, AniSaveMode mode, const std::string& path, std::vector<uint8_t>& bytes);
// Writes the image's Out copy into an icon or cursor file. An existing file keeps its
// other images: its last 32x32 image of the same depth is replaced, or the image is
// appended. 1 = written; 0 = the file could not be written (an existing file is left as it was).
WriteResult WriteIconFile(const CCURSOR& image, AniSaveMode mode, const std::string& path);

// "%s%s_%02d.ico", "%s%s_%02d.cur", "%s%s_%02d.bmp" (folder, name, number).
enum class NumberedKind { Ico, Cur, Bmp };
std::string NumberedFileName(const std::string& folder, const std::string& name, int number, NumberedKind kind);
// Writes image k of the list to NumberedFileName(folder, name, k, kind) for every k, as one
// save: the files are replaced only when every one of them was written; otherwise every
// old file keeps its bytes and no new file appears. True when all were written.
bool WriteNumberedFiles(const std::vector<const CCURSOR*>& images, const std::string& folder,
                        const std::string& name, NumberedKind kind, AniSaveMode mode);
