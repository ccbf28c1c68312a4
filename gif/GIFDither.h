#pragma once
// Dither engines: they walk a picture in serpentine order (rows alternate left-to-right and
// right-to-left) and turn each pixel into a palette index through a colour lookup. The
// error-diffusion engines first add the error carried from pixels already done, then spread
// the pixel's own error (wanted minus palette colour) to pixels not yet done.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

class TColorLookup;

class TDitherEngine {
public:
    TDitherEngine(int width, TColorLookup& lookup) : FLookup(lookup), FWidth(width) {}
    virtual ~TDitherEngine() = default;
    TDitherEngine(const TDitherEngine&) = delete;
    TDitherEngine& operator=(const TDitherEngine&) = delete;

    // The palette index of the pixel at the current column; the palette colour goes to r, g, b.
    // Advances the column by the direction.
    virtual int DitherPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& r, uint8_t& g, uint8_t& b);
    // Passes over the current pixel without a lookup.
    void StepColumn() { FColumn += FDirection; }
    // Reverses the direction; the column moves to the start of the next row.
    virtual void EndRow();

    int Column() const { return FColumn; }
    int Direction() const { return FDirection; }
    int Width() const { return FWidth; }

protected:
    TColorLookup& FLookup;  // not owned
    int FWidth;
    int FDirection = 1;
    int FColumn = 0;
};

// One weight of a kernel: dx pixels along the direction, dy rows below.
struct TDitherWeight {
    int dx, dy, weight;
};

// The common error-diffusion step over a kernel of up to four rows.
class TErrorDiffusionDitherer : public TDitherEngine {
public:
    int DitherPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& r, uint8_t& g, uint8_t& b) override;
    void EndRow() override;

protected:
    TErrorDiffusionDitherer(int width, TColorLookup& lookup, int divisor, std::span<const TDitherWeight> kernel);

private:
    int FDivisor;
    std::vector<TDitherWeight> FKernel;
    int FMargin;  // the kernel's reach to either side
    int FRowStride;
    // Per channel, one error row per kernel row, in units of 1/divisor; rotated at EndRow.
    std::array<std::vector<std::vector<int>>, 3> FErrors;
};

class TFloydSteinbergDitherer : public TErrorDiffusionDitherer {
public:
    TFloydSteinbergDitherer(int width, TColorLookup& lookup);
};

// The family of kernels five pixels wide and three rows deep.
class T5by3Ditherer : public TErrorDiffusionDitherer {
protected:
    using TErrorDiffusionDitherer::TErrorDiffusionDitherer;
};

class TStuckiDitherer : public T5by3Ditherer {
public:
    TStuckiDitherer(int width, TColorLookup& lookup);
};

class TSierraDitherer : public T5by3Ditherer {
public:
    TSierraDitherer(int width, TColorLookup& lookup);
};

class TJaJuNiDitherer : public T5by3Ditherer {
public:
    TJaJuNiDitherer(int width, TColorLookup& lookup);
};

class TSteveArcheDitherer : public TErrorDiffusionDitherer {
public:
    TSteveArcheDitherer(int width, TColorLookup& lookup);
};

class TBurkesDitherer : public TErrorDiffusionDitherer {
public:
    TBurkesDitherer(int width, TColorLookup& lookup);
};
