// The pixel editor dialog: components, showing and closing, the canvas and its mouse
// gestures, the tools, the image clipboard and undo.
#include "editor/EditDlg_win.h"

#include <algorithm>

#include "editor/EditorTiles.h"
#include "editor/PaletteCommands_win.h"
#include "editor/Raster.h"
#include "formats/ReaderProcess.h"
#include "formats/UserCursor.h"
#include "ui/Clipboard.h"
#include "ui/Cursor.h"
#include "ui/Dialogs.h"
#include "ui/Resource.h"
#include "base/Exception.h"

namespace {

constexpr int kZoom = 8;
constexpr int kCanvas = kImageSize * kZoom;  // 256
constexpr int kClientWidth = 460;
constexpr int kClientHeight = 370;
constexpr int kMonoNarrower = 200;
constexpr int kToolsTop = 263;   // the tool buttons: two rows of 25 pixels
constexpr int kMonoStripTop = kToolsTop + 2 * 25 + 2;
constexpr int kMaxPasteSide = 1024;  // a larger clipboard picture is cut to its top-left part
const char* const kBlankHint = "　";  // one full-width blank: clears the status line

// A DIB pixel (0x00RRGGBB in memory order) from a TColor (0x00BBGGRR).
constexpr uint32_t DibPixel(TColor c) {
    return static_cast<uint32_t>(RedOf(c)) << 16 | static_cast<uint32_t>(GreenOf(c)) << 8 | BlueOf(c);
}

// A cursor with the hotspot (9, 22) from a black-and-white tile and its mask tile.
TCursorHandle MakeCursor(const TBitmap& colour, const TBitmap& mask) {
    TCursorMask andMask(kImageSize, kImageSize), xorBits(kImageSize, kImageSize);
    for (int y = 0; y < kImageSize; ++y)
        for (int x = 0; x < kImageSize; ++x) {
            andMask.Set(x, y, mask.Pixel(x, y) == clWhite);
            xorBits.Set(x, y, colour.Pixel(x, y) == clWhite);
        }
    return BuildMonochromeCursor(andMask, xorBits, 9, 22);
}

} // namespace

TEditDlg::TEditDlg(TDialogContents contents)
    : TForm("EditDlg", "イメージの編集", kClientWidth, kClientHeight, TFormBorder::bsDialog) {
    CenterOnScreen();
    SetShowHints(false);  // its hints go to the status bar
    OnShow = [this](TControl*) { FormShow(); };
    FModel.Clear();
    if (contents == TDialogContents::Now) BuildContents();
}

void TEditDlg::BuildContents() {
    if (FBuilt) return;
    FBuilt = true;
    BuildComponents();
    BuildMenus();
    MakeToolCursors();
    BuildPaletteCommands();
    RedrawImage();
}

TEditDlg::~TEditDlg() {
    // The screen slots do not own their cursors: take ours out before they are destroyed.
    for (int slot : {crPen, crFill, crPick, crCustomPen, crCustomFill}) {
        HCURSOR c = ScreenCursor(slot);
        for (const TCursorHandle* own : {&FToolCursors[0], &FToolCursors[1], &FToolCursors[2], &FCustomCursors[0],
                                         &FCustomCursors[1]})
            if (c && c == own->Get()) SetScreenCursor(slot, nullptr);
    }
}

TSpeedButton* TEditDlg::MakeTool(std::unique_ptr<TSpeedButton>& button, const std::string& name,
                                 const std::string& caption, int column, int row, const std::string& hint) {
    button = std::make_unique<TSpeedButton>(Panel3.get(), name, caption);
    button->SetBounds(column * 25, row * 25, 25, 25);
    ShowHintOnMove(*button, hint);
    return button.get();
}

void TEditDlg::LoadToolGlyphs() {
    // The tiles of the glyph strip, in order (resources/make_editor_glyphs.py draws them).
    TSpeedButton* const buttons[] = {UndoBtn.get(), RedoBtn.get(), SelectBtn.get(),   MoveBtn.get(),  OtherBtn.get(),
                                     PenBtn.get(),  FillBtn.get(), grid.get(),        PopupBtn.get(), LineBtn.get(),
                                     SquareBtn.get(), CircleBtn.get(), FillSquareBtn.get(), FillCircleBtn.get()};
    TTileImages strip;
    try {
        TResourceStream stream(GetModuleHandleW(nullptr), "EditorGlyphs", "DATA");
        TBitmap picture;
        picture.LoadFromStream(stream);
        strip.SetBitmap(picture);
    } catch (const Exception&) {
        return;  // no pictures: the captions stay
    }
    strip.SetHorCount(static_cast<int>(std::size(buttons)));
    if (strip.Count() != static_cast<int>(std::size(buttons)) || strip.Width() != 16) return;
    for (std::size_t i = 0; i < std::size(buttons); ++i) {
        buttons[i]->SetGlyph(*strip.GetIndexBitmap(static_cast<int>(i)));
        buttons[i]->SetCaption("");
    }
}

