#include "ui/Resource.h"

#include "base/Exception.h"

std::pair<const void*, int64_t> TResourceStream::Find(HINSTANCE module, const std::string& name,
                                                       const std::string& type) {
    HRSRC res = FindResourceW(module, W(name).c_str(), W(type).c_str());
    HGLOBAL data = res ? LoadResource(module, res) : nullptr;
    const void* bytes = data ? LockResource(data) : nullptr;
    if (!bytes) throw EFOpenError("Resource " + name + " not found");
    return {bytes, static_cast<int64_t>(SizeofResource(module, res))};
}

TResourceStream::TResourceStream(HINSTANCE module, const std::string& name, const std::string& type)
    : TResourceStream(Find(module, name, type)) {}
