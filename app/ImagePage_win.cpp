// The image page of the main window: the image list, the current image with its
// transparent pixel and hotspot, the cursor made from it, and the page's commands.
#include "app/ImagePage.h"

#include <array>

#include "app/EditorLink.h"
#include "app/NameFont.h"
#include "ui/PageLayout.h"
#include "app/PixelCursor.h"
#include "app/SmallDialogs.h"
#include "base/Format.h"
#include "base/ScopeGuard.h"
#include "ui/Dialogs.h"

namespace {

// Where a row of the image list writes the name, and how far inside the rename box its
// text starts (the box's sunken edge and its margin).
constexpr int kNameLeft = 37;
constexpr int kEditTextInset = 3;

// The cursor of the AND mask and XOR image.
TCursorHandle MakeCursor(const CursorImageParts& parts, int hotX, int hotY) {
    return BuildPixelCursor(
        kImageSize, kImageSize,
        [&](int x, int y) { return TCursorPixel{parts.XorImage[y][x], 0, parts.AndMask[y][x] != 0}; }, hotX, hotY);
}

// The thumbnail of a batch's image, as its cursor shows it (the XOR colours and the AND
// mask), put into the list by its pixels: the list takes such images many at a time.
void AddThumbnail(TImageList& list, const CursorImageParts& parts) {
    std::array<uint32_t, kImageSize * kImageSize> colour{};
    std::array<uint8_t, kImageSize * kImageSize / 8> mask{};
    for (int y = 0; y < kImageSize; ++y)
        for (int x = 0; x < kImageSize; ++x) {
            const TColor c = parts.XorImage[y][x];
            colour[static_cast<std::size_t>(y * kImageSize + x)] = (uint32_t{RedOf(c)} << 16) | (uint32_t{GreenOf(c)} << 8) | BlueOf(c);
            if (parts.AndMask[y][x]) mask[static_cast<std::size_t>(y * kImageSize + x) / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
    list.AddPixels(colour.data(), mask.data(), kImageSize / 8);
}

} // namespace

TImagePage::TImagePage(TControl* p, TControl& owner, TCursorDocument& doc, TImagePageHost host)
    : FOwner(owner), FDoc(doc), FHost(std::move(host)) {
    ListBox1 = std::make_unique<TDragListBox>(p, "ListBox1", true, 16);
    ListBox1->SetBounds(8, 8, 220, 310);
    ListBox1->SetHint("クリックしながらドラッグすると移動できます。");
    FRowFont.Reset(MakeNameFont(ListBox1->Font()));
    ListBox1->OnDrawItem = [this](TControl*, int i, const RECT& r, const TOwnerDrawState& s, TCanvas& c) {
        ListBox1DrawItem(i, r, s, c);
    };
    ListBox1->OnKeyDown = [this](TControl*, WORD& key, const TShiftState&) { ListBox1KeyDown(key); };
    ListBox1->KeepKeys({VK_RETURN});
    ListBox1->OnMouseDown = [this](TControl*, const TMouseEvent& e) { ListBox1MouseDown(e); };
    ListBox1->OnMouseUp = [this](TControl*, const TMouseEvent& e) {
        if (e.Button == TMouseButton::mbRight) {
            POINT pt{e.X, e.Y};
            ClientToScreen(ListBox1->Handle(), &pt);
            PopupMenu1.Popup(FOwner.Handle(), pt.x, pt.y);
        } else {
            ListBox1MouseUp(e);
        }
    };
    ListBox1->OnDblClick = [this](TControl*) { ListBox1DblClick(); };
    ListBox1->OnKeyUp = [this](TControl*, WORD& key, const TShiftState&) { ListBox1KeyUp(key); };

    using P = TImagePage;
    BuildControls<P, TButton>(*this, p,
                              {
                                  {&P::NewBtn, "NewBtn", "新規", 238, 8, 76, 24},
                                  {&P::OpenBtn, "OpenBtn", "開く", 320, 8, 76, 24},
                                  {&P::EditBtn, "EditBtn", "編集", 238, 36, 76, 24},
                                  {&P::CopyBtn, "CopyBtn", "複製", 320, 36, 76, 24},
                                  {&P::DelImageBtn, "DelImageBtn", "削除", 238, 64, 76, 24},
                                  {&P::AllDeleteBtn, "AllDeleteBtn", "すべてクリア", 320, 64, 96, 24},
                              });
    // The current image, its cursor and the transparent colour, each in a lowered frame.
    BuildControls<P, TPanel>(*this, p,
                             {
                                 {&P::Panel1, "Panel1", nullptr, 238, 100, 38, 38},
                                 {&P::Panel4, "Panel4", nullptr, 284, 100, 38, 38},
                                 {&P::TransCol, "TransCol", nullptr, 330, 106, 26, 26},
                             });
    for (TPanel* frame : {Panel1.get(), Panel4.get(), TransCol.get()}) frame->SetBevelOuter(TBevel::bvLowered);
    BuildControls<P, TImage>(*this, Panel1.get(), {{&P::Image1, "Image1", nullptr, 3, 3, 32, 32}});
    BuildControls<P, TImage>(*this, Panel4.get(), {{&P::IconImage, "IconImage", nullptr, 3, 3, 32, 32}});
    BuildControls<P, TButton>(*this, p,
                              {
                                  {&P::TransColorBtn, "TransColorBtn", "透過色を指定", 238, 148, 100, 24},
                                  {&P::NoTransBtn, "NoTransBtn", "透過しない", 344, 148, 90, 24},
                              });
    BuildLabels<P>(*this, p, {{&P::Label1, "Label1", "ホットスポット", 238, 184}});
    BuildControls<P, TValueBox>(*this, p,
                                {
                                    {&P::XHSpot, "XHSpot", nullptr, 238, 200, 50, 20},
                                    {&P::YHSpot, "YHSpot", nullptr, 294, 200, 50, 20},
                                });
    for (TValueBox* v : {XHSpot.get(), YHSpot.get()}) {
        v->SetMax(31);
        v->OnChange = [this](TControl*) { YHSpotChange(); };
    }
    BuildControls<P, TButton>(*this, p,
                              {
                                  {&P::HotSpotBtn, "HotSpotBtn", "座標を指定", 350, 198, 90, 24},
                                  {&P::TestBtn, "TestBtn", "テスト", 238, 232, 76, 24},
                              });
    Edit2.SetMake([this, p] {
        auto edit = std::make_unique<TEdit>(p, "Edit2");
        edit->SetMaxLength(255);
        edit->SetFont(RowFont());  // the name as its row shows it
        edit->Perform(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(1, 1));
        edit->Hide();
        edit->OnKeyDown = [this](TControl*, WORD& key, const TShiftState&) {
            if (key == VK_RETURN) {
                Edit2Exit();
                ListBox1->SetFocus();  // the list's keys work on at once
                key = 0;
            }
        };
        edit->KeepKeys({VK_RETURN});
        edit->OnExit = [this](TControl*) { Edit2Exit(); };
        return edit;
    });
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
}

// ---- the current image

void TImagePage::RenderCurrentImage() {
    TBitmap b(kImageSize, kImageSize, TPixelFormat::pf24bit);
    for (int y = 0; y < kImageSize; ++y)
        for (int x = 0; x < kImageSize; ++x)
            b.SetPixel(x, y, ShownColour(FDoc.CurPalette(), FDoc.CurInverse(), FDoc.CurPixels().At(x, y)));
    Image1->SetBitmap(b);
}

void TImagePage::RefreshDialogPictures() {
    if (TTransDlg* trans = TransDlg.IfMade()) trans->Image1->SetBitmap(Image1->Bitmap());
    if (THSpotDlg* hotspot = HSpotDlg.IfMade()) hotspot->Image1->SetBitmap(Image1->Bitmap());
}

void TImagePage::SetTransparentPixel(int x, int y) {
    // Picking a pixel in the transparent-colour dialog turns transparency on.
    FDoc.SetTransparentPixel(x, y, FPickingTransparent || FDoc.Transparent());
    TransCol->SetColor(FDoc.TransColour());
    BuildIconImage();
}

void TImagePage::BuildIconImage() {
    IconImage->SetCursor(MakeCursor(FDoc.Parts(), FDoc.HotX(), FDoc.HotY()));
    FHost.EnableSave(true);
}

void TImagePage::StoreCurrentImage() { FDoc.SetHotspot(XHSpot->Value(), YHSpot->Value()); }

void TImagePage::ShowHotspot() {
    FHotSpotReady = 0;
    XHSpot->SetValue(FDoc.HotX());
    YHSpot->SetValue(FDoc.HotY());
    FHotSpotReady = 1;
}

void TImagePage::ShowCurrentImage() {
    ShowHotspot();
    TransCol->SetColor(FDoc.TransColour());
    RenderCurrentImage();
    RefreshDialogPictures();
    BuildIconImage();
}

void TImagePage::SelectImage(int i) {
    FDoc.SelectImage(i);
    ShowCurrentImage();
}

void TImagePage::LoadCurrentImage() {
    if (FDoc.CurImage() >= 0) SelectImage(FDoc.CurImage());
}

void TImagePage::ReplaceThumbnail() {
    int cur = FDoc.CurImage();
    if (cur >= 0 && cur < ImageList1.Count() && IconImage->Icon()) ImageList1.ReplaceIcon(cur, IconImage->Icon());
    ListBox1->Invalidate();
}

// ---- adding

void TImagePage::EnableAddButtons() {
    bool room = FDoc.CanAdd();
    CopyBtn->SetEnabled(room && FDoc.LastImage() >= 0);
    NewBtn->SetEnabled(room);
    OpenBtn->SetEnabled(room);
}

void TImagePage::ShowNewLastImage() {
    ShowCurrentImage();
    ImageList1.AddIcon(IconImage->Icon());
    ListBox1->Add(FDoc.ListName(FDoc.LastImage()));
    ListBox1->SetItemIndex(FDoc.CurImage());
    ShowImagePageEnabled();
}

void TImagePage::ShowImagePageEnabled() {
    Image1->Show();
    IconImage->Show();
    for (TButton* b : {TransColorBtn.get(), NoTransBtn.get(), HotSpotBtn.get(), TestBtn.get(), DelImageBtn.get(),
                       EditBtn.get(), AllDeleteBtn.get()})
        b->SetEnabled(true);
    EnableAddButtons();
}

void TImagePage::AddImages(const std::vector<CCURSOR>& images) {
    BeginAdds();
    TScopeExit end([this] { EndAdds(); });
    for (const CCURSOR& e : images)
        if (!AddImage(ImageRecord{e.Pixels, e.Palette, e.Inverse}, e.HotX, e.HotY, e.TransX, e.TransY,
                      e.Transparent != 0, e.ImageName, e.ImageName))
            break;
}

void TImagePage::BeginAdds() {
    if (!FAdds.Active()) FAddedInBatch = false;
    FAdds.Begin(ListBox1->Handle());
}

void TImagePage::EndAdds() {
    if (!FAdds.End() || !FAddedInBatch) return;
    FAddedInBatch = false;
    ListBox1->SetItemIndex(FDoc.CurImage());
    ShowCurrentImage();
    ShowImagePageEnabled();
}

bool TImagePage::AddImage(const ImageRecord& image, int hotX, int hotY, int transX, int transY, bool transparent,
                      const std::string& listName, const std::string& imageName) {
    if (!FDoc.AddImage(image, hotX, hotY, transX, transY, transparent, listName, imageName)) return false;
    if (!FAdds.Active()) {
        ShowNewLastImage();
        return true;
    }
    // The page shows the last image once, when the batch ends.
    AddThumbnail(ImageList1, FDoc.Parts());
    ListBox1->Add(FDoc.ListName(FDoc.LastImage()));
    FAddedInBatch = true;
    return true;
}

bool TImagePage::AddImage(const ImageRecord& image, int hotX, int hotY, int transX, int transY,
                      const std::string& listName, const std::string& imageName) {
    return AddImage(image, hotX, hotY, transX, transY, FDoc.Transparent(), listName, imageName);
}

void TImagePage::NewBtnClick() {
    if (!FDoc.CanAdd()) return;
    IImageEditor* editor = EditDlg.TryGet();
    if (!editor) return;
    editor->ClearImage();
    if (editor->ShowModal() != mrOk) return;
    std::string name = MakeUniqueName("ｲﾒｰｼﾞ");
    AddImage(editor->EditedImage(), 0, 0, 0, 0, name, name);
}

void TImagePage::EditBtnClick() {
    if (FDoc.CurImage() < 0) return;
    IImageEditor* editor = EditDlg.TryGet();
    if (!editor) return;
    editor->SetSubColour(FDoc.CurPixels().At(FDoc.TransX(), FDoc.TransY()));
    editor->LoadImageData(ImageRecord{FDoc.CurPixels(), FDoc.CurPalette(), FDoc.CurInverse()});
    if (editor->ShowModal() != mrOk) return;
    FDoc.SetCurrentImage(editor->EditedImage());
    RenderCurrentImage();
    TransCol->SetColor(FDoc.TransColour());
    BuildIconImage();
    ReplaceThumbnail();
    RefreshDialogPictures();
}

void TImagePage::CopyBtnClick() {
    if (!FDoc.DuplicateCurrentImage(MakeUniqueName(FDoc.ListName(std::max(FDoc.CurImage(), 0))))) return;
    ShowNewLastImage();
}

// ---- deleting and clearing

void TImagePage::ResetImagePage() {
    Image1->Hide();
    IconImage->Hide();
    for (TButton* b : {TransColorBtn.get(), NoTransBtn.get(), HotSpotBtn.get(), TestBtn.get(), DelImageBtn.get(),
                       EditBtn.get(), CopyBtn.get(), AllDeleteBtn.get()})
        b->SetEnabled(false);
    FHost.EnableSave(false);
    FHost.ResetPages();
    OpenBtn->SetEnabled(true);
    NewBtn->SetEnabled(true);
    FHotSpotReady = 1;
}

void TImagePage::ClearAllImages() {
    if (FDoc.LastImage() < 0) return;
    FDoc.ClearAllImages();
    ImageList1.Clear();
    ListBox1->Clear();
    ResetImagePage();
    FHost.Cleared();
}

void TImagePage::D1Click() {
    PlayBeep(MB_ICONQUESTION);
    if (ShowMessageBox(FOwner.Handle(), "リストのイメージを全て消去します。\nよろしいですか？", "確認",
                       MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    ClearAllImages();
}

void TImagePage::DelImageBtnClick() {
    const int gone = FDoc.CurImage();
    if (gone < 0) return;
    FDoc.DeleteCurrentImage();
    ImageList1.Delete(gone);
    ListBox1->Delete(gone);
    if (FDoc.LastImage() >= 0) {
        ListBox1->SetItemIndex(FDoc.CurImage());
        ShowCurrentImage();
        for (TButton* b : {CopyBtn.get(), NewBtn.get(), OpenBtn.get(), AllDeleteBtn.get()}) b->SetEnabled(true);
        FHost.EnableSave(true);
    } else {
        ResetImagePage();  // nothing is left to point at
    }
}

// ---- transparency and hotspot

void TImagePage::AfterHotspotCommand() {
    FHost.HotspotChanged(FDoc.HotX(), FDoc.HotY());
}

void TImagePage::TransColorBtnClick() {
    if (FDoc.CurImage() < 0) return;
    FPickingTransparent = true;
    TransDlg->Image1->SetBitmap(Image1->Bitmap());  // the dialog may be new
    TransDlg->ShowModal();
    FPickingTransparent = false;
    ReplaceThumbnail();
    AfterHotspotCommand();
}

void TImagePage::NoTransBtnClick() {
    if (FDoc.CurImage() < 0) return;
    FDoc.SetTransparent(false);
    TransCol->SetColor(FDoc.TransColour());
    BuildIconImage();
    ReplaceThumbnail();
    AfterHotspotCommand();
}

void TImagePage::HotSpotBtnClick() {
    if (FDoc.CurImage() < 0) return;
    HSpotDlg->Image1->SetBitmap(Image1->Bitmap());  // the dialog may be new
    HSpotDlg->HotX = FDoc.HotX();
    HSpotDlg->HotY = FDoc.HotY();
    if (HSpotDlg->ShowModal() == mrOk) {
        FDoc.SetHotspot(HSpotDlg->HotX, HSpotDlg->HotY);
        ShowHotspot();
        BuildIconImage();
    }
    AfterHotspotCommand();
}

void TImagePage::YHSpotChange() {
    if (FDoc.LastImage() >= 0 && FHotSpotReady) {
        StoreCurrentImage();
        BuildIconImage();
        AfterHotspotCommand();
    }
}

void TImagePage::TestBtnClick() {
    if (!IconImage->Icon()) return;
    // The test dialog shows slot 4; the copy is taken out of the slot before it is destroyed.
    TCursorHandle copy(static_cast<HCURSOR>(CopyImage(IconImage->Icon(), IMAGE_CURSOR, 0, 0, 0)));
    SetScreenCursor(4, copy.Get());
    CurTestDlg->ShowModal();
    SetScreenCursor(4, nullptr);
}

// ---- the list box

void TImagePage::ListBox1DrawItem(int index, const RECT& r, const TOwnerDrawState& state, TCanvas& canvas) {
    const bool renaming = Renaming();
    bool highlight = state.Selected && !renaming;
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
    SelectObject(canvas.Handle(), RowFont());
    canvas.TextOut(r.left + kNameLeft, r.top + 2, ListBox1->Item(index), text);
    if (renaming && index == FDoc.CurImage()) {
        if (RenameBoxRect(index).top != Edit2->Top()) Edit2->Hide();
    }
}

void TImagePage::ListBox1MouseDown(const TMouseEvent& e) {
    FDragFrom = FDoc.CurImage();
    int row = ListBox1->ItemAtPos(POINT{e.X, e.Y});
    if (row >= 0 && row != FDoc.CurImage()) {
        ListBox1->SetItemIndex(row);
        if (FDoc.LastImage() >= 0) SelectImage(row);
    }
    if (e.Button == TMouseButton::mbLeft && row >= 0) ListBox1->BeginDrag(POINT{e.X, e.Y});
}

void TImagePage::ListBox1MouseUp(const TMouseEvent& e) {
    int row = ListBox1->ItemAtPos(POINT{e.X, e.Y});
    if (ListBox1->Dragging()) {
        ListBox1->EndDrag();
        const int drop = ListBox1->DropRowAt(POINT{e.X, e.Y});
        if (drop >= 0) ListBox1DragDrop(drop);
    }
    if (row >= 0 && row <= FDoc.LastImage() && row != FDoc.CurImage()) SelectImage(row);
}

void TImagePage::ListBox1DragDrop(int n) {
    const int cur = FDoc.CurImage();
    if (n < 0 || n > FDoc.LastImage() || cur < 0) return;
    if (n != cur) {
        FDoc.MoveCurrentImage(n);
        ImageList1.Move(cur, n);
        ListBox1->Move(cur, n);
        ListBox1->SetItemIndex(n);
    } else if (cur == FDragFrom && !Timer2->Enabled()) {
        Rename1Click();
    }
}

void TImagePage::Rename1Click() {
    const int cur = FDoc.CurImage();
    if (cur < 0) return;
    const RECT r = RenameBoxRect(cur);
    Edit2->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    Edit2->SetText(FDoc.ListName(cur));
    Edit2->Show();
    SetWindowPos(Edit2->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Edit2->SetFocus();
    Edit2->Perform(EM_SETSEL, 0, -1);  // as an edit entered by the keyboard: typing replaces the name
}

RECT TImagePage::RenameBoxRect(int row) const {
    // Over the row's name, to the row's end: no letter of the old name shows beside it.
    RECT r = ListBox1->ItemRect(row);
    r.left += kNameLeft - kEditTextInset;
    r.top -= 1;
    r.bottom += 1;
    MapWindowPoints(ListBox1->Handle(), GetParent(ListBox1->Handle()), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool TImagePage::Renaming() const {
    const TEdit* edit = Edit2.IfMade();
    return edit && edit->Visible();
}

void TImagePage::Edit2Exit() {
    if (!Renaming()) return;
    Edit2->Hide();
    std::string text = Edit2->Text();
    const int cur = FDoc.CurImage();
    if (!text.empty() && cur >= 0 && cur < ListBox1->Count()) {
        FDoc.RenameImage(cur, text);
        ListBox1->Delete(cur);
        ListBox1->Insert(cur, text);
        ListBox1->SetItemIndex(cur);
    }
}

void TImagePage::ListBox1DblClick() {
    if (TEdit* edit = Edit2.IfMade()) edit->Hide();
    Timer2->SetEnabled(true);
}

void TImagePage::Timer2Timer() {
    Timer2->SetEnabled(false);
    if (FDoc.CurImage() >= 0)
        EditBtnClick();
    else
        NewBtnClick();
}

void TImagePage::ListBox1KeyDown(WORD& key) {
    if (key == VK_DELETE) {
        DelImageBtnClick();
        key = 0;
    } else if (key == VK_RETURN && FDoc.CurImage() >= 0) {
        EditBtnClick();
        key = 0;
    }
}

void TImagePage::ListBox1KeyUp(WORD key) {
    if (key < VK_LEFT || key > VK_DOWN || FDoc.LastImage() < 0) return;
    int sel = ListBox1->ItemIndex();
    if (sel >= 0 && sel != FDoc.CurImage()) SelectImage(sel);
}

void TImagePage::PopupMenu1Popup() {
    PopupMenu1.Item("PasteClipBtn")->Enabled = IsClipboardFormatAvailable(CF_BITMAP) != FALSE;
    PopupMenu1.Item("CopyClipBtn")->Enabled = Image1->Visible();
    PopupMenu1.Item("Edit1")->Enabled = EditBtn->Enabled();
    PopupMenu1.Item("A1")->Enabled = CopyBtn->Enabled();
    PopupMenu1.Item("Delete1")->Enabled = DelImageBtn->Enabled();
    PopupMenu1.Item("S1")->Enabled = FHost.CanSaveImage();
    PopupMenu1.Item("Rename1")->Enabled = ListBox1->Count() > 0;
}

void TImagePage::Close() {
    ImageList1.Clear();
    for (TImage* i : {Image1.get(), IconImage.get()}) i->ClearPicture();
    ListBox1->Clear();
}
