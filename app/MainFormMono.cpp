// The monochrome cursor page of the main window: the document's two-colour cursor, taken
// from a template, a two-colour .cur file or the editor, and saved to such a file.
#include "app/EditorLink.h"
#include "app/MainForm.h"
#include "ui/Cursor.h"

void TForm1::BuildMonoCursorPage() {
    TTabSheet* p = Page3;
    Panel7 = std::make_unique<TGroupBox>(p, "Panel7", "モノクロカーソル");
    Panel7->SetBounds(8, 130, 490, 110);
    Panel7->SetHint("オリジナルのマークなどを含めることができます。");
    Panel8 = std::make_unique<TPanel>(Panel7.get(), "Panel8");
    Panel8->SetBounds(14, 22, 38, 38);
    Panel8->SetBevelOuter(TBevel::bvLowered);
    MonoCurImage = std::make_unique<TImage>(Panel8.get(), "MonoCurImage");
    MonoCurImage->SetBounds(3, 3, 32, 32);
    MonoX = std::make_unique<TValueBox>(Panel7.get(), "MonoX");
    MonoX->SetBounds(62, 30, 50, 20);
    MonoY = std::make_unique<TValueBox>(Panel7.get(), "MonoY");
    MonoY->SetBounds(118, 30, 50, 20);
    for (TValueBox* v : {MonoX.get(), MonoY.get()}) v->SetMax(31);
    std::vector<std::string> names;
    for (const MonoTemplateInfo& t : kMonoTemplates) names.push_back(t.Name);
    ComboBox1 = std::make_unique<TComboBox>(Panel7.get(), "ComboBox1", names);
    ComboBox1->SetBounds(14, 70, 154, 300);
    ComboBox1->SetHint("Windowsカーソルリスト");
    OpenMonoIcon = std::make_unique<TButton>(Panel7.get(), "OpenMonoIcon", "開く");
    OpenMonoIcon->SetBounds(190, 28, 80, 24);
    OpenMonoIcon->SetHint("モノクロ開く");
    EditMonoBtn = std::make_unique<TButton>(Panel7.get(), "EditMonoBtn", "編集");
    EditMonoBtn->SetBounds(276, 28, 80, 24);
    EditMonoBtn->SetHint("モノクロ編集");
    SaveMonoIcon = std::make_unique<TButton>(Panel7.get(), "SaveMonoIcon", "保存");
    SaveMonoIcon->SetBounds(362, 28, 80, 24);
    SaveMonoIcon->SetHint("モノクロ保存");
    for (TFileDialog* d : {&OpenMonoDlg, &SaveMonoDlg}) {
        d->Filter = "モノクロカーソル(*.cur)|*.cur";
        d->DefaultExt = "cur";
    }
    OpenMonoDlg.FileMustExist = true;
    SaveMonoDlg.OverwritePrompt = true;

    ComboBox1->OnChange = [this](TControl*) { ComboBox1Change(); };
    OpenMonoIcon->OnClick = [this](TControl*) { OpenMonoCurClick(); };
    SaveMonoIcon->OnClick = [this](TControl*) { SaveMonoCurClick(); };
    EditMonoBtn->OnClick = [this](TControl*) { EditMonoBtnClick(); };
    InsertMonoCur->OnClick = [this](TControl*) { InsertMonoCurClick(); };
    // The hotspot is part of the cursor shown.
    for (TValueBox* v : {MonoX.get(), MonoY.get()})
        v->OnChange = [this](TControl*) {
            if (HasMonoCursor()) MonoCurImage->SetCursor(BuildMonoCursor());
        };
}

TCursorHandle TForm1::BuildMonoCursor() const {
    return CreateMonoCursor(FDoc.MonoCursor(), MonoX->Value(), MonoY->Value());
}

void TForm1::SetMonoCursor(const MonoCursorRecord& record, int hotX, int hotY) {
    FDoc.SetMonoCursor(record);
    MonoX->SetValue(hotX);
    MonoY->SetValue(hotY);
    MonoCurImage->SetCursor(BuildMonoCursor());
}

void TForm1::ComboBox1Change() {
    int n = ComboBox1->ItemIndex();
    if (n < 0 || !FCurData) return;
    std::vector<uint8_t> data(kCurDataBytes);
    if (FCurData->Size() < static_cast<int64_t>(kCurDataBytes)) return;
    FCurData->SetPosition(0);
    FCurData->ReadBuffer(data.data(), static_cast<int64_t>(data.size()));
    MonoCursorRecord record;
    if (!LoadMonoTemplate(data.data(), data.size(), n, record)) return;
    SetMonoCursor(record, kMonoTemplates[static_cast<std::size_t>(n)].HotX, kMonoTemplates[static_cast<std::size_t>(n)].HotY);
}

void TForm1::OpenMonoCurClick() {
    OpenMonoDlg.InitialDir = WindowsCursorFolder();
    if (!OpenMonoDlg.Execute(FHandle)) return;
    MonoCursorRecord record;
    int hx = 0, hy = 0;
    if (ReadMonoCurFile(OpenMonoDlg.FileName, record, hx, hy) != MonoCurRead::Read) {
        ReportMessage("このファイルはモノクロカーソルではありません。", 1, 0);
        return;
    }
    SetMonoCursor(record, hx, hy);
    ComboBox1->SetItemIndex(-1);
}

void TForm1::SaveMonoCurClick() {
    if (!HasMonoCursor()) return;
    SaveMonoDlg.InitialDir = WindowsCursorFolder();
    if (!SaveMonoDlg.Execute(FHandle)) return;
    if (!WriteMonoCurFile(SaveMonoDlg.FileName, FDoc.MonoCursor(), MonoX->Value(), MonoY->Value()))
        ReportMessage("何らかの原因でファイルを書きこめません。", 0, 1);
}

void TForm1::EditMonoBtnClick() {
    if (!EditDlg) return;
    EditDlg->SetMonoMode(true);
    EditDlg->LoadImageData(MonoCursorToImage(HasMonoCursor() ? &FDoc.MonoCursor() : nullptr));
    if (EditDlg->ShowModal() == mrOk) {
        FDoc.SetMonoCursor(MonoCursorFromPixels(EditDlg->EditedImage().Pixels));
        MonoCurImage->SetCursor(BuildMonoCursor());
        ComboBox1->SetItemIndex(-1);
    }
    EditDlg->SetMonoMode(false);
}

void TForm1::InsertMonoCurClick() {
    if (InsertMonoCur->Checked() && !HasMonoCursor()) InsertMonoCur->SetChecked(false);
}
