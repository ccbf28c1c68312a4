#pragma once
// The cursor document: the image list (entries and the names the list shows), the current
// image with its transparent pixel, hotspot, masks and Out copy, the frames, the title and
// author, the monochrome cursor and the options of the animated cursor. The main window shows this state and
// calls these operations; its controls never hold it.
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/Frames.h"
#include "app/ImageModel.h"
#include "formats/AniFile.h"
#include "formats/ImageRecord.h"
#include "formats/MonoCursor.h"

constexpr int kDefaultAniSpeed = 10;  // jiffies at start

// What an animated cursor is written with besides its images and frames. The four switches
// go off when the document becomes empty; the numbers stay.
struct TAniOptions {
    bool InsertInfo = false;     // the title and author go into the file
    bool InsertFram = false;     // the frame list is written (per-frame mode)
    bool UniteHotspot = false;   // every image gets (UniHotX, UniHotY)
    bool InsertMonoCur = false;  // the monochrome cursor goes into the file
    int UniHotX = 0, UniHotY = 0;
    int MonoX = 0, MonoY = 0;    // the monochrome cursor's hotspot
    int DefaultSpeed = kDefaultAniSpeed;  // jiffies of every frame outside per-frame mode

    bool operator==(const TAniOptions&) const = default;
};

class TCursorDocument {
public:
    // ---- the image list
    int Count() const { return static_cast<int>(FImages.size()); }
    int LastImage() const { return FLastImage; }  // -1 when empty
    int CurImage() const { return FCurImage; }    // -1 when none
    // Whether the add commands may add one more image (at most kMaxImages).
    bool CanAdd() const { return CanAddImage(Count()); }
    const CCURSOR& Entry(int i) const { return *FImages.at(static_cast<std::size_t>(i)); }
    // The name the list shows for image i.
    const std::string& ListName(int i) const { return FNames.at(static_cast<std::size_t>(i)); }
    const std::vector<std::string>& ListNames() const { return FNames; }
    // The entries in order, as the writers take them (owned by the document).
    std::vector<const CCURSOR*> Entries() const;
    // The name itself when no image of the list is shown under it, else name + "1", "2", … the first free.
    std::string MakeUniqueName(const std::string& name) const;

    // Adds an image as the new last one and makes it current: its masks and Out copy are
    // derived once. False (nothing changes) at the image limit.
    bool AddImage(const ImageRecord& image, int hotX, int hotY, int transX, int transY, bool transparent,
                  const std::string& listName, const std::string& imageName);
    // Adds a copy of the current image as the new last one, with an empty image name.
    bool DuplicateCurrentImage(const std::string& listName);
    // Removes the current image; the one after it (or the new last one) becomes current.
    // With the last image the title and author go too; the frames stay.
    void DeleteCurrentImage();
    // Moves the current image to row to, where it stays current.
    void MoveCurrentImage(int to);
    void RenameImage(int i, const std::string& listName);
    // Empties the whole document; the current image's settings return to their start values.
    void ClearAllImages();

    // ---- the current image
    // Makes entry i the current image and derives its Out copy again (a reader may have
    // put a file's own bits there).
    void SelectImage(int i);
    // Takes pixel (x, y) as the transparent one, derives masks and Out copy, stores the entry.
    void SetTransparentPixel(int x, int y);
    void SetTransparentPixel(int x, int y, bool transparent);
    // Turns transparency on or off and derives again with the same pixel.
    void SetTransparent(bool on);
    void SetHotspot(int x, int y);  // 0-31; stores the entry
    // The edited image replaces the current one's pixels, palette and inverse flags.
    void SetCurrentImage(const ImageRecord& image);

    const PixelBlock& CurPixels() const { return FCurPixels; }
    const ImagePalette& CurPalette() const { return FCurPalette; }
    const InverseFlags& CurInverse() const { return FCurInverse; }
    const PixelBlock& OutPixels() const { return FOutPixels; }
    const ImagePalette& OutPalette() const { return FOutPalette; }
    // The AND mask and XOR image the current image's cursor is made of.
    const CursorImageParts& Parts() const { return FParts; }
    int TransX() const { return FTransX; }
    int TransY() const { return FTransY; }
    bool Transparent() const { return FTransparent; }
    int HotX() const { return FHotX; }
    int HotY() const { return FHotY; }
    // The colour the transparent pixel shows.
    TColor TransColour() const;
    // How often masks and Out copy were derived since the document was made.
    int Derivations() const { return FDerivations; }

