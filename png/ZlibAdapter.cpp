#include "ZlibAdapter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace {
voidpf ZAlloc(voidpf, uInt items, uInt size) { return std::calloc(items, size); }
void ZFree(voidpf, voidpf p) { std::free(p); }

bool AllocBuffer(TGLDZLIBInfo& info, int size) {
    try {
        info.Buffer.assign(static_cast<std::size_t>(size), 0);
    } catch (const std::bad_alloc&) {
        info.Buffer.clear();
        info.BufferSize = 0;
        return false;
    }
    info.BufferSize = size;
    return true;
}

void ReleaseBuffer(TGLDZLIBInfo& info) {
    info.Buffer.clear();
    info.Buffer.shrink_to_fit();
    info.BufferSize = 0;
}

void ResetStream(TGLDZLIBInfo& info) {
    info.Stream = z_stream{};
    info.Stream.zalloc = ZAlloc;
    info.Stream.zfree = ZFree;
    info.Stream.opaque = nullptr;
}

inline uint8_t Paeth(int a, int b, int c) {
    int p = a + b - c;
    int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return static_cast<uint8_t>(a);
    if (pb <= pc) return static_cast<uint8_t>(b);
    return static_cast<uint8_t>(c);
}
} // namespace

TGLDZLIBInfo::TGLDZLIBInfo() { ResetStream(*this); }

TGLDZLIBInfo::~TGLDZLIBInfo() {
    if (FInflating) inflateEnd(&Stream);
    if (FDeflating) deflateEnd(&Stream);
}

// ---- decompressing

int ZLIBDecodeInit(TGLDZLIBInfo& info) {
    if (!info.Buffer.empty() || info.FInflating) ZLIBDecodeFinish(info);
    if (!AllocBuffer(info, ZLIBReadBufferSize)) return -1;
    ResetStream(info);
    info.Stream.next_in = info.Buffer.data();
    info.Stream.avail_in = 0;
    if (inflateInit(&info.Stream) != Z_OK) {
        ReleaseBuffer(info);
        return -1;
    }
    info.FInflating = true;
    return 0;
}

int ZLIBDecode(TGLDZLIBInfo& info, uint8_t* dest, int count) {
    if (!info.FInflating) return Z_STREAM_ERROR;
    z_stream& s = info.Stream;
    s.next_out = dest;
    s.avail_out = static_cast<uInt>(count);
    int r = Z_OK;
    while (s.avail_out > 0) {
        if (s.avail_in == 0) {
            int c = info.Callback ? info.Callback(info) : -1;
            if (c != 0) return c;
            if (s.avail_in == 0) return ZLIBShortData;
        }
        uInt inBefore = s.avail_in, outBefore = s.avail_out;
        r = inflate(&s, Z_NO_FLUSH);
        if (r == Z_NEED_DICT) return Z_DATA_ERROR;  // PNG data never uses a preset dictionary
        if (r < 0) return r;
        if (r == Z_STREAM_END) {
            if (s.avail_out > 0) return ZLIBShortData;  // the stream ended before the rows were full
            break;
        }
        if (s.avail_in == inBefore && s.avail_out == outBefore) return ZLIBShortData;
    }
    return r == Z_STREAM_END ? 1 : 0;
}

void ZLIBDecodeFlush(TGLDZLIBInfo& info) {
    if (info.FInflating) inflateReset(&info.Stream);
    info.Stream.next_in = info.Buffer.data();
    info.Stream.avail_in = 0;
}

int ZLIBDecodeFinish(TGLDZLIBInfo& info) {
    ReleaseBuffer(info);
    int r = Z_OK;
    if (info.FInflating) r = inflateEnd(&info.Stream);
    info.FInflating = false;
    return r;
}

int PngBytesPerPixel(int bitsPerPixel) { return std::max(1, (bitsPerPixel + 7) / 8); }

bool PngUnfilterRow(int type, uint8_t* row, const uint8_t* prev, int n, int bpp) {
    switch (type) {
    case 0: return true;
    case 1:
        for (int i = bpp; i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + row[i - bpp]);
        return true;
    case 2:
        for (int i = 0; i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + prev[i]);
        return true;
    case 3:
        for (int i = 0; i < n; ++i) {
            int left = i >= bpp ? row[i - bpp] : 0;
            row[i] = static_cast<uint8_t>(row[i] + (left + prev[i]) / 2);  // sum in int: 9 bits at least
        }
        return true;
    case 4:
        for (int i = 0; i < n; ++i) {
            int a = i >= bpp ? row[i - bpp] : 0, c = i >= bpp ? prev[i - bpp] : 0;
            row[i] = static_cast<uint8_t>(row[i] + Paeth(a, prev[i], c));
        }
        return true;
    default: return false;
    }
}

int png_read_line(TRUDEDIInfo& info) {
    int r = ZLIBDecode(info, info.CurRow, info.RowLength);
    if (r != 0 && r != 1) return r < 0 ? r : -1;
    if (!PngUnfilterRow(info.CurRow[0], info.CurRow + 1, info.PrevRow + 1, info.RowLength - 1,
                        PngBytesPerPixel(info.BitsPerPixel)))
        return -1;
    return 0;
}

// ---- compressing

