// The main window's file commands: importing dropped, opened and pasted files (the
// dispatcher; each kind of source has a file of its own).
#include "app/MainForm.h"

#include <exception>

#include "app/ExtIcon.h"
#include "app/TemporaryFile.h"
#include "app/SmallDialogs.h"
#include "base/Exception.h"
#include "base/Format.h"
#include "base/ScopeGuard.h"
#include "base/Stream.h"
#include "base/SystemLibrary_win.h"
#include "formats/FileMessages.h"
#include "formats/PictureImport.h"
#include "formats/ReaderProcess.h"
#include "formats/ShortCut.h"
#include "ui/Application.h"
#include "ui/BackgroundWork.h"
#include "ui/Clipboard.h"
#include "ui/FileDialogs.h"

namespace {

const char* const kOpenFilter =
    "ビットマップ (*.bmp)|*.bmp|ﾎﾟｰﾀﾌﾞﾙﾈｯﾄﾜｰｸｸﾞﾗﾌｨｯｸｽ(*.png)|*.png|アイコン(*.ico)|*.ico|カーソル(*.cur)|*.cur"
    "|ｱﾆﾒｰｼｮﾝｶｰｿﾙ(*.ani)|*.ani|ﾗｲﾌﾞﾗﾘ(*.dll,*.exe,*.icl,*.scr,*.cpl,*.ocx)|*.dll;*.exe;*.icl;*.scr;*.ocx;*.cpl"
    "|対応ﾌｧｲﾙ(bmp,png,ico,cur,ani,icl,dll,exe,cpl,ocx,scr)|*.bmp;*.png;*.ico;*.cur;*.ani;*.dll;*.exe;*.icl;*.cpl;*.ocx;*.scr"
    "|すべてのファイル(*.*)|*.*";

const char* const kBitmapAsIcon = "%s は\nｴｸｽﾌﾟﾛｰﾗ擬似ｱｲｺﾝ(ﾋﾞｯﾄﾏｯﾌﾟ)です。";
const char* const kNothingImported = kNothingReadMessage;
const char* const kLimitOne = "イメージは1000個までです。";
const char* const kLimitMany = "イメージの数が1000個を超えたのですべてのイメージを読み込めませんでした。";
const char* const kIcon24Bit = "サイズは32x32ですが24bitカラー形式しか含まれていません。\nvevedaで読み込みます。";

bool SameColour(TColor a, TColor b) { return ColorToRGB(a) == ColorToRGB(b); }

} // namespace

void TForm1::BuildImportControls() {
    DropPanel1->SetDragDropAccept(true);
    DropPanel1->OnDropFiles = [this](TControl* sender, int, const std::vector<std::string>& names) {
        DropPanel1DropFiles(sender, names);
    };

    IconEx1 = std::make_unique<TIconEx>(DropPanel1.get(), "IconEx1");
    IconEx1->Hide();
    IconEx1->DrawIfIndexChange = true;
    IconEx1->DrawTrueColor = true;
    IconEx1->BackGroundColor = clBtnFace;

    OpenDialog1.Filter = kOpenFilter;
    OpenDialog1.FilterIndex = 7;
    OpenDialog1.MultiSelect = true;
    OpenDialog1.FileMustExist = true;
    BuildSaveFilters();

    ImagePage->OpenBtn->OnClick = [this](TControl*) { OpenBtnClick(); };
    SaveIconBtn->OnClick = [this](TControl*) { SaveIconBtnClick(); };
    SaveANIBtn->OnClick = [this](TControl*) { SaveANIBtnClick(); };
    TPopupMenu& menu = ImagePage->PopupMenu1;
    menu.Item("PasteClipBtn")->OnClick = [this](TControl*) { PasteClipBtnClick(); };
    menu.Item("CopyClipBtn")->OnClick = [this](TControl*) { CopyClipBtnClick(); };
    menu.Item("S1")->OnClick = [this](TControl*) { SaveIconBtnClick(); };
}

// ---- the dispatcher

