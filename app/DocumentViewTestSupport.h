#pragma once
// For the window tests of hostile files: what the main window's document shows (the image
// list's names, each image's pixels and palette, the frame lines), to compare before and after.
#include <string>
#include <vector>

#include "app/MainForm.h"

struct DocumentView {
    std::vector<std::string> Names, Frames;
    std::vector<PixelBlock> Pixels;
    std::vector<ImagePalette> Palettes;
    bool operator==(const DocumentView&) const = default;
};

inline DocumentView ViewOf(TForm1& form) {
    DocumentView v;
    for (int i = 0; i <= form.LastImage(); ++i) {
        const CCURSOR& e = form.Entry(i);
        v.Names.push_back(form.ImagePage->ListBox1->Item(i));
        v.Pixels.push_back(e.Pixels);
        v.Palettes.push_back(e.Palette);
    }
    for (int i = 0; i < form.FramePage->ListBox2->Count(); ++i) v.Frames.push_back(form.FramePage->ListBox2->Item(i));
    return v;
}
