// The palette commands of the editor: the items of the palette, edit and arrange menus
// beyond undo and redo, the colour boxes of Panel5 and the drag of palette entries.
#include "editor/PaletteCommands_win.h"

#include <algorithm>
#include <cstdlib>

#include "base/Format.h"
#include "editor/EditDlg_win.h"
#include "editor/PaletteFile.h"
#include "editor/PaletteText.h"
#include "ui/Application.h"
#include "ui/Clipboard.h"
#include "ui/Dialogs.h"

void TEditDlg::BuildPaletteCommands() { PaletteCommands = std::make_unique<TPaletteCommands>(*this); }

void TEditDlg::RefreshColourBoxes() {
    if (PaletteCommands) PaletteCommands->RefreshColourBoxes();
}

namespace {

constexpr int kDragThreshold = 4;
const char* const kImportFilter =
    "パレットファイル(*.pal,*.khp,*.dpf)|*.pal;*.khp;*.dpf|JASC-PAL(*.pal)|*.pal|KHPF(*.khp)|*.khp|D-Pixed PF(*.dpf)|*.dpf";
const char* const kExportFilter = "JASC-PAL(*.pal)|*.pal|KHPF(*.khp)|*.khp|D-Pixed PF(*.dpf)|*.dpf";
const char* const kPaletteFolder = ":\\My Dcuments";

struct TRampItem {
    const char* Name;
    const char* Caption;
};
constexpr TRampItem kRampItems[kRampCount] = {
    {"SysPal16", "システム16パレット"}, {"GradBW", "黒-白グラデ"},        {"GradYellow", "黄色グラデ"},
    {"GradGold", "山吹色グラデ"},       {"GradOchre", "黄土色グラデ"},      {"GradOrange", "橙色グラデ"},
    {"GradRed", "赤色グラデ"},          {"GradWine", "赤ワイングラデ"},      {"GradMagenta", "マゼンタグラデ"},
    {"GradPurple", "紫色グラデ"},       {"GradViolet", "青紫色グラデ"},      {"GradBlue", "青色グラデ"},
    {"GradCerulean", "ｾﾙﾘｱﾝﾌﾞﾙｰグラデ"}, {"GradAqua", "水色グラデ"},         {"GradPastel", "ﾊﾟｽﾃﾙｸﾞﾘｰﾝグラデ"},
    {"GradLime", "ライムグラデ"},       {"GradLeaf", "若葉色グラデ"},
};

// Chains a mouse handler after the one a control has already.
void Chain(TMouseEventHandler& slot, TMouseEventHandler next) {
    TMouseEventHandler first = slot;
    slot = [first, next](TControl* s, const TMouseEvent& e) {
        if (first) first(s, e);
        next(s, e);
    };
}

}  // namespace

TPaletteCommands::TPaletteCommands(TEditDlg& dialog) : FDlg(dialog) {
    BuildColourBoxes();
    BuildMenus();
    FDlg.ArrCol->OnClick = [this](TControl*) { ArrColClick(); };
    FDlg.SubCol->OnClick = [this](TControl*) { SubColClick(); };
    FDlg.MakeGrad->OnClick = [this](TControl*) { MakeGradClick(); };
    Chain(FDlg.PaletteImage->OnMouseMove, [this](TControl*, const TMouseEvent& e) {
        if (FDragArmed && (std::abs(e.X - FStartX) >= kDragThreshold || std::abs(e.Y - FStartY) >= kDragThreshold))
            FDragging = true;
    });
    Chain(FDlg.PaletteImage->OnMouseUp, [this](TControl*, const TMouseEvent& e) {
        const bool drop = FDragging && e.Button == TMouseButton::mbLeft;
        FDragArmed = FDragging = false;
        if (drop) PaletteImageDragDrop(e.X, e.Y);
    });
    OpenDialog1.Title = "パレットファイルを開く";
    OpenDialog1.Filter = kImportFilter;
    OpenDialog1.InitialDir = kPaletteFolder;
    OpenDialog1.FileMustExist = true;
    SaveDialog1.Title = "パレットを保存";
    SaveDialog1.Filter = kExportFilter;
    SaveDialog1.DefaultExt = "pal";
    SaveDialog1.InitialDir = kPaletteFolder;
    SaveDialog1.OverwritePrompt = true;
    SaveDialog1.HideReadOnly = true;
}

