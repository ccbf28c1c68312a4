#include "gif/GIFColorMap.h"

#include <algorithm>
#include <utility>

#include "gif/GIFUtil.h"

void TGIFColorMap::Clear() {
    FColors.clear();
    FCount = 0;
    FCapacity = 0;
    FOptimized = false;
}

void TGIFColorMap::SetCapacity(int n) {
    if (n < FCapacity) return;
    int capacity = n <= 16 ? 16 : std::min(256, (n + 31) / 32 * 32);
    FColors.resize(static_cast<std::size_t>(capacity));
    FCapacity = capacity;
}

int TGIFColorMap::Add(TColor color) {
    if (FCount > 255) RaiseGIFError(GIFText::_sTooManyColors);
    if (FCount >= FCapacity) SetCapacity(FCount + 1);
    FColors[static_cast<std::size_t>(FCount)] = Color2RGB(color);
    int index = FCount++;
    FOptimized = false;
    NotifyChanged();
    return index;
}

int TGIFColorMap::AddUnique(TColor color) {
    int index = IndexOf(color);
    return index >= 0 ? index : Add(color);
}

int TGIFColorMap::IndexOf(TColor color) const {
    TGIFColor c = Color2RGB(color);
    if (FOptimized) {
        for (int i = 0; i < FCount; ++i)
            if (FColors[static_cast<std::size_t>(i)] == c) return i;
    } else {
        for (int i = FCount - 1; i >= 0; --i)
            if (FColors[static_cast<std::size_t>(i)] == c) return i;
    }
    return -1;
}

void TGIFColorMap::Delete(int index) {
    if (index < 0 || index >= FCount) RaiseGIFError(GIFText::_sBadColorIndex);
    FColors.erase(FColors.begin() + index);
    FColors.emplace_back();
    --FCount;
    FOptimized = false;
    NotifyChanged();
}

TColor TGIFColorMap::GetColor(int index) {
    if (index < 0 || index >= FCount) {
        Warning(gsWarning, GIFText::_sBadColorIndex);
        if (FCount == 0) RaiseGIFError(GIFText::_sEmptyColorMap);
        index = 0;
    }
    return RGB2Color(FColors[static_cast<std::size_t>(index)]);
}

void TGIFColorMap::SetColor(int index, TColor color) {
    if (index < 0 || index >= FCount) RaiseGIFError(GIFText::_sBadColorIndex);
    FColors[static_cast<std::size_t>(index)] = Color2RGB(color);
    NotifyChanged();
}

int TGIFColorMap::GetBitsPerPixel() const { return BitsForColours(FCount); }

template <class TColorOf>
void TGIFColorMap::ImportEntries(int count, TColorOf colorOf) {
    Clear();
    count = std::clamp(count, 0, 256);
    if (count == 0) return;
    SetCapacity(count);
    for (int i = 0; i < count; ++i) FColors[static_cast<std::size_t>(i)] = colorOf(i);
    FCount = count;
    NotifyChanged();
}

void TGIFColorMap::ImportPalette(const TLogPalette* palette) {
    int n = palette ? static_cast<int>(std::min<std::size_t>(256, palette->palPalEntry.size())) : 0;
    ImportEntries(n, [&](int i) {
        const TPaletteEntry& e = palette->palPalEntry[static_cast<std::size_t>(i)];
        return TGIFColor{e.peRed, e.peGreen, e.peBlue};
    });
}

void TGIFColorMap::ImportColorMap(const TGIFColor* colors, int count) {
    ImportEntries(count, [&](int i) { return colors[i]; });
}

void TGIFColorMap::ImportColorTable(const TRGBQuad* quads, int count) {
    ImportEntries(count, [&](int i) { return TGIFColor{quads[i].Red, quads[i].Green, quads[i].Blue}; });
}

void TGIFColorMap::ImportDIBColors(const TBitmap& bitmap) {
    Clear();
    const std::vector<TRGBQuad>& colors = bitmap.Colors();
    ImportColorTable(colors.data(), static_cast<int>(std::min<std::size_t>(256, colors.size())));
    NotifyChanged();
}

