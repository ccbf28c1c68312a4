// The file options page: title and author, the monochrome cursor and the icon-library
// version options.
#include "app/FileOptionsPage.h"

#include "app/EditorLink.h"
#include "app/MainForm.h"
#include "ui/PageLayout.h"
#include "app/VersionDlg.h"
#include "formats/MonoCursor.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"

using P = TFileOptionsPage;

TFileOptionsPage::TFileOptionsPage(TControl* p, TControl& owner, TCursorDocument& doc, TFileOptionsHost host)
    : FOwner(owner), FDoc(doc), FHost(std::move(host)) {
    BuildControls<P, TCheckBox>(*this, p, {{&P::InsertInfo, "InsertInfo", "タイトルと作者を含める", 12, 12, 200, 18}});
    BuildControls<P, TEdit>(*this, p, {{&P::IName, "IName", "", 12, 36, 300, 22}, {&P::IArt, "IArt", "", 12, 64, 300, 22}});
    BuildControls<P, TCheckBox>(*this, p,
                                {{&P::InsertMonoCur, "InsertMonoCur", "モノクロカーソルを含める(ANI)", 12, 100, 240, 18}});
    IName->OnChange = [this](TControl*) { FDoc.SetTitle(IName->Text()); };
    IArt->OnChange = [this](TControl*) { FDoc.SetAuthor(IArt->Text()); };

    BuildControls<P, TGroupBox>(*this, p, {{&P::Panel7, "Panel7", "モノクロカーソル", 8, 130, 490, 110,
                                             "オリジナルのマークなどを含めることができます。"}});
    TControl* group = Panel7.get();
    BuildControls<P, TPanel>(*this, group, {{&P::Panel8, "Panel8", nullptr, 14, 22, 38, 38}});
    Panel8->SetBevelOuter(TBevel::bvLowered);
    BuildControls<P, TImage>(*this, Panel8.get(), {{&P::MonoCurImage, "MonoCurImage", nullptr, 3, 3, 32, 32}});
    BuildControls<P, TValueBox>(*this, group,
                                {
                                    {&P::MonoX, "MonoX", nullptr, 62, 30, 50, 20},
                                    {&P::MonoY, "MonoY", nullptr, 118, 30, 50, 20},
                                });
    for (TValueBox* v : {MonoX.get(), MonoY.get()}) v->SetMax(31);
    std::vector<std::string> names;
    for (const MonoTemplateInfo& t : kMonoTemplates) names.push_back(t.Name);
    ComboBox1 = std::make_unique<TComboBox>(group, "ComboBox1", names);
    ComboBox1->SetBounds(14, 70, 154, 300);
    ComboBox1->SetHint("Windowsカーソルリスト");
    BuildControls<P, TButton>(*this, group,
                              {
                                  {&P::OpenMonoIcon, "OpenMonoIcon", "開く", 190, 28, 80, 24, "モノクロ開く"},
                                  {&P::EditMonoBtn, "EditMonoBtn", "編集", 276, 28, 80, 24, "モノクロ編集"},
                                  {&P::SaveMonoIcon, "SaveMonoIcon", "保存", 362, 28, 80, 24, "モノクロ保存"},
                              });
    for (TFileDialog* d : {&OpenMonoDlg, &SaveMonoDlg}) {
        d->Filter = "モノクロカーソル(*.cur)|*.cur";
        d->DefaultExt = "cur";
    }
    OpenMonoDlg.FileMustExist = true;
    SaveMonoDlg.OverwritePrompt = true;

    BuildControls<P, TCheckBox>(
        *this, p, {{&P::InsertVersion, "InsertVersion", "ライブラリにバージョン情報を含める", 12, 256, 260, 18}});
    BuildControls<P, TButton>(*this, p, {{&P::VerEditBtn, "VerEditBtn", "バージョン情報編集", 280, 252, 140, 26}});

    ComboBox1->OnChange = [this](TControl*) { ComboBox1Change(); };
    OpenMonoIcon->OnClick = [this](TControl*) { OpenMonoCurClick(); };
    SaveMonoIcon->OnClick = [this](TControl*) { SaveMonoCurClick(); };
    EditMonoBtn->OnClick = [this](TControl*) { EditMonoBtnClick(); };
    InsertMonoCur->OnClick = [this](TControl*) { InsertMonoCurClick(); };
    InsertInfo->OnClick = [this](TControl*) { FDoc.SetInsertInfo(InsertInfo->Checked()); };
    // The hotspot is part of the cursor shown.
    MonoX->OnChange = [this](TControl*) {
        FDoc.SetMonoX(MonoX->Value());
        ShowMonoCursor();
    };
    MonoY->OnChange = [this](TControl*) {
        FDoc.SetMonoY(MonoY->Value());
        ShowMonoCursor();
    };
    InsertVersion->OnClick = [this](TControl*) { InsertVersionClick(); };
    VerEditBtn->OnClick = [this](TControl*) { VerEditBtnClick(); };
    Reset();  // the page may be made long after the document changed
}

void TFileOptionsPage::Reset() {
    ShowAniOptions();
    ShowTitleAndAuthor();
}

