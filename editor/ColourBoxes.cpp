#include "ColourBoxes.h"

#include "PaletteColour.h"

TColourBoxes ColourBoxesFor(TColourForm form, TColor shown) {
    const TRgb c = RgbOf(shown);
    switch (form) {
        case TColourForm::CMY: {
            TRgb m = RgbToCmy(c);
            return TColourBoxes{{"C :", "M :", "Y :"}, {255, 255, 255}, {m.R, m.G, m.B}};
        }
        case TColourForm::HSL: {
            THsl h = RgbToHsl(c);
            return TColourBoxes{{"H :", "S :", "L :"}, {kHueRange - 1, kSaturationMax, kLightnessMax}, {h.H, h.S, h.L}};
        }
        default: return TColourBoxes{{"R :", "G :", "B :"}, {255, 255, 255}, {c.R, c.G, c.B}};
    }
}

TColor ColourFromBoxes(TColourForm form, int p1, int p2, int p3) {
    switch (form) {
        case TColourForm::CMY: return ColorOf(CmyToRgb(TRgb{p1 & 255, p2 & 255, p3 & 255}));
        case TColourForm::HSL: return ColorOf(HslToRgb(THsl{p1, p2, p3}));
        default: return ColorOf(TRgb{p1 & 255, p2 & 255, p3 & 255});
    }
}