void TEditDlg::BuildComponents() {
    Panel1 = std::make_unique<TPanel>(this, "Panel1");
    Panel1->SetBounds(0, 0, kCanvas, kCanvas);
    Panel1->SetBevelOuter(TBevel::bvNone);
    PaintBox1 = std::make_unique<TPaintBox>(Panel1.get(), "PaintBox1");
    PaintBox1->SetBounds(0, 0, kCanvas, kCanvas);
    PaintBox1->OnPaint = [this](TControl*, TCanvas& canvas, const RECT&) {
        BitBlt(canvas.Handle(), 0, 0, kCanvas, kCanvas, FCanvas.DC(), 0, 0, SRCCOPY);
    };
    PaintBox1->OnMouseDown = [this](TControl*, const TMouseEvent& e) { PaintBox1MouseDown(e); };
    PaintBox1->OnMouseMove = [this](TControl*, const TMouseEvent& e) { PaintBox1MouseMove(e); };
    PaintBox1->OnMouseUp = [this](TControl*, const TMouseEvent& e) { PaintBox1MouseUp(e); };

    Panel4 = std::make_unique<TPanel>(this, "Panel4");
    Panel4->SetBounds(0, 264, 34, 34);
    Panel4->SetBevelOuter(TBevel::bvLowered);
    Image1 = std::make_unique<TImage>(Panel4.get(), "Image1");
    Image1->SetBounds(1, 1, kImageSize, kImageSize);
    Image1->SetBitmap(TBitmap(kImageSize, kImageSize, TPixelFormat::pf24bit));

    Panel2 = std::make_unique<TPanel>(this, "Panel2");
    Panel2->SetBounds(263, 0, 197, 197);
    Panel2->SetBevelOuter(TBevel::bvLowered);
    PaletteImage = std::make_unique<TPaletteGrid>(Panel2.get(), "PaletteImage", FModel);
    PaletteImage->SetBounds(2, 2, TPaletteGrid::kSize, TPaletteGrid::kSize);
    ShowHintOnMove(*PaletteImage, "左クリックで主色(赤枠)選択。右クリックで補助色(青枠)の選択。ドラッグで色の移動");
    PaletteImage->OnMouseDown = [this](TControl* s, const TMouseEvent& e) { PaletteImageMouseDown(s, e.Button, e.X, e.Y); };

    Panel3 = std::make_unique<TPanel>(this, "Panel3");
    Panel3->SetBounds(40, kToolsTop, 8 * 25, 2 * 25);
    Panel3->SetBevelOuter(TBevel::bvNone);
    PalColor = std::make_unique<TPanel>(Panel3.get(), "PalColor");
    PalColor->SetBounds(2, 2, 21, 21);
    PalColor->SetBevelOuter(TBevel::bvLowered);
    MakeTool(UndoBtn, "UndoBtn", "戻", 1, 0, "アンドゥ　元に戻します")->OnClick = [this](TControl*) { UndoBtnClick(); };
    MakeTool(RedoBtn, "RedoBtn", "進", 2, 0, "リドゥ　やり直します")->OnClick = [this](TControl*) { RedoBtnClick(); };
    MakeTool(SelectBtn, "SelectBtn", "選", 3, 0, "イメージの一部を矩形選択し、移動、コピー等を行います");
    MakeTool(MoveBtn, "MoveBtn", "移", 4, 0, "移動　クリックしながらマウス移動でイメージ位置が移動できます");
    MakeTool(OtherBtn, "OtherBtn", "回", 5, 0, "回転や反転が行えます")->OnClick = [this](TControl*) { OtherBtnMouseUp(); };
    MakeTool(PenBtn, "PenBtn", "筆", 6, 0, "1ピクセル単位で描画できます");
    MakeTool(FillBtn, "FillBtn", "塗", 7, 0, "塗りつぶし");
    MakeTool(grid, "grid", "＃", 0, 1, "グリッド線のON/OFF")->OnClick = [this](TControl*) { gridClick(); };
    MakeTool(PopupBtn, "PopupBtn", "ク", 1, 1, "クリップボードメニュー")->OnClick = [this](TControl*) { PopupBtnMouseUp(); };
    MakeTool(LineBtn, "LineBtn", "／", 2, 1, "直線を引きます。[Shift]キーを押しながら行えば45ﾟ単位で引けます");
    MakeTool(SquareBtn, "SquareBtn", "□", 3, 1, "長方形を描きます。[Shift]キーを押しながら行えば正方形になります");
    MakeTool(CircleBtn, "CircleBtn", "○", 4, 1, "楕円を描きます。[Shift]キー押しながら行えば真円になります");
    MakeTool(FillSquareBtn, "FillSquareBtn", "■", 5, 1,
             "塗りつぶし長方形を描きます。[Shift]キーを押しながら行えば正方形になります");
    MakeTool(FillCircleBtn, "FillCircleBtn", "●", 6, 1, "塗りつぶし楕円を描きます。[Shift]キー押しながら行えば真円になります");
    grid->SetGroupIndex(2);
    grid->SetAllowAllUp(true);
    for (TSpeedButton* b : {PenBtn.get(), FillBtn.get(), MoveBtn.get(), SelectBtn.get(), LineBtn.get(), SquareBtn.get(),
                            CircleBtn.get(), FillSquareBtn.get(), FillCircleBtn.get()}) {
        b->SetGroupIndex(1);
        if (b == SelectBtn.get())
            b->OnClick = [this](TControl*) { SelectBtnClick(); };
        else
            b->OnClick = [this, b](TControl*) { PenBtnClick(b); };
    }
    PenBtn->SetDown(true);
    LoadToolGlyphs();

    ToolBar1 = std::make_unique<TPanel>(this, "ToolBar1");
    ToolBar1->SetBounds(263, 199, 197, 20);
    ToolBar1->SetBevelOuter(TBevel::bvNone);
    ShowHintOnMove(*ToolBar1, kBlankHint);
    auto menuButton = [this](std::unique_ptr<TButton>& b, const std::string& name, const std::string& caption,
                             int left, TPopupMenu& menu) {
        b = std::make_unique<TButton>(ToolBar1.get(), name, caption);
        b->SetBounds(left, 0, 64, 20);
        b->SetTabStop(false);  // tool-bar buttons, worked by the mouse
        b->OnClick = [this, &menu, btn = b.get()](TControl*) {
            RECT r;
            GetWindowRect(btn->Handle(), &r);
            menu.Popup(FHandle, r.left, r.bottom);
        };
    };
    menuButton(ToolButton1, "ToolButton1", "ﾊﾟﾚｯﾄ(&P)", 0, PopupMenu1);
    menuButton(ToolButton2, "ToolButton2", "編集(&E)", 66, PopupMenu3);
    menuButton(ToolButton3, "ToolButton3", "整理(&R)", 132, PopupMenu4);

    ArrCol = std::make_unique<TPanel>(this, "ArrCol");
    ArrCol->SetBounds(263, 220, 50, 18);
    SubCol = std::make_unique<TPanel>(this, "SubCol");
    SubCol->SetBounds(408, 220, 50, 18);
    SubCol->SetBevelOuter(TBevel::bvLowered);
    MakeGrad = std::make_unique<TButton>(this, "MakeGrad", "< ｸﾞﾗﾃﾞｰｼｮﾝ >");
    MakeGrad->SetBounds(315, 220, 91, 18);
    ShowHintOnMove(*MakeGrad, "主色(赤枠)～補助色(青枠)のグラデーションを生成します");

    Panel5 = std::make_unique<TPanel>(this, "Panel5");
    Panel5->SetBounds(264, 239, 196, 110);
    Panel5->SetBevelOuter(TBevel::bvNone);
    ShowHintOnMove(*Panel5, kBlankHint);
    auto view = [this](std::unique_ptr<TSpeedButton>& b, const std::string& name, int left, const std::string& hint,
                       TColourForm form) {
        b = std::make_unique<TSpeedButton>(Panel5.get(), name, name.substr(0, 3));
        b->SetBounds(left, 0, 40, 18);
        b->SetGroupIndex(3);
        ShowHintOnMove(*b, hint);
        b->OnClick = [this, form](TControl*) {
            FModel.ColourForm = form;
            RefreshColourBoxes();
        };
    };
    view(RGBDISP, "RGBDISP", 0, "光三原色、RGB値(赤,緑,青)で表現します", TColourForm::RGB);
    view(CMYDISP, "CMYDISP", 42, "印刷三原色、CMY値(ｼｱﾝ,ﾏｾﾞﾝﾀ,ｲｴﾛｰ)で表現します", TColourForm::CMY);
    view(HSLDISP, "HSLDISP", 84, "光三属性、HSL値(色調Hue,彩度Saturation,明度Lightness)で表現します", TColourForm::HSL);
    RGBDISP->SetDown(true);

    OkBtn = std::make_unique<TButton>(this, "OkBtn", "OK");
    OkBtn->SetBounds(100, 322, 75, 24);
    OkBtn->SetModalResult(mrOk);
    OkBtn->SetDefault(true);
    CancelBtn = std::make_unique<TButton>(this, "CancelBtn", "キャンセル");
    CancelBtn->SetBounds(180, 322, 75, 24);
    CancelBtn->SetModalResult(mrCancel);
    CancelBtn->SetCancel(true);
    SetActiveControl(OkBtn.get());  // the canvas is worked by the mouse: Enter is OK at once

    StatusBar1 = std::make_unique<TPanel>(this, "StatusBar1");
    StatusBar1->SetBounds(0, kClientHeight - 18, kClientWidth, 18);
    StatusBar1->SetBevelOuter(TBevel::bvLowered);
    StatusBar1->SetAlignment(TAlignment::taLeftJustify);
    ShowHintOnMove(*this, kBlankHint);
}

