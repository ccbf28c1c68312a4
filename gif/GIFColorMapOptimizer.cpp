#include "gif/GIFColorMapOptimizer.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"

THistogram::THistogram(TGIFColorMap& map) : FCount(map.Count()), FMap(map), FElements(static_cast<std::size_t>(map.Count())) {
    for (int i = 0; i < FCount; ++i) {
        THistogramElement& e = FElements[static_cast<std::size_t>(i)];
        e.Index = i;
        e.Color = map[i];
        FRefs.push_back(&e);
    }
}

bool THistogram::CountFrame(TGIFSubImage& frame) {
    if (frame.GetEmpty()) return false;
    FFrames.push_back(&frame);
    const int transparent = frame.TransparentIndex();
    bool used = false, warned = false;
    for (uint8_t& p : frame.Pixels()) {
        if (p == transparent) {
            used = true;
            continue;
        }
        if (p >= FCount) {
            p = 0;
            if (!warned) frame.Warning(gsWarning, GIFText::_sInvalidColor);
            warned = true;
            if (FCount == 0) continue;
        }
        int32_t& count = FElements[p].Count;
        if (count == INT32_MAX) break;
        ++count;
    }
    if (transparent >= 0 && !used) {
        frame.GraphicControlExtension()->SetTransparentColorIndex(0);
        frame.GraphicControlExtension()->SetTransparent(false);
    }
    return used;
}

int THistogram::Prune() {
    std::sort(FRefs.begin(), FRefs.end(), [](const THistogramElement* a, const THistogramElement* b) { return a->Count > b->Count; });
    auto firstUnused = std::find_if(FRefs.begin(), FRefs.end(), [](const THistogramElement* e) { return e->Count == 0; });
    for (auto it = firstUnused; it != FRefs.end(); ++it) (*it)->Count = -1;
    FRefs.erase(firstUnused, FRefs.end());
    FCount = static_cast<int>(FRefs.size());
    return FCount;
}

void THistogram::RemapFrames(bool useTransparency, uint8_t newTransparentIndex) {
    TColorMapping map{};
    for (const THistogramElement& e : FElements)
        if (e.Count >= 0 && e.NewIndex < 256) map[static_cast<std::size_t>(e.Index)] = static_cast<uint8_t>(e.NewIndex);
    for (TGIFSubImage* frame : FFrames) {
        const int transparent = frame->TransparentIndex();
        if (transparent >= 0 && useTransparency) frame->GraphicControlExtension()->SetTransparentColorIndex(newTransparentIndex);
        for (uint8_t& p : frame->Pixels())
            p = transparent >= 0 && useTransparency && p == transparent ? newTransparentIndex : map[p];
    }
}

void TColorMapOptimizer::MergeColorMaps() {
    FImage.PaintStop();
    CollectHistograms();
    for (auto& h : FHistograms) {
        h->Prune();
        FMerged.insert(FMerged.end(), h->Refs().begin(), h->Refs().end());
    }
    MergeDuplicates();
    ChooseColors();
    ReplaceColorMaps();
    for (auto& h : FHistograms) h->RemapFrames(FTransparency, FNewTransparentIndex);
    for (int i = 0; i < FImage.Images().GetCount(); ++i) {
        TGIFSubImage* frame = FImage.Images().GetImage(i);
        frame->FreeBitmap();
        frame->SetPalette(nullptr);
    }
    FImage.FreeBitmap();
    FImage.SetPalette(nullptr);
}

void TColorMapOptimizer::CollectHistograms() {
    FTransparency = false;
    TGIFImageList& frames = FImage.Images();
    if (FImage.ColorMap().Count() > 0) {
        auto histogram = std::make_unique<THistogram>(FImage.ColorMap());
        for (int i = 0; i < frames.GetCount(); ++i) {
            TGIFSubImage* frame = frames.GetImage(i);
            if (!frame->GetEmpty() && frame->ColorMap().Count() == 0 && histogram->CountFrame(*frame)) FTransparency = true;
        }
        if (histogram->FrameCount() > 0) FHistograms.push_back(std::move(histogram));
    }
    for (int i = 0; i < frames.GetCount(); ++i) {
        TGIFSubImage* frame = frames.GetImage(i);
        if (frame->GetEmpty() || frame->ColorMap().Count() == 0) continue;
        auto histogram = std::make_unique<THistogram>(frame->ColorMap());
        if (histogram->CountFrame(*frame)) FTransparency = true;
        FHistograms.push_back(std::move(histogram));
    }
}

void TColorMapOptimizer::MergeDuplicates() {
    if (FMerged.empty()) return;
    std::sort(FMerged.begin(), FMerged.end(), [](const THistogramElement* a, const THistogramElement* b) { return a->Key() > b->Key(); });
    THistogramElement* kept = FMerged[0];
    for (std::size_t i = 1; i < FMerged.size(); ++i) {
        THistogramElement* e = FMerged[i];
        if (e->Key() == kept->Key()) {
            kept->Count += e->Count;
            e->Count = 0;
            e->MergedInto = kept;
        } else {
            kept = e;
        }
    }
}

void TColorMapOptimizer::ChooseColors() {
    std::stable_sort(FMerged.begin(), FMerged.end(), [](const THistogramElement* a, const THistogramElement* b) { return a->Count > b->Count; });
    const int limit = FTransparency ? 255 : 256;
    int chosen = 0;
    while (chosen < static_cast<int>(FMerged.size()) && chosen < limit && FMerged[static_cast<std::size_t>(chosen)]->Count > 0) {
        THistogramElement* e = FMerged[static_cast<std::size_t>(chosen)];
        e->NewIndex = chosen;
        FNewMap[chosen] = e->Color;
        ++chosen;
    }
    FNewCount = chosen;
    auto sum = [](const TGIFColor& c) { return c.Red + c.Green + c.Blue; };
    for (std::size_t i = static_cast<std::size_t>(chosen); i < FMerged.size(); ++i) {
        THistogramElement* e = FMerged[i];
        if (e->Count <= 0) continue;
        int best = 0, bestDistance = INT_MAX;
        for (int k = 0; k < chosen; ++k) {
            int distance = std::abs(sum(FNewMap[k]) - sum(e->Color));
            if (distance < bestDistance) {
                bestDistance = distance;
                best = k;
            }
        }
        e->NewIndex = best;
    }
    for (THistogramElement* e : FMerged)
        if (e->Count == 0 && e->MergedInto) e->NewIndex = e->MergedInto->NewIndex;
    if (FTransparency) {
        FNewTransparentIndex = static_cast<uint8_t>(FNewCount);
        FNewMap[FNewCount++] = TGIFColor{0, 0, 0};
    }
}

void TColorMapOptimizer::ReplaceColorMaps() {
    TGIFImageList& frames = FImage.Images();
    for (int i = 0; i < frames.GetCount(); ++i) frames.GetImage(i)->ColorMap().Clear();
    FImage.ColorMap().ImportColorMap(FNewMap, FNewCount);
    FImage.ColorMap().SetOptimized(true);
}
