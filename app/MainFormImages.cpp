// The image page of the main window: the image list, the current image with its
// transparent pixel and hotspot, the cursor made from it, and the page's commands.
#include "app/EditorLink.h"
#include "app/MainForm.h"
#include "app/SmallDialogs.h"
#include "base/Format.h"
#include "ui/Application.h"

IImageEditor* EditDlg = nullptr;

namespace {

// A cursor from the AND mask and XOR image; the caller owns it.
HCURSOR MakeCursor(const CursorImageParts& parts, int hotX, int hotY) {
    uint8_t andBits[kImageSize * 4] = {};
    for (int y = 0; y < kImageSize; ++y)
        for (int x = 0; x < kImageSize; ++x)
            if (parts.AndMask[y][x]) andBits[y * 4 + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    TGdiObject mask(CreateBitmap(kImageSize, kImageSize, 1, 1, andBits));
    TDibSection colour(kImageSize, kImageSize);
    for (int y = 0; y < kImageSize; ++y)
        for (int x = 0; x < kImageSize; ++x) {
            TColor c = parts.XorImage[y][x];
            colour.Pixels()[y * kImageSize + x] = (RedOf(c) << 16) | (GreenOf(c) << 8) | BlueOf(c);
        }
    GdiFlush();
    ICONINFO ii{FALSE, static_cast<DWORD>(hotX), static_cast<DWORD>(hotY), static_cast<HBITMAP>(mask.Get()),
                colour.Bitmap()};
    return CreateIconIndirect(&ii);
}

} // namespace

void TForm1::BuildImagePage() {
    TTabSheet* p = Page1;
    ListBox1 = std::make_unique<TDragListBox>(p, "ListBox1", true, 16);
    ListBox1->SetBounds(8, 8, 220, 310);
    ListBox1->SetHint("クリックしながらドラッグすると移動できます。");
    ListBox1->OnDrawItem = [this](TControl*, int i, const RECT& r, const TOwnerDrawState& s, TCanvas& c) {
        ListBox1DrawItem(i, r, s, c);
    };
    ListBox1->OnKeyDown = [this](TControl*, WORD& key, const TShiftState&) { ListBox1KeyDown(key); };
    ListBox1->OnMouseDown = [this](TControl*, const TMouseEvent& e) { ListBox1MouseDown(e); };
    ListBox1->OnMouseUp = [this](TControl*, const TMouseEvent& e) {
        if (e.Button == TMouseButton::mbRight) {
            POINT pt{e.X, e.Y};
            ClientToScreen(ListBox1->Handle(), &pt);
            PopupMenu1.Popup(FHandle, pt.x, pt.y);
        } else {
            ListBox1MouseUp(e);
        }
    };
    ListBox1->OnDblClick = [this](TControl*) { ListBox1DblClick(); };
    ListBox1->OnKeyUp = [this](TControl*, WORD& key, const TShiftState&) { ListBox1KeyUp(key); };

    auto button = [p](std::unique_ptr<TButton>& b, const char* name, const char* caption, int x, int y, int w) {
        b = std::make_unique<TButton>(p, name, caption);
        b->SetBounds(x, y, w, 24);
    };
    button(NewBtn, "NewBtn", "新規", 238, 8, 76);
    button(OpenBtn, "OpenBtn", "開く", 320, 8, 76);
    button(EditBtn, "EditBtn", "編集", 238, 36, 76);
    button(CopyBtn, "CopyBtn", "複製", 320, 36, 76);
    button(DelImageBtn, "DelImageBtn", "削除", 238, 64, 76);
    button(AllDeleteBtn, "AllDeleteBtn", "すべてクリア", 320, 64, 96);
    Panel1 = std::make_unique<TPanel>(p, "Panel1");
    Panel1->SetBounds(238, 100, 38, 38);
    Panel1->SetBevelOuter(TBevel::bvLowered);
    Image1 = std::make_unique<TImage>(Panel1.get(), "Image1");
    Image1->SetBounds(3, 3, 32, 32);
    Panel4 = std::make_unique<TPanel>(p, "Panel4");
    Panel4->SetBounds(284, 100, 38, 38);
    Panel4->SetBevelOuter(TBevel::bvLowered);
    IconImage = std::make_unique<TImage>(Panel4.get(), "IconImage");
    IconImage->SetBounds(3, 3, 32, 32);
    TransCol = std::make_unique<TPanel>(p, "TransCol");
    TransCol->SetBounds(330, 106, 26, 26);
    TransCol->SetBevelOuter(TBevel::bvLowered);
    button(TransColorBtn, "TransColorBtn", "透過色を指定", 238, 148, 100);
    button(NoTransBtn, "NoTransBtn", "透過しない", 344, 148, 90);
    Label1 = std::make_unique<TLabel>(p, "Label1", "ホットスポット", 238, 184);
    XHSpot = std::make_unique<TValueBox>(p, "XHSpot");
    XHSpot->SetBounds(238, 200, 50, 20);
    YHSpot = std::make_unique<TValueBox>(p, "YHSpot");
    YHSpot->SetBounds(294, 200, 50, 20);
    for (TValueBox* v : {XHSpot.get(), YHSpot.get()}) {
        v->SetMax(31);
        v->OnChange = [this](TControl*) { YHSpotChange(); };
    }
    button(HotSpotBtn, "HotSpotBtn", "座標を指定", 350, 198, 90);
    button(TestBtn, "TestBtn", "テスト", 238, 232, 76);
    Edit2 = std::make_unique<TEdit>(p, "Edit2");
    Edit2->SetMaxLength(255);
    Edit2->Hide();
    Edit2->OnKeyDown = [this](TControl*, WORD& key, const TShiftState&) {
        if (key == VK_RETURN) {
            Edit2Exit();
            key = 0;
        }
    };
    Edit2->OnExit = [this](TControl*) { Edit2Exit(); };
    Timer2 = std::make_unique<TTimer>("Timer2", 200, false);
    Timer2->OnTimer = [this](TControl*) { Timer2Timer(); };

    NewBtn->OnClick = [this](TControl*) { NewBtnClick(); };
    EditBtn->OnClick = [this](TControl*) { EditBtnClick(); };
    CopyBtn->OnClick = [this](TControl*) { CopyBtnClick(); };
    DelImageBtn->OnClick = [this](TControl*) { DelImageBtnClick(); };
    AllDeleteBtn->OnClick = [this](TControl*) { D1Click(); };
    TransColorBtn->OnClick = [this](TControl*) { TransColorBtnClick(); };
    NoTransBtn->OnClick = [this](TControl*) { NoTransBtnClick(); };
    HotSpotBtn->OnClick = [this](TControl*) { HotSpotBtnClick(); };
    TestBtn->OnClick = [this](TControl*) { TestBtnClick(); };

    TMenuItem* edit = PopupMenu1.Add("Edit1", "イメージの編集(&E)");
    TMenuItem* dup = PopupMenu1.Add("A1", "複製追加(&A)");
    TMenuItem* del = PopupMenu1.Add("Delete1", "リストから削除(&D)");
    TMenuItem* ren = PopupMenu1.Add("Rename1", "名前の変更(&N)");
    PopupMenu1.AddSeparator();
    PopupMenu1.Add("PasteClipBtn", "BMP貼り付け(&P)");
    PopupMenu1.Add("CopyClipBtn", "BMPコピー(&C)");
    PopupMenu1.Add("S1", "単体保存(&S)");
    edit->OnClick = [this](TControl*) { EditBtnClick(); };
    dup->OnClick = [this](TControl*) { CopyBtnClick(); };
    del->OnClick = [this](TControl*) { DelImageBtnClick(); };
    ren->OnClick = [this](TControl*) { Rename1Click(); };
    PopupMenu1.OnPopup = [this](TControl*) { PopupMenu1Popup(); };
    ResetImagePage();
}

void TForm1::BuildFileOptionsControls() {
    InsertInfo = std::make_unique<TCheckBox>(Page3, "InsertInfo", "タイトルと作者を含める");
    InsertInfo->SetBounds(12, 12, 200, 18);
    IName = std::make_unique<TEdit>(Page3, "IName");
    IName->SetBounds(12, 36, 300, 22);
    IArt = std::make_unique<TEdit>(Page3, "IArt");
    IArt->SetBounds(12, 64, 300, 22);
    InsertMonoCur = std::make_unique<TCheckBox>(Page3, "InsertMonoCur", "モノクロカーソルを含める(ANI)");
    InsertMonoCur->SetBounds(12, 100, 240, 18);
}

// ---- the current image

void TForm1::RenderCurrentImage() {
    TBitmap b(kImageSize, kImageSize, TPixelFormat::pf24bit);
    for (int y = 0; y < kImageSize; ++y)
        for (int x = 0; x < kImageSize; ++x) b.SetPixel(x, y, ShownColour(FCurPalette, FCurInverse, FCurPixels.At(x, y)));
    Image1->SetBitmap(b);
}

void TForm1::RefreshDialogPictures() {
    if (TransDlg) TransDlg->Image1->SetBitmap(Image1->Bitmap());
    if (HSpotDlg) HSpotDlg->Image1->SetBitmap(Image1->Bitmap());
}

void TForm1::SetTransparentPixel(int x, int y) {
    FTransX = x;
    FTransY = y;
    TransCol->SetColor(ShownColour(FCurPalette, FCurInverse, FCurPixels.At(std::clamp(x, 0, 31), std::clamp(y, 0, 31))));
    FParts = DeriveCursorParts(FCurPixels, FCurPalette, FCurInverse, x, y, FTransparent != 0);
    FOutPixels = FParts.OutPixels;
    FOutPalette = FParts.OutPalette;
    BuildIconImage();
    StoreCurrentImage();
}

void TForm1::BuildIconImage() {
    StoreAndMask(FParts, FOutPixels);
    IconImage->SetIcon(MakeCursor(FParts, XHSpot->Value(), YHSpot->Value()), true);
    SaveIconBtn->SetEnabled(true);
    SaveANIBtn->SetEnabled(true);
}

void TForm1::StoreCurrentImage() {
    if (FCurImage < 0) return;
    if (FCurImage >= EntryCount()) FImages.push_back(std::make_unique<CCURSOR>());
    CCURSOR& e = *FImages[static_cast<std::size_t>(FCurImage)];
    e.HotX = static_cast<uint8_t>(XHSpot->Value());
    e.HotY = static_cast<uint8_t>(YHSpot->Value());
    e.TransX = FTransX;
    e.TransY = FTransY;
    e.Transparent = FTransparent;
    e.TransColor = TransCol->Color();
    e.Pixels = FCurPixels;
    e.OutPixels = FOutPixels;
    e.Palette = FCurPalette;
    e.OutPalette = FOutPalette;
    e.Inverse = FCurInverse;
}

void TForm1::LoadCurrentImage() {
    if (FCurImage < 0 || FCurImage >= EntryCount()) return;
    const CCURSOR& e = *FImages[static_cast<std::size_t>(FCurImage)];
    FTransX = e.TransX;
    FTransY = e.TransY;
    FHotSpotReady = 0;
    XHSpot->SetValue(e.HotX);
    YHSpot->SetValue(e.HotY);
    FHotSpotReady = 1;
    FTransparent = e.Transparent;
    TransCol->SetColor(e.TransColor);
    FCurPixels = e.Pixels;
    FOutPixels = e.OutPixels;
    FCurPalette = e.Palette;
    FOutPalette = e.OutPalette;
    FCurInverse = e.Inverse;
    RenderCurrentImage();
    RefreshDialogPictures();
    SetTransparentPixel(FTransX, FTransY);
}

void TForm1::ReplaceThumbnail() {
    if (FCurImage >= 0 && FCurImage < ImageList1.Count() && IconImage->Icon())
        ImageList1.ReplaceIcon(FCurImage, IconImage->Icon());
    ListBox1->Invalidate();
}

std::string TForm1::MakeUniqueName(const std::string& name) const {
    return ::MakeUniqueName(name, [this](const std::string& n) { return FNameCounts.count(n) != 0; });
}

void TForm1::AddListName(int index, const std::string& name) {
    ListBox1->Insert(index, name);
    ++FNameCounts[name];
}

void TForm1::RemoveListName(int index) {
    auto it = FNameCounts.find(ListBox1->Item(index));
    if (it != FNameCounts.end() && --it->second == 0) FNameCounts.erase(it);
    ListBox1->Delete(index);
}

// ---- adding

void TForm1::EnableAddButtons() {
    bool room = CanAddImage(FLastImage + 1);
    CopyBtn->SetEnabled(room && FLastImage >= 0);
    NewBtn->SetEnabled(room);
    OpenBtn->SetEnabled(room);
}

void TForm1::AppendCurrentAsNewImage(const std::string& listName) {
    ++FLastImage;
    FCurImage = FLastImage;
    SetTransparentPixel(FTransX, FTransY);  // the store appends the new entry
    ImageList1.AddIcon(IconImage->Icon());
    AddListName(ListBox1->Count(), listName);
    ListBox1->SetItemIndex(FCurImage);
    Image1->Show();
    IconImage->Show();
    for (TButton* b : {TransColorBtn.get(), NoTransBtn.get(), HotSpotBtn.get(), TestBtn.get(), DelImageBtn.get(),
                       EditBtn.get(), AllDeleteBtn.get()})
        b->SetEnabled(true);
    EnableAddButtons();
}

bool TForm1::AddImage(const ImageRecord& image, int hotX, int hotY, int transX, int transY,
                      const std::string& listName, const std::string& imageName) {
    if (!CanAddImage(FLastImage + 1)) return false;
    FCurPixels = image.Pixels;
    FCurPalette = image.Palette;
    FCurInverse = image.Inverse;
    FHotSpotReady = 0;
    XHSpot->SetValue(std::clamp(hotX, 0, 31));
    YHSpot->SetValue(std::clamp(hotY, 0, 31));
    FHotSpotReady = 1;
    FTransX = std::clamp(transX, 0, 31);
    FTransY = std::clamp(transY, 0, 31);
    RenderCurrentImage();
    RefreshDialogPictures();
    AppendCurrentAsNewImage(listName);
    FImages.back()->ImageName = imageName;
    return true;
}

void TForm1::NewBtnClick() {
    if (!EditDlg || !CanAddImage(FLastImage + 1)) return;
    EditDlg->ClearImage();
    if (EditDlg->ShowModal() != mrOk) return;
    std::string name = MakeUniqueName("ｲﾒｰｼﾞ");
    AddImage(EditDlg->EditedImage(), 0, 0, 0, 0, name, name);
}

void TForm1::EditBtnClick() {
    if (!EditDlg || FCurImage < 0) return;
    EditDlg->SetSubColour(FCurPixels.At(FTransX, FTransY));
    EditDlg->LoadImageData(ImageRecord{FCurPixels, FCurPalette, FCurInverse});
    if (EditDlg->ShowModal() != mrOk) return;
    const ImageRecord& r = EditDlg->EditedImage();
    FCurPixels = r.Pixels;
    FCurPalette = r.Palette;
    FCurInverse = r.Inverse;
    RenderCurrentImage();
    SetTransparentPixel(FTransX, FTransY);
    ReplaceThumbnail();
    RefreshDialogPictures();
}

void TForm1::CopyBtnClick() {
    if (FCurImage < 0 || !CanAddImage(FLastImage + 1)) return;
    std::string name = MakeUniqueName(ListBox1->Item(FCurImage));
    AppendCurrentAsNewImage(name);
}

// ---- deleting and clearing

void TForm1::ResetImagePage() {
    Image1->Hide();
    IconImage->Hide();
    for (TButton* b : {TransColorBtn.get(), NoTransBtn.get(), HotSpotBtn.get(), TestBtn.get(), SaveIconBtn.get(),
                       DelImageBtn.get(), EditBtn.get(), CopyBtn.get(), SaveANIBtn.get(), AllDeleteBtn.get()})
        b->SetEnabled(false);
    UniteHotspot->SetChecked(false);
    InsertFram->SetChecked(false);
    InsertInfo->SetChecked(false);
    InsertMonoCur->SetChecked(false);
    IName->SetText("");
    IArt->SetText("");
    OpenBtn->SetEnabled(true);
    NewBtn->SetEnabled(true);
    FTransX = FTransY = 0;
    FTransparent = 1;
    FHotSpotReady = 1;
}

void TForm1::ClearAllImages() {
    if (FLastImage < 0) return;
    FImages.clear();
    ImageList1.Clear();
    ListBox1->Clear();
    FNameCounts.clear();
    ListBox2->Clear();
    FLastImage = FCurImage = -1;
    Timer1->set_enabled(false);
    Image4->Hide();
    ResetImagePage();
    PageControl1->SetActivePage(Page1);
}

void TForm1::D1Click() {
    PlayBeep(MB_ICONQUESTION);
    if (ShowMessageBox(FHandle, "リストのイメージを全て消去します。\nよろしいですか？", "確認",
                       MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    ClearAllImages();
}

void TForm1::DelImageBtnClick() {
    if (FLastImage < 0 || FCurImage < 0) return;
    FImages.erase(FImages.begin() + FCurImage);
    ImageList1.Delete(FCurImage);
    RemoveListName(FCurImage);
    --FLastImage;
    if (FLastImage >= 0) {
        if (FCurImage > FLastImage) FCurImage = FLastImage;
        ListBox1->SetItemIndex(FCurImage);
        LoadCurrentImage();
        for (TButton* b : {CopyBtn.get(), NewBtn.get(), OpenBtn.get(), AllDeleteBtn.get(), SaveANIBtn.get()})
            b->SetEnabled(true);
    } else {
        // Nothing is left to point at.
        FCurImage = -1;
        ResetImagePage();
    }
}

// ---- transparency and hotspot

void TForm1::AfterHotspotCommand() {
    if (!UniteHotspot->Checked()) {
        UniHotX->SetValue(XHSpot->Value());
        UniHotY->SetValue(YHSpot->Value());
    }
}

void TForm1::TransColorBtnClick() {
    if (FCurImage < 0) return;
    FTransparent = 1;
    TransDlg->ShowModal();
    ReplaceThumbnail();
    AfterHotspotCommand();
}

void TForm1::NoTransBtnClick() {
    if (FCurImage < 0) return;
    FTransparent = 0;
    SetTransparentPixel(FTransX, FTransY);
    ReplaceThumbnail();
    AfterHotspotCommand();
}

void TForm1::HotSpotBtnClick() {
    if (FCurImage < 0) return;
    if (HSpotDlg->ShowModal() == mrOk) {
        BuildIconImage();
        StoreCurrentImage();
    }
    AfterHotspotCommand();
}

void TForm1::YHSpotChange() {
    if (FLastImage >= 0 && FHotSpotReady) {
        BuildIconImage();
        StoreCurrentImage();
        AfterHotspotCommand();
    }
}

void TForm1::TestBtnClick() {
    if (!IconImage->Icon()) return;
    // The test dialog shows slot 4; the copy is taken out of the slot before it is destroyed.
    HCURSOR copy = static_cast<HCURSOR>(CopyImage(IconImage->Icon(), IMAGE_CURSOR, 0, 0, 0));
    SetScreenCursor(4, copy);
    CurTestDlg->ShowModal();
    SetScreenCursor(4, nullptr);
    if (copy) DestroyCursor(copy);
}

// ---- the list box

void TForm1::ListBox1DrawItem(int index, const RECT& r, const TOwnerDrawState& state, TCanvas& canvas) {
    if (index < ListBox1->TopIndex() || index > ListBox1->TopIndex() + 18) return;
    bool highlight = state.Selected && !Edit2->Visible();
    canvas.FillRect(r, highlight ? clHighlight : clWindow);
    TColor text = highlight ? clHighlightText : clWindowText;
    SelectObject(canvas.Handle(), ListBox1->Font());
    canvas.TextOut(r.left, r.top + 2, Format("%03d", index), text);
    TDibSection thumb(32, 32);
    TCanvas(thumb.DC()).FillRect(RECT{0, 0, 32, 32}, state.Selected ? clHighlight : clWindow);
    if (index < ImageList1.Count()) ImageList1.Draw(thumb.DC(), index, 0, 0);
    GdiFlush();
    SetStretchBltMode(canvas.Handle(), COLORONCOLOR);
    StretchBlt(canvas.Handle(), r.left + 20, r.top, 16, 16, thumb.DC(), 0, 0, 32, 32, SRCCOPY);
    canvas.TextOut(r.left + 37, r.top + 2, ListBox1->Item(index), text);
    if (Edit2->Visible() && index == FCurImage) {
        RECT cur = ListBox1->ItemRect(FCurImage);
        if (ListBox1->Top() + cur.top != Edit2->Top()) Edit2->Hide();
    }
}

void TForm1::ListBox1MouseDown(const TMouseEvent& e) {
    FDragFrom = FCurImage;
    int row = ListBox1->ItemAtPos(POINT{e.X, e.Y});
    if (row >= 0 && row != FCurImage) {
        ListBox1->SetItemIndex(row);
        if (FLastImage >= 0) {
            FCurImage = row;
            LoadCurrentImage();
        }
    }
    FDragging = e.Button == TMouseButton::mbLeft && row >= 0;
}

void TForm1::ListBox1MouseUp(const TMouseEvent& e) {
    int row = ListBox1->ItemAtPos(POINT{e.X, e.Y});
    if (FDragging) {
        FDragging = false;
        if (row >= 0) ListBox1DragDrop(row);
    }
    if (row >= 0 && row <= FLastImage) FCurImage = row;
}

void TForm1::ListBox1DragDrop(int n) {
    if (n < 0 || n > FLastImage || FCurImage < 0) return;
    if (n != FCurImage) {
        auto moved = std::move(FImages[static_cast<std::size_t>(FCurImage)]);
        FImages.erase(FImages.begin() + FCurImage);
        FImages.insert(FImages.begin() + n, std::move(moved));
        ImageList1.Move(FCurImage, n);
        ListBox1->Move(FCurImage, n);
        ListBox1->SetItemIndex(n);
        FCurImage = n;
    } else if (FCurImage == FDragFrom && !Timer2->Enabled()) {
        Rename1Click();
    }
}

void TForm1::Rename1Click() {
    if (FCurImage < 0) return;
    RECT r = ListBox1->ItemRect(FCurImage);
    Edit2->SetBounds(ListBox1->Left() + r.left + 53, ListBox1->Top() + r.top, 160, 18);
    Edit2->SetText(ListBox1->Item(FCurImage));
    Edit2->Show();
    SetWindowPos(Edit2->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Edit2->SetFocus();
}

void TForm1::Edit2Exit() {
    if (!Edit2->Visible()) return;
    Edit2->Hide();
    std::string text = Edit2->Text();
    if (!text.empty() && FCurImage >= 0 && FCurImage < ListBox1->Count()) {
        RemoveListName(FCurImage);
        AddListName(FCurImage, text);
        ListBox1->SetItemIndex(FCurImage);
    }
}

void TForm1::ListBox1DblClick() {
    Edit2->Hide();
    Timer2->SetEnabled(true);
}

void TForm1::Timer2Timer() {
    Timer2->SetEnabled(false);
    if (EditBtn->Enabled())
        EditBtnClick();
    else
        NewBtnClick();
}

void TForm1::ListBox1KeyDown(WORD& key) {
    if (key == VK_DELETE) {
        DelImageBtnClick();
        key = 0;
    } else if (key == VK_RETURN && FCurImage >= 0) {
        EditBtnClick();
        key = 0;
    }
}

void TForm1::ListBox1KeyUp(WORD key) {
    if (key < VK_LEFT || key > VK_DOWN || FLastImage < 0) return;
    int sel = ListBox1->ItemIndex();
    if (sel >= 0 && sel != FCurImage) {
        FCurImage = sel;
        LoadCurrentImage();
    }
}

void TForm1::PopupMenu1Popup() {
    PopupMenu1.Item("PasteClipBtn")->Enabled = IsClipboardFormatAvailable(CF_BITMAP) != FALSE;
    PopupMenu1.Item("CopyClipBtn")->Enabled = Image1->Visible();
    PopupMenu1.Item("Edit1")->Enabled = EditBtn->Enabled();
    PopupMenu1.Item("A1")->Enabled = CopyBtn->Enabled();
    PopupMenu1.Item("Delete1")->Enabled = DelImageBtn->Enabled();
    PopupMenu1.Item("S1")->Enabled = SaveIconBtn->Enabled();
    PopupMenu1.Item("Rename1")->Enabled = ListBox1->Count() > 0;
}

// ---- messages

void TForm1::ReportMessage(const std::string& text, int kind, int flag) {
    std::string caption;
    switch (kind) {
    case 0: caption = TApplication::Instance().Title(); break;
    case 1: caption = "開いたファイル"; break;
    case 2: caption = SaveIconBtn->Caption(); break;
    case 3: caption = SaveANIBtn->Caption(); break;
    default: break;
    }
    UINT icon = MB_ICONINFORMATION;
    if (flag == 0)
        PlayBeep(MB_OK);
    else
        icon = MB_ICONWARNING;
    ShowMessageBox(FHandle, text, caption, MB_OK | icon);
}
