// The version dialog and the icon-library options of the main window on real windows.
#include "app/MainWindowTestSupport.h"
#include "base/ByteIO.h"
#include "base/Text.h"

namespace {

const char* const kNoVersionYet = "まだバージョン情報が作成されていません。";

struct LibraryTest : MainWindowTest {
    LibraryTest() : MainWindowTest("tamsolo-library") {}
    // Shows the dialog through the main window's button; the "user" presses OK or Cancel.
    void EditVersion(bool ok) {
        version->OnShow = [this, ok](TControl*) {
            ++shown;
            SendMessageW((ok ? version->Button2 : version->Button1)->Handle(), BM_CLICK, 0, 0);
        };
        form->FileOptionsPage->VerEditBtnClick();
    }
    void SelectItem(int i) {
        version->ListBox1->SetItemIndex(i);
        version->ListBox1Click();
    }
    int shown = 0;
};

// The value of a key in the block's string table, or "(absent)".
std::string BlockValue(const TVersion& v, const std::string& key) {
    const std::vector<uint8_t>& b = const_cast<TVersion&>(v).FVersionStream.Bytes();
    for (std::size_t at = 108; at + 4 < b.size() && at < 92u + GetLE16(b.data() + 92);
         at += (GetLE16(b.data() + at) + 3u) & ~3u) {
        const std::string k(reinterpret_cast<const char*>(b.data() + at + 4));
        if (k == key) return SjisToUtf8(reinterpret_cast<const char*>(b.data() + at + 4 + ((k.size() + 4) & ~3u)));
    }
    return "(absent)";
}

} // namespace