    // ---- the frames (cleared with the images)
    int FrameCount() const { return static_cast<int>(FFrames.size()); }
    const std::vector<FrameLine>& Frames() const { return FFrames; }
    const FrameLine& Frame(int i) const { return FFrames.at(static_cast<std::size_t>(i)); }
    // Inserts a frame before frame at (at the end when at is the count); false (nothing
    // changes) when the frame tables are full or at is out of range.
    bool InsertFrame(int at, FrameLine frame);
    bool AddFrame(FrameLine frame) { return InsertFrame(FrameCount(), frame); }
    void DeleteFrame(int i);
    void MoveFrame(int from, int to);
    // Rewrites frame i; -1 keeps that field.
    void SetFrameLine(int image, int interval, int i);
    // Every frame's interval becomes interval.
    void SetAllIntervals(int interval);
    // Whether per-frame mode may be on with these frames and images.
    FrameCheck CheckFrames() const { return CheckFrameLines(FFrames, FLastImage); }
    // Fills the tables the writers read; on a failed check they stay as they were.
    FrameBuildResult BuildFrameArrays() { return ::BuildFrameArrays(FFrames, FLastImage, FFrameTables); }
    const FrameTables& FrameArrays() const { return FFrameTables; }

    // ---- title and author (cleared with the images)
    const std::string& Title() const { return FTitle; }
    const std::string& Author() const { return FAuthor; }
    void SetTitle(const std::string& title) { FTitle = title; }
    void SetAuthor(const std::string& author) { FAuthor = author; }

    // ---- the monochrome cursor (kept when the images are cleared)
    bool HasMonoCursor() const { return FHasMonoCursor; }
    const MonoCursorRecord& MonoCursor() const { return FMonoCursor; }
    void SetMonoCursor(const MonoCursorRecord& record) {
        FMonoCursor = record;
        FHasMonoCursor = true;
    }

    // ---- the animated cursor's options
    const TAniOptions& AniOptions() const { return FAni; }
    void SetInsertInfo(bool on) { FAni.InsertInfo = on; }
    // Per-frame mode goes on only while the frames pass CheckFrames (the check is returned,
    // Ok when turned off); a failed check leaves it off.
    FrameCheck SetInsertFram(bool on);
    void SetUniteHotspot(bool on) { FAni.UniteHotspot = on; }
    // The monochrome cursor is included only when the document has one; false when refused.
    bool SetInsertMonoCur(bool on);
    // Hotspots are 0-31 and intervals 1-911 jiffies; a value outside is ignored.
    void SetUniHotX(int x) { SetInRange(FAni.UniHotX, x, 0, kImageSize - 1); }
    void SetUniHotY(int y) { SetInRange(FAni.UniHotY, y, 0, kImageSize - 1); }
    void SetMonoX(int x) { SetInRange(FAni.MonoX, x, 0, kImageSize - 1); }
    void SetMonoY(int y) { SetInRange(FAni.MonoY, y, 0, kImageSize - 1); }
    void SetDefaultSpeed(int jiffies) { SetInRange(FAni.DefaultSpeed, jiffies, kMinRate, kMaxRate); }
    // While the common hotspot is off it follows the current image's hotspot.
    void FollowHotspot(int x, int y);
    // Takes the options of an animated cursor just read (its images and frames are already
    // added): interval, per-frame mode, title and author, monochrome cursor, common hotspot.
    // Returns the per-frame check (Ok when the file asked for none).
    FrameCheck TakeAniOptions(const AniReadResult& file);
    // The whole document as the animated-cursor writer takes it (the frame tables as built last).
    AniWriteInput AniInput(AniSaveMode mode) const;

private:
    void Derive();
    void StoreCurrentImage();
    void AppendCurrentImage(const std::string& listName, const std::string& imageName);
    void LoadCurrentImage();
    void AddName(int index, const std::string& name);
    void RemoveName(int index);
    void ResetAniSwitches();
    static void SetInRange(int& field, int v, int lo, int hi) {
        if (v >= lo && v <= hi) field = v;
    }

    std::vector<std::unique_ptr<CCURSOR>> FImages;
    std::vector<std::string> FNames;
    // How often each name stands in the list, so that a free name is found without searching.
    std::unordered_map<std::string, int> FNameCounts;
    int FLastImage = -1;
    int FCurImage = -1;

    bool FTransparent = true;
    int FTransX = 0, FTransY = 0;
    int FHotX = 0, FHotY = 0;
    PixelBlock FCurPixels;
    ImagePalette FCurPalette{};
    InverseFlags FCurInverse{};
    PixelBlock FOutPixels;
    ImagePalette FOutPalette{};
    CursorImageParts FParts;
    int FDerivations = 0;

    std::vector<FrameLine> FFrames;
    FrameTables FFrameTables;
    std::string FTitle, FAuthor;

    MonoCursorRecord FMonoCursor = MonoCursorRecord::Blank();
    bool FHasMonoCursor = false;

    TAniOptions FAni;
};
