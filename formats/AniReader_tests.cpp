// The .ani reader on files made by hand: INFO texts, caps and limits, and hostile input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/ByteIO.h"
#include "formats/AniFile.h"
#include "formats/AniTestSupport.h"

namespace {

using namespace anitest;
using Bytes = std::vector<uint8_t>;

Bytes Chunk(const std::string& id, const Bytes& data) {
    ByteWriter w;
    w.Text(id);
    w.U32(static_cast<uint32_t>(data.size()));
    w.Bytes(data.data(), data.size());
    if (data.size() % 2) w.U8(0);
    return w.Data;
}
Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}
Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }
Bytes Words(std::initializer_list<uint32_t> values) {
    ByteWriter w;
    for (uint32_t v : values) w.U32(v);
    return w.Data;
}
Bytes Riff(const Bytes& body) {
    ByteWriter w;
    w.Text("RIFF");
    w.U32(static_cast<uint32_t>(body.size() + 4));
    w.Text("ACON");
    w.Bytes(body.data(), body.size());
    return w.Data;
}
Bytes Anih(uint32_t frames, uint32_t steps, uint32_t rate = 10) {
    return Chunk("anih", Words({36, frames, steps, 0, 0, 0, 0, rate, 1}));
}
// One icon chunk of our writer (256 colours) with the given hotspot.
Bytes IconChunk(int hotX = 0, int hotY = 0) {
    CCURSOR img = PatternImage(3);
    img.HotX = static_cast<uint8_t>(hotX);
    img.HotY = static_cast<uint8_t>(hotY);
    Bytes f = BuildAniFile(InputFor({&img}));
    return Bytes(f.begin() + 68, f.end());
}
Bytes Fram(int icons) {
    Bytes body = Text("fram");
    Bytes icon = IconChunk();
    for (int i = 0; i < icons; ++i) body.insert(body.end(), icon.begin(), icon.end());
    return Chunk("LIST", body);
}

AniReadResult Parse(const Bytes& f, int existing = 0) {
    return ParseAniFile(f.data(), f.size(), AniReadOptions{existing});
}

TEST(AniReader, ReadsAShortTitleAndAnAuthorOnlyInfoList) {
    Bytes longTitle(300, 'T');
    Bytes withTitle = Riff(Cat({Chunk("LIST", Cat({Text("INFO"), Chunk("INAM", longTitle), Chunk("IART", Text("me"))})),
                                Anih(1, 1), Fram(1)}));
    AniReadResult r = Parse(withTitle);
    ASSERT_EQ(r.Code, AniReadCode::Read);
    EXPECT_EQ(r.Title, std::string(256, 'T'));
    EXPECT_EQ(r.Author, "me");
    EXPECT_TRUE(r.HasInfo && r.HasTitle && r.HasAuthor);

    AniReadResult a = Parse(Riff(Cat({Chunk("LIST", Cat({Text("INFO"), Chunk("IART", Text("odd\0rest"))})),
                                      Anih(1, 1), Fram(1)})));
    ASSERT_EQ(a.Code, AniReadCode::Read);
    EXPECT_FALSE(a.HasTitle);
    EXPECT_TRUE(a.HasAuthor);
    EXPECT_EQ(a.Author, "odd");  // up to the first zero
}

TEST(AniReader, CapsTheDocumentAtAThousandImages) {
    Bytes f = Riff(Cat({Anih(1200, 1200), Fram(1200)}));
    AniReadResult r = Parse(f);
    ASSERT_EQ(r.Code, AniReadCode::Read);
    EXPECT_EQ(r.Icons.size(), 1000u);
    EXPECT_EQ(r.Frames.size(), 999u);  // one per image, as many as the frame tables hold

    AniReadResult more = Parse(f, 990);
    ASSERT_EQ(more.Code, AniReadCode::Read);
    EXPECT_EQ(more.Icons.size(), 10u);
    EXPECT_EQ(more.Frames.front().Image, 990);

    AniReadResult full = Parse(f, 1000);
    EXPECT_EQ(full.Code, AniReadCode::Read);
    EXPECT_TRUE(full.Icons.empty() && full.Frames.empty());
}

TEST(AniReader, DropsStepsWhoseImagesWereNotReadBecauseOfTheCap) {
    Bytes f = Riff(Cat({Anih(3, 4), Chunk("seq ", Words({2, 0, 1, 2})), Chunk("rate", Words({5, 6, 7, 8})), Fram(3)}));
    AniReadResult r = Parse(f, 998);  // room for two images
    ASSERT_EQ(r.Code, AniReadCode::Read);
    ASSERT_EQ(r.Frames.size(), 2u);
    EXPECT_EQ(r.Frames[0].Image, 998);
    EXPECT_EQ(r.Frames[0].Rate, 6);
    EXPECT_EQ(r.Frames[1].Image, 999);
    EXPECT_EQ(r.Frames[1].Rate, 7);
    EXPECT_TRUE(r.PerFrame);
}

