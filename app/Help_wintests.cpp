#include "app/MainForm.h"

#include "app/WinTestSupport.h"
#include "ui/HelpForm.h"

namespace {

const char* const kTestName = "HelpTest";

// The main window as the program starts it: the application's title and help file set, the
// window shown and named as the main form.
struct HelpTest : ::testing::Test {
    void SetUp() override {
        TApplication& app = TApplication::Instance();
        app.Initialize();
        app.SetTitle("Tamsolo");
        app.SetHelpFile("Tamsolo165.hlp");
        DeleteTestKeys(kTestName);
        SetCurrentDirectoryW(W(TempFolder("tamsolo-help")).c_str());
        form = std::make_unique<TForm1>(GetModuleHandleW(nullptr), "", TSettingsKeys::ForTest(kTestName));
        app.SetMainForm(form.get());
        form->ShowForm();
    }
    void TearDown() override {
        form.reset();
        TApplication::Instance().SetHelpFile("");
        DeleteTestKeys(kTestName);
    }
    // A press of the help button as the mouse makes it.
    void PressHelp() {
        form->SpeedButton1->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
        form->SpeedButton1->Perform(WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    }
    // The help window as another program finds it.
    static HWND FindHelp() {
        HWND h = FindWindowW(L"TamsoloForm", L"Tamsolo ヘルプ");
        return h && IsWindowVisible(h) ? h : nullptr;
    }
    static std::string TextOf(HWND h) {
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(GetWindowTextW(h, text.data(), static_cast<int>(text.size()))));
        return U(text);
    }
    static std::string SelectedTopic(HWND help) {
        HWND list = FindComponent(help, "HelpTopics");
        const LRESULT i = SendMessageW(list, LB_GETCURSEL, 0, 0);
        if (i < 0) return {};
        std::wstring title(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
        title.resize(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(title.data()))));
        return U(title);
    }

    std::unique_ptr<TForm1> form;
    RecordedBoxes boxes;
};

} // namespace

TEST_F(HelpTest, TheHelpButtonOpensTheFirstTopicOnEveryPage) {
    EXPECT_EQ(TApplication::Instance().HelpWindow(), nullptr);  // made when first asked for
    const std::string first = form->PageControl1->Page(0)->PageCaption();
    HWND shown = nullptr;
    for (int i = 0; i < form->PageControl1->PageCount(); ++i) {
        TTabSheet* page = form->PageControl1->Page(i);
        form->PageControl1->SetActivePage(page);
        PressHelp();
        HWND help = FindHelp();
        ASSERT_NE(help, nullptr) << page->PageCaption();
        if (!shown) shown = help;
        EXPECT_EQ(help, shown) << "one help window, shown again";
        EXPECT_EQ(GetWindow(help, GW_OWNER), form->Handle());
        EXPECT_EQ(SelectedTopic(help), first) << "from " << page->PageCaption();
        const std::string text = TextOf(FindComponent(help, "HelpText"));
        EXPECT_TRUE(text.starts_with("【" + first + "】")) << page->PageCaption() << ": " << text.substr(0, 60);
        // Every page keeps its topic in the list, in the pages' order.
        THelpForm& topics = *TApplication::Instance().HelpWindow();
        ASSERT_GT(topics.HelpTopics->Count(), i);
        EXPECT_EQ(topics.HelpTopics->Item(i), page->PageCaption());
        ShowWindow(help, SW_HIDE);  // closed by the user before the next page
    }
    EXPECT_TRUE(boxes.Calls.empty());

    // The editor's topic is in the list; choosing it shows its text.
    THelpForm& help = *TApplication::Instance().HelpWindow();
    int editor = -1;
    for (int i = 0; i < help.HelpTopics->Count(); ++i)
        if (help.HelpTopics->Item(i) == "イメージエディタ") editor = i;
    ASSERT_GE(editor, 0);
    SendMessageW(help.HelpTopics->Handle(), LB_SETCURSEL, static_cast<WPARAM>(editor), 0);
    SendMessageW(help.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(help.HelpTopics->Handle()), LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(help.HelpTopics->Handle()));
    EXPECT_TRUE(help.HelpText->Text().starts_with("【イメージエディタ】"));
    EXPECT_NE(help.HelpText->Text().find("主色"), std::string::npos);
}

TEST_F(HelpTest, TheHelpStaysUsableBesideAModalWindowAndGoesWithTheMainWindow) {
    PressHelp();
    HWND help = FindHelp();
    ASSERT_NE(help, nullptr);
    {
        TForm dialog("Dialog", "modal", 100, 60, TFormBorder::bsDialog, form.get());
        TThreadWindowsDisabled modal(dialog.Handle());
        EXPECT_FALSE(IsWindowEnabled(form->Handle()));
        EXPECT_TRUE(IsWindowEnabled(help));
    }
    EXPECT_TRUE(IsWindowEnabled(form->Handle()));
    form.reset();
    EXPECT_FALSE(IsWindow(help));
    EXPECT_EQ(TApplication::Instance().HelpWindow(), nullptr);
}
