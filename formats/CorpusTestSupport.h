#pragma once
// Window tests: paths as Wine sees them, and the files of the seed corpora.
#include <string>

// A Unix path as Wine sees it: drive Z: is the root.
inline std::string WinePath(std::string unixPath) {
    for (char& c : unixPath)
        if (c == '/') c = '\\';
    return "Z:" + unixPath;
}

// A file of a seed corpus of formats/fuzz-corpus.
inline std::string CorpusFile(const std::string& folder, const std::string& name) {
    return WinePath(std::string(TAMSOLO_SOURCE_DIR) + "/formats/fuzz-corpus/" + folder + "/" + name);
}