void TEditDlg::BuildMenus() {
    DispPalSel = PopupMenu1.Add("DispPalSel", "選択範囲の表示");
    DispPalSel->OnClick = [this](TControl*) {
        FModel.PalSel = !FModel.PalSel;
        DispPalSel->Checked = FModel.PalSel;
        SelectMainAndSub();
    };
    Undo1 = PopupMenu3.Add("Undo1", "元に戻す(&U)");
    Undo1->OnClick = [this](TControl*) { UndoBtnClick(); };
    Repeat1 = PopupMenu3.Add("Repeat1", "やり直し(&D)");
    Repeat1->OnClick = [this](TControl*) { RedoBtnClick(); };
    PopupMenu3.OnPopup = [this](TControl*) {
        Undo1->Enabled = FModel.CanUndo();
        Repeat1->Enabled = FModel.CanRedo();
    };

    PopupMenu2.Add("N22", "左右反転")->OnClick = [this](TControl*) { TurnClick(TImageTurn::MirrorLeftRight); };
    PopupMenu2.Add("N23", "上下反転")->OnClick = [this](TControl*) { TurnClick(TImageTurn::FlipTopBottom); };
    PopupMenu2.Add("N901", "右90゜回転")->OnClick = [this](TControl*) { TurnClick(TImageTurn::RotateClockwise); };
    PopupMenu2.Add("N902", "左90゜回転")->OnClick = [this](TControl*) { TurnClick(TImageTurn::RotateAnticlockwise); };

    PopupMenu5.OnPopup = [this](TControl*) { PopupMenu5Popup(); };
    PopupMenu5.Add("Copy1", "コピー")->OnClick = [this](TControl*) { Copy1Click(); };
    PopupMenu5.Add("MaskCopy", "マスクコピー")->OnClick = [this](TControl*) { MaskCopyClick(); };
    PopupMenu5.Add("Cut1", "切り取り")->OnClick = [this](TControl*) { Cut1Click(); };
    PopupMenu5.Add("Paste1", "貼り付け")->OnClick = [this](TControl*) { Paste1Click(); };
    PopupMenu5.Add("Delete1", "削除")->OnClick = [this](TControl*) { Delete1Click(); };
    PopupMenu5.AddSeparator();
    PopupMenu5.Add("SelectAll1", "すべて選択")->OnClick = [this](TControl*) { SelectAll1Click(); };
    PopupMenu5.Add("NoSelect", "選択解除")->OnClick = [this](TControl*) { NoSelectClick(); };
    PopupMenu5.AddSeparator();
    TransMode = PopupMenu5.Add("TransMode", "透過する");
    TransMode->OnClick = [this](TControl*) { TransModeClick(); };
}

