#pragma once
// TForm1: the main window with its six pages. This file holds the window's life cycle
// (creation, first paint, close) and the settings read at start and written at close; the
// document and the pages live in files and classes of their own.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/AboutPage.h"
#include "app/CommandLine.h"
#include "app/CursorDocument.h"
#include "app/DropPanel.h"
#include "app/EditorLink.h"
#include "app/FileOptionsPage.h"
#include "app/FramePage.h"
#include "app/ImagePage.h"
#include "app/IconEx.h"
#include "app/MessageKinds.h"
#include "app/SettingsKeys.h"
#include "formats/AniFile.h"
#include "formats/IconLibrary.h"
#include "formats/Spiload.h"
#include "base/Stream.h"
#include "ui/Button.h"
#include "ui/Form.h"
#include "ui/FileDialogs.h"
#include "ui/PageControl.h"
#include "ui/Panel.h"
#include "ui/Timer.h"
#include "system/OptionsPage.h"
#include "system/SystemCursorPage.h"
#include "ui/FirstUse.h"

class TForm1 : public TForm {
public:
    // commandLine: the program's arguments as one text (no program name); keys: where
    // the settings are read at start and written at close.
    TForm1(HINSTANCE instance, const std::string& commandLine, TSettingsKeys keys);
    ~TForm1() override;

    // Window events.
    void FormCreate();
    void FormPaint();
    void FormClose();

    bool ReadSettings();
    void WriteSettings();
    void Timer3Timer();

    // Help at its first topic, context 1, on every page (no control is bound to Button1Click).
    static constexpr ULONG_PTR kHelpContext = 1;
    void Button1Click();
    void SpeedButton1Click();

    // The main window's message box for itself and the readers and writers.
    void ReportMessage(const std::string& text, TMessageCaption kind, TMessageIcon icon);

    // The document the pages show.
    const TCursorDocument& Document() const { return FDoc; }
    int LastImage() const { return FDoc.LastImage(); }
    int CurImage() const { return FDoc.CurImage(); }
    bool TransparentOn() const { return FDoc.Transparent(); }
    const CCURSOR& Entry(int i) const { return FDoc.Entry(i); }
    int EntryCount() const { return FDoc.Count(); }
    const PixelBlock& CurPixels() const { return FDoc.CurPixels(); }
    const PixelBlock& OutPixels() const { return FDoc.OutPixels(); }
    const ImagePalette& OutPalette() const { return FDoc.OutPalette(); }
    const MonoCursorRecord& MonoCursor() const { return FDoc.MonoCursor(); }

    // The pages change: the page entered is told.
    void TabPanelChange();
    // The whole document as the animated-cursor writer takes it (the frame tables as built last).
    AniWriteInput AniInput(AniSaveMode mode) const;

    // Files dropped, opened or named on the command line (the import dispatcher).
    virtual void DropPanel1DropFiles(TControl* sender, const std::vector<std::string>& files);

    // Import and save: handlers and members of the file commands.
    void OpenBtnClick();
    void PasteClipBtnClick();
    void CopyClipBtnClick();
    void SaveANIBtnClick();
    void SaveIconBtnClick();
    void BuildSaveFilters();
    // One file into the document: an image (or an animated cursor's images) added, or nothing.
    enum class TOpenResult : uint8_t { Added = 0, NothingAdded = 1 };
    TOpenResult OpenImageFile(const std::string& path);
    std::unique_ptr<TIconEx> IconEx1;  // invisible: the icon and cursor codec
    TSpiload Spiload1;                 // the picture plug-ins of the chosen folder
    TFileDialog OpenDialog1{TFileDialogKind::Open};
    TFileDialog SaveAniDlg{TFileDialogKind::Save};
    TFileDialog SaveDlg{TFileDialogKind::Save};
    TFileDialog OpenCustumCur = CursorFileDialog();  // the cursor files of 設定1 and 設定2

    // State read by tests and by the other pages.
    const TSettingsKeys& SettingsKeys() const { return FKeys; }
    const std::string& StartDir() const { return FStartDir; }
    const std::string& ExePath() const { return FExePath; }
    const std::string& Path() const { return FPath; }
    const std::string& DocName() const { return FDocName; }
    // The editor's options: its own when it exists, else those it will be made with (asking
    // makes no editor).
    TEditorOptions EditorOptions() const {
        const IImageEditor* editor = EditDlg.IfMade();
        return editor ? editor->Options() : FEditor;
    }
    bool SchemesRead() const { return CursorPage->SchemesRead(); }
    // The settings kept between runs, as the options page shows and edits them.
    const TProgramSettings& Settings() const { return FSettings; }
    bool HasCurData() const { return FCurData != nullptr; }

    // Components (names as the window's own).
    std::unique_ptr<TDropPanel> DropPanel1;  // over the whole client area: every control lies on it
    std::unique_ptr<TPageControl> PageControl1;
    TTabSheet* Page1 = nullptr;  // owned by PageControl1
    TTabSheet* Page2 = nullptr;
    TTabSheet* Page3 = nullptr;
    TTabSheet* Page4 = nullptr;
    TTabSheet* Page5 = nullptr;
    TTabSheet* Page6 = nullptr;
    std::unique_ptr<TSpeedButton> SpeedButton1;
    std::unique_ptr<TButton> SaveIconBtn;
    std::unique_ptr<TButton> SaveANIBtn;