void TPaletteCommands::BuildColourBoxes() {
    TControl* p5 = FDlg.Panel5.get();
    LabelR = std::make_unique<TLabel>(p5, "Label1", "R :", 2, 24);
    LabelG = std::make_unique<TLabel>(p5, "Label2", "G :", 2, 44);
    LabelB = std::make_unique<TLabel>(p5, "Label3", "B :", 2, 64);
    ColR = std::make_unique<TLabel>(p5, "ColR", "0", 22, 24);
    ColG = std::make_unique<TLabel>(p5, "ColG", "0", 22, 44);
    ColB = std::make_unique<TLabel>(p5, "ColB", "0", 22, 64);
    RedBar = std::make_unique<TScrollBar>(p5, "RedBar", 0, 255, 0);
    GreenBar = std::make_unique<TScrollBar>(p5, "GreenBar", 0, 255, 0);
    BlueBar = std::make_unique<TScrollBar>(p5, "BlueBar", 0, 255, 0);
    int y = 22;
    for (auto [bar, text] : {std::pair{RedBar.get(), ColR.get()}, std::pair{GreenBar.get(), ColG.get()},
                             std::pair{BlueBar.get(), ColB.get()}}) {
        bar->SetBounds(52, y, 142, 16);
        bar->OnChange = [this, bar, text](TControl*) { BarChange(bar, text); };
        y += 20;
    }
    CheckBox1 = std::make_unique<TCheckBox>(p5, "CheckBox1", "反転色");
    CheckBox1->SetBounds(2, 86, 70, 18);
    FDlg.ShowHintOnMove(*CheckBox1, "スケルトンカラーにできます。白は透過色、黒は反転色となります");
    CheckBox1->OnClick = [this](TControl*) { CheckBox1Click(); };
    Button4 = std::make_unique<TButton>(p5, "Button4", "変更を更新");
    Button4->SetBounds(112, 84, 82, 22);
    FDlg.ShowHintOnMove(*Button4, "アレンジした色を適用させます");
    Button4->OnClick = [this](TControl*) { Button4Click(); };
    CGauge1 = std::make_unique<TCGauge>(FDlg.StatusBar1.get(), "CGauge1");
    CGauge1->SetBounds(FDlg.StatusBar1->ClientWidth() - 164, 2, 160, FDlg.StatusBar1->ClientHeight() - 4);
    CGauge1->SetForeColor(clNavy);
    CGauge1->Hide();
    FReduction.SetGauge(CGauge1.get());
}