void TEditDlg::MakeToolCursors() {
    TileImages1.SetBitmap(ToolCursorColours());
    TileImages1.SetVertCount(3);
    TileImages2.SetBitmap(ToolCursorMasks());
    TileImages2.SetVertCount(3);
    TileImages2.SetTransparentColor(clWhite);
    DefaultPal.SetBitmap(RampGlyphs());
    DefaultPal.SetHorCount(4);
    DefaultPal.SetVertCount(4);
    DefaultPal.SetTransparentColor(clWhite);
    for (int i = 0; i < 3; ++i) {
        TBitmap colour = *TileImages1.GetIndexBitmap(i);
        FToolCursors[i] = MakeCursor(colour, *TileImages2.GetIndexBitmap(i));
        SetScreenCursor(crPen + i, FToolCursors[i].Get());
    }
    PaintBox1->SetCursor(ScreenCursor(crPen));
    PaletteImage->SetCursor(ScreenCursor(crPick));
}

int TEditDlg::ShowModal() {
    BuildContents();
    int result = TForm::ShowModal();
    FormClose();
    return result;
}

void TEditDlg::FormShow() {
    const std::string* files[2] = {&FOptions.CustomPenFile, &FOptions.CustomFillFile};
    const bool use[2] = {FOptions.UseCustomPen, FOptions.UseCustomFill};
    const TReaderBatch readers;  // one reader helper for both files, should they need it
    for (int i = 0; i < 2; ++i) {
        if (!use[i]) continue;
        // A file that cannot be loaded leaves the slot empty: the arrow shows.
        if (ScreenCursor(crCustomPen + i) == FCustomCursors[i].Get()) SetScreenCursor(crCustomPen + i, nullptr);
        FCustomCursors[i].Reset(LoadUserCursor(*files[i], TUserCursorLoad::FromFile));
        SetScreenCursor(crCustomPen + i, FCustomCursors[i].Get());
    }
    PenBtn->SetDown(true);
    PenBtnClick(PenBtn.get());
    PaletteImageMouseDown(nullptr, TMouseButton::mbLeft, 0, 0);
    int m = FMonoMode ? 1 : 0;
    FModel.MonoMode = FMonoMode;
    PaletteImage->MonoMode = FMonoMode;
    Panel5->SetVisible(!FMonoMode);
    // The monochrome strip goes under the tool buttons' lower row, not over the grid button.
    Panel2->SetBounds(263 - 263 * m, kMonoStripTop * m, 197 - 144 * m, 197 - 180 * m);
    PaletteImage->SetBounds(m ? 1 : 2, m ? 1 : 2, m ? 4 * TPaletteGrid::kCell + 1 : TPaletteGrid::kSize,
                            m ? TPaletteGrid::kCell + 1 : TPaletteGrid::kSize);
    SetClientSize(kClientWidth - kMonoNarrower * m, kClientHeight);
    StatusBar1->SetBounds(0, kClientHeight - 18, kClientWidth - kMonoNarrower * m, 18);
    FitStatusFont(StatusBar1->Caption());
    ToolBar1->SetEnabled(!FMonoMode);
    for (TButton* b : {ToolButton1.get(), ToolButton2.get(), ToolButton3.get()}) b->SetEnabled(!FMonoMode);
    FModel.ResetUndo();
    UpdateUndoButtons();
    RedrawImage();
    DrawPaletteGrid();
}

