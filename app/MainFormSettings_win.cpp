// The main window's settings: read from the registry at start, written back at close,
// and the options handed to the editor (or kept for it) once after start.
#include "app/MainForm.h"
#include "ui/Registry.h"

namespace {
// The registry key as the settings record's store.
class TRegistryStore : public TSettingsStore {
public:
    explicit TRegistryStore(TRegistry& reg) : FReg(reg) {}
    std::string ReadString(const std::string& name) override { return FReg.ReadString(name); }
    int ReadInteger(const std::string& name) override { return FReg.ReadInteger(name); }
    bool ReadBool(const std::string& name) override { return FReg.ReadBool(name); }
    void WriteString(const std::string& name, const std::string& v) override { FReg.WriteString(name, v); }
    void WriteInteger(const std::string& name, int v) override { FReg.WriteInteger(name, v); }
    void WriteBool(const std::string& name, bool v) override { FReg.WriteBool(name, v); }

private:
    TRegistry& FReg;
};
} // namespace

bool TForm1::ReadSettings() {
    FSettings.Editor = TEditorViewSettings{};
    TRegistry reg(HKEY_CURRENT_USER);
    if (reg.OpenKey(FKeys.SusieKey, false)) {
        FSettings.PluginFolder = reg.ReadString("Path");
        FPluginDialogFolder = FSettings.PluginFolder;
        if (TOptionsPage* options = OptionsPage.IfMade()) options->BrowseForFolder1.InitialDir = FSettings.PluginFolder;
        reg.CloseKey();
    }
    bool complete = false;
    if (reg.OpenKey(FKeys.Root, false)) {
        TRegistryStore store(reg);
        FSettings.ExePath = FExePath;
        FSettings.Path = FPath;
        complete = ReadProgramSettings(store, FSettings, !FAssociationsEnabled);
        FExePath = FSettings.ExePath;
        FPath = FSettings.Path;
    }
    if (TOptionsPage* options = OptionsPage.IfMade()) options->ShowSettings();
    if (!complete) return false;  // the registry object closes its key
    SetAssociationsEnabled(true);
    Timer3->SetEnabled(true);
    return true;
}

void TForm1::WriteSettings() {
    FSettings.ExePath = FExePath;
    FSettings.Path = FPath;
    const TEditorOptions e = EditorOptions();
    FSettings.Editor = TEditorViewSettings{e.Grid, e.PalSel, e.PalRGB, e.PalCMY, e.PalHSL, e.TransMode};
    try {
        TRegistry reg(HKEY_CURRENT_USER);
        if (!reg.OpenKey(FKeys.Root, true)) return;
        TRegistryStore store(reg);
        WriteProgramSettings(store, FSettings, FAssociationsEnabled);
    } catch (const std::exception&) {
        // Settings are best effort: a failed write is not reported.
    }
}

void TForm1::Timer3Timer() {
    try {
        TEditorOptions e = EditorOptions();
        const TEditorViewSettings& stored = FSettings.Editor;
        e.Grid = stored.Grid;
        e.PalSel = stored.PalSel;
        e.TransMode = stored.TransMode;
        e.PalRGB = stored.PalRGB;
        e.PalCMY = stored.PalCMY;
        e.PalHSL = stored.PalHSL;
        SetEditorOptions(e);
        if (TOptionsPage* options = OptionsPage.IfMade()) {
            options->CustumPen->SetChecked(true);
            options->CustumFill->SetChecked(true);
        } else {
            // What checking the page's two boxes does, on the record the page shows once made:
            // a stored cursor file is used when it exists, and forgotten otherwise.
            for (bool pen : {true, false}) {
                TCustomCursorSetting& s = pen ? FSettings.Pen : FSettings.Fill;
                s.Use = PlainFileExists(s.File);
                CustomCursorChanged(pen, s.Use, s.Use ? s.File : std::string());
            }
        }
    } catch (const std::exception&) {
    }
    Timer3->SetEnabled(false);
}

void TForm1::SetEditorOptions(const TEditorOptions& options) {
    if (IImageEditor* editor = EditDlg.IfMade())
        editor->SetOptions(options);
    else
        FEditor = options;
}

void TForm1::CustomCursorChanged(bool pen, bool use, const std::string& file) {
    TEditorOptions e = EditorOptions();
    (pen ? e.UseCustomPen : e.UseCustomFill) = use;
    if (use) (pen ? e.CustomPenFile : e.CustomFillFile) = file;  // the name stays when unused
    SetEditorOptions(e);
}
