#include "ui/Registry.h"

#include <gtest/gtest.h>

namespace {
const char* const kKey = "Software\\Brannoch\\TamsoloTests\\Registry";

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { TRegistry().DeleteKey(kKey); }
    void TearDown() override { TRegistry().DeleteKey(kKey); }
};
} // namespace

TEST_F(RegistryTest, OpeningWithoutCreatingFailsOnAMissingKey) {
    TRegistry r;
    EXPECT_FALSE(r.OpenKey(kKey, false));
    EXPECT_FALSE(r.KeyExists(kKey));
    EXPECT_TRUE(r.OpenKey(kKey, true));
    r.CloseKey();
    EXPECT_TRUE(r.OpenKey(kKey, false));
}

TEST_F(RegistryTest, ValuesKeepTheirTypes) {
    TRegistry r;
    ASSERT_TRUE(r.OpenKey(kKey, true));
    r.WriteInteger("I", -5);
    r.WriteBool("B", true);
    r.WriteString("S", "C:\\カーソル");
    DWORD type = 0;
    RegQueryValueExW(r.CurrentKey(), L"I", nullptr, &type, nullptr, nullptr);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    RegQueryValueExW(r.CurrentKey(), L"B", nullptr, &type, nullptr, nullptr);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    RegQueryValueExW(r.CurrentKey(), L"S", nullptr, &type, nullptr, nullptr);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(r.ReadInteger("I"), -5);
    EXPECT_TRUE(r.ReadBool("B"));
    EXPECT_EQ(r.ReadString("S"), "C:\\カーソル");
}

TEST_F(RegistryTest, AbsentOrWronglyTypedNumbersRaiseButAbsentStringsAreEmpty) {
    TRegistry r;
    ASSERT_TRUE(r.OpenKey(kKey, true));
    r.WriteString("Text", "12");
    r.WriteInteger("Number", 3);
    EXPECT_THROW(r.ReadInteger("Missing"), ERegistryException);
    EXPECT_THROW(r.ReadBool("Missing"), ERegistryException);
    EXPECT_THROW(r.ReadInteger("Text"), ERegistryException);
    EXPECT_EQ(r.ReadString("Missing"), "");
    EXPECT_THROW(r.ReadString("Number"), ERegistryException);
}

TEST_F(RegistryTest, DeleteKeyRemovesSubkeys) {
    TRegistry r;
    ASSERT_TRUE(r.OpenKey(std::string(kKey) + "\\a\\b", true));
    r.WriteInteger("x", 1);
    r.CloseKey();
    EXPECT_TRUE(r.DeleteKey(kKey));
    EXPECT_FALSE(r.KeyExists(kKey));
}

TEST_F(RegistryTest, ExpandableStringsKeepTheirTypeAndReadBackUnexpanded) {
    TRegistry r;
    ASSERT_TRUE(r.OpenKey(kKey, true));
    r.WriteExpandString("E", "%SystemRoot%\\cursors\\a.cur");
    r.WriteString("", "default");
    EXPECT_EQ(r.GetDataType("E"), static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(r.GetDataType(""), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(r.GetDataType("Missing"), static_cast<DWORD>(REG_NONE));
    EXPECT_EQ(r.ReadString("E"), "%SystemRoot%\\cursors\\a.cur");
    EXPECT_EQ(r.ReadString(""), "default");
}
