#include "app/Frames.h"

#include <gtest/gtest.h>

namespace {

std::vector<FrameLine> Lines(std::initializer_list<FrameLine> frames) { return frames; }

// A document of `images` images, image i with hotspot (i, 2i) unless set otherwise.
struct PreviewDoc {
    explicit PreviewDoc(int images, bool perFrame = false, std::vector<FrameLine> lines = {}) {
        Source.ImageCount = images;
        Source.PerFrame = perFrame;
        Source.Lines = std::move(lines);
        Source.ImageHotspot = [this](int i) {
            Asked.push_back(i);
            return i == 0 && Hotspot0 ? *Hotspot0 : FrameHotspot{i, 2 * i};
        };
    }
    PreviewSource Source;
    std::optional<FrameHotspot> Hotspot0;
    std::vector<int> Asked;
};

// Plays the preview on a clock of its own: each tick comes one period after the last, and a
// step that names a new period sets it for the next one, as Timer1 does.
struct FakeClock {
    int Now = 0;
    int Interval = kPreviewStartInterval;
    struct Shown {
        int At;
        int Frame;
    };
    std::vector<Shown> Steps;
    void Run(TPreview& preview, const PreviewSource& s, int ticks) {
        for (int i = 0; i < ticks; ++i) {
            Now += Interval;
            std::optional<PreviewStep> step = preview.Step(s);
            ASSERT_TRUE(step);
            Steps.push_back({Now, step->Frame});
            if (step->IntervalMs) Interval = *step->IntervalMs;
        }
    }
};

} // namespace

TEST(FrameLines, WrittenAsFixedColumns) {
    struct Case {
        int Image, Interval;
        const char* Text;
    } cases[] = {{3, 12, "003    12"}, {10, 911, "010   911"}, {999, 1, "999     1"}, {0, 10, "000    10"}};
    std::vector<FrameLine> frames;
    std::vector<std::string> texts;
    for (const Case& c : cases) {
        EXPECT_EQ(FormatFrameLine(c.Image, c.Interval), c.Text);
        frames.push_back(FrameLine{c.Image, c.Interval});
        texts.push_back(c.Text);
    }
    EXPECT_EQ(FormatFrameLines(frames), texts);
}

TEST(FrameList, NewLineGoesBeforeTheSelectedLineUnlessTheLastIsSelected) {
    struct Case {
        int Count, Selected, Index;
    } cases[] = {
        {0, -1, 0},  // empty list
        {5, -1, 5},  // nothing selected
        {5, 4, 5},   // the last line selected: appended
        {5, 1, 1},   // the second of five: becomes line 1, the old one moves down
        {5, 0, 0},
        {1, 0, 1},
    };
    for (const Case& c : cases) EXPECT_EQ(FrameInsertIndex(c.Count, c.Selected), c.Index) << c.Count << "," << c.Selected;
}

TEST(FrameList, SelectionAfterDeleteStaysOrMovesToTheNewLastLine) {
    EXPECT_EQ(SelectionAfterDelete(2, 4), 2);
    EXPECT_EQ(SelectionAfterDelete(4, 4), 3);
    EXPECT_EQ(SelectionAfterDelete(0, 0), -1);
}

TEST(FrameList, RoomEndsAtTheTablesCapacity) {
    EXPECT_TRUE(FrameListHasRoom(0));
    EXPECT_TRUE(FrameListHasRoom(kMaxFrames - 1));
    EXPECT_FALSE(FrameListHasRoom(kMaxFrames));
}

TEST(FrameList, SelectedLineOfADeletedImageFallsBackToImage0) {
    EXPECT_EQ(ImageForSelectedLine(3, 2), 0);  // one past the last image
    EXPECT_EQ(ImageForSelectedLine(2, 2), 2);
    EXPECT_EQ(ImageForSelectedLine(-1, 2), 0);
}

TEST(FrameList, RowTextShowsIndexAndInterval) { EXPECT_EQ(FrameRowText(7, 12), "007         12"); }

