#include "PaletteEdit.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "BuiltInPalettes.h"
#include "PaletteColour.h"
#include "base/Palette.h"

namespace {

std::size_t At(int i) { return static_cast<std::size_t>(i); }
bool InRange(int i) { return i >= 0 && i < 256; }

// Sends every pixel of old entry i to entry map[i].
void Reindex(ImageRecord& image, const std::array<uint8_t, 256>& map) {
    for (int i = 0; i < kIndexBytes; ++i) image.Pixels.Bytes[i] = map[image.Pixels.Bytes[i]];
}

std::array<uint8_t, 256> Identity() {
    std::array<uint8_t, 256> map{};
    for (int i = 0; i < 256; ++i) map[At(i)] = static_cast<uint8_t>(i);
    return map;
}

// A stable bucket pass: key values upward, entries of one key in entry order.
template <class KeyOf>
TPaletteOrder BucketOrder(const ImagePalette& palette, int buckets, KeyOf key) {
    TPaletteOrder order{};
    std::size_t n = 0;
    for (int k = 0; k < buckets; ++k)
        for (int i = 0; i < 256; ++i)
            if (key(palette[At(i)]) == k) order[n++] = static_cast<uint8_t>(i);
    return order;
}

int SaturationKey(const TRGBQuad& q) {
    // A few near-black and near-white colours exceed the usual range; they share the last bucket.
    return std::min(Saturation(RgbOf(q)) / 8, 16);
}

}  // namespace

TColor DisplayedColour(const ImageRecord& image, int index) {
    TColor c = QuadToColor(image.Palette[At(index & 255)]);
    return image.Inverse[At(index & 255)] ? Complement(c) : c;
}

TPaletteView ViewOf(const ImageRecord& image) {
    TPaletteView view{};
    for (int i = 0; i < kIndexBytes; ++i) view[At(i)] = DisplayedColour(image, image.Pixels.Bytes[i]);
    return view;
}

void StoreShownColour(ImageRecord& image, int index, TColor shown) {
    if (!InRange(index)) return;
    image.Palette[At(index)] = ColorToQuad(image.Inverse[At(index)] ? Complement(shown) : shown);
}

void ToggleInverse(ImageRecord& image, int index) {
    if (!InRange(index)) return;
    image.Inverse[At(index)] = image.Inverse[At(index)] ? 0 : 1;
    image.Palette[At(index)] = Complement(image.Palette[At(index)]);
}

void FoldInverseColours(ImageRecord& image) {
    for (int i = 0; i < 256; ++i)
        if (image.Inverse[At(i)]) {
            image.Palette[At(i)] = Complement(image.Palette[At(i)]);
            image.Inverse[At(i)] = 0;
        }
}

void RemapToPalette(ImageRecord& image, const TPaletteView& view) {
    std::array<TRGBQuad, 256> shown{};
    for (int i = 0; i < 256; ++i) shown[At(i)] = ColorToQuad(DisplayedColour(image, i));
    for (int i = 0; i < kIndexBytes; ++i)
        image.Pixels.Bytes[i] = static_cast<uint8_t>(NearestPaletteIndex(shown.data(), 256, view[At(i)]));
}

void MoveEntry(ImageRecord& image, int from, int to) {
    if (!InRange(from) || !InRange(to) || from == to) return;
    const ImageRecord old = image;
    auto map = Identity();
    int step = to > from ? 1 : -1;
    for (int k = from; k != to; k += step) {
        image.Palette[At(k)] = old.Palette[At(k + step)];
        image.Inverse[At(k)] = old.Inverse[At(k + step)];
        map[At(k + step)] = static_cast<uint8_t>(k);
    }
    image.Palette[At(to)] = old.Palette[At(from)];
    image.Inverse[At(to)] = old.Inverse[At(from)];
    map[At(from)] = static_cast<uint8_t>(to);
    Reindex(image, map);
}

