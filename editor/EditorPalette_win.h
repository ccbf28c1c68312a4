#pragma once
// The palette side of the image editor: the 16x16 palette grid with its main and sub
// colour, the colour boxes (RGB, CMY, HSL sliders, the inverse switch and apply), and the
// commands of the palette, edit and arrange menus. It works on the editor's image record
// through IPaletteHost; every change either keeps the picture (the pixels follow their
// entries) or re-matches it to the nearest colours of the new palette.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "editor/BuiltInPalettes.h"
#include "editor/ColourBoxes.h"
#include "editor/PaletteEdit.h"
#include "editor/PaletteGrid.h"
#include "ui/Bars.h"
#include "ui/Button.h"
#include "ui/FileDialogs.h"
#include "ui/Image.h"
#include "ui/Menu.h"
#include "ui/Panel.h"

// What the palette side needs of the editor dialog that holds it.
class IPaletteHost {
public:
    virtual ~IPaletteHost() = default;
    virtual ImageRecord& EditedImage() = 0;  // the pixels, palette and inverse flags being edited
    virtual void RedrawImage() = 0;           // rebuild the views from the indices and repaint
    virtual void PushUndo() = 0;              // one undo step of the current state
    virtual void SetPenColour(TColor shown) = 0;  // the main-colour swatch of the tools (PalColor)
    virtual bool Ready() const = 0;           // mouse input and commands accepted
    virtual void SetReady(bool ready) = 0;
    virtual bool MonoMode() const = 0;
};

// The reduction worker as the editor starts it: it reduces the picture (32x32, as shown) to
// `colours` colours on its own thread and calls `done` on the window thread with the
// palette of the result, or with none when it produced no result (cancelled or failed).
using TReductionDone = std::function<void(std::optional<ImagePalette> palette)>;
using TEditorReductionStarter = std::function<bool(const TPaletteView& picture, int colours, TReductionDone done)>;

class TEditorPalette {
public:
    // Builds the controls on the dialog at their places and fills the three menus.
    TEditorPalette(TControl* dialog, IPaletteHost& host);
    ~TEditorPalette();
    TEditorPalette(const TEditorPalette&) = delete;
    TEditorPalette& operator=(const TEditorPalette&) = delete;

    // The menus that the tool bar's three buttons open.
    TPopupMenu PopupMenu1{"PopupMenu1"};  // "ﾊﾟﾚｯﾄ(&P)"
    TPopupMenu PopupMenu3{"PopupMenu3"};  // "編集(&E)"
    TPopupMenu PopupMenu4{"PopupMenu4"};  // "整理(&R)"

    // Controls the dialog places or reads (the monochrome layout moves Panel2).
    std::unique_ptr<TPanel> Panel2;
    std::unique_ptr<TImage> PaletteImage;
    std::unique_ptr<TPanel> ArrCol, SubCol;
    std::unique_ptr<TButton> MakeGrad;
    std::unique_ptr<TPanel> Panel5;
    std::unique_ptr<TSpeedButton> RGBDISP, CMYDISP, HSLDISP;
    std::unique_ptr<TLabel> LabelR, LabelG, LabelB;
    std::unique_ptr<TLabel> ColR, ColG, ColB;
    std::unique_ptr<TScrollBar> RedBar, GreenBar, BlueBar;
    std::unique_ptr<TCheckBox> CheckBox1;
    std::unique_ptr<TButton> Button4;

    int MainIndex() const { return FMain; }
    int SubIndex() const { return FSub; }
    // The sub colour the main window pre-selects (before LoadImageData).
    void SetSubIndex(int index) { FSub = index & 255; }
    TColourForm ColourForm() const { return FForm; }
    void SetColourForm(TColourForm form);
    bool ShowRange() const;  // "選択範囲の表示"
    void SetShowRange(bool on);
    int PresetKind() const { return FPresetKind; }
    bool ReductionRunning() const { return FReducing; }
    // The reduction worker's entry point; the 16-colour reduction needs it.
    TEditorReductionStarter StartReductionWorker;

    // Redraws the grid from the image; the image's loaders call it.
    void DrawPaletteGrid();
    // A click on an entry's cell as the program makes it (no drag).
    void SimulateClick(TMouseButton button, int index);
    // The whole selection reset that ClearImage and LoadImageData make.
    void SelectEntries(int main, int sub);

    // The commands, by the handler names of the menus and controls.
    void PaletteImageMouseDown(TControl* sender, TMouseButton button, int x, int y);
    void PaletteImageDragDrop(int x, int y);
    void DispPalSelClick();
    void ArrColClick();
    void SubColClick();
    void RGBDISPClick();
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
    // The six palette pastes: into the selection, inserted, or over everything; as is or re-matched.
    enum class TPasteWhere { Selection, Insert, All };
    void PastePalette(TPasteWhere where, bool rematch);
    void ImportPaletteFile(bool rematch);
    void SavePalClick();
    void PopupMenu1Popup();
    void ReduceSysClick();
    void Reduce16Click();
    void Reduce256Click();

    TFileDialog OpenDialog1{TFileDialogKind::Open};
    TFileDialog SaveDialog1{TFileDialogKind::Save};

private:
    void BuildControls(TControl* dialog);
    void BuildMenus();
    ImageRecord& Image() { return FHost.EditedImage(); }
    bool Mono() const { return FHost.MonoMode(); }
    int ActiveIndex() const { return FActiveMain ? FMain : FSub; }
    TColor ActiveColour() const { return FActiveMain ? FArrColour : FSubColour; }
    void SetActiveColour(TColor c);
    void RaiseSwatch(bool main);
    void PaintSwatches();
    void SetInverseBox(bool checked);  // without running its command
    void BarChange(TScrollBar* bar, TLabel* text);
    void ColourFromBoxes();
    void RedrawPaletteAsIs();
    void RemapToPalette(const TPaletteView& view);
    void ClickBoth();
    void StartReduction(int colours);
    void ReductionDone(const TPaletteView& view, std::optional<ImagePalette> palette);
    bool Ask(const std::string& question);
    void Tell(const std::string& message);
    HWND Owner() const;

    IPaletteHost& FHost;
    TControl* FDialog;  // not owned
    int FMain = 0, FSub = 255;
    bool FActiveMain = true;
    TColor FArrColour = clBlack, FSubColour = clBlack;
    TColourForm FForm = TColourForm::RGB;
    bool FUpdating = false;  // the program fills the colour boxes
    bool FSilent = false;    // the program sets the inverse switch
    int FStartX = 0, FStartY = 0;
    bool FDragArmed = false, FDragging = false;
    int FPresetKind = 0;
    bool FReducing = false;
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);  // guards a reduction's late answer
    TMenuItem* FDispPalSel = nullptr;
};
