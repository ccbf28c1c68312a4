// The controls no window of the program places: the file drop hook, the number edit and the
// notification icon.
#include "app/FileDrop.h"
#include "app/ImportTestSupport.h"
#include "app/NumberEdit.h"
#include "app/TaskBar.h"
#include "app/WinTestSupport.h"
#include "ui/Form.h"

namespace {

TEST(FileDrop, ReportsADropOnceAndLeavesTheOwnersOtherMessagesAlone) {
    TApplication::Instance().Initialize();
    RecordedBoxes boxes;
    TForm form("DropHost", "host", 200, 100);
    std::vector<std::vector<std::string>> drops;
    {
        TFileDrop drop(&form);
        EXPECT_FALSE(drop.GetDragDropAccept());
        drop.SetDragDropAccept(true);
        EXPECT_TRUE(GetWindowLongW(form.Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
        drop.OnDropFiles = [&](TFileDrop* sender, int n, const std::vector<std::string>& names) {
            EXPECT_EQ(sender, &drop);
            EXPECT_EQ(n, static_cast<int>(names.size()));
            drops.push_back(names);
        };
        SendDrop(form.Handle(), {"C:\\a.ico", "C:\\" + std::string(300, 'y') + ".cur"});
        form.SetCaption("still mine");
        EXPECT_EQ(form.Caption(), "still mine");
        ASSERT_EQ(drops.size(), 1u);
        EXPECT_EQ(drops[0].size(), 2u);
        EXPECT_EQ(drops[0][1].size(), 307u);  // read at full length
    }
    EXPECT_FALSE(GetWindowLongW(form.Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    SendDrop(form.Handle(), {"C:\\b.ico"});
    EXPECT_EQ(drops.size(), 1u);
    form.SetCaption("after");
    EXPECT_EQ(form.Caption(), "after");
}

struct NumberEditTest : ::testing::Test {
    void SetUp() override { TApplication::Instance().Initialize(); }
    // Types characters as the keyboard would; returns the text afterwards.
    std::string Type(const std::string& keys) {
        for (char k : keys) {
            const int length = GetWindowTextLengthW(edit->Handle());
            edit->Perform(EM_SETSEL, length, length);
            edit->Perform(WM_CHAR, static_cast<WPARAM>(k), 1);
        }
        return edit->Text();
    }
    int Beeps() const {
        int n = 0;
        for (const TMessageBoxCall& c : boxes.Calls) n += c.Caption == "<beep>";
        return n;
    }
    RecordedBoxes boxes;
    TForm form{"NumberHost", "host", 200, 100};
    std::unique_ptr<TNumberEdit> edit = std::make_unique<TNumberEdit>(&form, "NumberEdit1");
};

TEST_F(NumberEditTest, TakesOnlyKeystrokesThatKeepANumberWithinTheBounds) {
    EXPECT_EQ(edit->Text(), "0");
    edit->SetText("");
    edit->MinValue = 0;
    edit->MaxValue = 100;
    EXPECT_EQ(Type("101"), "10");
    EXPECT_EQ(Beeps(), 1);
    edit->SetText("");
    EXPECT_EQ(Type("-"), "");
    edit->MinValue = -5;
    edit->MaxValue = 5;
    EXPECT_EQ(Type("-3"), "-3");
    EXPECT_EQ(edit->GetValue(), -3);
    edit->SetText("");
    EXPECT_EQ(edit->GetValue(), -5);
    EXPECT_EQ(edit->Text(), "-5");
    edit->SetValue(80);
    EXPECT_EQ(edit->Text(), "5");
    edit->MinValue = edit->MaxValue = 0;  // no bounds
    edit->SetText("");
    EXPECT_EQ(Type("-2147483648"), "-2147483648");
    edit->SetValue(-77);
    EXPECT_EQ(edit->GetValue(), -77);
}

TEST_F(NumberEditTest, RefusesAPasteThatIsNoDecimalNumber) {
    auto putText = [&](const std::wstring& text) {
        ASSERT_TRUE(OpenClipboard(form.Handle()));
        EmptyClipboard();
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
        memcpy(GlobalLock(h), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(h);
        SetClipboardData(CF_UNICODETEXT, h);
        CloseClipboard();
    };
    edit->SetText("");
    putText(L"0x10");
    edit->Perform(WM_PASTE);
    EXPECT_EQ(edit->Text(), "");
    EXPECT_EQ(Beeps(), 1);
    putText(L"42");
    edit->Perform(WM_PASTE);
    EXPECT_EQ(edit->Text(), "42");
}

TEST(TaskBar, CutsTheTipAtACharacterBoundary) {
    EXPECT_EQ(NotifyTip(std::string(70, 'a')).size(), 63u);
    EXPECT_EQ(NotifyTip("短い"), L"短い");
    const std::string pair = "\xF0\x9F\x98\x80";  // one character in two UTF-16 units
    EXPECT_EQ(NotifyTip(std::string(62, 'a') + pair).size(), 62u);
}

TEST(TaskBar, ShowsTheChosenImageOrTheProgramsIconAndFollowsItsSetters) {
    TApplication::Instance().Initialize();
    const int before = TTaskBar::InstanceCount();
    TImageList images;
    images.AddIcon(LoadIconW(nullptr, IDI_WARNING));
    TTaskBar bar;
    EXPECT_EQ(TTaskBar::InstanceCount(), before + 1);
    EXPECT_EQ(bar.ImageIndex(), -1);
    bar.SetImages(&images);
    bar.SetImageIndex(-7);
    EXPECT_EQ(bar.ImageIndex(), -1);
    bar.SetImageIndex(1);  // equal to the count: the program's icon
    EXPECT_EQ(bar.GetIconHandle(), LoadIconW(GetModuleHandleW(nullptr), L"MAINICON"));
    bar.SetHideMainForm(true);
    EXPECT_TRUE(bar.AutoLoad());
    bar.SetAutoLoad(false);
    EXPECT_FALSE(bar.HideMainForm());
    bar.SetImageIndex(0);
    bar.SetText(std::string(80, 't'));
    bar.Add();
    EXPECT_EQ(bar.Record().uCallbackMessage, TTaskBar::kCallbackMessage);
    EXPECT_EQ(bar.Record().uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(std::wstring(bar.Record().szTip).size(), 63u);
    ASSERT_NE(bar.Record().hIcon, nullptr);
    EXPECT_NE(bar.Record().hIcon, LoadIconW(GetModuleHandleW(nullptr), L"MAINICON"));  // the list's image
    bar.Delete();
    EXPECT_FALSE(bar.Shown());
}

TEST(TaskBar, HidingTheMainFormBeforeThereIsOneKeepsStartUpFromShowingIt) {
    TApplication& app = TApplication::Instance();
    app.Initialize();
    TForm* const before = app.MainForm();
    app.SetMainForm(nullptr);
    {
        TTaskBar bar;
        bar.SetHideMainForm(true);
        bar.Add();
        EXPECT_FALSE(app.ShowMainForm);
    }
    app.ShowMainForm = true;
    app.SetMainForm(before);
}

TEST(TaskBar, ADoubleClickWithoutAMenuBringsTheMainFormBack) {
    TApplication::Instance().Initialize();
    TForm main("TaskBarMain", "main", 200, 100);
    TApplication::Instance().SetMainForm(&main);
    TTaskBar bar;
    int clicks = 0, doubles = 0;
    bar.OnClick = [&](TTaskBar*) { ++clicks; };
    bar.OnDblClick = [&](TTaskBar*) { ++doubles; };
    EXPECT_FALSE(IsWindowVisible(main.Handle()));
    SendMessageW(bar.WindowHandle(), TTaskBar::kCallbackMessage, 0, WM_LBUTTONDOWN);
    SendMessageW(bar.WindowHandle(), TTaskBar::kCallbackMessage, 0, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(PumpUntil([&] { return doubles == 1; }));
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(IsWindowVisible(main.Handle()));
    TApplication::Instance().SetMainForm(nullptr);
}

TEST(TaskBar, WithHideTaskBarAMinimizedProgramLeavesTheTaskbarUntilItIsRestored) {
    TApplication& app = TApplication::Instance();
    app.Initialize();
    TForm main("TaskBarMinimize", "main", 200, 100);
    app.SetMainForm(&main);
    main.ShowForm();
    const HWND h = main.Handle();
    {
        TTaskBar bar;
        bar.HideTaskBar = true;
        bar.Loaded();
        SendMessageW(h, WM_SYSCOMMAND, SC_MINIMIZE, 0);  // the caption's minimize button
        EXPECT_TRUE(IsIconic(h));
        EXPECT_FALSE(IsWindowVisible(h));
        // A double click on the icon restores the program.
        SendMessageW(bar.WindowHandle(), TTaskBar::kCallbackMessage, 0, WM_LBUTTONDBLCLK);
        EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(h) != FALSE; }));
        EXPECT_FALSE(IsIconic(h));
        // Hidden by the minimize and brought back by the application's restore alone.
        app.Minimize();
        EXPECT_FALSE(IsWindowVisible(h));
        app.Restore();
        EXPECT_TRUE(IsWindowVisible(h));
        EXPECT_FALSE(IsIconic(h));
        // Without HideTaskBar the minimized program keeps its button.
        bar.HideTaskBar = false;
        app.Minimize();
        EXPECT_TRUE(IsIconic(h));
        EXPECT_TRUE(IsWindowVisible(h));
        app.Restore();
    }
    // The handlers go with the bar.
    EXPECT_FALSE(app.OnMinimize);
    EXPECT_FALSE(app.OnRestore);
    app.SetMainForm(nullptr);
}

} // namespace
