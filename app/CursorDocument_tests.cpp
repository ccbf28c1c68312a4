#include "app/CursorDocument.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// An image whose pixels all use entry index, with entry 0 red (so no entry is black
// unless black is asked for) and entry index a colour of its own.
ImageRecord Plain(uint8_t index, bool withBlack = false) {
    ImageRecord r;
    r.Palette.fill(TRGBQuad{0, 0, 255, 0});
    r.Palette[index] = TRGBQuad{uint8_t(index), 200, 10, 0};
    if (withBlack) r.Palette[7] = TRGBQuad{0, 0, 0, 0};
    for (int p = 0; p < kIndexBytes; ++p) r.Pixels.Bytes[p] = index;
    r.Pixels.At(5, 5) = 3;  // one pixel of another entry
    return r;
}

} // namespace

TEST(CursorDocument, HoldsAtMostAThousandImages) {
    TCursorDocument doc;
    for (int i = 0; i < kMaxImages; ++i) ASSERT_TRUE(doc.AddImage(Plain(1), 0, 0, 0, 0, true, "a", "a"));
    EXPECT_EQ(doc.LastImage(), 999);
    EXPECT_FALSE(doc.CanAdd());
    EXPECT_FALSE(doc.AddImage(Plain(2), 0, 0, 0, 0, true, "b", "b"));
    EXPECT_FALSE(doc.DuplicateCurrentImage("c"));
    EXPECT_EQ(doc.Count(), kMaxImages);
    EXPECT_EQ(doc.CurImage(), 999);
    EXPECT_EQ(doc.ListNames().back(), "a");
    doc.DeleteCurrentImage();
    EXPECT_TRUE(doc.CanAdd());
    EXPECT_TRUE(doc.DuplicateCurrentImage("c"));
    EXPECT_EQ(doc.Count(), kMaxImages);
}

TEST(CursorDocument, AnAddedImageIsDerivedOnceAndStoredWithItsOutCopy) {
    TCursorDocument doc;
    ASSERT_TRUE(doc.AddImage(Plain(4), 40, -3, 5, 5, true, "list", "file"));  // out of range: clamped
    EXPECT_EQ(doc.Derivations(), 1);
    const CCURSOR& e = doc.Entry(0);
    EXPECT_EQ(e.ImageName, "file");
    EXPECT_EQ(doc.ListName(0), "list");
    EXPECT_EQ((std::pair<int, int>{e.HotX, e.HotY}), (std::pair<int, int>{31, 0}));
    CursorImageParts expected = DeriveCursorParts(e.Pixels, e.Palette, e.Inverse, 5, 5, true);
    EXPECT_EQ(std::memcmp(e.OutPixels.Bytes, expected.OutPixels.Bytes, kPixelBlockBytes), 0);
    EXPECT_EQ(e.OutPalette, expected.OutPalette);
    // No black entry: the transparent entry 3 is made black in the Out copy only.
    EXPECT_EQ(e.OutPalette[3], (TRGBQuad{0, 0, 0, 0}));
    EXPECT_NE(e.Palette[3], (TRGBQuad{0, 0, 0, 0}));
    EXPECT_TRUE(e.OutPixels.MaskBit(5, 5));
    EXPECT_FALSE(e.OutPixels.MaskBit(6, 5));
    EXPECT_EQ(e.TransColor, ShownColour(e.Palette, e.Inverse, 3));

    // The hotspot changes the entry but not the masks.
    doc.SetHotspot(7, 8);
    EXPECT_EQ(doc.Derivations(), 1);
    EXPECT_EQ(doc.Entry(0).HotX, 7);
    EXPECT_EQ(doc.Entry(0).HotY, 8);
}

TEST(CursorDocument, TransparencyOffKeepsEveryPixelOpaque) {
    TCursorDocument doc;
    ASSERT_TRUE(doc.AddImage(Plain(4, true), 0, 0, 5, 5, true, "a", "a"));
    EXPECT_EQ(doc.OutPixels().At(5, 5), 7);  // pointed at the lowest black entry
    doc.SetTransparent(false);
    EXPECT_EQ(doc.Derivations(), 2);
    EXPECT_EQ(doc.Entry(0).Transparent, 0);
    EXPECT_EQ(doc.OutPixels().At(5, 5), 3);
    EXPECT_FALSE(doc.Entry(0).OutPixels.MaskBit(5, 5));
}

