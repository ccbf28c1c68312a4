#pragma once
// Reports the start and end of a long step through an image's progress event; the end
// report says 0 % when the step failed (an error of that last report is dropped), 100 %
// after Done.
#include "gif/GIFImage.h"

class TProgressScope {
public:
    TProgressScope(TGIFImage* image, const void* sender, const char* message, bool redraw = false)
        : FImage(image), FSender(sender), FMessage(message), FRedraw(redraw) {
        Report(psStarting, 0, false);
    }
    ~TProgressScope() {
        if (FDone) return;
        try {
            Report(psEnding, 0, FRedraw);
        } catch (...) {
        }
    }
    TProgressScope(const TProgressScope&) = delete;
    TProgressScope& operator=(const TProgressScope&) = delete;
    void Report(TProgressStage stage, int percent) { Report(stage, percent, false); }
    void Done() {
        FDone = true;
        Report(psEnding, 100, FRedraw);
    }

private:
    void Report(TProgressStage stage, int percent, bool redraw) {
        if (FImage) FImage->Progress(FSender, stage, percent, redraw, FMessage);
    }

    TGIFImage* FImage;  // not owned; null reports nothing
    const void* FSender;
    const char* FMessage;
    bool FRedraw;
    bool FDone = false;
};
