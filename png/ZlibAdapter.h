#pragma once
// A thin layer over zlib's deflate and inflate that owns one exchange buffer and talks
// to the chunk layer through a callback, and the PNG row filters on top of it.
#include <zlib.h>

#include <cstdint>
#include <functional>
#include <vector>

struct TGLDZLIBInfo {
    TGLDZLIBInfo();
    ~TGLDZLIBInfo();
    TGLDZLIBInfo(const TGLDZLIBInfo&) = delete;
    TGLDZLIBInfo& operator=(const TGLDZLIBInfo&) = delete;

    void* Owner = nullptr;  // the reader or writer the callback works for; not owned
    z_stream Stream{};
    std::vector<uint8_t> Buffer;  // output buffer when compressing, input buffer when decompressing
    int BufferSize = 0;
    // Drain (compressing: Buffer holds BufferSize - Stream.avail_out bytes) or fill
    // (decompressing: put bytes into Buffer, set Stream.next_in/avail_in). 0 = go on.
    std::function<int(TGLDZLIBInfo&)> Callback;

    bool FInflating = false;  // inflateInit succeeded and inflateEnd is due
    bool FDeflating = false;  // deflateInit succeeded and deflateEnd is due
};

struct TRUDEDIInfo : TGLDZLIBInfo {
    int RowLength = 0;            // bytes of one filtered row, filter byte included
    uint8_t* CurRow = nullptr;    // writing: row bytes without filter byte; reading: with it
    uint8_t* PrevRow = nullptr;   // same layout, zeroed at the start of every pass
    int BitsPerPixel = 0;
    int FilterMode = 1;           // TRUDEDIFilterType
    int PngBits = 8;              // the writer's class: 1, 4, 8, 24 or 32
    uint8_t* OutRow = nullptr;    // filter byte + filtered bytes
    uint8_t* TrialRow = nullptr;  // same
    uint32_t* Histogram = nullptr;  // 256 counters
};

constexpr int ZLIBReadBufferSize = 32768;
// A decoder result for "the data ended, or stopped making progress, before the rows were full".
constexpr int ZLIBShortData = -100;

int ZLIBDecodeInit(TGLDZLIBInfo& info);
// Fills count bytes. Returns 0 or 1 (stream end exactly at the last byte), the fill callback's
// non-zero result, a negative zlib error, or ZLIBShortData.
int ZLIBDecode(TGLDZLIBInfo& info, uint8_t* dest, int count);
void ZLIBDecodeFlush(TGLDZLIBInfo& info);
int ZLIBDecodeFinish(TGLDZLIBInfo& info);
int png_read_line(TRUDEDIInfo& info);

int ZLIBEncodeInit(TGLDZLIBInfo& info, int level, int size);
int ZLIBEncode(TGLDZLIBInfo& info, const uint8_t* data, int count);
int ZLIBEncodeFlush(TGLDZLIBInfo& info);
int ZLIBEncodeFinish(TGLDZLIBInfo& info);
int png_write_line(TRUDEDIInfo& info);

// Row filters (exposed for tests). bpp is the filter's bytes per pixel.
int PngBytesPerPixel(int bitsPerPixel);
// Undoes filter type 0..4 in place; false for any other type.
bool PngUnfilterRow(int type, uint8_t* row, const uint8_t* prev, int n, int bpp);
// Writes filter type 1..4 of cur (against prev) into out (n bytes, no type byte).
void PngFilterRow(int type, uint8_t* out, const uint8_t* cur, const uint8_t* prev, int n, int bpp);
// Score of a row of m bytes for the adaptive choice (-1: keep this row as it is).
int PngRowScore(const uint8_t* row, int m, int bitsPerPixel, uint32_t* histogram);