void TForm1::DropPanel1DropFiles(TControl*, const std::vector<std::string>& files) {
    // A drop that comes while one is read (the window is disabled then) is not taken.
    if (files.empty() || FImporting) return;
    FImporting = true;
    TScopeExit importEnded([this] { FImporting = false; });
    SetForegroundWindow(FHandle);
    PageControl1->SetActivePage(Page1);
    FPath = ExtractFilePath(files.front());
    // One file's import. What the system lacks ends the drop with its own message; any other
    // failure (no room for a picture, a reader's own error) gives the import's message, never
    // the exception's text.
    auto importOne = [this](const std::string& path, auto work) {
        try {
            work();
        } catch (const ESystemFunctionMissing&) {
            throw;
        } catch (const std::exception&) {
            ReportMessage(Format(kNothingImported, path.c_str()), TMessageCaption::OpenedFile, TMessageIcon::Information);
        }
    };
    if (files.size() == 1 && ClassifyImportPath(files.front()) == ImportKind::Ani) {
        importOne(files.front(), [&] { ReadAniIntoDocument(files.front(), true); });
        FinishImport();
        return;
    }
    FApplyBackAll = 0;
    FMultiDrop = files.size() > 1;
    std::exception_ptr failure;  // what stopped the drop: raised once what came in is shown
    {
        // Each file is read on a worker while the window answers; its questions and its store
        // come back to the window thread. Cancelling the progress box stops the rest.
        TBackgroundWork work(FHandle);
        // One batch for the whole drop: the lists repaint once, the page shows the last
        // image once, at its end, and one reader helper serves every file that needs it
        // (the batch is lent to the worker that reads them).
        TWaitCursor hourglass;
        TReaderBatch readers{TReaderBatch::TLent{}};
        ImagePage->BeginAdds();
        TScopeExit endImages([this] { ImagePage->EndAdds(); });
        FramePage->BeginAdds();
        TScopeExit endFrames([this] { FramePage->EndAdds(); });
        const int count = static_cast<int>(files.size());
        for (int i = 0; i < count; ++i) {
            const std::string& path = files[static_cast<std::size_t>(i)];
            if (!FDoc.CanAdd()) {
                ReportMessage(files.size() == 1 ? kLimitOne : kLimitMany, TMessageCaption::OpenedFile,
                              TMessageIcon::Information);
                break;
            }
            work.SetProgress(i + 1, count);
            bool ran = true;  // false once the box's cancel stopped the drop
            try {
                importOne(path, [&] {
                    ran = work.Run(
                        [&] {
                            const TReaderBatch::TLend lend(readers);
                            OpenImageFile(path);
                        },
                        Format(kNothingImported, path.c_str()));
                });
            } catch (...) {
                failure = std::current_exception();
                break;
            }
            if (!ran) break;
        }
    }
    FinishImport();
    if (failure) std::rethrow_exception(failure);
}

void TForm1::FinishImport() {
    if (FDoc.LastImage() < 0) return;
    ImagePage->RefreshDialogPictures();
    SaveANIBtn->SetEnabled(true);
    ImagePage->ShowImagePageEnabled();
}

