#include "gif/GIFExtensions.h"

#include <gtest/gtest.h>

#include "gif/GIFTestSupport.h"

using namespace giftest;

namespace {
Bytes Save(TGIFItem& item) {
    TMemoryStream stream;
    item.SaveToStream(stream);
    return stream.Bytes();
}

// Reads the extensions in front of a 1x1 frame and returns the frame's extension list.
struct TLoaded {
    TGIFImage Image;
    TWarnings Warnings;
    TGIFSubImage& Frame() { return *Image.Images().GetImage(0); }
    TGIFExtension* Extension(int i) { return Frame().Extensions().GetExtension(i); }
};
void LoadExtensions(TLoaded& loaded, const Bytes& extensions) {
    Bytes data = Concat({ScreenHeader(1, 1), extensions, Descriptor(1, 1), {2}, SubBlocks(PackCodes({{4, 3}, {1, 3}, {5, 3}})), {0x3B}});
    LoadImage(loaded.Image, data, &loaded.Warnings);
}

Bytes AppExtension(const std::string& code, const Bytes& subBlocks) {
    return Concat({{0x21, 0xFF, 11}, Text(code), subBlocks});
}
}  // namespace

TEST(GifExtensions, NewBlocksSaveWithTheirFixedLayouts) {
    TGIFImage image;
    TGIFSubImage frame(&image);
    TGIFGraphicControlExtension gce(frame);
    EXPECT_EQ(Save(gce), (Bytes{0x21, 0xF9, 4, 0, 0, 0, 0, 0}));
    TGIFAppExtNSLoop loop(frame);
    EXPECT_EQ(Save(loop), Concat({{0x21, 0xFF, 11}, Text("NETSCAPE2.0"), {3, 1, 0, 0, 0}}));
    loop.Loops = 0x0102;
    loop.BufferSize = 0x01020304;
    EXPECT_EQ(Save(loop), Concat({{0x21, 0xFF, 11}, Text("NETSCAPE2.0"), {3, 1, 2, 1, 5, 2, 4, 3, 2, 1, 0}}));
}

TEST(GifExtensions, ReadsEachKindAndWritesItBackUnchanged) {
    const Bytes blocks[] = {
        {0x21, 0xF9, 4, 0x0D, 10, 0, 1, 0},
        Concat({{0x21, 0xFE}, SubBlocks(Text("a comment"))}),
        Concat({{0x21, 0x01, 12, 1, 0, 2, 0, 3, 0, 4, 0, 8, 9, 1, 0}, SubBlocks(Text("plain text"))}),
        AppExtension("NETSCAPE2.0", {3, 1, 5, 0, 0}),
        AppExtension("ANIMEXTS1.0", {3, 1, 0, 0, 0}),
        AppExtension("XMP DataXMP", {4, 1, 2, 3, 4, 1, 0xFF, 0}),
    };
    for (const Bytes& block : blocks) {
        TLoaded loaded;
        LoadExtensions(loaded, block);
        ASSERT_EQ(loaded.Frame().Extensions().GetCount(), 1);
        EXPECT_EQ(Save(*loaded.Extension(0)), block);
        EXPECT_TRUE(loaded.Warnings.Messages.empty());
    }
}

TEST(GifExtensions, PicksTheClassByLabelAndIdentifier) {
    TLoaded loaded;
    LoadExtensions(loaded, Concat({AppExtension("ANIMEXTS1.0", {3, 9, 7, 0, 0}), AppExtension("OTHERAPP1.0", {1, 5, 0}),
                                   {0x21, 0xFF, 10}, Text("TENBYTESAU"), {0}}));
    ASSERT_EQ(loaded.Frame().Extensions().GetCount(), 3);
    auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(loaded.Extension(0));
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(loop->GetIdentifier(), "ANIMEXTS");
    EXPECT_EQ(loop->Loops, 7);  // identifier byte 9 counts by its low three bits
    EXPECT_NE(dynamic_cast<TGIFUnknownAppExtension*>(loaded.Extension(1)), nullptr);
    auto* ten = dynamic_cast<TGIFUnknownAppExtension*>(loaded.Extension(2));
    ASSERT_NE(ten, nullptr);
    EXPECT_EQ(ten->Record().Authentication[2], 0);
    EXPECT_EQ(ten->GetAuthentication(), "AU");
}

TEST(GifExtensions, AnApplicationBlockLargerThanElevenIsKeptAsUnknown) {
    TLoaded loaded;
    LoadExtensions(loaded, Concat({{0x21, 0xFF, 13}, Text("NETSCAPE2.0xy"), {3, 1, 2, 0, 0}}));
    ASSERT_EQ(loaded.Frame().Extensions().GetCount(), 1);
    auto* unknown = dynamic_cast<TGIFUnknownAppExtension*>(loaded.Extension(0));
    ASSERT_NE(unknown, nullptr);
    ASSERT_EQ(unknown->Blocks().size(), 1u);
    EXPECT_EQ(unknown->Blocks()[0].Data, (Bytes{1, 2, 0}));
}

