// The main window's file commands: importing dropped, opened and pasted files.
#include "app/MainForm.h"
#include "app/ExtIcon.h"
#include "app/TemporaryFile.h"
#include "app/SmallDialogs.h"
#include "base/Exception.h"
#include "base/Format.h"
#include "base/ScopeGuard.h"
#include "formats/PictureImport.h"
#include "formats/ShortCut.h"
#include "ui/Application.h"
#include "ui/Clipboard.h"
#include "ui/FileDialogs.h"

namespace {

const char* const kOpenFilter =
    "ビットマップ (*.bmp)|*.bmp|ﾎﾟｰﾀﾌﾞﾙﾈｯﾄﾜｰｸｸﾞﾗﾌｨｯｸｽ(*.png)|*.png|アイコン(*.ico)|*.ico|カーソル(*.cur)|*.cur"
    "|ｱﾆﾒｰｼｮﾝｶｰｿﾙ(*.ani)|*.ani|ﾗｲﾌﾞﾗﾘ(*.dll,*.exe,*.icl,*.scr,*.cpl,*.ocx)|*.dll;*.exe;*.icl;*.scr;*.ocx;*.cpl"
    "|対応ﾌｧｲﾙ(bmp,png,ico,cur,ani,icl,dll,exe,cpl,ocx,scr)|*.bmp;*.png;*.ico;*.cur;*.ani;*.dll;*.exe;*.icl;*.cpl;*.ocx;*.scr"
    "|すべてのファイル(*.*)|*.*";

const char* const kAniNotOpened = "%s の\n読み込みに失敗しました。";
const char* const kAniRejected = "%s は\nRIFFｱﾆﾒｰｼｮﾝﾎﾟｲﾝﾀではないか、\nまたは対応されていない形式です。";
const char* const kAni24Bit = "データが不正!カラー(24bit)";
const char* const kBitmapAsIcon = "%s は\nｴｸｽﾌﾟﾛｰﾗ擬似ｱｲｺﾝ(ﾋﾞｯﾄﾏｯﾌﾟ)です。";
const char* const kNothingImported = "%s は\nｲﾒｰｼﾞが含まれていないか,入力がｷｬﾝｾﾙされたため読み込めませんでした。";
const char* const kLimitOne = "イメージは1000個までです。";
const char* const kLimitMany = "イメージの数が1000個を超えたのですべてのイメージを読み込めませんでした。";
const char* const kIcon24Bit = "サイズは32x32ですが24bitカラー形式しか含まれていません。\nvevedaで読み込みます。";
const char* const kShortcutShowCmd = "Error:致命的エラー(Load)";
const char* const kSmartResizeQuestion = "すまーとリサイズを行いますか？";

constexpr int kOpenedFile = 1;  // ReportMessage kind: the caption of opened files

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
    if (files.empty()) return;
    SetForegroundWindow(FHandle);
    PageControl1->SetActivePage(Page1);
    FPath = ExtractFilePath(files.front());
    if (files.size() == 1 && ClassifyImportPath(files.front()) == ImportKind::Ani) {
        ReadAniIntoDocument(files.front(), true);
        FinishImport();
        return;
    }
    FApplyBackAll = 0;
    FMultiDrop = files.size() > 1;
    {
        // One batch for the whole drop: the lists repaint once, and the page shows the last
        // image once, at its end.
        TWaitCursor hourglass;
        ImagePage->BeginAdds();
        TScopeExit endImages([this] { ImagePage->EndAdds(); });
        FramePage->BeginAdds();
        TScopeExit endFrames([this] { FramePage->EndAdds(); });
        for (const std::string& path : files) {
            if (!FDoc.CanAdd()) {
                ReportMessage(files.size() == 1 ? kLimitOne : kLimitMany, kOpenedFile, 0);
                break;
            }
            OpenImageFile(path);
        }
    }
    FinishImport();
}

void TForm1::FinishImport() {
    if (FDoc.LastImage() < 0) return;
    ImagePage->RefreshDialogPictures();
    SaveANIBtn->SetEnabled(true);
    ImagePage->ShowImagePageEnabled();
}

