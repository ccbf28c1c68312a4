// The options page: associations written below a classes root of the tests' own and read
// back with reg.exe; the custom cursor check boxes.
#include "system/OptionsPage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "base/Stream.h"
#include "formats/MonoCursor.h"

#include "app/WinTestSupport.h"
#include "system/RegQuery_wintests.h"
#include "ui/Form.h"
#include "ui/Registry.h"

namespace {
const char* const kClasses = "Software\\TamsoloTests\\Classes";

class OptionsPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        TApplication::Instance().Initialize();
        TRegistry().DeleteKey(kClasses);
        folder = TempFolder("tamsolo-options") + "\\";
        TOptionsHost host;
        host.ExePath = [this] { return exe; };
        host.LastFolder = [this] { return folder; };
        host.PickBackColour = [this](TColor& c) {
            ++colourAsked;
            if (!colourAnswer) return false;
            c = *colourAnswer;
            return true;
        };
        host.PluginFolderChanged = [this](const std::string& f) { pluginFolder = f; };
        host.CustomCursorChanged = [this](bool pen, bool use, const std::string& file) {
            changes.push_back((pen ? "pen " : "fill ") + std::string(use ? "on " : "off ") + file);
        };
        form = std::make_unique<TForm>("Host", "host", 520, 380);
        page = std::make_unique<TPanel>(form.get(), "Page4");
        page->SetBounds(0, 0, 510, 360);
        options = std::make_unique<TOptionsPage>(page.get(), settings, openCursor, std::move(host));
        options->SetClassesRoot(TClassesRoot{HKEY_CURRENT_USER, kClasses});
    }
    void TearDown() override {
        options.reset();
        SetFileDialogHook(nullptr);
        TRegistry().DeleteKey(kClasses);
    }
    // The classes root as reg.exe sees it: every key below it with its values.
    std::map<std::string, TRegKeyValues> Query() {
        bool ok = false;
        auto keys = RegQueryTree("HKCU\\" + std::string(kClasses), ok);
        EXPECT_TRUE(ok);
        return keys;
    }

    std::string exe = "C:\\Program Files\\Tamsolo\\Tamsolo.exe";
    std::string folder, pluginFolder;
    int colourAsked = 0;
    std::optional<TColor> colourAnswer;
    std::vector<std::string> changes;
    TProgramSettings settings;
    TFileDialog openCursor = CursorFileDialog();
    std::unique_ptr<TForm> form;
    std::unique_ptr<TPanel> page;
    std::unique_ptr<TOptionsPage> options;
};
} // namespace

TEST_F(OptionsPageTest, AssociationButtonsWriteTheirRowsAsDefaultStrings) {
    const std::string cmd = "\"C:\\Program Files\\Tamsolo\\Tamsolo.exe\" %1";
    for (TButton* b : {options->shellico.get(), options->shellcur.get(), options->shellani.get(),
                       options->shellbmp.get(), options->shellani.get()})  // twice: the same result
        b->Perform(BM_CLICK);
    auto keys = Query();
    std::size_t rows = 0;
    for (TShellKind kind : {TShellKind::Bmp, TShellKind::Ico, TShellKind::Cur, TShellKind::Ani})
        for (const TShellEntry& e : ShellEntries(kind, exe)) {
            ++rows;
            auto& values = keys[e.Key];
            ASSERT_EQ(values.size(), 1u) << e.Key;  // the default value only
            EXPECT_EQ(values[""].Type, "REG_SZ") << e.Key;
            EXPECT_EQ(values[""].Data, e.Value) << e.Key;
        }
    EXPECT_EQ(keys["AnimationPointer\\shell\\open\\command"][""].Data, cmd);
    EXPECT_EQ(keys["AnimationPointer\\shell\\open"][""].Data, "Tamsoloで開く（&A)");
    // Nothing beside the rows: below the root only the rows and the keys on their way
    // ("Paint.Picture", "Paint.Picture\shell" and each class's "shell").
    keys.erase("");  // the root itself, listed or not
    EXPECT_EQ(keys.size(), rows + 5);
}

TEST_F(OptionsPageTest, NoProgramPathWritesNothing) {
    exe.clear();
    options->shellico->Perform(BM_CLICK);
    EXPECT_FALSE(TRegistry().KeyExists(kClasses));
}

TEST_F(OptionsPageTest, TheBackgroundColourChangesOnlyOnOk) {
    options->DefColClick();
    EXPECT_EQ(options->DefCol->Color(), clTeal);
    colourAnswer = 0x123456;
    options->DefColClick();
    EXPECT_EQ(options->DefCol->Color(), 0x123456);
    EXPECT_EQ(settings.Import.DefaultColour, 0x123456);
    EXPECT_EQ(colourAsked, 2);
}

