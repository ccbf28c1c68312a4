#pragma once
// Our own bounded check of a file's structure before a system loader (ExtractIconExW,
// LoadCursorFromFileW, LoadImageW) reads it, for those loaders trust what the file says.
// Accepted: icon and cursor files whose directory and images lie inside the file with sane
// headers; 16-bit NE and 32/64-bit PE modules whose resource tables, group icons and icons do;
// animated cursors whose chunks do. Anything else is refused and never handed on.
#include <string>

#include "formats/ByteSource.h"

// What the icon picker may hand to the system: an icon or cursor file or a module with icons.
SourceCheck CheckIconSource(TByteSource& source);
// What a cursor loader may read: a cursor or icon file, or an animated cursor.
SourceCheck CheckCursorFile(TByteSource& source);
// The same for a file on disk (UTF-8 path); a file that cannot be read is refused.
SourceCheck CheckIconSourceFile(const std::string& path);
SourceCheck CheckCursorFileAt(const std::string& path);
