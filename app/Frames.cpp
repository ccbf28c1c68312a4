#include "app/Frames.h"

#include "base/Format.h"

const char* const kUnusedImagesMessage = "フレームとして使われていないイメージがあります。";
const char* const kFrameLimitMessage = "フレームは999個までです。";

std::string FormatFrameLine(int image, int interval) { return Format("%03d%6d", image, interval); }

std::vector<std::string> FormatFrameLines(const std::vector<FrameLine>& frames) {
    std::vector<std::string> lines;
    lines.reserve(frames.size());
    for (const FrameLine& f : frames) lines.push_back(FormatFrameLine(f.Image, f.Interval));
    return lines;
}

int FrameInsertIndex(int lineCount, int selected) {
    if (lineCount <= 0) return 0;
    return selected < 0 || selected >= lineCount - 1 ? lineCount : selected;
}

int SelectionAfterDelete(int k, int countAfter) {
    if (countAfter <= 0) return -1;
    return k < countAfter ? k : countAfter - 1;
}

std::string FrameRowText(int index, int interval) { return Format("%03d       %4d", index, interval); }

FrameCheck CheckFrameLines(const std::vector<FrameLine>& frames, int lastImage) {
    if (lastImage < 0) return FrameCheck::NoImages;
    if (frames.empty()) return FrameCheck::NoFrames;
    for (const FrameLine& f : frames)
        if (!FrameImageExists(f.Image, lastImage)) return FrameCheck::MissingImage;
    if (frames.size() > static_cast<std::size_t>(kMaxFrames)) return FrameCheck::TooManyFrames;
    return FrameCheck::Ok;
}

std::string FrameCheckMessage(FrameCheck check) {
    switch (check) {
    case FrameCheck::Ok: return {};
    case FrameCheck::NoImages: return "まだイメージがありません。";
    case FrameCheck::NoFrames: return "フレームデータがありません。";
    case FrameCheck::MissingImage:
        return "イメージが削除されたため、フレームデータに存在しないイメージ番号があります。";
    case FrameCheck::TooManyFrames: return kFrameLimitMessage;
    }
    return {};
}

FrameBuildResult BuildFrameArrays(const std::vector<FrameLine>& frames, int lastImage, FrameTables& tables) {
    FrameBuildResult result;
    result.Check = CheckFrameLines(frames, lastImage);
    if (result.Check != FrameCheck::Ok) return result;

    std::vector<bool> used(static_cast<std::size_t>(lastImage) + 1, false);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        tables.FFrameImages[i] = frames[i].Image;
        tables.FFrameSpeeds[i] = frames[i].Interval;
        used[static_cast<std::size_t>(frames[i].Image)] = true;
    }
    tables.FFrameCount = static_cast<int>(frames.size());
    for (bool u : used)
        if (!u) result.UnusedImages = true;
    return result;
}

std::string PreviewLabel(int frame, int image) { return Format("Frm.%03d Img.%03d", frame, image); }

std::optional<PreviewStep> TPreview::Step(const PreviewSource& s) {
    if (s.ImageCount <= 0) return std::nullopt;
    int n = s.PerFrame ? static_cast<int>(s.Lines.size()) : s.ImageCount;
    if (n <= 0) return std::nullopt;

    ++FPreviewFrame;
    if (FPreviewFrame < 0 || FPreviewFrame >= n) FPreviewFrame = 0;

    PreviewStep step;
    step.Frame = FPreviewFrame;
    if (s.PerFrame) {
        const FrameLine& line = s.Lines[static_cast<std::size_t>(FPreviewFrame)];
        step.Image = line.Image;
        step.IntervalMs = s.Timing.StepMs(line.Interval);
    } else {
        step.Image = FPreviewFrame;
    }
    step.ImageExists = FrameImageExists(step.Image, s.ImageCount - 1);
    if (step.ImageExists) {
        FrameHotspot h = s.UniteHotspot ? s.UniHot : s.ImageHotspot ? s.ImageHotspot(step.Image) : FrameHotspot{};
        step.Position = PreviewPlacement(h);
    }
    step.Label = PreviewLabel(step.Frame, step.Image);
    return step;
}

std::optional<PreviewStep> TPreview::StepForward(const PreviewSource& s) {
    Stop();
    return Step(s);
}

std::optional<PreviewStep> TPreview::StepBack(const PreviewSource& s) {
    Stop();
    if (s.ImageCount <= 0) return std::nullopt;
    int n = s.PerFrame ? static_cast<int>(s.Lines.size()) : s.ImageCount;
    if (n <= 0) return std::nullopt;
    FPreviewFrame = ((n + FPreviewFrame - 2) % n + n) % n;
    return Step(s);
}
