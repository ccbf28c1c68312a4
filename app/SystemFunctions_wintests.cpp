// Commands whose system function is missing (as on a Windows that lacks it) end with a
// message that names the function, and change nothing.
#include <algorithm>

#include "app/ExtIconTestSupport.h"
#include "app/ImportTestSupport.h"
#include "app/MainWindowTestSupport.h"
#include "base/SystemLibraryTestSupport_win.h"

namespace {

struct SystemFunctionsTest : MainWindowTest {
    SystemFunctionsTest() : MainWindowTest("tamsolo-system-functions") {}
    void SetUp() override {
        MainWindowTest::SetUp();
        form->OptionsPage->NoDlgDisp->SetChecked(true);
    }
    void Drop(const std::vector<std::string>& files) { SendDrop(form->DropPanel1->Handle(), files); }
    static void Press(TControl& c) {
        c.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        c.Perform(WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    }
    void AddImage() {
        ImageRecord r;
        ASSERT_TRUE(form->ImagePage->AddImage(r, 0, 0, 0, 0, "img", "img"));
    }
    bool Said(const std::string& text) const {
        const std::vector<std::string> texts = Messages();
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }
};

} // namespace

TEST_F(SystemFunctionsTest, ACommandWhoseFunctionIsMissingSaysSoAndChangesNothing) {
    TShell32& shell = LoadedFunctions<TShell32>();
    TComdlg32& dialogs = LoadedFunctions<TComdlg32>();
    {
        TMissingSystemFunction missing(shell.DragQueryFile);
        Drop({Data("pil_1bit.bmp")});
        EXPECT_EQ(Messages(), std::vector<std::string>{MissingFunctionMessage("shell32.dll", "DragQueryFileW")});
        EXPECT_EQ(form->EntryCount(), 0);
    }
    boxes.Calls.clear();
    {
        TMissingSystemFunction missing(dialogs.GetOpenFileName);
        SetFileDialogHook(nullptr);
        Press(*form->ImagePage->OpenBtn);
        EXPECT_EQ(Messages(), std::vector<std::string>{MissingFunctionMessage("comdlg32.dll", "GetOpenFileNameW")});
    }
    boxes.Calls.clear();
    {
        TMissingSystemFunction missing(shell.ShellExecute);
        Press(*form->AboutPage->Label15);
        EXPECT_EQ(Messages(), std::vector<std::string>{MissingFunctionMessage("shell32.dll", "ShellExecuteW")});
    }
    boxes.Calls.clear();
    {
        // The background colour's box has no other way out: after the message it ends with the
        // stored colour, and the icon comes in.
        TMissingSystemFunction missing(dialogs.ChooseColor);
        form->OptionsPage->NoDlgDisp->SetChecked(false);
        std::vector<bool> shown;
        AnswerBackColour(clBlack, false, shown);
        BackColourAnswer().RealColourDialog = true;  // no stand-in for the colour dialog
        Drop({Fixture("icotool_4bit.ico")});
        StopAnswering();
        form->OptionsPage->NoDlgDisp->SetChecked(true);
        EXPECT_EQ(shown.size(), 1u);
        EXPECT_EQ(Messages(), std::vector<std::string>{MissingFunctionMessage("comdlg32.dll", "ChooseColorW")});
        EXPECT_EQ(form->EntryCount(), 1);
    }
    boxes.Calls.clear();
    {
        AddImage();
        form->ShowForm();
        form->PageControl1->SetActivePage(form->Page2);
        Press(*form->FramePage->Stop);
        TMissingSystemFunction missing(LoadedFunctions<TWinmm>().SetEvent);
        Press(*form->FramePage->Play);
        EXPECT_EQ(Messages(), std::vector<std::string>{MissingFunctionMessage("winmm.dll", "timeSetEvent")});
        EXPECT_FALSE(form->FramePage->Timer1->Running());
        EXPECT_FALSE(form->FramePage->Timer1->Enabled());
    }
}
