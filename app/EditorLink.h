#pragma once
// How the main window hands an image to the pixel editor: ClearImage for a new image or
// LoadImageData for an existing one, then the modal editor; on OK the edited record is
// copied back in one piece. The editor dialog implements this and sets EditDlg.
#include "formats/ImageRecord.h"

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
};

// The editor dialog, created at start; nullptr until it exists.
extern IImageEditor* EditDlg;
