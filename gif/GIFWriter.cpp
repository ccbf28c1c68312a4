#include "gif/GIFWriter.h"

#include <algorithm>
#include <cstring>

namespace {
[[noreturn]] void InvalidOperation() { throw Exception(GIFText::_sInvalidStream); }
}  // namespace

int64_t TGIFStream::Read(void*, int64_t) { InvalidOperation(); }
int64_t TGIFStream::Write(const void*, int64_t) { InvalidOperation(); }
int64_t TGIFStream::Seek(int64_t, TSeekOrigin) { InvalidOperation(); }
void TGIFStream::SetSize(int64_t) { InvalidOperation(); }

int64_t TGIFWriter::Write(const void* buffer, int64_t count) {
    auto p = static_cast<const uint8_t*>(buffer);
    int64_t left = count;
    while (left > 0) {
        FPending = true;
        int n = static_cast<int>(std::min<int64_t>(left, 256 - FBufferCount));
        std::memcpy(FBuffer.data() + FBufferCount, p, static_cast<std::size_t>(n));
        FBufferCount += n;
        p += n;
        left -= n;
        if (FBufferCount == 256) FlushBlock();
    }
    return count;
}

void TGIFWriter::FlushBlock() {
    if (FBufferCount <= 1) return;
    FBuffer[0] = static_cast<uint8_t>(FBufferCount - 1);
    int size = FBufferCount;
    FBufferCount = 1;
    FPending = false;
    FStream.WriteBuffer(FBuffer.data(), size);
}