TEST(CursorDocument, SelectingAnImageTakesItsSettingsAndDerivesItsOutCopyAgain) {
    TCursorDocument doc;
    ASSERT_TRUE(doc.AddImage(Plain(4), 1, 2, 5, 5, true, "a", "a"));
    ASSERT_TRUE(doc.AddImage(Plain(6), 3, 4, 0, 0, false, "b", "b"));
    doc.SelectImage(0);
    EXPECT_EQ(doc.CurImage(), 0);
    EXPECT_EQ((std::pair<int, int>{doc.HotX(), doc.HotY()}), (std::pair<int, int>{1, 2}));
    EXPECT_TRUE(doc.Transparent());
    EXPECT_EQ(doc.CurPixels().At(0, 0), 4);
    EXPECT_EQ(doc.Derivations(), 3);
    doc.SelectImage(5);  // no such image: nothing changes
    EXPECT_EQ(doc.CurImage(), 0);
}

TEST(CursorDocument, NamesStayUniqueThroughRenameMoveAndDelete) {
    TCursorDocument doc;
    for (const char* n : {"a", "b", "c"}) ASSERT_TRUE(doc.AddImage(Plain(1), 0, 0, 0, 0, true, n, n));
    EXPECT_EQ(doc.MakeUniqueName("a"), "a1");
    EXPECT_EQ(doc.MakeUniqueName("d"), "d");
    doc.RenameImage(0, "d");
    EXPECT_EQ(doc.MakeUniqueName("a"), "a");
    EXPECT_EQ(doc.MakeUniqueName("d"), "d1");
    EXPECT_EQ(doc.Entry(0).ImageName, "a");  // a rename keeps the image name

    doc.SelectImage(0);
    doc.MoveCurrentImage(2);
    EXPECT_EQ(doc.ListNames(), (std::vector<std::string>{"b", "c", "d"}));
    EXPECT_EQ(doc.Entry(2).ImageName, "a");
    EXPECT_EQ(doc.CurImage(), 2);

    doc.SelectImage(0);
    doc.DeleteCurrentImage();
    EXPECT_EQ(doc.ListNames(), (std::vector<std::string>{"c", "d"}));
    EXPECT_EQ(doc.CurImage(), 0);
    EXPECT_EQ(doc.MakeUniqueName("b"), "b");
    doc.SelectImage(1);
    doc.DeleteCurrentImage();
    EXPECT_EQ(doc.CurImage(), 0);  // the new last one
    doc.DeleteCurrentImage();
    EXPECT_EQ(doc.CurImage(), -1);
    EXPECT_EQ(doc.LastImage(), -1);
    EXPECT_EQ(doc.MakeUniqueName("c"), "c");
}

TEST(CursorDocument, ADuplicateCopiesTheCurrentImageWithoutItsImageName) {
    TCursorDocument doc;
    ASSERT_TRUE(doc.AddImage(Plain(4), 9, 9, 5, 5, true, "a", "file"));
    ASSERT_TRUE(doc.DuplicateCurrentImage(doc.MakeUniqueName("a")));
    EXPECT_EQ(doc.ListName(1), "a1");
    EXPECT_EQ(doc.Entry(1).ImageName, "");
    EXPECT_EQ(doc.Entry(1).HotX, 9);
    EXPECT_EQ(std::memcmp(doc.Entry(1).OutPixels.Bytes, doc.Entry(0).OutPixels.Bytes, kPixelBlockBytes), 0);
    EXPECT_EQ(doc.Derivations(), 1);
    doc.ClearAllImages();
    EXPECT_EQ(doc.Count(), 0);
    EXPECT_EQ(doc.CurImage(), -1);
    EXPECT_TRUE(doc.Transparent());
}

