// Benchmark (not a test): imports one picture file as a drop does, up to the 32x32 picture
// handed to the colour reduction, and prints the result and the time. Run it under
// /usr/bin/time -v for the peak memory (make_hostile_pictures.py makes hostile inputs).
// Usage: import_bench FILE [pad] [smart]   (pad: keep the aspect ratio; smart: smart resize)
#include <cstdio>
#include <cstring>
#include <string>

#include "base/BestTime.h"
#include "formats/PictureImport.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: import_bench FILE [pad] [smart]\n");
        return 2;
    }
    const std::string path = argv[1];
    PictureImportOptions options;
    for (int i = 2; i < argc; ++i) {
        if (!std::strcmp(argv[i], "pad")) options.Henpei = true;
        if (!std::strcmp(argv[i], "smart")) options.SmartResize = true;
    }
    PictureImport result;
    const char* outcome = "";
    const double seconds = BestTime(1, [&] {
        ImportedImage image;
        try {
            result = ClassifyImportPath(path) == ImportKind::Png ? ReadPngFile(path, options, image)
                                                                   : ImportPicture(path, options, image);
            outcome = result.Result == PictureReadResult::Failed ? "refused" : "read";
        } catch (const std::exception& e) {
            outcome = e.what();
        }
    });
    std::printf("%s: %s, %.3f s\n", path.c_str(), outcome, seconds);
    return 0;
}
