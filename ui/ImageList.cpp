#include "ui/ImageList.h"

#include <cstring>
#include <vector>

TImageList::TImageList(int width, int height, bool keepAlpha)
    : FList(ImageList_Create(width, height, (keepAlpha ? ILC_COLOR32 : ILC_COLOR24) | ILC_MASK, 16, 256)), FWidth(width), FHeight(height) {}

TImageList::~TImageList() {
    if (FList) ImageList_Destroy(FList);
}

HIMAGELIST TImageList::Handle() const {
    Flush();
    return FList;
}

int TImageList::Count() const {
    Flush();
    return ImageList_GetImageCount(FList);
}

int TImageList::AddIcon(HICON icon) {
    Flush();
    return ImageList_ReplaceIcon(FList, -1, icon);
}

int TImageList::AddImages(HBITMAP images, HBITMAP masks) {
    Flush();
    return ImageList_Add(FList, images, masks);
}

void TImageList::ReplaceIcon(int index, HICON icon) {
    Flush();
    ImageList_ReplaceIcon(FList, index, icon);
}

void TImageList::Delete(int index) {
    Flush();
    ImageList_Remove(FList, index);
}

void TImageList::Clear() {
    FPending = 0;
    ImageList_RemoveAll(FList);
}

HICON TImageList::GetIcon(int index) const {
    Flush();
    return ImageList_GetIcon(FList, index, ILD_NORMAL);
}

void TImageList::Draw(HDC dc, int index, int x, int y) const {
    Flush();
    ImageList_Draw(FList, index, dc, x, y, ILD_TRANSPARENT);
}

void TImageList::AddPixels(const uint32_t* colour, const uint8_t* mask, std::size_t maskRowBytes) {
    const std::size_t w = static_cast<std::size_t>(FWidth), h = static_cast<std::size_t>(FHeight);
    const std::size_t stripWidth = w * kStripImages, stripMaskRow = (stripWidth + 15) / 16 * 2;
    if (FPending == 0) {
        FStripColour.assign(stripWidth * h, 0);
        FStripMask.assign(stripMaskRow * h, 0);
    }
    const std::size_t at = w * static_cast<std::size_t>(FPending);
    for (std::size_t y = 0; y < h; ++y) {
        std::memcpy(&FStripColour[y * stripWidth + at], colour + y * w, 4 * w);
        for (std::size_t x = 0; x < w; ++x)
            if (mask[y * maskRowBytes + x / 8] & (0x80 >> (x % 8)))
                FStripMask[y * stripMaskRow + (at + x) / 8] |= static_cast<uint8_t>(0x80 >> ((at + x) % 8));
    }
    if (++FPending == kStripImages) Flush();
}

void TImageList::Flush() const {
    if (FPending == 0) return;
    // The strip's first FPending images, as one bitmap and one mask of their width.
    const int count = FPending;
    FPending = 0;
    const std::size_t h = static_cast<std::size_t>(FHeight);
    const std::size_t stripWidth = static_cast<std::size_t>(FWidth) * kStripImages, stripMaskRow = (stripWidth + 15) / 16 * 2;
    const int width = FWidth * count;
    const std::size_t maskRow = (static_cast<std::size_t>(width) + 15) / 16 * 2;
    BITMAPINFO bi = TopDownDibInfo(width, FHeight, 32);
    void* bits = nullptr;
    TGdiObject colour(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    std::vector<uint8_t> mask(maskRow * h);
    for (std::size_t y = 0; y < h; ++y) std::memcpy(&mask[y * maskRow], &FStripMask[y * stripMaskRow], maskRow);
    TGdiObject masks(CreateBitmap(width, FHeight, 1, 1, mask.data()));
    if (!colour || !bits || !masks) return;
    for (std::size_t y = 0; y < h; ++y)
        std::memcpy(static_cast<uint32_t*>(bits) + y * static_cast<std::size_t>(width), &FStripColour[y * stripWidth],
                    4u * static_cast<std::size_t>(width));
    GdiFlush();
    ImageList_Add(FList, static_cast<HBITMAP>(colour.Get()), static_cast<HBITMAP>(masks.Get()));
}

void TImageList::Move(int from, int to) {
    int n = Count();
    if (from < 0 || from >= n || to < 0 || to >= n || from == to) return;
    // Rebuild in the new order: take every icon out, then add them back.
    std::vector<HICON> icons;
    for (int i = 0; i < n; ++i) icons.push_back(GetIcon(i));
    HICON moved = icons[static_cast<std::size_t>(from)];
    icons.erase(icons.begin() + from);
    icons.insert(icons.begin() + to, moved);
    Clear();
    for (HICON h : icons) {
        AddIcon(h);
        DestroyIcon(h);
    }
}
