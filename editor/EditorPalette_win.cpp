#include "editor/EditorPalette_win.h"

#include <algorithm>

#include "base/Format.h"
#include "editor/PaletteFile.h"
#include "editor/PaletteText.h"
#include "ui/Application.h"
#include "ui/Clipboard.h"
#include "ui/Dialogs.h"

namespace {

constexpr int kDragThreshold = 4;
const char* const kPaletteFilter =
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

}  // namespace

TEditorPalette::TEditorPalette(TControl* dialog, IPaletteHost& host) : FHost(host), FDialog(dialog) {
    BuildControls(dialog);
    BuildMenus();
    OpenDialog1.Title = "パレットファイルを開く";
    OpenDialog1.Filter = kPaletteFilter;
    OpenDialog1.InitialDir = kPaletteFolder;
    OpenDialog1.FileMustExist = true;
    SaveDialog1.Title = "パレットを保存";
    SaveDialog1.Filter = kExportFilter;
    SaveDialog1.DefaultExt = "pal";
    SaveDialog1.InitialDir = kPaletteFolder;
    SaveDialog1.OverwritePrompt = true;
    SaveDialog1.HideReadOnly = true;
}

TEditorPalette::~TEditorPalette() { *FAlive = false; }

void TEditorPalette::BuildControls(TControl* dialog) {
    Panel2 = std::make_unique<TPanel>(dialog, "Panel2");
    Panel2->SetBounds(263, 0, 197, 197);
    Panel2->SetBevelOuter(TBevel::bvLowered);
    PaletteImage = std::make_unique<TImage>(Panel2.get(), "PaletteImage");
    PaletteImage->SetBounds(2, 2, kPaletteGridSize, kPaletteGridSize);
    PaletteImage->OnMouseDown = [this](TControl* s, const TMouseEvent& e) { PaletteImageMouseDown(s, e.Button, e.X, e.Y); };
    PaletteImage->OnMouseMove = [this](TControl*, const TMouseEvent& e) {
        if (FDragArmed && (std::abs(e.X - FStartX) >= kDragThreshold || std::abs(e.Y - FStartY) >= kDragThreshold))
            FDragging = true;
    };
    PaletteImage->OnMouseUp = [this](TControl*, const TMouseEvent& e) {
        bool drop = FDragging && e.Button == TMouseButton::mbLeft;
        FDragArmed = FDragging = false;
        if (drop) PaletteImageDragDrop(e.X, e.Y);
    };

    ArrCol = std::make_unique<TPanel>(dialog, "ArrCol");
    ArrCol->SetBounds(263, 220, 50, 18);
    ArrCol->OnClick = [this](TControl*) { ArrColClick(); };
    SubCol = std::make_unique<TPanel>(dialog, "SubCol");
    SubCol->SetBounds(408, 220, 50, 18);
    SubCol->OnClick = [this](TControl*) { SubColClick(); };
    MakeGrad = std::make_unique<TButton>(dialog, "MakeGrad", "< ｸﾞﾗﾃﾞｰｼｮﾝ >");
    MakeGrad->SetBounds(315, 220, 91, 18);
    MakeGrad->OnClick = [this](TControl*) { MakeGradClick(); };

    Panel5 = std::make_unique<TPanel>(dialog, "Panel5");
    Panel5->SetBounds(264, 239, 196, 108);
    TControl* p5 = Panel5.get();
    RGBDISP = std::make_unique<TSpeedButton>(p5, "RGBDISP", "RGB");
    CMYDISP = std::make_unique<TSpeedButton>(p5, "CMYDISP", "CMY");
    HSLDISP = std::make_unique<TSpeedButton>(p5, "HSLDISP", "HSL");
    int x = 4;
    for (TSpeedButton* b : {RGBDISP.get(), CMYDISP.get(), HSLDISP.get()}) {
        b->SetBounds(x, 3, 40, 18);
        b->SetGroupIndex(1);
        b->OnClick = [this, b](TControl*) {
            FForm = b == CMYDISP.get() ? TColourForm::CMY : b == HSLDISP.get() ? TColourForm::HSL : TColourForm::RGB;
            RGBDISPClick();
        };
        x += 42;
    }
    RGBDISP->SetDown(true);
    LabelR = std::make_unique<TLabel>(p5, "Label1", "R :", 4, 27);
    LabelG = std::make_unique<TLabel>(p5, "Label2", "G :", 4, 47);
    LabelB = std::make_unique<TLabel>(p5, "Label3", "B :", 4, 67);
    ColR = std::make_unique<TLabel>(p5, "ColR", "0", 24, 27);
    ColG = std::make_unique<TLabel>(p5, "ColG", "0", 24, 47);
    ColB = std::make_unique<TLabel>(p5, "ColB", "0", 24, 67);
    RedBar = std::make_unique<TScrollBar>(p5, "RedBar", 0, 255, 0);
    GreenBar = std::make_unique<TScrollBar>(p5, "GreenBar", 0, 255, 0);
    BlueBar = std::make_unique<TScrollBar>(p5, "BlueBar", 0, 255, 0);
    int y = 25;
    for (auto [bar, text] : {std::pair{RedBar.get(), ColR.get()}, std::pair{GreenBar.get(), ColG.get()},
                             std::pair{BlueBar.get(), ColB.get()}}) {
        bar->SetBounds(52, y, 138, 16);
        bar->OnChange = [this, bar, text](TControl*) { BarChange(bar, text); };
        y += 20;
    }
    CheckBox1 = std::make_unique<TCheckBox>(p5, "CheckBox1", "反転色");
    CheckBox1->SetBounds(4, 86, 70, 18);
    CheckBox1->OnClick = [this](TControl*) { CheckBox1Click(); };
    Button4 = std::make_unique<TButton>(p5, "Button4", "変更を更新");
    Button4->SetBounds(110, 85, 80, 20);
    Button4->OnClick = [this](TControl*) { Button4Click(); };
}

