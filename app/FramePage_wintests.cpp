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
            ASSERT_TRUE(form->ImagePage->AddImage(Plain(i + 1), hotX, hotY, 0, 0, "img" + std::to_string(i), "img"));
    }
    void AddFrame(int image, int interval) {
        form->FramePage->ListBox2->SetItemIndex(-1);  // so that no line takes the new values
        form->FramePage->FramImageIndex->SetMax(form->LastImage());
        form->FramePage->FramImageIndex->SetPosition(image);
        form->FramePage->FrameSpeed->SetValue(interval);
        form->FramePage->ListBox2->SetItemIndex(form->FramePage->ListBox2->Count() - 1);
        form->FramePage->AddFramBtn->Perform(BM_CLICK);
    }
};

} // namespace

TEST_F(FramePageTest, NewFramesGoBeforeTheSelectedLineUnlessTheLastIsSelected) {
    AddImages(5);
    for (int i = 0; i < 5; ++i) AddFrame(i, 10 + i);
    ASSERT_EQ(form->FramePage->ListBox2->Count(), 5);
    EXPECT_EQ(form->FramePage->ListBox2->Item(4), FormatFrameLine(4, 14));
    form->FramePage->ListBox2->SetItemIndex(1);
    form->FramePage->FramImageIndex->SetPosition(3);
    form->FramePage->FrameSpeed->SetValue(99);  // the selected line takes the new interval
    EXPECT_EQ(form->FramePage->ListBox2->Item(1), FormatFrameLine(1, 99));
    form->FramePage->AddFramBtn->Perform(BM_CLICK);
    EXPECT_EQ(form->FramePage->ListBox2->Count(), 6);
    EXPECT_EQ(form->FramePage->ListBox2->ItemIndex(), 1);
    EXPECT_EQ(form->FramePage->ListBox2->Item(1), FormatFrameLine(3, 99));
    EXPECT_EQ(form->FramePage->ListBox2->Item(2), FormatFrameLine(1, 99));
}

// The chosen image's name box as it draws itself; names that differ only by an underscore
// must differ there as they do in the image list.
TEST_F(FramePageTest, TheNameBoxShowsEveryCharacterOfTheImagesName) {
    for (const char* name : {"anim2_03", "anim2 03"})
        ASSERT_TRUE(form->ImagePage->AddImage(Plain(1), 0, 0, 0, 0, name, name));
    TPanel& box = *form->FramePage->Panel3;
    RECT client;
    GetClientRect(box.Handle(), &client);
    std::vector<COLORREF> shown[2];
    form->FramePage->FramImageIndex->SetMax(1);
    for (int i = 0; i < 2; ++i) {
        form->FramePage->FramImageIndex->SetPosition(i);
        form->FramePage->FramImageIndexClick();
        ASSERT_EQ(box.Caption(), i == 0 ? "anim2_03" : "anim2 03");
        TDibSection dib(client.right, client.bottom);
        box.Perform(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib.DC()), PRF_CLIENT);
        GdiFlush();
        for (int y = 0; y < client.bottom; ++y)
            for (int x = 0; x < client.right; ++x) shown[i].push_back(dib.PixelAt(x, y));
    }
    EXPECT_NE(std::count(shown[1].begin(), shown[1].end(), shown[1][client.right * 2 + 3]), std::ssize(shown[1]));  // text drawn
    EXPECT_NE(shown[0], shown[1]);
}

TEST_F(FramePageTest, ALineNamingAMissingImageIsResetToImageZeroWhenSelected) {
    AddImages(3);
    AddFrame(2, 30);
    form->ImagePage->SelectImage(2);
    form->ImagePage->DelImageBtnClick();  // the frame now names one past the last image
    form->FramePage->ListBox2->SetItemIndex(0);
    form->FramePage->ListBox2Click();
    EXPECT_EQ(form->FramePage->ListBox2->Item(0), FormatFrameLine(0, 30));
    EXPECT_EQ(form->FramePage->FramImageIndex->Position(), 0);
    EXPECT_EQ(form->FramePage->FrameSpeed->Value(), 30);
    EXPECT_EQ(form->Document().Frame(0), (FrameLine{0, 30}));
}

