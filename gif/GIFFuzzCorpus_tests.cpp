#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "gif/GIFFuzzReader.h"

// Every file of the fuzzer's corpus loads or raises GIFException; nothing else escapes.
TEST(GifFuzzCorpus, EveryFileLoadsOrRaisesGifException) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(GIF_FUZZ_CORPUS_DIR)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), {});
        EXPECT_NO_THROW(FuzzGifReader(data.data(), data.size())) << entry.path();
        ++files;
    }
    EXPECT_GE(files, 5);
}