TEST_F(OptionsPageTest, TheControlsShowTheRecordAndWriteEveryEditIntoIt) {
    settings.Import = TImportSettings{true, 0x00102030, false, true, true};
    settings.PluginFolder = "C:\\spi";
    settings.Pen = TCustomCursorSetting{false, "C:\\gone.cur"};
    options->ShowSettings();
    EXPECT_TRUE(options->NoDlgDisp->Checked());
    EXPECT_FALSE(options->ResizeCheck->Checked());
    EXPECT_TRUE(options->ReduceCheck->Checked());
    EXPECT_TRUE(options->Henpei->Checked());
    EXPECT_EQ(options->DefCol->Color(), 0x00102030);
    EXPECT_EQ(options->Panel13->Caption(), "C:\\spi");
    EXPECT_EQ(options->Panel14->Text(), "C:\\gone.cur");
    EXPECT_EQ(settings.Import, (TImportSettings{true, 0x00102030, false, true, true}));  // showing changes nothing

    options->ResizeCheck->Perform(BM_CLICK);
    options->NoDlgDisp->Perform(BM_CLICK);
    options->Henpei->Perform(BM_CLICK);
    EXPECT_EQ(settings.Import, (TImportSettings{false, 0x00102030, true, true, false}));
    options->ChoosePluginFolder("D:\\plug");
    EXPECT_EQ(settings.PluginFolder, "D:\\plug");
    EXPECT_EQ(pluginFolder, "D:\\plug");
    options->Panel15->SetText("C:\\fill.cur");
    EXPECT_EQ(settings.Fill, (TCustomCursorSetting{false, "C:\\fill.cur"}));
    options->SetAssociationsEnabled(false);
    EXPECT_FALSE(options->AssociationsEnabled());
    EXPECT_FALSE(options->shellani->Enabled());
}

TEST_F(OptionsPageTest, CustomCursorsNeedAnExistingPlainFile) {
    std::string pen = folder + "pen.cur";
    MonoCursorRecord record = MonoCursorRecord::Blank();
    record.SetPixel(3, 3, false, true);
    ASSERT_TRUE(WriteMonoCurFile(pen, record, 1, 2));
    options->CustumPen->SetChecked(true);  // no file named yet
    EXPECT_FALSE(options->CustumPen->Checked());
    // A file that gives no cursor is not taken: the import's message, the name as it was.
    RecordedBoxes boxes;
    changes.clear();
    for (const std::string& bad : {folder + "one byte.cur", folder + "picture.cur"}) {
        SCOPED_TRACE(bad);
        const std::vector<uint8_t> bytes = bad.ends_with("picture.cur") ? std::vector<uint8_t>{'B', 'M', 0, 0, 0, 0}
                                                                         : std::vector<uint8_t>{0};
        ASSERT_TRUE(WriteWholeFile(bad, bytes.data(), bytes.size()));
        SetFileDialogHook([&](TFileDialog& d) {
            d.FileName = bad;
            return true;
        });
        boxes.Calls.clear();
        options->CustumPenBtn->Perform(BM_CLICK);
        EXPECT_EQ(options->Panel14->Text(), "");
        ASSERT_EQ(boxes.Calls.size(), 1u);
        EXPECT_EQ(boxes.Calls[0].Text, bad + " は\nｲﾒｰｼﾞが含まれていないか,入力がｷｬﾝｾﾙされたため読み込めませんでした。");
        EXPECT_EQ(boxes.Calls[0].Caption, "開いたファイル");
    }
    EXPECT_TRUE(changes.empty());
    SetFileDialogHook([&](TFileDialog& d) {
        EXPECT_EQ(d.InitialDir, folder);
        d.FileName = pen;
        return true;
    });
    options->CustumPenBtn->Perform(BM_CLICK);
    EXPECT_EQ(options->Panel14->Text(), pen);
    changes.clear();
    options->CustumPen->SetChecked(true);
    EXPECT_TRUE(options->CustumPen->Checked());
    EXPECT_EQ(changes, std::vector<std::string>{"pen on " + pen});
    EXPECT_EQ(settings.Pen, (TCustomCursorSetting{true, pen}));
    // Typing: the first change that names no file unchecks the box.
    options->Panel14->SetText(pen + "x");
    EXPECT_FALSE(options->CustumPen->Checked());
    EXPECT_EQ(changes.back(), "pen off ");
    for (const std::string& notPlain : {folder + "*.cur", folder.substr(0, folder.size() - 1)}) {
        options->Panel15->SetText(notPlain);  // a wildcard or a folder is no file
        options->CustumFill->SetChecked(true);
        EXPECT_FALSE(options->CustumFill->Checked()) << notPlain;
    }
}
