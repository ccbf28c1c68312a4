#include "base/Text.h"

#include <gtest/gtest.h>

TEST(Text, Utf8AndUtf16RoundTripIncludingSurrogates) {
    const std::string s = "ｲﾒｰｼﾞ 無題 \xF0\x9F\x98\x80 abc";
    std::wstring w = Utf8ToWide(s);
    EXPECT_EQ(WideToUtf8(w), s);
    EXPECT_EQ(Utf8ToWide("\xE7\x84\xA1")[0], L'\u7121');
}

TEST(Text, MalformedUtf8BecomesReplacementCharacter) {
    std::wstring w = Utf8ToWide(std::string("a\xC0\xAFz"));
    ASSERT_GE(w.size(), 3u);
    EXPECT_EQ(w.front(), L'a');
    EXPECT_EQ(w.back(), L'z');
    EXPECT_NE(w.find(L'\uFFFD'), std::wstring::npos);
}

TEST(Text, TellsWellFormedUtf8FromOtherBytes) {
    // A replacement character written in the text is well formed; one that decoding would make is not.
    for (const char* good : {"", "abc", "無題", "\xEF\xBF\xBD", "\xF0\x9F\x98\x80"}) EXPECT_TRUE(IsValidUtf8(good)) << good;
    for (const char* bad : {"a\xC0\xAFz", "\xED\xA0\x80", "\xE3\x81", "\x82\xA0", "\xF5\x80\x80\x80"})
        EXPECT_FALSE(IsValidUtf8(bad)) << bad;
}

TEST(Text, ShiftJisConversionUsesCodePage932) {
    // "ソ" is 0x83 0x5C in Shift-JIS: its second byte is a backslash.
    EXPECT_EQ(Utf8ToSjis("ソ"), std::string("\x83\x5C"));
    EXPECT_EQ(SjisToUtf8(std::string("\x96\xB3\x91\xE8")), "無題");
    EXPECT_EQ(SjisToUtf8(Utf8ToSjis("ｲﾒｰｼﾞ")), "ｲﾒｰｼﾞ");
    EXPECT_EQ(Utf8ToSjis("ｲ").size(), 1u);  // half-width katakana is one byte
}

TEST(Text, TruncateNeverSplitsADoubleByteCharacter) {
    std::string s = Utf8ToSjis("aソソ");  // 1 + 2 + 2 bytes
    EXPECT_EQ(TruncateSjis(s, 2), "a");
    EXPECT_EQ(TruncateSjis(s, 3), s.substr(0, 3));
    EXPECT_EQ(TruncateSjis(s, 100), s);
}