TEST(AniReader, CapsStepsAtTheFrameTablesAndClampsRates) {
    std::vector<uint32_t> rates(2000, 0);
    rates[1] = 5000;
    rates[2] = 40;
    ByteWriter w;
    for (uint32_t v : rates) w.U32(v);
    Bytes zeros(4 * 2000, 0);
    Bytes f = Riff(Cat({Anih(1, 2000, 0x10000 + 1000), Chunk("rate", w.Data), Chunk("seq ", zeros), Fram(1)}));
    AniReadResult r = Parse(f);
    ASSERT_EQ(r.Code, AniReadCode::Read);
    ASSERT_EQ(r.Frames.size(), 999u);
    EXPECT_EQ(r.Frames[0].Rate, 1);
    EXPECT_EQ(r.Frames[1].Rate, 911);
    EXPECT_EQ(r.Frames[2].Rate, 40);
    EXPECT_EQ(r.DefaultRate, 911);  // low 16 bits, 1000, clamped
}

TEST(AniReader, ClampsHotspotWordsTo31) {
    Bytes icon = IconChunk();
    PutLE16(&icon[8 + 10], 40);
    PutLE16(&icon[8 + 12], 0xFFFF);
    Bytes body = Cat({Text("fram"), icon});
    AniReadResult r = Parse(Riff(Cat({Anih(1, 1), Chunk("LIST", body)})));
    ASSERT_EQ(r.Code, AniReadCode::Read);
    MakeAniImages(r, clWhite, "h");
    EXPECT_EQ(r.Images.at(0).HotX, 31);
    EXPECT_EQ(r.Images.at(0).HotY, 31);
}

TEST(AniReader, ReadsColourTablesByTheirRealSize) {
    // An 8-bit icon whose table holds 2 colours: the bits follow 8 bytes of palette.
    ByteWriter icon;
    for (uint32_t v : {0u, 2u, 1u}) icon.U16(v);
    icon.U8(32), icon.U8(32), icon.U8(0), icon.U8(0), icon.U16(4), icon.U16(5);
    icon.U32(40 + 8 + 1152), icon.U32(22);
    for (uint32_t v : {40u, 32u, 64u}) icon.U32(v);
    icon.U16(1), icon.U16(8);
    for (uint32_t v : {0u, 0u, 0u, 0u, 2u, 0u}) icon.U32(v);
    for (uint32_t v : {0x000000u, 0x00FF00u}) icon.U32(v);
    for (int p = 0; p < 1152; ++p) icon.U8(p < 1024 ? p % 2 : 0);
    AniReadResult r = Parse(Riff(Cat({Anih(1, 1), Chunk("LIST", Cat({Text("fram"), Chunk("icon", icon.Data)}))})));
    ASSERT_EQ(r.Code, AniReadCode::Read);
    EXPECT_EQ(r.Icons.at(0).Palette[5], 0xFF);
    EXPECT_EQ(r.Icons.at(0).Palette[8], 0);
    EXPECT_EQ(r.Icons.at(0).Bits[1], 1);
    EXPECT_EQ(r.Icons.at(0).HotX(), 4);
}

TEST(AniReader, RefusesEveryTruncation) {
    CCURSOR a = PatternImage(1), b = PatternImage(2);
    AniWriteInput in = InputFor({&a, &b});
    in.InsertInfo = in.InsertFram = in.InsertMonoCur = true;
    in.Title = "t";
    in.FrameImages = {1, 0};
    in.FrameSpeeds = {3, 4};
    in.SaveMode = AniSaveMode::Colours2;
    Bytes f = BuildAniFile(in);
    ASSERT_EQ(Parse(f).Code, AniReadCode::Read);
    for (std::size_t n = 0; n < f.size(); ++n) {
        Bytes cut(f.begin(), f.begin() + static_cast<std::ptrdiff_t>(n));
        AniReadResult r = Parse(cut);
        ASSERT_EQ(r.Code, AniReadCode::NotSupported) << n;
        ASSERT_TRUE(r.Icons.empty() && r.Frames.empty()) << n;
    }
}