void TEditDlg::FormClose() {
    if (PaletteCommands) PaletteCommands->CancelReduction();
    if (FModel.Drawing()) FModel.MouseUp();
    FModel.ClearUndo();
    FPicking = false;
}

void TEditDlg::ClearImage() {
    BuildContents();
    FModel.Clear();
    FModel.MonoMode = PaletteImage->MonoMode = FMonoMode;
    FModel.MainIndex = 0;
    PalColor->SetColor(clBlack);
    RedrawImage();
    PaletteImageMouseDown(nullptr, TMouseButton::mbRight, 15 * TPaletteGrid::kCell, 15 * TPaletteGrid::kCell);
}

void TEditDlg::LoadImageData(const ImageRecord& image) {
    BuildContents();
    FModel.Load(image);
    FModel.MonoMode = PaletteImage->MonoMode = FMonoMode;
    // The monochrome grid offers only entries 0..3: a sub colour beyond them becomes the
    // transparent entry.
    if (FMonoMode && FModel.SubIndex > 3) FModel.SubIndex = kMonoTransparent;
    RedrawImage();
    POINT p = TPaletteGrid::CellOrigin(FModel.SubIndex);
    PaletteImageMouseDown(nullptr, TMouseButton::mbRight, p.x, p.y);
}

TEditorOptions TEditDlg::Options() const {
    // The options live in the controls: an editor never used yet builds them first, which
    // shows nothing.
    const_cast<TEditDlg*>(this)->BuildContents();
    TEditorOptions o = FOptions;
    o.Grid = FModel.Grid;
    o.PalSel = FModel.PalSel;
    o.PalRGB = FModel.ColourForm == TColourForm::RGB;
    o.PalCMY = FModel.ColourForm == TColourForm::CMY;
    o.PalHSL = FModel.ColourForm == TColourForm::HSL;
    o.TransMode = FModel.TransMode;
    return o;
}

void TEditDlg::SetOptions(const TEditorOptions& options) {
    BuildContents();
    FOptions = options;
    FModel.Grid = options.Grid;
    FModel.PalSel = options.PalSel;
    // The three views are one radio group: the first of RGB, CMY, HSL that is set wins,
    // RGB when none is.
    FModel.ColourForm = options.PalRGB   ? TColourForm::RGB
                        : options.PalCMY ? TColourForm::CMY
                        : options.PalHSL ? TColourForm::HSL
                                         : TColourForm::RGB;
    FModel.TransMode = options.TransMode;
    grid->SetDown(FModel.Grid);
    DispPalSel->Checked = FModel.PalSel;
    (FModel.ColourForm == TColourForm::CMY ? CMYDISP : FModel.ColourForm == TColourForm::HSL ? HSLDISP : RGBDISP)
        ->SetDown(true);
    TransMode->Checked = FModel.TransMode;
    RefreshColourBoxes();
    PaintCanvas();
}

// The canvas.

bool TEditDlg::CellOf(const TMouseEvent& e, int& x, int& y) const {
    // Floor division: a captured mouse left of or above the canvas gives negative cells.
    x = e.X >= 0 ? e.X / kZoom : (e.X - kZoom + 1) / kZoom;
    y = e.Y >= 0 ? e.Y / kZoom : (e.Y - kZoom + 1) / kZoom;
    return InsideImage(x, y);
}

