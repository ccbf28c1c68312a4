#pragma once
// TGraphic: the base of the pictures the window code draws (the GIF and PNG pictures):
// size, transparency and Draw on a canvas. TPicture keeps the picture formats by file
// extension and by clipboard format, so that a file or clipboard data finds its class.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/Canvas.h"

class TStream;

// The message for clipboard data that no picture can take.
extern const char* const sUnsupportedClipboardData;

class TGraphic {
public:
    virtual ~TGraphic() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const = 0;
    virtual bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool value) { FTransparent = value; }
    // Draws the picture stretched into rect.
    virtual void Draw(TCanvas& canvas, const RECT& rect) = 0;
    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) = 0;
    // The clipboard, opened by the caller (ui/Clipboard.h: PutGraphicOnClipboard,
    // LoadGraphicFromClipboard). Saving fills format and data (global memory that the
    // caller hands to the clipboard; palette when one goes with it) and may put further
    // formats on the clipboard itself. Loading takes data of the format, fetched from the
    // clipboard when data is null. A picture without clipboard support raises.
    virtual void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette);
    virtual void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette);
    // The picture as a bitmap of its own pixels and colours, and a 1-bit mask set where it
    // is transparent (empty when nothing is); false when the picture gives no such copy
    // (then it can only be drawn).
    virtual bool AssignToBitmap(TBitmap& bitmap, TBitmap& mask) {
        (void)bitmap;
        (void)mask;
        return false;
    }

protected:
    bool FTransparent = false;
};

using TGraphicFactory = std::function<std::unique_ptr<TGraphic>()>;

class TPicture {
public:
    struct TFileFormat {
        std::string Extension;  // without the dot, as registered ("GIF")
        std::string Description;
        TGraphicFactory Create;
    };
    struct TClipboardFormat {
        UINT Format;
        TGraphicFactory Create;
    };

    // A later registration of the same extension or format replaces the earlier one.
    static void RegisterFileFormat(const std::string& extension, const std::string& description, TGraphicFactory create);
    static void UnregisterFileFormat(const std::string& extension);
    static void RegisterClipboardFormat(UINT format, TGraphicFactory create);
    // The format of an extension, compared without regard to case; null when none.
    static const TFileFormat* FindFileFormat(const std::string& extension);
    static const TClipboardFormat* FindClipboardFormat(UINT format);
    static std::vector<TFileFormat> FileFormats();
    // A new picture of the class registered for the file's extension, loaded from the file;
    // null when no class takes the extension.
    static std::unique_ptr<TGraphic> LoadFromFile(const std::string& path);
};
