#pragma once
// The three colour boxes of the palette editor: one colour shown as RGB, CMY or HSL on
// three sliders, and the colour the slider positions give back.
#include <array>
#include <string>

#include "base/Color.h"

enum class TColourForm { RGB, CMY, HSL };

struct TColourBoxes {
    std::array<std::string, 3> Labels;  // "R :", "G :", "B :" and so on
    std::array<int, 3> Max{};           // each slider runs from 0
    std::array<int, 3> Position{};      // may exceed Max for a few colours in HSL form
};

TColourBoxes ColourBoxesFor(TColourForm form, TColor shown);
TColor ColourFromBoxes(TColourForm form, int p1, int p2, int p3);
