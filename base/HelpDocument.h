#pragma once
// The program's help: topics, each with a context number, a title and its text, read from
// a UTF-8 document. A line "@<context> <title>" starts a topic; the lines after it, up to the
// next such line, are its text. Lines before the first topic are notes for whoever edits the
// document and are not shown. Any other line that starts with '@' is an error, so a mistyped
// heading is never shown as text.
#include <string>
#include <string_view>
#include <vector>

struct THelpTopic {
    int Context = 0;
    std::string Title;
    std::vector<std::string> Lines;  // blank lines at the start and the end left out
};

class THelpDocument {
public:
    // Throws Exception, naming the line, for a malformed heading, a context given twice,
    // text that is not UTF-8, or a document without topics.
    static THelpDocument Parse(std::string_view text);

    const std::vector<THelpTopic>& Topics() const { return FTopics; }
    // The index of the topic of a context, or -1.
    int IndexOf(int context) const;

private:
    std::vector<THelpTopic> FTopics;
};
