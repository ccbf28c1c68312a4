// Replays the fuzz corpus through the reader: each file gives a picture or ERUDEDI, never a crash.
#include <gtest/gtest.h>

#include <filesystem>

#include "PngTestSupport.h"
#include "PngPicture.h"

TEST(PngFuzzCorpus, EveryFileReadsOrFailsCleanly) {
    int files = 0, read = 0;
    for (const auto& entry : std::filesystem::directory_iterator(PNG_FUZZ_CORPUS_DIR)) {
        if (!entry.is_regular_file()) continue;
        ++files;
        const std::string name = entry.path().filename().string();
        Bytes data = ReadFileBytes(entry.path().string());
        TMemoryStream m;
        if (!data.empty()) m.Write(data.data(), static_cast<int64_t>(data.size()));
        m.SetPosition(0);
        TRUDEDI p;
        p.SetMaxImageBytes(16LL * 1024 * 1024);
        bool ok = false;
        try {
            p.LoadFromStream(m);
            ok = true;
        } catch (const EInvalidGraphic&) {
        }
        if (ok) {
            ++read;
            EXPECT_FALSE(p.GetEmpty()) << name;
        }
        // The seeds say what they are; crash files added later may be either.
        if (name.rfind("valid_", 0) == 0) {
            EXPECT_TRUE(ok) << name;
        }
        if (name.rfind("broken_", 0) == 0) {
            EXPECT_FALSE(ok) << name;
        }
    }
    EXPECT_GE(files, 10);
    EXPECT_GT(read, 0);
}