TEST(FrameChecks, InTheOrderPerFrameModeChecksThem) {
    EXPECT_EQ(CheckFrameLines(Lines({{5, 10}}), -1), FrameCheck::NoImages);
    EXPECT_EQ(CheckFrameLines({}, 2), FrameCheck::NoFrames);
    EXPECT_EQ(CheckFrameLines(Lines({{0, 10}, {3, 10}}), 2), FrameCheck::MissingImage);
    EXPECT_EQ(CheckFrameLines(Lines({{0, 10}, {2, 10}}), 2), FrameCheck::Ok);

    EXPECT_EQ(FrameCheckMessage(FrameCheck::NoImages), "まだイメージがありません。");
    EXPECT_EQ(FrameCheckMessage(FrameCheck::NoFrames), "フレームデータがありません。");
    EXPECT_EQ(FrameCheckMessage(FrameCheck::MissingImage),
              "イメージが削除されたため、フレームデータに存在しないイメージ番号があります。");
    EXPECT_EQ(FrameCheckMessage(FrameCheck::TooManyFrames), kFrameLimitMessage);
    EXPECT_EQ(FrameCheckMessage(FrameCheck::Ok), "");
}

TEST(FrameTables, WarnWhenAnImageIsShownByNoFrame) {
    FrameTables t;
    // Images 0..2, frames showing images 0 and 2: image 1 is unused.
    FrameBuildResult r = BuildFrameArrays(Lines({{0, 5}, {2, 30}}), 2, t);
    EXPECT_EQ(r.Check, FrameCheck::Ok);
    EXPECT_TRUE(r.UnusedImages);
    ASSERT_EQ(t.FFrameCount, 2);
    EXPECT_EQ(t.FFrameImages[0], 0);
    EXPECT_EQ(t.FFrameImages[1], 2);
    EXPECT_EQ(t.FFrameSpeeds[0], 5);
    EXPECT_EQ(t.FFrameSpeeds[1], 30);

    EXPECT_FALSE(BuildFrameArrays(Lines({{2, 1}, {0, 1}, {1, 1}}), 2, t).UnusedImages);
    EXPECT_EQ(t.FFrameCount, 3);

    std::vector<FrameLine> forty;
    for (int i = 0; i < 40; ++i) forty.push_back(FrameLine{39 - i, 10});
    EXPECT_FALSE(BuildFrameArrays(forty, 39, t).UnusedImages);
    EXPECT_EQ(t.FFrameCount, 40);
    EXPECT_EQ(t.FFrameImages[0], 39);
}

TEST(FrameTables, RefuseFramesOfDeletedImages) {
    FrameTables t;
    t.FFrameCount = 1;
    t.FFrameImages[0] = 77;
    // Image 3 was deleted: only 0..2 remain.
    FrameBuildResult r = BuildFrameArrays(Lines({{0, 5}, {3, 5}}), 2, t);
    EXPECT_EQ(r.Check, FrameCheck::MissingImage);
    EXPECT_EQ(t.FFrameCount, 1);
    EXPECT_EQ(t.FFrameImages[0], 77);
    EXPECT_EQ(BuildFrameArrays(Lines({{0, 5}}), -1, t).Check, FrameCheck::NoImages);
    EXPECT_EQ(BuildFrameArrays({}, 2, t).Check, FrameCheck::NoFrames);
}

TEST(FrameTables, NeverTakeMoreFramesThanFit) {
    FrameTables t;
    std::vector<FrameLine> lines(kMaxFrames, FrameLine{0, 10});
    EXPECT_EQ(BuildFrameArrays(lines, 0, t).Check, FrameCheck::Ok);
    EXPECT_EQ(t.FFrameCount, kMaxFrames);
    lines.push_back(FrameLine{0, 10});
    t.FFrameCount = 0;
    EXPECT_EQ(BuildFrameArrays(lines, 0, t).Check, FrameCheck::TooManyFrames);
    EXPECT_EQ(t.FFrameCount, 0);
}

TEST(PreviewTiming, JiffiesBecomeMilliseconds) {
    PreviewTiming timing;
    EXPECT_EQ(timing.StepMs(5), 102);
    EXPECT_EQ(timing.StepMs(10), 192);
    EXPECT_EQ(timing.UncheckedMs(10), 180);
    EXPECT_EQ((PreviewTiming{20, 3}.StepMs(2)), 43);
}

TEST(Preview, PerFrameIntervalsSetHowLongEachFrameShows) {
    PreviewDoc doc(2, true, {{0, 5}, {1, 10}});
    TPreview preview;
    FakeClock clock;
    clock.Run(preview, doc.Source, 6);
    // The first tick comes after Timer1's starting period; from then on each frame stays for
    // the period its own line asks for.
    EXPECT_EQ(clock.Steps[0].At, kPreviewStartInterval);
    for (std::size_t i = 0; i + 1 < clock.Steps.size(); ++i) {
        int shownFor = clock.Steps[i + 1].At - clock.Steps[i].At;
        EXPECT_EQ(shownFor, clock.Steps[i].Frame == 0 ? 102 : 192) << "step " << i;
    }
    EXPECT_EQ(clock.Steps[0].Frame, 1);
    EXPECT_EQ(clock.Steps[1].Frame, 0);
}

