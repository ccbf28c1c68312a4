#include "app/VersionDlg.h"

TMadeOnFirstUse<TVersion> Version;

namespace {
// Captions of the detail items 0 to 6, in key order.
const std::vector<std::string> kDetailCaptions = {"コメント", "会社名", "商標", "正式ファイル名", "製品バージョン", "製品名", "内部名"};
constexpr int kDescriptionItem = 7;
constexpr int kCopyrightItem = 8;
constexpr int kFileVersionItem = 9;
}  // namespace

TVersion::TVersion(TDialogContents contents)
    : TForm("Version", "アイコンライブラリのプロパティ", 417, 368, TFormBorder::bsDialog) {
    CenterOnScreen();
    if (contents == TDialogContents::Now) BuildContents();
}

int TVersion::ShowModal() {
    BuildContents();
    return TForm::ShowModal();
}

void TVersion::BuildContents() {
    if (PageControl1) return;
    PageControl1 = std::make_unique<TPageControl>(this, "PageControl1");
    PageControl1->SetBounds(8, 8, 401, 318);
    TabSheet1 = PageControl1->AddPage("TabSheet1", "バージョン情報");
    TTabSheet* p = TabSheet1;
    Label1 = std::make_unique<TLabel>(p, "Label1", "ファイルバージョン :", 12, 10);
    Label2 = std::make_unique<TLabel>(p, "Label2", "メジャー　　　　マイナー　　　リリース　　　ビルド/年", 40, 30);
    const char* hints[4] = {"メジャーバージョン", "マイナーバージョン", "公開回数", "作成回数/作成年"};
    std::unique_ptr<TSpinEdit>* boxes[4] = {&verMM, &verML, &verLM, &verLL};
    const char* names[4] = {"verMM", "verML", "verLM", "verLL"};
    const int lefts[4] = {40, 134, 220, 304};  // under the words of the heading
    for (int i = 0; i < 4; ++i) {
        auto& box = *boxes[i];
        box = std::make_unique<TSpinEdit>(p, names[i], 0, 65535);
        box->SetBounds(lefts[i], 46, 56, 22);
        box->SetHint(hints[i]);
    }
    Label3 = std::make_unique<TLabel>(p, "Label3", "説明 :", 12, 84);
    Edit1 = std::make_unique<TEdit>(p, "Edit1", "Icon resource library");
    Edit1->SetBounds(100, 80, 280, 22);
    Edit1->SetHint("説明を入力します。");
    Label4 = std::make_unique<TLabel>(p, "Label4", "著作権 :", 12, 112);
    Edit2 = std::make_unique<TEdit>(p, "Edit2");
    Edit2->SetBounds(100, 108, 280, 22);
    Edit2->SetHint("著作権を入力します。");
    Label7 = std::make_unique<TLabel>(p, "Label7", "詳細", 12, 138);
    GroupBox1 = std::make_unique<TPanel>(p, "GroupBox1");
    GroupBox1->SetBevelOuter(TBevel::bvLowered);
    GroupBox1->SetBounds(8, 154, 380, 112);
    Label5 = std::make_unique<TLabel>(GroupBox1.get(), "Label5", "項目 :", 8, 6);
    ListBox1 = std::make_unique<TListBox>(GroupBox1.get(), "ListBox1");
    ListBox1->SetBounds(8, 22, 120, 82);
    ListBox1->SetHint("項目を選択すると、その情報があらわれます。");
    for (const std::string& c : kDetailCaptions) ListBox1->Add(c);
    Label6 = std::make_unique<TLabel>(GroupBox1.get(), "Label6", "情報 :", 138, 6);
    Memo1 = std::make_unique<TMemo>(GroupBox1.get(), "Memo1");
    Memo1->SetBounds(138, 22, 232, 82);
    Memo1->SetMaxLength(256);
    Memo1->WantTabs = true;
    Memo1->SetHint("指定された項目の情報を入力できます。");
    Button2 = std::make_unique<TButton>(this, "Button2", "OK");
    Button2->SetBounds(240, 334, 80, 26);
    Button2->SetDefault(true);
    Button1 = std::make_unique<TButton>(this, "Button1", "キャンセル");
    Button1->SetBounds(328, 334, 80, 26);
    Button1->SetModalResult(mrCancel);
    Button1->SetCancel(true);

    ListBox1->OnClick = [this](TControl*) { ListBox1Click(); };
    Memo1->OnExit = [this](TControl*) { Memo1Exit(); };
    Button2->OnClick = [this](TControl*) { Button2Click(); };
    ListBox1->SetItemIndex(0);
}

void TVersion::ListBox1Click() {
    const int i = ListBox1->ItemIndex();
    if (i < 0 || i >= static_cast<int>(kDetailCaptions.size())) return;
    Memo1->SetLines(FItems[static_cast<std::size_t>(i)]);
    FCurrentItem = i;
}

void TVersion::Memo1Exit() { FItems[static_cast<std::size_t>(FCurrentItem)] = Memo1->Lines(); }

VersionValues TVersion::Values() const {
    VersionValues v;
    for (std::size_t i = 0; i < FItems.size(); ++i)
        if (!FItems[i].empty()) v.Items[i] = FItems[i].front();
    const TSpinEdit* boxes[4] = {verMM.get(), verML.get(), verLM.get(), verLL.get()};
    for (int i = 0; i < 4; ++i) v.Version[i] = static_cast<uint16_t>(boxes[i]->Value());
    return v;
}

void TVersion::Button2Click() {
    Memo1Exit();  // the memo's text as typed, also when the focus never left it
    auto setFirst = [this](int item, const std::string& text) {
        auto& lines = FItems[static_cast<std::size_t>(item)];
        if (lines.empty()) lines.push_back(text);
        else lines.front() = text;
    };
    setFirst(kDescriptionItem, Edit1->Text());
    setFirst(kCopyrightItem, Edit2->Text());
    VersionValues v = Values();
    setFirst(kFileVersionItem, VersionText(v.Version));
    v.Items[kFileVersionItem] = FItems[kFileVersionItem].front();
    const std::vector<uint8_t> block = BuildVersionBlock(v);
    FVersionStream.SetSize(0);
    FVersionStream.SetPosition(0);
    FVersionStream.WriteBuffer(block.data(), static_cast<int64_t>(block.size()));
    FVersionStream.SetPosition(0);
    SetModalResult(mrOk);
}