void TEditorPalette::BuildMenus() {
    // "ﾊﾟﾚｯﾄ(&P)"
    PopupMenu1.OnPopup = [this](TControl*) { PopupMenu1Popup(); };
    const std::pair<const char*, const char*> presets[] = {{"QX1", "QXパレット"}, {"KH1", "KHパレット"},
                                                           {"DPX1", "DPXパレット"}, {"MS1", "MSパレット"},
                                                           {"MS21", "MSパレット2"}, {"NESC", "MACパレット"}};
    const TPresetKind kinds[] = {TPresetKind::Default, TPresetKind::KH, TPresetKind::DPX,
                                 TPresetKind::MS, TPresetKind::MS2, TPresetKind::MAC};
    for (int i = 0; i < 6; ++i) {
        TPresetKind kind = kinds[i];
        PopupMenu1.Add(presets[i].first, presets[i].second)->OnClick = [this, kind](TControl*) { LoadPresetPalette(kind); };
    }
    PopupMenu1.AddSeparator();
    TMenuItem* import = PopupMenu1.Add("PalImport", "ﾊﾟﾚｯﾄのｲﾝﾎﾟｰﾄ");
    import->Add("N27", "そのまま")->OnClick = [this](TControl*) { ImportPaletteFile(false); };
    import->Add("N26", "近似色で再描画")->OnClick = [this](TControl*) { ImportPaletteFile(true); };
    PopupMenu1.Add("SavePal", "ﾊﾟﾚｯﾄのｴｸｽﾎﾟｰﾄ")->OnClick = [this](TControl*) { SavePalClick(); };
    PopupMenu1.AddSeparator();
    FDispPalSel = PopupMenu1.Add("DispPalSel", "選択範囲の表示");
    FDispPalSel->OnClick = [this](TControl*) { DispPalSelClick(); };

    // "編集(&E)"
    PopupMenu3.OnPopup = [this](TControl*) { PopupMenu1Popup(); };
    PopupMenu3.Add("CutCol", "色の切り取り")->OnClick = [this](TControl*) { CutColClick(); };
    PopupMenu3.Add("CopyColor", "色のコピー")->OnClick = [this](TControl*) { CopyColorClick(); };
    TMenuItem* pasteColour = PopupMenu3.Add("PasteCol", "色の貼り付け");
    pasteColour->Add("Insert1", "挿入")->OnClick = [this](TControl*) { Insert1Click(); };
    pasteColour->Add("PasteColor", "上書き")->OnClick = [this](TControl*) { PasteColorClick(); };
    PopupMenu3.Add("DelCol", "色の削除")->OnClick = [this](TControl*) { DelColClick(); };
    PopupMenu3.Add("RepCol", "色の置換")->OnClick = [this](TControl*) { RepColClick(); };
    PopupMenu3.AddSeparator();
    PopupMenu3.Add("CutPal", "パレットの切り取り")->OnClick = [this](TControl*) { CutPalClick(); };
    TMenuItem* copyPal = PopupMenu3.Add("CopyPal", "パレットのコピー");
    copyPal->Add("AreaCopy", "選択範囲")->OnClick = [this](TControl*) { AreaCopyClick(); };
    copyPal->Add("CopyPalette", "すべて")->OnClick = [this](TControl*) { CopyPaletteClick(); };
    TMenuItem* pastePal = PopupMenu3.Add("PastePal", "パレットの貼り付け");
    struct TPasteItem {
        const char* Group;
        const char* Caption;
        TPasteWhere Where;
        const char* AsIs;
        const char* Rematch;
    };
    const TPasteItem pastes[] = {{"PasteSelPal", "選択範囲", TPasteWhere::Selection, "PasteSelPalRef", "PasteSelPalCng"},
                                 {"PasteInsPal", "挿入", TPasteWhere::Insert, "PasteInsPalRef", "PasteInsPalCng"},
                                 {"PasteAllPal", "すべて", TPasteWhere::All, "N25", "N24"}};
    for (const TPasteItem& p : pastes) {
        TMenuItem* group = pastePal->Add(p.Group, p.Caption);
        TPasteWhere where = p.Where;
        group->Add(p.AsIs, "そのまま")->OnClick = [this, where](TControl*) { PastePalette(where, false); };
        group->Add(p.Rematch, "近似色で再描画")->OnClick = [this, where](TControl*) { PastePalette(where, true); };
    }
    PopupMenu3.Add("DelPal", "パレットの削除")->OnClick = [this](TControl*) { DelPalClick(); };
    PopupMenu3.AddSeparator();
    TMenuItem* ramps = PopupMenu3.Add("AddGrad", "グラデーションの追加");
    for (int i = 0; i < kRampCount; ++i) ramps->Add(kRampItems[i].Name, kRampItems[i].Caption)->OnClick = [this, i](TControl*) { AddRamp(i); };

    // "整理(&R)"
    PopupMenu4.OnPopup = [this](TControl*) { PopupMenu1Popup(); };
    PopupMenu4.Add("meian2", "明度ソート")->OnClick = [this](TControl*) { SortClick(TPaletteSort::Lightness); };
    PopupMenu4.Add("RGB2", "色調ソート")->OnClick = [this](TControl*) { SortClick(TPaletteSort::Hue); };
    PopupMenu4.Add("SatuA", "彩度ソートA")->OnClick = [this](TControl*) { SortClick(TPaletteSort::SaturationA); };
    PopupMenu4.Add("SatuB", "彩度ソートB")->OnClick = [this](TControl*) { SortClick(TPaletteSort::SaturationB); };
    PopupMenu4.Add("Jufuku", "重複色の統合")->OnClick = [this](TControl*) { JufukuClick(); };
    PopupMenu4.AddSeparator();
    PopupMenu4.Add("PalRotRL", "左右反転")->OnClick = [this](TControl*) { PalRotClick(TGridTransform::MirrorLeftRight); };
    PopupMenu4.Add("PalRotUD", "上下反転")->OnClick = [this](TControl*) { PalRotClick(TGridTransform::MirrorUpDown); };
    PopupMenu4.Add("PalRot180", "180ﾟ回転")->OnClick = [this](TControl*) { PalRotClick(TGridTransform::Rotate180); };
    PopupMenu4.Add("PalRot90R", "右90ﾟ回転")->OnClick = [this](TControl*) { PalRotClick(TGridTransform::Rotate90Right); };
    PopupMenu4.Add("PalRot90L", "左90ﾟ回転")->OnClick = [this](TControl*) { PalRotClick(TGridTransform::Rotate90Left); };
    PopupMenu4.AddSeparator();
    TMenuItem* reduce = PopupMenu4.Add("Reduce16Menu", "16色に減色");
    reduce->Add("ReduceSys", "ｼｽﾃﾑｶﾗｰ")->OnClick = [this](TControl*) { ReduceSysClick(); };
    reduce->Add("Reduce16", "ｶｽﾀﾑｶﾗｰ")->OnClick = [this](TControl*) { Reduce16Click(); };
    PopupMenu4.Add("Reduce256", "未使用色の削除")->OnClick = [this](TControl*) { Reduce256Click(); };
}

