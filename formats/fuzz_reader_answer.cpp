// libFuzzer target of the helper's answer parsers and its argument parser: whatever the
// bytes, an accepted answer keeps its limits and is written back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>

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
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (const auto r = ParseReaderArguments(text)) {
        if (ReaderArguments(*r) != text) __builtin_trap();
    }
    return 0;
}
