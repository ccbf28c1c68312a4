// The main window's import through shortcut files: the target is imported.
#include "app/MainForm.h"
#include "formats/ShortCut.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"

namespace {
const char* const kShortcutShowCmd = "Error:致命的エラー(Load)";
} // namespace

std::optional<std::string> TForm1::ResolveShortcut(const std::string& path) {
    TMakeShortCut shortcut;
    shortcut.SCFileName = path;
    const TShortCutLoad r = shortcut.SCLoad();
    if (r == TShortCutLoad::Failed || shortcut.SCExecFile.empty()) return std::nullopt;
    if (r == TShortCutLoad::UnknownShowCmd)
        ShowMessageBox(FHandle, kShortcutShowCmd, TApplication::Instance().Title(), MB_OK);
    return shortcut.SCExecFile;
}
