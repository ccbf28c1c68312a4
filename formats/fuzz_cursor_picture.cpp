// libFuzzer target: the still picture of a cursor file, at a size and depth the input chooses.
#include <cstddef>
#include <cstdint>

#include "formats/CursorPicture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int side = size > 0 ? 16 + data[0] % 64 : 32;
    TCursorPicture picture;
    ReadCursorPicture(data, size, side, side, size > 1 && data[1] & 1 ? 8 : 32, picture);
    return 0;
}
