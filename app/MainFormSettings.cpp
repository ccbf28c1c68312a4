// The main window's settings: read from the registry at start, written back at close,
// and the options handed to the editor once after start.
#include "app/MainForm.h"
#include "ui/Registry.h"

bool TForm1::ReadSettings() {
    FGrid = FPalSel = FPalRGB = FPalCMY = FPalHSL = false;
    TRegistry reg(HKEY_CURRENT_USER);
    if (reg.OpenKey(FKeys.SusieKey, false)) {
        std::string folder = reg.ReadString("Path");
        Panel13->SetCaption(folder);
        FBrowseFolder = folder;
        reg.CloseKey();
    }
    if (!reg.OpenKey(FKeys.Root, false)) return false;
    try {
        if (!shellbmp->Enabled()) {
            // The running module is where the program is; a stored path only fills a gap.
            std::string stored = reg.ReadString("EXEPATH");
            if (FExePath.empty()) FExePath = stored;
        }
        FPath = reg.ReadString("PATH");
        NoDlgDisp->SetChecked(reg.ReadBool("NODLG"));
        DefCol->SetColor(reg.ReadInteger("COLOR"));
        ResizeCheck->SetChecked(reg.ReadBool("RESIZE"));
        ReduceCheck->SetChecked(reg.ReadBool("REDUCE"));
        if (Panel13->Caption().empty()) Panel13->SetCaption(reg.ReadString("SPIPATH"));
        Panel14->SetText(reg.ReadString("CUSTOM_P"));
        Panel15->SetText(reg.ReadString("CUSTOM_F"));
        Henpei->SetChecked(reg.ReadBool("HENPEI"));
        FGrid = reg.ReadBool("GRID");
        FPalSel = reg.ReadBool("PALSEL");
        FPalRGB = reg.ReadBool("PALRGB");
        FPalCMY = reg.ReadBool("PALCMY");
        FPalHSL = reg.ReadBool("PALHSL");
        FTransM = reg.ReadBool("TRANSM");
    } catch (const std::exception&) {
        Panel13->SetCaption("C:\\");
        reg.CloseKey();
        return false;
    }
    reg.CloseKey();
    for (TButton* b : {shellbmp.get(), shellico.get(), shellcur.get(), shellani.get()}) b->SetEnabled(true);
    Timer3->SetEnabled(true);
    return true;
}

void TForm1::WriteSettings() {
    try {
        TRegistry reg(HKEY_CURRENT_USER);
        if (!reg.OpenKey(FKeys.Root, true)) return;
        if (shellbmp->Enabled() && !FExePath.empty()) reg.WriteString("EXEPATH", FExePath);
        reg.WriteString("PATH", FPath);
        reg.WriteBool("NODLG", NoDlgDisp->Checked());
        reg.WriteInteger("COLOR", DefCol->Color());
        reg.WriteBool("RESIZE", ResizeCheck->Checked());
        reg.WriteBool("REDUCE", ReduceCheck->Checked());
        reg.WriteString("SPIPATH", Panel13->Caption());
        reg.WriteString("CUSTOM_P", CustumPen->Checked() ? Panel14->Text() : std::string());
        reg.WriteString("CUSTOM_F", CustumFill->Checked() ? Panel15->Text() : std::string());
        reg.WriteBool("HENPEI", Henpei->Checked());
        const TEditorOptions e = EditorOptions();
        reg.WriteBool("GRID", e.Grid);
        reg.WriteBool("PALSEL", e.PalSel);
        reg.WriteBool("PALRGB", e.PalRGB);
        reg.WriteBool("PALCMY", e.PalCMY);
        reg.WriteBool("PALHSL", e.PalHSL);
        reg.WriteBool("TRANSM", e.TransMode);
        reg.CloseKey();
    } catch (const std::exception&) {
        // Settings are best effort: a failed write is not reported.
    }
}

void TForm1::Timer3Timer() {
    try {
        TEditorOptions e = EditorOptions();
        e.Grid = FGrid;
        e.PalSel = FPalSel;
        e.TransMode = FTransM;
        e.PalRGB = FPalRGB;
        e.PalCMY = FPalCMY;
        e.PalHSL = FPalHSL;
        SetEditorOptions(e);
        CustumPen->SetChecked(true);
        CustumFill->SetChecked(true);
    } catch (const std::exception&) {
    }
    Timer3->SetEnabled(false);
}

void TForm1::SetEditorOptions(const TEditorOptions& options) {
    if (EditDlg)
        EditDlg->SetOptions(options);
    else
        FEditor = options;
}

namespace {

// Checked with an existing file: the editor uses it; checked without one: unchecked again.
void CustomCursorClick(TCheckBox& box, const TEdit& edit, bool& use, std::string& file) {
    if (box.Checked()) {
        if (FileExists(edit.Text())) {
            use = true;
            file = edit.Text();
            return;
        }
        use = false;
        box.SetChecked(false);  // runs the handler again, unchecked
        return;
    }
    use = false;
}

} // namespace

void TForm1::CustumPenClick() {
    TEditorOptions e = EditorOptions();
    CustomCursorClick(*CustumPen, *Panel14, e.UseCustomPen, e.CustomPenFile);
    SetEditorOptions(e);
}

void TForm1::CustumFillClick() {
    TEditorOptions e = EditorOptions();
    CustomCursorClick(*CustumFill, *Panel15, e.UseCustomFill, e.CustomFillFile);
    SetEditorOptions(e);
}
