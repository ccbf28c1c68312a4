// libFuzzer target: the .ani reader with the image preparation, and the two-colour cursor reader.
#include <cstddef>
#include <cstdint>

#include "formats/AniFile.h"
#include "formats/MonoCursor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AniReadOptions options;
    options.MaxFileBytes = 4u << 20;
    options.ExistingImages = size > 0 ? data[0] % 4 * 333 : 0;  // also reach the 1000-image cap
    AniReadResult r = ParseAniFile(data, size, options);
    if (r.Code == AniReadCode::Read) MakeAniImages(r, 0x123456, "fuzz");

    MonoCursorRecord record;
    int x = 0, y = 0;
    ParseMonoCurFile(data, size, record, x, y);
    return 0;
}
