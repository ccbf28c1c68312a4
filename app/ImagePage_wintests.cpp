#include "app/MainWindowTestSupport.h"

#include <atomic>
#include <thread>

namespace {

// An image filled with one palette index but for its top-left pixel (index 0, the
// transparent one); entry i of the palette is (i, 255 - i, 7).
ImageRecord Filled(int index) {
    ImageRecord r;
    for (int i = 0; i < 256; ++i) r.Palette[i] = TRGBQuad{7, static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i), 0};
    std::fill(r.Pixels.Bytes, r.Pixels.Bytes + kIndexBytes, static_cast<uint8_t>(index));
    r.Pixels.At(0, 0) = 0;
    return r;
}

class FakeEditor : public IImageEditor {
public:
    void ClearImage() override { Loaded = ImageRecord{}; ++Clears; }
    void LoadImageData(const ImageRecord& image) override { Loaded = image; }
    void SetSubColour(int index) override { SubColour = index; }
    void SetMonoMode(bool on) override { MonoMode = on; }
    int ShowModal() override { return Answer; }
    const ImageRecord& EditedImage() const override { return Result; }
    TEditorOptions Options() const override { return {}; }
    void SetOptions(const TEditorOptions&) override {}
    ImageRecord Loaded, Result = Filled(3);
    int Answer = mrOk, SubColour = -1, Clears = 0;
    bool MonoMode = false;
};

struct ImagePageTest : MainWindowTest {
    ImagePageTest() : MainWindowTest("tamsolo-images") {}
    void SetUp() override {
        MainWindowTest::SetUp();
        EditDlg = &editor;
    }
    void Add(int index, const std::string& name) { ASSERT_TRUE(form->ImagePage->AddImage(Filled(index), 0, 0, 0, 0, name, name)); }
    // Entry i's pixels, list name and thumbnail must all be the image added with index.
    void ExpectInStep(int i, int index, const std::string& name) {
        EXPECT_EQ(form->Entry(i).Pixels.Bytes[100], index) << i;
        EXPECT_EQ(form->ImagePage->ListBox1->Item(i), name) << i;
        TDibSection target(32, 32);
        form->ImagePage->ImageList1.Draw(target.DC(), i, 0, 0);
        EXPECT_EQ(target.PixelAt(5, 5), RGB(index, 255 - index, 7)) << i;
    }
    void Click(TControl& c) { c.Perform(BM_CLICK); }
    void DragRow(int from, int to) {
        RECT a = form->ImagePage->ListBox1->ItemRect(from), b = form->ImagePage->ListBox1->ItemRect(to);
        form->ImagePage->ListBox1->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(a.left + 50, a.top + 4));
        form->ImagePage->ListBox1->Perform(WM_LBUTTONUP, 0, MAKELPARAM(b.left + 50, b.top + 4));
    }
    FakeEditor editor;
};

} // namespace

TEST_F(ImagePageTest, AnEmptyDocumentOffersOnlyNewAndOpen) {
    EXPECT_TRUE(form->ImagePage->NewBtn->Enabled());
    EXPECT_TRUE(form->ImagePage->OpenBtn->Enabled());
    for (TButton* b : {form->ImagePage->EditBtn.get(), form->ImagePage->CopyBtn.get(), form->ImagePage->DelImageBtn.get(), form->ImagePage->AllDeleteBtn.get(),
                       form->ImagePage->TransColorBtn.get(), form->SaveIconBtn.get(), form->SaveANIBtn.get()})
        EXPECT_FALSE(b->Enabled()) << b->Name();
    EXPECT_FALSE(form->ImagePage->Image1->Visible());
}

