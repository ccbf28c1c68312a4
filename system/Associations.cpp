#include "system/Associations.h"

std::string ShellCommandText(const std::string& exePath) { return "\"" + exePath + "\" %1"; }

std::vector<TShellEntry> ShellEntries(TShellKind kind, const std::string& exePath) {
    const std::string command = ShellCommandText(exePath);
    auto fileClass = [&](const std::string& ext, const std::string& cls, const std::string& text,
                         const std::string& verb) {
        return std::vector<TShellEntry>{
            {ext, cls},
            {cls, text},
            {cls + "\\DefaultIcon", "%1"},
            {cls + "\\shell\\open", verb},
            {cls + "\\shell\\open\\command", command},
        };
    };
    switch (kind) {
    case TShellKind::Bmp:
        return {{"Paint.Picture\\shell\\Tamsolo", "Tamsoloで開く(&A)"},
                {"Paint.Picture\\shell\\Tamsolo\\command", command}};
    case TShellKind::Ico: return fileClass(".ico", "IcoFile", "アイコン", "Tamsoloで開く(&A)");
    case TShellKind::Cur: return fileClass(".cur", "CurFile", "ポインタ", "Tamsoloで開く(&A)");
    case TShellKind::Ani:
        // The animated cursor's menu text opens with a full-width parenthesis.
        return fileClass(".ani", "AnimationPointer", "アニメーションポインタ", "Tamsoloで開く（&A)");
    }
    return {};
}

bool IsPlainPath(const std::string& path) { return path.find_first_of("*?") == std::string::npos; }
