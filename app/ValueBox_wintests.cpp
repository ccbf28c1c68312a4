#include "app/ValueBox.h"

#include "app/WinTestSupport.h"
#include "ui/Form.h"

namespace {

struct ValueBoxTest : ::testing::Test {
    void SetUp() override {
        TApplication::Instance().Initialize();
        form = std::make_unique<TForm>("F", "f", 200, 100);
        box = std::make_unique<TValueBox>(form.get(), "XHSpot");
        box->SetBounds(10, 10, 50, 20);
        box->OnChange = [this](TControl*) { ++changes; };
        form->ShowForm();
    }
    void Type(std::initializer_list<WORD> keys) {
        for (WORD k : keys) box->Perform(WM_KEYDOWN, k, 0);
    }
    std::unique_ptr<TForm> form;
    std::unique_ptr<TValueBox> box;
    int changes = 0;
};

} // namespace

TEST_F(ValueBoxTest, DefaultsAndDrawnText) {
    EXPECT_EQ(box->Max(), 255);
    EXPECT_EQ(box->Min(), 0);
    EXPECT_EQ(box->Value(), 0);
    EXPECT_TRUE(box->GetShowUpDown());
    EXPECT_EQ(box->UpDownWidth(), 15);
    EXPECT_EQ(box->Height(), 20);
    EXPECT_EQ(ComponentNameOf(box->Handle()), "XHSpot");
    EXPECT_EQ(box->DisplayText(), "0");
}

TEST_F(ValueBoxTest, TypingBuildsOnTheShownValueAndSpaceCommits) {
    box->SetValue(12);
    Type({'3'});
    EXPECT_EQ(box->EntryValue(), 123);
    EXPECT_EQ(box->Value(), 12);  // not committed yet
    Type({VK_RETURN});            // Enter does not commit
    EXPECT_EQ(box->Value(), 12);
    Type({VK_SPACE});
    EXPECT_EQ(box->Value(), 123);
    Type({VK_BACK});
    EXPECT_EQ(box->EntryValue(), 0);
    Type({VK_NUMPAD7, 'A', VK_SPACE});  // other keys are ignored
    EXPECT_EQ(box->Value(), 7);
}

TEST_F(ValueBoxTest, EntriesThatLeaveSixteenBitsBecomeZero) {
    box->SetMax(32767);
    Type({'9', '9', '9', '9'});
    EXPECT_EQ(box->EntryValue(), 9999);
    Type({'9'});
    EXPECT_EQ(box->EntryValue(), 0);
}

TEST_F(ValueBoxTest, MinusNeedsANegativeMinimum) {
    Type({VK_SUBTRACT, '5', VK_SPACE});
    EXPECT_EQ(box->Value(), 5);
    box->SetMin(-10);
    box->SetValue(0);
    Type({VK_OEM_MINUS});
    EXPECT_EQ(box->DisplayText(), "-");
    Type({'5'});
    EXPECT_EQ(box->DisplayText(), "-5");
    Type({VK_SPACE});
    EXPECT_EQ(box->Value(), -5);
    EXPECT_TRUE(box->MinusFlag());
}

TEST_F(ValueBoxTest, OutOfBoundsValuesNeverArriveButStillNotify) {
    RecordedBoxes boxes;
    box->SetMax(31);
    box->SetValue(20);
    changes = 0;
    box->SetValue(40);
    EXPECT_EQ(box->Value(), 20);
    EXPECT_EQ(box->EntryValue(), 20);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(boxes.Calls.empty());  // no message unless asked for
    box->SetShowMessageBox(true);
    box->SetValue(-1);
    ASSERT_EQ(boxes.Calls.size(), 1u);
    EXPECT_EQ(boxes.Calls[0].Text, "数値を0～31の間で指定してください");
    EXPECT_EQ(boxes.Calls[0].Caption, "数値入力について");
    EXPECT_EQ(boxes.Calls[0].Flags, static_cast<UINT>(MB_OK));
}

TEST_F(ValueBoxTest, BoundsThatWouldCrossAreIgnored) {
    box->SetMax(31);
    box->SetMin(40);
    EXPECT_EQ(box->Min(), 0);
    box->SetMin(5);
    box->SetMax(2);
    EXPECT_EQ(box->Max(), 31);
    EXPECT_EQ(box->Min(), 5);
}

TEST_F(ValueBoxTest, UpDownClicksCommitThenStepWithinTheBounds) {
    RecordedBoxes boxes;
    box->SetShowMessageBox(true);
    box->SetMax(31);
    box->SetValue(30);
    HWND ud = box->UpDownHandle();
    RECT r;
    GetClientRect(ud, &r);
    auto click = [&](bool up) {
        LPARAM at = MAKELPARAM(r.right / 2, up ? 2 : r.bottom - 2);
        SendMessageW(ud, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(ud, WM_LBUTTONUP, 0, at);
    };
    click(true);
    EXPECT_EQ(box->Value(), 31);
    EXPECT_TRUE(box->Focused());
    click(true);
    EXPECT_EQ(box->Value(), 31);
    EXPECT_EQ(boxes.Calls.size(), 1u);
    Type({VK_BACK, '7'});  // typed but not committed: the click commits it first
    click(false);
    EXPECT_EQ(box->Value(), 6);
}

TEST_F(ValueBoxTest, FocusBlinksTheCaretAndLosingItCommits) {
    box->SetFocus();
    EXPECT_TRUE(box->CaretOn());
    bool toggled = PumpUntil([&] { return !box->CaretOn(); }, 2000);
    EXPECT_TRUE(toggled);
    Type({'4'});
    SetFocus(form->Handle());
    EXPECT_FALSE(box->CaretOn());
    EXPECT_EQ(box->Value(), 4);
}

TEST_F(ValueBoxTest, DisabledBoxesIgnoreTypingAndTurnGrey) {
    box->SetEnabled(false);
    EXPECT_EQ(box->Color(), clBtnFace);
    EXPECT_FALSE(IsWindowEnabled(box->UpDownHandle()));
    Type({'5', VK_SPACE});
    EXPECT_EQ(box->Value(), 0);
    box->SetEnabled(true);
    EXPECT_EQ(box->Color(), clWindow);
    Type({'5', VK_SPACE});
    EXPECT_EQ(box->Value(), 5);
}
