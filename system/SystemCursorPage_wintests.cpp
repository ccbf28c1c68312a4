// The system cursor page against keys of the tests' own, checked with reg.exe from outside.
#include "system/SystemCursorPage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "app/WinTestSupport.h"
#include "base/BestTime.h"
#include "base/ScopeGuard.h"
#include "base/Stream.h"
#include "formats/CorpusTestSupport.h"
#include "formats/CursorLookTestSupport.h"
#include "formats/CursorPicture.h"
#include "formats/CursorTestFiles.h"
#include "formats/ReaderProcess.h"
#include "system/RegQuery_wintests.h"
#include "ui/Form.h"
#include "ui/Registry.h"

namespace {
const char* const kRoot = "Software\\TamsoloTests\\SystemCursors";
const char* const kCursors = "Software\\TamsoloTests\\SystemCursors\\Cursors";
const char* const kSchemes = "Software\\TamsoloTests\\SystemCursors\\Cursors\\Schemes";

std::vector<uint8_t> Templates() {
    std::vector<uint8_t> data;
    for (int i = 0; i < kMonoTemplateCount; ++i) {
        MonoCursorRecord r = MonoCursorRecord::Blank();
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) r.SetPixel(x, y, x > i + 8, false);  // each its own width of black
        data.insert(data.end(), r.Bytes, r.Bytes + kMonoRecordBytes);
    }
    return data;
}

std::string Fields(std::initializer_list<std::pair<int, std::string>> set, int count = 15) {
    std::vector<std::string> f(static_cast<std::size_t>(count));
    for (const auto& [role, file] : set) f[static_cast<std::size_t>(role)] = file;
    return JoinSchemeFiles(f);
}

class SystemCursorPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        TApplication::Instance().Initialize();
        TRegistry().DeleteKey(kRoot);
        folder = TempFolder("tamsolo-cursorpage") + "\\";
        MonoCursorRecord r = MonoCursorRecord::Blank();
        r.SetPixel(3, 3, false, true);
        curFile = folder + "pen.cur";
        ASSERT_TRUE(WriteMonoCurFile(curFile, r, 1, 2));
        form = std::make_unique<TForm>("Host", "host", 520, 380);
        page = std::make_unique<TPanel>(form.get(), "Page5");
        page->SetBounds(0, 0, 510, 360);
        cursors = std::make_unique<TSystemCursorPage>(page.get(), openDialog);
        cursors->SetKeys(TCursorKeys{HKEY_CURRENT_USER, kCursors, kSchemes});
        cursors->SetTemplates(Templates());
    }
    void TearDown() override {
        cursors.reset();
        SetFileDialogHook(nullptr);
        TRegistry().DeleteKey(kRoot);
    }
    void WriteKeys(const std::string& active, std::initializer_list<std::pair<int, std::string>> roles,
                   std::initializer_list<std::pair<std::string, std::string>> schemes) {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(kCursors, true));
        reg.WriteString("", active);
        for (const auto& [role, file] : roles) reg.WriteString(CursorRoleNames[static_cast<std::size_t>(role)], file);
        reg.CloseKey();
        ASSERT_TRUE(reg.OpenKey(kSchemes, true));
        for (const auto& [name, value] : schemes) {
            if (IsExpandableText(value))
                reg.WriteExpandString(name, value);
            else
                reg.WriteString(name, value);
        }
    }
    // The user picks item i of the scheme combo.
    void PickScheme(int i) {
        cursors->WinCurDesin->Perform(CB_SETCURSEL, static_cast<WPARAM>(i));
        SendMessageW(GetParent(cursors->WinCurDesin->Handle()), WM_COMMAND,
                     MAKEWPARAM(GetDlgCtrlID(cursors->WinCurDesin->Handle()), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(cursors->WinCurDesin->Handle()));
    }
    void Press(TControl& c) { c.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3)), c.Perform(WM_LBUTTONUP, 0, MAKELPARAM(3, 3)); }
    void SelectRole(int role) {
        cursors->ListBox3->SetItemIndex(role);
        cursors->ListBox3Click();
    }
    // The cursor settings as reg.exe sees them: "" = the cursors key, "Schemes" below it.
    std::map<std::string, TRegKeyValues> Query() {
        bool ok = false;
        auto keys = RegQueryTree(std::string("HKCU\\") + kCursors, ok);
        EXPECT_TRUE(ok);
        return keys;
    }

    RecordedBoxes boxes;
    std::string folder, curFile;
    TFileDialog openDialog{TFileDialogKind::Open};
    std::unique_ptr<TForm> form;
    std::unique_ptr<TPanel> page;
    std::unique_ptr<TSystemCursorPage> cursors;
};
} // namespace

