#include "app/CursorDocument.h"

#include <algorithm>

namespace {
int Clamped(int v) { return std::clamp(v, 0, kImageSize - 1); }
} // namespace

std::vector<const CCURSOR*> TCursorDocument::Entries() const {
    std::vector<const CCURSOR*> entries;
    entries.reserve(FImages.size());
    for (const auto& e : FImages) entries.push_back(e.get());
    return entries;
}

std::string TCursorDocument::MakeUniqueName(const std::string& name) const {
    return ::MakeUniqueName(name, [this](const std::string& n) { return FNameCounts.count(n) != 0; });
}

TColor TCursorDocument::TransColour() const {
    return ShownColour(FCurPalette, FCurInverse, FCurPixels.At(Clamped(FTransX), Clamped(FTransY)));
}

// ---- the current image

void TCursorDocument::Derive() {
    FParts = DeriveCursorParts(FCurPixels, FCurPalette, FCurInverse, FTransX, FTransY, FTransparent);
    FOutPixels = FParts.OutPixels;
    FOutPalette = FParts.OutPalette;
    ++FDerivations;
}

void TCursorDocument::StoreCurrentImage() {
    if (FCurImage < 0 || FCurImage >= Count()) return;
    CCURSOR& e = *FImages[static_cast<std::size_t>(FCurImage)];
    e.HotX = static_cast<uint8_t>(FHotX);
    e.HotY = static_cast<uint8_t>(FHotY);
    e.TransX = FTransX;
    e.TransY = FTransY;
    e.Transparent = FTransparent ? 1 : 0;
    e.TransColor = TransColour();
    e.Pixels = FCurPixels;
    e.OutPixels = FOutPixels;
    e.Palette = FCurPalette;
    e.OutPalette = FOutPalette;
    e.Inverse = FCurInverse;
}

void TCursorDocument::LoadCurrentImage() {
    const CCURSOR& e = Entry(FCurImage);
    FTransX = e.TransX;
    FTransY = e.TransY;
    FHotX = e.HotX;
    FHotY = e.HotY;
    FTransparent = e.Transparent != 0;
    FCurPixels = e.Pixels;
    FCurPalette = e.Palette;
    FCurInverse = e.Inverse;
    Derive();
    StoreCurrentImage();
}

void TCursorDocument::SelectImage(int i) {
    if (i < 0 || i >= Count()) return;
    FCurImage = i;
    LoadCurrentImage();
}

void TCursorDocument::SetTransparentPixel(int x, int y) { SetTransparentPixel(x, y, FTransparent); }

void TCursorDocument::SetTransparentPixel(int x, int y, bool transparent) {
    FTransparent = transparent;
    FTransX = x;
    FTransY = y;
    Derive();
    StoreCurrentImage();
}

void TCursorDocument::SetTransparent(bool on) { SetTransparentPixel(FTransX, FTransY, on); }

void TCursorDocument::SetHotspot(int x, int y) {
    FHotX = Clamped(x);
    FHotY = Clamped(y);
    StoreCurrentImage();
}

void TCursorDocument::SetCurrentImage(const ImageRecord& image) {
    FCurPixels = image.Pixels;
    FCurPalette = image.Palette;
    FCurInverse = image.Inverse;
    SetTransparentPixel(FTransX, FTransY);
}

// ---- the image list

void TCursorDocument::AddName(int index, const std::string& name) {
    FNames.insert(FNames.begin() + index, name);
    ++FNameCounts[name];
}

void TCursorDocument::RemoveName(int index) {
    auto it = FNameCounts.find(FNames[static_cast<std::size_t>(index)]);
    if (it != FNameCounts.end() && --it->second == 0) FNameCounts.erase(it);
    FNames.erase(FNames.begin() + index);
}

void TCursorDocument::AppendCurrentImage(const std::string& listName, const std::string& imageName) {
    FImages.push_back(std::make_unique<CCURSOR>());
    FImages.back()->ImageName = imageName;
    AddName(Count() - 1, listName);
    FLastImage = Count() - 1;
    FCurImage = FLastImage;
    StoreCurrentImage();
}

bool TCursorDocument::AddImage(const ImageRecord& image, int hotX, int hotY, int transX, int transY, bool transparent,
                               const std::string& listName, const std::string& imageName) {
    if (!CanAdd()) return false;
    FCurPixels = image.Pixels;
    FCurPalette = image.Palette;
    FCurInverse = image.Inverse;
    FHotX = Clamped(hotX);
    FHotY = Clamped(hotY);
    FTransX = Clamped(transX);
    FTransY = Clamped(transY);
    FTransparent = transparent;
    Derive();
    AppendCurrentImage(listName, imageName);
    return true;
}

bool TCursorDocument::DuplicateCurrentImage(const std::string& listName) {
    if (FCurImage < 0 || !CanAdd()) return false;
    AppendCurrentImage(listName, "");
    return true;
}

void TCursorDocument::DeleteCurrentImage() {
    if (FCurImage < 0) return;
    FImages.erase(FImages.begin() + FCurImage);
    RemoveName(FCurImage);
    FLastImage = Count() - 1;
    if (FLastImage < 0) {
        FCurImage = -1;
        FTransX = FTransY = 0;
        FTransparent = true;
        FTitle.clear();
        FAuthor.clear();
        ResetAniSwitches();
        return;
    }
    SelectImage(std::min(FCurImage, FLastImage));
}

