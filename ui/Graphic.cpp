#include "ui/Graphic.h"

#include <algorithm>
#include <cctype>
#include <mutex>

#include "base/Exception.h"
#include "base/Stream.h"

namespace {
struct TRegistry {
    std::mutex Lock;
    std::vector<TPicture::TFileFormat> Files;
    std::vector<TPicture::TClipboardFormat> Clipboard;
};
TRegistry& Registry() {
    static TRegistry registry;
    return registry;
}
bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}
}  // namespace

const char* const sUnsupportedClipboardData = "未対応のクリップボード データです";

void TGraphic::SaveToClipboardFormat(UINT&, HANDLE&, HPALETTE&) {
    throw EInvalidGraphic("このピクチャはクリップボードに置けません");
}

void TGraphic::LoadFromClipboardFormat(UINT, HANDLE, HPALETTE) { throw EInvalidGraphic(sUnsupportedClipboardData); }

void TPicture::RegisterFileFormat(const std::string& extension, const std::string& description, TGraphicFactory create) {
    TRegistry& r = Registry();
    std::lock_guard lock(r.Lock);
    std::erase_if(r.Files, [&](const TFileFormat& f) { return SameText(f.Extension, extension); });
    r.Files.push_back({extension, description, std::move(create)});
}

void TPicture::UnregisterFileFormat(const std::string& extension) {
    TRegistry& r = Registry();
    std::lock_guard lock(r.Lock);
    std::erase_if(r.Files, [&](const TFileFormat& f) { return SameText(f.Extension, extension); });
}

void TPicture::RegisterClipboardFormat(UINT format, TGraphicFactory create) {
    TRegistry& r = Registry();
    std::lock_guard lock(r.Lock);
    std::erase_if(r.Clipboard, [&](const TClipboardFormat& f) { return f.Format == format; });
    r.Clipboard.push_back({format, std::move(create)});
}

const TPicture::TFileFormat* TPicture::FindFileFormat(const std::string& extension) {
    TRegistry& r = Registry();
    std::lock_guard lock(r.Lock);
    for (const TFileFormat& f : r.Files)
        if (SameText(f.Extension, extension)) return &f;
    return nullptr;
}

const TPicture::TClipboardFormat* TPicture::FindClipboardFormat(UINT format) {
    TRegistry& r = Registry();
    std::lock_guard lock(r.Lock);
    for (const TClipboardFormat& f : r.Clipboard)
        if (f.Format == format) return &f;
    return nullptr;
}

std::vector<TPicture::TFileFormat> TPicture::FileFormats() {
    TRegistry& r = Registry();
    std::lock_guard lock(r.Lock);
    return r.Files;
}

std::unique_ptr<TGraphic> TPicture::LoadFromFile(const std::string& path) {
    std::size_t dot = path.find_last_of('.');
    std::size_t slash = path.find_last_of("\\/");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return nullptr;
    const TFileFormat* format = FindFileFormat(path.substr(dot + 1));
    if (!format) return nullptr;
    std::unique_ptr<TGraphic> graphic = format->Create();
    TFileStream stream(path, TFileMode::fmOpenRead);
    graphic->LoadFromStream(stream);
    return graphic;
}