void TEditDlg::PaintBox1MouseDown(const TMouseEvent& e) {
    if (!FReady) return;
    int x, y;
    CellOf(e, x, y);
    if (e.Button == TMouseButton::mbRight) {
        if (FModel.Tool() == TEditTool::Select) {
            POINT p{e.X, e.Y};
            ClientToScreen(PaintBox1->Handle(), &p);
            PopupMenu5.Popup(FHandle, p.x, p.y);
        } else {
            FPicking = true;  // a colour pick: dropped on the canvas, it takes that pixel's colour
            PaintBox1->SetCursor(ScreenCursor(crPick));
        }
        return;
    }
    if (e.Button != TMouseButton::mbLeft) return;
    FModel.MouseDown(x, y);
    RedrawImage();
}

void TEditDlg::PaintBox1MouseMove(const TMouseEvent& e) {
    ShowStatus("右クリックで色が拾えます");
    const bool selecting = FModel.Tool() == TEditTool::Select;
    if (!FReady || (selecting && e.Shift.Right)) return;
    int x, y;
    CellOf(e, x, y);
    if (selecting && !FModel.Drawing()) {
        PaintBox1->SetCursor(LoadCursorW(nullptr, FModel.OverSelection(x, y) ? IDC_SIZEALL : IDC_CROSS));
        return;
    }
    if (!FModel.Drawing()) return;
    int lastX = FModel.LastX(), lastY = FModel.LastY();
    FModel.MouseMove(x, y, e.Shift.Shift);
    if (FModel.LastX() != lastX || FModel.LastY() != lastY) RedrawImage();
}

void TEditDlg::PaintBox1MouseUp(const TMouseEvent& e) {
    if (e.Button == TMouseButton::mbRight) {
        if (!FPicking) return;
        FPicking = false;
        SetCanvasCursor();
        int x, y;
        if (!FReady || !CellOf(e, x, y)) return;
        POINT p = TPaletteGrid::CellOrigin(FModel.IndexAt(x, y));
        PaletteImageMouseDown(nullptr, TMouseButton::mbLeft, p.x, p.y);
        return;
    }
    if (!FReady || e.Button != TMouseButton::mbLeft || !FModel.Drawing()) return;
    FModel.MouseUp();
    RedrawImage();
    UpdateUndoButtons();
}

void TEditDlg::RedrawImage() {
    FModel.RedrawImage();
    TBitmap& view = Image1->Bitmap();
    for (int y = 0; y < kImageSize; ++y)
        for (int x = 0; x < kImageSize; ++x) view.SetPixel(x, y, FModel.ViewPixel(x, y));
    Image1->Invalidate();
    PaintCanvas();
}

void TEditDlg::PaintCanvas() {
    uint32_t* px = FCanvas.Pixels();
    for (int y = 0; y < kImageSize; ++y)
        for (int x = 0; x < kImageSize; ++x) {
            uint32_t c = DibPixel(FModel.ViewPixel(x, y));
            for (int j = 0; j < kZoom; ++j) std::fill_n(px + (y * kZoom + j) * kCanvas + x * kZoom, kZoom, c);
        }
    if (FModel.Grid) {
        const uint32_t grey = DibPixel(clGray);
        for (int i = 0; i < kImageSize; ++i) {
            int at = kZoom * i + kZoom - 1;
            for (int k = 0; k < kCanvas; ++k) {
                px[k * kCanvas + at] = grey;
                px[at * kCanvas + k] = grey;
            }
        }
    }
    if (FModel.Tool() == TEditTool::Select && FModel.HasSelection() && !FModel.Drawing()) {
        // A dotted frame, black over white, on the selection's outer cells.
        const TCellRect& s = FModel.Selection();
        int l = kZoom * s.Left, t = kZoom * s.Top, r = kZoom * s.Right - 1, b = kZoom * s.Bottom - 1;
        auto dot = [&](int x, int y, int k) {
            if (x >= 0 && y >= 0 && x < kCanvas && y < kCanvas) px[y * kCanvas + x] = (k / 2) % 2 ? 0xFFFFFF : 0;
        };
        for (int x = l; x <= r; ++x) {
            dot(x, t, x - l);
            dot(x, b, x - l);
        }
        for (int y = t; y <= b; ++y) {
            dot(l, y, y - t);
            dot(r, y, y - t);
        }
    }
    if (PaintBox1->Handle() && IsWindowVisible(FHandle)) {
        TWindowDC dc(PaintBox1->Handle());
        BitBlt(dc.Get(), 0, 0, kCanvas, kCanvas, FCanvas.DC(), 0, 0, SRCCOPY);
    }
}

// Tools.

TEditTool TEditDlg::ToolOf(const TSpeedButton* b) const {
    if (b == FillBtn.get()) return TEditTool::Fill;
    if (b == MoveBtn.get()) return TEditTool::Move;
    if (b == SelectBtn.get()) return TEditTool::Select;
    if (b == LineBtn.get()) return TEditTool::Line;
    if (b == SquareBtn.get()) return TEditTool::Square;
    if (b == CircleBtn.get()) return TEditTool::Circle;
    if (b == FillSquareBtn.get()) return TEditTool::FillSquare;
    if (b == FillCircleBtn.get()) return TEditTool::FillCircle;
    return TEditTool::Pen;
}

