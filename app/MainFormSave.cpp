// The main window's save commands: the whole document and the current image.
#include "app/MainForm.h"
#include "app/SmallDialogs.h"
#include "base/Format.h"
#include "formats/ImageWriters.h"
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
    case 2: written = WriteLaterFormat(TLaterFormat::Icl, base + ".icl", mode); break;
    case 3: written = WriteLaterFormat(TLaterFormat::Dll, base + ".dll", mode); break;
    case 4: written = WriteLaterFormat(TLaterFormat::Mng, base + ".mng", mode); break;
    case 5: written = WriteNumberedFiles(images, FPath, name, NumberedKind::Ico, mode); break;
    case 6: written = WriteNumberedFiles(images, FPath, name, NumberedKind::Cur, mode); break;
    case 7: written = WriteNumberedFiles(images, FPath, name, NumberedKind::Bmp, mode); break;
    case 8: written = WriteLaterFormat(TLaterFormat::AnimatedGif, base + ".gif", mode); break;
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
    case 4: written = WriteLaterFormat(TLaterFormat::Png, base + ".png", mode); break;
    case 5: written = WriteLaterFormat(TLaterFormat::Gif, base + ".gif", mode); break;
    default: return;
    }
    if (!written) ReportMessage(kCannotWrite, kSaveIconCaption, 1);
}

// The icon-library, MNG, GIF and PNG writers are not part of the program yet: nothing is
// written and the command reports that the file could not be written.
uint8_t TForm1::WriteLaterFormat(TLaterFormat, const std::string&, AniSaveMode) { return 0; }
