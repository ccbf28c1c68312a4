#pragma once
// The settings the program keeps from one run to the next: the program's path and last
// folder, how pictures are imported, the plug-in folder, the editor's custom cursors and
// view options. ReadProgramSettings and WriteProgramSettings move the record to and from a
// store (the registry key in the program, a table in the tests), value by value in a fixed
// order.
#include <string>

#include "base/Color.h"

struct TImportSettings {
    bool NoDialog = false;          // never ask for the background colour
    TColor DefaultColour = clTeal;  // the background colour taken without asking
    bool Resize = false;            // smart resize of larger pictures
    bool Reduce = false;            // colour reduction by posterizing
    bool KeepAspect = false;        // the picture keeps its aspect ratio when fitted
    bool operator==(const TImportSettings&) const = default;
};

// One of the editor's own cursors: whether it is used, and its file (kept when unused).
struct TCustomCursorSetting {
    bool Use = false;
    std::string File;
    bool operator==(const TCustomCursorSetting&) const = default;
};

// The editor's view options as stored; the editor holds them while it exists.
struct TEditorViewSettings {
    bool Grid = false, PalSel = false, PalRGB = false, PalCMY = false, PalHSL = false, TransMode = false;
    bool operator==(const TEditorViewSettings&) const = default;
};

struct TProgramSettings {
    std::string ExePath;       // "EXEPATH"
    std::string Path;          // "PATH": the last folder of the file dialogs
    TImportSettings Import;    // "NODLG", "COLOR", "RESIZE", "REDUCE", "HENPEI"
    std::string PluginFolder;  // "SPIPATH", or the plug-in viewer's own folder
    TCustomCursorSetting Pen, Fill;  // "CUSTOM_P", "CUSTOM_F"
    TEditorViewSettings Editor;      // "GRID", "PALSEL", "PALRGB", "PALCMY", "PALHSL", "TRANSM"
    bool operator==(const TProgramSettings&) const = default;
};

// Where the values are kept. Reading an integer or boolean that is absent or of another
// type throws (std::exception); an absent string reads as "".
class TSettingsStore {
public:
    virtual ~TSettingsStore() = default;
    virtual std::string ReadString(const std::string& name) = 0;
    virtual int ReadInteger(const std::string& name) = 0;
    virtual bool ReadBool(const std::string& name) = 0;
    virtual void WriteString(const std::string& name, const std::string& value) = 0;
    virtual void WriteInteger(const std::string& name, int value) = 0;
    virtual void WriteBool(const std::string& name, bool value) = 0;
};

// The plug-in folder that stands when the values cannot be read completely.
extern const char* const kFallbackPluginFolder;

// Reads the values in order into settings: "EXEPATH" only when readExePath (and then only
// into an empty ExePath), "SPIPATH" only when PluginFolder is still empty; the custom
// cursors' files are read, not yet used. True when every value was read; at the first value
// that cannot be read the ones before stay, PluginFolder becomes kFallbackPluginFolder and
// the result is false.
bool ReadProgramSettings(TSettingsStore& store, TProgramSettings& settings, bool readExePath);
// Writes every value in the same order: "EXEPATH" only when writeExePath and known, a
// custom cursor's file only while it is used ("" otherwise).
void WriteProgramSettings(TSettingsStore& store, const TProgramSettings& settings, bool writeExePath);
