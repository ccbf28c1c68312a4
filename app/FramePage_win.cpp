// The frame page of the main window: the frame list, intervals, the common hotspot, the
// animation preview on the multimedia timer and the animation test.
#include "app/FramePage.h"
#include "app/NameFont.h"

#include "ui/PageLayout.h"
#include "app/SmallDialogs.h"
#include "app/TemporaryFile.h"
#include "ui/Application.h"

const char* const kAniTestFileName = "＃＄ＴＥＳＴ＄＃.ani";

namespace {
const char* const kAniTestFailed = "テスト用のアニメーションカーソルを作れませんでした。";
} // namespace

void TFramePage::BuildIntervalRow(TControl* p, const TIntervalRow& row) {
    this->*row.Label = std::make_unique<TLabel>(p, row.LabelName, row.Caption, 146, row.Top + 4);
    TValueBox& box = *(this->*row.Box = std::make_unique<TValueBox>(p, row.BoxName));
    box.SetBounds(196, row.Top, 50, 20);
    TScrollBar& bar = *(this->*row.Bar = std::make_unique<TScrollBar>(p, row.BarName, 1, 911, 10));
    bar.SetBounds(252, row.Top + 2, 150, 17);
    TTrackBar& track = *(this->*row.Track = std::make_unique<TTrackBar>(p, row.TrackName, 10, 640, 512));
    track.SetBounds(404, row.Top - 2, 96, 24);
    track.SetHint("MAX値の微調整");
}

