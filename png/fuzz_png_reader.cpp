// libFuzzer target for the PNG reader: every input must give a picture or ERUDEDI.
#include <cstddef>
#include <cstdint>

#include "PngPicture.h"
#include "base/Stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream stream;
    if (size > 0) stream.Write(data, static_cast<int64_t>(size));
    stream.SetPosition(0);
    TRUDEDI picture;
    picture.SetMaxImageBytes(16LL * 1024 * 1024);
    try {
        picture.LoadFromStream(stream);
        TBitmap copy;
        picture.AssignTo(copy);
        if (!copy.Empty()) (void)copy.Pixel(copy.Width() - 1, copy.Height() - 1);
    } catch (const EInvalidGraphic&) {
    }
    return 0;
}