TEST(GifExtensions, MalformedBlocksRaiseTheirErrors) {
    struct Case {
        Bytes block;
        const char* message;
    };
    const Case cases[] = {
        {Concat({{0x21, 0xFF, 9}, Text("NETSCAPE2"), {0}}), "Unsupported Application Extension block size"},
        {AppExtension("NETSCAPE2.0", {1, 1, 0}), "Invalid GIF data"},
        {AppExtension("NETSCAPE2.0", {3, 2, 0, 0, 0}), "Invalid GIF data"},
        {{0x21, 0x42, 0}, "Unknown extension type"},
        {{0x21, 0x01, 12, 1, 2}, "Premature end of data"},
    };
    for (const Case& c : cases) {
        TLoaded loaded;
        try {
            LoadExtensions(loaded, c.block);
            ADD_FAILURE() << c.message;
        } catch (const GIFException& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

TEST(GifExtensions, TheLoopReaderStopsAtTheEndOfTheStream) {
    Bytes data = Concat({ScreenHeader(1, 1), AppExtension("NETSCAPE2.0", {3, 1, 4, 0})});
    TGIFImage image;
    LoadImage(image, data);
    ASSERT_EQ(image.Images().GetCount(), 1);
    auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(image.Images().GetImage(0)->Extensions().GetExtension(0));
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(loop->Loops, 4);
}

TEST(GifGraphicControlExtension, HonoursItsBlockSize) {
    TLoaded loaded;
    LoadExtensions(loaded, Bytes{0x21, 0xF9, 6, 0x01, 0x20, 0x00, 3, 0xAA, 0xBB, 2, 0xCC, 0xDD, 0});
    ASSERT_EQ(loaded.Frame().Extensions().GetCount(), 1);
    auto* gce = loaded.Frame().GraphicControlExtension();
    ASSERT_NE(gce, nullptr);
    EXPECT_EQ(gce->GetDelay(), 0x20);
    EXPECT_EQ(gce->GetTransparentColorIndex(), 3);
    EXPECT_TRUE(loaded.Frame().Transparent());
    EXPECT_TRUE(loaded.Warnings.Messages.empty());
    EXPECT_EQ(Save(*gce), (Bytes{0x21, 0xF9, 4, 0x01, 0x20, 0, 3, 0}));
}

TEST(GifGraphicControlExtension, AShortBlockIsOnlyAWarning) {
    Bytes data = Concat({ScreenHeader(1, 1), {0x21, 0xF9, 4, 1, 5}});
    TGIFImage image;
    TWarnings warnings;
    LoadImage(image, data, &warnings);
    EXPECT_EQ(warnings.Messages, std::vector<std::string>{"Premature end of data"});
}

TEST(GifGraphicControlExtension, AccessorsKeepTheFrameAndTheTableInStep) {
    TGIFImage image;
    TWarnings warnings;
    warnings.Attach(image);
    TGIFSubImage& frame = AddFrame(image, 1, 1, 16, {0});
    auto owned = std::make_unique<TGIFGraphicControlExtension>(frame);
    TGIFGraphicControlExtension& gce = *owned;
    frame.Extensions().Add(std::move(owned));
    EXPECT_EQ(frame.GraphicControlExtension(), &gce);
    gce.SetTransparentColorIndex(200);
    EXPECT_EQ(gce.GetTransparentColorIndex(), 0);
    EXPECT_EQ(warnings.Messages, std::vector<std::string>{"Invalid color index"});
    gce.SetTransparent(true);
    gce.SetDisposal(dmPrevious);
    gce.SetUserInput(true);
    EXPECT_TRUE(frame.Transparent());
    EXPECT_EQ(gce.Record().PackedFields, 0x0F);
    gce.SetTransparentColor(clFuchsia);
    EXPECT_EQ(frame.ColorMap().Count(), 17);
    EXPECT_EQ(gce.GetTransparentColor(), clFuchsia);
    frame.Extensions().Delete(0);
    EXPECT_FALSE(frame.Transparent());
    EXPECT_EQ(frame.GraphicControlExtension(), nullptr);
}

TEST(GifComment, LongLinesComeBackAsSeveralLines) {
    TGIFImage image;
    TGIFSubImage frame(&image);
    TGIFCommentExtension comment(frame);
    comment.Text().Add(std::string(300, 'c'));
    Bytes saved = Save(comment);
    EXPECT_EQ(saved[2], 255);
    EXPECT_EQ(saved[3 + 255], 45);
    TBytesStream stream(saved.data(), static_cast<int64_t>(saved.size()));
    TGIFCommentExtension back(frame);
    back.LoadFromStream(stream);
    ASSERT_EQ(back.Text().Count(), 2);
    EXPECT_EQ(back.Text()[1].size(), 45u);
}

TEST(GifApplicationExtension, IdentifierTextsFillTheirFields) {
    TGIFImage image;
    TGIFSubImage frame(&image);
    TGIFUnknownAppExtension app(frame);
    app.SetIdentifier("AB");
    EXPECT_EQ((Bytes{app.Record().Identifier.begin(), app.Record().Identifier.end()}), (Bytes{'A', 'B', 0, ' ', ' ', ' ', ' ', ' '}));
    EXPECT_EQ(app.GetIdentifier(), "AB");
    app.SetIdentifier("LONGER THAN EIGHT");
    EXPECT_EQ(app.GetIdentifier(), "LONGER T");
}

TEST(GifTrailer, AnotherByteIsOneWarning) {
    TGIFImage image;
    TWarnings warnings;
    warnings.Attach(image);
    Bytes data = {0x2A};
    TBytesStream stream(data.data(), 1);
    TGIFTrailer(&image).LoadFromStream(stream);
    TGIFTrailer(&image).LoadFromStream(stream);
    EXPECT_EQ(warnings.Messages, std::vector<std::string>{"Invalid Image trailer"});
}
