#include "app/NumberEditRules.h"

#include <gtest/gtest.h>

namespace {

TEST(NumberEditRules, ParsesDecimalIntegersOnlyAndChecksOverflow) {
    struct Case {
        const char* Text;
        std::optional<int32_t> Value;
    } cases[] = {
        {"0", 0},          {"-17", -17},         {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN},
        {"2147483648", {}}, {"-2147483649", {}}, {"99999999999999999999", {}}, {"", {}},
        {"-", {}},          {"0x10", {}},        {"$10", {}},               {" 1", {}},
        {"1e3", {}},        {"+5", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseDecimal(c.Text), c.Value) << c.Text;
}

TEST(NumberEditRules, ValidValuesLieWithinDifferingBounds) {
    EXPECT_TRUE(IsValidValue("100", {0, 100}));
    EXPECT_FALSE(IsValidValue("101", {0, 100}));
    EXPECT_FALSE(IsValidValue("-1", {0, 100}));
    EXPECT_TRUE(IsValidValue("-2000000000", {7, 7}));  // equal bounds: any integer
    EXPECT_FALSE(IsValidValue("abc", {7, 7}));
    EXPECT_EQ(NumberValueOf("-", {-5, 5}), -5);
    EXPECT_EQ(NumberValueOf("", {3, 9}), 3);
    EXPECT_EQ(ClampNumber(50, {0, 10}), 10);
    EXPECT_EQ(ClampNumber(-50, {4, 4}), -50);
}

TEST(NumberEditRules, InsertStringReplacesTheSelection) {
    EXPECT_EQ(InsertString("1234", "9", 2, 2), "194");
    EXPECT_EQ(InsertString("", "5", 0, 1), "5");
    EXPECT_EQ(InsertString("12", "3", 0, 3), "123");
    EXPECT_EQ(InsertString("12", "3", 9, 9), "123");  // past the end: appended
}

// Types the characters one by one at the end of the text, as the edit would.
std::string Typed(const std::string& keys, TNumberBounds bounds) {
    TNumberEditState s;
    s.Bounds = bounds;
    for (char k : keys) {
        s.SelStart = static_cast<int>(s.Text.size());
        if (AcceptsNumberKey(static_cast<char16_t>(k), s, std::nullopt)) s.Text += k;
    }
    return s.Text;
}

TEST(NumberEditRules, TheKeyFilterKeepsTheTextANumberWithinTheBounds) {
    EXPECT_EQ(Typed("101", {0, 100}), "10");
    EXPECT_EQ(Typed("-3", {-5, 5}), "-3");
    EXPECT_EQ(Typed("-3", {0, 5}), "3");
    EXPECT_EQ(Typed("a1b2", {0, 0}), "12");
    EXPECT_EQ(Typed("-99999999999", {0, 0}), "-999999999");  // stops before it would overflow
    TNumberEditState s;
    s.Bounds = {0, 0};
    for (char16_t k : {char16_t(3), char16_t(8), char16_t(24), char16_t(26)}) EXPECT_TRUE(AcceptsNumberKey(k, s, std::nullopt));
}

TEST(NumberEditRules, PastesAreCheckedAsTheTextTheyWouldMake) {
    TNumberEditState s;
    s.Text = "15";
    s.SelStart = 1;
    s.SelLength = 1;  // "5" selected
    s.Bounds = {0, 100};
    EXPECT_TRUE(AcceptsNumberKey(22, s, std::string("0")));    // 10
    EXPECT_TRUE(AcceptsNumberKey(22, s, std::string("00")));    // 100
    EXPECT_FALSE(AcceptsNumberKey(22, s, std::string("000")));  // 1000
    EXPECT_FALSE(AcceptsNumberKey(22, s, std::nullopt));
    s.Bounds = {0, 0};
    EXPECT_FALSE(AcceptsNumberKey(22, s, std::string("0x10")));
    s.MaxLength = 2;
    EXPECT_FALSE(AcceptsNumberKey(22, s, std::string("99")));
}

} // namespace