TFramePage::TFramePage(TControl* p, TCursorDocument& doc, const TImageList& thumbnails, TFramePageHost host)
    : FDoc(doc), FThumbnails(thumbnails), FHost(std::move(host)) {
    using P = TFramePage;
    // The column headers of the list.
    BuildLabels<P>(*this, p,
                   {
                       {&P::Label3, "Label3", "No.", 10, 4},
                       {&P::Label4, "Label4", "Img", 30, 4},
                       {&P::Label5, "Label5", "Interval", 64, 4},
                   });
    ListBox2 = std::make_unique<TDragListBox>(p, "ListBox2", true, 16);
    ListBox2->SetBounds(8, 20, 128, 300);
    ListBox2->SetHint("クリックしながらドラッグすると移動できます。");
    ListBox2->OnDrawItem = [this](TControl*, int i, const RECT& r, const TOwnerDrawState& s, TCanvas& c) {
        ListBox2DrawItem(i, r, s, c);
    };
    ListBox2->OnMouseDown = [this](TControl*, const TMouseEvent& e) { ListBox2MouseDown(e); };
    ListBox2->OnMouseMove = [this](TControl*, const TMouseEvent& e) { ListBox2MouseMove(e); };
    ListBox2->OnMouseUp = [this](TControl*, const TMouseEvent& e) { ListBox2MouseUp(e); };
    ListBox2->OnKeyUp = [this](TControl*, WORD& key, const TShiftState&) { ListBox2KeyUp(key); };
    ListBox2->KeepKeys({VK_RETURN});
    ListBox2->OnDblClick = [this](TControl*) { ListBox2DblClick(); };

    FramImageIndex = std::make_unique<TUpDown>(p, "FramImageIndex", 0, 0, true);
    FramImageIndex->SetBounds(146, 20, 17, 24);
    FramImageIndex->OnClick = [this](TControl*) { FramImageIndexClick(); };
    Panel3 = std::make_unique<TPanel>(p, "Panel3", "なし");
    Panel3->SetBounds(166, 20, 150, 24);
    Panel3->SetBevelOuter(TBevel::bvLowered);
    FNameFont.Reset(MakeNameFont(Panel3->Font()));
    Panel3->SetFont(static_cast<HFONT>(FNameFont.Get()));
    Image5 = std::make_unique<TImage>(p, "Image5");
    Image5->SetBounds(324, 16, 32, 32);
    Image5->Hide();

    BuildIntervalRow(p, {&P::Label6, "Label6", "Interval", &P::FrameSpeed, "FrameSpeed", &P::ScrollBar2, "ScrollBar2",
                         &P::TrackBar1, "TrackBar1", 54});
    BuildControls<P, TButton>(*this, p,
                              {
                                  {&P::AddFramBtn, "AddFramBtn", "ﾌﾚｰﾑ追加", 146, 82, 84, 24},
                                  {&P::DelFramBtn, "DelFramBtn", "ﾌﾚｰﾑ削除", 236, 82, 84, 24},
                              });

    BuildIntervalRow(p, {&P::Label7, "Label7", "Default", &P::DefaultSpeed, "DefaultSpeed", &P::ScrollBar1, "ScrollBar1",
                         &P::TrackBar2, "TrackBar2", 116});
    for (TValueBox* v : {FrameSpeed.get(), DefaultSpeed.get()}) {
        v->SetMin(1);
        v->SetMax(911);
        v->SetValue(10);  // jiffies at start
        v->SetShowUpDown(false);
    }
    UniteInterval = std::make_unique<TButton>(p, "UniteInterval", "統一");
    UniteInterval->SetBounds(146, 142, 60, 22);
    UniteInterval->SetHint("統一ボタン");
    InsertFram = std::make_unique<TCheckBox>(p, "InsertFram", "フレーム別で設定する");
    InsertFram->SetBounds(214, 144, 180, 18);

    UniteHotspot = std::make_unique<TCheckBox>(p, "UniteHotspot", "ﾎｯﾄｽﾎﾟｯﾄを統一");
    UniteHotspot->SetBounds(146, 172, 130, 18);
    BuildControls<P, TValueBox>(*this, p,
                                {
                                    {&P::UniHotX, "UniHotX", nullptr, 280, 170, 50, 20},
                                    {&P::UniHotY, "UniHotY", nullptr, 334, 170, 50, 20},
                                });
    for (TValueBox* v : {UniHotX.get(), UniHotY.get()}) v->SetMax(31);

    Panel5 = std::make_unique<TPanel>(p, "Panel5");
    Panel5->SetBounds(140, 196, 360, 112);
    Panel5->SetBevelOuter(TBevel::bvLowered);
    Image4 = std::make_unique<TImage>(Panel5.get(), "Image4");
    Image4->SetBounds(kPreviewAnchorX, kPreviewAnchorY, 32, 32);
    Image4->Hide();
    Label17 = std::make_unique<TLabel>(Panel5.get(), "Label17", "Frm.000 Img.000", 8, 8);

    BuildControls<P, TSpeedButton>(*this, p,
                                   {
                                       {&P::Play, "Play", "再生", 146, 314, 62, 26},
                                       {&P::Stop, "Stop", "停止", 210, 314, 62, 26},
                                       {&P::Pre, "Pre", "コマ送り", 274, 314, 62, 26},
                                       {&P::Rep, "Rep", "コマ戻し", 338, 314, 62, 26},
                                   });
    Play->SetGroupIndex(1);
    Stop->SetGroupIndex(1);
    Play->SetDown(true);
    ANITest = std::make_unique<TButton>(p, "ANITest", "テスト");
    ANITest->SetBounds(420, 314, 80, 26);

    Timer1 = std::make_unique<MMTimer>("Timer1");
    Timer1->set_interval(kPreviewStartInterval);
    Timer1->set_resolution(10);
    Timer1->OnTimer = [this](TControl*) { Timer1Timer(); };

    FrameSpeed->OnChange = [this](TControl*) { FrameSpeedChange(); };
    ScrollBar2->OnChange = [this](TControl*) { ScrollBar2Change(); };
    TrackBar1->OnChange = [this](TControl*) { TrackBar1Change(); };
    DefaultSpeed->OnChange = [this](TControl*) { DefaultSpeedChange(); };
    ScrollBar1->OnChange = [this](TControl*) { ScrollBar1Change(); };
    TrackBar2->OnChange = [this](TControl*) { TrackBar2Change(); };
    AddFramBtn->OnClick = [this](TControl*) { AddFramBtnClick(); };
    DelFramBtn->OnClick = [this](TControl*) { DelFramBtnClick(); };
    UniteInterval->OnClick = [this](TControl*) { UniteIntervalClick(); };
    InsertFram->OnClick = [this](TControl*) { InsertFramClick(); };
    UniteHotspot->OnClick = [this](TControl*) { FDoc.SetUniteHotspot(UniteHotspot->Checked()); };
    UniHotX->OnChange = [this](TControl*) { FDoc.SetUniHotX(UniHotX->Value()); };
    UniHotY->OnChange = [this](TControl*) { FDoc.SetUniHotY(UniHotY->Value()); };
    Play->OnClick = [this](TControl*) { PlayClick(); };
    Stop->OnClick = [this](TControl*) { StopClick(); };
    Pre->OnMouseDown = [this](TControl*, const TMouseEvent&) { PreMouseDown(); };
    Rep->OnMouseDown = [this](TControl*, const TMouseEvent&) { RepMouseDown(); };
    ANITest->OnClick = [this](TControl*) { ANITestClick(); };
    // The page may be made long after the document changed.
    ShowAniOptions();
    if (FDoc.FrameCount() > 0) ShowFrames();
}

