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

// The length of the path a save dialog makes of the text typed in its name box beside the
// folder it shows: a full path ("C:\…", "\\server\share\…") as typed, a path from the
// root of the folder's drive ("\…") on that drive, anything else beside the folder (with a
// separator between them where the folder has none at its end). "/" separates as "\" does.
std::size_t TypedPathLength(const std::wstring& folder, const std::wstring& typed);
