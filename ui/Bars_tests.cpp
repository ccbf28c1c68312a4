#include <gtest/gtest.h>

#include "ui/Application.h"
#include "ui/Bars.h"
#include "ui/ComboBox.h"
#include "ui/Form.h"

namespace {
struct BarsTest : ::testing::Test {
    void SetUp() override {
        TApplication::Instance().Initialize();
        form = std::make_unique<TForm>("F", "f", 300, 100);
    }
    std::unique_ptr<TForm> form;
};
} // namespace

TEST_F(BarsTest, ScrollBarsClampAndReportChanges) {
    TScrollBar bar(form.get(), "ScrollBar1", 1, 911, 10);
    int changes = 0;
    bar.OnChange = [&](TControl*) { ++changes; };
    bar.SetPosition(2000);
    EXPECT_EQ(bar.Position(), 911);
    bar.SetMax(512);  // a lower maximum pulls the position in
    EXPECT_EQ(bar.Position(), 512);
    form->Perform(WM_HSCROLL, SB_LINELEFT, reinterpret_cast<LPARAM>(bar.Handle()));
    EXPECT_EQ(bar.Position(), 511);
    EXPECT_EQ(changes, 3);
    bar.SetPosition(511);  // no change, no event
    EXPECT_EQ(changes, 3);
}

TEST_F(BarsTest, UpDownPairsWrapOrStopAtTheEnds) {
    TUpDown wrap(form.get(), "FramImageIndex", 0, 2, true), stop(form.get(), "Stop", 0, 2, false);
    int clicks = 0;
    wrap.OnClick = [&](TControl*) { ++clicks; };
    wrap.SetPosition(2);
    wrap.Step(1);
    EXPECT_EQ(wrap.Position(), 0);
    wrap.Step(-1);
    EXPECT_EQ(wrap.Position(), 2);
    EXPECT_EQ(clicks, 2);
    stop.SetPosition(2);
    stop.Step(1);
    EXPECT_EQ(stop.Position(), 2);
    // A click on the control itself arrives as a notification to the parent.
    NMUPDOWN nm{};
    nm.hdr.hwndFrom = wrap.Handle();
    nm.hdr.code = UDN_DELTAPOS;
    nm.iDelta = 1;
    EXPECT_EQ(form->Perform(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&nm)), 1);
    EXPECT_EQ(wrap.Position(), 0);
}

TEST_F(BarsTest, ComboBoxesReportTheUsersChoiceOnly) {
    TComboBox box(form.get(), "ComboBox1", {"Arrow", "Help", "HandPoint"});
    int changes = 0;
    box.OnChange = [&](TControl*) { ++changes; };
    EXPECT_EQ(box.ItemIndex(), -1);
    box.SetItemIndex(2);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(box.Item(box.ItemIndex()), "HandPoint");
    form->Perform(WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box.Handle()));
    EXPECT_EQ(changes, 1);
}