// ---- lines

void TFramePage::SetFrameLine(int image, int interval, int line) {
    if (line < 0 || line >= FDoc.FrameCount()) return;
    FDoc.SetFrameLine(image, interval, line);
    int sel = ListBox2->ItemIndex();
    const FrameLine& f = FDoc.Frame(line);
    ListBox2->SetItem(line, FormatFrameLine(f.Image, f.Interval));
    ListBox2->SetItemIndex(sel);
}

std::optional<FrameLine> TFramePage::GetFrameLine(int line) const {
    if (line < 0 || line >= FDoc.FrameCount()) return std::nullopt;
    return FDoc.Frame(line);
}

void TFramePage::ShowFrames() {
    TNoRedraw frozen(ListBox2->Handle());
    int sel = FPendingSelection.value_or(ListBox2->ItemIndex());
    FPendingSelection.reset();
    ListBox2->Clear();
    for (const std::string& line : FormatFrameLines(FDoc.Frames())) ListBox2->Add(line);
    ListBox2->SetItemIndex(sel < ListBox2->Count() ? sel : -1);
}

bool TFramePage::BuildFrameArrays() {
    FrameBuildResult r = FDoc.BuildFrameArrays();
    if (r.Check != FrameCheck::Ok) {
        FHost.Report(FrameCheckMessage(r.Check), TMessageCaption::Application, TMessageIcon::Information);
        return false;
    }
    if (r.UnusedImages) FHost.Report(kUnusedImagesMessage, TMessageCaption::Application, TMessageIcon::Information);
    return true;
}

void TFramePage::AddFrameOf(int image) {
    FramImageIndex->SetMax(image);
    FFrameUpdating = 1;
    FramImageIndex->SetPosition(image);
    FFrameUpdating = 0;
    AddFramBtnClick();
}

void TFramePage::ShowAniOptions() {
    // Copied first: every control writes what it shows back into the document.
    const TAniOptions o = FDoc.AniOptions();
    DefaultSpeed->SetValue(o.DefaultSpeed);
    InsertFram->SetChecked(o.InsertFram);
    UniHotX->SetValue(o.UniHotX);
    UniHotY->SetValue(o.UniHotY);
    UniteHotspot->SetChecked(o.UniteHotspot);
}

void TFramePage::DocumentCleared() {
    ShowFrames();
    Timer1->set_enabled(false);
    Image4->Hide();
}

void TFramePage::FollowHotspot(int x, int y) {
    if (FDoc.AniOptions().UniteHotspot) return;
    FDoc.FollowHotspot(x, y);
    ShowAniOptions();
}

void TFramePage::Close() {
    Timer1->set_enabled(false);
    Image4->ClearPicture();
    ListBox2->Clear();
}

void TFramePage::ShowFrameImage(int image) {
    if (FrameImageExists(image, FDoc.LastImage())) {
        Image5->SetIcon(FThumbnails.GetIcon(image), false);
        Image5->Show();
        Panel3->SetCaption(FDoc.ListName(image));
    } else {
        Image5->Hide();
        Panel3->SetCaption("なし");
    }
}

