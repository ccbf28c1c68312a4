#include "app/SmallDialogs.h"

#include "app/MainForm.h"
#include "ui/Application.h"

TMadeOnFirstUse<TTransDlg> TransDlg;
TMadeOnFirstUse<THSpotDlg> HSpotDlg;
TMadeOnFirstUse<TCurTestDlg> CurTestDlg;
TMadeOnFirstUse<TSaveModeBox> SaveModeBox;

bool PixelAtPoint(int x, int y, int& px, int& py) {
    // A release outside the picture (the mouse is captured) picks nothing.
    if (x < 0 || y < 0 || x > 255 || y > 255) return false;
    px = x / 8;
    py = y / 8;
    return true;
}

// ---- transparent colour

TTransDlg::TTransDlg() : TForm("TransDlg", "透過色を指定", 256, 256, TFormBorder::bsDialog) {
    SetCloseBox(false);
    Image1 = std::make_unique<TImage>(this, "Image1");
    Image1->SetBounds(0, 0, 256, 256);
    Image1->SetStretch(true);
    Image1->OnMouseUp = [this](TControl*, const TMouseEvent& e) { Image1MouseUp(e); };
}

void TTransDlg::Image1MouseUp(const TMouseEvent& e) {
    int px, py;
    if (!PixelAtPoint(e.X, e.Y, px, py)) return;
    if (Form1) Form1->ImagePage->SetTransparentPixel(px, py);
    SetModalResult(mrOk);
}

// ---- hotspot

THSpotDlg::THSpotDlg() : TForm("HSpotDlg", "ホットスポット座標", 256, 256, TFormBorder::bsDialog) {
    Image1 = std::make_unique<TImage>(this, "Image1");
    Image1->SetBounds(0, 0, 32, 32);
    Image1->Hide();
    OnMouseMove = [this](TControl*, const TMouseEvent& e) { FormMouseMove(e); };
    OnMouseUp = [this](TControl*, const TMouseEvent& e) { Image1MouseUp(e); };
}

void THSpotDlg::FormPaint() {
    TPaintDC paint(FHandle);
    HDC dc = paint.Get();
    TCanvas canvas(dc);
    canvas.FillRect(RECT{0, 0, 256, 256}, clBtnFace);
    canvas.StretchDraw(RECT{0, 0, 256, 256}, Image1->Bitmap());
    TGdiObject pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
    {
        TSelectObject sel(dc, pen.Get());
        for (int i = 0; i < 32; ++i) {
            MoveToEx(dc, 8 * i + 7, 0, nullptr);
            LineTo(dc, 8 * i + 7, 256);
            MoveToEx(dc, 0, 8 * i + 7, nullptr);
            LineTo(dc, 256, 8 * i + 7);
        }
    }
    canvas.FrameRect(RECT{8 * HotX, 8 * HotY, 8 * HotX + 8, 8 * HotY + 8}, clRed);
}

void THSpotDlg::FormMouseMove(const TMouseEvent& e) {
    SetCaption("ホットスポット座標 X:" + std::to_string(e.X / 8) + ",Y:" + std::to_string(e.Y / 8));
}

void THSpotDlg::Image1MouseUp(const TMouseEvent& e) {
    if (e.Button == TMouseButton::mbRight) {
        SetModalResult(mrCancel);
        return;
    }
    int px, py;
    if (!PixelAtPoint(e.X, e.Y, px, py)) return;
    HotX = px;
    HotY = py;
    SetModalResult(mrOk);
}

LRESULT THSpotDlg::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        FormPaint();
        return 0;
    }
    if (msg == WM_RBUTTONUP) {
        DoMouse(msg, wp, lp);
        return 0;
    }
    return TForm::WndProc(msg, wp, lp);
}

// ---- cursor test

TCurTestDlg::TCurTestDlg() : TForm("CurTestDlg", "カーソルてすと", 256, 256, TFormBorder::bsDialog) {
    ColorDialog1.Color = static_cast<TColor>(GetSysColor(COLOR_DESKTOP));
    FColor = ColorDialog1.Color;
    Timer1 = std::make_unique<TTimer>("Timer1", 55, false);
    Timer1->OnTimer = [this](TControl*) { Timer1Timer(); };
    OnShow = [this](TControl*) { FormShow(); };
    OnMouseDown = [this](TControl*, const TMouseEvent& e) { FormMouseDown(e); };
    OnMouseMove = [this](TControl*, const TMouseEvent& e) { FormMouseMove(e); };
    OnMouseUp = [this](TControl*, const TMouseEvent& e) { FormMouseUp(e); };
}

