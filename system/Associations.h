#pragma once
// The shell entries that make Tamsolo the opener of icons, cursors and animated cursors
// and a menu entry for bitmaps: keys below HKEY_CLASSES_ROOT, each with the text of its
// default value, in the order they are written.
#include <string>
#include <vector>

enum class TShellKind { Bmp, Ico, Cur, Ani };

struct TShellEntry {
    std::string Key;    // below the classes root
    std::string Value;  // the key's default value
};

// The command that opens a file with the program: the executable's full path in double
// quotes, a blank and "%1".
std::string ShellCommandText(const std::string& exePath);

// The rows one association button writes.
std::vector<TShellEntry> ShellEntries(TShellKind kind, const std::string& exePath);

// A path that names exactly one file: no wildcard characters.
bool IsPlainPath(const std::string& path);