TEST_F(SystemCursorPageTest, MissingKeysReadAsNoSchemesAndStandardCursors) {
    ASSERT_TRUE(cursors->ReadCursorSchemes());
    EXPECT_TRUE(boxes.Calls.empty());
    EXPECT_EQ(cursors->WinCurDesin->Text(), "(なし)");
    EXPECT_EQ(cursors->WinCurDesin->Count(), 0);
    ASSERT_EQ(cursors->ListBox3->Count(), 15);
    EXPECT_EQ(cursors->ListBox3->Item(0), "通常の選択         《Arrow》");
    for (int role = 0; role < 15; ++role) {
        ICONINFO ii{};
        ASSERT_TRUE(GetIconInfo(cursors->SchemeCursor(role), &ii)) << role;  // the template picture
        EXPECT_FALSE(ii.fIcon);
        DeleteObject(ii.hbmMask);
        if (ii.hbmColor) DeleteObject(ii.hbmColor);
    }
    for (TControl* b : std::initializer_list<TControl*>{cursors->UndoWinCurBtn.get(), cursors->WinDefCurBtn.get(),
                                                        cursors->WinCurOpen.get(), cursors->tekiyoubtn.get()})
        EXPECT_FALSE(b->Enabled()) << b->Name();
}

TEST_F(SystemCursorPageTest, APageBuiltOnEntryShowsTheSchemesReadBefore) {
    WriteKeys("Blue", {{0, curFile}}, {{"Blue", Fields({{0, curFile}})}, {"Red", Fields({{2, curFile}})}});
    TSystemCursorPage later(page.get(), openDialog, TDialogContents::OnFirstUse);
    later.SetKeys(TCursorKeys{HKEY_CURRENT_USER, kCursors, kSchemes});
    later.SetTemplates(Templates());
    ASSERT_TRUE(later.ReadCursorSchemes());
    EXPECT_FALSE(later.ContentsBuilt());
    EXPECT_EQ(later.WinCurDesin, nullptr);
    EXPECT_NE(later.SchemeCursor(0), nullptr);  // the schemes need no controls
    later.PageEntered();
    ASSERT_TRUE(later.ContentsBuilt());
    ASSERT_EQ(later.WinCurDesin->Count(), 2);
    EXPECT_EQ(later.WinCurDesin->Item(1), "Red");
    EXPECT_EQ(later.WinCurDesin->Text(), "Blue");
    EXPECT_EQ(later.ListBox3->Count(), 15);
    EXPECT_TRUE(later.ListBox3->Enabled());
    EXPECT_TRUE(boxes.Calls.empty());
    later.PageEntered();  // once built, entering again builds nothing more
    EXPECT_EQ(later.WinCurDesin->Count(), 2);
}

