#pragma once
// Runs the independent checking tools (icoutils, pngcheck, ImageMagick, giflib, Pillow)
// from the native tests.
#include <cstdio>
#include <string>

#ifndef _WIN32
// The command's output and error text followed by "exit=<status>".
inline std::string RunTool(const std::string& cmd) {
    std::string out;
    FILE* p = popen((cmd + " 2>&1").c_str(), "r");
    if (!p) return "popen failed";
    char buf[512];
    while (fgets(buf, sizeof buf, p)) out += buf;
    out += "exit=" + std::to_string(pclose(p));
    return out;
}

// Runs a Python script with Pillow on one file, given as sys.argv[1].
inline std::string RunPillow(const std::string& script, const std::string& path) {
    return RunTool("/usr/bin/python3 -c \"" + script + "\" '" + path + "'");
}
#endif
