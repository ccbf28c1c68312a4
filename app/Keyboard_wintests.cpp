// The keyboard of the main window's pages and of the program's dialogs, typed as a user
// types it and handled by the loop that runs (the tests' pump through the application's
// routing for the main window, each dialog's own modal loop): where the focus goes, and
// what Enter and Escape do. And a hint that shows when the pointer rests on its control.
#include <algorithm>

#include "app/ExtIcon.h"
#include "app/MainWindowTestSupport.h"
#include "ui/KeyboardTestSupport.h"

namespace {

ImageRecord Plain(int index) {
    ImageRecord r;
    std::fill(r.Pixels.Bytes, r.Pixels.Bytes + kIndexBytes, static_cast<uint8_t>(index));
    return r;
}

struct KeyboardTest : MainWindowTest {
    KeyboardTest() : MainWindowTest("tamsolo-keyboard") {}
    void ShowMain() {
        form->ShowForm();
        SetForegroundWindow(form->Handle());
    }
    void Add(const std::string& name) {
        ASSERT_TRUE(form->ImagePage->AddImage(Plain(form->LastImage() + 2), 0, 0, 0, 0, name, name));
    }
    // Runs a modal dialog under a script; its modal result.
    static int RunModal(TForm& dialog, TKeyScript& script) {
        int result = mrNone;
        EXPECT_TRUE(script.Run([&] { result = dialog.ShowModal(); }, [&] { dialog.SetModalResult(IDABORT); })) << dialog.Name();
        return result;
    }
};

}  // namespace

TEST_F(KeyboardTest, TabGoesThroughThePagesOfTheMainWindowAndCtrlTabTurnsThem) {
    Add("one");
    Add("two");
    ShowMain();
    TKeyScript script;
    script.Add([&] { EXPECT_EQ(FocusName(), "ListBox1"); });  // the window opens on its first tab stop
    script.AddTable(
        {
            {VK_TAB, "NewBtn"},
            {VK_TAB, "OpenBtn"},
            {VK_TAB, "EditBtn"},
            {VK_TAB, "OpenBtn", true},
            {VK_TAB, "NewBtn", true},
            {VK_TAB, "ListBox1", true},
            {VK_TAB, "ListBox2", false, true},  // Ctrl+Tab: the frame page, at its first tab stop
            {VK_TAB, "FrameSpeed"},
            {VK_TAB, "ScrollBar2"},
            {VK_TAB, "InsertInfo", false, true},  // the file options page
            {VK_TAB, "IName"},
            {VK_TAB, "IArt"},                     // the caret leaves the title box
            {VK_TAB, "InsertMonoCur"},
            {VK_TAB, "MonoX"},                    // into the monochrome group
            {VK_TAB, "MonoY"},
            {VK_TAB, "ComboBox1"},
            {VK_TAB, "OpenMonoIcon"},
            {VK_TAB, "ListBox2", true, true},     // Ctrl+Shift+Tab: back to the frame page
        },
        "main window");
    script.Add([&] {
        EXPECT_EQ(form->PageControl1->ActivePageIndex(), 1);
        TypeKey(VK_ESCAPE);  // the main window has no cancel button: nothing happens
    });
    script.Add([&] {
        EXPECT_TRUE(form->Visible());
        EXPECT_EQ(FocusName(), "ListBox2");
    });
    EXPECT_TRUE(script.RunPumping());
}

TEST_F(KeyboardTest, TabOutOfTheIntervalBoxCommitsTheTypedValue) {
    ShowMain();
    form->PageControl1->SetActivePageIndex(1);
    TKeyScript script;
    int before = 0;
    script.Add([&] {
        before = form->FramePage->FrameSpeed->Value();
        form->FramePage->FrameSpeed->SetFocus();
        TypeKey(VK_BACK);  // the entry starts again from 0
    });
    script.Add([&] { TypeKey('4'); });
    script.Add([&] { TypeKey('2'); });
    script.Add([&] {
        EXPECT_EQ(form->FramePage->FrameSpeed->EntryValue(), 42);
        EXPECT_EQ(form->FramePage->FrameSpeed->Value(), before);  // typed, not committed yet
        EXPECT_NE(before, 42);
    });
    script.AddTable({{VK_TAB, "ScrollBar2"}}, "interval");
    script.Add([&] { EXPECT_EQ(form->FramePage->FrameSpeed->Value(), 42); });
    EXPECT_TRUE(script.RunPumping());
}

TEST_F(KeyboardTest, TheRenameBoxSelectsTheNameAndEnterGivesTheFocusBackToTheList) {
    Add("one");
    Add("two");
    ShowMain();
    TKeyScript script;
    script.Add([&] {
        form->ImagePage->ListBox1->SetFocus();
        form->ImagePage->Rename1Click();
    });
    script.Add([&] {
        TEdit& box = *form->ImagePage->Edit2;
        EXPECT_EQ(FocusName(), "Edit2");
        EXPECT_EQ(box.Perform(EM_GETSEL), MAKELRESULT(0, 3));  // the whole name: typing replaces it
        // The box covers the row's name from where the row writes it to the row's end.
        RECT row = form->ImagePage->ListBox1->ItemRect(1), list{}, edit{};
        GetWindowRect(form->ImagePage->ListBox1->Handle(), &list);
        GetWindowRect(box.Handle(), &edit);
        POINT name{row.left + 37, row.top};
        ClientToScreen(form->ImagePage->ListBox1->Handle(), &name);
        EXPECT_LE(edit.left, name.x);
        EXPECT_LE(edit.top, name.y);
        EXPECT_GE(edit.bottom, name.y + 16);
        EXPECT_GE(edit.right, list.right - 4);
        TypeKey('Z');
    });
    script.AddTable({{VK_RETURN, "ListBox1"}}, "rename");  // the list has the focus again
    script.Add([&] {
        EXPECT_FALSE(form->ImagePage->Renaming());
        EXPECT_EQ(form->ImagePage->ListBox1->Item(1), "z");
        TypeKey(VK_DELETE);  // and its keys work at once
    });
    script.Add([&] { EXPECT_EQ(form->LastImage(), 0); });
    EXPECT_TRUE(script.RunPumping());
}

