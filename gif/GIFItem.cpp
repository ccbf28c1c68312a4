#include "gif/GIFItem.h"

#include <utility>

#include "base/Format.h"
#include "gif/GIFImage.h"

void TGIFItem::Warning(TGIFSeverity severity, const std::string& message) {
    if (FImage) FImage->Warning(this, severity, message);
}

void TGIFItem::SaveToFile(const std::string& fileName) {
    TSafeFileStream stream(fileName);
    SaveToStream(stream);
    if (!stream.Commit()) throw EWriteError("Stream write error");
}

void TGIFItem::LoadFromFile(const std::string& fileName) {
    TFileStream stream(fileName, TFileMode::fmOpenRead);
    LoadFromStream(stream);
}

void TGIFList::Warning(TGIFSeverity severity, const std::string& message) {
    if (FImage) FImage->Warning(this, severity, message);
}

void TGIFList::SaveToStream(TStream& stream) {
    for (auto& item : FItems) item->SaveToStream(stream);
}

void TGIFList::CheckIndex(int index, int count) const {
    if (index < 0 || index >= count) throw Exception(Format("List index out of bounds (%d)", index));
}

TGIFItem* TGIFList::GetItem(int index) const {
    CheckIndex(index, GetCount());
    return FItems[static_cast<std::size_t>(index)].get();
}

std::unique_ptr<TGIFItem> TGIFList::SetItem(int index, std::unique_ptr<TGIFItem> item) {
    CheckIndex(index, GetCount());
    std::swap(FItems[static_cast<std::size_t>(index)], item);
    return item;
}

int TGIFList::Add(std::unique_ptr<TGIFItem> item) {
    FItems.push_back(std::move(item));
    return GetCount() - 1;
}

void TGIFList::Insert(int index, std::unique_ptr<TGIFItem> item) {
    CheckIndex(index, GetCount() + 1);
    FItems.insert(FItems.begin() + index, std::move(item));
}

void TGIFList::Delete(int index) {
    CheckIndex(index, GetCount());
    // Out of the list first, so that the item's destructor never finds itself listed.
    std::unique_ptr<TGIFItem> item = std::move(FItems[static_cast<std::size_t>(index)]);
    FItems.erase(FItems.begin() + index);
}

void TGIFList::Clear() {
    while (!FItems.empty()) Delete(0);
}

std::unique_ptr<TGIFItem> TGIFList::Remove(TGIFItem* item) {
    int index = IndexOf(item);
    if (index < 0) return nullptr;
    std::unique_ptr<TGIFItem> taken = std::move(FItems[static_cast<std::size_t>(index)]);
    FItems.erase(FItems.begin() + index);
    return taken;
}

void TGIFList::Exchange(int i, int j) {
    CheckIndex(i, GetCount());
    CheckIndex(j, GetCount());
    std::swap(FItems[static_cast<std::size_t>(i)], FItems[static_cast<std::size_t>(j)]);
}

void TGIFList::Move(int from, int to) {
    CheckIndex(from, GetCount());
    CheckIndex(to, GetCount());
    std::unique_ptr<TGIFItem> item = std::move(FItems[static_cast<std::size_t>(from)]);
    FItems.erase(FItems.begin() + from);
    FItems.insert(FItems.begin() + to, std::move(item));
}

int TGIFList::IndexOf(const TGIFItem* item) const {
    for (std::size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].get() == item) return static_cast<int>(i);
    return -1;
}
