#pragma once
// The animated cursor (.ani) file: a RIFF "ACON" form with an optional INFO list
// (title and author as Shift-JIS bytes), the "anih" header, optional "rate" and
// "seq " tables, and a "fram" list of one "icon" chunk per image. The first icon
// chunk may carry the document's monochrome cursor as a second directory entry.
//
// Both directions are plain data: the window code fills AniWriteInput from its
// controls and turns AniReadResult into image-list entries, frame lines and options.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Color.h"
#include "formats/ImageRecord.h"
#include "formats/MonoCursor.h"
#include "formats/WriteResult.h"

constexpr int kMaxFrames = 999;  // capacity of the frame tables
constexpr int kMinRate = 1;      // intervals in jiffies (1/60 s)
constexpr int kMaxRate = 911;
constexpr int kMaxInfoText = 256;  // bytes of Shift-JIS title or author text

// Colour depth of written icon images (the save-mode dialog's item index).
enum class AniSaveMode : int { Colours16 = 0, Colours256 = 1, Colours2 = 2 };

// Bits per pixel of a save mode (4, 8 or 1); its palette has 1 << bits colours.
int BitsPerPixelOf(AniSaveMode mode);

// Size c of one icon image (header, palette, colour bits and mask) for a save mode:
// 744, 2216 or 304 bytes.
uint32_t AniImageBytes(AniSaveMode mode);

// ---- Writing ----

// One icon image of the save mode (c bytes): BITMAPINFOHEADER (32 x 64), palette, colour
// bits and mask, from the entry's Out copy (or its 16- or 2-colour conversion).
std::vector<uint8_t> AniIconImage(const CCURSOR& image, AniSaveMode mode);

// Everything the writer needs, filled by the caller from the document and its controls.
struct AniWriteInput {
    std::vector<const CCURSOR*> Images;  // the image list in order, 1..1000 entries (not owned)
    // The frame tables (image number, interval in jiffies), read when InsertFram is set;
    // both hold the same number of entries, 1..999, image numbers < Images.size().
    std::vector<int> FrameImages;
    std::vector<int> FrameSpeeds;
    bool InsertInfo = false;     // write the INFO list with Title and Author
    bool InsertFram = false;     // write the per-frame tables
    bool UniteHotspot = false;   // every image gets (UniHotX, UniHotY)
    bool InsertMonoCur = false;  // the first icon carries MonoCursor
    std::string Title;           // UTF-8; stored as at most 256 Shift-JIS bytes
    std::string Author;
    int DefaultRate = 10;  // jiffies, clamped to 1..911
    int UniHotX = 0, UniHotY = 0;
    MonoCursorRecord MonoCursor;
    int MonoX = 0, MonoY = 0;
    AniSaveMode SaveMode = AniSaveMode::Colours256;
};

// True when the "seq " table is needed: unless there are exactly as many frames as
// images and frame i shows image i.
bool AniSequenceNeeded(const std::vector<int>& frameImages, std::size_t imageCount);

// The file's bytes; empty when the input is not writable (no images, more than 1000,
// frame tables empty, of different lengths or naming images that do not exist).
std::vector<uint8_t> BuildAniFile(const AniWriteInput& in);
// NotWritten when the input is not writable or the file could not be created or fully
// written (a partial file is deleted).
WriteResult WriteAniFile(const std::string& path, const AniWriteInput& in);

// 16-colour icon data of an image: 64 palette bytes and 640 bytes of 4-bit rows
// (bottom row first, left pixel in the high nibble) followed by the 128-byte mask area.
void Build16ColourData(uint8_t outPalette[64], uint8_t outBits[640], const PixelBlock& pixels,
                       const ImagePalette& palette);
// 2-colour icon data of an image-list entry: palette black, white; 128 bytes of colour
// bits then 128 bytes of mask, rows bottom first, most significant bit leftmost.
void Build2ColourData(uint8_t outPalette[8], uint8_t outBits[256], const CCURSOR& image);

// ---- Reading ----

