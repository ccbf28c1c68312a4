#include "VersionBlock.h"

#include <gtest/gtest.h>

#include "base/ByteIO.h"

namespace {

// The value of a key in the string table, or "(absent)".
std::string StringValue(const std::vector<uint8_t>& b, const std::string& key) {
    std::size_t at = 108;
    const std::size_t end = 92 + GetLE16(b.data() + 92);
    while (at < end) {
        const uint16_t length = GetLE16(b.data() + at);
        const std::string k(reinterpret_cast<const char*>(b.data() + at + 4));
        const std::size_t keyBytes = (k.size() + 4) & ~std::size_t{3};
        if (k == key) return std::string(reinterpret_cast<const char*>(b.data() + at + 4 + keyBytes));
        at += (length + 3u) & ~3u;
    }
    return "(absent)";
}

} // namespace

TEST(VersionBlock, BuildsTheSmallestBlock) {
    VersionValues v;
    v.Items[7] = "Icon resource library";
    v.Items[9] = VersionText(v.Version);
    const std::vector<uint8_t> b = BuildVersionBlock(v);
    ASSERT_EQ(b.size(), 396u);
    EXPECT_EQ(GetLE16(b.data()), 396u);
    EXPECT_EQ(GetLE16(b.data() + 2), 52u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + 4)), "VS_VERSION_INFO");
    EXPECT_EQ(GetLE32(b.data() + 20), 0xFEEF04BDu);
    EXPECT_EQ(GetLE32(b.data() + 44), 0x3Fu);
    EXPECT_EQ(GetLE32(b.data() + 52), 0x00040004u);
    EXPECT_EQ(GetLE32(b.data() + 56), 2u);
    EXPECT_EQ(GetLE16(b.data() + 72), 286u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + 76)), "StringFileInfo");
    EXPECT_EQ(GetLE16(b.data() + 92), 266u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + 96)), "041103A4");
    EXPECT_EQ(GetLE16(b.data() + 108), 2u + 12 + 4);  // "Comments" with no text
    EXPECT_EQ(GetLE16(b.data() + 110), 4u);
    EXPECT_EQ(StringValue(b, "FileDescription"), "Icon resource library");
    EXPECT_EQ(StringValue(b, "FileVersion"), "0.0.0.0");
    EXPECT_EQ(StringValue(b, "Comments"), "");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + 396 - 32)), "VarFileInfo");
    EXPECT_EQ(GetLE16(b.data() + 396 - 18), 4u);
    EXPECT_EQ(std::vector<uint8_t>(b.end() - 4, b.end()), (std::vector<uint8_t>{0x11, 0x04, 0xA4, 0x03}));
}

TEST(VersionBlock, PacksTheVersionAndStoresShiftJisValues) {
    VersionValues v;
    v.Version[0] = 1;
    v.Version[1] = 2;
    v.Version[2] = 3;
    v.Version[3] = 2002;
    v.Items[9] = VersionText(v.Version);
    v.Items[0] = CreationDateText(2026, 12, 10);
    EXPECT_EQ(v.Items[0], "作成日: 2026/12/10");
    EXPECT_EQ(CreationDateText(2027, 1, 2), "作成日: 2027/01/02");
    std::string longText;
    for (int i = 0; i < 200; ++i) longText += "字";
    v.Items[5] = longText;
    const std::vector<uint8_t> b = BuildVersionBlock(v);
    EXPECT_EQ(GetLE32(b.data() + 28), 0x00010002u);
    EXPECT_EQ(GetLE32(b.data() + 32), 0x000307D2u);
    EXPECT_EQ(GetLE32(b.data() + 36), 0x00010002u);
    EXPECT_EQ(GetLE32(b.data() + 40), 0x000307D2u);
    EXPECT_EQ(StringValue(b, "FileVersion"), "1.2.3.2002");
    EXPECT_EQ(StringValue(b, "Comments"), "\x8d\xec\x90\xac\x93\xfa: 2026/12/10");
    EXPECT_EQ(StringValue(b, "ProductName").size(), 254u);  // 127 whole characters
    EXPECT_EQ(GetLE16(b.data()), b.size());
    EXPECT_EQ(b.size() % 4, 0u);
}
