#pragma once
// TIconEx: the icon and cursor container as an image control. The file codec is
// TIconFile; the control shows the picture of the current image and makes a cursor
// handle from its colour and mask bitmaps.
#include "formats/IconFile.h"
#include "ui/Image.h"

class TIconEx : public TImage, public TIconFile {
public:
    TIconEx(TControl* parent, const std::string& name);

    // Loads a file and, with DrawIfIndexChange, shows the image chosen as current.
    IconLoadResult LoadIconA(const std::string& path);
    // Makes index the current image and, with DrawIfIndexChange, decodes and shows it.
    void DrawImage(int index);
    // A cursor of the current image (hotspot from the entry's planes and bit-count words);
    // empty when there is none or it cannot be decoded.
    TCursorHandle GetIconHandle() const;

protected:
    TColor ResolveColour(TColor c) const override;
};
