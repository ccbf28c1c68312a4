// The main window's import of pictures: the import options, and the colour reduction of
// pictures with more colours than a palette holds.
#include "app/MainForm.h"
#include "formats/PictureImport.h"
#include "ui/BackgroundWork.h"
#include "ui/Dialogs.h"

namespace {
const char* const kSmartResizeQuestion = "すまーとリサイズを行いますか？";
} // namespace

PictureImportOptions TForm1::ImportOptions() {
    PictureImportOptions o;
    o.Henpei = FSettings.Import.KeepAspect;
    o.SmartResize = FSettings.Import.Resize;
    o.Posterize = FSettings.Import.Reduce;
    o.AskSmartResize = [this] {
        PlayBeep(MB_ICONQUESTION);
        return ShowMessageBox(FHandle, kSmartResizeQuestion, "確認", MB_YESNO | MB_ICONQUESTION) == IDYES;
    };
    return o;
}

bool TForm1::TakePicture(PictureImport& picture, ImportedImage& out) {
    if (picture.Result == PictureReadResult::Read) return true;
    if (picture.Result == PictureReadResult::NeedsReduction) return ReduceImportedPicture(picture, out);
    return false;
}

bool TForm1::ReduceImportedPicture(PictureImport& picture, ImportedImage& out) {
    ImagePalette palette{};
    // The reduction's dialog is the window thread's; its worker does the reduction.
    if (!OnWindowThread([&] { return ReduceColoursForImport(picture.Target, FSettings.Import.Reduce, 256, palette); })) {
        FReduceCancelled = true;
        return false;
    }
    FinishReducedImport(picture.Target, palette, picture.SourceIs4Bit, out);
    return true;
}