uint8_t TForm1::OpenImageFile(const std::string& path) {
    std::string file = path;
    ImportKind kind = ClassifyImportPath(file);
    if (kind == ImportKind::Shortcut) {
        std::optional<std::string> target = ResolveShortcut(file);
        if (!target) {
            ReportMessage(Format(kNothingImported, path.c_str()), kOpenedFile, 0);
            return 1;
        }
        file = *target;
        kind = ClassifyImportPath(file);
    }
    ImportedImage image;
    bool read = false;
    FReduceCancelled = false;
    switch (kind) {
    case ImportKind::Ani: ReadAniIntoDocument(file, false); return 0;
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
        if (r.Result == kIconIsBitmap) ReportMessage(Format(kBitmapAsIcon, path.c_str()), kOpenedFile, 0);
        read = r.Result == 0;
        break;
    }
    default: break;  // libraries and unknown kinds: only the icon picker and the plug-ins
    }
    // A cancelled reduction ends this file's import: no other reader is tried.
    if (!read && !FReduceCancelled) read = ImportFromLibrary(file, image);
    if (!read || !StoreImportedImage(file, image)) {
        ReportMessage(Format(kNothingImported, path.c_str()), kOpenedFile, 0);
        return 1;
    }
    return 0;
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

// ---- animated cursors

bool TForm1::ReportAniResult(const std::string& path, const AniReadResult& r) {
    if (r.Code == kAniRead) return true;
    if (r.Note == AniReadNote::Colour24) ShowMessageBox(FHandle, kAni24Bit, TApplication::Instance().Title(), MB_OK);
    ReportMessage(Format(r.Code == kAniCannotOpen ? kAniNotOpened : kAniRejected, path.c_str()), kOpenedFile, 0);
    return false;
}

void TForm1::ReadAniIntoDocument(const std::string& path, bool replace) {
    bool reductionTemp = false;
    const std::string title = AniImageTitle(path, FDocName, reductionTemp);
    AniReadOptions options;
    options.ExistingImages = replace ? 0 : FDoc.LastImage() + 1;
    // Read completely first: a file that cannot be read leaves the document as it was.
    AniReadResult r = ReadAniFile(path, options);
    if (!ReportAniResult(path, r)) return;
    if (replace) ImagePage->ClearAllImages();
    if (!reductionTemp) FDocName = title;
    TakeAniResult(r, title, !reductionTemp);
}

void TForm1::TakeAniResult(AniReadResult& r, const std::string& title, bool askBackground) {
    TColor background = OptionsPage->DefCol->Color();
    if (askBackground && !OptionsPage->NoDlgDisp->Checked() && !r.Icons.empty()) {
        bool unused = false;
        background = AskBackColour(false, unused);
    }
    MakeAniImages(r, background, title);
    TWaitCursor hourglass;
    ImagePage->AddImages(r.Images);
    bool framesRefused = false;
    for (const AniFrame& f : r.Frames)
        if (!FDoc.AddFrame(FrameLine{f.Image, f.Rate})) {
            framesRefused = true;
            break;
        }
    FramePage->ShowFrames();
    if (FDoc.FrameCount() > 0) {
        FramePage->ListBox2->SetItemIndex(FDoc.FrameCount() - 1);
        FramePage->ListBox2Click();
    }
    if (framesRefused) ReportMessage(kFrameLimitMessage, 0, 0);
    if (r.Icons.empty()) return;
    FramePage->DefaultSpeed->SetValue(r.DefaultRate);
    if (r.PerFrame) FramePage->InsertFram->SetChecked(true);
    if (r.HasInfo) {
        if (r.HasTitle) FDoc.SetTitle(r.Title);
        if (r.HasAuthor) FDoc.SetAuthor(r.Author);
        FileOptionsPage->ShowTitleAndAuthor();
        FileOptionsPage->InsertInfo->SetChecked(true);
    }
    if (r.HasMonoCursor) {
        FileOptionsPage->SetMonoCursor(r.MonoCursor, r.MonoX, r.MonoY);
        FileOptionsPage->InsertMonoCur->SetChecked(true);
    }
    FramePage->UniHotX->SetValue(r.UniHotX);
    FramePage->UniHotY->SetValue(r.UniHotY);
    FramePage->UniteHotspot->SetChecked(r.UniteHotspot);
}

