#pragma once
// The page "設定2" of the main window: the fifteen system cursors of the current scheme,
// the named schemes, one level of undo, and applying the result to Windows. It reads the
// registry once at start, edits a copy (TCursorSchemes) and writes back only on apply.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/MonoCursor.h"
#include "system/CursorSchemes.h"
#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/FileDialogs.h"
#include "ui/Form.h"
#include "ui/ListBox.h"
#include "ui/Panel.h"

// Where the cursor settings live: Windows' own keys, or keys of the tests' own.
struct TCursorKeys {
    HKEY Root = HKEY_CURRENT_USER;
    std::string Cursors = "Control Panel\\Cursors";
    std::string Schemes = "Control Panel\\Cursors\\Schemes";
};

// A cursor drawn from a two-colour record (bottom row first) with its hotspot.
TCursorHandle CreateMonoCursor(const MonoCursorRecord& record, int hotX, int hotY);

class TSystemCursorPage {
public:
    // openCursor: the open dialog for .cur and .ani files (owned by the options page).
    // OnFirstUse leaves the controls until BuildContents or PageEntered builds them; the
    // schemes can be read before.
    TSystemCursorPage(TControl* page, TFileDialog& openCursor, TDialogContents contents = TDialogContents::Now);
    ~TSystemCursorPage();
    TSystemCursorPage(const TSystemCursorPage&) = delete;
    TSystemCursorPage& operator=(const TSystemCursorPage&) = delete;

    void SetKeys(TCursorKeys keys) { FKeys = std::move(keys); }
    // The 15 two-colour templates ("CurData") that picture the standard cursors.
    void SetTemplates(std::vector<uint8_t> curData) { FCurData = std::move(curData); }

    // Reads the schemes and the active cursors; the result is kept as SchemesRead().
    bool ReadCursorSchemes();
    bool LoadSchemeCursor();
    void FreeSchemeCursors();
    bool SchemesRead() const { return FSchemesRead; }
    // Builds the controls, showing the schemes read so far, unless they are there.
    void BuildContents();
    bool ContentsBuilt() const { return GroupBox3 != nullptr; }
    // The page is shown: its controls are built; after a failed read its scheme controls
    // stay disabled.
    void PageEntered();

    // Handlers.
    void ListBox3DrawItem(int index, const RECT& rect, const TOwnerDrawState& state, TCanvas& canvas);
    void ListBox3Click();
    void WinCurDesinDropDown();
    void WinCurDesinChange();
    void AddWinDesBtnClick();
    void DelWinDesBtnClick();
    void UndoWinCurBtnClick();
    void WinDefCurBtnClick();
    void WinCurOpenClick();
    void tekiyoubtnClick();

    const TCursorSchemes& Schemes() const { return FSchemes; }
    HCURSOR SchemeCursor(int role) const;

    // Components (names as the window's own).
    std::unique_ptr<TGroupBox> GroupBox3;
    std::unique_ptr<TLabel> Label19;
    std::unique_ptr<TComboBox> WinCurDesin;
    std::unique_ptr<TButton> AddWinDesBtn, DelWinDesBtn;
    std::unique_ptr<TListBox> ListBox3;
    std::unique_ptr<TSpeedButton> UndoWinCurBtn, WinDefCurBtn, WinCurOpen, tekiyoubtn;

private:
    TCursorHandle RoleCursor(int role) const;
    void ShowSchemeText();
    void ReloadCursors();
    int Message(const std::string& text, const std::string& caption, UINT flags);
    bool Confirm(const std::string& text, const std::string& caption);
    void ShowSchemeNames();

    TControl* FPage;           // not owned
    TFileDialog& FOpenCursor;  // not owned
    TCursorKeys FKeys;
    std::vector<uint8_t> FCurData;
    TCursorSchemes FSchemes;
    // The cursors of the roles. Those of read schemes are loaded when first needed (the
    // list's first paint on the page), not at start.
    void LoadPendingCursors() const;
    mutable std::vector<TCursorHandle> FSchemeCursors;
    mutable bool FCursorsPending = false;
    TGdiObject FListFont;  // the list's font
    bool FSchemeTextLock = false;
    bool FSchemesRead = false;
};
