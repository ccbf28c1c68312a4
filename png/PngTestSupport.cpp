#include "PngTestSupport.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

Bytes BE32(uint32_t v) { return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}; }
Bytes BE16(uint32_t v) { return {uint8_t(v >> 8), uint8_t(v)}; }

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes Chunk(const std::string& type, const Bytes& data) {
    Bytes body = Cat({Text(type), data});
    uLong crc = crc32(0, body.data(), static_cast<uInt>(body.size()));
    return Cat({BE32(static_cast<uint32_t>(data.size())), body, BE32(static_cast<uint32_t>(crc))});
}

Bytes Ihdr(uint32_t w, uint32_t h, int depth, int colourType, int interlace, int compression, int filter) {
    return Chunk("IHDR", Cat({BE32(w), BE32(h),
                              Bytes{uint8_t(depth), uint8_t(colourType), uint8_t(compression), uint8_t(filter),
                                    uint8_t(interlace)}}));
}

Bytes PngOf(std::initializer_list<Bytes> chunks) {
    Bytes out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    for (const Bytes& c : chunks) out.insert(out.end(), c.begin(), c.end());
    return out;
}

Bytes Deflate(const Bytes& raw, int level) {
    uLongf n = compressBound(static_cast<uLong>(raw.size()));
    Bytes out(n);
    if (compress2(out.data(), &n, raw.data(), static_cast<uLong>(raw.size()), level) != Z_OK)
        throw std::runtime_error("compress2 failed");
    out.resize(n);
    return out;
}

std::vector<TParsedChunk> ParseChunks(const Bytes& png) {
    std::vector<TParsedChunk> out;
    std::size_t p = 8;
    while (p + 12 <= png.size()) {
        uint32_t len = (uint32_t(png[p]) << 24) | (uint32_t(png[p + 1]) << 16) | (uint32_t(png[p + 2]) << 8) | png[p + 3];
        if (len > png.size() - p - 12) break;
        TParsedChunk c;
        c.Offset = p;
        c.Type.assign(png.begin() + static_cast<long>(p) + 4, png.begin() + static_cast<long>(p) + 8);
        c.Data.assign(png.begin() + static_cast<long>(p) + 8, png.begin() + static_cast<long>(p + 8 + len));
        uLong crc = crc32(0, png.data() + p + 4, len + 4);
        const uint8_t* q = png.data() + p + 8 + len;
        c.CrcOk = crc == ((uLong(q[0]) << 24) | (uLong(q[1]) << 16) | (uLong(q[2]) << 8) | q[3]);
        out.push_back(std::move(c));
        p += 12 + len;
    }
    return out;
}

Bytes InflateIdat(const Bytes& png) {
    Bytes z;
    for (const TParsedChunk& c : ParseChunks(png))
        if (c.Type == "IDAT") z.insert(z.end(), c.Data.begin(), c.Data.end());
    z_stream s{};
    inflateInit(&s);
    Bytes out;
    uint8_t buf[65536];
    s.next_in = z.data();
    s.avail_in = static_cast<uInt>(z.size());
    int r;
    do {
        s.next_out = buf;
        s.avail_out = sizeof buf;
        r = inflate(&s, Z_NO_FLUSH);
        out.insert(out.end(), buf, buf + (sizeof buf - s.avail_out));
    } while (r == Z_OK);
    inflateEnd(&s);
    if (r != Z_STREAM_END) throw std::runtime_error("IDAT does not inflate");
    return out;
}

Bytes ReadFileBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) throw std::runtime_error("cannot open " + path);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const Bytes& data) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    if (!f) throw std::runtime_error("cannot write " + path);
}

std::string TempPath(const std::string& name) { return ::testing::TempDir() + name; }

std::string TestDataPath(const std::string& name) { return std::string(PNG_TESTDATA_DIR) + "/" + name; }

int RunCommand(const std::string& command, std::string* output) {
#ifdef _WIN32
    (void)command, (void)output;
    return -1;
#else
    std::FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p) return -1;
    std::string text;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
    int status = pclose(p);
    if (output) *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}
