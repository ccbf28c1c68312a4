// The main window's import of animated cursors: read whole, then the images, frames and
// options go into the document.
#include "app/MainForm.h"
#include "app/SmallDialogs.h"
#include "base/Format.h"
#include "ui/Application.h"
#include "ui/BackgroundWork.h"

namespace {
const char* const kAniNotOpened = "%s の\n読み込みに失敗しました。";
const char* const kAniRejected = "%s は\nRIFFｱﾆﾒｰｼｮﾝﾎﾟｲﾝﾀではないか、\nまたは対応されていない形式です。";
} // namespace

bool TForm1::ReportAniResult(const std::string& path, const AniReadResult& r) {
    if (r.Code == AniReadCode::Read) return true;
    if (const std::string note = AniReadNoteText(r); !note.empty())
        ShowMessageBox(FHandle, note, TApplication::Instance().Title(), MB_OK);
    ReportMessage(Format(r.Code == AniReadCode::CannotOpen ? kAniNotOpened : kAniRejected, path.c_str()),
                  TMessageCaption::OpenedFile, TMessageIcon::Information);
    return false;
}

bool TForm1::ReadAniIntoDocument(const std::string& path, bool replace) {
    bool reductionTemp = false;
    const std::string title = AniImageTitle(path, FDocName, reductionTemp);
    AniReadOptions options;
    options.ExistingImages = replace ? 0 : FDoc.LastImage() + 1;
    // Read and decoded completely first, off the window thread: a file that cannot be read, or
    // whose reading was cancelled, leaves the document as it was.
    AniReadResult r;
    bool read = false;
    const bool ran = RunOffWindowThread(
        FHandle,
        [&] {
            r = ReadAniFile(path, options);
            if (!ReportAniResult(path, r)) return;
            TColor background = FSettings.Import.DefaultColour;
            if (!reductionTemp && !FSettings.Import.NoDialog && !r.Icons.empty()) {
                bool unused = false;
                background = AskBackColour(false, unused);
            }
            MakeAniImages(r, background, title);
            read = true;
        },
        Format(kAniNotOpened, path.c_str()));
    if (!ran || !read) return false;
    OnWindowThread([&] {
        if (replace) ImagePage->ClearAllImages();
        if (!reductionTemp) FDocName = title;
        TakeAniResult(r);
    });
    return true;
}

void TForm1::TakeAniResult(AniReadResult& r) {
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
    if (framesRefused) ReportMessage(kFrameLimitMessage, TMessageCaption::Application, TMessageIcon::Information);
    const FrameCheck perFrame = FDoc.TakeAniOptions(r);
    FramePage->ShowAniOptions();
    if (TFileOptionsPage* options = FileOptionsPage.IfMade()) {
        options->ShowTitleAndAuthor();
        options->ShowAniOptions();
    }
    if (perFrame != FrameCheck::Ok)
        ReportMessage(FrameCheckMessage(perFrame), TMessageCaption::Application, TMessageIcon::Information);
}