    // The page "イメージの編集" (the images, the current image and its cursor).
    std::unique_ptr<TImagePage> ImagePage;
    // The page "フレームの編集" (the frames, the preview, the animation test).
    TMadeOnFirstUse<TFramePage> FramePage;  // made when first needed (page entered, frames added)
    // The page "ﾌｧｲﾙｵﾌﾟｼｮﾝ" (title and author, the monochrome cursor, icon-library options).
    TMadeOnFirstUse<TFileOptionsPage> FileOptionsPage;  // made when first needed

    // The pages "設定1" (options, associations) and "設定2" (system cursor schemes).
    TMadeOnFirstUse<TOptionsPage> OptionsPage;  // made when first needed
    std::unique_ptr<TSystemCursorPage> CursorPage;

    // The page "About".
    TMadeOnFirstUse<TAboutPage> AboutPage;  // made when first shown

    std::unique_ptr<TTimer> Timer3;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    // Import and save: private helpers.
    void BuildImportControls();
    // False when the file was refused (reported; the document is as it was).
    // Reads off the window thread (on the drop's worker, or a work of its own); the document
    // changes on the window thread.
    bool ReadAniIntoDocument(const std::string& path, bool replace);
    bool ReportAniResult(const std::string& path, const AniReadResult& result);
    // An animated cursor's decoded images, frames and options into the document.
    void TakeAniResult(AniReadResult& result);
    bool StoreImportedImage(const std::string& path, const struct ImportedImage& image);
    void FinishImport();
    struct PictureImportOptions ImportOptions();
    bool TakePicture(struct PictureImport& picture, struct ImportedImage& out);
    bool ImportFromLibrary(const std::string& path, struct ImportedImage& out);
    TColor IconBackground(bool oneBit);
    TColor AskBackColour(bool offerAll, bool& applyAll);
    // Reduces a picture with more colours than a palette holds (the reduction dialog).
    bool ReduceImportedPicture(struct PictureImport& picture, struct ImportedImage& out);
    // Shortcuts, library icons and plug-in pictures (MainFormImportShortcut, MainFormImportLibrary).
    std::optional<std::string> ResolveShortcut(const std::string& path);
    bool PickLibraryIcon(const std::string& path, TBitmap& picture);
    bool LoadPluginPicture(const std::string& path, TBitmap& picture);
    // The writers' views of the document and of the current image (its transparency as shown).
    IconLibraryInput LibraryInput(AniSaveMode mode) const;
    CCURSOR CurrentImageForWriters() const;

public:
    // Where a save command writes: the chosen folder and name, the row's extension, the mode.
    struct TSaveTarget {
        std::string Folder;  // ends with a backslash
        std::string Name;    // without extension
        std::string Extension;
        AniSaveMode Mode;
        std::string Path() const { return Folder + Name + "." + Extension; }
    };
    // One row of a save dialog's type box; Write is true when the file was written.
    struct TSaveFormat {
        const char* Label;
        const char* Extension;
        bool (*Write)(TForm1& form, const TSaveTarget& target);
    };
    // The rows of "すべて保存" (the whole document) and of the single-image save.
    static const std::vector<TSaveFormat>& DocumentSaveFormats();
    static const std::vector<TSaveFormat>& ImageSaveFormats();

private:
    bool SaveThroughDialog(TFileDialog& dialog, const std::vector<TSaveFormat>& formats);
    const CCURSOR& CurrentEntry() const;

    uint8_t FMultiDrop = 0;     // several files are being imported by one drop or open
    uint8_t FApplyBackAll = 0;  // one background colour for all icons of this drop
    TColor FBackAllColour = clBlack;
    bool FReduceCancelled = false;  // the user cancelled the colour reduction of this file
    bool FImporting = false;        // a drop or open is being read

    // The pages, each a class of its own, built in BuildComponents and fed by the window.
    void BuildComponents();
    void BuildImagePage();
    void BuildFramePage();
    void BuildFileOptionsPage();
    void BuildSystemPages();  // app/MainFormSystem_win.cpp
    // The plug-in loader takes the folder and lists its plug-ins.
    void UsePluginFolder(const std::string& folder);
    void ReadSystemCursors();
    // The cursor templates of the program's resources; empty when it has none.
    std::vector<uint8_t> TemplateBytes() const;
    void OpenCommandLineFile();

    HINSTANCE FInstance;
    std::string FCommandLine;
    TSettingsKeys FKeys;
    std::string FStartDir;
    std::string FExePath;
    std::string FPath;
    std::string FDocName;
    // The import options, the plug-in folder, the editor's custom cursors and the editor's
    // view options read at start (the last folder and the program's path stay in FPath and
    // FExePath and go into the record when it is read and written).
    TProgramSettings FSettings;
    // What 設定1 shows before it is made: whether the association buttons work, and the
    // plug-in folder read at start for its folder dialog.
    bool FAssociationsEnabled = true;
    std::optional<std::string> FPluginDialogFolder;
    void SetAssociationsEnabled(bool enabled);
    bool FOpenCmdLine = false;
    std::unique_ptr<TStream> FCurData;
    TEditorOptions FEditor;  // the options while no editor exists; a new editor takes them
    void SetEditorOptions(const TEditorOptions& options);
    void CustomCursorChanged(bool pen, bool use, const std::string& file);

    // The document: images, names, the current image, the frames, title and author, and
    // the monochrome cursor.
    TCursorDocument FDoc;
};

// The form the program names: the main window.
extern TForm1* Form1;

// The Windows folder + "\CURSORS".
std::string WindowsCursorFolder();
