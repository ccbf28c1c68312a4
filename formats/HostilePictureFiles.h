#pragma once
// Pictures of hostile design, made in memory by the tests: files whose headers declare far
// more pixels than the import builds (formats/testdata/make_hostile_pictures.py makes the
// large ones, and sound files of extreme sizes, on disk).
#include <cstdint>
#include <vector>

#include "base/ByteIO.h"

// Six bytes of RLE8 (an end of line, and the end of the picture) that declare 32768 x 8192.
inline std::vector<uint8_t> RleBombBitmap() {
    ByteWriter w;
    w.Bytes("BM", 2);
    for (uint32_t v : {14u + 40 + 6, 0u, 14u + 40, 40u, 32768u, 8192u}) w.U32(v);
    w.U16(1);
    w.U16(8);
    for (uint32_t v : {1u, 6u, 0u, 0u, 0u, 0u}) w.U32(v);
    w.Bytes("\0\0\0\0\0\1", 6);
    return w.Data;
}

// A PNG of 16000 x 16000 grey whose image data is a few bytes (CRCs left zero).
inline std::vector<uint8_t> PngBombHeader() {
    return {0x89, 'P', 'N', 'G', 13,  10, 26, 10, 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0,   0,   0x3E, 0x80,
            0,    0,   0x3E, 0x80, 8, 0,  0,  0,  0, 0, 0, 0,  0,   0,   0,   2,   'I', 'D', 'A',  'T',
            0x78, 0xDA, 0, 0, 0, 0, 0, 0, 0, 0, 'I', 'E', 'N', 'D', 0, 0, 0, 0};
}
