#pragma once
// Bounded random-access bytes for the structure checks that run before a system loader reads
// a file: every read names its offset and length, and one that reaches outside fails. Also
// the verdict those checks give.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/Stream.h"

class TByteSource {
public:
    virtual ~TByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Copies n bytes from offset into out; false (out unchanged) when any lies outside.
    virtual bool Read(uint64_t offset, void* out, std::size_t n) = 0;

    // Whether [offset, offset + n) lies inside, without overflow.
    bool Holds(uint64_t offset, uint64_t n) const { return offset <= Size() && n <= Size() - offset; }
    // n bytes from offset, or an empty vector when they do not lie inside (or n is 0).
    std::vector<uint8_t> Bytes(uint64_t offset, std::size_t n);
};

class TMemoryByteSource final : public TByteSource {
public:
    TMemoryByteSource(const uint8_t* data, std::size_t size) : FData(data), FSize(size) {}
    explicit TMemoryByteSource(const std::vector<uint8_t>& v) : FData(v.data()), FSize(v.size()) {}
    uint64_t Size() const override { return FSize; }
    bool Read(uint64_t offset, void* out, std::size_t n) override;

private:
    const uint8_t* FData;  // not owned
    std::size_t FSize;
};

// A stream read in place (the stream is not owned and must outlive the source).
class TStreamByteSource final : public TByteSource {
public:
    explicit TStreamByteSource(TStream& stream) : FStream(stream), FSize(static_cast<uint64_t>(stream.Size())) {}
    uint64_t Size() const override { return FSize; }
    bool Read(uint64_t offset, void* out, std::size_t n) override;

private:
    TStream& FStream;
    uint64_t FSize;
};

enum class SourceFault {
    None,
    NotASource,    // not a file of the kinds the check accepts
    Truncated,     // a table or an image ends beyond the file
    BadOffset,     // an offset points outside the file or its table
    BadHeader,     // a header holds impossible values
    ExceedsLimit,  // more entries or levels than any real file has
    NoIcons,       // well formed but holds no icon
};

struct SourceCheck {
    SourceFault Fault = SourceFault::None;
    std::string What;  // what was wrong (for diagnostics)
    bool Ok() const { return Fault == SourceFault::None; }
};

// Runs check over the file at path (UTF-8), read in place; a file that cannot be opened or
// read is refused as NotASource.
SourceCheck CheckFileSource(const std::string& path, const std::function<SourceCheck(TByteSource&)>& check);
