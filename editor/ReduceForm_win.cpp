#include "editor/ReduceForm.h"

#include "formats/PictureImport.h"
#include "ui/Application.h"

TMadeOnFirstUse<TReduceColDlg> ReduceColDlg;

namespace {

// Posted by the worker to the dialog.
constexpr UINT kGaugeLimits = WM_APP + 60;  // wParam minimum, lParam maximum
constexpr UINT kGaugeCount = WM_APP + 61;   // wParam the colour count
constexpr UINT kReduceEnded = WM_APP + 62;

HFONT DialogFont() {
    static HFONT font = [] {
        LOGFONTW lf{};
        lf.lfHeight = -12;
        lf.lfCharSet = SHIFTJIS_CHARSET;
        lstrcpyW(lf.lfFaceName, L"ＭＳ Ｐゴシック");
        return CreateFontIndirectW(&lf);
    }();
    return font;
}

TReductionPassHook& PassHook() {
    static TReductionPassHook hook;
    return hook;
}

} // namespace

void SetReductionPassHook(TReductionPassHook hook) { PassHook() = std::move(hook); }

void TReduceColDlg::TGaugeHandOver::SetLimits(int minimum, int maximum) {
    PostMessageW(FTarget, kGaugeLimits, static_cast<WPARAM>(minimum), static_cast<LPARAM>(maximum));
}

void TReduceColDlg::TGaugeHandOver::SetProgress(int count) {
    PostMessageW(FTarget, kGaugeCount, static_cast<WPARAM>(count), 0);
    if (PassHook()) PassHook()(FCancel);
}

TReduceColDlg::TReduceColDlg(TForm* owner)
    : TForm("ReduceColDlg", "vuzuzover1.2", 217, 48, TFormBorder::bsDialog, owner), FReduceData(std::make_unique<cData>()),
      FHandOver(Handle(), FCancel) {
    SetCloseBox(false);
    SetWindowPos(FHandle, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    CenterOnScreen();
    SetFont(DialogFont());

    Image1 = std::make_unique<TImage>(this, "Image1");
    Image1->SetBounds(8, 8, 32, 32);
    Image2 = std::make_unique<TImage>(this, "Image2");
    Image2->SetBounds(8, 8, 32, 32);
    Image2->SetStretch(true);
    Image2->Hide();
    Label1 = std::make_unique<TLabel>(this, "Label1", "減色しています…", 56, 8);
    Label1->SetFont(DialogFont());
    CGauge1 = std::make_unique<TCGauge>(this, "CGauge1");
    CGauge1->SetBounds(56, 24, 153, 17);
    CGauge1->SetForeColor(clBlue);
    CGauge1->SetMaxValue(1000);
    CancelBtn = std::make_unique<TButton>(this, "CancelBtn", "ｷｬﾝｾﾙ");
    CancelBtn->SetBounds(136, 4, 73, 18);
    CancelBtn->SetFont(DialogFont());
    CancelBtn->Hide();
    CancelBtn->OnClick = [this](TControl*) { Cancel(); };
    CheckBox1 = std::make_unique<TCheckBox>(this, "CheckBox1", "");
    CheckBox1->SetBounds(0, 0, 12, 12);
    CheckBox1->Hide();
    CheckBox1->OnClick = [this](TControl*) { FCancel = CheckBox1->Checked(); };

    OnPaint = [this](TControl*) { FormPaint(); };
}

TReduceColDlg::~TReduceColDlg() {
    FWorker.reset();  // cancels a running worker and waits for it before anything goes away
    RestoreCursor();
}

void TReduceColDlg::FormPaint() {
    if (!FFirstPaint) return;
    FFirstPaint = false;
    FBusy = true;
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    CheckBox1->SetChecked(false);
    FCancel = false;
    FStatus = TReduceStatus::NotRun;
    FSource = Image1->Bitmap();
    FResult = TBitmap();
    Image2->SetBounds(Image2->Left(), Image2->Top(), 32, 32);
    Image2->Hide();
    FWorker = std::make_unique<THReduce>(FSource, *FReduceData, FCancel, &FHandOver, FPosterize, FTargetColors, FResult);
    FWorker->OnStart = [] { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL); };
    const HWND self = FHandle;
    FWorker->OnTerminate = [self] { PostMessageW(self, kReduceEnded, 0, 0); };
    FWorker->Resume();
}

void TReduceColDlg::ReduceDone() {
    if (!FWorker || !FBusy) return;
    FWorker->WaitFor();  // it has posted its end; let it return
    FStatus = FWorker->Status();
    FBusy = false;
    if (!Cancelled() && FStatus == TReduceStatus::Reduced) {
        Image2->SetBitmap(FResult);
        Image2->SetBounds(Image2->Left(), Image2->Top(), 97, 97);
        Image2->Show();
    }
    SetModalResult(mrOk);  // the modal loop hides the dialog once the main window takes input again
    RestoreCursor();
}

void TReduceColDlg::Cancel() {
    CheckBox1->SetChecked(true);
    FCancel = true;
    if (FWorker) {
        FWorker->WaitFor();
        FStatus = FWorker->Status();
    }
    FBusy = false;
    RestoreCursor();
    if (IsModal()) SetModalResult(mrCancel);
}

void TReduceColDlg::RestoreCursor() { SetCursor(LoadCursorW(nullptr, IDC_ARROW)); }

LRESULT TReduceColDlg::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case kGaugeLimits:
        CGauge1->SetMinValue(static_cast<int>(wp));
        CGauge1->SetMaxValue(static_cast<int>(lp));
        return 0;
    case kGaugeCount: CGauge1->SetProgress(static_cast<int>(wp)); return 0;
    case kReduceEnded: ReduceDone(); return 0;
    case WM_SETCURSOR:
        if (FBusy) {
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    case WM_CLOSE: Cancel(); return 0;
    case WM_COMMAND:
        // Escape through the dialog manager arrives as IDCANCEL from no control.
        if (lp == 0 && LOWORD(wp) == IDCANCEL) {
            Cancel();
            return 0;
        }
        break;
    default: break;
    }
    return TForm::WndProc(msg, wp, lp);
}

// ---- the import's reduction

bool ReduceColoursForImport(const TBitmap& target, bool posterize, int targetColours, ImagePalette& palette) {
    TReduceColDlg dlg(TApplication::Instance().MainForm());
    dlg.Image1->SetBitmap(target);
    dlg.FPosterize = posterize;
    dlg.FTargetColors = targetColours;
    dlg.ShowModal();
    if (dlg.Cancelled() || dlg.Status() != TReduceStatus::Reduced) return false;
    palette.fill(TRGBQuad{});
    const std::vector<TRGBQuad>& colours = dlg.Image2->Bitmap().Colors();
    for (std::size_t j = 0; j < colours.size() && j < palette.size(); ++j)
        palette[j] = TRGBQuad{colours[j].Blue, colours[j].Green, colours[j].Red, 0};
    return true;
}
