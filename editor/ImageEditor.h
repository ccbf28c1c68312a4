#pragma once
// How the main window hands an image to the pixel editor: ClearImage for a new image or
// LoadImageData for an existing one, then the modal editor; on OK the edited record is
// copied back in one piece. The editor's view options and custom tool cursors are pushed
// once after start and read back when the settings are written.
#include <string>

#include "formats/ImageRecord.h"

struct TEditorOptions {
    bool Grid = false;       // the canvas grid
    bool PalSel = false;     // frames between the main and sub colour in the palette grid
    bool PalRGB = false;     // the colour boxes show RGB, CMY or HSL
    bool PalCMY = false;
    bool PalHSL = false;
    bool TransMode = false;  // selections leave out the sub colour
    bool UseCustomPen = false;
    bool UseCustomFill = false;
    std::string CustomPenFile;
    std::string CustomFillFile;
    friend bool operator==(const TEditorOptions&, const TEditorOptions&) = default;
};

class IImageEditor {
public:
    virtual ~IImageEditor() = default;
    virtual void ClearImage() = 0;
    virtual void LoadImageData(const ImageRecord& image) = 0;
    // The pre-selected sub colour: the palette index of the transparent pixel.
    virtual void SetSubColour(int index) = 0;
    // The monochrome mode: the image is the document's two-colour cursor, in 4 colours.
    virtual void SetMonoMode(bool on) = 0;
    // mrOk when the user kept the edit.
    virtual int ShowModal() = 0;
    virtual const ImageRecord& EditedImage() const = 0;
    virtual TEditorOptions Options() const = 0;
    virtual void SetOptions(const TEditorOptions& options) = 0;
};
