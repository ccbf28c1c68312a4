#include "gif/GIFDither.h"

#include <algorithm>
#include <cstdlib>

#include "gif/GIFColorReduction.h"

int TDitherEngine::DitherPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& r, uint8_t& g, uint8_t& b) {
    int index = FLookup.MapColour(red, green, blue, r, g, b);
    FColumn += FDirection;
    return index;
}

void TDitherEngine::EndRow() {
    FDirection = -FDirection;
    FColumn = FDirection > 0 ? 0 : FWidth - 1;
}

TErrorDiffusionDitherer::TErrorDiffusionDitherer(int width, TColorLookup& lookup, int divisor,
                                                 std::span<const TDitherWeight> kernel)
    : TDitherEngine(width, lookup), FDivisor(divisor), FKernel(kernel.begin(), kernel.end()) {
    int rows = 1;
    FMargin = 0;
    for (const TDitherWeight& w : FKernel) {
        rows = std::max(rows, w.dy + 1);
        FMargin = std::max(FMargin, std::abs(w.dx));
    }
    FRowStride = std::max(width, 0) + 2 * FMargin;
    for (auto& channel : FErrors) channel.assign(static_cast<std::size_t>(rows), std::vector<int>(FRowStride, 0));
}

int TErrorDiffusionDitherer::DitherPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& r, uint8_t& g, uint8_t& b) {
    const int column = FColumn + FMargin;
    const int direction = FDirection;
    const uint8_t in[3] = {red, green, blue};
    uint8_t corrected[3];
    for (int c = 0; c < 3; ++c) {
        // Integer division truncates toward zero, also for negative errors.
        int value = in[c] + (FErrors[c][0][static_cast<std::size_t>(column)] + FDivisor / 2) / FDivisor;
        corrected[c] = static_cast<uint8_t>(std::clamp(value, 0, 255));
    }
    int index = TDitherEngine::DitherPixel(corrected[0], corrected[1], corrected[2], r, g, b);
    const uint8_t out[3] = {r, g, b};
    for (int c = 0; c < 3; ++c) {
        int error = corrected[c] - out[c];
        if (error == 0) continue;
        std::vector<std::vector<int>>& rows = FErrors[c];
        for (const TDitherWeight& w : FKernel)
            rows[static_cast<std::size_t>(w.dy)][static_cast<std::size_t>(column + w.dx * direction)] += error * w.weight;
    }
    return index;
}

void TErrorDiffusionDitherer::EndRow() {
    for (auto& rows : FErrors) {
        std::fill(rows[0].begin(), rows[0].end(), 0);
        std::rotate(rows.begin(), rows.begin() + 1, rows.end());
    }
    TDitherEngine::EndRow();
}

namespace {
constexpr TDitherWeight FloydSteinberg[] = {{1, 0, 7}, {-1, 1, 3}, {0, 1, 5}, {1, 1, 1}};
constexpr TDitherWeight Stucki[] = {{1, 0, 8},  {2, 0, 4},  {-2, 1, 2}, {-1, 1, 4}, {0, 1, 8}, {1, 1, 4},
                                    {2, 1, 2},  {-2, 2, 1}, {-1, 2, 2}, {0, 2, 4},  {1, 2, 2}, {2, 2, 1}};
constexpr TDitherWeight Sierra[] = {{1, 0, 5}, {2, 0, 3}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 5},
                                    {1, 1, 4}, {2, 1, 2}, {-1, 2, 2}, {0, 2, 3},  {1, 2, 2}};
constexpr TDitherWeight JaJuNi[] = {{1, 0, 7},  {2, 0, 5},  {-2, 1, 3}, {-1, 1, 5}, {0, 1, 7}, {1, 1, 5},
                                    {2, 1, 3},  {-2, 2, 1}, {-1, 2, 3}, {0, 2, 5},  {1, 2, 3}, {2, 2, 1}};
constexpr TDitherWeight SteveArche[] = {{2, 0, 32},  {-3, 1, 12}, {-1, 1, 26}, {1, 1, 30}, {3, 1, 16}, {-2, 2, 12},
                                        {0, 2, 26},  {2, 2, 12},  {-3, 3, 5},  {-1, 3, 12}, {1, 3, 12}, {3, 3, 5}};
constexpr TDitherWeight Burkes[] = {{1, 0, 8}, {2, 0, 4}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 8}, {1, 1, 4}, {2, 1, 2}};
}  // namespace

TFloydSteinbergDitherer::TFloydSteinbergDitherer(int width, TColorLookup& lookup)
    : TErrorDiffusionDitherer(width, lookup, 16, FloydSteinberg) {}
TStuckiDitherer::TStuckiDitherer(int width, TColorLookup& lookup) : T5by3Ditherer(width, lookup, 42, Stucki) {}
TSierraDitherer::TSierraDitherer(int width, TColorLookup& lookup) : T5by3Ditherer(width, lookup, 32, Sierra) {}
TJaJuNiDitherer::TJaJuNiDitherer(int width, TColorLookup& lookup) : T5by3Ditherer(width, lookup, 48, JaJuNi) {}
TSteveArcheDitherer::TSteveArcheDitherer(int width, TColorLookup& lookup)
    : TErrorDiffusionDitherer(width, lookup, 200, SteveArche) {}
TBurkesDitherer::TBurkesDitherer(int width, TColorLookup& lookup)
    : TErrorDiffusionDitherer(width, lookup, 32, Burkes) {}

std::unique_ptr<TDitherEngine> MakeDitherEngine(TDitherMode mode, int width, TColorLookup& lookup) {
    switch (mode) {
    case dmNearest: return std::make_unique<TDitherEngine>(width, lookup);
    case dmFloydSteinberg: return std::make_unique<TFloydSteinbergDitherer>(width, lookup);
    case dmStucki: return std::make_unique<TStuckiDitherer>(width, lookup);
    case dmSierra: return std::make_unique<TSierraDitherer>(width, lookup);
    case dmJaJuNI: return std::make_unique<TJaJuNiDitherer>(width, lookup);
    case dmSteveArche: return std::make_unique<TSteveArcheDitherer>(width, lookup);
    case dmBurkes: return std::make_unique<TBurkesDitherer>(width, lookup);
    }
    return nullptr;
}