TEST_F(SystemCursorPageTest, ReadsSchemesAtTheirFullLengthAndPicksOneWithUndo) {
    std::string longName = folder + std::string(600, 'x') + ".cur";  // longer than any fixed field
    // An animated cursor whose header names more frames than it holds: the system's loader
    // faults on it, so our own check keeps it from the loader.
    const std::string hostile = CorpusFile("iconsource", "hostile_frames_beyond_icons.ani");
    WriteKeys("Blue", {{0, curFile}, {6, "%SystemRoot%\\nothing.cur"}, {7, hostile}},
              {{"Blue", Fields({{0, curFile}, {6, "%SystemRoot%\\nothing.cur"}, {7, hostile}})},
               {"Long", Fields({{1, longName}, {14, curFile}})},
               {"Short", Fields({{0, curFile}}, 13)}});
    ASSERT_TRUE(cursors->ReadCursorSchemes());
    ASSERT_EQ(cursors->WinCurDesin->Count(), 3);
    EXPECT_EQ(cursors->WinCurDesin->Text(), "Blue");
    EXPECT_EQ(cursors->Schemes().File(6), "%SystemRoot%\\nothing.cur");
    EXPECT_NE(cursors->SchemeCursor(0), nullptr);  // loaded from the file
    EXPECT_EQ(cursors->SchemeCursor(6), nullptr);  // no such file: no picture
    EXPECT_EQ(cursors->SchemeCursor(7), nullptr);  // refused: no picture

    int longIndex = FindSchemeName(cursors->Schemes().Names(), "long");
    cursors->WinCurDesinDropDown();
    PickScheme(longIndex);
    EXPECT_EQ(cursors->Schemes().File(1), longName);
    EXPECT_EQ(cursors->Schemes().File(14), curFile);
    EXPECT_EQ(cursors->Schemes().File(0), "");
    EXPECT_TRUE(boxes.Calls.empty());
    EXPECT_TRUE(cursors->UndoWinCurBtn->Enabled());
    EXPECT_TRUE(cursors->tekiyoubtn->Enabled());

    cursors->WinCurDesinDropDown();
    PickScheme(FindSchemeName(cursors->Schemes().Names(), "Short"));  // 13 fields: one message
    ASSERT_EQ(boxes.Calls.size(), 1u);
    EXPECT_EQ(boxes.Calls[0].Text, "dの値がおかしい");

    Press(*cursors->UndoWinCurBtn);
    EXPECT_EQ(cursors->WinCurDesin->Text(), "Long");
    EXPECT_EQ(cursors->Schemes().File(14), curFile);
    Press(*cursors->UndoWinCurBtn);
    EXPECT_EQ(cursors->WinCurDesin->Text(), "Short");
    EXPECT_EQ(cursors->Schemes().File(14), "");
}

TEST_F(SystemCursorPageTest, RoleButtonsFollowTheSelection) {
    WriteKeys("", {{0, curFile}}, {});
    ASSERT_TRUE(cursors->ReadCursorSchemes());
    SelectRole(1);
    EXPECT_TRUE(cursors->WinCurOpen->Enabled());
    EXPECT_FALSE(cursors->WinDefCurBtn->Enabled());  // already standard
    SelectRole(0);
    EXPECT_TRUE(cursors->WinDefCurBtn->Enabled());
    Press(*cursors->WinDefCurBtn);
    EXPECT_EQ(cursors->Schemes().File(0), "");
    EXPECT_NE(cursors->SchemeCursor(0), nullptr);  // the template again

    SetFileDialogHook([&](TFileDialog& d) {
        d.FileName = curFile;
        return true;
    });
    SelectRole(5);
    Press(*cursors->WinCurOpen);
    EXPECT_EQ(cursors->Schemes().File(5), curFile);
    ICONINFO ii{};
    ASSERT_TRUE(GetIconInfo(cursors->SchemeCursor(5), &ii));
    EXPECT_EQ(ii.xHotspot, 1u);
    EXPECT_EQ(ii.yHotspot, 2u);
    DeleteObject(ii.hbmMask);
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    EXPECT_TRUE(cursors->WinDefCurBtn->Enabled());
    EXPECT_TRUE(cursors->UndoWinCurBtn->Enabled());

    // Animations the system's loader faults on: the page pictures them with our own readers.
    for (const char* name : {"hostile_fram_junk.ani", "hostile_two_fram.ani"}) {
        SCOPED_TRACE(name);
        const std::string file = CorpusFile("readers", name);
        SetFileDialogHook([&](TFileDialog& d) {
            d.FileName = file;
            return true;
        });
        SelectRole(3);
        Press(*cursors->WinCurOpen);
        EXPECT_EQ(cursors->Schemes().File(3), file);
        ICONINFO shown{};
        ASSERT_TRUE(GetIconInfo(cursors->SchemeCursor(3), &shown));
        BITMAP bm{};
        GetObjectW(shown.hbmMask, sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, 32);
        DeleteObject(shown.hbmMask);
        if (shown.hbmColor) DeleteObject(shown.hbmColor);
    }
}

