#pragma once
// A cursor file the user chose, read by our own readers and written again by our own writers,
// so that the system's cursor loaders only ever see a file we wrote: an animated cursor through
// the .ani reader and writer (its icons in 256 colours, its frame tables and default rate kept, chunks of the frame list
// other than icons left out),
// a cursor or icon file through the icon codec (every image it reads, decoded and written again
// as a bitmap image of our own; a file holding PNG images is not taken).
#include <cstddef>
#include <cstdint>
#include <vector>

constexpr std::size_t kCursorFileMaxBytes = 16u << 20;  // larger cursor files are not read

// The re-written file; empty when our readers do not take the file (then only the reader
// helper may hand it to the system).
std::vector<uint8_t> RewrittenCursorFile(const uint8_t* data, std::size_t size);