TEST_F(ImagePageTest, NewImagesGetUniqueNamesAndDuplicatesCountOn) {
    for (int i = 0; i < 3; ++i) Click(*form->ImagePage->NewBtn);
    EXPECT_EQ(editor.Clears, 3);
    ASSERT_EQ(form->ImagePage->ListBox1->Count(), 3);
    EXPECT_EQ(form->ImagePage->ListBox1->Item(0), "ｲﾒｰｼﾞ");
    EXPECT_EQ(form->ImagePage->ListBox1->Item(1), "ｲﾒｰｼﾞ1");
    EXPECT_EQ(form->ImagePage->ListBox1->Item(2), "ｲﾒｰｼﾞ2");
    EXPECT_EQ(form->Entry(1).ImageName, "ｲﾒｰｼﾞ1");
    editor.Answer = mrCancel;
    Click(*form->ImagePage->NewBtn);
    EXPECT_EQ(form->ImagePage->ListBox1->Count(), 3);
    // Duplicating the first while "ｲﾒｰｼﾞ1" exists: "ｲﾒｰｼﾞ3"; its own name stays empty.
    form->ImagePage->ListBox1->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 4));
    form->ImagePage->ListBox1->Perform(WM_LBUTTONUP, 0, MAKELPARAM(50, 4));
    EXPECT_EQ(form->CurImage(), 0);
    Click(*form->ImagePage->CopyBtn);
    EXPECT_EQ(form->ImagePage->ListBox1->Item(3), "ｲﾒｰｼﾞ3");
    EXPECT_EQ(form->Entry(3).ImageName, "");
    EXPECT_EQ(form->CurImage(), 3);
}

TEST_F(ImagePageTest, TheLimitOfAThousandImagesDisablesTheAddCommands) {
    Add(1, "a");
    // The handler directly for most (a synthetic button click costs tens of milliseconds
    // under Wine), the button itself for the last.
    for (int i = 1; i < kMaxImages - 1; ++i) form->ImagePage->CopyBtnClick();
    Click(*form->ImagePage->CopyBtn);
    EXPECT_EQ(form->EntryCount(), kMaxImages);
    EXPECT_EQ(form->ImagePage->ListBox1->Count(), kMaxImages);
    EXPECT_EQ(form->ImagePage->ImageList1.Count(), kMaxImages);
    EXPECT_EQ(form->LastImage(), kMaxImages - 1);
    EXPECT_FALSE(form->ImagePage->CopyBtn->Enabled());
    EXPECT_FALSE(form->ImagePage->NewBtn->Enabled());
    EXPECT_FALSE(form->ImagePage->OpenBtn->Enabled());
    EXPECT_FALSE(form->ImagePage->AddImage(Filled(2), 0, 0, 0, 0, "x", "x"));
    Click(*form->ImagePage->DelImageBtn);
    EXPECT_TRUE(form->ImagePage->CopyBtn->Enabled());
    EXPECT_TRUE(form->ImagePage->NewBtn->Enabled());
    EXPECT_EQ(form->EntryCount(), kMaxImages - 1);
}

TEST_F(ImagePageTest, DuplicateDeleteAndMoveKeepTheThreeListsInStep) {
    Add(10, "ten");
    Add(20, "twenty");
    Add(30, "thirty");
    DragRow(0, 2);  // "ten" moves to the end
    ExpectInStep(0, 20, "twenty");
    ExpectInStep(1, 30, "thirty");
    ExpectInStep(2, 10, "ten");
    EXPECT_EQ(form->CurImage(), 2);
    Click(*form->ImagePage->CopyBtn);
    ExpectInStep(3, 10, "ten1");
    Click(*form->ImagePage->DelImageBtn);  // the last of four: the new last is selected
    EXPECT_EQ(form->EntryCount(), 3);
    EXPECT_EQ(form->CurImage(), 2);
    EXPECT_EQ(form->ImagePage->ListBox1->ItemIndex(), 2);
    ExpectInStep(2, 10, "ten");
    form->FileOptionsPage->IName->SetText("歩く猫");
    for (int i = 0; i < 3; ++i) Click(*form->ImagePage->DelImageBtn);
    EXPECT_EQ(form->LastImage(), -1);
    EXPECT_EQ(form->FileOptionsPage->IName->Text(), "");  // the page is reset as by clearing
    EXPECT_EQ(form->Document().Title(), "");
    EXPECT_EQ(form->CurImage(), -1);
    EXPECT_FALSE(form->ImagePage->DelImageBtn->Enabled());
    Click(*form->ImagePage->DelImageBtn);  // nothing left to delete
    form->ImagePage->ListBox1->Perform(WM_KEYUP, VK_DOWN);
    EXPECT_EQ(form->EntryCount(), 0);
}

