#include "app/MainWindowTestSupport.h"
#include "app/TemporaryFile.h"

namespace {

ImageRecord Plain(int index) {
    ImageRecord r;
    for (int i = 0; i < 256; ++i) r.Palette[i] = TRGBQuad{static_cast<uint8_t>(i), 9, 9, 0};
    std::fill(r.Pixels.Bytes, r.Pixels.Bytes + kIndexBytes, static_cast<uint8_t>(index));
    return r;
}

struct FramePageTest : MainWindowTest {
    FramePageTest() : MainWindowTest("tamsolo-frames") {}
    void AddImages(int n, int hotX = 0, int hotY = 0) {
        for (int i = 0; i < n; ++i)
            ASSERT_TRUE(form->AddImage(Plain(i + 1), hotX, hotY, 0, 0, "img" + std::to_string(i), "img"));
    }
    void AddFrame(int image, int interval) {
        form->ListBox2->SetItemIndex(-1);  // so that no line takes the new values
        form->FramImageIndex->SetMax(form->LastImage());
        form->FramImageIndex->SetPosition(image);
        form->FrameSpeed->SetValue(interval);
        form->ListBox2->SetItemIndex(form->ListBox2->Count() - 1);
        form->AddFramBtn->Perform(BM_CLICK);
    }
};

} // namespace

TEST_F(FramePageTest, NewFramesGoBeforeTheSelectedLineUnlessTheLastIsSelected) {
    AddImages(5);
    for (int i = 0; i < 5; ++i) AddFrame(i, 10 + i);
    ASSERT_EQ(form->ListBox2->Count(), 5);
    EXPECT_EQ(form->ListBox2->Item(4), FormatFrameLine(4, 14));
    form->ListBox2->SetItemIndex(1);
    form->FramImageIndex->SetPosition(3);
    form->FrameSpeed->SetValue(99);  // the selected line takes the new interval
    EXPECT_EQ(form->ListBox2->Item(1), FormatFrameLine(1, 99));
    form->AddFramBtn->Perform(BM_CLICK);
    EXPECT_EQ(form->ListBox2->Count(), 6);
    EXPECT_EQ(form->ListBox2->ItemIndex(), 1);
    EXPECT_EQ(form->ListBox2->Item(1), FormatFrameLine(3, 99));
    EXPECT_EQ(form->ListBox2->Item(2), FormatFrameLine(1, 99));
}

TEST_F(FramePageTest, ALineNamingAMissingImageIsResetToImageZeroWhenSelected) {
    AddImages(2);
    form->ListBox2->Add(FormatFrameLine(2, 30));  // one past the last image
    form->ListBox2->SetItemIndex(0);
    form->ListBox2Click();
    EXPECT_EQ(form->ListBox2->Item(0), FormatFrameLine(0, 30));
    EXPECT_EQ(form->FramImageIndex->Position(), 0);
    EXPECT_EQ(form->FrameSpeed->Value(), 30);
}

TEST_F(FramePageTest, PerFrameModeIsCheckedWhenTurnedOnAndAfterDeleting) {
    form->InsertFram->SetChecked(true);
    EXPECT_FALSE(form->InsertFram->Checked());
    EXPECT_EQ(Messages(), std::vector<std::string>{"まだイメージがありません。"});
    AddImages(1);
    boxes.Calls.clear();
    form->InsertFram->SetChecked(true);
    EXPECT_EQ(Messages(), std::vector<std::string>{"フレームデータがありません。"});
    AddFrame(0, 10);
    form->InsertFram->SetChecked(true);
    EXPECT_TRUE(form->InsertFram->Checked());
    boxes.Calls.clear();
    form->ListBox2->SetItemIndex(0);
    form->DelFramBtn->Perform(BM_CLICK);
    EXPECT_FALSE(form->InsertFram->Checked());
    EXPECT_EQ(Messages(), std::vector<std::string>{"フレームデータがありません。"});
}

TEST_F(FramePageTest, BuildingTheTablesWarnsAboutUnusedImagesAndRefusesMissingOnes) {
    AddImages(3);
    AddFrame(0, 5);
    AddFrame(2, 6);
    EXPECT_TRUE(form->BuildFrameArrays());
    EXPECT_EQ(Messages(), std::vector<std::string>{"フレームとして使われていないイメージがあります。"});
    EXPECT_EQ(form->FrameArrays().FFrameCount, 2);
    EXPECT_EQ(form->FrameArrays().FFrameImages[1], 2);
    EXPECT_EQ(form->FrameArrays().FFrameSpeeds[1], 6);
    boxes.Calls.clear();
    form->ListBox1->SetItemIndex(2);
    form->DelImageBtnClick();  // frame 1 now names a deleted image
    EXPECT_FALSE(form->BuildFrameArrays());
    EXPECT_EQ(Messages(), std::vector<std::string>{"イメージが削除されたため、フレームデータに存在しないイメージ番号があります。"});
    EXPECT_EQ(form->FrameArrays().FFrameCount, 2);  // left as they were
}