void InsertPaletteGap(ImageRecord& image, int position, int count) {
    if (!InRange(position) || count < 1) return;
    const ImageRecord old = image;
    auto map = Identity();
    for (int k = position; k < 256; ++k) {
        if (count < 256 - k) {
            image.Palette[At(k + count)] = old.Palette[At(k)];
            image.Inverse[At(k + count)] = old.Inverse[At(k)];
            map[At(k)] = static_cast<uint8_t>(k + count);
        } else {
            map[At(k)] = 255;
        }
    }
    Reindex(image, map);
}

void DeletePaletteRange(ImageRecord& image, int a, int b) {
    if (!InRange(a) || !InRange(b)) return;
    const int start = std::min(a, b), count = std::abs(b - a) + 1;
    const ImageRecord old = image;
    auto map = Identity();
    for (int k = start; k + count < 256; ++k) {
        image.Palette[At(k)] = old.Palette[At(k + count)];
        image.Inverse[At(k)] = old.Inverse[At(k + count)];
        map[At(k + count)] = static_cast<uint8_t>(k);
    }
    for (int j = 0; j < count; ++j) {
        image.Palette[At(256 - count + j)] = TRGBQuad{};
        image.Inverse[At(256 - count + j)] = 0;
        map[At(start + j)] = static_cast<uint8_t>(256 - count + j);
    }
    Reindex(image, map);
}

void SwapEntries(ImageRecord& image, int a, int b) {
    if (!InRange(a) || !InRange(b)) return;
    std::swap(image.Palette[At(a)], image.Palette[At(b)]);
    std::swap(image.Inverse[At(a)], image.Inverse[At(b)]);
}

void MakeGradient(ImageRecord& image, int main, int sub, TColor mainShown, TColor subShown) {
    if (!InRange(main) || !InRange(sub) || main == sub) return;
    const int n = std::abs(sub - main), step = (sub - main) / n;
    const TRgb from = RgbOf(mainShown), to = RgbOf(subShown);
    for (int i = 0; i < n; ++i) {
        TRgb c{from.R + i * (to.R - from.R) / n, from.G + i * (to.G - from.G) / n, from.B + i * (to.B - from.B) / n};
        StoreShownColour(image, main + step * i, ColorOf(c));
    }
    StoreShownColour(image, sub, subShown);
}

void WriteRamp(ImageRecord& image, int start, const std::array<TColor, 16>& ramp) {
    for (int i = 0; i < 16 && start + i < 256; ++i) StoreShownColour(image, start + i, ramp[At(i)]);
}

TPaletteOrder LightnessOrder(const ImagePalette& palette) {
    return BucketOrder(palette, kLightnessMax + 1, [](const TRGBQuad& q) { return Lightness(RgbOf(q)); });
}

TPaletteOrder HueOrder(const ImagePalette& palette) {
    auto isGrey = [](const TRGBQuad& q) { return q.Red == q.Green && q.Green == q.Blue; };
    // Non-greys by hue in 32 buckets, then the greys in entry order.
    TPaletteOrder first = BucketOrder(palette, 33, [&](const TRGBQuad& q) {
        return isGrey(q) ? 32 : Hue(RgbOf(q)) / 48;
    });
    // Then split by saturation: below 128 first, each group in the first ordering.
    TPaletteOrder order{};
    std::size_t n = 0;
    for (int strong = 0; strong < 2; ++strong)
        for (uint8_t e : first)
            if ((Saturation(RgbOf(palette[e])) >= 128) == (strong == 1)) order[n++] = e;
    return order;
}

TPaletteOrder SaturationOrder(const ImagePalette& palette) { return BucketOrder(palette, 17, SaturationKey); }

void ApplyOrder(ImageRecord& image, const TPaletteOrder& order) {
    const ImageRecord old = image;
    for (int i = 0; i < 256; ++i) {
        image.Palette[At(i)] = old.Palette[order[At(i)]];
        image.Inverse[At(i)] = old.Inverse[order[At(i)]];
    }
}

void SortPalette(ImageRecord& image, TPaletteSort sort) {
    enum Pass { L, H, S };
    auto run = [&](Pass p) {
        FoldInverseColours(image);
        ApplyOrder(image, p == L ? LightnessOrder(image.Palette) : p == H ? HueOrder(image.Palette)
                                                                          : SaturationOrder(image.Palette));
    };
    switch (sort) {
        case TPaletteSort::Lightness: run(H); run(L); break;
        case TPaletteSort::Hue: run(L); run(H); break;
        case TPaletteSort::SaturationA: run(H); run(L); run(S); break;
        case TPaletteSort::SaturationB: run(L); run(H); run(S); break;
    }
}