TEST_F(SystemCursorPageTest, AddAndDeleteAskFirstAndRefuseBadNames) {
    WriteKeys("", {}, {{"Blue", Fields({})}});
    ASSERT_TRUE(cursors->ReadCursorSchemes());
    Press(*cursors->AddWinDesBtn);  // "(なし)"
    cursors->WinCurDesin->SetText("BLUE");
    Press(*cursors->AddWinDesBtn);
    cursors->WinCurDesin->SetText("Nothing");
    Press(*cursors->DelWinDesBtn);
    ASSERT_EQ(boxes.Calls.size(), 3u);
    EXPECT_EQ(boxes.Calls[0].Text, "名前が入力されていません。");
    EXPECT_EQ(boxes.Calls[0].Caption, "情報");
    EXPECT_EQ(boxes.Calls[1].Text, "すでに同じ名前のアイテムがあります。");
    EXPECT_EQ(boxes.Calls[2].Text, "リストの項目が選択されていません。");

    boxes.Calls.clear();
    boxes.Answer = IDNO;
    cursors->WinCurDesin->SetText("Mine");
    Press(*cursors->AddWinDesBtn);
    ASSERT_EQ(boxes.Calls.size(), 1u);
    EXPECT_EQ(boxes.Calls[0].Text, "'Mine' を追加しますか？");
    EXPECT_EQ(boxes.Calls[0].Caption, "追加の確認");
    EXPECT_EQ(boxes.Calls[0].Flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
    EXPECT_EQ(cursors->WinCurDesin->Count(), 1);
    boxes.Answer = IDYES;
    Press(*cursors->AddWinDesBtn);
    EXPECT_EQ(cursors->WinCurDesin->Count(), 2);
    Press(*cursors->DelWinDesBtn);
    EXPECT_EQ(boxes.Calls.back().Text, "'Mine' を削除しますか？");
    EXPECT_EQ(cursors->WinCurDesin->Count(), 1);
    EXPECT_EQ(cursors->WinCurDesin->Text(), "(なし)");
    EXPECT_EQ(cursors->Schemes().Names(), std::vector<std::string>{"Blue"});
}

TEST_F(SystemCursorPageTest, ApplyWritesExactlyTheChangedValuesInTheirTypes) {
    WriteKeys("Blue", {{0, curFile}, {1, "%SystemRoot%\\help.cur"}},
              {{"Blue", Fields({{0, curFile}})}, {"Gone", Fields({})}, {"Kept", "%SystemRoot%\\k.cur"}});
    ASSERT_TRUE(cursors->ReadCursorSchemes());

    boxes.Answer = IDNO;  // no: nothing is written
    cursors->WinCurDesin->SetText("Gone");
    Press(*cursors->DelWinDesBtn);
    boxes.Answer = IDYES;
    Press(*cursors->DelWinDesBtn);
    SelectRole(3);
    SetFileDialogHook([&](TFileDialog& d) {
        d.FileName = curFile;
        return true;
    });
    Press(*cursors->WinCurOpen);
    cursors->WinCurDesin->SetText("Mine");
    Press(*cursors->AddWinDesBtn);
    boxes.Calls.clear();
    boxes.Answer = IDNO;
    Press(*cursors->tekiyoubtn);
    ASSERT_EQ(boxes.Calls.size(), 1u);
    EXPECT_EQ(boxes.Calls[0].Text, "システムカーソルを更新しますか？");
    EXPECT_EQ(boxes.Calls[0].Caption, "更新の確認");
    EXPECT_EQ(Query()["Schemes"].count("Gone"), 1u);

    boxes.Answer = IDYES;
    Press(*cursors->tekiyoubtn);
    auto keys = Query();
    auto& roles = keys[""];
    EXPECT_EQ(roles.size(), 4u);  // the active name and the three roles with a file
    EXPECT_EQ(roles[""].Data, "Mine");
    EXPECT_EQ(roles["Arrow"].Type, "REG_SZ");
    EXPECT_EQ(roles["Arrow"].Data, curFile);
    EXPECT_EQ(roles["Help"].Type, "REG_SZ");  // equal: never rewritten
    EXPECT_EQ(roles["Help"].Data, "%SystemRoot%\\help.cur");
    EXPECT_EQ(roles["Wait"].Data, curFile);
    EXPECT_EQ(roles.count("Hand"), 0u);  // absent reads as the standard cursor: equal, not written
    auto& schemes = keys["Schemes"];
    EXPECT_EQ(schemes.count("Gone"), 0u);
    ASSERT_EQ(schemes.count("Mine"), 1u);
    EXPECT_EQ(schemes["Mine"].Type, "REG_EXPAND_SZ");  // names %SystemRoot%
    EXPECT_EQ(schemes["Mine"].Data, JoinSchemeFiles(cursors->Schemes().Files()));
    EXPECT_EQ(schemes["Kept"].Type, "REG_EXPAND_SZ");
    EXPECT_EQ(schemes["Kept"].Data, "%SystemRoot%\\k.cur");
    EXPECT_EQ(schemes["Blue"].Data, Fields({{0, curFile}}));

    // The system may refuse to reload its cursors: then it is said, never hidden.
    bool refused = !SystemParametersInfoW(SPI_SETCURSORS, 0, nullptr, 0);
    ASSERT_EQ(boxes.Calls.size(), refused ? 3u : 2u);
    if (refused) {
        EXPECT_NE(boxes.Calls[2].Text.find("Windowsが新しいカーソルを読み込みませんでした"), std::string::npos);
    }

    // A page that reads the keys again shows the same state.
    TSystemCursorPage again(page.get(), openDialog);
    again.SetKeys(TCursorKeys{HKEY_CURRENT_USER, kCursors, kSchemes});
    again.SetTemplates(Templates());
    ASSERT_TRUE(again.ReadCursorSchemes());
    EXPECT_EQ(again.Schemes().Files(), cursors->Schemes().Files());
    EXPECT_EQ(again.WinCurDesin->Text(), "Mine");
    EXPECT_EQ(again.Schemes().Names().size(), 3u);
}

TEST_F(SystemCursorPageTest, ApplyingAnUnknownNameStoresNoActiveSchemeAndCreatesMissingKeys) {
    ASSERT_TRUE(cursors->ReadCursorSchemes());
    cursors->WinCurDesin->SetText("typed only");
    boxes.Answer = IDYES;
    Press(*cursors->tekiyoubtn);
    auto keys = Query();
    EXPECT_EQ(keys[""][""].Type, "REG_SZ");
    EXPECT_EQ(keys[""][""].Data, "");
    ASSERT_EQ(keys.count("Schemes"), 1u);
    EXPECT_TRUE(keys["Schemes"].empty());
}

TEST_F(SystemCursorPageTest, AFailedReadDisablesTheSchemeControlsOnEntering) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kCursors, true));
    reg.WriteInteger("Arrow", 5);  // not a text
    reg.CloseKey();
    EXPECT_FALSE(cursors->ReadCursorSchemes());
    ASSERT_EQ(boxes.Calls.size(), 1u);
    EXPECT_EQ(boxes.Calls[0].Text, "システムカーソルの読み込みに失敗しました。");
    cursors->PageEntered();
    EXPECT_FALSE(cursors->WinCurDesin->Enabled());
    EXPECT_FALSE(cursors->ListBox3->Enabled());
    EXPECT_FALSE(cursors->AddWinDesBtn->Enabled());
    EXPECT_FALSE(cursors->DelWinDesBtn->Enabled());
}

