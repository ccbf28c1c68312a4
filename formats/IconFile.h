#pragma once
// Icon (.ico) and cursor (.cur) files: the 6-byte header, one CICONDAT per image, and
// TIconFile, the portable codec behind the icon control. It loads, saves, builds and
// decodes images; a window class sits on it and only paints and makes handles.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Bitmap.h"
#include "base/Color.h"

class TStream;

constexpr int kIconDataMax = 51200;     // largest image resource the control builds itself
constexpr int kIconInfoHeaderBytes = 40;
constexpr int kIconMaxSide = 256;

struct ICONDIR {
    uint16_t idReserved = 0;
    uint16_t idType = 1;  // 1 icon, 2 cursor
    uint16_t idCount = 0;
};

// The 16-byte directory entry. For cursors, and for every image built by ConvertData,
// wPlanes is the hotspot x and wBitCount the hotspot y.
struct ICONDIRENTRY {
    uint8_t bWidth = 0;
    uint8_t bHeight = 0;
    uint8_t bColorCount = 0;
    uint8_t bReserved = 0;
    uint16_t wPlanes = 0;
    uint16_t wBitCount = 0;
    uint32_t dwBytesInRes = 0;
    uint32_t dwImageOffset = 0;
};

// The fields of an image resource's BITMAPINFOHEADER that its layout depends on.
struct IconBitmapHeader {
    uint32_t Size = 0;
    int32_t Width = 0;
    int32_t Height = 0;  // colour rows and mask rows together
    uint16_t Planes = 0;
    uint16_t BitCount = 0;
    uint32_t Compression = 0;
    uint32_t SizeImage = 0;
    uint32_t ClrUsed = 0;
    int Rows() const { return Height / 2; }
};

// Where the parts of a bitmap image resource lie. MaskOffset 0 means the image is
// drawn through its alpha channel.
struct IconLayout {
    int Width = 0, Height = 0, Bits = 0;
    int Colours = 0;       // palette entries when decoding
    int RowBytes = 0;      // colour row
    int MaskRowBytes = 0;  // mask row
    std::size_t PaletteOffset = 0, ColourOffset = 0, MaskOffset = 0;
};

bool IsPngSignature(const uint8_t* data, std::size_t size);
// Width and height from the IHDR chunk that must follow a PNG signature; false unless both
// lie in 1..maxSide.
bool IconPngSize(const uint8_t* data, std::size_t size, int& w, int& h, int maxSide = kIconMaxSide);
bool ReadIconBitmapHeader(const uint8_t* data, std::size_t size, IconBitmapHeader& out);
// Computes the layout of a bitmap resource of `size` bytes and checks that the header's
// width, height and depth fit in them. False for anything that cannot be decoded, or whose
// sides pass maxSide.
bool ComputeIconLayout(const uint8_t* data, std::size_t size, IconLayout& out, int maxSide = kIconMaxSide);

// Decodes one image resource (bitmap resource or PNG stream) of `size` bytes as
// TIconFile::DecodeImage does; false when it cannot be decoded or its sides pass maxSide.
bool DecodeIconResource(const uint8_t* data, std::size_t size, TBitmap& colour, TBitmap& mask, bool trueColour,
                        int maxSide = kIconMaxSide);
// What DecodeIconResource costs for the resource, in pixels, whether it then decodes or
// fails: the width times the height its header names (a PNG's IHDR, a bitmap's header),
// at least 1 and at most kIconMaxSide squared, which is all the decoder takes.
uint64_t IconResourceCost(const uint8_t* data, std::size_t size);

// One image of an icon or cursor file.
class CICONDAT {
public:
    ICONDIRENTRY Entry;
    // The image resource as stored: BITMAPINFOHEADER, palette, colour rows, mask rows,
    // or a PNG stream. Sized from the directory entry; an image the control builds itself
    // stays within kIconDataMax, one read from a file may be larger.
    std::vector<uint8_t> Data;
    // Read from a file: saved again exactly as it was read, its entry's size unchanged.
    bool AsRead = false;

    bool IsPng() const { return IsPngSignature(Data.data(), Data.size()); }
};

