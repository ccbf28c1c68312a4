#pragma once
// Rules for names of files and folders that the user types, and for the names Windows
// takes for devices rather than files.
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

// Whether Windows takes path for a device rather than a file on a disk: a path in the device
// namespace (\\.\COM1, \\.\pipe\x), a long path into the object namespace or onto a device
// or pipe (\\?\GLOBALROOT\..., \\?\COM1, \\?\pipe\x; \\?\C:\..., \\?\UNC\... and Wine's
// \\?\unix\... name files), or a last component whose part before the first dot, blanks and
// colons dropped, is a DOS device: CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM0-COM9 and LPT0-LPT9
// (also with the superscript digits ¹²³), in any case and with any extension (AUX.bmp, com1.tar.png).
bool IsDeviceName(const std::string& path);
