// The main window's save commands: the whole document and the current image.
#include "app/MainForm.h"
#include "app/SmallDialogs.h"
#include "base/Format.h"
#include "formats/GifExport.h"
#include "formats/IconLibrary.h"
#include "formats/ImageWriters.h"
#include "formats/PngExport.h"
#include "ui/FileDialogs.h"

namespace {
const char* const kCannotWrite = "何らかの原因でファイルを書きこめません。";
constexpr int kSaveIconCaption = 2;  // ReportMessage kinds: the captions of the two save buttons
constexpr int kSaveAniCaption = 3;

// The chosen file's name without folder and extension.
std::string NameWithoutExtension(const std::string& path) { return ChangeFileExt(ExtractFileName(path), ""); }
} // namespace

void TForm1::BuildSaveFilters() {
    SaveAniDlg.Filter = kSaveAniDlgFilter;
    SaveAniDlg.Title = kSaveAniDlgTitle;
    SaveAniDlg.DefaultExt = kSaveAniDlgDefaultExt;
    SaveDlg.Filter = kSaveDlgFilter;
    SaveDlg.Title = kSaveDlgTitle;
    SaveDlg.DefaultExt = kSaveDlgDefaultExt;
    for (TFileDialog* d : {&SaveAniDlg, &SaveDlg}) {
        d->OverwritePrompt = true;
        d->HideReadOnly = true;
    }
}

void TForm1::SaveANIBtnClick() {
    if (FLastImage < 0) return;
    // Frame lines that name missing images are never written.
    if (InsertFram->Checked() && !BuildFrameArrays()) return;
    SaveAniDlg.FileName = FDocName;
    SaveAniDlg.InitialDir = FPath;
    if (!SaveAniDlg.Execute(FHandle)) return;
    FPath = ExtractFilePath(SaveAniDlg.FileName);
    const std::string name = NameWithoutExtension(SaveAniDlg.FileName);
    const std::string base = FPath + name;
    SaveModeBox->ShowModal();  // the mode last selected holds, also when the box is closed
    const auto mode = static_cast<AniSaveMode>(SaveModeBox->SaveMode->ItemIndex());

    std::vector<const CCURSOR*> images;
    for (const auto& e : FImages) images.push_back(e.get());
    uint8_t written = 0;
    switch (SaveAniDlg.FilterIndex) {
    case 1: written = static_cast<uint8_t>(WriteAniFile(base + ".ani", AniInput(mode))); break;
    case 2: written = WriteIconLibrary(base + ".icl", LibraryInput(mode)); break;
    case 3: written = WriteIconLibrary(base + ".dll", LibraryInput(mode)); break;
    case 4: written = WriteMngFile(images, mode, base + ".mng"); break;
    case 5: written = WriteNumberedFiles(images, FPath, name, NumberedKind::Ico, mode); break;
    case 6: written = WriteNumberedFiles(images, FPath, name, NumberedKind::Cur, mode); break;
    case 7: written = WriteNumberedFiles(images, FPath, name, NumberedKind::Bmp, mode); break;
    case 8: written = WriteAnimatedGif(images, mode, DefaultSpeed->Value(), base + ".gif"); break;
    default: return;
    }
    if (!written) ReportMessage(kCannotWrite, kSaveAniCaption, 1);
}

void TForm1::SaveIconBtnClick() {
    if (FCurImage < 0 || FCurImage >= EntryCount()) return;
    SaveDlg.FileName = Entry(FCurImage).ImageName;
    SaveDlg.InitialDir = FPath;
    if (!SaveDlg.Execute(FHandle)) return;
    FPath = ExtractFilePath(SaveDlg.FileName);
    const std::string base = FPath + NameWithoutExtension(SaveDlg.FileName);
    SaveModeBox->ShowModal();
    const auto mode = static_cast<AniSaveMode>(SaveModeBox->SaveMode->ItemIndex());

    const CCURSOR& image = Entry(FCurImage);
    uint8_t written = 0;
    switch (SaveDlg.FilterIndex) {
    case 1: written = WriteIconFile(image, mode, base + ".ico"); break;
    case 2: written = WriteIconFile(image, mode, base + ".cur"); break;
    case 3: written = WriteBmpFile(image, mode, base + ".bmp"); break;
    case 4: written = WritePngFile(CurrentImageForWriters(), mode, base + ".png"); break;
    case 5: written = WriteGifFile(CurrentImageForWriters(), mode, base + ".gif"); break;
    default: return;
    }
    if (!written) ReportMessage(kCannotWrite, kSaveIconCaption, 1);
}
