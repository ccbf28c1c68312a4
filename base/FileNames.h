#pragma once
// Rules for names of files and folders that the user types.
#include <functional>
#include <string>

// A name that can be created as one file or folder: not empty, no path separator or
// character that file names cannot hold (\ / : * ? " < > | and control characters),
// not "." or "..", and not ending in a blank or a dot.
bool IsValidFileName(const std::string& name);

// The first of "新しいフォルダ", "新しいフォルダ(1)" … "新しいフォルダ(98)" for which
// exists(name) is false; "新しいフォルダ(99)" when all are taken.
std::string ProposeNewFolderName(const std::function<bool(const std::string& name)>& exists);
