#include "ui/ImageList.h"

#include <vector>

TImageList::TImageList(int width, int height, bool keepAlpha)
    : FList(ImageList_Create(width, height, (keepAlpha ? ILC_COLOR32 : ILC_COLOR24) | ILC_MASK, 16, 256)), FWidth(width), FHeight(height) {}

TImageList::~TImageList() {
    if (FList) ImageList_Destroy(FList);
}

int TImageList::Count() const { return ImageList_GetImageCount(FList); }
int TImageList::AddIcon(HICON icon) { return ImageList_ReplaceIcon(FList, -1, icon); }
int TImageList::AddImages(HBITMAP images, HBITMAP masks) { return ImageList_Add(FList, images, masks); }
void TImageList::ReplaceIcon(int index, HICON icon) { ImageList_ReplaceIcon(FList, index, icon); }
void TImageList::Delete(int index) { ImageList_Remove(FList, index); }
void TImageList::Clear() { ImageList_RemoveAll(FList); }
HICON TImageList::GetIcon(int index) const { return ImageList_GetIcon(FList, index, ILD_NORMAL); }
void TImageList::Draw(HDC dc, int index, int x, int y) const { ImageList_Draw(FList, index, dc, x, y, ILD_TRANSPARENT); }

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
