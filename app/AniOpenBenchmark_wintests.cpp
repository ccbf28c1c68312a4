// A benchmark, not a timed test (run with --gtest_also_run_disabled_tests): opening
// animated cursors of 10, 100 and 1000 images; and a test of the window's answers while a
// 1000-image one opens. The files are laid out here byte by byte from the RIFF layout, not by
// the program's writer.
#include <algorithm>
#include <cstdio>

#include "app/ImportTestSupport.h"
#include "app/MainWindowTestSupport.h"
#include "base/BestTime.h"
#include "base/Format.h"
#include "ui/AnswerWatchTestSupport.h"

namespace {

void PutTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutChunk(std::vector<uint8_t>& out, const char* tag, const std::vector<uint8_t>& body) {
    PutTag(out, tag);
    PutU32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2) out.push_back(0);
}

// An animated cursor of count frames, each the same 32x32 8-bit icon, with rate and seq.
std::vector<uint8_t> AniOf(int count, const std::vector<uint8_t>& icon) {
    std::vector<uint8_t> anih, rate, seq, fram;
    for (uint32_t v : {36u, uint32_t(count), uint32_t(count), 0u, 0u, 0u, 0u, 10u, 3u}) PutU32(anih, v);
    for (int i = 0; i < count; ++i) {
        PutU32(rate, 10);
        PutU32(seq, static_cast<uint32_t>(i));
    }
    PutTag(fram, "fram");
    for (int i = 0; i < count; ++i) PutChunk(fram, "icon", icon);
    std::vector<uint8_t> body;
    PutTag(body, "ACON");
    PutChunk(body, "anih", anih);
    PutChunk(body, "rate", rate);
    PutChunk(body, "seq ", seq);
    PutChunk(body, "LIST", fram);
    std::vector<uint8_t> file;
    PutChunk(file, "RIFF", body);
    return file;
}

struct AniOpenBenchmark : MainWindowTest {
    AniOpenBenchmark() : MainWindowTest("tamsolo-ani-bench") {}
    // icotool's 32x32 8-bit cursor, made an icon (type 1, one plane, 8 bits).
    std::vector<uint8_t> Icon() {
        std::vector<uint8_t> icon;
        EXPECT_TRUE(ReadWholeFile(Fixture("icotool_8bit.cur"), icon, 1 << 20));
        icon[2] = 1;
        icon[10] = 1;
        icon[11] = 0;
        icon[12] = 8;
        icon[13] = 0;
        return icon;
    }
};

// Not a benchmark: the window must answer while the file is read and its images go in.
TEST_F(AniOpenBenchmark, AThousandImageAnimatedCursorOpensWhileTheWindowAnswers) {
    form->OptionsPage->NoDlgDisp->SetChecked(true);
    form->ShowForm();
    const std::string path = folder + "answer_1000.ani";
    const std::vector<uint8_t> bytes = AniOf(1000, Icon());
    ASSERT_TRUE(WriteWholeFile(path, bytes.data(), bytes.size()));
    TAnswerWatch watch(form->Handle());
    const double seconds = BestTime(1, [&] { SendDrop(form->DropPanel1->Handle(), {path}); });
    watch.Stop();
    EXPECT_EQ(form->LastImage(), 999);
    EXPECT_EQ(form->ImagePage->ListBox1->Count(), 1000);
    EXPECT_EQ(form->FramePage->ListBox2->Count(), 999);
    EXPECT_GT(watch.Rounds(), 0);
    EXPECT_LT(watch.LongestSeconds(), 2.0);
    std::printf("open of a 1000-image .ani: %.0f ms, longest unanswered %.0f ms\n", seconds * 1000,
                watch.LongestSeconds() * 1000);
    DeleteFileUtf8(path);
}

TEST_F(AniOpenBenchmark, DISABLED_OpensAnimatedCursorsOfTenHundredAndAThousandImages) {
    form->OptionsPage->NoDlgDisp->SetChecked(true);
    form->ShowForm();
    const std::vector<uint8_t> icon = Icon();
    for (int count : {10, 100, 1000}) {
        const std::string path = folder + Format("bench_%d.ani", count);
        const std::vector<uint8_t> bytes = AniOf(count, icon);
        ASSERT_TRUE(WriteWholeFile(path, bytes.data(), bytes.size()));
        // Each open replaces the whole document; the best of three runs is reported.
        const double seconds = BestTime(3, [&] {
            SendDrop(form->DropPanel1->Handle(), {path});
            TApplication::Instance().ProcessMessages();
        });
        ASSERT_EQ(form->LastImage(), count - 1);
        EXPECT_EQ(form->ImagePage->ListBox1->Count(), count);
        EXPECT_EQ(form->FramePage->ListBox2->Count(), std::min(count, 999));  // the frame list holds 999 lines
        std::printf("open of a %d-image .ani: %.0f ms (%.2f ms per image)\n", count, seconds * 1000,
                    seconds * 1000 / count);
        DeleteFileUtf8(path);
    }
}

} // namespace