TEST_F(ImagePageTest, ADragShowsTheDragCursorOverTheListAndTheNoDropCursorBesideIt) {
    Add(10, "ten");
    Add(20, "twenty");
    Add(30, "thirty");
    TDragListBox& list = *form->ImagePage->ListBox1;
    const RECT first = list.ItemRect(0), last = list.ItemRect(2);
    RECT client;
    GetClientRect(list.Handle(), &client);
    ASSERT_GT(client.bottom, last.bottom + 4);  // room below the rows
    list.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(first.left + 50, first.top + 4));
    EXPECT_TRUE(list.Dragging());  // at once, with no threshold
    EXPECT_EQ(GetCursor(), TDragListBox::DragCursor());
    struct Step {
        int X, Y;
        HCURSOR Shown;
    } steps[] = {{50, last.top + 4, TDragListBox::DragCursor()},
                 {50, last.bottom + 2, TDragListBox::DragCursor()},   // below the last row: still over the list
                 {-30, first.top + 4, TDragListBox::NoDropCursor()},   // beside the list
                 {50, last.top + 4, TDragListBox::DragCursor()}};
    for (const Step& k : steps) {
        list.Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(k.X, k.Y));
        EXPECT_EQ(GetCursor(), k.Shown) << k.X << "," << k.Y;
    }
    list.Perform(WM_LBUTTONUP, 0, MAKELPARAM(50, last.top + 4));
    EXPECT_FALSE(list.Dragging());
    EXPECT_NE(GetCursor(), TDragListBox::DragCursor());
    ExpectInStep(2, 10, "ten");
    // A drop beside the list moves nothing and ends the drag as well.
    list.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(first.left + 50, first.top + 4));
    list.Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-30, first.top + 4));
    list.Perform(WM_LBUTTONUP, 0, MAKELPARAM(-30, first.top + 4));
    EXPECT_FALSE(list.Dragging());
    ExpectInStep(0, 20, "twenty");
    // A drop below the last row lands on no row: nothing moves, the image dragged stays
    // current, and no rename starts (that takes a second click on its own row).
    for (int row : {0, 2}) {
        const RECT from = list.ItemRect(row);
        list.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, from.top + 4));
        list.Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, last.bottom + 2));
        EXPECT_EQ(GetCursor(), TDragListBox::DragCursor());
        list.Perform(WM_LBUTTONUP, 0, MAKELPARAM(50, last.bottom + 2));
        EXPECT_FALSE(list.Dragging());
        ExpectInStep(0, 20, "twenty");
        ExpectInStep(1, 30, "thirty");
        ExpectInStep(2, 10, "ten");
        EXPECT_EQ(form->CurImage(), row);
        EXPECT_EQ(list.ItemIndex(), row);
        EXPECT_FALSE(form->ImagePage->Renaming());
    }
}

TEST_F(ImagePageTest, RenamingInPlaceKeepsTheOldNameWhenEmptied) {
    Add(1, "one");
    Add(2, "two");
    form->ShowForm();
    // A second click on the row that was already current opens the rename box.
    DragRow(1, 1);
    ASSERT_TRUE(form->ImagePage->Edit2->Visible());
    EXPECT_EQ(form->ImagePage->Edit2->Text(), "two");
    form->ImagePage->Edit2->SetText("one");  // an existing name is allowed
    form->ImagePage->Edit2->Perform(WM_KEYDOWN, VK_RETURN);
    EXPECT_FALSE(form->ImagePage->Edit2->Visible());
    EXPECT_EQ(form->ImagePage->ListBox1->Item(1), "one");
    EXPECT_EQ(form->Entry(1).ImageName, "two");  // a rename does not change it
    form->ImagePage->Rename1Click();
    form->ImagePage->Edit2->SetText("");
    form->ImagePage->Edit2Exit();
    EXPECT_EQ(form->ImagePage->ListBox1->Item(1), "one");
    // Clicking another row selects it without renaming.
    DragRow(0, 0);
    EXPECT_FALSE(form->ImagePage->Edit2->Visible());
    EXPECT_EQ(form->CurImage(), 0);
}

