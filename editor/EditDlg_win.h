#pragma once
// TEditDlg: the modal pixel and palette editor for one 32x32 image with its palette, or
// for the document's monochrome cursor in four colours. Created once at start; between
// two uses it keeps its last image, its options and its palette view. The drawing, the
// selection and the undo list live in TEditModel; this class holds the controls, turns
// mouse messages into cells and paints.
#include <memory>
#include <string>

#include "editor/EditModel.h"
#include "editor/ImageEditor.h"
#include "editor/PaintBox_win.h"
#include "editor/PaletteGrid_win.h"
#include "editor/TileImages.h"
#include "ui/Button.h"
#include "ui/Canvas.h"
#include "ui/Form.h"
#include "ui/Image.h"
#include "ui/Menu.h"
#include "ui/Panel.h"

// Screen cursor slots of the editor's tools.
enum : int { crPen = 5, crFill = 6, crPick = 7, crCustomPen = 8, crCustomFill = 9 };

class TPaletteCommands;

class TEditDlg : public TForm, public IImageEditor {
public:
    explicit TEditDlg(TDialogContents contents = TDialogContents::Now);
    ~TEditDlg() override;
    // Builds the controls, menus and tool cursors unless they are there (OnFirstUse); every
    // command of IImageEditor that needs them builds them first.
    void BuildContents();

    // IImageEditor.
    void ClearImage() override;
    void LoadImageData(const ImageRecord& image) override;
    void SetSubColour(int index) override { FModel.SubIndex = static_cast<uint8_t>(index & 0xFF); }
    void SetMonoMode(bool on) override { FMonoMode = on; }
    int ShowModal() override;
    const ImageRecord& EditedImage() const override { return FModel.Image(); }
    TEditorOptions Options() const override;
    void SetOptions(const TEditorOptions& options) override;

    TEditModel& Model() { return FModel; }
    bool MonoMode() const { return FMonoMode; }
    // False while a palette operation or a colour reduction runs: the canvas and the
    // palette grid then ignore the mouse.
    bool Ready() const { return FReady; }
    void SetReady(bool ready) { FReady = ready; }

    // Event handlers.
    void FormShow();
    void FormClose();
    void PaintBox1MouseDown(const TMouseEvent& e);
    void PaintBox1MouseMove(const TMouseEvent& e);
    void PaintBox1MouseUp(const TMouseEvent& e);
    void PenBtnClick(TSpeedButton* tool);
    void SelectBtnClick();
    void gridClick();
    void UndoBtnClick();
    void RedoBtnClick();
    void OtherBtnMouseUp();
    void PopupBtnMouseUp();
    void TurnClick(TImageTurn turn);  // N22Click, N23Click, N901Click, N902Click
    void PopupMenu5Popup();
    void Copy1Click();
    void MaskCopyClick();
    void Cut1Click();
    void Paste1Click();
    void Delete1Click();
    void SelectAll1Click();
    void NoSelectClick();
    void TransModeClick();
    // A click on the palette grid, real (from the grid) or simulated (sender nullptr).
    void PaletteImageMouseDown(TControl* sender, TMouseButton button, int x, int y);

    // Shared operations.
    // Rebuilds the views from the indices and repaints the canvas.
    void RedrawImage();
    // Paints the zoomed canvas now.
    void PaintCanvas();
    // Paints the palette grid and the swatches now.
    void DrawPaletteGrid();
    // Applies the enabling rule of the undo buttons.
    void UpdateUndoButtons();
    // Simulated clicks on the main and sub cells, as after a palette change.
    void SelectMainAndSub();
    // Gives the control its hint, which the status bar shows while the mouse moves over it.
    void ShowHintOnMove(TControl& control, const std::string& hint);

    // Components (names as the dialog's own).
    std::unique_ptr<TPanel> Panel1, Panel2, Panel3, Panel4, Panel5;
    std::unique_ptr<TPaintBox> PaintBox1;
    std::unique_ptr<TImage> Image1;
    std::unique_ptr<TPaletteGrid> PaletteImage;
    std::unique_ptr<TPanel> PalColor;
    std::unique_ptr<TSpeedButton> UndoBtn, RedoBtn, SelectBtn, MoveBtn, OtherBtn, PenBtn, FillBtn;
    std::unique_ptr<TSpeedButton> grid, PopupBtn, LineBtn, SquareBtn, CircleBtn, FillSquareBtn, FillCircleBtn;
    std::unique_ptr<TSpeedButton> RGBDISP, CMYDISP, HSLDISP;
    std::unique_ptr<TPanel> ArrCol, SubCol;
    std::unique_ptr<TButton> MakeGrad;
    std::unique_ptr<TPanel> ToolBar1;
    std::unique_ptr<TButton> ToolButton1, ToolButton2, ToolButton3;
    std::unique_ptr<TButton> OkBtn, CancelBtn;
    std::unique_ptr<TPanel> StatusBar1;
    TPopupMenu PopupMenu1{"PopupMenu1"};  // palette menu
    TPopupMenu PopupMenu2{"PopupMenu2"};  // mirrors and rotations
    TPopupMenu PopupMenu3{"PopupMenu3"};  // edit menu
    TPopupMenu PopupMenu4{"PopupMenu4"};  // arrange menu
    TPopupMenu PopupMenu5{"PopupMenu5"};  // the image clipboard
    TMenuItem* DispPalSel = nullptr;      // owned by PopupMenu1
    TMenuItem* Undo1 = nullptr;           // owned by PopupMenu3
    TMenuItem* Repeat1 = nullptr;
    TMenuItem* TransMode = nullptr;  // owned by PopupMenu5
    TTileImages TileImages1, TileImages2, DefaultPal;

    // The palette commands: the palette, edit and arrange menus' items and the colour
    // boxes of Panel5 are built here, once, by the palette editing code.
    void BuildPaletteCommands();
    // Refreshes the colour boxes from the active swatch (palette editing code).
    void RefreshColourBoxes();
    std::unique_ptr<TPaletteCommands> PaletteCommands;

private:
    void BuildComponents();
    void BuildMenus();
    void MakeToolCursors();
    // The tool buttons' pictures from the program's resources; the buttons keep their
    // one-character captions when there are none.
    void LoadToolGlyphs();
    TSpeedButton* MakeTool(std::unique_ptr<TSpeedButton>& button, const std::string& name, const std::string& caption,
                           int column, int row, const std::string& hint);
    TEditTool ToolOf(const TSpeedButton* button) const;
    void SetCanvasCursor();
    void ShowStatus(const std::string& text);
    void FitStatusFont(const std::string& text);
    void PopupAt(TPopupMenu& menu, const TControl& button, int extra);
    bool CellOf(const TMouseEvent& e, int& x, int& y) const;

    TEditModel FModel;
    bool FBuilt = false;
    bool FMonoMode = false;
    bool FReady = true;
    bool FPicking = false;  // a right-button colour pick is being dragged
    TEditorOptions FOptions;  // the custom cursor files; the view options live in the controls
    TDibSection FCanvas{256, 256};
    TCursorHandle FToolCursors[3];    // pen, fill, pick: installed as screen cursors 5..7
    TCursorHandle FCustomCursors[2];  // from the options' files: screen cursors 8 and 9
    TGdiObject FStatusFont;           // a condensed face for a hint wider than the status bar
};
