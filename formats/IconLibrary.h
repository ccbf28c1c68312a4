#pragma once
// Icon libraries (.icl, .dll): a 16-bit Windows module (MZ stub and NE header) that holds
// no code, only resources: one group icon and one icon per image, and optionally a
// version block.
#include <cstdint>
#include <string>
#include <vector>

#include "formats/AniFile.h"
#include "formats/ImageRecord.h"
#include "formats/WriteResult.h"

// One 8-byte entry of the resource table: a type entry (type id, count, two zero words)
// or the first eight bytes of a resource entry (offset and length in alignment units,
// flags, id).
class CDLLDATA {
public:
    uint16_t Offset = 0;  // type id or resource offset
    uint16_t Length = 0;  // count or resource length
    uint16_t Flags = 0;
    uint16_t Id = 0;
};

struct IconLibraryInput {
    std::vector<const CCURSOR*> Images;  // the image list in order (not owned)
    std::vector<std::string> Names;      // UTF-8, one per image; stored as at most 255 Shift-JIS bytes
    AniSaveMode SaveMode = AniSaveMode::Colours256;
    bool InsertVersion = false;
    std::vector<uint8_t> Version;  // the version block, when InsertVersion
};

// The sizes the layout is computed from (bytes; Shift = the alignment shift s, unit 2^s).
struct IconLibraryLayout {
    uint32_t Shift = 1;
    uint32_t TableBytes = 0;      // t: NE header and resource table
    uint32_t NameBytes = 0;       // u: resident-name table
    uint32_t GroupBytes = 0;      // W: one aligned group-icon resource
    uint32_t IconBytes = 0;       // V: one aligned icon resource
    uint32_t VersionBytes = 0;    // aligned version block
    uint32_t FileBytes = 0;
    uint32_t Align(uint32_t x) const { return (x + (1u << Shift) - 1) & ~((1u << Shift) - 1); }
};

IconLibraryLayout ComputeIconLibraryLayout(const IconLibraryInput& in);
// The resource table in table order (type entries and resource entries).
std::vector<CDLLDATA> IconLibraryTable(const IconLibraryInput& in, const IconLibraryLayout& layout);
// The file's bytes; empty when there is no image, more than 1000, or a name is missing.
std::vector<uint8_t> BuildIconLibrary(const IconLibraryInput& in);
// 1 = written; 0 = not writable or the file could not be written (a partial file is deleted).
WriteResult WriteIconLibrary(const std::string& path, const IconLibraryInput& in);
