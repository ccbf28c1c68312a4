#pragma once
// The page "設定1" of the main window: how pictures are brought in, the shell
// associations, the Susie plug-in folder and the editor's own pen and fill cursors.
// The page shows the program's settings record and writes every edit into it; the main
// window hosts the page and tells it through TOptionsHost what it needs from the rest of
// the program.
#include <functional>
#include <memory>
#include <string>

#include "system/Associations.h"
#include "system/ProgramSettings.h"
#include "ui/BrowseForFolder.h"
#include "ui/Button.h"
#include "ui/Edit.h"
#include "ui/FileDialogs.h"
#include "ui/Panel.h"

struct TOptionsHost {
    std::function<std::string()> ExePath;     // the program's full path, for the shell commands
    std::function<std::string()> LastFolder;  // the initial folder of the cursor file dialog
    // Asks for a background colour preset with colour; true with the choice on OK.
    std::function<bool(TColor& colour)> PickBackColour;
    // The plug-in folder changed (the plug-in list is to be rebuilt from it).
    std::function<void(const std::string& folder)> PluginFolderChanged;
    // The editor's pen (pen = true) or fill cursor: whether to use it, and its file.
    std::function<void(bool pen, bool use, const std::string& file)> CustomCursorChanged;
};

// Where the shell entries go: HKEY_CLASSES_ROOT itself, or a key of the tests' own.
struct TClassesRoot {
    HKEY Root = HKEY_CLASSES_ROOT;
    std::string Prefix;  // a key below Root that stands for the classes root ("" = Root itself)
};

class TOptionsPage {
public:
    // settings: the record the page shows and edits; openCursor: the dialog that opens the
    // custom cursor files, shared with the system cursor page (both outlive the page).
    TOptionsPage(TControl* page, TProgramSettings& settings, TFileDialog& openCursor, TOptionsHost host);
    TOptionsPage(const TOptionsPage&) = delete;
    TOptionsPage& operator=(const TOptionsPage&) = delete;

    void SetClassesRoot(TClassesRoot root) { FClasses = std::move(root); }

    // The controls show the settings record.
    void ShowSettings();
    // The background colour taken without asking becomes colour.
    void SetDefaultColour(TColor colour);

    // Handlers.
    void DefColClick();
    void shellbmpClick() { WriteAssociation(TShellKind::Bmp); }
    void shellicoClick() { WriteAssociation(TShellKind::Ico); }
    void shellcurClick() { WriteAssociation(TShellKind::Cur); }
    void shellaniClick() { WriteAssociation(TShellKind::Ani); }
    void BrowseSpiBtnClick();
    // Shows a folder the user chose for the plug-ins and tells the window at once.
    void ChoosePluginFolder(const std::string& folder);
    void CustumPenBtnClick();
    void CustumFillBtnClick();
    void CustumPenClick();
    void CustumFillClick();
    // The four association buttons.
    void SetAssociationsEnabled(bool enabled);
    bool AssociationsEnabled() const { return FAssociationsEnabled; }

    // Writes the rows of one association under the classes root (raises ERegistryException
    // when a key cannot be made or a value written; rows written before stay).
    void WriteAssociation(TShellKind kind);

    // Components (names as the window's own).
    std::unique_ptr<TGroupBox> GroupBox1;
    std::unique_ptr<TCheckBox> ResizeCheck, ReduceCheck, NoDlgDisp, Henpei;
    std::unique_ptr<TLabel> Label12;
    std::unique_ptr<TPanel> DefCol;
    std::unique_ptr<TLabel> Label13;
    std::unique_ptr<TPanel> Panel13;  // the Susie plug-in folder
    std::unique_ptr<TButton> BrowseSpiBtn;
    std::unique_ptr<TLabel> Label14;
    std::unique_ptr<TButton> shellico, shellcur, shellani, shellbmp;
    std::unique_ptr<TGroupBox> GroupBox2;
    std::unique_ptr<TCheckBox> CustumPen;
    std::unique_ptr<TEdit> Panel14;
    std::unique_ptr<TButton> CustumPenBtn;
    std::unique_ptr<TCheckBox> CustumFill;
    std::unique_ptr<TEdit> Panel15;
    std::unique_ptr<TButton> CustumFillBtn;
    TBrowseForFolder BrowseForFolder1{"BrowseForFolder1"};
    TFileDialog& OpenCustumCur;  // also the system cursor page's

private:
    void CustomCursorClick(TCheckBox& box, const TEdit& edit, bool pen);
    void PickCursorFile(TEdit& edit);
    TControl* FPage;  // not owned
    TProgramSettings& FSettings;
    TOptionsHost FHost;
    TClassesRoot FClasses;
    bool FAssociationsEnabled = true;
};

// The dialog that opens a cursor file for the editor's pen and fill or for a system cursor.
TFileDialog CursorFileDialog();

// The file exists as named: no wildcard, and not a folder.
bool PlainFileExists(const std::string& path);