TEST(CursorDocumentFrames, EditsKeepOrderAndTheMinusOneRuleKeepsAField) {
    TCursorDocument doc;
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(doc.AddFrame(FrameLine{i, 10 + i}));
    ASSERT_TRUE(doc.InsertFrame(1, FrameLine{7, 99}));
    EXPECT_FALSE(doc.InsertFrame(5, FrameLine{0, 1}));  // past the end
    EXPECT_EQ(doc.Frames(), (std::vector<FrameLine>{{0, 10}, {7, 99}, {1, 11}, {2, 12}}));
    doc.SetFrameLine(3, -1, 1);
    doc.SetFrameLine(-1, 5, 0);
    doc.SetFrameLine(4, 4, 9);  // no such frame: nothing changes
    EXPECT_EQ(doc.Frame(1), (FrameLine{3, 99}));
    EXPECT_EQ(doc.Frame(0), (FrameLine{0, 5}));
    doc.MoveFrame(0, 3);
    EXPECT_EQ(doc.Frames(), (std::vector<FrameLine>{{3, 99}, {1, 11}, {2, 12}, {0, 5}}));
    doc.DeleteFrame(1);
    doc.SetAllIntervals(30);
    EXPECT_EQ(doc.Frames(), (std::vector<FrameLine>{{3, 30}, {2, 30}, {0, 30}}));
    EXPECT_EQ(FormatFrameLines(doc.Frames()).front(), "003    30");
}

TEST(CursorDocumentFrames, TheListStopsAtTheTablesCapacity) {
    TCursorDocument doc;
    for (int i = 0; i < kMaxFrames; ++i) ASSERT_TRUE(doc.AddFrame(FrameLine{0, 10}));
    EXPECT_FALSE(doc.AddFrame(FrameLine{0, 10}));
    EXPECT_FALSE(doc.InsertFrame(0, FrameLine{0, 10}));
    EXPECT_EQ(doc.FrameCount(), kMaxFrames);
}

TEST(CursorDocumentFrames, ChecksAndTablesFollowTheImages) {
    TCursorDocument doc;
    ASSERT_TRUE(doc.AddFrame(FrameLine{1, 5}));
    EXPECT_EQ(doc.CheckFrames(), FrameCheck::NoImages);
    EXPECT_EQ(doc.BuildFrameArrays().Check, FrameCheck::NoImages);
    EXPECT_EQ(doc.FrameArrays().FFrameCount, 0);  // a failed check leaves the tables alone
    for (const char* n : {"a", "b", "c"}) ASSERT_TRUE(doc.AddImage(Plain(1), 0, 0, 0, 0, true, n, n));
    ASSERT_TRUE(doc.AddFrame(FrameLine{2, 7}));
    EXPECT_EQ(doc.CheckFrames(), FrameCheck::Ok);
    FrameBuildResult r = doc.BuildFrameArrays();
    EXPECT_TRUE(r.UnusedImages);  // image 0 is shown by no frame
    ASSERT_EQ(doc.FrameArrays().FFrameCount, 2);
    EXPECT_EQ(doc.FrameArrays().FFrameImages[1], 2);
    EXPECT_EQ(doc.FrameArrays().FFrameSpeeds[1], 7);
    doc.SelectImage(2);
    doc.DeleteCurrentImage();  // frame 1 now names a missing image
    EXPECT_EQ(doc.CheckFrames(), FrameCheck::MissingImage);
}

TEST(CursorDocument, TheLastImageTakesTitleAndAuthorButNotTheFrames) {
    TCursorDocument doc;
    for (const char* n : {"a", "b"}) ASSERT_TRUE(doc.AddImage(Plain(1), 0, 0, 0, 0, true, n, n));
    ASSERT_TRUE(doc.AddFrame(FrameLine{1, 10}));
    doc.SetTitle("t");
    doc.SetAuthor("a");
    doc.DeleteCurrentImage();
    EXPECT_EQ(doc.Title(), "t");  // images remain
    doc.DeleteCurrentImage();
    EXPECT_EQ(doc.Title(), "");
    EXPECT_EQ(doc.Author(), "");
    EXPECT_EQ(doc.Frames(), (std::vector<FrameLine>{{1, 10}}));
}

