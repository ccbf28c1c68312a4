// libFuzzer target of the helper's answer parsers and its request parser: whatever the
// bytes, an accepted answer or request keeps its limits and is written back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/ByteIO.h"
#include "formats/ReaderAnswer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    if (const auto p = ParsePictureAnswer(data, size)) {
        if (p->Width < 1 || p->Width > kAnswerMaxPictureSide || p->Height < 1 || p->Height > kAnswerMaxPictureSide ||
            WritePictureAnswer(*p) != bytes)
            __builtin_trap();
    }
    if (const auto s = ParseShortCutAnswer(data, size)) {
        if (WriteShortCutAnswer(*s) != bytes) __builtin_trap();
    }
    for (TReaderJob job : {TReaderJob::CursorFile, TReaderJob::CursorImage}) {
        if (const auto c = ParseCursorAnswer(job, data, size)) {
            if (c->HotX >= c->Width || c->HotY >= c->Height || WriteCursorAnswer(job, *c) != bytes) __builtin_trap();
        }
    }
    if (const auto r = ParseReaderRequest(data, size)) {
        if (r->Path.empty() || r->Path.size() > kRequestMaxPath || WriteReaderRequest(*r) != bytes) __builtin_trap();
    }
    if (size >= kFrameHeadBytes) {
        // A head that gives a length gives the one it holds.
        if (const auto n = AnswerPayloadLength(TReaderJob::Metafile, data)) {
            if (*n != GetLE32(data + 8)) __builtin_trap();
        }
        if (const auto n = RequestPathLength(data)) {
            if (*n < 1 || *n > kRequestMaxPath) __builtin_trap();
        }
    }
    return 0;
}