TEST_F(FramePageTest, PerFrameModeIsCheckedWhenTurnedOnAndAfterDeleting) {
    form->FramePage->InsertFram->SetChecked(true);
    EXPECT_FALSE(form->FramePage->InsertFram->Checked());
    EXPECT_EQ(Messages(), std::vector<std::string>{"まだイメージがありません。"});
    AddImages(1);
    boxes.Calls.clear();
    form->FramePage->InsertFram->SetChecked(true);
    EXPECT_EQ(Messages(), std::vector<std::string>{"フレームデータがありません。"});
    AddFrame(0, 10);
    form->FramePage->InsertFram->SetChecked(true);
    EXPECT_TRUE(form->FramePage->InsertFram->Checked());
    boxes.Calls.clear();
    form->FramePage->ListBox2->SetItemIndex(0);
    form->FramePage->DelFramBtn->Perform(BM_CLICK);
    EXPECT_FALSE(form->FramePage->InsertFram->Checked());
    EXPECT_EQ(Messages(), std::vector<std::string>{"フレームデータがありません。"});
}

TEST_F(FramePageTest, BuildingTheTablesWarnsAboutUnusedImagesAndRefusesMissingOnes) {
    AddImages(3);
    AddFrame(0, 5);
    AddFrame(2, 6);
    EXPECT_TRUE(form->FramePage->BuildFrameArrays());
    EXPECT_EQ(Messages(), std::vector<std::string>{"フレームとして使われていないイメージがあります。"});
    EXPECT_EQ(form->Document().FrameArrays().FFrameCount, 2);
    EXPECT_EQ(form->Document().FrameArrays().FFrameImages[1], 2);
    EXPECT_EQ(form->Document().FrameArrays().FFrameSpeeds[1], 6);
    boxes.Calls.clear();
    form->ImagePage->ListBox1->SetItemIndex(2);
    form->ImagePage->DelImageBtnClick();  // frame 1 now names a deleted image
    EXPECT_FALSE(form->FramePage->BuildFrameArrays());
    EXPECT_EQ(Messages(), std::vector<std::string>{"イメージが削除されたため、フレームデータに存在しないイメージ番号があります。"});
    EXPECT_EQ(form->Document().FrameArrays().FFrameCount, 2);  // left as they were
}

TEST_F(FramePageTest, ThePreviewTimesPlacesAndStepsBack) {
    AddImages(3);
    AddFrame(0, 5);
    AddFrame(1, 10);
    AddFrame(2, 10);
    form->FramePage->InsertFram->SetChecked(true);
    form->FramePage->Timer1Timer();  // shows frame 1 (interval 10) ...
    form->FramePage->RepMouseDown();  // ... and back: frame 0
    EXPECT_EQ(form->FramePage->PreviewFrame(), 0);
    EXPECT_EQ(form->FramePage->Timer1->Interval(), 102);
    EXPECT_FALSE(form->FramePage->Timer1->Enabled());
    EXPECT_TRUE(form->FramePage->Stop->Down());
    form->FramePage->PreMouseDown();
    EXPECT_EQ(form->FramePage->Timer1->Interval(), 192);
    form->FramePage->RepMouseDown();
    form->FramePage->RepMouseDown();  // back from frame 0 of three: frame 2
    EXPECT_EQ(form->FramePage->PreviewFrame(), 2);
    EXPECT_EQ(form->FramePage->Label17->Caption(), "Frm.002 Img.002");
}

TEST_F(FramePageTest, ThePreviewKeepsTheHotspotOnItsAnchor) {
    AddImages(1, 31, 0);
    form->FramePage->Timer1Timer();
    EXPECT_TRUE(form->FramePage->Image4->Visible());
    RECT r = form->FramePage->Image4->BoundsRect();
    EXPECT_EQ(r.left, 290);
    EXPECT_EQ(r.top, 74);
    form->FramePage->UniteHotspot->SetChecked(true);
    form->FramePage->UniHotX->SetValue(1);
    form->FramePage->UniHotY->SetValue(2);
    form->FramePage->Timer1Timer();
    r = form->FramePage->Image4->BoundsRect();
    EXPECT_EQ(r.left, 320);
    EXPECT_EQ(r.top, 72);
}