// A row written as the list draws it; rows of names that differ only by an underscore
// must differ, and all that is drawn must lie inside the row.
TEST_F(ImagePageTest, ARowShowsEveryCharacterOfItsName) {
    Add(1, "pic_apm");
    Add(1, "pic apm");
    std::vector<COLORREF> names[2];
    for (int i = 0; i < 2; ++i) {
        const RECT row = form->ImagePage->ListBox1->ItemRect(i);
        const int width = row.right - row.left, height = row.bottom - row.top;
        ASSERT_EQ(height, 16);
        TDibSection dib(width, height + 8);  // room below the row shows anything drawn past it
        TCanvas canvas(dib.DC());
        canvas.FillRect(RECT{0, 0, width, height + 8}, clFuchsia);
        HRGN clip = CreateRectRgn(0, 0, width, height + 8);
        SelectClipRgn(dib.DC(), clip);
        DeleteObject(clip);
        form->ImagePage->ListBox1DrawItem(i, RECT{0, 0, width, height}, TOwnerDrawState{}, canvas);
        GdiFlush();
        for (int y = height; y < height + 8; ++y)
            for (int x = 0; x < width; ++x) ASSERT_EQ(dib.PixelAt(x, y), ColorToRGB(clFuchsia)) << x << "," << y;
        for (int y = 0; y < height; ++y)  // the name, right of the number and the thumbnail
            for (int x = 37; x < width; ++x) names[i].push_back(dib.PixelAt(x, y));
    }
    EXPECT_NE(names[0], names[1]);
}

