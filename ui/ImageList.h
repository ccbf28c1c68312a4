#pragma once
// TImageList: a list of 32x32 masked icons (thumbnails) that stays index-parallel with
// the lists beside it.
#include "ui/Win.h"

class TImageList {
public:
    // keepAlpha: 32-bit images that keep the icons' alpha channel (else 24-bit with a mask).
    TImageList(int width = 32, int height = 32, bool keepAlpha = false);
    ~TImageList();
    TImageList(const TImageList&) = delete;
    TImageList& operator=(const TImageList&) = delete;

    HIMAGELIST Handle() const { return FList; }
    int Count() const;
    int AddIcon(HICON icon);  // the icon is copied
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
    HIMAGELIST FList;
    int FWidth, FHeight;
};