// One icon as read from an "icon" chunk. All zero when new, so the parts of the buffers
// that a 1-bit or 4-bit icon does not fill read as zero.
class CAniIcon {
public:
    std::array<uint8_t, 16> Entry{};     // directory entry; for a cursor the planes and bit-count words hold the hotspot
    std::array<uint8_t, 40> Header{};    // BITMAPINFOHEADER
    std::array<uint8_t, 1024> Palette{}; // palette entries, as many as the icon has
    std::array<uint8_t, 1152> Bits{};    // colour bits then the 128-byte mask

    int BitCount() const { return Header[14] | (Header[15] << 8); }
    int HotX() const;  // the entry's planes word, clamped to 31
    int HotY() const;  // the entry's bit-count word, clamped to 31
};

enum class AniReadCode : int {
    Read = 0,          // read
    CannotOpen = 1,    // the file could not be opened
    NotSupported = 2,  // not an animated cursor, broken, or content that is not supported
};

// What the caller should show before the message for result 2, if anything.
enum class AniReadNote { None, Colour24, BadSize };

struct AniFrame {
    int Image = 0;  // document image number
    int Rate = 0;   // jiffies, 1..911
};

struct AniReadOptions {
    // Images the document already holds: reading stops (without error) before the
    // document would exceed 1000 images, and frame lines name document image numbers,
    // that is the file's image numbers plus this count.
    int ExistingImages = 0;
    std::size_t MaxFileBytes = 64u << 20;  // larger files are refused with result 2
    // Chunks other than "icon" in the frame list are passed over instead of refusing the file
    // (for a cursor file re-written before the system loads it; the import refuses them).
    bool SkipOtherFrameChunks = false;
};

struct AniReadResult {
    AniReadCode Code = AniReadCode::NotSupported;
    AniReadNote Note = AniReadNote::None;
    int NoteValue = 0;  // the rejected width for BadSize

    std::vector<CAniIcon> Icons;  // in file order, at most 1000 - ExistingImages
    std::vector<CCURSOR> Images;  // filled from Icons by MakeAniImages

    std::vector<AniFrame> Frames;  // one per icon, or the steps of "rate"/"seq " (at most 999)
    bool PerFrame = false;         // the file had "rate" or "seq ": check InsertFram
    int DefaultRate = kMinRate;    // 1..911

    bool HasInfo = false;  // an INFO list was present: check InsertInfo
    bool HasTitle = false, HasAuthor = false;
    std::string Title, Author;  // UTF-8, from at most 256 Shift-JIS bytes each

    bool HasMonoCursor = false;  // the last icon with a second entry counts
    MonoCursorRecord MonoCursor;
    std::array<uint8_t, 16> MonoEntry{};
    int MonoX = 0, MonoY = 0;  // clamped to 31

    int UniHotX = 0, UniHotY = 0;  // the hotspot of the last icon read
    bool UniteHotspot = false;      // every icon read has the same hotspot
};

// Parses an .ani file image. On any code other than AniReadCode::Read the result holds no icons
// and no frames. Reading no icon at all because the document is full gives AniReadCode::Read
// with nothing in it.
AniReadResult ParseAniFile(const uint8_t* data, std::size_t size, const AniReadOptions& options = {});
AniReadResult ReadAniFile(const std::string& path, const AniReadOptions& options = {});
// The message shown before the one for result 2 when the reader named a reason
// ("データが不正!カラー(24bit)", "データが不正!サイズ(x48)"), or "" when there is none.
std::string AniReadNoteText(const AniReadResult& result);

// Turns the icons of a read result into image-list entries named "%s_%02d" (title, j):
// Out copy = the file's data in 8-bit layout, edited copy = the colours prepared for
// editing by the import's colour preparations (Expand1BitImage, Expand4BitImage,
// RemapImageColours with the background colour), hotspot, transparent point and colour.
// Transparent is set when a masked pixel's Out colour is black.
void MakeAniImages(AniReadResult& result, TColor background, const std::string& title);

// The title that names the images of a file: its file title, or the current document
// name when the file title contains "＃＄減色＄＃" (a temporary file of the colour
// reduction; the background question is skipped then).
std::string AniImageTitle(const std::string& path, const std::string& currentDocName, bool& isReductionTemp);
