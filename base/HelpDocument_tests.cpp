#include "base/HelpDocument.h"

#include <gtest/gtest.h>

#include "base/Exception.h"
#include "base/Stream.h"

TEST(HelpDocument, TopicsTakeTheirLinesWithoutTheBlankOnesAround) {
    // A byte-order mark, notes before the first topic, both line ends, a last line without one.
    const THelpDocument doc = THelpDocument::Parse(
        "\xEF\xBB\xBFnotes for whoever edits it\r\n\n"
        "@1 イメージの編集\r\n\r\n第一段落\r\n\r\n  字下げ\r\n\r\n"
        "@12 設定2\n本文 @ は文中なら文字\n@3 空");
    ASSERT_EQ(doc.Topics().size(), 3u);
    EXPECT_EQ(doc.Topics()[0].Context, 1);
    EXPECT_EQ(doc.Topics()[0].Title, "イメージの編集");
    EXPECT_EQ(doc.Topics()[0].Lines, (std::vector<std::string>{"第一段落", "", "  字下げ"}));
    EXPECT_EQ(doc.Topics()[1].Context, 12);
    EXPECT_EQ(doc.Topics()[1].Lines, (std::vector<std::string>{"本文 @ は文中なら文字"}));
    EXPECT_TRUE(doc.Topics()[2].Lines.empty());
    EXPECT_EQ(doc.IndexOf(12), 1);
    EXPECT_EQ(doc.IndexOf(2), -1);
}

TEST(HelpDocument, RefusesWhatWouldShowWrongly) {
    struct Case {
        const char* Text;
        const char* Message;
    } cases[] = {
        {"@1 a\n@x b\n", "line 2: a heading"},
        {"@1 a\n@2b\n", "line 2: a heading"},
        {"@1 a\n@ 2 b\n", "line 2: a heading"},
        {"@1\n", "line 1: a heading"},
        {"@1  \n", "line 1: the topic has no title"},
        {"@0 a\n", "line 1: a context is a number from 1"},
        {"@1234567890 a\n", "line 1: a heading"},
        {"@1 a\ntext\n@1 b\n", "line 3: context 1 is given twice"},
        {"only notes\n", "no topics"},
        {"", "no topics"},
        {"@1 a\n\x82\xa0\n", "not UTF-8"},  // Shift-JIS bytes
    };
    for (const Case& c : cases) {
        try {
            THelpDocument::Parse(c.Text);
            ADD_FAILURE() << c.Text;
        } catch (const Exception& e) {
            EXPECT_NE(std::string(e.what()).find(c.Message), std::string::npos) << c.Text << " -> " << e.what();
        }
    }
}

// The document the program carries: a topic with text for each page and for the editor.
TEST(HelpDocument, TheProgramsHelpHasATopicForEachPageAndTheEditor) {
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(std::string(TAMSOLO_SOURCE_DIR) + "/resources/Help.txt", bytes, 1 << 20));
    const THelpDocument doc = THelpDocument::Parse(std::string(bytes.begin(), bytes.end()));
    const char* titles[] = {"イメージの編集", "フレームの編集", "ﾌｧｲﾙｵﾌﾟｼｮﾝ", "設定1", "設定2", "About", "イメージエディタ"};
    ASSERT_EQ(doc.Topics().size(), std::size(titles));
    for (int context = 1; context <= 7; ++context) {
        const int i = doc.IndexOf(context);
        ASSERT_EQ(i, context - 1) << context;
        EXPECT_EQ(doc.Topics()[i].Title, titles[i]);
        EXPECT_GT(doc.Topics()[i].Lines.size(), 3u) << titles[i];
    }
}