void TEditDlg::SetCanvasCursor() {
    HCURSOR c = nullptr;
    switch (FModel.Tool()) {
    case TEditTool::Pen: c = ScreenCursor(FOptions.UseCustomPen ? crCustomPen : crPen); break;
    case TEditTool::Fill: c = ScreenCursor(FOptions.UseCustomFill ? crCustomFill : crFill); break;
    case TEditTool::Move: c = LoadCursorW(nullptr, IDC_SIZEALL); break;
    default: c = LoadCursorW(nullptr, IDC_CROSS); break;
    }
    PaintBox1->SetCursor(c);
}

void TEditDlg::PenBtnClick(TSpeedButton* tool) {
    FModel.SetTool(ToolOf(tool));  // commits a floating selection
    SetCanvasCursor();
    RedrawImage();
    UpdateUndoButtons();
}

void TEditDlg::SelectBtnClick() {
    FModel.SetTool(TEditTool::Select);
    SetCanvasCursor();
    RedrawImage();
    UpdateUndoButtons();
}

void TEditDlg::gridClick() {
    FModel.Grid = grid->Down();
    PaintCanvas();
}

void TEditDlg::UpdateUndoButtons() {
    UndoBtn->SetEnabled(FModel.CanUndo());
    RedoBtn->SetEnabled(FModel.CanRedo());
}

void TEditDlg::UndoBtnClick() {
    if (!FReady) return;
    FModel.Undo();
    RedrawImage();
    SelectMainAndSub();
    UpdateUndoButtons();
}

void TEditDlg::RedoBtnClick() {
    if (!FReady) return;
    FModel.Redo();
    RedrawImage();
    SelectMainAndSub();
    UpdateUndoButtons();
}

void TEditDlg::PopupAt(TPopupMenu& menu, const TControl& button, int extra) {
    RECT form;
    GetWindowRect(FHandle, &form);
    int x = button.Left() + form.left + 43;
    int y = form.top + (form.bottom - form.top) + Panel1->Height() - ClientHeight() + extra;
    menu.Popup(FHandle, x, y);
}

void TEditDlg::OtherBtnMouseUp() { PopupAt(PopupMenu2, *OtherBtn, 24); }
void TEditDlg::PopupBtnMouseUp() { PopupAt(PopupMenu5, *PopupBtn, 47); }

void TEditDlg::TurnClick(TImageTurn turn) {
    if (!FReady) return;
    FModel.Turn(turn);
    RedrawImage();
    UpdateUndoButtons();
}

// The image clipboard.

void TEditDlg::PopupMenu5Popup() {
    bool sel = FModel.HasSelection();
    for (const char* name : {"Copy1", "MaskCopy", "Cut1", "Delete1", "NoSelect"}) PopupMenu5.Item(name)->Enabled = sel;
    PopupMenu5.Item("Paste1")->Enabled = ClipboardHasBitmap();
}

namespace {

// The selection's cells as a 24-bit picture, each cell in colour(index).
template <class Colour>
TBitmap SelectionPicture(const TEditModel& m, Colour colour) {
    const TCellRect& s = m.Selection();
    TBitmap b(s.Width(), s.Height(), TPixelFormat::pf24bit);
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) b.SetPixel(x, y, colour(y * s.Width() + x));
    return b;
}

} // namespace

void TEditDlg::Copy1Click() {
    if (!FModel.HasSelection()) return;
    const std::vector<uint8_t>& cells = FModel.SelectionCells();
    WriteClipboardBitmap(FHandle, SelectionPicture(FModel, [&](int i) { return FModel.DisplayColour(cells[i]); }));
}

void TEditDlg::MaskCopyClick() {
    if (!FModel.HasSelection()) return;
    // Only the clipboard gets the mask; the selection keeps its picture.
    std::vector<bool> mask = FModel.SelectionMask();
    WriteClipboardBitmap(FHandle, SelectionPicture(FModel, [&](int i) { return mask[i] ? clWhite : clBlack; }));
}

void TEditDlg::Cut1Click() {
    Copy1Click();
    Delete1Click();
}

void TEditDlg::Delete1Click() {
    if (!FModel.HasSelection()) return;
    FModel.DeleteSelection();
    RedrawImage();
    UpdateUndoButtons();
}