void MergeDuplicates(ImageRecord& image) {
    const ImageRecord old = image;
    int kept = 0;
    for (int i = 0; i < 256; ++i) {
        bool twin = false;
        for (int j = 0; j < kept && !twin; ++j)
            twin = image.Palette[At(j)] == old.Palette[At(i)] && image.Inverse[At(j)] == old.Inverse[At(i)];
        if (twin) continue;
        image.Palette[At(kept)] = old.Palette[At(i)];
        image.Inverse[At(kept)] = old.Inverse[At(i)];
        ++kept;
    }
    for (int i = kept; i < 256; ++i) {
        image.Palette[At(i)] = TRGBQuad{};
        image.Inverse[At(i)] = 0;
    }
}

int TransformedIndex(TGridTransform t, int index) {
    const int r = (index & 255) / 16, c = (index & 255) % 16;
    switch (t) {
        case TGridTransform::MirrorLeftRight: return 16 * r + (15 - c);
        case TGridTransform::MirrorUpDown: return 16 * (15 - r) + c;
        case TGridTransform::Rotate180: return 255 - (index & 255);
        case TGridTransform::Rotate90Right: return 16 * c + (15 - r);
        case TGridTransform::Rotate90Left: return 16 * (15 - c) + r;
    }
    return index & 255;
}

void TransformGrid(ImageRecord& image, TGridTransform t) {
    const ImageRecord old = image;
    std::array<uint8_t, 256> map{};
    for (int i = 0; i < 256; ++i) {
        int to = TransformedIndex(t, i);
        image.Palette[At(to)] = old.Palette[At(i)];
        image.Inverse[At(to)] = old.Inverse[At(i)];
        map[At(i)] = static_cast<uint8_t>(to);
    }
    Reindex(image, map);
}

void ReduceToSystemColours(ImageRecord& image, const TPaletteView& view) {
    std::array<TRGBQuad, 16> system{};
    for (std::size_t i = 0; i < 16; ++i) system[i] = ColorToQuad(SystemColours()[i]);
    for (int i = 0; i < kIndexBytes; ++i)
        image.Pixels.Bytes[i] = static_cast<uint8_t>(NearestPaletteIndex(system.data(), 16, view[At(i)]));
    image.Palette = ImagePalette{};
    image.Inverse = InverseFlags{};
    for (std::size_t i = 0; i < 16; ++i) image.Palette[i] = system[i];
}

void RemoveUnusedColours(ImageRecord& image) {
    FoldInverseColours(image);
    std::array<bool, 256> used{};
    for (int i = 0; i < kIndexBytes; ++i) used[image.Pixels.Bytes[i]] = true;
    const ImagePalette old = image.Palette;
    auto map = Identity();
    image.Palette = ImagePalette{};
    int n = 0;
    for (int i = 0; i < 256; ++i)
        if (used[At(i)]) {
            image.Palette[At(n)] = old[At(i)];
            map[At(i)] = static_cast<uint8_t>(n++);
        }
    Reindex(image, map);
}

bool ReductionKeepsEveryColour(const TPaletteView& view) {
    std::vector<TColor> colours{clBlack, clWhite};
    for (TColor c : view)
        if (std::find(colours.begin(), colours.end(), c) == colours.end()) colours.push_back(c);
    return colours.size() <= 256;
}

void TakeReducedPalette(ImageRecord& image, const ImagePalette& reduced, int colours, const TPaletteView& view) {
    image.Palette = ImagePalette{};
    image.Inverse = InverseFlags{};
    for (int i = 0; i < std::clamp(colours, 0, 256); ++i) image.Palette[At(i)] = TRGBQuad{reduced[At(i)].Blue, reduced[At(i)].Green, reduced[At(i)].Red, 0};
    RemapToPalette(image, view);
}