TEST(CursorDocument, ClearingEmptiesFramesTitleAndAuthorButKeepsTheMonochromeCursor) {
    TCursorDocument doc;
    EXPECT_FALSE(doc.HasMonoCursor());
    ASSERT_TRUE(doc.AddImage(Plain(1), 0, 0, 0, 0, true, "a", "a"));
    ASSERT_TRUE(doc.AddFrame(FrameLine{0, 10}));
    doc.SetTitle("歩く猫");
    doc.SetAuthor("作者");
    MonoCursorRecord mono = MonoCursorRecord::Blank();
    mono.XorBits()[0] = 0x5A;
    doc.SetMonoCursor(mono);
    EXPECT_EQ(doc.Title(), "歩く猫");
    EXPECT_EQ(doc.Author(), "作者");
    doc.ClearAllImages();
    EXPECT_EQ(doc.FrameCount(), 0);
    EXPECT_EQ(doc.Title(), "");
    EXPECT_EQ(doc.Author(), "");
    EXPECT_TRUE(doc.HasMonoCursor());
    EXPECT_EQ(doc.MonoCursor().XorBits()[0], 0x5A);
}

namespace {
// A read animated cursor of two icons whose options are all set (images and frames are
// added by the caller, as the import does).
AniReadResult ReadFileWithOptions() {
    AniReadResult r;
    r.Code = AniReadCode::Read;
    r.Icons.resize(2);
    r.PerFrame = true;
    r.DefaultRate = 25;
    r.HasInfo = true;
    r.HasTitle = true;
    r.Title = "猫";
    r.HasAuthor = false;
    r.Author = "ignored";
    r.HasMonoCursor = true;
    r.MonoCursor = MonoCursorRecord::Blank();
    r.MonoCursor.XorBits()[3] = 0x81;
    r.MonoX = 31;
    r.MonoY = 4;
    r.UniHotX = 7;
    r.UniHotY = 30;
    r.UniteHotspot = true;
    return r;
}
} // namespace

TEST(CursorDocumentAniOptions, AReadFileFillsTheOptionsAndTheWriterTakesThem) {
    TCursorDocument doc;
    for (const char* n : {"a", "b"}) ASSERT_TRUE(doc.AddImage(Plain(1), 0, 0, 0, 0, true, n, n));
    for (int i : {1, 0, 1}) ASSERT_TRUE(doc.AddFrame(FrameLine{i, 3 + i}));
    doc.SetAuthor("kept");
    EXPECT_EQ(doc.TakeAniOptions(ReadFileWithOptions()), FrameCheck::Ok);
    const TAniOptions& o = doc.AniOptions();
    EXPECT_EQ(o, (TAniOptions{true, true, true, true, 7, 30, 31, 4, 25}));
    EXPECT_EQ(doc.Title(), "猫");
    EXPECT_EQ(doc.Author(), "kept");  // the file had no author
    ASSERT_TRUE(doc.HasMonoCursor());

    ASSERT_EQ(doc.BuildFrameArrays().Check, FrameCheck::Ok);
    const AniWriteInput in = doc.AniInput(AniSaveMode::Colours16);
    EXPECT_TRUE(in.InsertInfo && in.InsertFram && in.UniteHotspot && in.InsertMonoCur);
    EXPECT_EQ(in.DefaultRate, 25);
    EXPECT_EQ((std::vector<int>{in.UniHotX, in.UniHotY, in.MonoX, in.MonoY}), (std::vector<int>{7, 30, 31, 4}));
    EXPECT_EQ(in.FrameImages, (std::vector<int>{1, 0, 1}));
    EXPECT_EQ(in.FrameSpeeds, (std::vector<int>{4, 3, 4}));
    EXPECT_EQ(in.MonoCursor.XorBits()[3], 0x81);
    EXPECT_EQ(in.Title, "猫");
    EXPECT_EQ(in.Images.size(), 2u);
    EXPECT_EQ(in.SaveMode, AniSaveMode::Colours16);

    // An empty document drops the four switches and keeps the numbers.
    doc.ClearAllImages();
    EXPECT_EQ(doc.AniOptions(), (TAniOptions{false, false, false, false, 7, 30, 31, 4, 25}));
}

