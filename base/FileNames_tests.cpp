#include "base/FileNames.h"

#include <gtest/gtest.h>

#include <set>

TEST(FileNames, RefusesNamesThatCannotBeCreated) {
    for (const char* bad : {"", ".", "..", "a<b", "a>b", "a:b", "a/b", "a\\b", "a*", "a?", "a\"b", "a|b", "trail.",
                            "trail ", "tab\t"})
        EXPECT_FALSE(IsValidFileName(bad)) << bad;
    for (const char* good : {"新しいフォルダ", "a b", ".hidden", "x.y", "カーソル(2)"})
        EXPECT_TRUE(IsValidFileName(good)) << good;
}

TEST(FileNames, ProposesTheFirstFreeNewFolderName) {
    std::set<std::string> taken;
    auto exists = [&](const std::string& n) { return taken.count(n) > 0; };
    EXPECT_EQ(ProposeNewFolderName(exists), "新しいフォルダ");
    taken.insert("新しいフォルダ");
    EXPECT_EQ(ProposeNewFolderName(exists), "新しいフォルダ(1)");
    taken.insert("新しいフォルダ(1)");
    taken.insert("新しいフォルダ(3)");
    EXPECT_EQ(ProposeNewFolderName(exists), "新しいフォルダ(2)");
    for (int i = 1; i <= 98; ++i) taken.insert("新しいフォルダ(" + std::to_string(i) + ")");
    EXPECT_EQ(ProposeNewFolderName(exists), "新しいフォルダ(99)");
}
