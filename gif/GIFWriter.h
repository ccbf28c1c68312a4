#pragma once
// Streams that pass GIF data on to a target stream; the writer cuts it into data sub-blocks.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "base/Stream.h"
#include "gif/GIFTypes.h"

using TGIFWarningEvent = std::function<void(TGIFSeverity severity, const std::string& message)>;

// Supports nothing by itself: reads, writes and seeks raise "Invalid stream operation".
class TGIFStream : public TStream {
public:
    TGIFStream(TStream& target, TGIFWarningEvent warning) : FStream(target), FOnWarning(std::move(warning)) {}
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;

protected:
    void Warning(TGIFSeverity severity, const std::string& message) {
        if (FOnWarning) FOnWarning(severity, message);
    }
    TStream& FStream;  // not owned
    TGIFWarningEvent FOnWarning;
    std::array<uint8_t, 256> FBuffer{};  // length byte, then up to 255 data bytes
    int FBufferCount = 1;
};

// Collects bytes into sub-blocks of 255. The last, partial block goes out only through
// FlushBlock, which the owner calls; the destructor never writes.
class TGIFWriter : public TGIFStream {
public:
    using TGIFStream::TGIFStream;
    int64_t Write(const void* buffer, int64_t count) override;
    void WriteByte(uint8_t value) { Write(&value, 1); }
    // Writes the buffered bytes as one sub-block (nothing when empty).
    void FlushBlock();
    bool Pending() const { return FPending; }

private:
    bool FPending = false;
};
