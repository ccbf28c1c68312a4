// Times the codec on large pictures and leaves the files it made for the other tools
// (gif/bench.sh runs Pillow, giflib and ImageMagick on them). Not a test.
//   gif_bench <folder>: LZW coding of a 2048x2048 256-colour picture, and reduction of a
//   1024x1024 true-colour picture to 256 colours (octree, without and with Floyd-Steinberg).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/BestTime.h"
#include "base/Stream.h"
#include "gif/GIFColorReduction.h"
#include "gif/GIFImage.h"

namespace {
double MeanSquaredError(const TBitmap& a, const TBitmap& b) {
    double sum = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            TColor p = a.Pixel(x, y), q = b.Pixel(x, y);
            double dr = RedOf(p) - RedOf(q), dg = GreenOf(p) - GreenOf(q), db = BlueOf(p) - BlueOf(q);
            sum += dr * dr + dg * dg + db * db;
        }
    return sum / (3.0 * a.Width() * a.Height());
}

void WritePPM(const TBitmap& b, const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    std::fprintf(f, "P6\n%d %d\n255\n", b.Width(), b.Height());
    std::vector<uint8_t> row(static_cast<std::size_t>(b.Width()) * 3);
    for (int y = 0; y < b.Height(); ++y) {
        const uint8_t* p = b.ScanLine(y);
        for (int x = 0; x < b.Width(); ++x) {
            row[3 * x] = p[3 * x + 2];
            row[3 * x + 1] = p[3 * x + 1];
            row[3 * x + 2] = p[3 * x];
        }
        std::fwrite(row.data(), 1, row.size(), f);
    }
    std::fclose(f);
}

void LzwBenchmark(const std::string& folder) {
    const int width = 2048, height = 2048;
    // Smooth areas and noise, 256 colours.
    TGIFImage image;
    auto frame = std::make_unique<TGIFSubImage>(&image);
    for (int i = 0; i < 256; ++i) frame->ColorMap().Add(MakeColor(static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 128));
    frame->DoSetBounds(0, 0, width, height);
    uint32_t seed = 1;
    auto pixels = frame->Pixels();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            int v = ((x / 4 + y / 8) & 0xFF) ^ (((seed >> 16) & 7) == 0 ? (seed >> 20) & 0x3F : 0);
            pixels[static_cast<std::size_t>(y) * width + x] = static_cast<uint8_t>(v);
        }
    image.Images().Add(std::move(frame));
    TMemoryStream file;
    double encode = BestTime(5, [&] {
        file.Clear();
        image.SaveToStream(file);
    });
    double decode = BestTime(5, [&] {
        TGIFImage back;
        TBytesStream in(file.Memory(), file.Size());
        back.LoadFromStream(in);
    });
    file.SaveToFile(folder + "/lzw.gif");
    std::printf("lzw: 2048x2048, 256 colours, %lld bytes; ours: encode %.3f s, decode %.3f s (best of 5)\n",
                static_cast<long long>(file.Size()), encode, decode);
}

void ReductionBenchmark(const std::string& folder) {
    const int size = 1024;
    TBitmap source(size, size, TPixelFormat::pf24bit);
    uint32_t seed = 7;
    for (int y = 0; y < size; ++y) {
        uint8_t* row = source.ScanLine(y);
        for (int x = 0; x < size; ++x) {
            seed = seed * 1103515245u + 12345u;
            int noise = static_cast<int>((seed >> 16) % 17) - 8;
            auto c = [&](int v) { return static_cast<uint8_t>(std::clamp(v + noise, 0, 255)); };
            row[3 * x + 2] = c(x * 255 / (size - 1));                                   // red across
            row[3 * x + 1] = c(y * 255 / (size - 1));                                   // green down
            row[3 * x] = c(static_cast<int>(128 + 127 * ((x * x + y * y) % 9973) / 9973.0 - 64));  // blue rings
        }
    }
    WritePPM(source, folder + "/truecolor.ppm");
    struct Case {
        const char* name;
        TDitherMode dither;
    };
    for (const Case& c : {Case{"octree", dmNearest}, Case{"octree + Floyd-Steinberg", dmFloydSteinberg}}) {
        std::unique_ptr<TBitmap> result;
        double t = BestTime(3, [&] { result = ReduceColors(source, rmQuantize, c.dither, 8, nullptr); });
        std::printf("reduce: ours %-26s %.3f s, MSE %.2f\n", c.name, t, MeanSquaredError(source, *result));
    }
}
}  // namespace

int main(int argc, char** argv) {
    std::string folder = argc > 1 ? argv[1] : ".";
    LzwBenchmark(folder);
    ReductionBenchmark(folder);
    return 0;
}
