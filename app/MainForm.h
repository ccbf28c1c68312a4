#pragma once
// TForm1: the main window with its six pages. This file holds the window's life cycle
// (creation, first paint, close), the settings read at start and written at close, and
// the About page; the document and the pages' commands live in files of their own.
#include <memory>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/ValueBox.h"
#include "base/Stream.h"
#include "ui/Button.h"
#include "ui/Edit.h"
#include "ui/Form.h"
#include "ui/Image.h"
#include "ui/PageControl.h"
#include "ui/Panel.h"
#include "ui/Timer.h"

// What the main window hands to the pixel editor once after start and reads back at
// close: the editor's view options and its custom tool cursors.
struct TEditorOptions {
    bool Grid = false;
    bool PalSel = false;
    bool PalRGB = false;
    bool PalCMY = false;
    bool PalHSL = false;
    bool TransMode = false;
    bool UseCustomPen = false;
    bool UseCustomFill = false;
    std::string CustomPenFile;
    std::string CustomFillFile;
};

// The registry keys the program reads and writes.
extern const char* const kSettingsKey;  // "Software\Brannoch\Tamsolo"
extern const char* const kSusieKey;     // "Software\Halvik\Susie\Plug-in"

class TForm1 : public TForm {
public:
    // commandLine: the program's arguments as one text (no program name).
    TForm1(HINSTANCE instance, const std::string& commandLine);
    ~TForm1() override;

    // Window events.
    void FormCreate();
    void FormPaint();
    void FormClose();

    bool ReadSettings();
    void WriteSettings();
    void Timer3Timer();

    // Options page handlers used by start-up (custom editor cursors).
    void CustumPenClick();
    void CustumFillClick();

    // About page.
    void Label15Click();
    void Label15MouseMove();
    void Page6MouseMove();
    void Image6Click();
    void Button1Click();
    void SpeedButton1Click();

    // Files dropped, opened or named on the command line (the import dispatcher).
    virtual void DropPanel1DropFiles(TControl* sender, const std::vector<std::string>& files);

    // State read by tests and by the other pages.
    const std::string& StartDir() const { return FStartDir; }
    const std::string& ExePath() const { return FExePath; }
    const std::string& Path() const { return FPath; }
    const std::string& DocName() const { return FDocName; }
    const TEditorOptions& EditorOptions() const { return FEditor; }
    bool SchemesRead() const { return FSchemesRead; }
    bool HasCurData() const { return FCurData != nullptr; }

    // Components (names as the window's own).
    std::unique_ptr<TPageControl> PageControl1;
    TTabSheet* Page1 = nullptr;  // owned by PageControl1
    TTabSheet* Page2 = nullptr;
    TTabSheet* Page3 = nullptr;
    TTabSheet* Page4 = nullptr;
    TTabSheet* Page5 = nullptr;
    TTabSheet* Page6 = nullptr;
    std::unique_ptr<TSpeedButton> SpeedButton1;

    // Settings 1 page.
    std::unique_ptr<TGroupBox> GroupBox1;
    std::unique_ptr<TCheckBox> ResizeCheck;
    std::unique_ptr<TCheckBox> ReduceCheck;
    std::unique_ptr<TCheckBox> NoDlgDisp;
    std::unique_ptr<TCheckBox> Henpei;
    std::unique_ptr<TLabel> Label12;
    std::unique_ptr<TPanel> DefCol;
    std::unique_ptr<TLabel> Label13;
    std::unique_ptr<TPanel> Panel13;
    std::unique_ptr<TButton> BrowseSpiBtn;
    std::unique_ptr<TLabel> Label14;
    std::unique_ptr<TButton> shellico;
    std::unique_ptr<TButton> shellcur;
    std::unique_ptr<TButton> shellani;
    std::unique_ptr<TButton> shellbmp;
    std::unique_ptr<TGroupBox> GroupBox2;
    std::unique_ptr<TCheckBox> CustumPen;
    std::unique_ptr<TEdit> Panel14;
    std::unique_ptr<TButton> CustumPenBtn;
    std::unique_ptr<TCheckBox> CustumFill;
    std::unique_ptr<TEdit> Panel15;
    std::unique_ptr<TButton> CustumFillBtn;

    // About page.
    std::unique_ptr<TLabel> Label16;
    std::unique_ptr<TLabel> Label17About;
    std::unique_ptr<TLabel> Label15;
    std::unique_ptr<TPanel> Panel16;
    std::unique_ptr<TImage> Image6;
    std::unique_ptr<TImage> Image7;

    std::unique_ptr<TTimer> Timer3;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void BuildComponents();
    void BuildSettingsPage();
    void BuildAboutPage();
    void OpenCommandLineFile();

    HINSTANCE FInstance;
    std::string FCommandLine;
    std::string FStartDir;
    std::string FExePath;
    std::string FPath;
    std::string FDocName;
    bool FGrid = false, FPalSel = false, FPalRGB = false, FPalCMY = false, FPalHSL = false, FTransM = false;
    bool FOpenCmdLine = false;
    std::string FBrowseFolder;  // initial folder of the plug-in folder picker
    std::string FSpiPath;       // the plug-in loader's folder
    bool FSchemesRead = false;
    std::unique_ptr<TStream> FCurData;
    TEditorOptions FEditor;
};

// The form the program names: the main window.
extern TForm1* Form1;

// The Windows folder + "\CURSORS".
std::string WindowsCursorFolder();
