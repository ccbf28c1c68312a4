#pragma once
// Helpers of the PNG tests: chunk building and parsing, files, external tools.
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

Bytes BE32(uint32_t v);
Bytes BE16(uint32_t v);
Bytes Cat(std::initializer_list<Bytes> parts);
Bytes Text(const std::string& s);
// One chunk with its length and CRC.
Bytes Chunk(const std::string& type, const Bytes& data);
Bytes Ihdr(uint32_t w, uint32_t h, int depth, int colourType, int interlace = 0, int compression = 0, int filter = 0);
// Signature followed by the chunks.
Bytes PngOf(std::initializer_list<Bytes> chunks);
Bytes Deflate(const Bytes& raw, int level = 6);

struct TParsedChunk {
    std::string Type;
    Bytes Data;
    std::size_t Offset = 0;  // of the length field
    bool CrcOk = false;
};
std::vector<TParsedChunk> ParseChunks(const Bytes& png);
// The inflated content of all IDAT chunks.
Bytes InflateIdat(const Bytes& png);

Bytes ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const Bytes& data);
std::string TempPath(const std::string& name);
std::string TestDataPath(const std::string& name);
// Runs a shell command; returns its exit status (native builds only).
int RunCommand(const std::string& command, std::string* output = nullptr);
