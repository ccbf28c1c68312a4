#include <gtest/gtest.h>

#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/HelpForm.h"

namespace {

// The application with a help file of the test's resources; message boxes recorded.
struct Help : ::testing::Test {
    void SetUp() override {
        TApplication::Instance().Initialize();
        TApplication::Instance().SetTitle("Tamsolo");
        SetMessageBoxHook([this](const TMessageBoxCall& c) {
            boxes.push_back(c);
            return IDOK;
        });
    }
    void TearDown() override {
        TApplication::Instance().HelpCommand(HELP_QUIT, 0);
        TApplication::Instance().SetHelpFile("");
        SetMessageBoxHook(nullptr);
    }
    std::vector<TMessageBoxCall> boxes;
};

} // namespace

TEST_F(Help, OpensAtTheContextOrAtTheFirstTopicAndQuitClosesIt) {
    TApplication& app = TApplication::Instance();
    app.SetHelpFile("TestHelp.hlp");
    struct Case {
        UINT Command;
        ULONG_PTR Data;
        int Topic;
    } cases[] = {{HELP_CONTEXT, 2, 1}, {HELP_CONTEXT, 1, 0}, {HELP_CONTEXT, 99, 0}, {HELP_CONTEXT, 2, 1}, {HELP_FINDER, 2, 0}};
    for (const Case& c : cases) {
        ASSERT_TRUE(app.HelpCommand(c.Command, c.Data)) << c.Command << " " << c.Data;
        THelpForm* help = app.HelpWindow();
        ASSERT_NE(help, nullptr);
        EXPECT_TRUE(IsWindowVisible(help->Handle()));
        EXPECT_EQ(help->CurrentTopic(), c.Topic) << c.Command << " " << c.Data;
    }
    EXPECT_EQ(app.HelpWindow()->HelpText->Lines(), (std::vector<std::string>{"【最初】", "", "一行目"}));
    // The focus is on the topics: the down arrow shows the next one.
    THelpForm& help = *app.HelpWindow();
    EXPECT_EQ(GetFocus(), help.HelpTopics->Handle());
    help.HelpTopics->Perform(WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(help.CurrentTopic(), 1);
    EXPECT_EQ(help.HelpText->Lines(), (std::vector<std::string>{"【二番目】", "", "二番目の本文"}));
    // The user closes it: hidden, and shown again by the next command.
    app.HelpWindow()->Perform(WM_CLOSE);
    EXPECT_FALSE(IsWindowVisible(app.HelpWindow()->Handle()));
    ASSERT_TRUE(app.HelpCommand(HELP_CONTEXT, 2));
    EXPECT_TRUE(IsWindowVisible(app.HelpWindow()->Handle()));
    EXPECT_TRUE(app.HelpCommand(HELP_QUIT, 0));
    EXPECT_EQ(app.HelpWindow(), nullptr);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Help, AHelpDocumentThatCannotBeReadIsReportedAndOpensNothing) {
    TApplication& app = TApplication::Instance();
    struct Case {
        const char* File;
        const char* Reason;
    } cases[] = {{"Missing.hlp", "'Missing.hlp' が見つかりません。"}, {"BrokenHelp.hlp", "line 2: a heading"}};
    for (const Case& c : cases) {
        boxes.clear();
        app.SetHelpFile(c.File);
        EXPECT_FALSE(app.HelpCommand(HELP_CONTEXT, 1));
        EXPECT_EQ(app.HelpWindow(), nullptr);
        ASSERT_EQ(boxes.size(), 1u) << c.File;
        EXPECT_TRUE(boxes[0].Text.starts_with("ヘルプを開けません。")) << boxes[0].Text;
        EXPECT_NE(boxes[0].Text.find(c.Reason), std::string::npos) << boxes[0].Text;
        EXPECT_EQ(boxes[0].Caption, "Tamsolo");
    }
    // Without a help file there is no help to open, and nothing to say.
    boxes.clear();
    app.SetHelpFile("");
    EXPECT_FALSE(app.HelpCommand(HELP_CONTEXT, 1));
    EXPECT_TRUE(boxes.empty());
}
