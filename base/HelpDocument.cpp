#include "base/HelpDocument.h"

#include "base/Exception.h"
#include "base/Text.h"

namespace {

std::string_view WithoutLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    return line;
}

bool IsBlank(const std::string& line) { return line.find_first_not_of(" \t") == std::string::npos; }

void TrimBlankLines(std::vector<std::string>& lines) {
    while (!lines.empty() && IsBlank(lines.back())) lines.pop_back();
    std::size_t first = 0;
    while (first < lines.size() && IsBlank(lines[first])) ++first;
    lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(first));
}

[[noreturn]] void Fail(int line, const std::string& what) {
    throw Exception("help document, line " + std::to_string(line) + ": " + what);
}

} // namespace

THelpDocument THelpDocument::Parse(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    if (!IsValidUtf8(std::string(text))) throw Exception("help document: the text is not UTF-8");
    THelpDocument doc;
    int number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        const std::string_view line = WithoutLineEnd(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.starts_with('@')) {
            if (!doc.FTopics.empty()) doc.FTopics.back().Lines.emplace_back(line);
            continue;
        }
        // "@<context> <title>"
        std::size_t digits = 1;
        while (digits < line.size() && digits < 10 && line[digits] >= '0' && line[digits] <= '9') ++digits;
        if (digits == 1 || digits >= line.size() || line[digits] != ' ')
            Fail(number, "a heading is \"@<context> <title>\"");
        const int context = std::stoi(std::string(line.substr(1, digits - 1)));
        std::string title(line.substr(digits + 1));
        if (context <= 0) Fail(number, "a context is a number from 1");
        if (IsBlank(title)) Fail(number, "the topic has no title");
        if (doc.IndexOf(context) >= 0) Fail(number, "context " + std::to_string(context) + " is given twice");
        doc.FTopics.push_back({context, std::move(title), {}});
    }
    if (doc.FTopics.empty()) throw Exception("help document: no topics");
    for (THelpTopic& topic : doc.FTopics) TrimBlankLines(topic.Lines);
    return doc;
}

int THelpDocument::IndexOf(int context) const {
    for (std::size_t i = 0; i < FTopics.size(); ++i)
        if (FTopics[i].Context == context) return static_cast<int>(i);
    return -1;
}
