// libFuzzer target of the icon and cursor reader and of the bitmap import: every image of
// the input is decoded, prepared for the document and saved again.
#include <cstddef>
#include <cstdint>

#include "base/Bitmap.h"
#include "base/Exception.h"
#include "base/Stream.h"
#include "formats/IconFile.h"
#include "formats/PictureImport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TIconFile icons;
    if (icons.LoadIconFromMemory(data, size) == IconLoadResult::Loaded) {
        for (int i = 0; i < icons.GetCount(); ++i) {
            icons.DrawImage(i);
            ImportedImage image;
            ReadIconImage(icons, [](bool) { return clWhite; }, image);
        }
        TMemoryStream out;
        icons.SaveIconToStream(true, &out);
    }
    try {
        TBitmapLimits limits;
        limits.MaxWidth = limits.MaxHeight = 4096;
        limits.MaxBytes = 16 << 20;
        TBitmap picture;
        picture.LoadFromMemory(data, size, limits);
        ImportedImage image;
        PictureImportOptions options;
        options.Henpei = size % 2 == 0;
        options.SmartResize = size % 3 == 0;
        ImportPictureFromBitmap(picture, options, image);
    } catch (const EInvalidGraphic&) {
    }
    return 0;
}
