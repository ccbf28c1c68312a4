// The main window's icon-library options (the version resource) and the inputs of the
// writers that take the whole document or the current image.
#include <windows.h>

#include "app/MainForm.h"
#include "app/VersionDlg.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"

void TForm1::BuildLibraryControls() {
    InsertVersion = std::make_unique<TCheckBox>(Page3, "InsertVersion", "ライブラリにバージョン情報を含める");
    InsertVersion->SetBounds(12, 256, 260, 18);
    InsertVersion->OnClick = [this](TControl*) { InsertVersionClick(); };
    VerEditBtn = std::make_unique<TButton>(Page3, "VerEditBtn", "バージョン情報編集");
    VerEditBtn->SetBounds(280, 252, 140, 26);
    VerEditBtn->OnClick = [this](TControl*) { VerEditBtnClick(); };
}

void TForm1::InsertVersionClick() {
    if (!InsertVersion->Checked() || !Version || Version->FVersionStream.Size() > 0) return;
    ShowMessageBox(FHandle, "まだバージョン情報が作成されていません。", TApplication::Instance().Title(), MB_OK);
    InsertVersion->SetChecked(false);
}

void TForm1::VerEditBtnClick() {
    if (!Version) return;
    if (Version->FVersionStream.Size() == 0) {
        // Before the first block: the document's title and author, and today's date as
        // the first line of the current detail item.
        Version->Edit1->SetText(IName->Text());
        Version->Edit2->SetText(IArt->Text());
        SYSTEMTIME now{};
        GetLocalTime(&now);
        std::vector<std::string> lines = Version->Memo1->Lines();
        const std::string date = CreationDateText(now.wYear, now.wMonth, now.wDay);
        if (lines.empty()) lines.push_back(date);
        else lines.front() = date;
        Version->Memo1->SetLines(lines);
        Version->Memo1Exit();
    }
    Version->ShowModal();
}

IconLibraryInput TForm1::LibraryInput(AniSaveMode mode) const {
    IconLibraryInput in;
    for (int i = 0; i < EntryCount(); ++i) {
        in.Images.push_back(&Entry(i));
        in.Names.push_back(FDoc.ListName(i));
    }
    in.SaveMode = mode;
    in.InsertVersion = InsertVersion->Checked() && Version && Version->FVersionStream.Size() > 0;
    if (in.InsertVersion) in.Version = Version->FVersionStream.Bytes();
    return in;
}

CCURSOR TForm1::CurrentImageForWriters() const {
    CCURSOR image = Entry(FDoc.CurImage());
    image.Transparent = FDoc.Transparent();
    image.TransX = FDoc.TransX();
    image.TransY = FDoc.TransY();
    return image;
}