TEST_F(FramePageTest, ThePreviewPlaysOnlyOnTheFramePage) {
    AddImages(2);
    form->ShowForm();
    form->PageControl1->SetActivePage(form->Page2);
    EXPECT_TRUE(form->FramePage->Timer1->Running());
    std::string first = form->FramePage->Label17->Caption();
    EXPECT_TRUE(PumpUntil([&] { return form->FramePage->Label17->Caption() != first; }, 3000));
    form->PageControl1->SetActivePage(form->Page1);
    EXPECT_FALSE(form->FramePage->Timer1->Running());
    form->PageControl1->SetActivePage(form->Page2);
    form->FramePage->Stop->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    form->FramePage->Stop->Perform(WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_FALSE(form->FramePage->Timer1->Running());
}

TEST_F(FramePageTest, TheAnimationTestWritesTriesAndRemovesItsFile) {
    AddImages(2);
    saveMode->SetMode(AniSaveMode::Colours16);
    EXPECT_EQ(WriteAniFile(form->ExePath() + "x.ani", form->AniInput(AniSaveMode::Colours256)), WriteResult::Written);
    HCURSOR seen = CursorSeenByTheCursorTest([&] { form->FramePage->ANITest->Perform(BM_CLICK); });
    EXPECT_EQ(saveMode->Mode(), AniSaveMode::Colours16);  // the user's save mode is kept
    EXPECT_NE(seen, LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
    EXPECT_EQ(ScreenCursor(4), LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
    EXPECT_FALSE(FileExists(TempFolderPath() + kAniTestFileName));
    EXPECT_FALSE(FileExists(form->ExePath() + kAniTestFileName));
    EXPECT_TRUE(Messages().empty());

    // Frames naming a deleted image are reported and nothing is tried.
    AddFrame(1, 10);
    form->FramePage->InsertFram->SetChecked(true);
    form->ImagePage->ListBox1->SetItemIndex(1);
    form->ImagePage->DelImageBtnClick();
    boxes.Calls.clear();
    EXPECT_EQ(CursorSeenByTheCursorTest([&] { form->FramePage->ANITest->Perform(BM_CLICK); }), nullptr);
    EXPECT_EQ(Messages(), std::vector<std::string>{"イメージが削除されたため、フレームデータに存在しないイメージ番号があります。"});
}

TEST_F(FramePageTest, TheImageAndFrameListsDrawEveryVisibleRowOfATallList) {
    AddImages(30);
    for (int i = 0; i < 30; ++i) AddFrame(i, 5);
    for (TListBox* list : {static_cast<TListBox*>(form->ImagePage->ListBox1.get()),
                           static_cast<TListBox*>(form->FramePage->ListBox2.get())}) {
        SCOPED_TRACE(ComponentNameOf(list->Handle()));
        list->SetBounds(list->Left(), list->Top(), 220, 30 * 16 + 8);  // room for every row
        list->SetTopIndex(0);
        TDibSection shot(220, 30 * 16 + 8);
        const COLORREF untouched = RGB(255, 0, 255);
        TCanvas(shot.DC()).FillRect(RECT{0, 0, 220, 30 * 16 + 8}, static_cast<TColor>(untouched));
        list->Perform(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(shot.DC()), PRF_CLIENT);
        GdiFlush();
        for (int row : {0, 18, 19, 25, 29}) {
            const RECT r = list->ItemRect(row);
            EXPECT_NE(shot.PixelAt(r.left + 60, r.top + 1), untouched) << "row " << row;
        }
    }
}

// Sets an environment variable for the scope.
struct TEnvironmentValue {
    TEnvironmentValue(const wchar_t* name, const std::wstring& value) : FName(name) {
        wchar_t old[32768];
        const DWORD n = GetEnvironmentVariableW(name, old, 32768);
        FHad = n > 0 && n < 32768;
        if (FHad) FOld.assign(old, n);
        SetEnvironmentVariableW(name, value.c_str());
    }
    ~TEnvironmentValue() { SetEnvironmentVariableW(FName, FHad ? FOld.c_str() : nullptr); }
    const wchar_t* FName;
    bool FHad = false;
    std::wstring FOld;
};

TEST_F(FramePageTest, WithoutATemporaryFolderTheAnimationTestSaysSoAndWritesNothingHere) {
    AddImages(2);
    boxes.Calls.clear();
    {
        // Folders too long for a path: Windows gives no temporary folder.
        const std::wstring tooLong = L"C:\\" + std::wstring(400, L'x');
        TEnvironmentValue tmp(L"TMP", tooLong), temp(L"TEMP", tooLong), profile(L"USERPROFILE", tooLong);
        ASSERT_EQ(TempFolderPath(), "");
        EXPECT_EQ(CursorSeenByTheCursorTest([&] { form->FramePage->ANITest->Perform(BM_CLICK); }), nullptr);
    }
    EXPECT_EQ(Messages(), std::vector<std::string>{kNoTempFolder});
    EXPECT_FALSE(FileExists(folder + kAniTestFileName));  // never in the current folder
    EXPECT_FALSE(FileExists(kAniTestFileName));
}

TEST_F(FramePageTest, TrackBarsSetTheScrollMaximumButNotBelowThePosition) {
    form->FramePage->FrameSpeed->SetValue(40);
    EXPECT_EQ(form->FramePage->ScrollBar2->Position(), 40);
    form->FramePage->TrackBar1->SetPosition(600);
    EXPECT_EQ(form->FramePage->ScrollBar2->Max(), 600);
    form->FramePage->TrackBar1->SetPosition(20);  // below the scroll bar's 40: the track bar goes back
    EXPECT_EQ(form->FramePage->TrackBar1->Position(), 40);
    EXPECT_EQ(form->FramePage->ScrollBar2->Max(), 600);
    form->FramePage->ScrollBar1->SetPosition(77);
    EXPECT_EQ(form->FramePage->DefaultSpeed->Value(), 77);
}

TEST_F(FramePageTest, TheListKeepsShowingTheDocumentsFramesWhenTheLastImageGoes) {
    AddImages(1);
    AddFrame(0, 12);
    AddFrame(0, 14);
    form->ImagePage->DelImageBtnClick();  // the frames stay, naming a missing image
    ASSERT_EQ(form->LastImage(), -1);
    EXPECT_EQ(form->Document().Frames(), (std::vector<FrameLine>{{0, 12}, {0, 14}}));
    ASSERT_EQ(form->FramePage->ListBox2->Count(), 2);
    EXPECT_EQ(form->FramePage->ListBox2->Item(1), FormatFrameLine(0, 14));
}

TEST_F(FramePageTest, AFrameDragBeginsAfterFourPixelsAndShowsWhereItCanDrop) {
    AddImages(3);
    for (int i = 0; i < 3; ++i) AddFrame(i, 5 + i);
    TDragListBox& list = *form->FramePage->ListBox2;
    const RECT first = list.ItemRect(0), last = list.ItemRect(2);
    list.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, first.top + 4));
    list.Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(22, first.top + 6));
    EXPECT_FALSE(list.Dragging());  // below the threshold
    list.Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, first.top + 8));
    EXPECT_TRUE(list.Dragging());
    EXPECT_EQ(GetCursor(), TDragListBox::DragCursor());
    list.Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, last.bottom + 2));
    EXPECT_EQ(GetCursor(), TDragListBox::DragCursor());  // below the last line: still over the list
    list.Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-30, first.top + 4));
    EXPECT_EQ(GetCursor(), TDragListBox::NoDropCursor());
    list.Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, last.top + 4));
    EXPECT_EQ(GetCursor(), TDragListBox::DragCursor());
    list.Perform(WM_LBUTTONUP, 0, MAKELPARAM(20, last.top + 4));
    EXPECT_FALSE(list.Dragging());
    EXPECT_EQ(form->Document().Frames(), (std::vector<FrameLine>{{1, 6}, {2, 7}, {0, 5}}));
    // A short press and release is a click, not a move.
    list.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, first.top + 4));
    list.Perform(WM_LBUTTONUP, 0, MAKELPARAM(20, first.top + 4));
    EXPECT_EQ(form->Document().Frames(), (std::vector<FrameLine>{{1, 6}, {2, 7}, {0, 5}}));
    EXPECT_EQ(list.ItemIndex(), 0);
    // A drop below the last line lands on no line: nothing moves and the line stays selected.
    list.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, first.top + 4));
    list.Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, last.bottom + 2));
    EXPECT_EQ(GetCursor(), TDragListBox::DragCursor());
    list.Perform(WM_LBUTTONUP, 0, MAKELPARAM(20, last.bottom + 2));
    EXPECT_FALSE(list.Dragging());
    EXPECT_EQ(form->Document().Frames(), (std::vector<FrameLine>{{1, 6}, {2, 7}, {0, 5}}));
    EXPECT_EQ(list.ItemIndex(), 0);
    EXPECT_EQ(list.Item(2), FormatFrameLine(0, 5));
    form->FramePage->ListBox2DragDrop(3);  // the row past the last one is no line either
    EXPECT_EQ(form->Document().Frames(), (std::vector<FrameLine>{{1, 6}, {2, 7}, {0, 5}}));
}

TEST_F(FramePageTest, MovingAndUnitingFramesChangesTheDocumentAndTheListAlike) {
    AddImages(3);
    for (int i = 0; i < 3; ++i) AddFrame(i, 5 + i);
    form->FramePage->ListBox2->SetItemIndex(0);
    form->FramePage->ListBox2DragDrop(2);
    EXPECT_EQ(form->Document().Frames(), (std::vector<FrameLine>{{1, 6}, {2, 7}, {0, 5}}));
    EXPECT_EQ(form->FramePage->ListBox2->ItemIndex(), 2);
    form->FramePage->DefaultSpeed->SetValue(33);
    form->FramePage->UniteIntervalClick();
    EXPECT_EQ(form->Document().Frames(), (std::vector<FrameLine>{{1, 33}, {2, 33}, {0, 33}}));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(form->FramePage->ListBox2->Item(i), FormatFrameLine(form->Document().Frame(i).Image, 33));
    EXPECT_EQ(form->FramePage->ListBox2->ItemIndex(), 2);  // the selection stays
}