// A scheme whose 15 roles name ordinary cursors of today (48, 64 and 128 pixels, alpha, PNG
// images, animations): the page's first show reads each with our own readers, one image a
// file and no helper (there is none to start), and each picture is what the system's loader
// makes of the file.
TEST_F(SystemCursorPageTest, AnOrdinarySchemeShowsAtOnceAsTheSystemLoadsIt) {
    SetReaderProgram("C:\\no such folder\\helper.exe");
    TScopeExit back([] { SetReaderProgram(""); });
    const char* const names[kCursorRoleCount] = {
        "alpha48.cur", "alpha64.cur", "alpha128.cur", "palette48.cur", "png48.cur", "png256_and_bitmap48.cur",
        "png1024.cur", "png64_interlaced.cur", "sizes16_40_64.cur", "depths48.cur", "alpha48.ico", "alpha48.ani",
        "sequence64.ani", "icons128.ani", "alpha48.ani"};
    std::map<std::string, std::string> written;
    for (const cursortest::TNamedFile& f : cursortest::OrdinaryCursorFiles()) {
        written[f.Name] = folder + f.Name;
        ASSERT_TRUE(WriteWholeFile(folder + f.Name, f.Bytes.data(), f.Bytes.size()));
    }
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kCursors, true));
    for (int role = 0; role < kCursorRoleCount; ++role)
        reg.WriteString(CursorRoleNames[static_cast<std::size_t>(role)], written.at(names[role]));
    reg.CloseKey();
    ASSERT_TRUE(cursors->ReadCursorSchemes());
    const uint64_t decoded = CursorPicturesDecoded();
    // The first show: the list's first paint loads the cursors.
    const double seconds = BestTime(1, [&] {
        ShowWindow(form->Handle(), SW_SHOWNOACTIVATE);
        UpdateWindow(form->Handle());
    });
    std::printf("the page's first show with 15 ordinary cursors: %.3f s\n", seconds);
    EXPECT_EQ(CursorPicturesDecoded() - decoded, static_cast<uint64_t>(kCursorRoleCount));
    EXPECT_LT(seconds, 4.0);  // about ten times what it takes
    for (int role = 0; role < kCursorRoleCount; ++role) {
        SCOPED_TRACE(names[role]);
        ASSERT_NE(cursors->SchemeCursor(role), nullptr);
        HCURSOR system = cursorlook::SystemLoadedCursor(written.at(names[role]), true);
        ASSERT_NE(system, nullptr);
        cursorlook::ExpectLooksAlike(cursorlook::LookOf(system), cursorlook::LookOf(cursors->SchemeCursor(role)));
        DestroyCursor(system);
    }
}