TForm1::TOpenResult TForm1::OpenImageFile(const std::string& path) {
    // A file the reader helper was to read, when the helper could not be started, is not said
    // to hold no image.
    const TReaderStartWatch helper;
    const auto nothing = [&] {
        ReportMessage(Format(helper.HelperNotStarted() ? kReaderNotStartedMessage : kNothingImported, path.c_str()),
                      TMessageCaption::OpenedFile, TMessageIcon::Information);
        return TOpenResult::NothingAdded;
    };
    std::string file = path;
    ImportKind kind = ClassifyImportPath(file);
    // Only files on a disk are read: a device (AUX.bmp, COM1), a pipe or a FIFO, named or
    // the target of a shortcut, is refused before any reader opens it. (The animated cursor's
    // reader refuses one itself, with its own message.)
    const auto onDisk = [&] { return kind == ImportKind::Ani || DiskFileSize(file).has_value(); };
    if (!onDisk()) return nothing();
    if (kind == ImportKind::Shortcut) {
        std::optional<std::string> target = ResolveShortcut(file);
        if (!target) return nothing();
        file = *target;
        kind = ClassifyImportPath(file);
        if (!onDisk()) return nothing();
    }
    ImportedImage image;
    bool read = false;
    FReduceCancelled = false;
    switch (kind) {
    case ImportKind::Ani: return ReadAniIntoDocument(file, false) ? TOpenResult::Added : TOpenResult::NothingAdded;
    case ImportKind::Png: {
        PictureImport p = ReadPngFile(file, ImportOptions(), image);
        read = TakePicture(p, image);
        break;
    }
    case ImportKind::Bmp: {
        PictureImport p = ImportPicture(file, ImportOptions(), image);
        read = TakePicture(p, image);
        break;
    }
    case ImportKind::Ico:
    case ImportKind::Cur: {
        IconImport r = ReadIconFile(file, *IconEx1, [this](bool oneBit) { return IconBackground(oneBit); }, image);
        if (r.Note == IconImportNote::TrueColourOnly)
            ShowMessageBox(FHandle, kIcon24Bit, TApplication::Instance().Title(), MB_OK);
        else if (r.Note == IconImportNote::UnsupportedSize)
            ShowMessageBox(FHandle,
                           "未対応サイズ(" + IntToStr(r.Width) + "x" + IntToStr(r.Height) +
                               ")\nvevedaで読み込みます。\n元のﾊﾟﾚｯﾄとﾎｯﾄｽﾎﾟｯﾄは無視されます。",
                           TApplication::Instance().Title(), MB_OK);
        if (r.Result == IconLoadResult::IsBitmap)
            ReportMessage(Format(kBitmapAsIcon, path.c_str()), TMessageCaption::OpenedFile, TMessageIcon::Information);
        read = r.Result == IconLoadResult::Loaded;
        break;
    }
    default: break;  // libraries and unknown kinds: only the icon picker and the plug-ins
    }
    // A cancelled reduction ends this file's import: no other reader is tried.
    if (!read && !FReduceCancelled) read = ImportFromLibrary(file, image);
    // A file whose batch was cancelled while it was read is not added, nor reported.
    if (BackgroundWorkCancelled()) return TOpenResult::NothingAdded;
    if (!read || !OnWindowThread([&] { return StoreImportedImage(file, image); })) return nothing();
    return TOpenResult::Added;
}

bool TForm1::StoreImportedImage(const std::string& path, const ImportedImage& image) {
    const int tx = std::clamp(image.TransX, 0, kImageSize - 1), ty = std::clamp(image.TransY, 0, kImageSize - 1);
    const bool transparent = SameColour(ShownColour(image.Cur.Palette, image.Cur.Inverse, image.Cur.Pixels.At(tx, ty)),
                                        image.TransColour);
    std::string name = FDoc.MakeUniqueName(ImportedImageName(path));
    if (!ImagePage->AddImage(image.Cur, image.HotX, image.HotY, tx, ty, transparent, name, name)) return false;
    FramePage->AddFrameOf(FDoc.LastImage());
    return true;
}

// ---- commands

void TForm1::OpenBtnClick() {
    OpenDialog1.InitialDir = FPath;
    if (!OpenDialog1.Execute(FHandle)) return;
    FPath = ExtractFilePath(OpenDialog1.FileName);
    DropPanel1DropFiles(ImagePage->OpenBtn.get(), OpenDialog1.Files);
}

void TForm1::PasteClipBtnClick() {
    TBitmap picture;
    if (!ReadClipboardBitmap(FHandle, picture)) return;
    // Written to the temporary folder, never beside the user's files; the last folder stays.
    TTemporaryFile file(kClipboardFileName);
    picture.SaveToFile(file.Path());
    const std::string path = FPath;
    DropPanel1DropFiles(nullptr, {file.Path()});
    FPath = path;
}

void TForm1::CopyClipBtnClick() {
    const TImage& shown = *ImagePage->Image1;
    if (!shown.Visible() || shown.Bitmap().Empty()) return;
    WriteClipboardBitmap(FHandle, shown.Bitmap());
}
