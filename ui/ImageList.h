#pragma once
// TImageList: a list of 32x32 masked icons (thumbnails) that stays index-parallel with
// the lists beside it.
#include <cstdint>
#include <vector>

#include "ui/Win.h"

class TImageList {
public:
    // keepAlpha: 32-bit images that keep the icons' alpha channel (else 24-bit with a mask).
    TImageList(int width = 32, int height = 32, bool keepAlpha = false);
    ~TImageList();
    TImageList(const TImageList&) = delete;
    TImageList& operator=(const TImageList&) = delete;

    HIMAGELIST Handle() const;
    int Count() const;
    int AddIcon(HICON icon);  // the icon is copied
    // An image of the list's size from its pixels: colour rows from the top (0xAARRGGBB; the
    // alpha counts in a list that keeps it) and mask rows of maskRowBytes (1 = transparent).
    // Such images go into the list many at a time (an icon at a time costs the list a
    // millisecond or more), at the latest when the list is next read or changed.
    void AddPixels(const uint32_t* colour, const uint8_t* mask, std::size_t maskRowBytes);
    // Images side by side in a bitmap of the list's height, with their mask: one entry each.
    int AddImages(HBITMAP images, HBITMAP masks);
    void ReplaceIcon(int index, HICON icon);
    void Delete(int index);
    void Move(int from, int to);
    void Clear();
    // A new icon of entry index; the caller owns it.
    HICON GetIcon(int index) const;
    void Draw(HDC dc, int index, int x, int y) const;

private:
    static constexpr int kStripImages = 256;
    // Puts the images added by their pixels into the list.
    void Flush() const;

    HIMAGELIST FList;
    int FWidth, FHeight;
    // The images added by their pixels and not yet in the list, side by side.
    mutable std::vector<uint32_t> FStripColour;
    mutable std::vector<uint8_t> FStripMask;
    mutable int FPending = 0;
};