// "参照" with a file that gives no cursor: the import's message, the role keeps its file, and
// applying writes nothing of it.
TEST_F(SystemCursorPageTest, BrowsingToAFileThatGivesNoCursorLeavesTheRoleAsItWas) {
    WriteKeys("", {{3, curFile}}, {});
    ASSERT_TRUE(cursors->ReadCursorSchemes());
    std::vector<uint8_t> bitmap = {'B', 'M'};
    bitmap.resize(70, 0xFF);
    std::vector<uint8_t> manyEntries = {0, 0, 2, 0, 0xFF, 0xFF};  // 65535 entries, none there
    manyEntries.resize(6 + 16 * 4, 0x20);
    const std::vector<std::pair<std::string, std::vector<uint8_t>>> files = {
        {folder + "picture.cur", bitmap}, {folder + "many entries.cur", manyEntries}};
    std::vector<std::string> hostile;
    for (const auto& [file, bytes] : files) {
        ASSERT_TRUE(WriteWholeFile(file, bytes.data(), bytes.size()));
        hostile.push_back(file);
    }
    // Two frame lists, the first short of the frames its header names: the system's loader
    // faults on it (in the helper) and our readers refuse it.
    hostile.push_back(CorpusFile("readers", "hostile_two_fram_b.ani"));
    const HCURSOR before = cursors->SchemeCursor(3);
    for (const std::string& file : hostile) {
        SCOPED_TRACE(file);
        SetFileDialogHook([&](TFileDialog& d) {
            d.FileName = file;
            return true;
        });
        SelectRole(3);
        boxes.Calls.clear();
        Press(*cursors->WinCurOpen);
        ASSERT_EQ(boxes.Calls.size(), 1u);
        EXPECT_EQ(boxes.Calls[0].Text, file + " は\nｲﾒｰｼﾞが含まれていないか,入力がｷｬﾝｾﾙされたため読み込めませんでした。");
        EXPECT_EQ(boxes.Calls[0].Caption, "開いたファイル");
        EXPECT_EQ(cursors->Schemes().File(3), curFile);
        EXPECT_EQ(cursors->SchemeCursor(3), before);
        EXPECT_FALSE(cursors->tekiyoubtn->Enabled());
        EXPECT_FALSE(cursors->UndoWinCurBtn->Enabled());
    }
    boxes.Answer = IDYES;
    cursors->tekiyoubtnClick();
    auto keys = Query();
    EXPECT_EQ(keys[""]["Wait"].Data, curFile);
    for (const auto& [name, value] : keys[""])
        for (const std::string& file : hostile) EXPECT_EQ(value.Data.find(file), std::string::npos) << name;
}
