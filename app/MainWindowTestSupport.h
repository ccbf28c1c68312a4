#pragma once
// The fixture of the main window's tests: a real TForm1 with the dialogs that live for
// the whole run, in a scratch current folder, with settings keys of its own (empty at the start), message boxes
// recorded and the editor, file dialogs and globals reset afterwards.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/EditorLink.h"
#include "app/MainForm.h"
#include "app/SmallDialogs.h"
#include "app/VersionDlg.h"
#include "app/WinTestSupport.h"
#include "ui/FileDialogs.h"
#include "ui/Registry.h"

class MainWindowTest : public ::testing::Test {
protected:
    // The scratch folder is named after the fixture so that fixtures do not share files.
    explicit MainWindowTest(const std::string& folderName) : FFolderName(folderName) {}

    void SetUp() override {
        TApplication::Instance().Initialize();
        DeleteTestKeys(FFolderName);
        folder = TempFolder(FFolderName) + "\\";
        SetCurrentDirectoryW(W(folder).c_str());
        BeforeTheWindow(TSettingsKeys::ForTest(FFolderName));
        form = std::make_unique<TForm1>(GetModuleHandleW(nullptr), "", TSettingsKeys::ForTest(FFolderName));
        trans = std::make_unique<TTransDlg>();
        hspot = std::make_unique<THSpotDlg>();
        curTest = std::make_unique<TCurTestDlg>();
        saveMode = std::make_unique<TSaveModeBox>();
        TransDlg = trans.get();
        HSpotDlg = hspot.get();
        CurTestDlg = curTest.get();
        SaveModeBox = saveMode.get();
        version = std::make_unique<TVersion>();
        Version = version.get();
    }
    // Runs on the fixture's emptied keys before the window is made (settings it reads at start).
    virtual void BeforeTheWindow(const TSettingsKeys&) {}
    void TearDown() override {
        form->FramePage->Timer1->set_enabled(false);
        EditDlg = nullptr;
        TransDlg = nullptr;
        HSpotDlg = nullptr;
        CurTestDlg = nullptr;
        SaveModeBox = nullptr;
        Version = nullptr;
        SetFileDialogHook(nullptr);
        DeleteTestKeys(FFolderName);
    }
    // Runs action; when it shows the cursor test dialog, the dialog is closed at once and
    // the cursor of screen slot 4 at that moment is returned. nullptr when it never showed.
    HCURSOR CursorSeenByTheCursorTest(const std::function<void()>& action) {
        struct Closer {
            static void CALLBACK Fire(HWND h, UINT, UINT_PTR id, DWORD) {
                if (!CurTestDlg->IsModal()) return;  // not shown yet
                KillTimer(h, id);
                Seen() = ScreenCursor(4);
                CurTestDlg->SetModalResult(mrCancel);
            }
            static HCURSOR& Seen() {
                static HCURSOR seen = nullptr;
                return seen;
            }
        };
        Closer::Seen() = nullptr;
        SetTimer(form->Handle(), 77, 30, Closer::Fire);
        action();
        KillTimer(form->Handle(), 77);
        return Closer::Seen();
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
    std::unique_ptr<TVersion> version;

private:
    std::string FFolderName;
};
