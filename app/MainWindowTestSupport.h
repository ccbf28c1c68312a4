#pragma once
// The fixture of the main window's tests: a real TForm1 with the dialogs that live for
// the whole run, in a scratch current folder, with no settings key, message boxes
// recorded and the editor, file dialogs and globals reset afterwards.
#include <memory>
#include <string>
#include <vector>

#include "app/EditorLink.h"
#include "app/MainForm.h"
#include "app/SmallDialogs.h"
#include "app/WinTestSupport.h"
#include "ui/FileDialogs.h"
#include "ui/Registry.h"

class MainWindowTest : public ::testing::Test {
protected:
    // The scratch folder is named after the fixture so that fixtures do not share files.
    explicit MainWindowTest(const std::string& folderName) : FFolderName(folderName) {}

    void SetUp() override {
        TApplication::Instance().Initialize();
        TRegistry().DeleteKey(kSettingsKey);
        folder = TempFolder(FFolderName) + "\\";
        SetCurrentDirectoryW(W(folder).c_str());
        form = std::make_unique<TForm1>(GetModuleHandleW(nullptr), "");
        trans = std::make_unique<TTransDlg>();
        hspot = std::make_unique<THSpotDlg>();
        curTest = std::make_unique<TCurTestDlg>();
        saveMode = std::make_unique<TSaveModeBox>();
        TransDlg = trans.get();
        HSpotDlg = hspot.get();
        CurTestDlg = curTest.get();
        SaveModeBox = saveMode.get();
    }
    void TearDown() override {
        form->Timer1->set_enabled(false);
        EditDlg = nullptr;
        TransDlg = nullptr;
        HSpotDlg = nullptr;
        CurTestDlg = nullptr;
        SaveModeBox = nullptr;
        SetFileDialogHook(nullptr);
        TRegistry().DeleteKey(kSettingsKey);
    }
    // Texts of the recorded message boxes, beeps left out.
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const TMessageBoxCall& c : boxes.Calls)
            if (c.Caption != "<beep>") texts.push_back(c.Text);
        return texts;
    }

    RecordedBoxes boxes;
    std::string folder;  // ends with a backslash
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TTransDlg> trans;
    std::unique_ptr<THSpotDlg> hspot;
    std::unique_ptr<TCurTestDlg> curTest;
    std::unique_ptr<TSaveModeBox> saveMode;

private:
    std::string FFolderName;
};
