#pragma once
// The result of the writers whose result is a fixed code: 1 when the file was written,
// 0 when it was not.
#include <cstdint>

enum class WriteResult : uint8_t { NotWritten = 0, Written = 1 };

inline WriteResult WrittenIf(bool written) { return written ? WriteResult::Written : WriteResult::NotWritten; }