TEST_F(ImagePageTest, ClearAllAsksFirstAndKeepsTheDocumentName) {
    Add(1, "a");
    Add(2, "b");
    form->FileOptionsPage->IName->SetText("歩く猫");
    form->FileOptionsPage->IArt->SetText("作者");
    form->FramePage->AddFramBtnClick();
    form->FramePage->InsertFram->SetChecked(true);
    boxes.Answer = IDNO;
    Click(*form->ImagePage->AllDeleteBtn);
    ASSERT_EQ(boxes.Calls.size(), 2u);
    EXPECT_EQ(boxes.Calls[0].Caption, "<beep>");
    EXPECT_EQ(boxes.Calls[1].Text, "リストのイメージを全て消去します。\nよろしいですか？");
    EXPECT_EQ(boxes.Calls[1].Flags & MB_YESNO, static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(form->EntryCount(), 2);
    EXPECT_EQ(form->Document().Title(), "歩く猫");  // what is typed goes into the document
    EXPECT_EQ(form->Document().Author(), "作者");
    MonoCursorRecord mono = form->MonoCursor();
    boxes.Answer = IDYES;
    form->PageControl1->SetActivePage(form->Page4);
    Click(*form->ImagePage->AllDeleteBtn);
    EXPECT_EQ(form->EntryCount(), 0);
    EXPECT_EQ(form->ImagePage->ListBox1->Count(), 0);
    EXPECT_EQ(form->ImagePage->ImageList1.Count(), 0);
    EXPECT_EQ(form->FramePage->ListBox2->Count(), 0);
    EXPECT_EQ(form->Document().FrameCount(), 0);
    EXPECT_EQ(form->Document().Title(), "");
    EXPECT_EQ(form->FileOptionsPage->IName->Text(), "");
    EXPECT_EQ(form->FileOptionsPage->IArt->Text(), "");
    EXPECT_FALSE(form->FramePage->InsertFram->Checked());
    EXPECT_EQ(form->PageControl1->ActivePage(), form->Page1);
    EXPECT_EQ(form->DocName(), "無題");
    EXPECT_EQ(form->MonoCursor(), mono);
    EXPECT_FALSE(form->SaveANIBtn->Enabled());
    EXPECT_TRUE(form->ImagePage->NewBtn->Enabled());
}

TEST_F(ImagePageTest, TypingAHotspotRebuildsTheCursorAndStoresIt) {
    Add(1, "a");
    form->ImagePage->XHSpot->SetFocus();
    form->ImagePage->XHSpot->Perform(WM_KEYDOWN, '5');
    form->ImagePage->XHSpot->Perform(WM_KEYDOWN, VK_SPACE);
    EXPECT_EQ(form->Entry(0).HotX, 5);
    ICONINFO ii{};
    ASSERT_TRUE(GetIconInfo(form->ImagePage->IconImage->Icon(), &ii));
    EXPECT_FALSE(ii.fIcon);
    EXPECT_EQ(ii.xHotspot, 5u);
    DeleteObject(ii.hbmMask);
    DeleteObject(ii.hbmColor);
    EXPECT_EQ(form->FramePage->UniHotX->Value(), 5);  // not unified: follows the image
}

TEST_F(ImagePageTest, TheCursorShowsTheFourMaskCasesOverBlackAndWhite) {
    ImageRecord r = Filled(1);              // entry 0 is the transparent colour
    r.Palette[2] = TRGBQuad{0, 0, 0, 0};    // black
    r.Palette[3] = TRGBQuad{255, 255, 255, 0};  // white
    r.Palette[4] = TRGBQuad{255, 255, 255, 0};  // white, inverse: inverts the screen
    r.Inverse[4] = 1;
    r.Pixels.At(10, 10) = 2;
    r.Pixels.At(11, 10) = 3;
    r.Pixels.At(12, 10) = 4;
    ASSERT_TRUE(form->ImagePage->AddImage(r, 0, 0, 0, 0, "m", "m"));
    auto drawOver = [&](COLORREF background) {
        TDibSection dc(32, 32);
        TGdiObject brush(CreateSolidBrush(background));
        RECT all{0, 0, 32, 32};
        FillRect(dc.DC(), &all, static_cast<HBRUSH>(brush.Get()));
        DrawIconEx(dc.DC(), 0, 0, form->ImagePage->IconImage->Icon(), 32, 32, 0, nullptr, DI_NORMAL);
        return std::vector<COLORREF>{dc.PixelAt(9, 10), dc.PixelAt(10, 10), dc.PixelAt(11, 10), dc.PixelAt(12, 10)};
    };
    const COLORREF black = RGB(0, 0, 0), white = RGB(255, 255, 255);
    // transparent, black, white, inverted
    EXPECT_EQ(drawOver(black)[0], RGB(1, 254, 7));  // an ordinary opaque pixel
    r.Pixels.At(9, 10) = 0;
    ASSERT_TRUE(form->ImagePage->AddImage(r, 0, 0, 0, 0, "m2", "m2"));
    EXPECT_EQ(drawOver(black), (std::vector<COLORREF>{black, black, white, white}));
    EXPECT_EQ(drawOver(white), (std::vector<COLORREF>{white, black, white, black}));
}

TEST_F(ImagePageTest, TheTransparentPixelDialogTakesThePixelUnderTheClick) {
    ImageRecord r = Filled(1);
    r.Pixels.At(0, 1) = 9;
    ASSERT_TRUE(form->ImagePage->AddImage(r, 0, 0, 5, 5, "a", "a"));  // no black entry in this palette
    PostMessageW(trans->Image1->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(-3, 40));  // outside: nothing picked
    PostMessageW(trans->Image1->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(7, 8));
    Click(*form->ImagePage->TransColorBtn);
    EXPECT_EQ(form->Entry(0).TransX, 0);
    EXPECT_EQ(form->Entry(0).TransY, 1);
    EXPECT_TRUE(form->TransparentOn());
    EXPECT_EQ(form->OutPalette()[9], (TRGBQuad{0, 0, 0, 0}));  // no black entry: entry 9 turned black
}

TEST_F(ImagePageTest, TheHotspotDialogSetsTheHotspotAndTheRightButtonCancels) {
    Add(1, "a");
    PostMessageW(hspot->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(255, 255));
    Click(*form->ImagePage->HotSpotBtn);
    EXPECT_EQ(form->Entry(0).HotX, 31);
    EXPECT_EQ(form->Entry(0).HotY, 31);
    PostMessageW(hspot->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(300, -1));  // a captured release outside
    PostMessageW(hspot->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(8, 8));
    EXPECT_EQ(hspot->ShowModal(), mrCancel);
    EXPECT_EQ(form->Entry(0).HotX, 31);
    EXPECT_EQ(form->ImagePage->XHSpot->Value(), 31);  // the boxes show the document's hotspot
    // The dialog marks the hotspot its caller gives; a cancel through the button keeps it.
    form->ImagePage->XHSpot->SetValue(4);
    form->ImagePage->YHSpot->SetValue(6);
    PostMessageW(hspot->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(8, 8));
    Click(*form->ImagePage->HotSpotBtn);
    EXPECT_EQ(std::make_pair(hspot->HotX, hspot->HotY), std::make_pair(4, 6));
    EXPECT_EQ(std::make_pair(int(form->Entry(0).HotX), int(form->Entry(0).HotY)), std::make_pair(4, 6));
    hspot->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(17, 250));
    EXPECT_EQ(hspot->Caption(), "ホットスポット座標 X:2,Y:31");
}