TEST(Preview, WithoutPerFrameModeStepsOverEveryImageAndKeepsThePeriod) {
    PreviewDoc doc(3);
    TPreview preview;
    std::vector<int> shown;
    for (int i = 0; i < 4; ++i) {
        std::optional<PreviewStep> s = preview.Step(doc.Source);
        ASSERT_TRUE(s);
        EXPECT_FALSE(s->IntervalMs);
        EXPECT_EQ(s->Image, s->Frame);
        shown.push_back(s->Image);
    }
    EXPECT_EQ(shown, (std::vector<int>{1, 2, 0, 1}));
}

TEST(Preview, PictureKeepsTheHotspotOnTheAnchor) {
    PreviewDoc doc(1);
    doc.Hotspot0 = FrameHotspot{31, 0};
    TPreview preview;
    std::optional<PreviewStep> s = preview.Step(doc.Source);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->Position, (PreviewPoint{290, 74}));
    EXPECT_EQ(s->Label, "Frm.000 Img.000");

    doc.Source.UniteHotspot = true;
    doc.Source.UniHot = {4, 9};
    s = preview.Step(doc.Source);
    EXPECT_EQ(s->Position, (PreviewPoint{317, 65}));
}

TEST(Preview, StepBackFromTheFirstFrameShowsTheLast) {
    PreviewDoc doc(3, true, {{0, 5}, {1, 5}, {2, 5}});
    TPreview preview;
    ASSERT_EQ(preview.PreviewFrame(), 0);
    std::optional<PreviewStep> s = preview.StepBack(doc.Source);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->Frame, 2);
    EXPECT_EQ(s->Image, 2);
    EXPECT_FALSE(preview.Playing());
    EXPECT_EQ(preview.StepBack(doc.Source)->Frame, 1);
    EXPECT_EQ(preview.StepForward(doc.Source)->Frame, 2);
    EXPECT_EQ(preview.StepForward(doc.Source)->Frame, 0);  // wraps after the last line
}

TEST(Preview, NothingToShowWithoutImagesOrLines) {
    TPreview preview;
    PreviewDoc none(0);
    EXPECT_FALSE(preview.Step(none.Source));
    EXPECT_FALSE(preview.StepBack(none.Source));
    PreviewDoc noLines(2, true);
    EXPECT_FALSE(preview.Step(noLines.Source));
    EXPECT_FALSE(preview.StepBack(noLines.Source));  // no division by zero
    EXPECT_EQ(preview.PreviewFrame(), 0);
    PreviewDoc one(1, true, {{0, 5}});
    EXPECT_EQ(preview.StepBack(one.Source)->Frame, 0);
}

TEST(Preview, FrameOfADeletedImageIsNotShown) {
    PreviewDoc doc(2, true, {{0, 5}, {5, 10}});
    TPreview preview;
    std::optional<PreviewStep> s = preview.Step(doc.Source);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->Frame, 1);
    EXPECT_FALSE(s->ImageExists);
    EXPECT_EQ(s->IntervalMs, 192);
    EXPECT_EQ(s->Label, "Frm.001 Img.005");
    EXPECT_TRUE(doc.Asked.empty());  // the hotspot of image 5 is never looked up
}

TEST(Preview, StaleFrameAfterTheListShrankWraps) {
    PreviewDoc three(3);
    TPreview preview;
    preview.Step(three.Source);
    preview.Step(three.Source);
    ASSERT_EQ(preview.PreviewFrame(), 2);
    PreviewDoc one(1);
    EXPECT_EQ(preview.Step(one.Source)->Image, 0);
    preview.Step(three.Source);
    preview.Step(three.Source);
    EXPECT_EQ(preview.StepBack(one.Source)->Frame, 0);
}

TEST(Preview, TimerRunsOnlyWhilePlayingOnTheFramePageWithImages) {
    TPreview preview;
    EXPECT_TRUE(preview.Playing());  // Play is down at start
    EXPECT_TRUE(preview.TimerRuns(true, 1));
    EXPECT_FALSE(preview.TimerRuns(false, 1));
    EXPECT_FALSE(preview.TimerRuns(true, 0));
    preview.Stop();
    EXPECT_FALSE(preview.TimerRuns(true, 1));
    preview.Play();
    EXPECT_TRUE(preview.TimerRuns(true, 1));
}
