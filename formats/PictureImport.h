#pragma once
// Turning pictures, bitmaps, PNG files and icons into one 32x32 document image, and the
// colour preparations that follow reading (also used by the animated cursor reader).
// Nothing here shows a message: results are codes, questions go through callbacks.
#include <cstdint>
#include <functional>
#include <string>

#include "base/Bitmap.h"
#include "formats/IconFile.h"
#include "formats/ImageRecord.h"

class TIconFile;

// The current image of the main window as a reader leaves it.
struct ImportedImage {
    ImageRecord Cur;          // pixels, palette and inverse flags as edited
    PixelBlock OutPixels;     // as in the file: masked pixels carry their XOR colour
    ImagePalette OutPalette{};
    int TransX = 0, TransY = 0;  // the transparent point
    bool Transparent = false;
    TColor TransColour = clBlack;  // colour of the transparent-colour panel
    int HotX = 0, HotY = 0;
};

// ---- File kinds --------------------------------------------------------------------
enum class ImportKind { Shortcut, Png, Ani, Bmp, Ico, Cur, Exe, Dll, Icl, Unknown };
// By the extension, in its upper-case, lower-case and capitalised spellings only
// (".ANI", ".ani", ".Ani"); shortcuts by "lnk", "LNK" or "Lnk".
ImportKind ClassifyImportPath(const std::string& path);

// The pasted clipboard bitmap's file name, and the image name of an imported file: its
// title, or "ｸﾘｯﾌﾟﾎﾞｰﾄﾞ" for the clipboard file (the caller makes it unique).
extern const char* const kClipboardFileName;
std::string ImportedImageName(const std::string& path);

// ---- Pictures ----------------------------------------------------------------------
struct PictureImportOptions {
    bool Henpei = false;       // pad a non-square picture to a square on black
    bool SmartResize = false;  // resize larger pictures by averaging without asking
    bool Posterize = false;    // handed to the colour reduction
    // Asked when a picture is larger than 32x32 and SmartResize is off; true = smart resize.
    std::function<bool()> AskSmartResize;
};

// Results of ImportPicture, ReadPngFile and the bitmap import.
enum class PictureReadResult : uint8_t {
    Read = 0,            // the image holds the picture
    Failed = 1,          // not a picture that can be read
    NeedsReduction = 2,  // Target holds the 32x32 picture, to be reduced to 256 colours
};

struct PictureImport {
    PictureReadResult Result = PictureReadResult::Failed;
    TBitmap Target;             // with PictureReadResult::NeedsReduction: the 32x32 24-bit picture
    bool SourceIs4Bit = false;  // entries 16-255 of the reduced palette are then zeroed
};

// The two resizes onto 32x32. With padToSquare they resize the picture padded to a square:
// the side of its larger dimension, black, the picture centred (the square is not built).
// Averages each target pixel over its share of the picture; any size, any step.
TBitmap SmartResizeTo32(const TBitmap& picture, bool padToSquare = false);
// Nearest-pixel stretch.
TBitmap StretchTo32(const TBitmap& picture, bool padToSquare = false);

// A 32x32 picture of 1, 4 or 8 bits: palette and indices taken as they are, the top-left
// pixel's colour as the transparent colour. False when it is not such a picture.
bool ReadBmpImage(const TBitmap& picture, ImportedImage& out);
// ReadBmpImage on a .bmp file (any header, offset, top-down rows, RLE). 1 read, 0 not.
uint8_t ReadBmpFile(const std::string& path, ImportedImage& out);

// Fits a picture to 32x32: padding, then either the direct read of a 32x32 paletted
// picture or the resize that leaves the picture in Target for the colour reduction.
PictureImport ImportPictureFromBitmap(const TBitmap& picture, const PictureImportOptions& options, ImportedImage& out);
// The same on a bitmap file.
PictureImport ImportPicture(const std::string& path, const PictureImportOptions& options, ImportedImage& out);
// A PNG file, decoded in memory, then as ImportPictureFromBitmap.
PictureImport ReadPngFile(const std::string& path, const PictureImportOptions& options, ImportedImage& out);

// Reduces a 32x32 picture to `targetColours` colours, fills `palette` and returns false when
// cancelled. Provided by the colour reduction (editor/), which shows its own progress dialog.
bool ReduceColoursForImport(const TBitmap& target, bool posterize, int targetColours, ImagePalette& palette);

// Takes a reduced palette (entries 16-255 zeroed for a 4-bit source), maps every target
// pixel to its nearest entry and sets the transparent colour from pixel (0, 0).
void FinishReducedImport(const TBitmap& target, const ImagePalette& reduced, bool sourceIs4Bit, ImportedImage& out);

// ---- Colour preparation -------------------------------------------------------------
// After an 8- or 4-bit icon read: the edited copy from the Out copy, masked black pixels
// transparent on a background entry, masked coloured pixels inverse.
void RemapImageColours(ImportedImage& image, TColor background);
// 4-bit Out pixels (512 bytes of pairs, high nibble first, then the mask) to 1024 indices.
void Expand4BitImage(ImportedImage& image);
// 1-bit Out pixels (128 colour bytes, 128 mask bytes) to indices of the fixed 4-entry palette.
void Expand1BitImage(ImportedImage& image);

// ---- Icons and cursors --------------------------------------------------------------
// Why ReadIconFile did not take an icon directly (IconLoadResult::Invalid).
enum class IconImportNote { None, TrueColourOnly, UnsupportedSize };

struct IconImport {
    // Read; Unreadable and Invalid: not taken (try the icon extraction); IsBitmap: a bitmap named as an icon
    IconLoadResult Result = IconLoadResult::Unreadable;
    IconImportNote Note = IconImportNote::None;
    int Width = 0, Height = 0;  // of the chosen image, for the unsupported-size message
};

// The chosen image of a loaded icon or cursor file into `out`. `background` gives the
// background colour; it is told whether the icon is 1-bit (the caller's rule picks the
// default colour then) and returns the colour.
IconImport ReadIconFile(const std::string& path, TIconFile& icons, const std::function<TColor(bool oneBit)>& background,
                        ImportedImage& out);
IconImport ReadIconImage(TIconFile& icons, const std::function<TColor(bool oneBit)>& background, ImportedImage& out);
