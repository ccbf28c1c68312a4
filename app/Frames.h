#pragma once
// The frame list's rules, free of windows. The document keeps one FrameLine per frame
// (image number, interval in jiffies of 1/60 s) and the frame page's list box ListBox2
// shows each as the text "%03d%6d"; these functions make those texts, decide
// where a new frame goes, check the frames against the image list, fill the two tables
// the writers read, and run the preview's position and timing. The window code reads its
// controls, calls these, and shows the results; nothing here shows a message.
//
// How the frame page uses them:
//   AddFramBtnClick     if (!FrameListHasRoom(n)) report kFrameLimitMessage; else insert
//                       at FrameInsertIndex(n, sel)
//   DelFramBtnClick     select SelectionAfterDelete(k, n - 1)
//   ListBox2Click       FramImageIndex := ImageForSelectedLine(image, FLastImage), rewriting
//                       the frame when it differs
//   ListBox2DrawItem    FrameRowText(i, interval); the thumbnail only when FrameImageExists
//   InsertFramClick     checked: CheckFrameLines, and on failure uncheck and report
//                       FrameCheckMessage; unchecked: Timer1 := PreviewTiming::UncheckedMs
//   DefaultSpeedChange  outside per-frame mode Timer1 := PreviewTiming::StepMs(DefaultSpeed)
//   save, ANITest       BuildFrameArrays; on a failed check report its message and write nothing,
//                       on UnusedImages report kUnusedImagesMessage and go on
//   Timer1Timer, PreMouseDown, RepMouseDown, PlayClick, StopClick   TPreview (below)
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "formats/AniFile.h"  // kMaxFrames: the capacity of the frame tables, and so of the list

// One frame: an image number (index into the image list) and its interval in jiffies.
struct FrameLine {
    int Image = 0;
    int Interval = 0;
    friend bool operator==(const FrameLine&, const FrameLine&) = default;
};

// The list-box line of a frame: "%03d%6d".
std::string FormatFrameLine(int image, int interval);
// The list-box lines of the frames, in order.
std::vector<std::string> FormatFrameLines(const std::vector<FrameLine>& frames);

// Whether image number `image` names an image of a list whose last index is lastImage.
inline bool FrameImageExists(int image, int lastImage) { return image >= 0 && image <= lastImage; }
// The image a selected line shows: its own when it exists, else image 0 (and the window
// rewrites the line with it).
inline int ImageForSelectedLine(int image, int lastImage) { return FrameImageExists(image, lastImage) ? image : 0; }

// Whether one more line fits the frame tables.
inline bool FrameListHasRoom(int lineCount) { return lineCount < kMaxFrames; }
// Where a new line goes: before the selected line, or at the end when the list is empty,
// no line is selected (-1) or the last line is selected. The new line becomes the selection.
int FrameInsertIndex(int lineCount, int selected);
// The line selected after line k was deleted: k again, or the new last line when k is now
// past the end; -1 when the list became empty.
int SelectionAfterDelete(int k, int countAfter);
// The text of a drawn row: "%03d       %4d" of the row index and the interval.
std::string FrameRowText(int index, int interval);

// What turning per-frame mode on, saving and the animation test check, in this order.
enum class FrameCheck {
    Ok,
    NoImages,      // "まだイメージがありません。"
    NoFrames,      // "フレームデータがありません。"
    MissingImage,  // a line names an image that no longer exists (or does not read)
    TooManyFrames, // more lines than the tables hold
};
FrameCheck CheckFrameLines(const std::vector<FrameLine>& frames, int lastImage);
// The message the window reports for a failed check; empty for Ok.
std::string FrameCheckMessage(FrameCheck check);

extern const char* const kUnusedImagesMessage;  // "フレームとして使われていないイメージがあります。"
extern const char* const kFrameLimitMessage;    // a frame beyond the tables was refused

// The tables the writers read: image number and interval of frame i, i < FFrameCount.
struct FrameTables {
    std::array<int, kMaxFrames> FFrameImages{};
    std::array<int, kMaxFrames> FFrameSpeeds{};
    int FFrameCount = 0;
};

