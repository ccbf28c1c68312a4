// libFuzzer target of the palette file and palette text readers: every input is read as
// JASC-PAL, as a binary palette and as clipboard text, and pasted into an image.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "editor/PaletteFile.h"
#include "editor/PaletteText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    ImagePalette pal{};
    ReadJascPal(bytes, pal);
    ReadBinaryPalette(bytes, pal);
    std::string text(bytes.begin(), bytes.end());
    ParseColourText(text);
    ImageRecord image;
    image.Palette = pal;
    const int a = size > 0 ? data[0] : 0, b = size > 1 ? data[1] : 255;
    PastePaletteText(image, text, a, b, size % 2 == 0);
    return 0;
}