TEST_F(LibraryTest, TheDialogStartsOnTheFirstItemWithNoBlock) {
    EXPECT_EQ(version->Caption(), "アイコンライブラリのプロパティ");
    EXPECT_EQ(version->ListBox1->Count(), 7);
    EXPECT_EQ(version->ListBox1->Item(6), "内部名");
    EXPECT_EQ(version->ListBox1->ItemIndex(), 0);
    EXPECT_EQ(version->CurrentItem(), 0);
    EXPECT_EQ(version->Edit1->Text(), "Icon resource library");
    EXPECT_EQ(version->verLL->MaxValue(), 65535);
    version->verLL->SetText("70000");
    EXPECT_EQ(version->verLL->Value(), 65535);
    version->verLL->SetValue(0);
    SendMessageW(version->verLL->Handle(), WM_KEYDOWN, VK_UP, 0);  // the pair steps the number
    SendMessageW(version->verLL->Handle(), WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(version->verLL->Value(), 2);
    EXPECT_EQ(FindComponent(version->Handle(), "verLL.UpDown"), version->verLL->UpDownHandle());
    version->verLL->SetValue(0);
    EXPECT_EQ(version->FVersionStream.Size(), 0);
    for (const char* name : {"verMM", "verML", "verLM", "verLL", "Edit1", "Edit2", "ListBox1", "Memo1", "Button1", "Button2"})
        EXPECT_NE(FindComponent(version->Handle(), name), nullptr) << name;
}

TEST_F(LibraryTest, ItemsKeepTheirLinesAndOnlyTheFirstLineIsBuilt) {
    SelectItem(1);
    version->Memo1->SetLines({"会社", "二行目"});
    version->Memo1Exit();
    SelectItem(4);
    EXPECT_TRUE(version->Memo1->Lines().empty());
    version->Memo1->SetLines({"製品 1.0"});
    SelectItem(1);
    EXPECT_EQ(version->Memo1->Lines(), (std::vector<std::string>{"会社", "二行目"}));
    EXPECT_EQ(version->ItemLines(4), (std::vector<std::string>{}));  // never committed: the focus never left

    version->verMM->SetValue(1);
    version->verML->SetValue(2);
    version->verLM->SetValue(3);
    version->verLL->SetValue(2002);
    version->Edit2->SetText("作者 2026");
    version->Button2Click();
    EXPECT_EQ(version->ModalResult(), mrOk);
    EXPECT_EQ(BlockValue(*version, "CompanyName"), "会社");
    EXPECT_EQ(BlockValue(*version, "FileVersion"), "1.2.3.2002");
    EXPECT_EQ(BlockValue(*version, "LegalCopyright"), "作者 2026");
    EXPECT_EQ(BlockValue(*version, "FileDescription"), "Icon resource library");
    EXPECT_EQ(version->ItemLines(9), (std::vector<std::string>{"1.2.3.2002"}));
    EXPECT_EQ(version->FVersionStream.Position(), 0);
    const int64_t longBlock = version->FVersionStream.Size();

    // A shorter block replaces the longer one entirely.
    version->Memo1->SetLines({});
    version->Memo1Exit();
    version->Button2Click();
    EXPECT_EQ(version->FVersionStream.Size(), longBlock - 4);  // "会社" took 8 bytes, no text 4
    EXPECT_EQ(GetLE16(version->FVersionStream.Bytes().data()), version->FVersionStream.Size());
}

TEST_F(LibraryTest, TheFirstEditPresetsTitleAuthorAndDateOnce) {
    form->FileOptionsPage->IName->SetText("歩く猫");
    form->FileOptionsPage->IArt->SetText("作者");
    EditVersion(false);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(version->Edit1->Text(), "歩く猫");
    EXPECT_EQ(version->Edit2->Text(), "作者");
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const std::string date = "作成日: " + std::to_string(now.wYear) + "/";
    ASSERT_FALSE(version->ItemLines(0).empty());
    EXPECT_EQ(version->ItemLines(0).front().substr(0, date.size()), date);
    EXPECT_EQ(version->ItemLines(0).front().size(), date.size() + 5);  // mm/dd
    EXPECT_EQ(version->FVersionStream.Size(), 0);  // cancelled: no block

    EditVersion(true);
    EXPECT_GT(version->FVersionStream.Size(), 0);
    EXPECT_EQ(BlockValue(*version, "FileDescription"), "歩く猫");
    form->FileOptionsPage->IName->SetText("別の名前");
    version->Edit1->SetText("説明");
    EditVersion(false);
    EXPECT_EQ(version->Edit1->Text(), "説明");  // a block exists: nothing is preset again
}

TEST_F(LibraryTest, ADialogBuiltOnFirstUseIsBuiltByTheEditButtonBeforeItsPreset) {
    // As the program makes it: no controls until the first edit, which presets them.
    version = std::make_unique<TVersion>(TDialogContents::OnFirstUse);
    Version = version.get();
    EXPECT_EQ(GetWindow(version->Handle(), GW_CHILD), nullptr);
    EXPECT_EQ(version->ListBox1, nullptr);
    form->FileOptionsPage->IName->SetText("歩く猫");
    EditVersion(true);
    EXPECT_EQ(shown, 1);
    ASSERT_NE(version->Edit1, nullptr);
    EXPECT_EQ(version->Edit1->Text(), "歩く猫");
    EXPECT_EQ(version->ListBox1->ItemIndex(), 0);
    EXPECT_EQ(BlockValue(*version, "FileDescription"), "歩く猫");
}

TEST_F(LibraryTest, IncludingTheVersionNeedsABuiltBlock) {
    form->FileOptionsPage->InsertVersion->SetChecked(true);
    form->FileOptionsPage->InsertVersionClick();
    EXPECT_FALSE(form->FileOptionsPage->InsertVersion->Checked());
    EXPECT_EQ(Messages(), (std::vector<std::string>{kNoVersionYet}));
    EditVersion(true);
    boxes.Calls.clear();
    form->FileOptionsPage->InsertVersion->SetChecked(true);
    form->FileOptionsPage->InsertVersionClick();
    EXPECT_TRUE(form->FileOptionsPage->InsertVersion->Checked());
    EXPECT_TRUE(boxes.Calls.empty());
}
