#include "system/ProgramSettings.h"

#include <exception>

const char* const kFallbackPluginFolder = "C:\\";

bool ReadProgramSettings(TSettingsStore& store, TProgramSettings& s, bool readExePath) {
    try {
        if (readExePath) {
            // The running module is where the program is; a stored path only fills a gap.
            std::string stored = store.ReadString("EXEPATH");
            if (s.ExePath.empty()) s.ExePath = stored;
        }
        s.Path = store.ReadString("PATH");
        s.Import.NoDialog = store.ReadBool("NODLG");
        s.Import.DefaultColour = static_cast<TColor>(store.ReadInteger("COLOR"));
        s.Import.Resize = store.ReadBool("RESIZE");
        s.Import.Reduce = store.ReadBool("REDUCE");
        if (s.PluginFolder.empty()) s.PluginFolder = store.ReadString("SPIPATH");
        s.Pen = TCustomCursorSetting{false, store.ReadString("CUSTOM_P")};
        s.Fill = TCustomCursorSetting{false, store.ReadString("CUSTOM_F")};
        s.Import.KeepAspect = store.ReadBool("HENPEI");
        s.Editor.Grid = store.ReadBool("GRID");
        s.Editor.PalSel = store.ReadBool("PALSEL");
        s.Editor.PalRGB = store.ReadBool("PALRGB");
        s.Editor.PalCMY = store.ReadBool("PALCMY");
        s.Editor.PalHSL = store.ReadBool("PALHSL");
        s.Editor.TransMode = store.ReadBool("TRANSM");
    } catch (const std::exception&) {
        s.PluginFolder = kFallbackPluginFolder;
        return false;
    }
    return true;
}

void WriteProgramSettings(TSettingsStore& store, const TProgramSettings& s, bool writeExePath) {
    if (writeExePath && !s.ExePath.empty()) store.WriteString("EXEPATH", s.ExePath);
    store.WriteString("PATH", s.Path);
    store.WriteBool("NODLG", s.Import.NoDialog);
    store.WriteInteger("COLOR", static_cast<int>(s.Import.DefaultColour));
    store.WriteBool("RESIZE", s.Import.Resize);
    store.WriteBool("REDUCE", s.Import.Reduce);
    store.WriteString("SPIPATH", s.PluginFolder);
    store.WriteString("CUSTOM_P", s.Pen.Use ? s.Pen.File : std::string());
    store.WriteString("CUSTOM_F", s.Fill.Use ? s.Fill.File : std::string());
    store.WriteBool("HENPEI", s.Import.KeepAspect);
    store.WriteBool("GRID", s.Editor.Grid);
    store.WriteBool("PALSEL", s.Editor.PalSel);
    store.WriteBool("PALRGB", s.Editor.PalRGB);
    store.WriteBool("PALCMY", s.Editor.PalCMY);
    store.WriteBool("PALHSL", s.Editor.PalHSL);
    store.WriteBool("TRANSM", s.Editor.TransMode);
}
