// The main window's save commands (the whole document and the current image) and the
// writers' views of the document.
#include "app/MainForm.h"
#include "app/SmallDialogs.h"
#include "app/VersionDlg.h"
#include "base/Format.h"
#include "base/Stream.h"
#include "formats/GifExport.h"
#include "formats/IconLibrary.h"
#include "formats/ImageWriters.h"
#include "formats/PngExport.h"
#include "ui/FileDialogs.h"

namespace {
const char* const kCannotWrite = "何らかの原因でファイルを書きこめません。";
const char* const kNewBytesLeft = "保存した内容は次のファイルに残してあります。";
const char* const kOldBytesLeft = "元の内容は次のファイルに残してあります。";

// The failure message, naming the files a replace that could not put everything back left.
std::string CannotWriteText() {
    const TLeftFiles left = TakeLeftFiles();
    std::string text = kCannotWrite;
    const auto name = [&](const char* what, const std::vector<std::string>& files) {
        if (files.empty()) return;
        text += std::string("\n") + what;
        for (const std::string& f : files) text += "\n" + f;
    };
    name(kNewBytesLeft, left.NewBytes);
    name(kOldBytesLeft, left.OldBytes);
    return text;
}

// The chosen file's name without folder and extension.
std::string NameWithoutExtension(const std::string& path) { return ChangeFileExt(ExtractFileName(path), ""); }
} // namespace

// The rows of the two save dialogs' type boxes, in filter-index order: what the box
// shows, the extension of the file written and the writer.
const std::vector<TForm1::TSaveFormat>& TForm1::DocumentSaveFormats() {
    static const std::vector<TSaveFormat> formats = {
        {"ｱﾆﾒｰｼｮﾝｶｰｿﾙ(*.ani)", "ani",
         [](TForm1& f, const TSaveTarget& t) {
             return WriteAniFile(t.Path(), f.AniInput(t.Mode)) == WriteResult::Written;
         }},
        {"ｱｲｺﾝﾗｲﾌﾞﾗﾘ(*.icl)", "icl",
         [](TForm1& f, const TSaveTarget& t) { return WriteIconLibrary(t.Path(), f.LibraryInput(t.Mode)) == WriteResult::Written; }},
        {"ﾀﾞｲﾅﾐｯｸﾘﾝｸﾗｲﾌﾞﾗﾘ(*.dll)", "dll",
         [](TForm1& f, const TSaveTarget& t) { return WriteIconLibrary(t.Path(), f.LibraryInput(t.Mode)) == WriteResult::Written; }},
        {"ﾏﾙﾁﾌﾟﾙﾈｯﾄﾜｰｸｸﾞﾗﾌｨｯｸｽ(ｱﾆﾒPNG)(*.mng)", "mng",
         [](TForm1& f, const TSaveTarget& t) { return WriteMngFile(f.FDoc.Entries(), t.Mode, t.Path()) == WriteResult::Written; }},
        {"アイコン連番(*.ico)", "ico",
         [](TForm1& f, const TSaveTarget& t) {
             return WriteNumberedFiles(f.FDoc.Entries(), t.Folder, t.Name, NumberedKind::Ico, t.Mode) != 0;
         }},
        {"カーソル連番(*.cur)", "cur",
         [](TForm1& f, const TSaveTarget& t) {
             return WriteNumberedFiles(f.FDoc.Entries(), t.Folder, t.Name, NumberedKind::Cur, t.Mode) != 0;
         }},
        {"ビットマップ連番(*.bmp)", "bmp",
         [](TForm1& f, const TSaveTarget& t) {
             return WriteNumberedFiles(f.FDoc.Entries(), t.Folder, t.Name, NumberedKind::Bmp, t.Mode) != 0;
         }},
        {"ｱﾆﾒｰｼｮﾝGIF(*.gif)", "gif",
         [](TForm1& f, const TSaveTarget& t) {
             return WriteAnimatedGif(f.FDoc.Entries(), t.Mode, f.FDoc.AniOptions().DefaultSpeed, t.Path()) == WriteResult::Written;
         }},
    };
    return formats;
}

