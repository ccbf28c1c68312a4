// Benchmark (not a test): the import's way with a large true-colour picture, resized to
// 32x32 by averaging and reduced to 256 and to 16 colours. Usage:
//   reduce_bench PICTURE.bmp OUTDIR
// Writes OUTDIR/input32.bmp (the resized picture every quantizer gets), OUTDIR/ours256.bmp
// and OUTDIR/ours16.bmp, and prints the times and the mean squared error per channel.
#include <algorithm>
#include <cstdio>
#include <string>

#include "base/BestTime.h"
#include "editor/Reduce.h"
#include "formats/PictureImport.h"

namespace {

double MeanSquaredError(const TBitmap& a, const TBitmap& b) {
    double sum = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            const TColor p = a.Pixel(x, y), q = b.Pixel(x, y);
            const double dr = RedOf(p) - RedOf(q), dg = GreenOf(p) - GreenOf(q), db = BlueOf(p) - BlueOf(q);
            sum += dr * dr + dg * dg + db * db;
        }
    return sum / (3.0 * a.Width() * a.Height());
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: reduce_bench PICTURE.bmp OUTDIR\n");
        return 2;
    }
    const std::string out = argv[2];
    TBitmap picture;
    picture.LoadFromFile(argv[1]);
    TBitmap small;
    const double resize = BestTime(5, [&] { small = SmartResizeTo32(picture); });
    small.SaveToFile(out + "/input32.bmp");
    std::printf("picture %dx%d, smart resize to 32x32: %.4f s\n", picture.Width(), picture.Height(), resize);
    for (int target : {256, 16}) {
        cData data;
        TBitmap result;
        std::atomic<bool> cancel{false};
        TReduceStatus status = TReduceStatus::NotRun;
        const double t = BestTime(20, [&] {
            THReduce worker(small, data, cancel, nullptr, false, target, result);
            worker.Execute();
            status = worker.Status();
        });
        if (status != TReduceStatus::Reduced) return 1;
        result.SaveToFile(out + "/ours" + std::to_string(target) + ".bmp");
        std::printf("ours %3d colours: %.6f s  mse %.2f\n", target, t, MeanSquaredError(small, result));
    }
    return 0;
}
