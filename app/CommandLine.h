#pragma once
// The file named on the program's command line.
#include <string>

// The text inside the quotes when the command line starts with a double quote (up to the
// closing one), else the whole text without leading and trailing blanks. A request to the
// reader helper (formats/ReaderAnswer.h) names no file.
std::string CommandLineFile(const std::string& commandLine);
