// Benchmark (not a test): writes and reads a large picture with the codec and prints the
// times. Usage: png_bench DIR [WIDTH HEIGHT]; leaves DIR/bench_ours.png and DIR/bench.ppm
// for comparing other encoders and decoders on the same picture (see bench.sh).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "PngPicture.h"
#include "base/BestTime.h"
#include "base/Stream.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: png_bench DIR [WIDTH HEIGHT]\n");
        return 2;
    }
    const std::string dir = argv[1];
    const int w = argc > 3 ? std::atoi(argv[2]) : 4000, h = argc > 3 ? std::atoi(argv[3]) : 3000;
    // A smooth picture with some noise, like a photograph more than a drawing.
    TBitmap b(w, h, TPixelFormat::pf24bit);
    uint32_t seed = 1;
    for (int y = 0; y < h; ++y) {
        uint8_t* row = b.ScanLine(y);
        for (int x = 0; x < w; ++x) {
            seed = seed * 1103515245u + 12345u;
            int n = static_cast<int>((seed >> 16) & 15);
            row[3 * x] = static_cast<uint8_t>((x * 255 / w + n) & 255);
            row[3 * x + 1] = static_cast<uint8_t>((y * 255 / h + n) & 255);
            row[3 * x + 2] = static_cast<uint8_t>(((x + y) * 128 / (w + h) + (x * y % 97) + n) & 255);
        }
    }
    TMemoryStream png;
    TRUDEDI writer;
    writer.Assign(b);
    double write = BestTime(3, [&] {
        png.Clear();
        writer.SaveToStream(png);
    });
    double read = BestTime(3, [&] {
        png.SetPosition(0);
        TRUDEDI reader;
        reader.LoadFromStream(png);
    });
    png.SaveToFile(dir + "/bench_ours.png");
    {
        TMemoryStream ppm;
        std::string head = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
        ppm.Write(head.data(), static_cast<int64_t>(head.size()));
        std::vector<uint8_t> rgb(static_cast<std::size_t>(w) * 3);
        for (int y = 0; y < h; ++y) {
            const uint8_t* row = b.ScanLine(y);
            for (int x = 0; x < w; ++x) rgb[3 * x] = row[3 * x + 2], rgb[3 * x + 1] = row[3 * x + 1], rgb[3 * x + 2] = row[3 * x];
            ppm.Write(rgb.data(), static_cast<int64_t>(rgb.size()));
        }
        ppm.SaveToFile(dir + "/bench.ppm");
    }
    std::printf("picture %dx%d 24-bit, PNG %lld bytes\n", w, h, static_cast<long long>(png.Size()));
    std::printf("ours: write %.3f s, read %.3f s (best of 3)\n", write, read);
    return 0;
}
