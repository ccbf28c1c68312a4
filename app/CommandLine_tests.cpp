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
        // The reader helper's argument is no file; files named like it still are.
        {"?tamsolo-reader?", ""},
        {"  ?tamsolo-reader? ", ""},
        {"tamsolo-reader", "tamsolo-reader"},
        {"\"C:\\tamsolo-reader 1 x.wmf\"", "C:\\tamsolo-reader 1 x.wmf"},
        {"?tamsolo-reader? 1 C:\\x.wmf", "?tamsolo-reader? 1 C:\\x.wmf"},
    };
    for (const Case& c : cases) EXPECT_EQ(CommandLineFile(c.line), c.file) << c.line;
}