void TCursorDocument::MoveCurrentImage(int to) {
    if (FCurImage < 0 || to < 0 || to > FLastImage || to == FCurImage) return;
    auto moved = std::move(FImages[static_cast<std::size_t>(FCurImage)]);
    FImages.erase(FImages.begin() + FCurImage);
    FImages.insert(FImages.begin() + to, std::move(moved));
    std::string name = std::move(FNames[static_cast<std::size_t>(FCurImage)]);
    FNames.erase(FNames.begin() + FCurImage);
    FNames.insert(FNames.begin() + to, std::move(name));
    FCurImage = to;
}

void TCursorDocument::RenameImage(int i, const std::string& listName) {
    if (i < 0 || i >= Count()) return;
    RemoveName(i);
    AddName(i, listName);
}

void TCursorDocument::ClearAllImages() {
    FImages.clear();
    FNames.clear();
    FNameCounts.clear();
    FLastImage = FCurImage = -1;
    FTransX = FTransY = 0;
    FTransparent = true;
    FFrames.clear();
    FTitle.clear();
    FAuthor.clear();
    ResetAniSwitches();
}

// ---- the frames

bool TCursorDocument::InsertFrame(int at, FrameLine frame) {
    if (!FrameListHasRoom(FrameCount()) || at < 0 || at > FrameCount()) return false;
    FFrames.insert(FFrames.begin() + at, frame);
    return true;
}

void TCursorDocument::DeleteFrame(int i) {
    if (i < 0 || i >= FrameCount()) return;
    FFrames.erase(FFrames.begin() + i);
}

void TCursorDocument::MoveFrame(int from, int to) {
    if (from < 0 || from >= FrameCount() || to < 0 || to >= FrameCount() || from == to) return;
    FrameLine moved = FFrames[static_cast<std::size_t>(from)];
    FFrames.erase(FFrames.begin() + from);
    FFrames.insert(FFrames.begin() + to, moved);
}

void TCursorDocument::SetFrameLine(int image, int interval, int i) {
    if (i < 0 || i >= FrameCount()) return;
    FrameLine& f = FFrames[static_cast<std::size_t>(i)];
    if (image != -1) f.Image = image;
    if (interval != -1) f.Interval = interval;
}

void TCursorDocument::SetAllIntervals(int interval) {
    for (FrameLine& f : FFrames) f.Interval = interval;
}

// ---- the animated cursor's options

void TCursorDocument::ResetAniSwitches() {
    FAni.InsertInfo = FAni.InsertFram = FAni.UniteHotspot = FAni.InsertMonoCur = false;
}

FrameCheck TCursorDocument::SetInsertFram(bool on) {
    const FrameCheck check = on ? CheckFrames() : FrameCheck::Ok;
    FAni.InsertFram = on && check == FrameCheck::Ok;
    return check;
}

bool TCursorDocument::SetInsertMonoCur(bool on) {
    FAni.InsertMonoCur = on && FHasMonoCursor;
    return FAni.InsertMonoCur == on;
}

void TCursorDocument::FollowHotspot(int x, int y) {
    if (FAni.UniteHotspot) return;
    SetUniHotX(x);
    SetUniHotY(y);
}

FrameCheck TCursorDocument::TakeAniOptions(const AniReadResult& file) {
    if (file.Icons.empty()) return FrameCheck::Ok;
    SetDefaultSpeed(file.DefaultRate);
    const FrameCheck check = file.PerFrame ? SetInsertFram(true) : FrameCheck::Ok;
    if (file.HasInfo) {
        if (file.HasTitle) FTitle = file.Title;
        if (file.HasAuthor) FAuthor = file.Author;
        FAni.InsertInfo = true;
    }
    if (file.HasMonoCursor) {
        SetMonoCursor(file.MonoCursor);
        SetMonoX(file.MonoX);
        SetMonoY(file.MonoY);
        FAni.InsertMonoCur = true;
    }
    SetUniHotX(file.UniHotX);
    SetUniHotY(file.UniHotY);
    FAni.UniteHotspot = file.UniteHotspot;
    return check;
}

AniWriteInput TCursorDocument::AniInput(AniSaveMode mode) const {
    AniWriteInput in;
    in.Images = Entries();
    in.FrameImages.assign(FFrameTables.FFrameImages.begin(), FFrameTables.FFrameImages.begin() + FFrameTables.FFrameCount);
    in.FrameSpeeds.assign(FFrameTables.FFrameSpeeds.begin(), FFrameTables.FFrameSpeeds.begin() + FFrameTables.FFrameCount);
    in.InsertInfo = FAni.InsertInfo;
    in.InsertFram = FAni.InsertFram;
    in.UniteHotspot = FAni.UniteHotspot;
    in.InsertMonoCur = FAni.InsertMonoCur;
    in.Title = FTitle;
    in.Author = FAuthor;
    in.DefaultRate = FAni.DefaultSpeed;
    in.UniHotX = FAni.UniHotX;
    in.UniHotY = FAni.UniHotY;
    in.MonoCursor = FMonoCursor;
    in.MonoX = FAni.MonoX;
    in.MonoY = FAni.MonoY;
    in.SaveMode = mode;
    return in;
}