TPaletteHandle TGIFColorMap::ExportPalette() const {
    if (FCount == 0) return nullptr;
    auto palette = std::make_shared<TLogPalette>();
    for (int i = 0; i < FCount; ++i) {
        const TGIFColor& c = FColors[static_cast<std::size_t>(i)];
        palette->palPalEntry.push_back({c.Red, c.Green, c.Blue, 4});
    }
    return palette;
}

void TGIFColorMap::SaveToStream(TStream& stream) const {
    if (FCount == 0) return;
    std::vector<uint8_t> bytes(static_cast<std::size_t>(3) << GetBitsPerPixel(), 0);
    for (int i = 0; i < FCount; ++i) {
        const TGIFColor& c = FColors[static_cast<std::size_t>(i)];
        bytes[3 * i] = c.Red;
        bytes[3 * i + 1] = c.Green;
        bytes[3 * i + 2] = c.Blue;
    }
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void TGIFColorMap::LoadFromStream(TStream& stream, int count) {
    Clear();
    count = std::clamp(count, 0, 256);
    SetCapacity(count);
    uint8_t bytes[768];
    ReadExact(stream, bytes, 3 * count);
    for (int i = 0; i < count; ++i) FColors[static_cast<std::size_t>(i)] = {bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]};
    FCount = count;
}

void TGIFColorMap::Assign(const TGIFColorMap& source) {
    if (&source == this) return;
    Clear();
    FCapacity = source.FCapacity;
    FCount = source.FCount;
    FOptimized = source.FOptimized;
    FColors.assign(static_cast<std::size_t>(FCapacity), TGIFColor{});
    std::copy(source.FColors.begin(), source.FColors.begin() + FCount, FColors.begin());
    NotifyChanged();
}

void TGIFColorMap::ResetUses(TColorUses& uses) const {
    for (int i = 0; i < 256; ++i) uses[static_cast<std::size_t>(i)] = {0, i};
}

namespace {
// Sorts by decreasing uses; elements with equal uses end in partition order.
void SortByUses(ColorUse* a, int low, int high) {
    int i;
    do {
        i = low;
        int j = high;
        int pivot = a[(low + high) / 2].Uses;
        do {
            while (a[i].Uses > pivot) ++i;
            while (a[j].Uses < pivot) --j;
            if (i <= j) {
                std::swap(a[i], a[j]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (low < j) SortByUses(a, low, j);
        low = i;
    } while (i < high);
}
}  // namespace

bool TGIFColorMap::DoOptimize() {
    if (FCount <= 1) return false;
    FOptimized = true;
    TColorUses uses;
    CountColorUses(uses);
    SortByUses(uses.data(), 0, FCount - 1);

    int newCount = FCount;
    for (int i = 0; i < FCount; ++i)
        if (uses[static_cast<std::size_t>(i)].Uses == 0) {
            newCount = i;
            break;
        }

    bool inOrder = true;
    for (int i = 0; i < FCount && inOrder; ++i) inOrder = uses[static_cast<std::size_t>(i)].Index == i;
    if (inOrder) {
        // Already ordered: only the unused entries at the end go.
        if (newCount != FCount) {
            FCount = newCount;
            NotifyChanged();
        }
        return true;
    }

    TColorMapping map;
    for (int i = 0; i < 256; ++i) map[static_cast<std::size_t>(i)] = static_cast<uint8_t>(i);
    for (int i = 0; i < FCount; ++i) map[static_cast<std::size_t>(uses[static_cast<std::size_t>(i)].Index)] = static_cast<uint8_t>(i);
    RemapPixels(map);

    std::vector<TGIFColor> old(FColors.begin(), FColors.begin() + FCount);
    for (int i = 0; i < FCount; ++i) FColors[map[static_cast<std::size_t>(i)]] = old[static_cast<std::size_t>(i)];
    FCount = newCount;
    NotifyChanged();
    return true;
}
