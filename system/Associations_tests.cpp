#include "system/Associations.h"

#include <gtest/gtest.h>

TEST(Associations, CommandQuotesTheProgramPath) {
    EXPECT_EQ(ShellCommandText("C:\\Program Files\\Tamsolo\\Tamsolo.exe"),
              "\"C:\\Program Files\\Tamsolo\\Tamsolo.exe\" %1");
}

TEST(Associations, EachButtonWritesItsRowsInOrder) {
    const std::string exe = "C:\\T\\Tamsolo.exe";
    const std::string cmd = "\"C:\\T\\Tamsolo.exe\" %1";
    auto bmp = ShellEntries(TShellKind::Bmp, exe);
    ASSERT_EQ(bmp.size(), 2u);
    EXPECT_EQ(bmp[0].Key, "Paint.Picture\\shell\\Tamsolo");
    EXPECT_EQ(bmp[0].Value, "Tamsoloで開く(&A)");
    EXPECT_EQ(bmp[1].Key, "Paint.Picture\\shell\\Tamsolo\\command");
    EXPECT_EQ(bmp[1].Value, cmd);

    struct Class {
        TShellKind kind;
        const char *ext, *cls, *text, *verb;
    };
    for (const Class& c : {Class{TShellKind::Ico, ".ico", "IcoFile", "アイコン", "Tamsoloで開く(&A)"},
                           Class{TShellKind::Cur, ".cur", "CurFile", "ポインタ", "Tamsoloで開く(&A)"},
                           Class{TShellKind::Ani, ".ani", "AnimationPointer", "アニメーションポインタ",
                                 "Tamsoloで開く（&A)"}}) {
        auto rows = ShellEntries(c.kind, exe);
        std::string cls = c.cls;
        std::vector<std::pair<std::string, std::string>> want = {{c.ext, cls},
                                                                 {cls, c.text},
                                                                 {cls + "\\DefaultIcon", "%1"},
                                                                 {cls + "\\shell\\open", c.verb},
                                                                 {cls + "\\shell\\open\\command", cmd}};
        ASSERT_EQ(rows.size(), want.size()) << cls;
        for (std::size_t i = 0; i < want.size(); ++i) {
            EXPECT_EQ(rows[i].Key, want[i].first);
            EXPECT_EQ(rows[i].Value, want[i].second) << rows[i].Key;
        }
    }
}

TEST(Associations, PlainPathsHaveNoWildcards) {
    EXPECT_TRUE(IsPlainPath("C:\\a\\pen.cur"));
    EXPECT_FALSE(IsPlainPath("C:\\a\\*.cur"));
    EXPECT_FALSE(IsPlainPath("C:\\a\\p?n.cur"));
}
