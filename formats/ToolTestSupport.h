#pragma once
// Runs the independent checking tools (icoutils, pngcheck, ImageMagick, giflib, Pillow)
// from the native tests.
#include <cstdio>
#include <string>
#include <vector>

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

// The lines of a tool's output (the last one, "exit=<status>", without a line break).
inline std::vector<std::string> OutputLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0, end;
    while ((end = text.find('\n', start)) != std::string::npos) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

// Runs a Python script with Pillow on one file, given as sys.argv[1].
inline std::string RunPillow(const std::string& script, const std::string& path) {
    return RunTool("/usr/bin/python3 -c \"" + script + "\" '" + path + "'");
}

// An icon made by icotool of 32-bit images from soft-alpha RGBA PNGs of Pillow, one of
// each side (soft<side>.png in dir); its path, or empty when a tool failed.
inline std::string MakeSoftAlphaIcon(const std::string& dir, const std::string& name, const std::vector<int>& sides) {
    std::string sizes, args;
    for (int side : sides) {
        sizes += (sizes.empty() ? "" : ",") + std::to_string(side);
        args += " -b 32 '" + dir + "soft" + std::to_string(side) + ".png'";
    }
    const std::string made = RunTool(
        "/usr/bin/python3 -c \"import sys\nfrom PIL import Image\nfor s in (" + sizes + ",):\n"
        "  im = Image.new('RGBA', (s, s))\n"
        "  im.putdata([(x * 255 // s, y * 255 // s, 160, (x + y) * 255 // (2 * s - 2)) for y in range(s) for x in range(s)])\n"
        "  im.save(sys.argv[1] + 'soft%d.png' % s)\" '" + dir + "' && icotool -c -o '" + dir + name + "'" + args);
    return made == "exit=0" ? dir + name : std::string();
}
#endif
