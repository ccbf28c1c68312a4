#pragma once
// Replaces every colour table of an image by one global table: the colours the frames use
// are counted, equal colours of different tables merged, the most used kept (255 and a black
// transparent entry when transparency is used), the rest mapped to the nearest kept colour by
// the sum of red, green and blue, and the pixels rewritten.
#include <cstdint>
#include <memory>
#include <vector>

#include "gif/GIFColorMap.h"

class TGIFImage;
class TGIFSubImage;

struct THistogramElement {
    int32_t Count = 0;     // pixels; -1 once pruned as unused; 0 when merged into another
    int32_t Index = 0;     // in its own table
    int32_t NewIndex = 256;
    TGIFColor Color;
    THistogramElement* MergedInto = nullptr;  // not owned
    uint32_t Key() const { return static_cast<uint32_t>(Color.Red) | Color.Green << 8 | Color.Blue << 16; }
};

class THistogram {
public:
    explicit THistogram(TGIFColorMap& map);
    // Counts one frame's pixels; true when its transparent index is used by any of them.
    bool CountFrame(TGIFSubImage& frame);
    // Sorts by count and drops the unused; returns the number of used entries.
    int Prune();
    void RemapFrames(bool useTransparency, uint8_t newTransparentIndex);
    int FrameCount() const { return static_cast<int>(FFrames.size()); }
    std::vector<THistogramElement*>& Refs() { return FRefs; }

private:
    int FCount;
    TGIFColorMap& FMap;                  // not owned
    std::vector<TGIFSubImage*> FFrames;  // not owned
    std::vector<THistogramElement> FElements;
    std::vector<THistogramElement*> FRefs;
};

class TColorMapOptimizer {
public:
    explicit TColorMapOptimizer(TGIFImage& image) : FImage(image) {}
    void MergeColorMaps();

private:
    void CollectHistograms();
    void MergeDuplicates();
    void ChooseColors();
    void ReplaceColorMaps();

    TGIFImage& FImage;
    std::vector<std::unique_ptr<THistogram>> FHistograms;
    std::vector<THistogramElement*> FMerged;  // not owned
    TGIFColor FNewMap[256];
    int FNewCount = 0;
    bool FTransparency = false;
    uint8_t FNewTransparentIndex = 0;
};