void TFileOptionsPage::ShowAniOptions() {
    // Copied first: every control writes what it shows back into the document.
    const TAniOptions o = FDoc.AniOptions();
    InsertInfo->SetChecked(o.InsertInfo);
    InsertMonoCur->SetChecked(o.InsertMonoCur);
    MonoX->SetValue(o.MonoX);
    MonoY->SetValue(o.MonoY);
    ShowMonoCursor();
}

void TFileOptionsPage::ShowTitleAndAuthor() {
    // Copied first: setting an edit's text writes it back into the document.
    const std::string title = FDoc.Title(), author = FDoc.Author();
    IName->SetText(title);
    IArt->SetText(author);
}

// ---- the monochrome cursor

TCursorHandle TFileOptionsPage::BuildMonoCursor() const {
    return CreateMonoCursor(FDoc.MonoCursor(), FDoc.AniOptions().MonoX, FDoc.AniOptions().MonoY);
}

void TFileOptionsPage::ShowMonoCursor() {
    if (FDoc.HasMonoCursor()) MonoCurImage->SetCursor(BuildMonoCursor());
}

void TFileOptionsPage::SetMonoCursor(const MonoCursorRecord& record, int hotX, int hotY) {
    FDoc.SetMonoCursor(record);
    FDoc.SetMonoX(hotX);
    FDoc.SetMonoY(hotY);
    ShowAniOptions();
}

void TFileOptionsPage::ComboBox1Change() {
    int n = ComboBox1->ItemIndex();
    if (n < 0) return;
    std::vector<uint8_t> data = FHost.Templates();
    MonoCursorRecord record;
    if (data.size() < kCurDataBytes || !LoadMonoTemplate(data.data(), data.size(), n, record)) return;
    SetMonoCursor(record, kMonoTemplates[static_cast<std::size_t>(n)].HotX, kMonoTemplates[static_cast<std::size_t>(n)].HotY);
}

void TFileOptionsPage::OpenMonoCurClick() {
    OpenMonoDlg.InitialDir = WindowsCursorFolder();
    if (!OpenMonoDlg.Execute(FOwner.Handle())) return;
    MonoCursorRecord record;
    int hx = 0, hy = 0;
    if (ReadMonoCurFile(OpenMonoDlg.FileName, record, hx, hy) != MonoCurRead::Read) {
        FHost.Report("このファイルはモノクロカーソルではありません。", TMessageCaption::OpenedFile, TMessageIcon::Information);
        return;
    }
    SetMonoCursor(record, hx, hy);
    ComboBox1->SetItemIndex(-1);
}

void TFileOptionsPage::SaveMonoCurClick() {
    if (!FDoc.HasMonoCursor()) return;
    SaveMonoDlg.InitialDir = WindowsCursorFolder();
    if (!SaveMonoDlg.Execute(FOwner.Handle())) return;
    if (!WriteMonoCurFile(SaveMonoDlg.FileName, FDoc.MonoCursor(), FDoc.AniOptions().MonoX, FDoc.AniOptions().MonoY))
        FHost.Report("何らかの原因でファイルを書きこめません。", TMessageCaption::Application, TMessageIcon::Warning);
}

void TFileOptionsPage::EditMonoBtnClick() {
    IImageEditor* editor = EditDlg.TryGet();
    if (!editor) return;
    editor->SetMonoMode(true);
    editor->LoadImageData(MonoCursorToImage(FDoc.HasMonoCursor() ? &FDoc.MonoCursor() : nullptr));
    if (editor->ShowModal() == mrOk) {
        FDoc.SetMonoCursor(MonoCursorFromPixels(editor->EditedImage().Pixels));
        ShowMonoCursor();
        ComboBox1->SetItemIndex(-1);
    }
    editor->SetMonoMode(false);
}

void TFileOptionsPage::InsertMonoCurClick() {
    if (!FDoc.SetInsertMonoCur(InsertMonoCur->Checked())) InsertMonoCur->SetChecked(false);
}

// ---- the icon-library version

bool TFileOptionsPage::IncludesVersion() const {
    TVersion* version = Version.IfMade();  // not made: no version information yet
    return InsertVersion->Checked() && version && version->FVersionStream.Size() > 0;
}

void TFileOptionsPage::InsertVersionClick() {
    if (!InsertVersion->Checked()) return;
    TVersion* version = Version.TryGet();
    if (!version || version->FVersionStream.Size() > 0) return;
    ShowMessageBox(FOwner.Handle(), "まだバージョン情報が作成されていません。", TApplication::Instance().Title(), MB_OK);
    InsertVersion->SetChecked(false);
}

void TFileOptionsPage::VerEditBtnClick() {
    TVersion* version = Version.TryGet();
    if (!version) return;
    version->BuildContents();
    if (version->FVersionStream.Size() == 0) {
        // Before the first block: the document's title and author, and today's date as
        // the first line of the current detail item.
        version->Edit1->SetText(FDoc.Title());
        version->Edit2->SetText(FDoc.Author());
        SYSTEMTIME now{};
        GetLocalTime(&now);
        std::vector<std::string> lines = version->Memo1->Lines();
        const std::string date = CreationDateText(now.wYear, now.wMonth, now.wDay);
        if (lines.empty()) lines.push_back(date);
        else lines.front() = date;
        version->Memo1->SetLines(lines);
        version->Memo1Exit();
    }
    version->ShowModal();
}
