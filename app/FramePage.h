#pragma once
// The page "フレームの編集" of the main window: the document's frames in ListBox2, the
// intervals, the common hotspot, the animation preview on the multimedia timer and the
// animation test. The main window hosts the page and tells it through TFramePageHost what
// it needs from the rest of the program.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/CursorDocument.h"
#include "app/MessageKinds.h"
#include "app/Frames.h"
#include "app/MMTimer.h"
#include "app/ValueBox.h"
#include "formats/AniFile.h"
#include "ui/Bars.h"
#include "ui/Button.h"
#include "ui/ImageList.h"
#include "ui/Image.h"
#include "ui/ListBox.h"
#include "ui/Panel.h"
#include "ui/Win.h"

struct TFramePageHost {
    // The main window's message box.
    std::function<void(const std::string& text, TMessageCaption kind, TMessageIcon icon)> Report;
    // Whether the frame page is the one shown.
    std::function<bool()> Shown;
    // Image i becomes the current image and the editor opens on it, at once (now = true)
    // or after the double-click delay.
    std::function<void(int image, bool now)> EditImage;
    // The whole document as the animated-cursor writer takes it.
    std::function<AniWriteInput(AniSaveMode mode)> AniInput;
};

class TFramePage {
public:
    // thumbnails: the images' icons, index by index.
    TFramePage(TControl* page, TCursorDocument& doc, const TImageList& thumbnails, TFramePageHost host);
    TFramePage(const TFramePage&) = delete;
    TFramePage& operator=(const TFramePage&) = delete;

    // The lines.
    void SetFrameLine(int image, int interval, int line);
    std::optional<FrameLine> GetFrameLine(int line) const;
    // ListBox2 shows the document's frames again (one repaint).
    void ShowFrames();
    // Fills the frame tables; false (after reporting why) when the lines cannot be written.
    bool BuildFrameArrays();
    // A frame of image (the new last image of an import) as AddFramBtnClick adds it.
    void AddFrameOf(int image);
    // A batch of added frames (a drop of many files); batches nest. Within it the frames
    // join the document only; when the outermost batch ends ListBox2 shows them, with the
    // last added selected, and the page shows that frame.
    void BeginAdds();
    void EndAdds();

    // The page was entered (canTest: the document can be saved) or left.
    void PageEntered(bool canTest);
    void PageLeft();
    // The controls show the document's interval, per-frame mode and common hotspot.
    void ShowAniOptions();
    // The document was cleared: no lines, no preview.
    void DocumentCleared();
    // While the common hotspot is off its boxes follow the current image's hotspot.
    void FollowHotspot(int x, int y);
    // Stops the preview clock and lets go of the pictures (the window closes).
    void Close();
    int PreviewFrame() const { return FPreview.PreviewFrame(); }

    // Handlers.
    void FramImageIndexClick();
    void FrameSpeedChange();
    void ScrollBar2Change();
    void TrackBar1Change();
    void DefaultSpeedChange();
    void ScrollBar1Change();
    void TrackBar2Change();
    void UniteIntervalClick();
    void AddFramBtnClick();
    void DelFramBtnClick();
    void InsertFramClick();
    void ListBox2Click();
    void ListBox2MouseDown(const TMouseEvent& e);
    void ListBox2MouseMove(const TMouseEvent& e);
    void ListBox2MouseUp(const TMouseEvent& e);
    void ListBox2KeyUp(WORD key);
    void ListBox2DblClick();
    void ListBox2DragDrop(int row);
    void ListBox2DrawItem(int index, const RECT& rect, const TOwnerDrawState& state, TCanvas& canvas);
    void Timer1Timer();
    void PlayClick();
    void StopClick();
    void PreMouseDown();
    void RepMouseDown();
    void ANITestClick();

private:
    TGdiObject FNameFont;  // the image's name in Panel3; outlives it

public:
    // Components (names as the window's own).
    std::unique_ptr<TDragListBox> ListBox2;
    std::unique_ptr<TLabel> Label3, Label4, Label5, Label6, Label7;
    std::unique_ptr<TUpDown> FramImageIndex;
    std::unique_ptr<TPanel> Panel3;  // name of the chosen image
    std::unique_ptr<TImage> Image5;  // its thumbnail
    std::unique_ptr<TValueBox> FrameSpeed, DefaultSpeed;
    std::unique_ptr<TScrollBar> ScrollBar1, ScrollBar2;
    std::unique_ptr<TTrackBar> TrackBar1, TrackBar2;
    std::unique_ptr<TButton> AddFramBtn, DelFramBtn, UniteInterval, ANITest;
    std::unique_ptr<TCheckBox> UniteHotspot, InsertFram;
    std::unique_ptr<TValueBox> UniHotX, UniHotY;
    std::unique_ptr<TSpeedButton> Play, Stop, Pre, Rep;
    std::unique_ptr<TPanel> Panel5;  // the preview area
    std::unique_ptr<TImage> Image4;  // the preview
    std::unique_ptr<TLabel> Label17;
    std::unique_ptr<MMTimer> Timer1;  // the preview clock

private:
    // An interval row at Top: its label, value box, the scroll bar that mirrors the box and
    // the track bar that sets the scroll bar's maximum.
    struct TIntervalRow {
        std::unique_ptr<TLabel> TFramePage::*Label;
        const char* LabelName;
        const char* Caption;
        std::unique_ptr<TValueBox> TFramePage::*Box;
        const char* BoxName;
        std::unique_ptr<TScrollBar> TFramePage::*Bar;
        const char* BarName;
        std::unique_ptr<TTrackBar> TFramePage::*Track;
        const char* TrackName;
        int Top;
    };
    void BuildIntervalRow(TControl* page, const TIntervalRow& row);
    void ShowPreviewStep(const std::optional<PreviewStep>& step);
    PreviewSource PreviewInput() const;
    void UpdatePreviewTimer();
    void ShowFrameImage(int image);

    TCursorDocument& FDoc;
    const TImageList& FThumbnails;
    TFramePageHost FHost;
    TPreview FPreview;
    uint8_t FFrameUpdating = 0;
    PreviewTiming FTiming;  // milliseconds per jiffy and fixed milliseconds of the preview
    int FFrameDragRow = -1;
    POINT FFrameDragStart{};
    TRedrawBatch FAdds;             // the batch of added frames under way
    bool FAddedInBatch = false;     // a frame was added in that batch
    // While ListBox2 lags behind the document's frames (within a batch): the line that will
    // be selected once it shows them.
    std::optional<int> FPendingSelection;
};

// The file name of the animation test's cursor (in the temporary folder).
extern const char* const kAniTestFileName;
