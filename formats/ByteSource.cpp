#include "formats/ByteSource.h"

#include <cstring>

#include "base/Exception.h"

std::vector<uint8_t> TByteSource::Bytes(uint64_t offset, std::size_t n) {
    std::vector<uint8_t> out(n);
    if (n == 0 || !Read(offset, out.data(), n)) out.clear();
    return out;
}

bool TMemoryByteSource::Read(uint64_t offset, void* out, std::size_t n) {
    if (!Holds(offset, n)) return false;
    if (n) std::memcpy(out, FData + offset, n);
    return true;
}

bool TStreamByteSource::Read(uint64_t offset, void* out, std::size_t n) {
    if (!Holds(offset, n)) return false;
    if (n == 0) return true;
    if (FStream.Seek(static_cast<int64_t>(offset), TSeekOrigin::soBeginning) != static_cast<int64_t>(offset))
        return false;
    return FStream.Read(out, static_cast<int64_t>(n)) == static_cast<int64_t>(n);
}

SourceCheck CheckFileSource(const std::string& path, const std::function<SourceCheck(TByteSource&)>& check) {
    try {
        TFileStream file(path, TFileMode::fmOpenRead);
        TStreamByteSource source(file);
        return check(source);
    } catch (const EStreamError&) {
        return SourceCheck{SourceFault::NotASource, "the file cannot be read"};
    }
}
