#pragma once
// The page "ﾌｧｲﾙｵﾌﾟｼｮﾝ" of the main window: whether the title and author go into the
// animated cursor (the edits show the document's), the document's monochrome cursor (from
// a template, a two-colour .cur file or the editor, saved to such a file) and the
// icon-library options (the version resource). The main window hosts the page and tells
// it through TFileOptionsHost what it needs from the rest of the program.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CursorDocument.h"
#include "app/MessageKinds.h"
#include "app/ValueBox.h"
#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/Edit.h"
#include "ui/FileDialogs.h"
#include "ui/Image.h"
#include "ui/Panel.h"
#include "ui/Win.h"

struct TFileOptionsHost {
    // The main window's message box.
    std::function<void(const std::string& text, TMessageCaption kind, TMessageIcon icon)> Report;
    // The bytes of the cursor templates ("CurData"); empty when the program has none.
    std::function<std::vector<uint8_t>()> Templates;
};

class TFileOptionsPage {
public:
    // owner: the window that owns the page's dialogs and message boxes.
    TFileOptionsPage(TControl* page, TControl& owner, TCursorDocument& doc, TFileOptionsHost host);
    TFileOptionsPage(const TFileOptionsPage&) = delete;
    TFileOptionsPage& operator=(const TFileOptionsPage&) = delete;

    // The controls show the document's switches, title and author.
    void Reset();
    // InsertInfo, InsertMonoCur, MonoX and MonoY show the document's.
    void ShowAniOptions();
    // IName and IArt show the document's title and author.
    void ShowTitleAndAuthor();
    // A cursor made from the document's monochrome cursor and its hotspot.
    TCursorHandle BuildMonoCursor() const;
    // Installs a monochrome cursor in the document (templates, files, the .ani reader).
    void SetMonoCursor(const MonoCursorRecord& record, int hotX, int hotY);
    // The version block goes into icon libraries: asked for and built.
    bool IncludesVersion() const;

    // Handlers.
    void OpenMonoCurClick();
    void SaveMonoCurClick();
    void EditMonoBtnClick();
    void InsertMonoCurClick();
    void ComboBox1Change();
    void InsertVersionClick();
    void VerEditBtnClick();

    // Components (names as the window's own).
    std::unique_ptr<TCheckBox> InsertInfo;
    std::unique_ptr<TEdit> IName, IArt;
    std::unique_ptr<TCheckBox> InsertMonoCur;
    std::unique_ptr<TGroupBox> Panel7;
    std::unique_ptr<TPanel> Panel8;        // frames the picture
    std::unique_ptr<TImage> MonoCurImage;  // shows the document's monochrome cursor
    std::unique_ptr<TValueBox> MonoX, MonoY;
    std::unique_ptr<TComboBox> ComboBox1;
    std::unique_ptr<TButton> OpenMonoIcon, EditMonoBtn, SaveMonoIcon;
    std::unique_ptr<TCheckBox> InsertVersion;
    std::unique_ptr<TButton> VerEditBtn;
    TFileDialog OpenMonoDlg{TFileDialogKind::Open};
    TFileDialog SaveMonoDlg{TFileDialogKind::Save};

private:
    void ShowMonoCursor();
    TControl& FOwner;
    TCursorDocument& FDoc;
    TFileOptionsHost FHost;
};
