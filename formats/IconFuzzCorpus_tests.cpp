// Replays the icon reader's fuzz corpus: every file loads or is refused cleanly, and
// whatever loads decodes (or, for a broken PNG image, fails cleanly), imports and saves
// without fault.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/Bitmap.h"
#include "base/Exception.h"
#include "base/Stream.h"
#include "formats/IconFile.h"
#include "formats/PictureImport.h"

TEST(IconFuzzCorpus, EveryFileLoadsOrIsRefusedCleanly) {
    const std::filesystem::path dir = std::filesystem::path(TAMSOLO_SOURCE_DIR) / "formats" / "fuzz-corpus" / "icon";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(ReadWholeFile(entry.path().string(), bytes, 1 << 24)) << entry.path();
        const std::string name = entry.path().filename().string();
        TIconFile icons;
        const IconLoadResult result = icons.LoadIconFromMemory(bytes.data(), bytes.size());
        EXPECT_TRUE(static_cast<int>(result) >= 0 && static_cast<int>(result) <= 3) << name;
        if (name.rfind("valid_", 0) == 0) {
            EXPECT_EQ(result, IconLoadResult::Loaded) << name;
        }
        for (int i = 0; i < icons.GetCount(); ++i) {
            TBitmap colour, mask;
            // A PNG image is only checked for its header on load and may fail when drawn.
            EXPECT_TRUE(icons.DecodeImage(i, colour, mask, i % 2 == 0) || icons.Item(i).IsPng()) << name << " image " << i;
            icons.DrawImage(i);
            ImportedImage image;
            ReadIconImage(icons, [](bool) { return clWhite; }, image);
        }
        TMemoryStream saved;
        EXPECT_EQ(icons.SaveIconToStream(false, &saved), IconSaveResult::Saved) << name;
        try {
            TBitmap picture;
            picture.LoadFromMemory(bytes.data(), bytes.size());
            ImportedImage image;
            PictureImportOptions options;
            options.Henpei = true;
            EXPECT_NE(ImportPictureFromBitmap(picture, options, image).Result, PictureReadResult::Failed) << name;
        } catch (const EInvalidGraphic&) {
        }
        ++files;
    }
    EXPECT_GT(files, 10);
}
