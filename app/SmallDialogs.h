#pragma once
// The main window's small modal dialogs: transparent pixel, hotspot, cursor test, save
// mode and background colour.
#include <memory>

#include "formats/AniFile.h"
#include "ui/Button.h"
#include "ui/Canvas.h"
#include "ui/Dialogs.h"
#include "ui/FirstUse.h"
#include "ui/Form.h"
#include "ui/Image.h"
#include "ui/Panel.h"
#include "ui/Timer.h"

// The pixel (0..31) under a point of a 256x256 picture of the image, or false outside it.
bool PixelAtPoint(int x, int y, int& px, int& py);

// A click on the 8x picture takes that pixel as the transparent one.
class TTransDlg : public TForm {
public:
    TTransDlg();
    std::unique_ptr<TImage> Image1;
    void Image1MouseUp(const TMouseEvent& e);
};

// A click picks the hotspot of the current image; the right button cancels.
class THSpotDlg : public TForm {
public:
    THSpotDlg();
    std::unique_ptr<TImage> Image1;  // hidden: holds the picture
    // The hotspot the grid marks, set by the caller before ShowModal; on mrOk the pixel
    // clicked, which the caller gives to the document.
    int HotX = 0, HotY = 0;
    void FormPaint();
    void FormMouseMove(const TMouseEvent& e);
    void Image1MouseUp(const TMouseEvent& e);

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

// A scribble pad on which the cursor of screen slot 4 can be tried.
class TCurTestDlg : public TForm {
public:
    TCurTestDlg();
    TColorDialog ColorDialog1;
    std::unique_ptr<TTimer> Timer1;
    void FormShow();
    void FormMouseDown(const TMouseEvent& e);
    void FormMouseMove(const TMouseEvent& e);
    void FormMouseUp(const TMouseEvent& e);
    void Timer1Timer();
    COLORREF DrawingPixel(int x, int y) const { return FDrawing.PixelAt(x, y); }

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void FillDrawing(TColor c);
    uint8_t FPenDown = 0;
    uint8_t FNeedsPaint = 0;
    int FPenX = 0;
    int FPenY = 0;
    TDibSection FDrawing{256, 256};
};

// The colour depth of saved images: 16 colours, 256 colours or two colours.
class TSaveModeBox : public TForm {
public:
    TSaveModeBox();
    std::unique_ptr<TRadioGroup> SaveMode;
    std::unique_ptr<TButton> Button1;
    // The selected save mode (item 0: 16 colours, 1: 256, 2: two colours).
    AniSaveMode Mode() const;
    void SetMode(AniSaveMode mode);
    // 16, 256 or 2 by the selected mode.
    int ColourCount() const;
};

// Asks for the colour of the padding around imported pictures.
class TBackColorDlg : public TForm {
public:
    explicit TBackColorDlg(TForm* owner);
    std::unique_ptr<TLabel> Label1;
    std::unique_ptr<TButton> Button1;
    std::unique_ptr<TCheckBox> CheckBox1;
    TColorDialog ColorDialog1;
    void Button1Click();
};

// The dialogs of the whole run, each made when first used (a test may lend its own).
extern TMadeOnFirstUse<TTransDlg> TransDlg;
extern TMadeOnFirstUse<THSpotDlg> HSpotDlg;
extern TMadeOnFirstUse<TCurTestDlg> CurTestDlg;
extern TMadeOnFirstUse<TSaveModeBox> SaveModeBox;
