#pragma once
// The palette side of the image editor: the colour boxes (RGB, CMY and HSL sliders, the
// inverse switch, apply), the drag of entries on the palette grid, and the commands of the
// palette, edit and arrange menus. It works on the dialog's model; each change either
// keeps the picture (the pixels follow their entries) or re-matches it to the nearest
// colours of the new palette, and is one undo step.
#include <memory>
#include <optional>
#include <string>

#include "editor/BuiltInPalettes.h"
#include "editor/ColourBoxes.h"
#include "editor/EditorReduction_win.h"
#include "editor/PaletteEdit.h"
#include "ui/Bars.h"
#include "ui/Button.h"
#include "ui/FileDialogs.h"
#include "ui/Gauge.h"
#include "ui/Panel.h"

class TEditDlg;

class TPaletteCommands {
public:
    // Builds the colour boxes in the dialog's Panel5, fills its three menus and wires the
    // swatches, the gradient button and the grid's drag.
    explicit TPaletteCommands(TEditDlg& dialog);
    TPaletteCommands(const TPaletteCommands&) = delete;
    TPaletteCommands& operator=(const TPaletteCommands&) = delete;

    // Controls of the colour boxes.
    std::unique_ptr<TLabel> LabelR, LabelG, LabelB;
    std::unique_ptr<TLabel> ColR, ColG, ColB;
    std::unique_ptr<TScrollBar> RedBar, GreenBar, BlueBar;
    std::unique_ptr<TCheckBox> CheckBox1;  // "反転色"
    std::unique_ptr<TButton> Button4;      // "変更を更新"
    std::unique_ptr<TCGauge> CGauge1;      // a reduction's progress, shown only while one runs
    TFileDialog OpenDialog1{TFileDialogKind::Open};
    TFileDialog SaveDialog1{TFileDialogKind::Save};
    int PresetKind() const { return FPresetKind; }
    bool ReductionRunning() const { return FReduction.Running(); }

    // Called by the dialog after its own part of a click on the grid (real or simulated).
    void EntryClicked(TControl* sender, TMouseButton button, int x, int y);
    // Fills the colour boxes from the active swatch (RGBDISPClick).
    void RefreshColourBoxes();
    // The dialog closes: a running reduction is cancelled and waited for.
    void CancelReduction();

    // The commands, by the handlers' roles.
    void PaletteImageDragDrop(int x, int y);
    void ArrColClick();
    void SubColClick();
    void Button4Click();
    void CheckBox1Click();
    void MakeGradClick();
    void AddRamp(int item);
    void Insert1Click();
    void DelColClick();
    void DelPalClick();
    void CutColClick();
    void RepColClick();
    void LoadPresetPalette(TPresetKind kind);
    void SortClick(TPaletteSort sort);
    void JufukuClick();
    void PalRotClick(TGridTransform t);
    void CopyColorClick();
    void PasteColorClick();
    void CutPalClick();
    void AreaCopyClick();
    void CopyPaletteClick();
    enum class TPasteWhere { Selection, Insert, All };
    void PastePalette(TPasteWhere where, bool rematch);
    void ImportPaletteFile(bool rematch);
    void SavePalClick();
    void PopupMenu1Popup();
    void ReduceSysClick();
    void Reduce16Click();
    void Reduce256Click();

private:
    void BuildColourBoxes();
    void BuildMenus();
    ImageRecord& Image();
    int Main() const;
    int Sub() const;
    void SetMain(int index);
    void SetSub(int index);
    TColourForm Form() const;
    int ActiveIndex() const { return FActiveMain ? Main() : Sub(); }
    TColor ActiveColour() const;
    void SetActiveColour(TColor shown);
    void SetInverseBox(bool checked);  // without running its command
    void BarChange(TScrollBar* bar, TLabel* text);
    // The picture as shown, a floating selection written into the image first.
    TPaletteView ViewBeforeChange();
    void PushUndo();
    void RedrawPaletteAsIs();
    void RemapToPalette(const TPaletteView& view);
    void ClickBoth();
    void ClickMain();
    // Runs the reduction worker on the picture as shown; ReductionDone takes its palette.
    void StartReduction(const TPaletteView& view, int colours);
    void ReductionDone(const TPaletteView& view, int colours, std::optional<ImagePalette> palette);
    bool Ask(const std::string& question);
    void Tell(const std::string& message);

    TEditDlg& FDlg;
    bool FActiveMain = true;  // ArrCol raised: the sliders edit the main colour
    bool FUpdating = false;   // the program fills the colour boxes
    bool FSilent = false;     // the program sets the inverse switch
    int FStartX = 0, FStartY = 0;
    bool FDragArmed = false, FDragging = false;
    int FPresetKind = 0;
    TEditorReduction FReduction;
};