void TPaletteCommands::BuildMenus() {
    // "ﾊﾟﾚｯﾄ(&P)": the built-in palettes, the palette files, then the dialog's range switch.
    TPopupMenu& m1 = FDlg.PopupMenu1;
    const struct {
        const char* Name;
        const char* Caption;
        TPresetKind Kind;
    } presets[] = {{"QX1", "QXパレット", TPresetKind::Default}, {"KH1", "KHパレット", TPresetKind::KH},
                   {"DPX1", "DPXパレット", TPresetKind::DPX},   {"MS1", "MSパレット", TPresetKind::MS},
                   {"MS21", "MSパレット2", TPresetKind::MS2},   {"NESC", "MACパレット", TPresetKind::MAC}};
    for (const auto& p : presets) {
        TPresetKind kind = p.Kind;
        m1.Add(p.Name, p.Caption)->OnClick = [this, kind](TControl*) { LoadPresetPalette(kind); };
    }
    m1.AddSeparator();
    TMenuItem* import = m1.Add("PalImport", "ﾊﾟﾚｯﾄのｲﾝﾎﾟｰﾄ");
    import->Add("N27", "そのまま")->OnClick = [this](TControl*) { ImportPaletteFile(false); };
    import->Add("N26", "近似色で再描画")->OnClick = [this](TControl*) { ImportPaletteFile(true); };
    m1.Add("SavePal", "ﾊﾟﾚｯﾄのｴｸｽﾎﾟｰﾄ")->OnClick = [this](TControl*) { SavePalClick(); };
    m1.OnPopup = [this](TControl*) { PopupMenu1Popup(); };

    // "編集(&E)": after undo and redo.
    TPopupMenu& m3 = FDlg.PopupMenu3;
    m3.AddSeparator();
    m3.Add("CutCol", "色の切り取り")->OnClick = [this](TControl*) { CutColClick(); };
    m3.Add("CopyColor", "色のコピー")->OnClick = [this](TControl*) { CopyColorClick(); };
    TMenuItem* pasteColour = m3.Add("PasteCol", "色の貼り付け");
    pasteColour->Add("Insert1", "挿入")->OnClick = [this](TControl*) { Insert1Click(); };
    pasteColour->Add("PasteColor", "上書き")->OnClick = [this](TControl*) { PasteColorClick(); };
    m3.Add("DelCol", "色の削除")->OnClick = [this](TControl*) { DelColClick(); };
    m3.Add("RepCol", "色の置換")->OnClick = [this](TControl*) { RepColClick(); };
    m3.AddSeparator();
    m3.Add("CutPal", "パレットの切り取り")->OnClick = [this](TControl*) { CutPalClick(); };
    TMenuItem* copyPal = m3.Add("CopyPal", "パレットのコピー");
    copyPal->Add("AreaCopy", "選択範囲")->OnClick = [this](TControl*) { AreaCopyClick(); };
    copyPal->Add("CopyPalette", "すべて")->OnClick = [this](TControl*) { CopyPaletteClick(); };
    TMenuItem* pastePal = m3.Add("PastePal", "パレットの貼り付け");
    const struct {
        const char* Group;
        const char* Caption;
        TPasteWhere Where;
        const char* AsIs;
        const char* Rematch;
    } pastes[] = {{"PasteSelPal", "選択範囲", TPasteWhere::Selection, "PasteSelPalRef", "PasteSelPalCng"},
                  {"PasteInsPal", "挿入", TPasteWhere::Insert, "PasteInsPalRef", "PasteInsPalCng"},
                  {"PasteAllPal", "すべて", TPasteWhere::All, "N25", "N24"}};
    for (const auto& p : pastes) {
        TMenuItem* group = pastePal->Add(p.Group, p.Caption);
        TPasteWhere where = p.Where;
        group->Add(p.AsIs, "そのまま")->OnClick = [this, where](TControl*) { PastePalette(where, false); };
        group->Add(p.Rematch, "近似色で再描画")->OnClick = [this, where](TControl*) { PastePalette(where, true); };
    }
    m3.Add("DelPal", "パレットの削除")->OnClick = [this](TControl*) { DelPalClick(); };
    m3.AddSeparator();
    TMenuItem* ramps = m3.Add("AddGrad", "グラデーションの追加");
    for (int i = 0; i < kRampCount; ++i) {
        TMenuItem* item = ramps->Add(kRampItems[i].Name, kRampItems[i].Caption);
        item->OnClick = [this, i](TControl*) { AddRamp(i); };
        // The ramps of the default palette's rows carry their tiles (the system colours have none).
        if (const TBitmap* tile = i > 0 ? FDlg.DefaultPal.GetIndexBitmap(i - 1) : nullptr) item->Glyph = *tile;
    }
    TNotifyEvent undoRule = m3.OnPopup;  // the dialog's rule for undo and redo
    m3.OnPopup = [this, undoRule](TControl* s) {
        if (undoRule) undoRule(s);
        PopupMenu1Popup();
    };

    // "整理(&R)"
    TPopupMenu& m4 = FDlg.PopupMenu4;
    m4.Add("meian2", "明度ソート")->OnClick = [this](TControl*) { SortClick(TPaletteSort::Lightness); };
    m4.Add("RGB2", "色調ソート")->OnClick = [this](TControl*) { SortClick(TPaletteSort::Hue); };
    m4.Add("SatuA", "彩度ソートA")->OnClick = [this](TControl*) { SortClick(TPaletteSort::SaturationA); };
    m4.Add("SatuB", "彩度ソートB")->OnClick = [this](TControl*) { SortClick(TPaletteSort::SaturationB); };
    m4.Add("Jufuku", "重複色の統合")->OnClick = [this](TControl*) { JufukuClick(); };
    m4.AddSeparator();
    m4.Add("PalRotRL", "左右反転")->OnClick = [this](TControl*) { PalRotClick(TGridTransform::MirrorLeftRight); };
    m4.Add("PalRotUD", "上下反転")->OnClick = [this](TControl*) { PalRotClick(TGridTransform::MirrorUpDown); };
    m4.Add("PalRot180", "180ﾟ回転")->OnClick = [this](TControl*) { PalRotClick(TGridTransform::Rotate180); };
    m4.Add("PalRot90R", "右90ﾟ回転")->OnClick = [this](TControl*) { PalRotClick(TGridTransform::Rotate90Right); };
    m4.Add("PalRot90L", "左90ﾟ回転")->OnClick = [this](TControl*) { PalRotClick(TGridTransform::Rotate90Left); };
    m4.AddSeparator();
    TMenuItem* reduce = m4.Add("Reduce16Menu", "16色に減色");
    reduce->Add("ReduceSys", "ｼｽﾃﾑｶﾗｰ")->OnClick = [this](TControl*) { ReduceSysClick(); };
    reduce->Add("Reduce16", "ｶｽﾀﾑｶﾗｰ")->OnClick = [this](TControl*) { Reduce16Click(); };
    m4.Add("Reduce256", "未使用色の削除")->OnClick = [this](TControl*) { Reduce256Click(); };
    m4.OnPopup = [this](TControl*) { PopupMenu1Popup(); };
}