// ---- pictures

PictureImportOptions TForm1::ImportOptions() {
    PictureImportOptions o;
    o.Henpei = OptionsPage->Henpei->Checked();
    o.SmartResize = OptionsPage->ResizeCheck->Checked();
    o.Posterize = OptionsPage->ReduceCheck->Checked();
    o.AskSmartResize = [this] {
        PlayBeep(MB_ICONQUESTION);
        return ShowMessageBox(FHandle, kSmartResizeQuestion, "確認", MB_YESNO | MB_ICONQUESTION) == IDYES;
    };
    return o;
}

bool TForm1::TakePicture(PictureImport& picture, ImportedImage& out) {
    if (picture.Result == kPictureRead) return true;
    if (picture.Result == kPictureNeedsReduction) return ReduceImportedPicture(picture, out);
    return false;
}

bool TForm1::ImportFromLibrary(const std::string& path, ImportedImage& out) {
    TBitmap picture;
    if (!PickLibraryIcon(path, picture) && !LoadPluginPicture(path, picture)) return false;
    PictureImport p = ImportPictureFromBitmap(picture, ImportOptions(), out);
    return TakePicture(p, out);
}

bool TForm1::ReduceImportedPicture(PictureImport& picture, ImportedImage& out) {
    ImagePalette palette{};
    if (!ReduceColoursForImport(picture.Target, OptionsPage->ReduceCheck->Checked(), 256, palette)) {
        FReduceCancelled = true;
        return false;
    }
    FinishReducedImport(picture.Target, palette, picture.SourceIs4Bit, out);
    return true;
}

std::optional<std::string> TForm1::ResolveShortcut(const std::string& path) {
    TMakeShortCut shortcut;
    shortcut.SCFileName = path;
    const TShortCutLoad r = shortcut.SCLoad();
    if (r == TShortCutLoad::Failed || shortcut.SCExecFile.empty()) return std::nullopt;
    if (r == TShortCutLoad::UnknownShowCmd)
        ShowMessageBox(FHandle, kShortcutShowCmd, TApplication::Instance().Title(), MB_OK);
    return shortcut.SCExecFile;
}

bool TForm1::PickLibraryIcon(const std::string& path, TBitmap& picture) {
    return PickLibraryIconPicture(
        this, path,
        [this] {
            if (OptionsPage->NoDlgDisp->Checked()) return OptionsPage->DefCol->Color();
            bool unused = false;
            return AskBackColour(false, unused);
        },
        picture);
}

bool TForm1::LoadPluginPicture(const std::string& path, TBitmap& picture) {
    // A .bmp the bitmap import already read (and perhaps reduced or asked about) is not read
    // a second time by the loader's own bitmap path.
    if (ClassifyImportPath(path) == ImportKind::Bmp) return false;
    try {
        if (!Spiload1.set_file(path) || !Spiload1.load() || !Spiload1.Result()) return false;
    } catch (const Exception&) {
        return false;  // a broken bitmap: the import reports that nothing was read
    }
    picture = *Spiload1.Result();
    Spiload1.clean();
    return true;
}

// ---- background colour

TColor TForm1::IconBackground(bool oneBit) {
    if (FApplyBackAll) return FBackAllColour;
    if (OptionsPage->NoDlgDisp->Checked() || oneBit) return OptionsPage->DefCol->Color();
    bool all = false;
    TColor c = AskBackColour(FMultiDrop != 0, all);
    if (all) {
        FBackAllColour = c;
        FApplyBackAll = 1;
    }
    return c;
}

TColor TForm1::AskBackColour(bool offerAll, bool& applyAll) {
    TBackColorDlg dlg(this);
    dlg.ColorDialog1.Color = OptionsPage->DefCol->Color();
    dlg.CheckBox1->SetVisible(offerAll);
    applyAll = false;
    if (dlg.ShowModal() != mrOk) return OptionsPage->DefCol->Color();
    applyAll = offerAll && dlg.CheckBox1->Checked();
    return dlg.ColorDialog1.Color;
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