void TEditDlg::Paste1Click() {
    TBitmap picture;
    if (!ReadClipboardBitmap(FHandle, picture) || picture.Empty()) {
        ShowMessageBox(FHandle, "失敗", Caption(), MB_OK);
        return;
    }
    int w = std::min(picture.Width(), kMaxPasteSide), h = std::min(picture.Height(), kMaxPasteSide);
    const ImagePalette& pal = FModel.Image().Palette;
    std::vector<uint8_t> cells(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            cells[y * w + x] = static_cast<uint8_t>(NearestPaletteIndex(pal.data(), 256, picture.Pixel(x, y)));
    FModel.PasteCells(w, h, cells);
    SelectBtn->SetDown(true);
    SetCanvasCursor();
    RedrawImage();
    UpdateUndoButtons();
}

void TEditDlg::SelectAll1Click() {
    FModel.SelectAll();
    SelectBtn->SetDown(true);
    SetCanvasCursor();
    RedrawImage();
    UpdateUndoButtons();
}

void TEditDlg::NoSelectClick() {
    FModel.DropSelection();
    RedrawImage();
    UpdateUndoButtons();
}

void TEditDlg::TransModeClick() {
    FModel.TransMode = !FModel.TransMode;
    TransMode->Checked = FModel.TransMode;
    RedrawImage();
}

// The palette grid's part that drawing needs: choosing the main and the sub colour.

void TEditDlg::PaletteImageMouseDown(TControl* sender, TMouseButton button, int x, int y) {
    if (!FReady) return;
    int e = PaletteImage->CellAt(x, y);
    if (e < 0) return;
    TColor c = FModel.DisplayColour(e);
    bool left = button == TMouseButton::mbLeft;
    ArrCol->SetBevelOuter(left ? TBevel::bvRaised : TBevel::bvLowered);
    SubCol->SetBevelOuter(left ? TBevel::bvLowered : TBevel::bvRaised);
    if (left) {
        FModel.MainIndex = static_cast<uint8_t>(e);
        PalColor->SetColor(c);
        ArrCol->SetColor(c);
    } else if (button == TMouseButton::mbRight) {
        FModel.SubIndex = static_cast<uint8_t>(e);
        SubCol->SetColor(c);
    }
    PaletteImage->ShowRange = FModel.PalSel;
    RefreshColourBoxes();
    PaletteImage->DrawPaletteGrid();
    if (PaletteCommands) PaletteCommands->EntryClicked(sender, button, x, y);
}

void TEditDlg::DrawPaletteGrid() {
    PaletteImage->ShowRange = FModel.PalSel;
    PaletteImage->DrawPaletteGrid();
    PalColor->SetColor(FModel.DisplayColour(FModel.MainIndex));
    ArrCol->SetColor(FModel.DisplayColour(FModel.MainIndex));
    SubCol->SetColor(FModel.DisplayColour(FModel.SubIndex));
}

void TEditDlg::SelectMainAndSub() {
    POINT s = TPaletteGrid::CellOrigin(FModel.SubIndex), m = TPaletteGrid::CellOrigin(FModel.MainIndex);
    PaletteImageMouseDown(nullptr, TMouseButton::mbRight, s.x, s.y);
    PaletteImageMouseDown(nullptr, TMouseButton::mbLeft, m.x, m.y);
}

void TEditDlg::ShowHintOnMove(TControl& control, const std::string& hint) {
    control.SetHint(hint);
    control.OnMouseMove = [this, &control](TControl*, const TMouseEvent&) { ShowStatus(control.Hint()); };
}

void TEditDlg::ShowStatus(const std::string& text) {
    if (StatusBar1->Caption() == text) return;
    FitStatusFont(text);
    StatusBar1->SetCaption(text);
}

// A hint wider than the status bar (the palette grid's hint is, and in the narrow monochrome
// layout most are) is written in a condensed face of the form's font, so it shows whole.
void TEditDlg::FitStatusFont(const std::string& text) {
    HFONT base = Font();
    RECT client;
    GetClientRect(StatusBar1->Handle(), &client);
    const int room = client.right - 6;  // inside the sunken edge and the caption's margins
    const std::wstring w = W(text);
    TMemDC measure(CreateCompatibleDC(nullptr));
    auto widthWith = [&](HFONT font) {
        TSelectObject selected(measure.Get(), font);
        SIZE size{};
        GetTextExtentPoint32W(measure.Get(), w.c_str(), static_cast<int>(w.size()), &size);
        return static_cast<int>(size.cx);
    };
    const int wide = widthWith(base);
    if (wide <= room || room <= 0) {
        StatusBar1->SetFont(base);
        FStatusFont.Reset();
        return;
    }
    LOGFONTW lf{};
    GetObjectW(base, sizeof lf, &lf);
    TEXTMETRICW metrics{};
    {
        TSelectObject selected(measure.Get(), base);
        GetTextMetricsW(measure.Get(), &metrics);
    }
    TGdiObject condensed;
    for (int average = std::max(1, static_cast<int>(metrics.tmAveCharWidth * room / wide)); average >= 1; --average) {
        lf.lfWidth = average;
        condensed.Reset(CreateFontIndirectW(&lf));
        if (widthWith(static_cast<HFONT>(condensed.Get())) <= room) break;
    }
    StatusBar1->SetFont(static_cast<HFONT>(condensed.Get()));
    FStatusFont = std::move(condensed);
}