// ---- access to the dialog

ImageRecord& TPaletteCommands::Image() { return FDlg.Model().MutableImage(); }
int TPaletteCommands::Main() const { return FDlg.Model().MainIndex; }
int TPaletteCommands::Sub() const { return FDlg.Model().SubIndex; }
void TPaletteCommands::SetMain(int index) { FDlg.Model().MainIndex = static_cast<uint8_t>(index & 255); }
void TPaletteCommands::SetSub(int index) { FDlg.Model().SubIndex = static_cast<uint8_t>(index & 255); }

TColourForm TPaletteCommands::Form() const {
    return FDlg.Model().ColourForm;
}

TColor TPaletteCommands::ActiveColour() const { return (FActiveMain ? FDlg.ArrCol : FDlg.SubCol)->Color(); }

void TPaletteCommands::SetActiveColour(TColor shown) { (FActiveMain ? FDlg.ArrCol : FDlg.SubCol)->SetColor(shown); }

void TPaletteCommands::SetInverseBox(bool checked) {
    FSilent = true;
    CheckBox1->SetChecked(checked);
    FSilent = false;
}

bool TPaletteCommands::Ask(const std::string& question) {
    PlayBeep(MB_ICONQUESTION);
    return ShowMessageBox(FDlg.Handle(), question, TApplication::Instance().Title(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void TPaletteCommands::Tell(const std::string& message) {
    PlayBeep(MB_ICONQUESTION);
    ShowMessageBox(FDlg.Handle(), message, TApplication::Instance().Title(), MB_OK | MB_ICONEXCLAMATION);
}

TPaletteView TPaletteCommands::ViewBeforeChange() {
    if (FDlg.Model().Floating()) FDlg.Model().CommitSelection();
    return ViewOf(Image());
}

void TPaletteCommands::PushUndo() {
    FDlg.Model().PushUndo();
    FDlg.UpdateUndoButtons();
}

// ---- the grid, the swatches and the colour boxes

void TPaletteCommands::EntryClicked(TControl* sender, TMouseButton button, int x, int y) {
    if (button == TMouseButton::mbMiddle) return;
    const bool left = button == TMouseButton::mbLeft;
    FActiveMain = left;
    if (left) SetInverseBox(Image().Inverse[static_cast<std::size_t>(Main())] != 0);
    RefreshColourBoxes();
    FStartX = x;
    FStartY = y;
    FDragArmed = sender != nullptr && left;
    FDragging = false;
}

void TPaletteCommands::ClickBoth() {
    FDlg.SelectMainAndSub();
    FDlg.PalColor->SetColor(FDlg.ArrCol->Color());
}

void TPaletteCommands::ClickMain() {
    POINT p = TPaletteGrid::CellOrigin(Main());
    FDlg.PaletteImageMouseDown(nullptr, TMouseButton::mbLeft, p.x, p.y);
}

void TPaletteCommands::PaletteImageDragDrop(int x, int y) {
    if (!FDlg.Ready()) return;
    const int from = FDlg.PaletteImage->CellAt(FStartX, FStartY), to = FDlg.PaletteImage->CellAt(x, y);
    if (from < 0 || to < 0 || from == to) return;  // dropped beside the grid, beyond entry 3 in monochrome, or on itself
    ViewBeforeChange();
    MoveEntry(Image(), from, to);
    RedrawPaletteAsIs();
}

void TPaletteCommands::ArrColClick() {
    FActiveMain = true;
    FDlg.ArrCol->SetBevelOuter(TBevel::bvRaised);
    FDlg.SubCol->SetBevelOuter(TBevel::bvLowered);
    RefreshColourBoxes();
}

void TPaletteCommands::SubColClick() {
    FActiveMain = false;
    FDlg.ArrCol->SetBevelOuter(TBevel::bvLowered);
    FDlg.SubCol->SetBevelOuter(TBevel::bvRaised);
    RefreshColourBoxes();
}

void TPaletteCommands::RefreshColourBoxes() {
    FUpdating = true;
    const TColourBoxes boxes = ColourBoxesFor(Form(), ActiveColour());
    TLabel* labels[3] = {LabelR.get(), LabelG.get(), LabelB.get()};
    TLabel* texts[3] = {ColR.get(), ColG.get(), ColB.get()};
    TScrollBar* bars[3] = {RedBar.get(), GreenBar.get(), BlueBar.get()};
    for (std::size_t k = 0; k < 3; ++k) {
        labels[k]->SetCaption(boxes.Labels[k]);
        bars[k]->SetMax(boxes.Max[k]);
        // A saturation beyond the box's range (a few near-black and near-white colours)
        // shows at the slider's end.
        bars[k]->SetPosition(boxes.Position[k]);
        texts[k]->SetCaption(IntToStr(bars[k]->Position()));
    }
    FUpdating = false;
}

void TPaletteCommands::BarChange(TScrollBar* bar, TLabel* text) {
    text->SetCaption(IntToStr(bar->Position()));
    if (FUpdating) return;
    SetActiveColour(ColourFromBoxes(Form(), RedBar->Position(), GreenBar->Position(), BlueBar->Position()));
}

void TPaletteCommands::Button4Click() {
    if (!FDlg.Ready()) return;
    StoreShownColour(Image(), ActiveIndex(), ActiveColour());
    FDlg.DrawPaletteGrid();
    FDlg.RedrawImage();
    PushUndo();
}

void TPaletteCommands::CheckBox1Click() {
    if (!FDlg.Ready() || FSilent) return;
    ToggleInverse(Image(), Main());  // the entry keeps the colour it shows
    FDlg.DrawPaletteGrid();
    RefreshColourBoxes();
    FDlg.RedrawImage();
}

// ---- entries and ranges

void TPaletteCommands::RedrawPaletteAsIs() {
    FDlg.DrawPaletteGrid();
    FDlg.RedrawImage();
    PushUndo();
}

void TPaletteCommands::RemapToPalette(const TPaletteView& view) {
    ::RemapToPalette(Image(), view);
    FDlg.DrawPaletteGrid();
    ClickBoth();
    FDlg.RedrawImage();
    PushUndo();
}

void TPaletteCommands::MakeGradClick() {
    if (!FDlg.Ready() || Main() == Sub()) return;
    const TPaletteView view = ViewBeforeChange();
    MakeGradient(Image(), Main(), Sub(), FDlg.ArrCol->Color(), FDlg.SubCol->Color());
    RemapToPalette(view);
}

void TPaletteCommands::AddRamp(int item) {
    if (!FDlg.Ready()) return;
    if (!Ask("選択中の位置から16個のパレットを上書きします。よろしいですか？")) return;
    ViewBeforeChange();
    WriteRamp(Image(), Main(), Ramp(item));
    FDlg.DrawPaletteGrid();
    ClickMain();
    FDlg.RedrawImage();
    PushUndo();
}

void TPaletteCommands::Insert1Click() {
    if (!FDlg.Ready()) return;
    std::optional<TColor> colour = ParseColourText(ReadClipboardText(FDlg.Handle(), 26));
    if (!colour) return;  // no colour on the clipboard: nothing is inserted
    ViewBeforeChange();
    InsertPaletteGap(Image(), Main(), 1);
    StoreShownColour(Image(), Main(), *colour);
    RedrawPaletteAsIs();
    ClickBoth();
}

void TPaletteCommands::DelColClick() {
    if (!FDlg.Ready()) return;
    ViewBeforeChange();
    DeletePaletteRange(Image(), Main(), Main());
    RedrawPaletteAsIs();
    if (Main() < Sub()) SetSub(Sub() - 1);
    ClickBoth();
}

void TPaletteCommands::CutColClick() {
    if (!FDlg.Ready()) return;
    CopyColorClick();
    DelColClick();
}

void TPaletteCommands::DelPalClick() {
    if (!FDlg.Ready()) return;
    ViewBeforeChange();
    DeletePaletteRange(Image(), Main(), Sub());
    RedrawPaletteAsIs();
    const int first = std::min(Main(), Sub());
    SetMain(first);
    SetSub(first);
    ClickBoth();
}

void TPaletteCommands::RepColClick() {
    if (!FDlg.Ready() || Main() == Sub()) return;
    ViewBeforeChange();
    SwapEntries(Image(), Main(), Sub());
    RedrawPaletteAsIs();
    ClickBoth();
}

void TPaletteCommands::LoadPresetPalette(TPresetKind kind) {
    if (!FDlg.Ready()) return;
    FPresetKind = static_cast<int>(kind);
    const TPaletteView view = ViewBeforeChange();
    Image().Palette = BuiltInPalette(kind);
    RemapToPalette(view);
}

// ---- sorting, merging, rotations

void TPaletteCommands::SortClick(TPaletteSort sort) {
    if (!FDlg.Ready()) return;
    const TPaletteView view = ViewBeforeChange();
    SortPalette(Image(), sort);
    SetInverseBox(false);
    RemapToPalette(view);
}

void TPaletteCommands::JufukuClick() {
    if (!FDlg.Ready()) return;
    const TPaletteView view = ViewBeforeChange();
    MergeDuplicates(Image());
    RemapToPalette(view);
}

void TPaletteCommands::PalRotClick(TGridTransform t) {
    if (!FDlg.Ready()) return;
    ViewBeforeChange();
    TransformGrid(Image(), t);
    RedrawPaletteAsIs();
}

// ---- the clipboard

void TPaletteCommands::CopyColorClick() { WriteClipboardText(FDlg.Handle(), CopyPaletteText(Image(), Main(), Main())); }
void TPaletteCommands::AreaCopyClick() { WriteClipboardText(FDlg.Handle(), CopyPaletteText(Image(), Main(), Sub())); }
void TPaletteCommands::CopyPaletteClick() { WriteClipboardText(FDlg.Handle(), CopyPaletteText(Image(), 0, 255)); }

void TPaletteCommands::PasteColorClick() {
    if (!FDlg.Ready()) return;
    std::optional<TColor> colour = ParseColourText(ReadClipboardText(FDlg.Handle(), 26));
    if (!colour) return;
    ViewBeforeChange();
    StoreShownColour(Image(), Main(), *colour);
    ArrColClick();
    FDlg.DrawPaletteGrid();
    RefreshColourBoxes();
    FDlg.RedrawImage();
    PushUndo();
}

void TPaletteCommands::CutPalClick() {
    if (!FDlg.Ready()) return;
    AreaCopyClick();
    DelPalClick();
}

void TPaletteCommands::PastePalette(TPasteWhere where, bool rematch) {
    if (!FDlg.Ready()) return;
    const std::string text = ReadClipboardText(FDlg.Handle());
    if (!ParsePaletteText(text)) return;  // not a usable palette text: nothing changes
    const TPaletteView view = ViewBeforeChange();
    switch (where) {
        case TPasteWhere::Selection: PastePaletteText(Image(), text, Main(), Sub(), false); break;
        case TPasteWhere::Insert: PastePaletteText(Image(), text, Main(), 0, true); break;
        case TPasteWhere::All:
            Image().Palette = ImagePalette{};
            Image().Inverse = InverseFlags{};
            SetInverseBox(false);
            PastePaletteText(Image(), text, 0, 255, false);
            break;
    }
    if (rematch)
        RemapToPalette(view);
    else
        RedrawPaletteAsIs();
}

void TPaletteCommands::PopupMenu1Popup() {
    if (!FDlg.Ready()) return;
    const std::string text = ReadClipboardText(FDlg.Handle(), 3100);
    if (TMenuItem* i = FDlg.PopupMenu3.Item("PasteCol")) i->Enabled = ColourPasteEnabled(text);
    if (TMenuItem* i = FDlg.PopupMenu3.Item("PastePal")) i->Enabled = PalettePasteEnabled(text);
}

// ---- palette files

void TPaletteCommands::ImportPaletteFile(bool rematch) {
    if (!FDlg.Ready() || !OpenDialog1.Execute(FDlg.Handle())) return;
    // A chosen file clears the inverse flags before it is read, whether or not it is taken;
    // a refused file leaves the stored colours as they were. Either way the change is
    // shown and is one undo step.
    const TPaletteView view = ViewBeforeChange();
    Image().Inverse = InverseFlags{};
    SetInverseBox(false);
    ImagePalette palette = Image().Palette;
    const TPaletteReadResult r = ReadPaletteFile(OpenDialog1.FileName, palette);
    if (r == TPaletteReadResult::Read)
        Image().Palette = palette;
    else
        Tell(PaletteReadMessage(r, OpenDialog1.FileName));
    if (rematch) {
        RemapToPalette(view);
        return;
    }
    RedrawPaletteAsIs();
    ClickBoth();  // the swatches and colour boxes show the colours of the selected entries
}

void TPaletteCommands::SavePalClick() {
    if (!FDlg.Ready()) return;
    SaveDialog1.FileName = "untitled";
    if (!SaveDialog1.Execute(FDlg.Handle())) return;
    const std::string path = SaveDialog1.FileName;
    // The chosen filter names the format, whatever the name typed.
    const TPaletteFileFormat format = SaveDialog1.FilterIndex == 2   ? TPaletteFileFormat::Khpf
                                      : SaveDialog1.FilterIndex == 3 ? TPaletteFileFormat::DPixed
                                                                     : TPaletteFileFormat::JascPal;
    if (!WritePaletteFile(path, format, Image())) Tell(path + "\nを作成できませんでした。");
}

// ---- colour reduction

void TPaletteCommands::ReduceSysClick() {
    if (!FDlg.Ready()) return;
    if (!Ask("システムカラー減色を行うと著しい色化けを起こす場合があります。\n実行しますか？")) return;
    ReduceToSystemColours(Image(), ViewBeforeChange());
    SetInverseBox(false);
    FDlg.DrawPaletteGrid();
    FDlg.RedrawImage();
    ClickMain();
    PushUndo();
}

void TPaletteCommands::Reduce256Click() {
    if (!FDlg.Ready() || FReduction.Running()) return;
    const TPaletteView view = ViewBeforeChange();
    if (ReductionKeepsEveryColour(view)) {
        // Black and white first, then the colours the picture uses, by use.
        StartReduction(view, 256);
        return;
    }
    // The worker would have to merge colours the picture shows (it always adds black and
    // white to them): the palette is rebuilt from the used entries instead, keeping the look.
    RemoveUnusedColours(Image());
    SetInverseBox(false);
    FDlg.RedrawImage();
    FDlg.DrawPaletteGrid();
    ClickMain();
    PushUndo();
}

void TPaletteCommands::Reduce16Click() {
    if (!FDlg.Ready() || FReduction.Running()) return;
    if (!Ask("カスタムカラー減色を行うと透過部分とイメージが正しく区別されなくなる場合があります。\n実行しますか？"))
        return;
    StartReduction(ViewBeforeChange(), 16);
}

void TPaletteCommands::StartReduction(const TPaletteView& view, int colours) {
    FDlg.SetReady(false);
    FDlg.OkBtn->SetEnabled(false);
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    if (!FReduction.Start(view, colours, [this, view, colours](std::optional<ImagePalette> p) { ReductionDone(view, colours, p); }))
        ReductionDone(view, colours, std::nullopt);
}

void TPaletteCommands::ReductionDone(const TPaletteView& view, int colours, std::optional<ImagePalette> palette) {
    FDlg.SetReady(true);
    FDlg.OkBtn->SetEnabled(true);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    if (!palette) return;  // no result: the picture stays as it was
    TakeReducedPalette(Image(), *palette, colours, view);
    SetInverseBox(false);
    FDlg.RedrawImage();
    FDlg.DrawPaletteGrid();
    ClickMain();
    PushUndo();
}

void TPaletteCommands::CancelReduction() {
    if (!FReduction.Running()) return;
    FReduction.Cancel();
    FDlg.SetReady(true);
    FDlg.OkBtn->SetEnabled(true);
}
