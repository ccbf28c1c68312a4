#pragma once
// The frames of a GIF image in display order, and the loop over the blocks between header and trailer.
#include "gif/GIFItem.h"

class TGIFSubImage;

class TGIFImageList : public TGIFList {
public:
    using TGIFList::TGIFList;
    TGIFSubImage* GetImage(int index) const;
    std::unique_ptr<TGIFItem> SetImage(int index, std::unique_ptr<TGIFSubImage> image);
    // Reads frames until the trailer, the end of the stream or a block it does not know.
    void LoadFromStream(TStream& stream, TGIFImage& parent);
    void SaveToStream(TStream& stream) override;
};
