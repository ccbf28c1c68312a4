#include "cleaner/Regi.h"

#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/Registry.h"
#include "ui/Resource.h"

TRegi* Regi = nullptr;

namespace {

// The cleaner's registry over real keys.
class TWinCleanerRegistry : public TCleanerRegistry {
public:
    explicit TWinCleanerRegistry(const TCleanerRoots& roots) : FRoots(roots) {}
    bool KeyExists(TCleanerRoot root, const std::string& path) override { return TRegistry(Key(root)).KeyExists(path); }
    std::optional<std::string> DefaultText(TCleanerRoot root, const std::string& path) override {
        TRegistry reg(Key(root));
        if (!reg.OpenKeyReadOnly(path) || !reg.ValueExists("")) return std::nullopt;
        return reg.ReadString("");
    }
    bool DeleteTree(TCleanerRoot root, const std::string& path) override {
        return TRegistry(Key(root)).DeleteKey(path);
    }

private:
    HKEY Key(TCleanerRoot root) const {
        return root == TCleanerRoot::CurrentUser ? FRoots.CurrentUser : FRoots.ClassesRoot;
    }
    TCleanerRoots FRoots;
};

} // namespace

TRegi::TRegi(HINSTANCE instance, TCleanerRoots roots)
    : TForm("Regi", "レジストリの削除", 294, 72, TFormBorder::bsDialog), FRoots(roots) {
    CenterOnScreen();
    SpeedButton1 = std::make_unique<TSpeedButton>(this, "SpeedButton1", "");
    SpeedButton1->SetBounds(16, 8, 57, 57);
    try {
        TResourceStream glyph(instance, "Glyph", "DATA");
        TBitmap picture;
        picture.LoadFromStream(glyph);
        SpeedButton1->SetGlyph(picture);
    } catch (const Exception&) {
        // without its picture the button still works
    }
    SpeedButton1->OnClick = [this](TControl*) { SpeedButton1Click(); };
    Label1 = std::make_unique<TLabel>(
        this, "Label1", "Tamsoloのレジストリを消去します。このﾌﾟﾛｸﾞﾗﾑはアンインストール前に使ってください。", 88, 8);
    Label1->SetAutoSize(false);
    Label1->SetBounds(88, 8, 193, 41);
    Button1 = std::make_unique<TButton>(this, "Button1", "キャンセル");
    Button1->SetBounds(208, 48, 75, 20);
    Button1->OnClick = [this](TControl*) { Button1Click(); };
    Button1->SetCancel(true);
}

void TRegi::SpeedButton1Click() {
    TWinCleanerRegistry registry(FRoots);
    FLastOutcome = CleanTamsoloState(registry);
    ShowMessageBox(FHandle, CleanOutcomeMessage(FLastOutcome), TApplication::Instance().Title(),
                   MB_OK | (FLastOutcome == TCleanOutcome::Failed ? MB_ICONWARNING : 0));
    if (FLastOutcome == TCleanOutcome::Deleted) Button1->SetCaption("閉じる");
}

void TRegi::Button1Click() { Close(); }
