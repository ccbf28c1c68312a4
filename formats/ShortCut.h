#pragma once
// TMakeShortCut: reads and writes shell shortcut files (.lnk) through the shell's link
// object. The import resolves a dropped or opened shortcut with it: SCFileName, SCLoad,
// then SCExecFile is the file to import. It never shows a message: SCLoad says how it went.
// The link object reads a shortcut only in the reader helper (ReaderProcess.h).
#include <optional>
#include <string>

#include "formats/ReaderAnswer.h"

enum class TShowMode { tsNormal, tsMax, tsMin };
enum class TSysPath { tpBlank, tpDesktop, tpStartMenu };

enum class TShortCutLoad {
    Loaded,          // every text read
    Failed,          // the shortcut could not be read; the texts are empty
    UnknownShowCmd,  // read, but its show command is none of the three; SCShowCmd unchanged
};

class TMakeShortCut {
public:
    std::string SCFileName;  // relative to the folder of SCSystemPath (a full path with tpBlank)
    TShowMode SCShowCmd = TShowMode::tsNormal;
    std::string SCDescription;
    std::string SCExecFile;  // the target's path
    std::string SCArguments;
    std::string SCWorkDir;
    TSysPath SCSystemPath = TSysPath::tpBlank;

    TShortCutLoad SCLoad();
    // Writes the properties as a shortcut; false when the shell refused any of it.
    bool SCSave();
    std::string GetLoadName() const;
    std::string GetSaveName() const;

private:
    std::string FolderPrefix() const;
};

// The link object's reading of a shortcut in this process, its result Loaded: only the reader
// helper calls it. Nothing when the link object refused the file or a text.
std::optional<TShortCutAnswer> ReadShortCutInProcess(const std::string& path);

// The shell's show-command values of the three modes (1, 3, 7).
int ShowCommandOf(TShowMode mode);
