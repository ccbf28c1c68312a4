#pragma once
// The base of every block of the GIF document model, and the owning list of such blocks.
#include <memory>
#include <string>
#include <vector>

#include "base/Stream.h"
#include "gif/GIFTypes.h"

class TGIFImage;

class TGIFItem {
public:
    explicit TGIFItem(TGIFImage* image) : FImage(image) {}
    virtual ~TGIFItem() = default;
    TGIFItem(const TGIFItem&) = delete;
    TGIFItem& operator=(const TGIFItem&) = delete;

    virtual TGIFVersion GetVersion() const { return gv87a; }
    // Forwards to the owner image's warning event (dropped without an owner).
    virtual void Warning(TGIFSeverity severity, const std::string& message);
    virtual void SaveToStream(TStream& stream) = 0;
    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToFile(const std::string& fileName);
    virtual void LoadFromFile(const std::string& fileName);

    TGIFImage* Image() const { return FImage; }  // not owned

protected:
    TGIFImage* FImage;  // not owned; may be null
};

// An ordered list that owns its items.
class TGIFList {
public:
    explicit TGIFList(TGIFImage* image) : FImage(image) {}
    virtual ~TGIFList() { Clear(); }
    TGIFList(const TGIFList&) = delete;
    TGIFList& operator=(const TGIFList&) = delete;

    virtual void Warning(TGIFSeverity severity, const std::string& message);
    virtual void SaveToStream(TStream& stream);

    // An index outside 0..Count-1 raises "List index out of bounds (n)".
    TGIFItem* GetItem(int index) const;
    // Replaces the item at index and hands the previous one back to the caller.
    std::unique_ptr<TGIFItem> SetItem(int index, std::unique_ptr<TGIFItem> item);
    int GetCount() const { return static_cast<int>(FItems.size()); }
    int Add(std::unique_ptr<TGIFItem> item);
    void Insert(int index, std::unique_ptr<TGIFItem> item);
    void Delete(int index);
    void Clear();
    // Takes the first occurrence out of the list without freeing it (null when absent).
    std::unique_ptr<TGIFItem> Remove(TGIFItem* item);
    void Exchange(int i, int j);
    void Move(int from, int to);
    TGIFItem* First() const { return GetItem(0); }
    TGIFItem* Last() const { return GetItem(GetCount() - 1); }
    int IndexOf(const TGIFItem* item) const;

    TGIFImage* Image() const { return FImage; }  // not owned

protected:
    void CheckIndex(int index, int count) const;
    std::vector<std::unique_ptr<TGIFItem>> FItems;
    TGIFImage* FImage;  // not owned; may be null
};