TEST(CursorDocumentAniOptions, AFileWithoutIconsOrWithBadFramesChangesLittle) {
    TCursorDocument doc;
    AniReadResult empty = ReadFileWithOptions();
    empty.Icons.clear();
    EXPECT_EQ(doc.TakeAniOptions(empty), FrameCheck::Ok);
    EXPECT_EQ(doc.AniOptions(), TAniOptions{});
    EXPECT_FALSE(doc.HasMonoCursor());

    // Per-frame mode asked for with no frames stays off, and the check says why.
    ASSERT_TRUE(doc.AddImage(Plain(1), 0, 0, 0, 0, true, "a", "a"));
    EXPECT_EQ(doc.TakeAniOptions(ReadFileWithOptions()), FrameCheck::NoFrames);
    EXPECT_FALSE(doc.AniOptions().InsertFram);
    EXPECT_TRUE(doc.AniOptions().InsertInfo);
}

TEST(CursorDocumentAniOptions, SwitchesAndValuesKeepTheirRules) {
    TCursorDocument doc;
    EXPECT_FALSE(doc.SetInsertMonoCur(true));  // no monochrome cursor yet
    EXPECT_FALSE(doc.AniOptions().InsertMonoCur);
    doc.SetMonoCursor(MonoCursorRecord::Blank());
    EXPECT_TRUE(doc.SetInsertMonoCur(true));
    EXPECT_TRUE(doc.AniOptions().InsertMonoCur);

    EXPECT_EQ(doc.SetInsertFram(true), FrameCheck::NoImages);
    EXPECT_FALSE(doc.AniOptions().InsertFram);
    ASSERT_TRUE(doc.AddImage(Plain(1), 0, 0, 0, 0, true, "a", "a"));
    ASSERT_TRUE(doc.AddFrame(FrameLine{0, 10}));
    EXPECT_EQ(doc.SetInsertFram(true), FrameCheck::Ok);
    EXPECT_TRUE(doc.AniOptions().InsertFram);

    // Out-of-range values are ignored, in-range ones taken, at both ends.
    doc.SetDefaultSpeed(0);
    doc.SetDefaultSpeed(912);
    EXPECT_EQ(doc.AniOptions().DefaultSpeed, kDefaultAniSpeed);
    doc.SetDefaultSpeed(911);
    EXPECT_EQ(doc.AniOptions().DefaultSpeed, 911);
    doc.SetDefaultSpeed(1);
    EXPECT_EQ(doc.AniOptions().DefaultSpeed, 1);
    for (void (TCursorDocument::*set)(int) :
         {&TCursorDocument::SetUniHotX, &TCursorDocument::SetUniHotY, &TCursorDocument::SetMonoX, &TCursorDocument::SetMonoY}) {
        (doc.*set)(31);
        (doc.*set)(32);
        (doc.*set)(-1);
    }
    EXPECT_EQ(doc.AniOptions(), (TAniOptions{false, true, false, true, 31, 31, 31, 31, 1}));

    // The common hotspot follows the current image only while it is off.
    doc.FollowHotspot(3, 4);
    EXPECT_EQ(std::make_pair(doc.AniOptions().UniHotX, doc.AniOptions().UniHotY), std::make_pair(3, 4));
    doc.SetUniteHotspot(true);
    doc.FollowHotspot(9, 9);
    EXPECT_EQ(std::make_pair(doc.AniOptions().UniHotX, doc.AniOptions().UniHotY), std::make_pair(3, 4));

    // Deleting the last image drops the switches as clearing does.
    doc.SetInsertInfo(true);
    doc.DeleteCurrentImage();
    const TAniOptions& o = doc.AniOptions();
    EXPECT_FALSE(o.InsertInfo || o.InsertFram || o.UniteHotspot || o.InsertMonoCur);
}
