#include "app/CommandLine.h"

#include <gtest/gtest.h>

TEST(CommandLine, NamesTheFileInsideQuotesOrTheWholeText) {
    struct Case {
        const char* line;
        const char* file;
    };
    const Case cases[] = {
        {"", ""},
        {"   ", ""},
        {"C:\\x.ani", "C:\\x.ani"},
        {"  C:\\a b\\x.ani  ", "C:\\a b\\x.ani"},
        {"\"C:\\a b\\x.ani\"", "C:\\a b\\x.ani"},
        {"\"C:\\a b\\x.ani\" -extra", "C:\\a b\\x.ani"},
        {"\"C:\\unclosed.ani", "C:\\unclosed.ani"},
    };
    for (const Case& c : cases) EXPECT_EQ(CommandLineFile(c.line), c.file) << c.line;
}
