// The keyboard of every form, typed as a user types it: Tab through pages, panels and
// groups, the arrows in a radio group, Ctrl+Tab through the pages, Enter and Escape; and a
// hint that shows when the pointer rests on its control.
#include <gtest/gtest.h>

#include <memory>

#include "ui/Button.h"
#include "ui/Edit.h"
#include "ui/Form.h"
#include "ui/KeyboardTestSupport.h"
#include "ui/ListBox.h"
#include "ui/PageControl.h"
#include "ui/Panel.h"

namespace {

// A dialog with a page control of two pages (an edit on a panel and a radio group on the
// first, a memo and a list on the second), then OK (default) and Cancel.
struct TSampleDialog {
    TSampleDialog() : form("Sample", "sample", 320, 240, TFormBorder::bsDialog) {
        first = std::make_unique<TEdit>(&form, "First", "abc");
        first->SetBounds(8, 8, 100, 22);
        pages = std::make_unique<TPageControl>(&form, "Pages");
        pages->SetBounds(8, 36, 300, 160);
        TTabSheet* one = pages->AddPage("One", "one");
        TTabSheet* two = pages->AddPage("Two", "two");
        panel = std::make_unique<TPanel>(one, "Panel");
        panel->SetBounds(4, 4, 130, 40);
        onPanel = std::make_unique<TEdit>(panel.get(), "OnPanel", "on the panel");
        onPanel->SetBounds(4, 4, 120, 22);
        radios = std::make_unique<TRadioGroup>(one, "Radios", "group", std::vector<std::string>{"a", "b", "c"});
        radios->SetBounds(140, 4, 140, 84);
        radios->SetItemIndex(1);
        memo = std::make_unique<TMemo>(two, "Memo");
        memo->SetBounds(4, 4, 120, 60);
        list = std::make_unique<TListBox>(two, "List");
        list->SetBounds(130, 4, 100, 60);
        list->Add("x");
        list->Add("y");
        list->KeepKeys({VK_RETURN});
        list->OnKeyDown = [this](TControl*, WORD& key, const TShiftState&) {
            if (key == VK_RETURN) ++listEnters;
        };
        ok = std::make_unique<TButton>(&form, "OK", "OK");
        ok->SetBounds(150, 204, 75, 25);
        ok->SetModalResult(mrOk);
        ok->SetDefault(true);
        cancel = std::make_unique<TButton>(&form, "Cancel", "キャンセル");
        cancel->SetBounds(232, 204, 75, 25);
        cancel->SetModalResult(mrCancel);
        cancel->SetCancel(true);
    }
    TForm form;
    std::unique_ptr<TEdit> first, onPanel;
    std::unique_ptr<TPageControl> pages;
    std::unique_ptr<TPanel> panel;
    std::unique_ptr<TRadioGroup> radios;
    std::unique_ptr<TMemo> memo;
    std::unique_ptr<TListBox> list;
    std::unique_ptr<TButton> ok, cancel;
    int listEnters = 0;
};

struct KeyboardTest : ::testing::Test {
    void SetUp() override { TApplication::Instance().Initialize(); }
};

TEST_F(KeyboardTest, TabGoesThroughPagesPanelsAndGroupsAndTheArrowsThroughARadioGroup) {
    TSampleDialog d;
    TKeyScript script;
    script.Add([&] {
        EXPECT_EQ(FocusName(), "First");  // the first tab stop has the focus when it opens
        EXPECT_EQ(d.first->Perform(EM_GETSEL), MAKELRESULT(0, 3));
    });
    script.AddTable(
        {
            {VK_TAB, "OnPanel"},         // into the page and its panel
            {VK_TAB, "Radios.Item1"},    // the group is entered at its checked item
            {VK_DOWN, "Radios.Item2"},   // the arrows move the check within the group
            {VK_DOWN, "Radios.Item0"},   // and wrap
            {VK_UP, "Radios.Item2"},
            {VK_TAB, "OK"},              // one tab stop per group
            {VK_TAB, "Cancel"},
            {VK_TAB, "First"},           // round again
            {VK_TAB, "Cancel", true},    // Shift+Tab goes back
            {VK_TAB, "OK", true},
            {VK_TAB, "Radios.Item2", true},
        },
        "the first page");
    script.Add([&] {
        EXPECT_EQ(d.radios->ItemIndex(), 2);
        TypeKey(VK_ESCAPE);
    });
    int result = mrNone;
    EXPECT_TRUE(script.Run([&] { result = d.form.ShowModal(); }, [&] { d.form.SetModalResult(IDABORT); }));
    EXPECT_EQ(result, mrCancel);
    EXPECT_EQ(d.onPanel->Perform(EM_GETSEL), MAKELRESULT(0, 12));  // Tab selected its text
}

TEST_F(KeyboardTest, CtrlTabTurnsThePagesAndTheKeysAControlKeepsReachIt) {
    TSampleDialog d;
    TKeyScript script;
    script.AddTable(
        {
            {VK_TAB, "OnPanel"},
            {VK_TAB, "Memo", false, true},  // Ctrl+Tab: the next page, at its first tab stop
            {'A', "Memo"},
            {VK_RETURN, "Memo"},            // a multi-line edit keeps Enter
            {'B', "Memo"},
            {VK_TAB, "List"},
            {VK_RETURN, "List"},            // a key the list keeps reaches it, the dialog stays
            {VK_TAB, "OnPanel", true, true},  // Ctrl+Shift+Tab: back to the first page
        },
        "the pages");
    script.Add([&] {
        EXPECT_EQ(d.pages->ActivePageIndex(), 0);
        EXPECT_EQ(d.memo->Text(), "a\r\nb");
        EXPECT_EQ(d.listEnters, 1);
        EXPECT_TRUE(d.form.IsModal());
        TypeKey(VK_RETURN);  // Enter on an edit presses the default button
    });
    int result = mrNone;
    EXPECT_TRUE(script.Run([&] { result = d.form.ShowModal(); }, [&] { d.form.SetModalResult(IDABORT); }));
    EXPECT_EQ(result, mrOk);
}

TEST_F(KeyboardTest, EnterPressesTheFocusedButtonAndSpaceToo) {
    for (WORD key : {VK_RETURN, VK_SPACE}) {
        TSampleDialog d;
        int cancelled = 0;
        d.cancel->OnClick = [&](TControl*) { ++cancelled; };
        d.form.SetActiveControl(d.cancel.get());  // opens on Cancel
        TKeyScript script;
        script.Add([&] {
            EXPECT_EQ(FocusName(), "Cancel");
            TypeKey(key);
        });
        int result = mrNone;
        EXPECT_TRUE(script.Run([&] { result = d.form.ShowModal(); }, [&] { d.form.SetModalResult(IDABORT); }));
        EXPECT_EQ(result, mrCancel) << key;
        EXPECT_EQ(cancelled, 1) << key;
    }
}

TEST_F(KeyboardTest, TheApplicationsLoopMovesTheFocusOfAModelessForm) {
    TSampleDialog d;
    d.form.ShowForm();
    SetForegroundWindow(d.form.Handle());
    TKeyScript script;
    script.AddTable({{VK_TAB, "OnPanel"}, {VK_TAB, "Radios.Item1"}, {VK_ESCAPE, "Radios.Item1"}}, "modeless");
    EXPECT_TRUE(script.RunPumping());
    EXPECT_TRUE(d.form.Visible());  // the cancel button was pressed: its modal result ends only a modal form
    d.form.Close();
}

TEST_F(KeyboardTest, AHintShowsAsATooltipWhenThePointerRestsOnItsControl) {
    TSampleDialog d;
    d.ok->SetHint("press to agree");
    d.form.ShowForm();
    SetForegroundWindow(d.form.Handle());
    HWND tip = d.form.HintWindow();
    ASSERT_NE(tip, nullptr);
    EXPECT_FALSE(IsWindowVisible(tip));
    MovePointerOver(d.ok->Handle());
    const DWORD start = GetTickCount();
    while (!IsWindowVisible(tip) && GetTickCount() - start < 10000) {
        TApplication::Instance().ProcessMessages();
        Sleep(10);
    }
    ASSERT_TRUE(IsWindowVisible(tip));
    wchar_t text[64] = {};
    GetWindowTextW(tip, text, 64);
    EXPECT_EQ(U(text), "press to agree");
    MovePointerOver(d.first->Handle());  // a control without a hint: the tip goes
    const DWORD moved = GetTickCount();
    while (IsWindowVisible(tip) && GetTickCount() - moved < 10000) {
        TApplication::Instance().ProcessMessages();
        Sleep(10);
    }
    EXPECT_FALSE(IsWindowVisible(tip));
    d.form.Close();
}

TEST_F(KeyboardTest, AFormThatShowsItsHintsElsewhereMakesNoTooltip) {
    TSampleDialog d;
    d.form.SetShowHints(false);
    d.ok->SetHint("in the status bar");
    EXPECT_EQ(d.form.HintWindow(), nullptr);
}

}  // namespace