void TCurTestDlg::FillDrawing(TColor c) {
    RECT r{0, 0, 256, 256};
    TCanvas(FDrawing.DC()).FillRect(r, c);
}

void TCurTestDlg::FormShow() {
    FillDrawing(ColorDialog1.Color);
    Timer1->SetEnabled(true);
}

void TCurTestDlg::FormMouseDown(const TMouseEvent& e) {
    if (e.Button == TMouseButton::mbRight) {
        if (ColorDialog1.Execute(FHandle)) {
            FillDrawing(ColorDialog1.Color);
            Repaint();
        }
        return;
    }
    FPenDown = 1;
    FPenX = e.X;
    FPenY = e.Y;
}

void TCurTestDlg::FormMouseMove(const TMouseEvent& e) {
    if (!FPenDown || (e.X == FPenX && e.Y == FPenY)) return;
    MoveToEx(FDrawing.DC(), FPenX, FPenY, nullptr);
    LineTo(FDrawing.DC(), e.X, e.Y);
    FPenX = e.X;
    FPenY = e.Y;
    FNeedsPaint = 1;
}

void TCurTestDlg::FormMouseUp(const TMouseEvent&) { FPenDown = 0; }

void TCurTestDlg::Timer1Timer() {
    if (FPenDown && FNeedsPaint) {
        Repaint();
        FNeedsPaint = 0;
    }
}

LRESULT TCurTestDlg::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        TPaintDC paint(FHandle);
        HDC dc = paint.Get();
        GdiFlush();
        BitBlt(dc, 0, 0, 256, 256, FDrawing.DC(), 0, 0, SRCCOPY);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_SETCURSOR:
        if (LOWORD(lp) == HTCLIENT) {
            SetCursor(ScreenCursor(4));
            return TRUE;
        }
        break;
    case WM_RBUTTONDOWN:
        DoMouse(msg, wp, lp);
        return 0;
    case WM_CLOSE: Timer1->SetEnabled(false); break;
    default: break;
    }
    return TForm::WndProc(msg, wp, lp);
}

// ---- save mode

TSaveModeBox::TSaveModeBox() : TForm("SaveModeBox", "保存形式の選択", 180, 130, TFormBorder::bsDialog) {
    SetCloseBox(false);
    SaveMode = std::make_unique<TRadioGroup>(this, "SaveMode", "保存形式", std::vector<std::string>{"16色", "256色", "ﾓﾉｸﾛ"});
    SaveMode->SetBounds(8, 4, 164, 84);
    SaveMode->SetItemIndex(1);
    Button1 = std::make_unique<TButton>(this, "Button1", "OK");
    Button1->SetBounds(52, 96, 76, 26);
    Button1->SetModalResult(mrOk);
    Button1->SetDefault(true);
}

AniSaveMode TSaveModeBox::Mode() const {
    switch (SaveMode->ItemIndex()) {
    case 0: return AniSaveMode::Colours16;
    case 2: return AniSaveMode::Colours2;
    default: return AniSaveMode::Colours256;
    }
}

void TSaveModeBox::SetMode(AniSaveMode mode) { SaveMode->SetItemIndex(static_cast<int>(mode)); }

int TSaveModeBox::ColourCount() const { return 1 << BitsPerPixelOf(Mode()); }

// ---- background colour

TBackColorDlg::TBackColorDlg(TForm* owner) : TForm("BackColorDlg", "ico→bmpこんばーた", 300, 96, TFormBorder::bsDialog, owner) {
    SetCloseBox(false);
    Label1 = std::make_unique<TLabel>(this, "Label1", "背景色を指定して下さい。[ OK ]ﾎﾞﾀﾝをｸﾘｯｸするとﾀﾞｲｱﾛｸﾞがひらきます。", 8, 8);
    Label1->SetAutoSize(false);
    Label1->SetBounds(8, 8, 284, 30);
    CheckBox1 = std::make_unique<TCheckBox>(this, "CheckBox1", "すべてのｲﾒｰｼﾞに適用");
    CheckBox1->SetBounds(8, 64, 160, 18);
    CheckBox1->Hide();
    Button1 = std::make_unique<TButton>(this, "Button1", "OK");
    Button1->SetBounds(210, 60, 80, 26);
    Button1->OnClick = [this](TControl*) { Button1Click(); };
    Button1->SetDefault(true);
}

void TBackColorDlg::Button1Click() {
    // The previous colour stays when it is cancelled, and when the system has no colour
    // dialog: the box, which has no other way out, then ends after the message.
    try {
        ColorDialog1.Execute(FHandle);
    } catch (const std::exception& e) {
        TApplication::Instance().HandleException(e);
    }
    SetModalResult(mrOk);
}