// Load results: 0 read; 1 no data, or shorter than the header or the directory;
// 2 not an icon but a bitmap ("BM"); 3 invalid header, or no entry could be read.
enum class IconLoadResult : int { Loaded = 0, Unreadable = 1, IsBitmap = 2, Invalid = 3 };
// Save results: 0 written; 1 no stream; 2 a write failed.
enum class IconSaveResult : int { Saved = 0, NoStream = 1, WriteFailed = 2 };

class TIconFile {
public:
    TIconFile() = default;
    virtual ~TIconFile() = default;
    TIconFile(const TIconFile&) = delete;
    TIconFile& operator=(const TIconFile&) = delete;

    IconLoadResult LoadIconA(const std::string& path);
    IconLoadResult LoadIconFromStream(TStream* stream);
    IconLoadResult LoadIconFromMemory(const uint8_t* data, std::size_t size);
    // On a failed write the partial file is removed.
    IconSaveResult SaveIcon(bool cursor, const std::string& path);
    IconSaveResult SaveIconToStream(bool cursor, TStream* stream);

    // Makes index the current image and, with DrawIfIndexChange, decodes it.
    // An index outside the list changes nothing.
    void DrawImage(int index);
    int GetCount() const { return FIconDir.idCount; }
    bool GetEmpty() const { return GetCount() == 0; }
    // Entries skipped by the last load (outside the file, beyond what the file's size can
    // hold, or not a bitmap or PNG image of a known layout).
    int SkippedCount() const { return FSkipped; }
    const ICONDIR& IconDir() const { return FIconDir; }

    // Image i's resource; i must be valid (std::out_of_range otherwise).
    uint8_t* GetListItem(int i);
    CICONDAT& Item(int i);
    const CICONDAT& Item(int i) const;
    // Image i's resource, null when empty or i is outside the list.
    uint8_t* GetBmpData(int i);
    // The current image's entry, null when empty.
    ICONDIRENTRY* GetIconEnt();

    // False (and nothing changes) unless mask is 1 bit deep, image has the mask's size
    // and the resource fits in kIconDataMax.
    bool AddIcon(int hotX, int hotY, const TBitmap& image, const TBitmap& mask);
    bool InsertIcon(int index, int hotX, int hotY, const TBitmap& image, const TBitmap& mask);
    bool ReplaceIcon(int index, int hotX, int hotY, const TBitmap& image, const TBitmap& mask);
    // Puts a ready record at index (index = count appends); false when index is invalid.
    bool PutRecord(int index, std::unique_ptr<CICONDAT> record, bool replace);
    std::unique_ptr<CICONDAT> ConvertData(int hotX, int hotY, const TBitmap& image, const TBitmap& mask) const;
    void DelIcon(int i);
    void Move(int curIndex, int newIndex);
    void Clear();
    void FreeIconMem() { FIconList.clear(); }

    // Decodes image i into a colour bitmap and a mask: 1 bit (1 = transparent) or, for an
    // image drawn through its alpha channel, 8 bits whose index is the alpha. False when
    // i is invalid or the image cannot be decoded.
    bool DecodeImage(int i, TBitmap& colour, TBitmap& mask, bool trueColour) const;
    // The picture shown: mask over the background, then the colour image inverted onto it
    // (mask path) or the colour blended by alpha (alpha path). 24 bits.
    static TBitmap ComposePicture(const TBitmap& colour, const TBitmap& mask, TColor background);

    const TBitmap& ColorBitmap() const { return FColorBitmap; }
    const TBitmap& MaskBitmap() const { return FMaskBitmap; }
    const TBitmap& Picture() const { return FPicture; }

    int IconIndex = 0;
    TColor BackGroundColor = clBtnFace;
    bool DrawIfIndexChange = true;
    bool DrawTrueColor = false;

protected:
    // System colours have no value without a display; the window class resolves them.
    virtual TColor ResolveColour(TColor c) const;

private:
    int DisplayPick() const;
    static bool CheckImage(const uint8_t* data, std::size_t size);

    std::vector<std::unique_ptr<CICONDAT>> FIconList;
    ICONDIR FIconDir;
    int FSkipped = 0;
    TBitmap FColorBitmap;
    TBitmap FMaskBitmap;
    TBitmap FPicture;
};