TEST_F(KeyboardTest, HoveringAHintedControlOfTheMainWindowShowsItsHint) {
    Add("one");
    ShowMain();
    HWND tip = form->HintWindow();
    ASSERT_NE(tip, nullptr);
    MovePointerOver(form->ImagePage->ListBox1->Handle());
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(tip) != FALSE; }, 10000));
    wchar_t text[128] = {};
    GetWindowTextW(tip, text, 128);
    EXPECT_EQ(U(text), "クリックしながらドラッグすると移動できます。");
}

// The save mode box: its three choices are reached by Tab and the arrows; Enter is OK.
TEST_F(KeyboardTest, TheSaveModeBoxTakesTheKeyboard) {
    TKeyScript script;
    script.Add([&] { EXPECT_EQ(FocusName(), "SaveMode.Item1"); });  // the choice that is checked
    script.AddTable(
        {
            {VK_DOWN, "SaveMode.Item2"},
            {VK_TAB, "Button1"},
            {VK_TAB, "SaveMode.Item2"},
            {VK_UP, "SaveMode.Item1"},
            {VK_UP, "SaveMode.Item0"},
            {VK_TAB, "Button1", true},
            {VK_TAB, "SaveMode.Item0", true},
        },
        "save mode");
    script.Add([&] { TypeKey(VK_RETURN); });
    EXPECT_EQ(RunModal(*saveMode, script), mrOk);
    EXPECT_EQ(saveMode->ColourCount(), 16);
}

// Each small dialog: the focus when it opens, then what Enter and Escape do.
TEST_F(KeyboardTest, EnterAndEscapeInTheSmallDialogs) {
    TBackColorDlg back(form.get());
    int colourDialogs = 0;
    SetColorDialogHook([&](TColor&) {
        ++colourDialogs;
        return false;
    });
    struct Case {
        TForm* Dialog;
        const char* Focus;  // "" for a dialog without tab stops
        WORD Key;
        int Result;         // mrNone: still open after the key (Escape then closes it)
    };
    const Case cases[] = {
        {&back, "Button1", VK_RETURN, mrOk},  // Enter presses OK, which asks for the colour
        {&back, "Button1", VK_ESCAPE, mrCancel},
        {trans.get(), "", VK_RETURN, mrNone},  // only a click on the picture picks
        {hspot.get(), "", VK_ESCAPE, mrCancel},
        {curTest.get(), "", VK_ESCAPE, mrCancel},
    };
    for (const Case& c : cases) {
        TKeyScript script;
        script.Add([&] {
            if (*c.Focus) {
                EXPECT_EQ(FocusName(), c.Focus) << c.Dialog->Name();
            }
            TypeKey(c.Key);
        });
        if (c.Result == mrNone) {  // the dialog stays open, until Escape
            script.Add([&] {
                EXPECT_TRUE(c.Dialog->IsModal()) << c.Dialog->Name();
                TypeKey(VK_ESCAPE);
            });
        }
        EXPECT_EQ(RunModal(*c.Dialog, script), c.Result == mrNone ? mrCancel : c.Result) << c.Dialog->Name();
    }
    EXPECT_EQ(colourDialogs, 1);
    SetColorDialogHook(nullptr);
}

TEST_F(KeyboardTest, TheVersionDialogTakesTheKeyboard) {
    for (WORD closing : {VK_RETURN, VK_ESCAPE}) {
        TKeyScript script;
        script.Add([&] { EXPECT_EQ(FocusName(), "verMM"); });
        script.AddTable(
            {
                {VK_TAB, "verML"},
                {VK_TAB, "verLM"},
                {VK_TAB, "verLL"},
                {VK_TAB, "Edit1"},
                {VK_TAB, "Edit2"},
                {VK_TAB, "ListBox1"},
                {VK_TAB, "Memo1"},
                {'A', "Memo1"},
                {VK_TAB, "Memo1"},     // the memo takes tabs
                {VK_RETURN, "Memo1"},  // and Enter: a new line, the dialog stays
            },
            "version");
        script.Add([&] {
            EXPECT_EQ(version->Memo1->Text(), "a\t\r\n");
            EXPECT_TRUE(version->IsModal());
            version->Edit1->SetFocus();
            TypeKey(closing);  // from an edit: OK, or Cancel
        });
        EXPECT_EQ(RunModal(*version, script), closing == VK_RETURN ? mrOk : mrCancel);
    }
}

TEST_F(KeyboardTest, TheIconPickerTakesTheKeyboard) {
    for (WORD closing : {VK_RETURN, VK_ESCAPE}) {
        TExtIcon picker(form.get());
        TKeyScript script;
        script.Add([&] { EXPECT_EQ(FocusName(), "ValueBox1"); });
        script.AddTable(
            {
                {VK_TAB, "Button1"},
                {VK_TAB, "Button2"},
                {VK_TAB, "ValueBox1"},
                {VK_TAB, "Button2", true},
                {VK_TAB, "ValueBox1"},
            },
            "icon picker");
        script.Add([&] { TypeKey(closing); });
        EXPECT_EQ(RunModal(picker, script), closing == VK_RETURN ? mrOk : mrCancel);
    }
}
