#pragma once
// The registry as Windows' own "reg query" sees it from another process: each value of
// one key as name, type and data.
#include <map>
#include <string>

#include "base/Text.h"
#include "ui/ProcessTestSupport.h"
#include "ui/Win.h"

struct TRegValue {
    std::string Type;  // "REG_SZ", "REG_EXPAND_SZ", …
    std::string Data;
};

using TRegKeyValues = std::map<std::string, TRegValue>;  // by value name; the default value is ""

// Runs "reg.exe query key /s" (key for example "HKCU\Software\X") and parses its lines:
// the values of key and of every key below it, by the path below key ("" = key itself).
// ok is false when reg.exe could not run or the key is missing.
inline std::map<std::string, TRegKeyValues> RegQueryTree(const std::string& key, bool& ok) {
    std::map<std::string, TRegKeyValues> out;
    ok = false;
    bool started = false;
    DWORD code = 1;
    std::string text = RunCapturingOutput(L"reg.exe query \"" + Utf8ToWide(key) + L"\" /s", 10000, started, code);
    ok = started && code == 0;
    // The tool writes in the console's code page.
    text = GetConsoleOutputCP() == 932 || GetACP() == 932 ? SjisToUtf8(text) : text;
    std::string current;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        std::string line = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        pos = end == std::string::npos ? text.size() : end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (line.rfind("    ", 0) != 0) {  // a key: the full name, from the root's long name
            std::size_t sep = line.find('\\');
            std::size_t keySep = key.find('\\');
            std::string below = sep == std::string::npos || keySep == std::string::npos
                                    ? std::string()
                                    : line.substr(sep + 1);
            std::string top = keySep == std::string::npos ? std::string() : key.substr(keySep + 1);
            current = below.size() > top.size() ? below.substr(top.size() + 1) : std::string();
            out[current];
            continue;
        }
        line = line.substr(4);
        std::size_t t = line.find("    REG_");
        if (t == std::string::npos) continue;
        std::string name = line.substr(0, t);
        std::string rest = line.substr(t + 4);
        std::size_t d = rest.find("    ");
        TRegValue v{rest.substr(0, d), d == std::string::npos ? std::string() : rest.substr(d + 4)};
        out[current][name == "(Default)" || name == "(既定)" ? std::string() : name] = v;
    }
    return out;
}
