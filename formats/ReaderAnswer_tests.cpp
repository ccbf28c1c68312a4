#include "formats/ReaderAnswer.h"

#include <gtest/gtest.h>

#include <functional>

#include "base/ByteIO.h"

namespace {

TPictureAnswer Picture(int w, int h) {
    TPictureAnswer a;
    a.Width = w;
    a.Height = h;
    for (int i = 0; i < w * h * 3; ++i) a.Pixels.push_back(static_cast<uint8_t>(i * 7));
    return a;
}

TCursorAnswer Cursor(int w, int h, int hx, int hy) {
    TCursorAnswer a;
    a.Width = w;
    a.Height = h;
    a.HotX = hx;
    a.HotY = hy;
    for (int i = 0; i < w * h * 4; ++i) a.Colour.push_back(static_cast<uint8_t>(i));
    for (int i = 0; i < w * h; ++i) a.Mask.push_back(static_cast<uint8_t>(i % 3 == 0));
    return a;
}

TShortCutAnswer Link() {
    TShortCutAnswer a;
    a.ShowCmd = 1;
    a.Description = "説明";
    a.ExecFile = "C:\\絵\\walk.ani";
    a.WorkDir = "C:\\絵";
    return a;
}

std::vector<uint8_t> Patched(std::vector<uint8_t> b, std::size_t at, uint32_t v) {
    if (b.size() < at + 4) return {};
    PutLE32(&b[at], v);
    return b;
}

} // namespace

TEST(ReaderAnswer, EveryAnswerReadsBackAsWritten) {
    for (const TPictureAnswer& p : {Picture(1, 1), Picture(3, 2), Picture(kAnswerMaxPictureSide, 1)}) {
        const std::vector<uint8_t> b = WritePictureAnswer(p);
        const auto back = ParsePictureAnswer(b.data(), b.size());
        ASSERT_TRUE(back);
        EXPECT_EQ(*back, p);
    }
    const std::vector<uint8_t> l = WriteShortCutAnswer(Link());
    const auto link = ParseShortCutAnswer(l.data(), l.size());
    ASSERT_TRUE(link);
    EXPECT_EQ(*link, Link());
    for (TReaderJob job : {TReaderJob::CursorFile, TReaderJob::CursorImage}) {
        const std::vector<uint8_t> c = WriteCursorAnswer(job, Cursor(5, 4, 4, 3));
        const auto cursor = ParseCursorAnswer(job, c.data(), c.size());
        ASSERT_TRUE(cursor);
        EXPECT_EQ(*cursor, Cursor(5, 4, 4, 3));
    }
}

TEST(ReaderAnswer, WritersRefuseWhatBreaksTheLimits) {
    EXPECT_TRUE(WritePictureAnswer(Picture(0, 3)).empty());
    EXPECT_TRUE(WritePictureAnswer(Picture(kAnswerMaxPictureSide + 1, 1)).empty());
    TPictureAnswer shortRows = Picture(2, 2);
    shortRows.Pixels.pop_back();
    EXPECT_TRUE(WritePictureAnswer(shortRows).empty());
    EXPECT_TRUE(WriteCursorAnswer(TReaderJob::CursorFile, Cursor(4, 4, 4, 0)).empty());
    EXPECT_TRUE(WriteCursorAnswer(TReaderJob::Metafile, Cursor(4, 4, 0, 0)).empty());
    TShortCutAnswer nul = Link();
    nul.ExecFile.push_back('\0');
    EXPECT_TRUE(WriteShortCutAnswer(nul).empty());
}

TEST(ReaderAnswer, EveryMalformedAnswerIsNoAnswer) {
    const std::vector<uint8_t> picture = WritePictureAnswer(Picture(3, 2));
    const std::vector<uint8_t> link = WriteShortCutAnswer(Link());
    const std::vector<uint8_t> cursor = WriteCursorAnswer(TReaderJob::CursorFile, Cursor(4, 4, 1, 1));
    using Parse = std::function<bool(const std::vector<uint8_t>&)>;
    const Parse asPicture = [](const std::vector<uint8_t>& b) { return ParsePictureAnswer(b.data(), b.size()).has_value(); };
    const Parse asLink = [](const std::vector<uint8_t>& b) { return ParseShortCutAnswer(b.data(), b.size()).has_value(); };
    const Parse asCursor = [](const std::vector<uint8_t>& b) {
        return ParseCursorAnswer(TReaderJob::CursorFile, b.data(), b.size()).has_value();
    };
    // Every cut short, and one byte too many.
    for (const auto& [bytes, parse] : {std::pair{picture, asPicture}, {link, asLink}, {cursor, asCursor}}) {
        for (std::size_t n = 0; n < bytes.size(); ++n)
            EXPECT_FALSE(parse(std::vector<uint8_t>(bytes.begin(), bytes.begin() + n))) << n;
        std::vector<uint8_t> longer = bytes;
        longer.push_back(0);
        EXPECT_FALSE(parse(longer));
        EXPECT_FALSE(parse(Patched(bytes, 8, static_cast<uint32_t>(bytes.size()))));  // length past the end
    }
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        Parse parse;
    };
    std::vector<uint8_t> badMagic = picture;
    badMagic[0] = 'X';
    std::vector<uint8_t> maskTwo = cursor;
    ASSERT_FALSE(maskTwo.empty());
    maskTwo.back() = 2;
    const Case cases[] = {
        {"magic", badMagic, asPicture},
        {"another job's answer", link, asPicture},
        {"a file cursor asked, an image cursor answered",
         WriteCursorAnswer(TReaderJob::CursorImage, Cursor(4, 4, 1, 1)), asCursor},
        {"width 0", Patched(picture, 12, 0), asPicture},
        {"width past the limit", Patched(picture, 12, kAnswerMaxPictureSide + 1), asPicture},
        {"sides whose product wraps", Patched(Patched(picture, 12, 0x80000000u), 16, 2), asPicture},
        {"text longer than the answer", Patched(link, 16, 0xFFFFFFF0u), asLink},
        {"text past its limit", Patched(link, 16, static_cast<uint32_t>(kAnswerMaxText + 1)), asLink},
        {"hotspot outside", Patched(cursor, 20, 4), asCursor},
        {"cursor larger than the limit", Patched(cursor, 12, kAnswerMaxCursorSide + 1), asCursor},
        {"mask byte 2", maskTwo, asCursor},
    };
    for (const Case& c : cases) EXPECT_FALSE(c.parse(c.bytes)) << c.what;
    std::vector<uint8_t> nul = link;
    nul[20] = 0;  // inside the description
    EXPECT_FALSE(asLink(nul));
}