void TFramePage::AddFramBtnClick() {
    if (FDoc.LastImage() < 0) return;
    int n = FDoc.FrameCount();
    int at = FrameInsertIndex(n, FPendingSelection.value_or(ListBox2->ItemIndex()));
    FrameLine f{FramImageIndex->Position(), FrameSpeed->Value()};
    if (!FDoc.InsertFrame(at, f)) {
        FHost.Report(kFrameLimitMessage, TMessageCaption::Application, TMessageIcon::Information);
        return;
    }
    if (FAdds.Active()) {
        // Within a batch only the document takes the frame; ListBox2 shows them all at its end.
        FPendingSelection = at;
        FAddedInBatch = true;
        return;
    }
    ListBox2->Insert(at, FormatFrameLine(f.Image, f.Interval));
    ListBox2->SetItemIndex(at);
    ListBox2Click();
}

void TFramePage::BeginAdds() {
    if (!FAdds.Active()) FAddedInBatch = false;
    FAdds.Begin(ListBox2->Handle());
}

void TFramePage::EndAdds() {
    if (!FAdds.End()) return;  // an inner batch ended
    if (FPendingSelection) ShowFrames();
    if (!FAddedInBatch) return;
    FAddedInBatch = false;
    ListBox2Click();
}

void TFramePage::DelFramBtnClick() {
    int k = ListBox2->ItemIndex();
    if (k < 0 || k >= FDoc.FrameCount()) return;
    FDoc.DeleteFrame(k);
    ListBox2->Delete(k);
    ListBox2->SetItemIndex(SelectionAfterDelete(k, ListBox2->Count()));
    ListBox2Click();
    if (FDoc.AniOptions().InsertFram) InsertFramClick();
}

void TFramePage::ListBox2Click() {
    int sel = ListBox2->ItemIndex();
    if (FDoc.FrameCount() == 0 || sel < 0) return;
    FFrameUpdating = 1;
    std::optional<FrameLine> line = GetFrameLine(sel);
    FrameLine f = line.value_or(FrameLine{-1, FrameSpeed->Value()});
    FrameSpeed->SetValue(f.Interval);
    int image = ImageForSelectedLine(f.Image, FDoc.LastImage());
    FramImageIndex->SetPosition(image);
    if (image != f.Image) SetFrameLine(image, -1, sel);
    if (FDoc.LastImage() >= 0)
        ShowFrameImage(image);
    else
        Image5->Hide();
    FFrameUpdating = 0;
}

void TFramePage::FramImageIndexClick() {
    if (FDoc.LastImage() < 0 || FFrameUpdating) return;
    ShowFrameImage(FramImageIndex->Position());
    int sel = ListBox2->ItemIndex();
    if (sel >= 0) SetFrameLine(FramImageIndex->Position(), -1, sel);
}

void TFramePage::FrameSpeedChange() {
    if (FFrameUpdating) return;
    ScrollBar2->SetPosition(FrameSpeed->Value());
    int sel = ListBox2->ItemIndex();
    if (sel >= 0) SetFrameLine(-1, FrameSpeed->Value(), sel);
}

void TFramePage::ScrollBar2Change() {
    if (FrameSpeed->Value() != ScrollBar2->Position()) FrameSpeed->SetValue(ScrollBar2->Position());
}

namespace {
// A track bar sets the maximum of its scroll bar, but never below the scroll bar's position.
void FitScrollMaximum(TScrollBar& bar, TTrackBar& track) {
    if (bar.Position() < track.Position())
        bar.SetMax(track.Position());
    else
        track.SetPosition(bar.Position());
}
} // namespace

void TFramePage::TrackBar1Change() { FitScrollMaximum(*ScrollBar2, *TrackBar1); }

void TFramePage::DefaultSpeedChange() {
    FDoc.SetDefaultSpeed(DefaultSpeed->Value());
    const TAniOptions& o = FDoc.AniOptions();
    ScrollBar1->SetPosition(o.DefaultSpeed);
    if (!o.InsertFram) Timer1->set_interval(FTiming.StepMs(o.DefaultSpeed));
}

void TFramePage::ScrollBar1Change() {
    if (DefaultSpeed->Value() != ScrollBar1->Position()) DefaultSpeed->SetValue(ScrollBar1->Position());
}

void TFramePage::TrackBar2Change() { FitScrollMaximum(*ScrollBar1, *TrackBar2); }

void TFramePage::UniteIntervalClick() {
    FDoc.SetAllIntervals(FDoc.AniOptions().DefaultSpeed);
    ShowFrames();
}