HWND TEditorPalette::Owner() const { return FDialog ? FDialog->Handle() : nullptr; }

bool TEditorPalette::Ask(const std::string& question) {
    PlayBeep(MB_ICONQUESTION);
    return ShowMessageBox(Owner(), question, TApplication::Instance().Title(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void TEditorPalette::Tell(const std::string& message) {
    PlayBeep(MB_ICONQUESTION);
    ShowMessageBox(Owner(), message, TApplication::Instance().Title(), MB_OK | MB_ICONEXCLAMATION);
}

// ---- the grid and the swatches

void TEditorPalette::DrawPaletteGrid() {
    TBitmap grid;
    RenderPaletteGrid(Image(), TPaletteGridState{FMain, FSub, ShowRange(), Mono()}, grid);
    PaletteImage->SetBitmap(grid);
}

void TEditorPalette::PaintSwatches() {
    ArrCol->SetColor(FArrColour);
    SubCol->SetColor(FSubColour);
    ArrCol->SetBevelOuter(FActiveMain ? TBevel::bvRaised : TBevel::bvLowered);
    SubCol->SetBevelOuter(FActiveMain ? TBevel::bvLowered : TBevel::bvRaised);
}

void TEditorPalette::RaiseSwatch(bool main) {
    FActiveMain = main;
    PaintSwatches();
}

void TEditorPalette::SetActiveColour(TColor c) {
    (FActiveMain ? FArrColour : FSubColour) = c;
    PaintSwatches();
}

void TEditorPalette::SetInverseBox(bool checked) {
    FSilent = true;
    CheckBox1->SetChecked(checked);
    FSilent = false;
}

void TEditorPalette::PaletteImageMouseDown(TControl* sender, TMouseButton button, int x, int y) {
    if (!FHost.Ready() || button == TMouseButton::mbMiddle) return;
    const int e = PaletteEntryAt(x, y, Mono());
    if (e < 0) return;
    const bool left = button == TMouseButton::mbLeft;
    RaiseSwatch(left);
    const TColor c = DisplayedColour(Image(), e);
    if (left) {
        SetInverseBox(Image().Inverse[static_cast<std::size_t>(e)] != 0);
        FHost.SetPenColour(c);
        FArrColour = c;
        FMain = e;
    } else {
        FSubColour = c;
        FSub = e;
    }
    PaintSwatches();
    RGBDISPClick();
    DrawPaletteGrid();
    FStartX = x;
    FStartY = y;
    FDragArmed = sender != nullptr && left;
    FDragging = false;
}

void TEditorPalette::SimulateClick(TMouseButton button, int index) {
    PaletteImageMouseDown(nullptr, button, PaletteCellX(index & 255), PaletteCellY(index & 255));
}

void TEditorPalette::SelectEntries(int main, int sub) {
    SimulateClick(TMouseButton::mbRight, sub);
    SimulateClick(TMouseButton::mbLeft, main);
}

void TEditorPalette::ClickBoth() {
    SelectEntries(FMain, FSub);
    FHost.SetPenColour(FArrColour);
}

void TEditorPalette::PaletteImageDragDrop(int x, int y) {
    if (!FHost.Ready()) return;
    const int from = PaletteEntryAt(FStartX, FStartY, Mono()), to = PaletteEntryAt(x, y, Mono());
    if (from < 0 || to < 0 || from == to) return;  // the drop lies outside the grid or on the source
    MoveEntry(Image(), from, to);
    RedrawPaletteAsIs();
}

void TEditorPalette::DispPalSelClick() {
    SetShowRange(!ShowRange());
    ClickBoth();
}

bool TEditorPalette::ShowRange() const { return FDispPalSel && FDispPalSel->Checked; }

void TEditorPalette::SetShowRange(bool on) {
    if (FDispPalSel) FDispPalSel->Checked = on;
}

void TEditorPalette::ArrColClick() {
    RaiseSwatch(true);
    RGBDISPClick();
}

void TEditorPalette::SubColClick() {
    RaiseSwatch(false);
    RGBDISPClick();
}

// ---- the colour boxes

void TEditorPalette::SetColourForm(TColourForm form) {
    FForm = form;
    (form == TColourForm::CMY ? CMYDISP : form == TColourForm::HSL ? HSLDISP : RGBDISP)->SetDown(true);
    RGBDISPClick();
}

void TEditorPalette::RGBDISPClick() {
    FUpdating = true;
    const TColourBoxes boxes = ColourBoxesFor(FForm, ActiveColour());
    TLabel* labels[3] = {LabelR.get(), LabelG.get(), LabelB.get()};
    TLabel* texts[3] = {ColR.get(), ColG.get(), ColB.get()};
    TScrollBar* bars[3] = {RedBar.get(), GreenBar.get(), BlueBar.get()};
    for (int k = 0; k < 3; ++k) {
        labels[k]->SetCaption(boxes.Labels[static_cast<std::size_t>(k)]);
        bars[k]->SetMax(boxes.Max[static_cast<std::size_t>(k)]);
        // A saturation beyond the box's range (a few near-black and near-white colours)
        // shows at the end of the slider.
        bars[k]->SetPosition(boxes.Position[static_cast<std::size_t>(k)]);
        texts[k]->SetCaption(IntToStr(bars[k]->Position()));
    }
    FUpdating = false;
}

void TEditorPalette::BarChange(TScrollBar* bar, TLabel* text) {
    text->SetCaption(IntToStr(bar->Position()));
    if (!FUpdating) ColourFromBoxes();
}

void TEditorPalette::ColourFromBoxes() {
    SetActiveColour(::ColourFromBoxes(FForm, RedBar->Position(), GreenBar->Position(), BlueBar->Position()));
}

void TEditorPalette::Button4Click() {
    if (!FHost.Ready()) return;
    StoreShownColour(Image(), ActiveIndex(), ActiveColour());
    FHost.SetPenColour(FArrColour);
    DrawPaletteGrid();
    FHost.RedrawImage();
    FHost.PushUndo();
}

void TEditorPalette::CheckBox1Click() {
    if (!FHost.Ready() || FSilent) return;
    ToggleInverse(Image(), FMain);
    FArrColour = DisplayedColour(Image(), FMain);
    PaintSwatches();
    RGBDISPClick();
    DrawPaletteGrid();
    FHost.RedrawImage();
}

// ---- entry and range commands

void TEditorPalette::RedrawPaletteAsIs() {
    DrawPaletteGrid();
    FHost.SetPenColour(DisplayedColour(Image(), FMain));
    FHost.RedrawImage();
    FHost.PushUndo();
}

void TEditorPalette::RemapToPalette(const TPaletteView& view) {
    ::RemapToPalette(Image(), view);
    DrawPaletteGrid();
    ClickBoth();
    FHost.RedrawImage();
    FHost.PushUndo();
}

void TEditorPalette::MakeGradClick() {
    if (!FHost.Ready() || FMain == FSub) return;
    const TPaletteView view = ViewOf(Image());
    MakeGradient(Image(), FMain, FSub, FArrColour, FSubColour);
    RemapToPalette(view);
}

void TEditorPalette::AddRamp(int item) {
    if (!FHost.Ready()) return;
    if (!Ask("選択中の位置から16個のパレットを上書きします。よろしいですか？")) return;
    WriteRamp(Image(), FMain, Ramp(item));
    DrawPaletteGrid();
    SimulateClick(TMouseButton::mbLeft, FMain);
    FHost.SetPenColour(FArrColour);
    FHost.RedrawImage();
    FHost.PushUndo();
}

void TEditorPalette::Insert1Click() {
    if (!FHost.Ready()) return;
    std::optional<TColor> colour = ParseColourText(ReadClipboardText(Owner(), 26));
    if (!colour) return;  // nothing to insert: the palette stays as it is
    InsertPaletteGap(Image(), FMain, 1);
    StoreShownColour(Image(), FMain, *colour);
    FArrColour = *colour;
    RedrawPaletteAsIs();
    ClickBoth();
}

void TEditorPalette::DelColClick() {
    if (!FHost.Ready()) return;
    DeletePaletteRange(Image(), FMain, FMain);
    RedrawPaletteAsIs();
    if (FMain < FSub) --FSub;
    ClickBoth();
}

void TEditorPalette::CutColClick() {
    if (!FHost.Ready()) return;
    CopyColorClick();
    DelColClick();
}

void TEditorPalette::DelPalClick() {
    if (!FHost.Ready()) return;
    DeletePaletteRange(Image(), FMain, FSub);
    RedrawPaletteAsIs();
    FMain = FSub = std::min(FMain, FSub);
    ClickBoth();
}

void TEditorPalette::RepColClick() {
    if (!FHost.Ready() || FMain == FSub) return;
    SwapEntries(Image(), FMain, FSub);
    RedrawPaletteAsIs();
    ClickBoth();
}

void TEditorPalette::LoadPresetPalette(TPresetKind kind) {
    if (!FHost.Ready()) return;
    FPresetKind = static_cast<int>(kind);
    const TPaletteView view = ViewOf(Image());
    Image().Palette = BuiltInPalette(kind);
    RemapToPalette(view);
}

// ---- sorting, merging, rotations

void TEditorPalette::SortClick(TPaletteSort sort) {
    if (!FHost.Ready()) return;
    const TPaletteView view = ViewOf(Image());
    SortPalette(Image(), sort);
    SetInverseBox(false);
    RemapToPalette(view);
}

void TEditorPalette::JufukuClick() {
    if (!FHost.Ready()) return;
    const TPaletteView view = ViewOf(Image());
    MergeDuplicates(Image());
    RemapToPalette(view);
}

void TEditorPalette::PalRotClick(TGridTransform t) {
    if (!FHost.Ready()) return;
    TransformGrid(Image(), t);
    RedrawPaletteAsIs();
}

// ---- clipboard

void TEditorPalette::CopyColorClick() { WriteClipboardText(Owner(), CopyPaletteText(Image(), FMain, FMain)); }

void TEditorPalette::PasteColorClick() {
    if (!FHost.Ready()) return;
    std::optional<TColor> colour = ParseColourText(ReadClipboardText(Owner(), 26));
    if (!colour) return;
    StoreShownColour(Image(), FMain, *colour);
    FArrColour = *colour;
    RaiseSwatch(true);
    RGBDISPClick();
    FHost.SetPenColour(FArrColour);
    DrawPaletteGrid();
    FHost.RedrawImage();
    FHost.PushUndo();
}

void TEditorPalette::AreaCopyClick() { WriteClipboardText(Owner(), CopyPaletteText(Image(), FMain, FSub)); }

void TEditorPalette::CopyPaletteClick() { WriteClipboardText(Owner(), CopyPaletteText(Image(), 0, 255)); }

void TEditorPalette::CutPalClick() {
    if (!FHost.Ready()) return;
    AreaCopyClick();
    DeletePaletteRange(Image(), FMain, FSub);
    RedrawPaletteAsIs();
    FMain = FSub = std::min(FMain, FSub);
    ClickBoth();
}

void TEditorPalette::PastePalette(TPasteWhere where, bool rematch) {
    if (!FHost.Ready()) return;
    const std::string text = ReadClipboardText(Owner());
    if (!ParsePaletteText(text)) return;  // not a palette text: nothing changes
    const TPaletteView view = ViewOf(Image());
    bool pasted = false;
    switch (where) {
        case TPasteWhere::Selection: pasted = PastePaletteText(Image(), text, FMain, FSub, false); break;
        case TPasteWhere::Insert: pasted = PastePaletteText(Image(), text, FMain, 0, true); break;
        case TPasteWhere::All:
            Image().Palette = ImagePalette{};
            Image().Inverse = InverseFlags{};
            SetInverseBox(false);
            pasted = PastePaletteText(Image(), text, 0, 255, false);
            break;
    }
    if (!pasted) return;
    if (rematch)
        RemapToPalette(view);
    else
        RedrawPaletteAsIs();
}

void TEditorPalette::PopupMenu1Popup() {
    if (!FHost.Ready()) return;
    const std::string text = ReadClipboardText(Owner(), 3100);
    if (TMenuItem* i = PopupMenu3.Item("PasteCol")) i->Enabled = ColourPasteEnabled(text);
    if (TMenuItem* i = PopupMenu3.Item("PastePal")) i->Enabled = PalettePasteEnabled(text);
}

// ---- palette files

void TEditorPalette::ImportPaletteFile(bool rematch) {
    if (!FHost.Ready() || !OpenDialog1.Execute(Owner())) return;
    ImagePalette palette = Image().Palette;
    const TPaletteReadResult r = ReadPaletteFile(OpenDialog1.FileName, palette);
    if (r != TPaletteReadResult::Read) {
        Tell(PaletteReadMessage(r, OpenDialog1.FileName));
        return;  // the palette and its inverse flags stay as they were
    }
    const TPaletteView view = ViewOf(Image());
    Image().Inverse = InverseFlags{};
    SetInverseBox(false);
    Image().Palette = palette;
    if (rematch)
        RemapToPalette(view);
    else
        RedrawPaletteAsIs();
}

void TEditorPalette::SavePalClick() {
    if (!FHost.Ready()) return;
    SaveDialog1.FileName = "untitled";
    if (!SaveDialog1.Execute(Owner())) return;
    const std::string path = SaveDialog1.FileName;
    // A known extension names the format; otherwise the chosen filter does.
    std::optional<TPaletteFileFormat> format = PaletteFormatOfPath(path);
    if (!format)
        format = SaveDialog1.FilterIndex == 2   ? TPaletteFileFormat::Khpf
                 : SaveDialog1.FilterIndex == 3 ? TPaletteFileFormat::DPixed
                                                : TPaletteFileFormat::JascPal;
    if (!WritePaletteFile(path, *format, Image())) Tell(path + "\nを作成できませんでした。");
}

// ---- colour reduction

void TEditorPalette::ReduceSysClick() {
    if (!FHost.Ready()) return;
    if (!Ask("システムカラー減色を行うと著しい色化けを起こす場合があります。\n実行しますか？")) return;
    ReduceToSystemColours(Image(), ViewOf(Image()));
    SetInverseBox(false);
    DrawPaletteGrid();
    FHost.RedrawImage();
    SimulateClick(TMouseButton::mbLeft, FMain);
    FHost.PushUndo();
}

void TEditorPalette::Reduce16Click() {
    if (!FHost.Ready()) return;
    if (!Ask("カスタムカラー減色を行うと透過部分とイメージが正しく区別されなくなる場合があります。\n実行しますか？"))
        return;
    StartReduction(16);
}

void TEditorPalette::Reduce256Click() {
    if (!FHost.Ready()) return;
    RemoveUnusedColours(Image());
    SetInverseBox(false);
    FHost.RedrawImage();
    DrawPaletteGrid();
    SimulateClick(TMouseButton::mbLeft, FMain);
    FHost.PushUndo();
}

void TEditorPalette::StartReduction(int colours) {
    if (!StartReductionWorker || FReducing) return;
    const TPaletteView view = ViewOf(Image());
    FHost.SetReady(false);
    FReducing = true;
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    std::weak_ptr<bool> alive = FAlive;
    bool started = StartReductionWorker(view, colours, [this, alive, view](std::optional<ImagePalette> palette) {
        if (alive.expired()) return;
        ReductionDone(view, palette);
    });
    if (!started) ReductionDone(view, std::nullopt);
}

void TEditorPalette::ReductionDone(const TPaletteView& view, std::optional<ImagePalette> palette) {
    FReducing = false;
    FHost.SetReady(true);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    if (!palette) return;  // no result: the picture stays as it was
    TakeReducedPalette(Image(), *palette, 16, view);
    SetInverseBox(false);
    FHost.RedrawImage();
    DrawPaletteGrid();
    SimulateClick(TMouseButton::mbLeft, FMain);
    FHost.PushUndo();
}