TEST(AniReader, RefusesBrokenFiles) {
    Bytes ok = Riff(Cat({Anih(2, 2), Fram(2)}));
    ASSERT_EQ(Parse(ok).Code, AniReadCode::Read);
    Bytes pastEnd = ok;
    PutLE32(&pastEnd[12 + 44 + 4], 0x7FFFFFF0);  // the fram list claims more than the file
    Bytes hugeIcon = ok;
    PutLE32(&hugeIcon[12 + 44 + 12 + 4], 0xFFFFFFFF);
    Bytes badOffset = ok;
    PutLE32(&badOffset[12 + 44 + 12 + 8 + 18], 0xFFFFFFF0);  // image offset of the first entry
    Bytes manyEntries = ok;
    PutLE16(&manyEntries[12 + 44 + 12 + 8 + 4], 0xFFFF);
    struct Case {
        const char* Name;
        Bytes File;
    } cases[] = {
        {"not RIFF", Cat({Text("RIFX"), Bytes(ok.begin() + 4, ok.end())})},
        {"not ACON", Cat({Bytes(ok.begin(), ok.begin() + 8), Text("AVI "), Bytes(ok.begin() + 12, ok.end())})},
        {"zero frames", Riff(Cat({Anih(0, 0), Chunk("LIST", Text("fram"))}))},
        {"fewer icons than frames", Riff(Cat({Anih(3, 3), Fram(2)}))},
        {"seq out of range", Riff(Cat({Anih(2, 2), Chunk("seq ", Words({0, 2})), Fram(2)}))},
        {"rate of the wrong size", Riff(Cat({Anih(2, 2), Chunk("rate", Words({5})), Fram(2)}))},
        {"steps beyond the images", Riff(Cat({Anih(2, 3), Chunk("rate", Words({5, 5, 5})), Fram(2)}))},
        {"huge counts", Riff(Cat({Anih(0xFFFFFFFF, 0xFFFFFFFF), Chunk("rate", Words({5})), Fram(2)}))},
        {"huge frame count", Riff(Cat({Anih(0xFFFFFFFF, 1), Fram(2)}))},
        {"zero steps", Riff(Cat({Anih(2, 0), Chunk("rate", {}), Fram(2)}))},
        {"unknown chunk", Riff(Cat({Anih(2, 2), Chunk("junk", Text("ab")), Fram(2)}))},
        {"LIST of another type", Riff(Cat({Anih(2, 2), Chunk("LIST", Text("movi")), Fram(2)}))},
        {"INFO with another sub-chunk", Riff(Cat({Chunk("LIST", Cat({Text("INFO"), Chunk("ICOP", Text("c"))})), Anih(2, 2), Fram(2)}))},
        {"IART before INAM", Riff(Cat({Chunk("LIST", Cat({Text("INFO"), Chunk("IART", Text("a")), Chunk("INAM", Text("t"))})), Anih(2, 2), Fram(2)}))},
        {"anih of another size", Riff(Cat({Chunk("anih", Words({36, 2, 2, 0, 0, 0, 0, 10})), Fram(2)}))},
        {"no fram list", Riff(Anih(2, 2))},
        {"fram list past the end", pastEnd},
        {"icon past the end", hugeIcon},
        {"image offset past the chunk", badOffset},
        {"directory count past the chunk", manyEntries},
    };
    for (const Case& k : cases) {
        AniReadResult r = Parse(k.File);
        EXPECT_EQ(r.Code, AniReadCode::NotSupported) << k.Name;
        EXPECT_TRUE(r.Icons.empty() && r.Frames.empty()) << k.Name;
    }
}

TEST(AniReader, NamesTheReasonForUnsupportedIcons) {
    struct Case {
        int Offset;  // into the bitmap header
        uint32_t Value;
        AniReadNote Note;
        int NoteValue;
        const char* Text;  // shown before the message for result 2
    } cases[] = {{14, 24, AniReadNote::Colour24, 0, "データが不正!カラー(24bit)"},
                 {4, 48, AniReadNote::BadSize, 48, "データが不正!サイズ(x48)"},
                 {14, 32, AniReadNote::None, 0, ""}};
    for (const Case& k : cases) {
        Bytes icon = IconChunk();
        uint8_t* h = &icon[8 + 22];
        if (k.Offset == 14)
            PutLE16(h + 14, k.Value);
        else
            PutLE32(h + k.Offset, k.Value);
        AniReadResult r = Parse(Riff(Cat({Anih(1, 1), Chunk("LIST", Cat({Text("fram"), icon}))})));
        EXPECT_EQ(r.Code, AniReadCode::NotSupported);
        EXPECT_EQ(r.Note, k.Note);
        EXPECT_EQ(r.NoteValue, k.NoteValue);
        EXPECT_EQ(AniReadNoteText(r), k.Text);
    }
}

TEST(AniReader, ReportsAFileThatCannotBeOpened) {
    EXPECT_EQ(ReadAniFile(::testing::TempDir() + "does-not-exist.ani").Code, AniReadCode::CannotOpen);
}

} // namespace