void TFramePage::InsertFramClick() {
    const FrameCheck check = FDoc.SetInsertFram(InsertFram->Checked());
    if (!FDoc.AniOptions().InsertFram) Timer1->set_interval(FTiming.UncheckedMs(FDoc.AniOptions().DefaultSpeed));
    if (check == FrameCheck::Ok) return;
    InsertFram->SetChecked(false);
    FHost.Report(FrameCheckMessage(check), TMessageCaption::Application, TMessageIcon::Information);
}

void TFramePage::PageLeft() { Timer1->set_enabled(false); }

void TFramePage::PageEntered(bool canTest) {
    FramImageIndex->SetMax(std::max(FDoc.LastImage(), 0));
    ANITest->SetEnabled(canTest);
    bool images = FDoc.LastImage() >= 0;
    for (TSpeedButton* b : {Play.get(), Stop.get(), Pre.get(), Rep.get()}) b->SetEnabled(images);
    if (!images) {
        Timer1->set_enabled(false);
        Image4->Hide();
        Image5->Hide();
        Panel3->SetCaption("なし");
        return;
    }
    ShowFrameImage(FramImageIndex->Position());
    UpdatePreviewTimer();
    if (FDoc.AniOptions().InsertFram) InsertFramClick();
    ListBox2Click();
}

// ---- the list box

void TFramePage::ListBox2DrawItem(int index, const RECT& r, const TOwnerDrawState& state, TCanvas& canvas) {
    canvas.FillRect(r, state.Selected ? clHighlight : clWindow);
    std::optional<FrameLine> f = GetFrameLine(index);
    SelectObject(canvas.Handle(), ListBox2->Font());
    canvas.TextOut(r.left, r.top, FrameRowText(index, f ? f->Interval : 0), state.Selected ? clHighlightText : clWindowText);
    if (f && FrameImageExists(f->Image, FDoc.LastImage()) && f->Image < FThumbnails.Count()) {
        TDibSection thumb(32, 32);
        TCanvas(thumb.DC()).FillRect(RECT{0, 0, 32, 32}, state.Selected ? clHighlight : clWindow);
        FThumbnails.Draw(thumb.DC(), f->Image, 0, 0);
        GdiFlush();
        SetStretchBltMode(canvas.Handle(), COLORONCOLOR);
        StretchBlt(canvas.Handle(), r.left + 20, r.top, 16, 16, thumb.DC(), 0, 0, 32, 32, SRCCOPY);
    }
}

void TFramePage::ListBox2MouseDown(const TMouseEvent& e) {
    int row = ListBox2->ItemAtPos(POINT{e.X, e.Y});
    if (row >= 0 && row != ListBox2->ItemIndex()) {
        ListBox2->SetItemIndex(row);
        ListBox2Click();
    }
    FFrameDragRow = e.Button == TMouseButton::mbLeft ? row : -1;
    FFrameDragStart = POINT{e.X, e.Y};
}

void TFramePage::ListBox2MouseMove(const TMouseEvent& e) {
    // A drag begins once the mouse has moved 4 pixels with the button down.
    if (FFrameDragRow >= 0 && !ListBox2->Dragging() &&
        (std::abs(e.X - FFrameDragStart.x) >= 4 || std::abs(e.Y - FFrameDragStart.y) >= 4))
        ListBox2->BeginDrag(POINT{e.X, e.Y});
}

void TFramePage::ListBox2MouseUp(const TMouseEvent& e) {
    if (e.Button != TMouseButton::mbLeft) return;
    int row = ListBox2->ItemAtPos(POINT{e.X, e.Y});
    const int drop = ListBox2->Dragging() ? ListBox2->DropRowAt(POINT{e.X, e.Y}) : -1;
    ListBox2->EndDrag();
    FFrameDragRow = -1;
    if (drop >= 0) ListBox2DragDrop(drop);
    if (row >= 0) {
        ListBox2->SetItemIndex(row);
        ListBox2Click();
    }
}

