#include "system/CursorSchemes.h"

#include <gtest/gtest.h>

namespace {
std::vector<std::string> Files(std::initializer_list<std::pair<int, const char*>> set) {
    std::vector<std::string> f(kCursorRoleCount);
    for (auto [role, file] : set) f[static_cast<std::size_t>(role)] = file;
    return f;
}

TCursorSchemes Loaded() {
    TCursorSchemes s;
    s.Load({"Blue", "Red"}, {"C:\\b.cur,,,,,,,,,,,,,,C:\\h.ani", "%SystemRoot%\\r.cur,,,,,,,,,,,,,,"}, "Blue",
           Files({{0, "C:\\b.cur"}, {14, "C:\\h.ani"}}));
    return s;
}
} // namespace

TEST(CursorSchemes, RoleTablesFollowTheWindowsOrder) {
    EXPECT_STREQ(CursorRoleNames[0], "Arrow");
    EXPECT_STREQ(CursorRoleNames[6], "NWPen");
    EXPECT_STREQ(CursorRoleNames[14], "Hand");
    EXPECT_STREQ(kCursorRoleLines[3], "待ち状態           《HourGlass(Wait)》");
    EXPECT_STREQ(kCursorRoleLines[14], "リンクの選択       《HandPoint》");
}

TEST(CursorSchemes, SplitsAtEveryCommaAndReportsMissingFieldsAfterTheFirst) {
    struct Case {
        std::string value;
        int fields;  // how many leading fields carry a name
        int reported;
    };
    const auto fields = [](int n) {
        std::string value;
        for (int i = 0; i < n; ++i) {
            if (i) value += ',';
            value.append("f").append(std::to_string(i));
        }
        return value;
    };
    const std::string full = fields(15), fourteen = fields(14), thirteen = fields(13);
    for (const Case& c : {Case{full, 15, 0}, Case{fourteen, 14, 0}, Case{thirteen, 13, 1}, Case{"", 0, 13},
                          Case{full + ",extra,more", 15, 0}}) {
        TSchemeFields f = SplitSchemeValue(c.value);
        ASSERT_EQ(f.Files.size(), 15u) << c.value;
        EXPECT_EQ(f.MissingReported, c.reported) << c.value;
        for (int i = 0; i < 15; ++i)
            EXPECT_EQ(f.Files[static_cast<std::size_t>(i)], i < c.fields ? std::string("f").append(std::to_string(i)) : std::string()) << c.value;
    }
    EXPECT_EQ(SplitSchemeValue(",,x").Files[2], "x");
    EXPECT_EQ(JoinSchemeFiles(SplitSchemeValue(full).Files), full);
}

TEST(CursorSchemes, NamesCompareWithoutCaseAndTextsWithPercentAreExpandable) {
    EXPECT_TRUE(SameSchemeName("Windows Standard", "windows STANDARD"));
    EXPECT_FALSE(SameSchemeName("Blue", "Blue2"));
    EXPECT_TRUE(SameSchemeName("青い", "青い"));
    EXPECT_EQ(FindSchemeName({"a", "Blue"}, "BLUE"), 1);
    EXPECT_EQ(FindSchemeName({"a"}, "b"), -1);
    EXPECT_TRUE(IsExpandableText("%SystemRoot%\\cursors\\x.cur"));
    EXPECT_FALSE(IsExpandableText("C:\\x.cur"));
}

TEST(CursorSchemes, AnEmptyActiveNameShowsNone) {
    TCursorSchemes s;
    s.Load({}, {}, "", {});
    EXPECT_EQ(s.Text(), "(なし)");
    EXPECT_EQ(s.Files().size(), 15u);
    EXPECT_EQ(s.ActiveNameToStore(), "");
}

TEST(CursorSchemes, SelectingASchemeTakesItsFilesAndKeepsUndo) {
    TCursorSchemes s = Loaded();
    s.DropDown();
    int reported = -1;
    EXPECT_FALSE(s.SelectScheme("Gre", reported));  // typed, not a scheme
    EXPECT_EQ(s.File(0), "C:\\b.cur");
    ASSERT_TRUE(s.SelectScheme("red", reported));
    EXPECT_EQ(reported, 0);
    EXPECT_EQ(s.File(0), "%SystemRoot%\\r.cur");
    EXPECT_EQ(s.File(14), "");
    EXPECT_EQ(s.PrevScheme(), "Blue");
    EXPECT_EQ(s.UndoFiles()[14], "C:\\h.ani");
    EXPECT_EQ(s.ActiveNameToStore(), "Red");  // stored as the scheme spells it

    s.Undo();
    EXPECT_EQ(s.Text(), "Blue");
    EXPECT_EQ(s.File(14), "C:\\h.ani");
    s.Undo();
    EXPECT_EQ(s.Text(), "red");
    EXPECT_EQ(s.File(0), "%SystemRoot%\\r.cur");
}

TEST(CursorSchemes, AddAndDeleteFollowTheNameRules) {
    TCursorSchemes s = Loaded();
    s.SetText("");
    EXPECT_EQ(s.CanAdd(), TCursorSchemes::TAddCheck::NoName);
    s.SetText("(なし)");
    EXPECT_EQ(s.CanAdd(), TCursorSchemes::TAddCheck::NoName);
    EXPECT_FALSE(s.CanDelete());
    s.SetText("BLUE");
    EXPECT_EQ(s.CanAdd(), TCursorSchemes::TAddCheck::Exists);
    s.SetFile(6, "C:\\pen.cur");
    EXPECT_EQ(s.PrevScheme(), "BLUE");
    EXPECT_EQ(s.UndoFiles()[6], "");
    s.SetText("Mine");
    ASSERT_EQ(s.CanAdd(), TCursorSchemes::TAddCheck::Ok);
    s.Add();
    ASSERT_EQ(s.Names().size(), 3u);
    EXPECT_EQ(s.Values()[2], "C:\\b.cur,,,,,,C:\\pen.cur,,,,,,,,C:\\h.ani");
    ASSERT_TRUE(s.CanDelete());
    s.Delete();
    EXPECT_EQ(s.Text(), "(なし)");
    EXPECT_EQ(s.Names(), (std::vector<std::string>{"Blue", "Red"}));
    EXPECT_EQ(s.File(6), "C:\\pen.cur");  // the role files stay
}

TEST(CursorSchemes, ApplyStoresOnlyWhatDiffers) {
    TCursorSchemes s = Loaded();
    std::vector<std::string> stored = Files({{0, "C:\\b.cur"}, {14, "C:\\H.ani"}, {3, "x"}});
    EXPECT_EQ(s.RolesToStore(stored), (std::vector<int>{3, 14}));  // case counts in files
    EXPECT_TRUE(s.RolesToStore(s.Files()).empty());

    std::map<std::string, std::string> schemes = {
        {"blue", "C:\\b.cur,,,,,,,,,,,,,,C:\\h.ani"}, {"Red", "old"}, {"Gone", "x"}};
    TSchemeStorePlan plan = s.SchemesToStore(schemes);
    ASSERT_EQ(plan.Write.size(), 1u);
    EXPECT_EQ(plan.Write[0].first, "Red");
    EXPECT_EQ(plan.Delete, (std::vector<std::string>{"Gone"}));
    schemes = {{"Blue", s.Values()[0]}, {"Red", s.Values()[1]}};
    plan = s.SchemesToStore(schemes);
    EXPECT_TRUE(plan.Write.empty());
    EXPECT_TRUE(plan.Delete.empty());
}
