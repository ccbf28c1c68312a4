// The background colour of imported icons and pictures: the stored one, or the colour
// dialog, once for all images of a drop when asked.
#include "app/MainForm.h"
#include "ui/BackgroundWork.h"
#include "app/SmallDialogs.h"

// Called where the import reads (a drop's worker): only the question goes to the window thread.
TColor TForm1::IconBackground(bool oneBit) {
    if (FApplyBackAll) return FBackAllColour;
    if (FSettings.Import.NoDialog || oneBit) return FSettings.Import.DefaultColour;
    bool all = false;
    TColor c = AskBackColour(FMultiDrop != 0, all);
    if (all) {
        FBackAllColour = c;
        FApplyBackAll = 1;
    }
    return c;
}

TColor TForm1::AskBackColour(bool offerAll, bool& applyAll) {
    if (TBackgroundWork::OfThisThread()) return OnWindowThread([&] { return AskBackColour(offerAll, applyAll); });
    TBackColorDlg dlg(this);
    dlg.ColorDialog1.Color = FSettings.Import.DefaultColour;
    dlg.CheckBox1->SetVisible(offerAll);
    applyAll = false;
    if (dlg.ShowModal() != mrOk) return FSettings.Import.DefaultColour;
    applyAll = offerAll && dlg.CheckBox1->Checked();
    return dlg.ColorDialog1.Color;
}