void TFramePage::ListBox2DragDrop(int n) {
    int sel = ListBox2->ItemIndex();
    if (sel < 0 || n < 0 || n >= FDoc.FrameCount() || n == sel) return;
    FDoc.MoveFrame(sel, n);
    ListBox2->Move(sel, n);
    ListBox2->SetItemIndex(n);
    ListBox2Click();
}

void TFramePage::ListBox2KeyUp(WORD key) {
    int sel = ListBox2->ItemIndex();
    if (key == VK_DELETE) {
        DelFramBtnClick();
    } else if (key == VK_RETURN) {
        std::optional<FrameLine> f = sel >= 0 ? GetFrameLine(sel) : std::nullopt;
        if (f && FrameImageExists(f->Image, FDoc.LastImage())) FHost.EditImage(f->Image, true);
    } else if (key >= VK_LEFT && key <= VK_DOWN && FDoc.LastImage() >= 0) {
        ListBox2Click();
    }
}

void TFramePage::ListBox2DblClick() {
    int sel = ListBox2->ItemIndex();
    std::optional<FrameLine> f = sel >= 0 ? GetFrameLine(sel) : std::nullopt;
    if (!f || !FrameImageExists(f->Image, FDoc.LastImage())) return;
    FHost.EditImage(f->Image, false);
}

// ---- the preview

PreviewSource TFramePage::PreviewInput() const {
    PreviewSource s;
    const TAniOptions& o = FDoc.AniOptions();
    s.PerFrame = o.InsertFram;
    s.ImageCount = FDoc.LastImage() + 1;
    if (s.PerFrame) s.Lines = FDoc.Frames();
    s.ImageHotspot = [this](int i) { return FrameHotspot{FDoc.Entry(i).HotX, FDoc.Entry(i).HotY}; };
    s.UniteHotspot = o.UniteHotspot;
    s.UniHot = FrameHotspot{o.UniHotX, o.UniHotY};
    s.Timing = FTiming;
    return s;
}

void TFramePage::ShowPreviewStep(const std::optional<PreviewStep>& step) {
    if (FDoc.LastImage() < 0) return;
    Image4->Show();
    if (!step) return;
    if (step->ImageExists && step->Image < FThumbnails.Count()) {
        Image4->SetIcon(FThumbnails.GetIcon(step->Image), false);  // the previous icon is destroyed
        Image4->SetBounds(step->Position.Left, step->Position.Top, 32, 32);
    }
    if (step->IntervalMs) Timer1->set_interval(*step->IntervalMs);
    Label17->SetCaption(step->Label);
}

void TFramePage::UpdatePreviewTimer() {
    Timer1->set_enabled(FPreview.TimerRuns(FHost.Shown(), FDoc.LastImage() + 1));
}

void TFramePage::Timer1Timer() { ShowPreviewStep(FPreview.Step(PreviewInput())); }

void TFramePage::PlayClick() {
    FPreview.Play();
    UpdatePreviewTimer();
}

void TFramePage::StopClick() {
    FPreview.Stop();
    Timer1->set_enabled(false);
}

void TFramePage::PreMouseDown() {
    Stop->SetDown(true);
    Timer1->set_enabled(false);
    ShowPreviewStep(FPreview.StepForward(PreviewInput()));
}

void TFramePage::RepMouseDown() {
    Stop->SetDown(true);
    Timer1->set_enabled(false);
    ShowPreviewStep(FPreview.StepBack(PreviewInput()));
}

// ---- the animation test

void TFramePage::ANITestClick() {
    // Frames that name missing images are never written or tried.
    if (FDoc.AniOptions().InsertFram && !BuildFrameArrays()) return;
    // Written where a user can always write (not beside the program) and removed again;
    // always in 256 colours, while the user's save mode stays as it is.
    TTemporaryFile file(kAniTestFileName);
    HCURSOR cursor = nullptr;
    if (WriteAniFile(file.Path(), FHost.AniInput(AniSaveMode::Colours256)) == WriteResult::Written)
        cursor = LoadCursorFromFileW(W(file.Path()).c_str());
    if (!cursor) {
        FHost.Report(kAniTestFailed, TMessageCaption::Application, TMessageIcon::Warning);
        return;
    }
    SetScreenCursor(4, cursor);
    CurTestDlg->ShowModal();
    SetScreenCursor(4, nullptr);
    DestroyCursor(cursor);
}