struct FrameBuildResult {
    // Not Ok: the tables were left as they were and nothing may be written.
    FrameCheck Check = FrameCheck::Ok;
    // Some image 0..lastImage is shown by no frame: warn once, then go on writing.
    bool UnusedImages = false;
};
// BuildFrameArrays: checks the lines as turning per-frame mode on does, then fills the tables.
FrameBuildResult BuildFrameArrays(const std::vector<FrameLine>& frames, int lastImage, FrameTables& tables);

// The preview's timing: milliseconds per jiffy (CSpinEdit1) and fixed milliseconds
// (CSpinEdit2) of every period.
struct PreviewTiming {
    int MsPerJiffy = 18;
    int FixedMs = 12;
    // The period after a per-frame step, and after DefaultSpeedChange outside per-frame mode.
    int StepMs(int jiffies) const { return FixedMs + MsPerJiffy * jiffies; }
    // The period set when per-frame mode is turned off (the fixed part is not added there).
    int UncheckedMs(int defaultSpeed) const { return MsPerJiffy * defaultSpeed; }
};
constexpr int kPreviewStartInterval = 200;  // Timer1's period until a speed has been set

struct FrameHotspot {
    int X = 0;
    int Y = 0;
};
// The preview picture stays with its hotspot on this point of its panel.
constexpr int kPreviewAnchorX = 321;
constexpr int kPreviewAnchorY = 74;
struct PreviewPoint {
    int Left = 0;
    int Top = 0;
    friend bool operator==(const PreviewPoint&, const PreviewPoint&) = default;
};
inline PreviewPoint PreviewPlacement(FrameHotspot h) { return {kPreviewAnchorX - h.X, kPreviewAnchorY - h.Y}; }
// Label17: "Frm.%03d Img.%03d".
std::string PreviewLabel(int frame, int image);

// What a preview step reads; the window fills it from its controls and the image list.
struct PreviewSource {
    bool PerFrame = false;  // InsertFram is checked
    int ImageCount = 0;     // FLastImage + 1
    // The frame lines in order (per-frame mode only).
    std::vector<FrameLine> Lines;
    // HotX, HotY of image i (asked only for images that exist).
    std::function<FrameHotspot(int)> ImageHotspot;
    bool UniteHotspot = false;
    FrameHotspot UniHot;  // UniHotX, UniHotY
    PreviewTiming Timing;
};

// One shown step.
struct PreviewStep {
    int Frame = 0;  // FPreviewFrame after the step
    int Image = 0;  // the image of that frame
    // The image exists: show its thumbnail at Position. Otherwise leave the picture alone.
    bool ImageExists = false;
    PreviewPoint Position;
    std::optional<int> IntervalMs;  // Timer1's period from now on (per-frame mode)
    std::string Label;              // Label17
};

// The preview's state: whether Play is down and the position FPreviewFrame (a frame index
// in per-frame mode, an image index otherwise). The window runs Timer1 while TimerRuns
// says so and calls Step at every tick; Pre and Rep stop playing and step once.
class TPreview {
public:
    bool Playing() const { return FPlaying; }
    int PreviewFrame() const { return FPreviewFrame; }
    void Play() { FPlaying = true; }   // PlayClick
    void Stop() { FPlaying = false; }  // StopClick
    // Timer1 runs only while Play is down, the frame page is shown and images exist.
    bool TimerRuns(bool framePageShown, int imageCount) const {
        return FPlaying && framePageShown && imageCount > 0;
    }
    // Timer1Timer: advance by one (wrapping after the last frame or image) and show it.
    // nullopt when there is nothing to show (no images, or per-frame mode without lines).
    std::optional<PreviewStep> Step(const PreviewSource& s);
    // PreMouseDown: stop playing, then one step.
    std::optional<PreviewStep> StepForward(const PreviewSource& s);
    // RepMouseDown: stop playing, then show the frame before the current one.
    std::optional<PreviewStep> StepBack(const PreviewSource& s);

private:
    bool FPlaying = true;  // Play is down at start
    int FPreviewFrame = 0;
};