TEST_F(FramePageTest, ThePreviewTimesPlacesAndStepsBack) {
    AddImages(3);
    AddFrame(0, 5);
    AddFrame(1, 10);
    AddFrame(2, 10);
    form->InsertFram->SetChecked(true);
    form->Timer1Timer();  // shows frame 1 (interval 10) ...
    form->RepMouseDown();  // ... and back: frame 0
    EXPECT_EQ(form->PreviewFrame(), 0);
    EXPECT_EQ(form->Timer1->Interval(), 102);
    EXPECT_FALSE(form->Timer1->Enabled());
    EXPECT_TRUE(form->Stop->Down());
    form->PreMouseDown();
    EXPECT_EQ(form->Timer1->Interval(), 192);
    form->RepMouseDown();
    form->RepMouseDown();  // back from frame 0 of three: frame 2
    EXPECT_EQ(form->PreviewFrame(), 2);
    EXPECT_EQ(form->Label17->Caption(), "Frm.002 Img.002");
}

TEST_F(FramePageTest, ThePreviewKeepsTheHotspotOnItsAnchor) {
    AddImages(1, 31, 0);
    form->Timer1Timer();
    EXPECT_TRUE(form->Image4->Visible());
    RECT r = form->Image4->BoundsRect();
    EXPECT_EQ(r.left, 290);
    EXPECT_EQ(r.top, 74);
    form->UniteHotspot->SetChecked(true);
    form->UniHotX->SetValue(1);
    form->UniHotY->SetValue(2);
    form->Timer1Timer();
    r = form->Image4->BoundsRect();
    EXPECT_EQ(r.left, 320);
    EXPECT_EQ(r.top, 72);
}

TEST_F(FramePageTest, ThePreviewPlaysOnlyOnTheFramePage) {
    AddImages(2);
    form->ShowForm();
    form->PageControl1->SetActivePage(form->Page2);
    EXPECT_TRUE(form->Timer1->Running());
    std::string first = form->Label17->Caption();
    EXPECT_TRUE(PumpUntil([&] { return form->Label17->Caption() != first; }, 3000));
    form->PageControl1->SetActivePage(form->Page1);
    EXPECT_FALSE(form->Timer1->Running());
    form->PageControl1->SetActivePage(form->Page2);
    form->Stop->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    form->Stop->Perform(WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_FALSE(form->Timer1->Running());
}

TEST_F(FramePageTest, TheAnimationTestWritesTriesAndRemovesItsFile) {
    AddImages(2);
    saveMode->SaveMode->SetItemIndex(0);
    EXPECT_EQ(WriteAniFile(form->ExePath() + "x.ani", form->AniInput(AniSaveMode::Colours256)), 1);
    HCURSOR seen = CursorSeenByTheCursorTest([&] { form->ANITest->Perform(BM_CLICK); });
    EXPECT_EQ(saveMode->ColourCount(), 256);  // the test always writes 256 colours
    EXPECT_NE(seen, LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
    EXPECT_EQ(ScreenCursor(4), LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
    EXPECT_FALSE(FileExists(TempFolderPath() + kAniTestFileName));
    EXPECT_FALSE(FileExists(form->ExePath() + kAniTestFileName));
    EXPECT_TRUE(Messages().empty());

    // Frames naming a deleted image are reported and nothing is tried.
    AddFrame(1, 10);
    form->InsertFram->SetChecked(true);
    form->ListBox1->SetItemIndex(1);
    form->DelImageBtnClick();
    boxes.Calls.clear();
    EXPECT_EQ(CursorSeenByTheCursorTest([&] { form->ANITest->Perform(BM_CLICK); }), nullptr);
    EXPECT_EQ(Messages(), std::vector<std::string>{"イメージが削除されたため、フレームデータに存在しないイメージ番号があります。"});
}

TEST_F(FramePageTest, TrackBarsSetTheScrollMaximumButNotBelowThePosition) {
    form->FrameSpeed->SetValue(40);
    EXPECT_EQ(form->ScrollBar2->Position(), 40);
    form->TrackBar1->SetPosition(600);
    EXPECT_EQ(form->ScrollBar2->Max(), 600);
    form->TrackBar1->SetPosition(20);  // below the scroll bar's 40: the track bar goes back
    EXPECT_EQ(form->TrackBar1->Position(), 40);
    EXPECT_EQ(form->ScrollBar2->Max(), 600);
    form->ScrollBar1->SetPosition(77);
    EXPECT_EQ(form->DefaultSpeed->Value(), 77);
}
