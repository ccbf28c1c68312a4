#include "app/CommandLine.h"

#include "formats/ReaderAnswer.h"

std::string CommandLineFile(const std::string& commandLine) {
    const char* blanks = " \t\r\n";
    std::size_t start = commandLine.find_first_not_of(blanks);
    if (start == std::string::npos) return {};
    std::size_t end = commandLine.find_last_not_of(blanks);
    std::string text = commandLine.substr(start, end - start + 1);
    if (IsReaderArguments(text)) return {};
    if (text.front() == '"') {
        std::size_t close = text.find('"', 1);
        return text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    }
    return text;
}