int ZLIBEncodeInit(TGLDZLIBInfo& info, int level, int size) {
    if (size <= 0 || size > 0x3FFFF) size = 32768;
    if (!info.Buffer.empty() || info.FDeflating) ZLIBEncodeFinish(info);
    if (!AllocBuffer(info, size)) return -1;
    ResetStream(info);
    info.Stream.next_out = info.Buffer.data();
    info.Stream.avail_out = static_cast<uInt>(size);
    if (deflateInit(&info.Stream, level) != Z_OK) {
        ReleaseBuffer(info);
        return -1;
    }
    info.FDeflating = true;
    return 0;
}

namespace {
int Drain(TGLDZLIBInfo& info) {
    int c = info.Callback ? info.Callback(info) : 0;
    info.Stream.next_out = info.Buffer.data();
    info.Stream.avail_out = static_cast<uInt>(info.BufferSize);
    return c;
}
} // namespace

int ZLIBEncode(TGLDZLIBInfo& info, const uint8_t* data, int count) {
    if (!info.FDeflating) return Z_STREAM_ERROR;
    z_stream& s = info.Stream;
    s.next_in = const_cast<Bytef*>(data);
    s.avail_in = static_cast<uInt>(count);
    while (s.avail_in > 0) {
        int r = deflate(&s, Z_NO_FLUSH);
        if (r < 0) return r;
        if (s.avail_out == 0) {
            int c = Drain(info);
            if (c != 0) return c;
        }
    }
    return 0;
}

int ZLIBEncodeFlush(TGLDZLIBInfo& info) {
    if (!info.FDeflating) return -1;
    z_stream& s = info.Stream;
    s.next_in = nullptr;
    s.avail_in = 0;
    for (;;) {
        int r = deflate(&s, Z_FINISH);
        if (r < 0) return -1;
        if (r == Z_STREAM_END) break;
        if (s.avail_out != 0) return -1;  // no progress with room left: never loop on it
        int c = Drain(info);
        if (c != 0) return c;
    }
    if (static_cast<int>(s.avail_out) < info.BufferSize) {
        int c = Drain(info);
        if (c != 0) return c;
    }
    deflateReset(&s);
    return 0;
}

int ZLIBEncodeFinish(TGLDZLIBInfo& info) {
    ReleaseBuffer(info);
    int r = Z_OK;
    if (info.FDeflating) r = deflateEnd(&info.Stream);
    info.FDeflating = false;
    return r;
}

void PngFilterRow(int type, uint8_t* out, const uint8_t* cur, const uint8_t* prev, int n, int bpp) {
    for (int i = 0; i < n; ++i) {
        int a = i >= bpp ? cur[i - bpp] : 0, b = prev[i], c = i >= bpp ? prev[i - bpp] : 0;
        int pred = 0;
        switch (type) {
        case 1: pred = a; break;
        case 2: pred = b; break;
        case 3: pred = (a + b) / 2; break;
        case 4: pred = Paeth(a, b, c); break;
        default: break;
        }
        out[i] = static_cast<uint8_t>(cur[i] - pred);
    }
}

int PngRowScore(const uint8_t* row, int m, int bitsPerPixel, uint32_t* histogram) {
    std::fill_n(histogram, 256, 0u);
    for (int i = 0; i < m; ++i) ++histogram[row[i]];
    int k = 0;
    uint32_t t1 = 0, t2 = 0, t3 = 0;
    for (int v = 0; v < 256; ++v) {
        uint32_t c = histogram[v];
        if (c == 0) continue;
        ++k;
        if (c >= t1) {
            t3 = t2, t2 = t1, t1 = c;
        } else if (c >= t2) {
            t3 = t2, t2 = c;
        } else if (c > t3) {
            t3 = c;
        }
    }
    if (k <= 8 || (t1 / static_cast<uint32_t>(m)) * 100 >= 90) return -1;
    double dm = m;
    if (bitsPerPixel < 8) return static_cast<int>((dm / 1.5 / k) * 1500 + (t1 + t2) / dm * 1000);
    return static_cast<int>((dm / 1.5 / k) * 1000 + (t1 + t2 + t3) / dm * 1000);
}

int png_write_line(TRUDEDIInfo& info) {
    const int n = info.RowLength - 1;
    const int bpp = PngBytesPerPixel(info.BitsPerPixel);
    const int mode = info.FilterMode;
    if (mode >= 2 && mode <= 5) {
        info.TrialRow[0] = static_cast<uint8_t>(mode - 1);
        PngFilterRow(mode - 1, info.TrialRow + 1, info.CurRow, info.PrevRow, n, bpp);
        std::swap(info.OutRow, info.TrialRow);
    } else {
        info.OutRow[0] = 0;
        std::memcpy(info.OutRow + 1, info.CurRow, static_cast<std::size_t>(n));
        if (mode == 0) {
            int best = PngRowScore(info.OutRow, n + 1, info.BitsPerPixel, info.Histogram);
            if (best != -1 && info.PngBits != 4) {
                if (info.PngBits == 1 || info.PngBits == 8) best *= 2;
                for (int type = 1; type <= 4; ++type) {
                    info.TrialRow[0] = static_cast<uint8_t>(type);
                    PngFilterRow(type, info.TrialRow + 1, info.CurRow, info.PrevRow, n, bpp);
                    int score = PngRowScore(info.TrialRow, n + 1, info.BitsPerPixel, info.Histogram);
                    if (score == -1) {
                        std::swap(info.OutRow, info.TrialRow);
                        break;
                    }
                    if (score > best) {
                        std::swap(info.OutRow, info.TrialRow);
                        best = score;
                    }
                }
            }
        }
    }
    return ZLIBEncode(info, info.OutRow, info.RowLength);
}
