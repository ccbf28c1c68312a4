#pragma once
// TResourceStream: a read-only stream over a resource of a module.
#include "base/Stream.h"
#include "ui/Win.h"

class TResourceStream : public TBytesStream {
public:
    // Throws EFOpenError when the module has no such resource.
    TResourceStream(HINSTANCE module, const std::string& name, const std::string& type);

private:
    static std::pair<const void*, int64_t> Find(HINSTANCE module, const std::string& name, const std::string& type);
    explicit TResourceStream(std::pair<const void*, int64_t> data) : TBytesStream(data.first, data.second) {}
};
