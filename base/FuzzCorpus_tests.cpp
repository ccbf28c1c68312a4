// Replays the BMP fuzz corpus: every file either loads or is refused with EInvalidGraphic.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/Bitmap.h"
#include "base/Exception.h"
#include "base/Stream.h"

TEST(BmpFuzzCorpus, EveryFileLoadsOrIsRefusedCleanly) {
    std::filesystem::path dir = std::filesystem::path(TAMSOLO_SOURCE_DIR) / "base" / "fuzz-corpus";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(ReadWholeFile(entry.path().string(), bytes, 1 << 24)) << entry.path();
        for (int asDib = 0; asDib < 2; ++asDib) {
            try {
                TBitmap b;
                if (asDib)
                    b.LoadFromDib(bytes.data(), bytes.size());
                else
                    b.LoadFromMemory(bytes.data(), bytes.size());
                EXPECT_FALSE(b.Empty()) << entry.path();
            } catch (const EInvalidGraphic&) {
            }
        }
        ++files;
    }
    EXPECT_GT(files, 0);
}