const std::vector<TForm1::TSaveFormat>& TForm1::ImageSaveFormats() {
    static const std::vector<TSaveFormat> formats = {
        {"アイコン (*.ico)", "ico",
         [](TForm1& f, const TSaveTarget& t) { return WriteIconFile(f.CurrentEntry(), t.Mode, t.Path()) == WriteResult::Written; }},
        {"カーソル(*.cur)", "cur",
         [](TForm1& f, const TSaveTarget& t) { return WriteIconFile(f.CurrentEntry(), t.Mode, t.Path()) == WriteResult::Written; }},
        {"ビットマップ(*.bmp)", "bmp",
         [](TForm1& f, const TSaveTarget& t) { return WriteBmpFile(f.CurrentEntry(), t.Mode, t.Path()) == WriteResult::Written; }},
        {"ﾎﾟｰﾀﾌﾞﾙﾈｯﾄﾜｰｸｸﾞﾗﾌｨｯｸｽ(*.png)", "png",
         [](TForm1& f, const TSaveTarget& t) { return WritePngFile(f.CurrentImageForWriters(), t.Mode, t.Path()) != 0; }},
        {"ｸﾞﾗﾌｨｯｸｲﾝﾀｰﾁｪﾝｼﾞﾌｫｰﾏｯﾄ(*.gif)", "gif",
         [](TForm1& f, const TSaveTarget& t) { return WriteGifFile(f.CurrentImageForWriters(), t.Mode, t.Path()) != 0; }},
    };
    return formats;
}

namespace {
// "label|*.ext|label|*.ext…" of a table.
std::string FilterOf(const std::vector<TForm1::TSaveFormat>& formats) {
    std::string filter;
    for (const TForm1::TSaveFormat& f : formats) {
        if (!filter.empty()) filter += '|';
        filter.append(f.Label).append("|*.").append(f.Extension);
    }
    return filter;
}
} // namespace

void TForm1::BuildSaveFilters() {
    SaveAniDlg.Filter = FilterOf(DocumentSaveFormats());
    SaveAniDlg.Title = "すべて保存";
    SaveAniDlg.DefaultExt = "ani";
    SaveDlg.Filter = FilterOf(ImageSaveFormats());
    SaveDlg.Title = "アイコン、カーソルの保存";
    SaveDlg.DefaultExt = "ico";
    for (TFileDialog* d : {&SaveAniDlg, &SaveDlg}) {
        d->OverwritePrompt = true;
        d->HideReadOnly = true;
    }
}

// Asks for the save mode, then writes the chosen row of formats; false only when a
// writer ran and failed (a cancelled dialog or an unknown row writes nothing).
bool TForm1::SaveThroughDialog(TFileDialog& dialog, const std::vector<TSaveFormat>& formats) {
    if (!dialog.Execute(FHandle)) return true;
    TakeLeftFiles();  // only what this save leaves is named
    FPath = ExtractFilePath(dialog.FileName);
    SaveModeBox->ShowModal();  // the mode last selected holds, also when the box is closed
    const int row = dialog.FilterIndex - 1;
    if (row < 0 || row >= static_cast<int>(formats.size())) return true;
    const TSaveTarget target{FPath, NameWithoutExtension(dialog.FileName), formats[row].Extension, SaveModeBox->Mode()};
    return formats[row].Write(*this, target);
}

const CCURSOR& TForm1::CurrentEntry() const { return FDoc.Entry(FDoc.CurImage()); }

void TForm1::SaveANIBtnClick() {
    if (FDoc.LastImage() < 0) return;
    // Frame lines that name missing images are never written.
    if (FDoc.AniOptions().InsertFram && !FramePage->BuildFrameArrays()) return;
    SaveAniDlg.FileName = FDocName;
    SaveAniDlg.InitialDir = FPath;
    if (!SaveThroughDialog(SaveAniDlg, DocumentSaveFormats()))
        ReportMessage(CannotWriteText(), TMessageCaption::SaveAll, TMessageIcon::Warning);
}

void TForm1::SaveIconBtnClick() {
    if (FDoc.CurImage() < 0) return;
    SaveDlg.FileName = CurrentEntry().ImageName;
    SaveDlg.InitialDir = FPath;
    if (!SaveThroughDialog(SaveDlg, ImageSaveFormats()))
        ReportMessage(CannotWriteText(), TMessageCaption::SaveImage, TMessageIcon::Warning);
}

// ---- the writers' views of the document

IconLibraryInput TForm1::LibraryInput(AniSaveMode mode) const {
    IconLibraryInput in;
    for (int i = 0; i < EntryCount(); ++i) {
        in.Images.push_back(&Entry(i));
        in.Names.push_back(FDoc.ListName(i));
    }
    in.SaveMode = mode;
    const TFileOptionsPage* options = FileOptionsPage.IfMade();  // not made: the box was never ticked
    in.InsertVersion = options && options->IncludesVersion();
    if (in.InsertVersion) in.Version = Version.IfMade()->FVersionStream.Bytes();  // there when it is included
    return in;
}

CCURSOR TForm1::CurrentImageForWriters() const {
    CCURSOR image = Entry(FDoc.CurImage());
    image.Transparent = FDoc.Transparent();
    image.TransX = FDoc.TransX();
    image.TransY = FDoc.TransY();
    return image;
}

AniWriteInput TForm1::AniInput(AniSaveMode mode) const { return FDoc.AniInput(mode); }
