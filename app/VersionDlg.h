#pragma once
// TVersion: the dialog in which the version strings of icon libraries are edited; OK
// turns them into the version block that the library writer copies.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "base/Stream.h"
#include "formats/VersionBlock.h"
#include "ui/Button.h"
#include "ui/Edit.h"
#include "ui/FirstUse.h"
#include "ui/Form.h"
#include "ui/ListBox.h"
#include "ui/PageControl.h"
#include "ui/Panel.h"
#include "ui/SpinEdit.h"

class TVersion : public TForm {
public:
    explicit TVersion(TDialogContents contents = TDialogContents::Now);
    // Builds the controls unless they are there (OnFirstUse); ShowModal builds them too.
    void BuildContents();
    int ShowModal();

    // Shows item i of the detail list in Memo1 and makes it the current item.
    void ListBox1Click();
    // Stores Memo1's lines into the current item.
    void Memo1Exit();
    // Builds the block and closes with OK.
    void Button2Click();

    // The values as the block takes them: the first line of each item.
    VersionValues Values() const;
    // The item texts (items 0 to 6 from Memo1, 7 to 9 set by OK) and the current item.
    const std::vector<std::string>& ItemLines(int item) const { return FItems.at(static_cast<std::size_t>(item)); }
    int CurrentItem() const { return FCurrentItem; }
    // The last block built; empty until OK was pressed once.
    TMemoryStream FVersionStream;

    std::unique_ptr<TPageControl> PageControl1;
    TTabSheet* TabSheet1 = nullptr;  // owned by PageControl1
    std::unique_ptr<TLabel> Label1, Label2, Label3, Label4, Label5, Label6, Label7;
    std::unique_ptr<TSpinEdit> verMM, verML, verLM, verLL;
    std::unique_ptr<TEdit> Edit1, Edit2;
    std::unique_ptr<TPanel> GroupBox1;  // the framed "詳細" area
    std::unique_ptr<TListBox> ListBox1;
    std::unique_ptr<TMemo> Memo1;
    std::unique_ptr<TButton> Button2, Button1;

private:
    std::array<std::vector<std::string>, kVersionItems> FItems;
    int FCurrentItem = 0;
};

// The dialog the program names (created at start, lives for the whole run).
// The version dialog of the whole run, made when first used (a test may lend its own).
extern TMadeOnFirstUse<TVersion> Version;
