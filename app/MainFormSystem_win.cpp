// The main window's two system pages: the options page "設定1" and the system cursor
// page "設定2", each a class of its own that the window hosts and feeds.
#include "app/MainForm.h"
#include "app/SmallDialogs.h"

void TForm1::BuildSystemPages() {
    TOptionsHost host;
    host.ExePath = [this] { return FExePath; };
    host.LastFolder = [this] { return FPath; };
    host.PickBackColour = [this](TColor& colour) {
        TBackColorDlg dlg(this);
        dlg.CheckBox1->Hide();  // "すべてのｲﾒｰｼﾞに適用" means nothing here
        dlg.ColorDialog1.Color = colour;
        if (dlg.ShowModal() != mrOk) return false;
        colour = dlg.ColorDialog1.Color;
        return true;
    };
    // The loader's list follows the chosen folder at once.
    host.PluginFolderChanged = [this](const std::string& folder) { UsePluginFolder(folder); };
    host.CustomCursorChanged = [this](bool pen, bool use, const std::string& file) { CustomCursorChanged(pen, use, file); };
    // Made when first needed (設定1 entered, a test or a handler reaching for it), showing
    // the settings record and what the window told it before.
    OptionsPage.SetMake([this, host = std::move(host)] {
        auto page = std::make_unique<TOptionsPage>(Page4, FSettings, OpenCustumCur, host);
        if (FPluginDialogFolder) page->BrowseForFolder1.InitialDir = *FPluginDialogFolder;
        page->SetAssociationsEnabled(FAssociationsEnabled);
        page->ShowSettings();
        return page;
    });
    // Built when 設定2 is first shown; the schemes are read at start all the same.
    CursorPage = std::make_unique<TSystemCursorPage>(Page5, OpenCustumCur, TDialogContents::OnFirstUse);
}

void TForm1::SetAssociationsEnabled(bool enabled) {
    FAssociationsEnabled = enabled;
    if (TOptionsPage* options = OptionsPage.IfMade()) options->SetAssociationsEnabled(enabled);
}

void TForm1::ReadSystemCursors() {
    CursorPage->SetTemplates(TemplateBytes());
    CursorPage->ReadCursorSchemes();
}
