// Times LZW encoding and decoding of a large picture, beside giflib's tools on the same pixels.
// Not a test: run build/<dir>/gif/gif_bench [width height].
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "gif/GIFDecoder.h"
#include "gif/GIFEncoder.h"
#include "gif/GIFImage.h"

namespace {
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

template <class F>
double Best(int runs, F f) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        auto start = Clock::now();
        f();
        best = std::min(best, Seconds(start));
    }
    return best;
}

double TimeCommand(const std::string& command) {
    return Best(3, [&] {
        if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
    });
}
}  // namespace

int main(int argc, char** argv) {
    int width = argc > 2 ? std::atoi(argv[1]) : 2048;
    int height = argc > 2 ? std::atoi(argv[2]) : 2048;
    // A picture with smooth areas and noise, 256 colours.
    std::vector<uint8_t> pixels(static_cast<std::size_t>(width) * height);
    uint32_t seed = 1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            int v = ((x / 4 + y / 8) & 0xFF) ^ (((seed >> 16) & 7) == 0 ? (seed >> 20) & 0x3F : 0);
            pixels[static_cast<std::size_t>(y) * width + x] = static_cast<uint8_t>(v);
        }

    TGIFImage image;
    auto frame = std::make_unique<TGIFSubImage>(&image);
    for (int i = 0; i < 256; ++i) frame->ColorMap().Add(MakeColor(static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 128));
    frame->DoSetBounds(0, 0, width, height);
    std::copy(pixels.begin(), pixels.end(), frame->Pixels().begin());
    image.Images().Add(std::move(frame));

    TMemoryStream file;
    double encode = Best(3, [&] {
        file.Clear();
        image.SaveToStream(file);
    });
    double decode = Best(3, [&] {
        TGIFImage back;
        TBytesStream in(file.Memory(), file.Size());
        back.LoadFromStream(in);
    });
    std::string path = "/tmp/tamsolo_gif_bench.gif";
    file.SaveToFile(path);

    double giftext = TimeCommand("giftext -r " + path + " > /dev/null");
    std::string script = "/tmp/tamsolo_gif_bench.txt";
    if (FILE* f = std::fopen(script.c_str(), "w")) {
        std::fprintf(f, "include %s\n", path.c_str());
        std::fclose(f);
    }
    double gifbuild = TimeCommand("gifbuild " + script + " > /tmp/tamsolo_gif_bench_giflib.gif");
    double pillowDecode = TimeCommand("/usr/bin/python3 -c \"from PIL import Image; Image.open('" + path + "').load()\"");
    double python = TimeCommand("/usr/bin/python3 -c \"from PIL import Image\"");

    std::printf("picture %dx%d, 256 colours, %lld bytes of GIF\n", width, height, static_cast<long long>(file.Size()));
    std::printf("ours:   LZW encode %.3f s, decode %.3f s (in process, best of 3)\n", encode, decode);
    std::printf("giflib: decode (giftext -r) %.3f s, decode + encode (gifbuild include) %.3f s, so encode ~%.3f s\n",
                giftext, gifbuild, gifbuild - giftext);
    std::printf("Pillow: decode %.3f s (after %.3f s of interpreter start)\n", pillowDecode - python, python);
    return 0;
}