TEST(ReaderAnswer, ARequestNamesTheJobAndPathAndNothingElseIsARequest) {
    const TReaderRequest r{TReaderJob::ShortCut, "C:\\a \"b\"\\リンク.lnk"};
    const std::vector<uint8_t> bytes = WriteReaderRequest(r);
    ASSERT_EQ(bytes.size(), kFrameHeadBytes + r.Path.size());
    EXPECT_EQ(RequestPathLength(bytes.data()), r.Path.size());
    EXPECT_EQ(ParseReaderRequest(bytes.data(), bytes.size()), r);
    // What cannot be asked.
    EXPECT_TRUE(WriteReaderRequest({TReaderJob::Metafile, ""}).empty());
    EXPECT_TRUE(WriteReaderRequest({TReaderJob::Metafile, std::string("C:\\a\0b.wmf", 9)}).empty());
    EXPECT_TRUE(WriteReaderRequest({TReaderJob::Metafile, std::string(kRequestMaxPath + 1, 'a')}).empty());
    EXPECT_FALSE(WriteReaderRequest({TReaderJob::Metafile, std::string(kRequestMaxPath, 'a')}).empty());
    EXPECT_TRUE(WriteReaderRequest({static_cast<TReaderJob>(5), "C:\\x.wmf"}).empty());
    // Bytes that are not exactly a request.
    std::vector<uint8_t> nul = bytes;
    nul.back() = 0;
    std::vector<uint8_t> longer = bytes;
    longer.push_back('x');
    const std::vector<uint8_t> shorter(bytes.begin(), bytes.end() - 1);
    const std::vector<uint8_t> cases[] = {
        nul, longer, shorter, Patched(bytes, 0, 0x31415254u) /* "TRA1": an answer's head */, Patched(bytes, 4, 0),
        Patched(bytes, 4, 5), Patched(bytes, 8, 0), Patched(bytes, 8, static_cast<uint32_t>(kRequestMaxPath + 1)),
        std::vector<uint8_t>(bytes.begin(), bytes.begin() + 11),
    };
    for (const std::vector<uint8_t>& c : cases) EXPECT_FALSE(ParseReaderRequest(c.data(), c.size()));
    EXPECT_FALSE(RequestPathLength(Patched(bytes, 8, 0).data()));
    // The helper's command line holds its argument and nothing else.
    EXPECT_TRUE(IsReaderArguments(kReaderArgument));
    for (const char* s : {"", "?tamsolo-reader? 1 \"C:\\x.wmf\"", "\"?tamsolo-reader?\"", "tamsolo-reader?"})
        EXPECT_FALSE(IsReaderArguments(s)) << s;
}

TEST(ReaderAnswer, AnAnswersHeadGivesItsLengthOnlyForTheJobAsked) {
    const std::vector<uint8_t> picture = WritePictureAnswer(Picture(2, 2));
    EXPECT_EQ(AnswerPayloadLength(TReaderJob::Metafile, picture.data()), picture.size() - kFrameHeadBytes);
    EXPECT_FALSE(AnswerPayloadLength(TReaderJob::ShortCut, picture.data()));
    EXPECT_FALSE(AnswerPayloadLength(TReaderJob::Metafile, Patched(picture, 0, 0x31515254u).data()));  // "TRQ1"
    // The length is the head's own, however large: the reading side bounds it.
    EXPECT_EQ(AnswerPayloadLength(TReaderJob::Metafile, Patched(picture, 8, 0xFFFFFFFFu).data()), 0xFFFFFFFFu);
    // No answer: a head of no payload, which no parser takes.
    const std::vector<uint8_t> none = WriteNoAnswer(TReaderJob::CursorFile);
    ASSERT_EQ(none.size(), kFrameHeadBytes);
    EXPECT_EQ(AnswerPayloadLength(TReaderJob::CursorFile, none.data()), 0u);
    EXPECT_FALSE(ParseCursorAnswer(TReaderJob::CursorFile, none.data(), none.size()));
}
