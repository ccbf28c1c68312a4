// The main window's settings: read from the registry at start, written back at close,
// and the options handed to the editor once after start.
#include "app/MainForm.h"
#include "ui/Registry.h"

bool TForm1::ReadSettings() {
    FGrid = FPalSel = FPalRGB = FPalCMY = FPalHSL = false;
    TRegistry reg(HKEY_CURRENT_USER);
    if (reg.OpenKey(FKeys.SusieKey, false)) {
        std::string folder = reg.ReadString("Path");
        OptionsPage->Panel13->SetCaption(folder);
        OptionsPage->BrowseForFolder1.InitialDir = folder;
        reg.CloseKey();
    }
    if (!reg.OpenKey(FKeys.Root, false)) return false;
    try {
        if (!OptionsPage->AssociationsEnabled()) {
            // The running module is where the program is; a stored path only fills a gap.
            std::string stored = reg.ReadString("EXEPATH");
            if (FExePath.empty()) FExePath = stored;
        }
        FPath = reg.ReadString("PATH");
        OptionsPage->NoDlgDisp->SetChecked(reg.ReadBool("NODLG"));
        OptionsPage->DefCol->SetColor(reg.ReadInteger("COLOR"));
        OptionsPage->ResizeCheck->SetChecked(reg.ReadBool("RESIZE"));
        OptionsPage->ReduceCheck->SetChecked(reg.ReadBool("REDUCE"));
        if (OptionsPage->Panel13->Caption().empty()) OptionsPage->Panel13->SetCaption(reg.ReadString("SPIPATH"));
        OptionsPage->Panel14->SetText(reg.ReadString("CUSTOM_P"));
        OptionsPage->Panel15->SetText(reg.ReadString("CUSTOM_F"));
        OptionsPage->Henpei->SetChecked(reg.ReadBool("HENPEI"));
        FGrid = reg.ReadBool("GRID");
        FPalSel = reg.ReadBool("PALSEL");
        FPalRGB = reg.ReadBool("PALRGB");
        FPalCMY = reg.ReadBool("PALCMY");
        FPalHSL = reg.ReadBool("PALHSL");
        FTransM = reg.ReadBool("TRANSM");
    } catch (const std::exception&) {
        OptionsPage->Panel13->SetCaption("C:\\");
        return false;  // the registry object closes its key
    }
    OptionsPage->SetAssociationsEnabled(true);
    Timer3->SetEnabled(true);
    return true;
}

void TForm1::WriteSettings() {
    try {
        TRegistry reg(HKEY_CURRENT_USER);
        if (!reg.OpenKey(FKeys.Root, true)) return;
        if (OptionsPage->AssociationsEnabled() && !FExePath.empty()) reg.WriteString("EXEPATH", FExePath);
        reg.WriteString("PATH", FPath);
        reg.WriteBool("NODLG", OptionsPage->NoDlgDisp->Checked());
        reg.WriteInteger("COLOR", OptionsPage->DefCol->Color());
        reg.WriteBool("RESIZE", OptionsPage->ResizeCheck->Checked());
        reg.WriteBool("REDUCE", OptionsPage->ReduceCheck->Checked());
        reg.WriteString("SPIPATH", OptionsPage->Panel13->Caption());
        reg.WriteString("CUSTOM_P", OptionsPage->CustumPen->Checked() ? OptionsPage->Panel14->Text() : std::string());
        reg.WriteString("CUSTOM_F", OptionsPage->CustumFill->Checked() ? OptionsPage->Panel15->Text() : std::string());
        reg.WriteBool("HENPEI", OptionsPage->Henpei->Checked());
        const TEditorOptions e = EditorOptions();
        reg.WriteBool("GRID", e.Grid);
        reg.WriteBool("PALSEL", e.PalSel);
        reg.WriteBool("PALRGB", e.PalRGB);
        reg.WriteBool("PALCMY", e.PalCMY);
        reg.WriteBool("PALHSL", e.PalHSL);
        reg.WriteBool("TRANSM", e.TransMode);
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
        OptionsPage->CustumPen->SetChecked(true);
        OptionsPage->CustumFill->SetChecked(true);
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