TEST_F(ImagePageTest, TheCursorTestInstallsSlotFourOnlyWhileItRuns) {
    Add(1, "a");
    HCURSOR seen = CursorSeenByTheCursorTest([&] { Click(*form->ImagePage->TestBtn); });
    ASSERT_NE(seen, nullptr);
    EXPECT_NE(seen, LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
    EXPECT_EQ(ScreenCursor(4), LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
    ICONINFO ii{};
    EXPECT_FALSE(GetIconInfo(seen, &ii));  // the copy was destroyed
    EXPECT_TRUE(GetIconInfo(form->ImagePage->IconImage->Icon(), &ii));  // the original was not
    DeleteObject(ii.hbmMask);
    DeleteObject(ii.hbmColor);
}

TEST_F(ImagePageTest, EditingHandsTheImageOverAndTakesItBackOnOk) {
    ImageRecord r = Filled(1);
    r.Pixels.At(0, 0) = 44;
    ASSERT_TRUE(form->ImagePage->AddImage(r, 0, 0, 0, 0, "a", "a"));
    editor.Result = Filled(77);
    editor.Answer = mrCancel;
    Click(*form->ImagePage->EditBtn);
    EXPECT_EQ(editor.SubColour, 44);
    EXPECT_EQ(editor.Loaded.Pixels.At(0, 0), 44);
    EXPECT_EQ(form->Entry(0).Pixels.At(5, 5), 1);
    editor.Answer = mrOk;
    Click(*form->ImagePage->EditBtn);
    EXPECT_EQ(form->Entry(0).Pixels.At(5, 5), 77);
    ExpectInStep(0, 77, "a");
}

TEST_F(ImagePageTest, ReportMessageCaptionsAndIconsByKindAndFlag) {
    struct Case {
        TMessageCaption kind;
        TMessageIcon icon;
        const char* caption;
        UINT style;
        bool beep;
    };
    TApplication::Instance().SetTitle("Tamsolo");
    using C = TMessageCaption;
    using I = TMessageIcon;
    const Case cases[] = {{C::Application, I::Information, "Tamsolo", MB_ICONINFORMATION, true},
                          {C::OpenedFile, I::Information, "開いたファイル", MB_ICONINFORMATION, true},
                          {C::SaveImage, I::Warning, "保存", MB_ICONWARNING, false},
                          {C::SaveAll, I::Warning, "すべて保存", MB_ICONWARNING, false},
                          {C::None, I::Information, "", MB_ICONINFORMATION, true}};
    for (const Case& c : cases) {
        boxes.Calls.clear();
        form->ReportMessage("何らかの原因でファイルを書きこめません。", c.kind, c.icon);
        ASSERT_EQ(boxes.Calls.size(), c.beep ? 2u : 1u) << c.caption;
        const TMessageBoxCall& box = boxes.Calls.back();
        EXPECT_EQ(box.Caption, c.caption) << c.caption;
        EXPECT_EQ(box.Flags, MB_OK | c.style) << c.caption;
        EXPECT_EQ(box.Text, "何らかの原因でファイルを書きこめません。");
    }
}

TEST_F(ImagePageTest, ReportMessageShowsARealBox) {
    SetMessageBoxHook(nullptr);
    // Every box this thread shows is read and closed until ReportMessage returns, so
    // the test cannot hang on a box it did not expect.
    struct Seen {
        DWORD Thread;
        std::wstring Caption, Text;
        static BOOL CALLBACK ReadAndClose(HWND h, LPARAM lp) {
            wchar_t cls[16] = {}, text[256] = {};
            GetClassNameW(h, cls, 16);
            if (std::wstring(cls) != L"#32770" || !IsWindowVisible(h)) return TRUE;
            auto* s = reinterpret_cast<Seen*>(lp);
            GetWindowTextW(h, text, 256);
            s->Caption = text;
            GetDlgItemTextW(h, 0xFFFF, text, 256);
            s->Text = text;
            PostMessageW(h, WM_COMMAND, IDOK, 0);
            return FALSE;
        }
    } seen{GetCurrentThreadId(), {}, {}};
    std::atomic<bool> done{false};
    std::thread closer([&] {
        while (!done) {
            EnumThreadWindows(seen.Thread, Seen::ReadAndClose, reinterpret_cast<LPARAM>(&seen));
            Sleep(20);
        }
    });
    form->ReportMessage("イメージは1000個までです。", TMessageCaption::OpenedFile, TMessageIcon::Information);
    done = true;
    closer.join();
    EXPECT_EQ(U(seen.Caption), "開いたファイル");
    EXPECT_EQ(U(seen.Text), "イメージは1000個までです。");
}

TEST(SmallDialogs, SaveModeGivesSixteenTwoHundredFiftySixOrTwoColours) {
    TApplication::Instance().Initialize();
    TSaveModeBox box;
    EXPECT_EQ(box.ColourCount(), 256);  // selected at start
    box.SaveMode->SetItemIndex(0);
    EXPECT_EQ(box.ColourCount(), 16);
    box.SaveMode->SetItemIndex(2);
    EXPECT_EQ(box.ColourCount(), 2);
    PostMessageW(box.Button1->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(box.ShowModal(), mrOk);
    EXPECT_EQ(box.ColourCount(), 2);  // kept between uses
}

// The group's frame, caption and radio buttons are drawn by the system; all of the group
// around and between them must show the dialog's colour, never what lay there before.
TEST(SmallDialogs, TheSaveModeGroupIsPaintedInTheDialogsColourInside) {
    TApplication::Instance().Initialize();
    TSaveModeBox box;
    box.ShowForm();
    HWND group = box.SaveMode->Handle();
    RECT r;
    GetClientRect(group, &r);
    TDibSection dib(r.right, r.bottom);
    TCanvas(dib.DC()).FillRect(r, clBlack);
    SendMessageW(group, WM_PRINT, reinterpret_cast<WPARAM>(dib.DC()),
                 PRF_ERASEBKGND | PRF_CLIENT | PRF_CHILDREN | PRF_NONCLIENT);
    GdiFlush();
    const COLORREF face = ColorToRGB(box.Color());
    const RECT first = [&] {
        RECT b;
        GetWindowRect(box.SaveMode->ItemHandle(0), &b);
        MapWindowPoints(nullptr, group, reinterpret_cast<POINT*>(&b), 2);
        return b;
    }();
    // Right of the buttons, and in the gap between the first two of them.
    for (POINT p : {POINT{r.right - 12, r.bottom / 2}, POINT{r.right - 12, first.top}, POINT{first.left + 4, first.bottom}})
        EXPECT_EQ(dib.PixelAt(p.x, p.y), face) << p.x << "," << p.y;
    box.Close();
}

TEST(SmallDialogs, TheBackgroundColourDialogClosesWithOkEvenWhenTheColourIsCancelled) {
    TApplication::Instance().Initialize();
    TForm owner("Owner", "o", 100, 100);
    TBackColorDlg dlg(&owner);
    dlg.ColorDialog1.Color = clTeal;
    EXPECT_FALSE(dlg.CheckBox1->Visible());
    SetColorDialogHook([](TColor&) { return false; });
    PostMessageW(dlg.Button1->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(dlg.ShowModal(), mrOk);
    EXPECT_EQ(dlg.ColorDialog1.Color, clTeal);
    SetColorDialogHook([](TColor& c) {
        c = clRed;
        return true;
    });
    PostMessageW(dlg.Button1->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(dlg.ShowModal(), mrOk);
    EXPECT_EQ(dlg.ColorDialog1.Color, clRed);
    SetColorDialogHook(nullptr);
}
