#include "formats/UserCursor.h"

#include <cstring>
#include <vector>

#include "base/ScopeGuard.h"
#include "base/Stream.h"
#include "base/Text.h"
#include "formats/ByteSource.h"
#include "formats/CursorRewrite.h"
#include "formats/IconSourceCheck.h"
#include "formats/ReaderProcess.h"
#include "ui/Win.h"

namespace {

HCURSOR SystemLoad(const std::wstring& file, TUserCursorLoad how) {
    return how == TUserCursorLoad::FromFile
               ? LoadCursorFromFileW(file.c_str())
               : static_cast<HCURSOR>(LoadImageW(nullptr, file.c_str(), IMAGE_CURSOR, 0, 0,
                                                 LR_LOADFROMFILE | LR_DEFAULTSIZE));
}

// Our own copy, in a file of the temporary folder that goes when it has been loaded.
HCURSOR LoadCopy(const std::vector<uint8_t>& copy, TUserCursorLoad how) {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, folder);
    wchar_t file[MAX_PATH + 1] = {};
    if (n == 0 || n > MAX_PATH || !GetTempFileNameW(folder, L"tcr", 0, file)) return nullptr;
    TScopeExit remove([&file] { DeleteFileW(file); });
    if (!WriteWholeFile(WideToUtf8(file), copy.data(), copy.size())) return nullptr;
    return SystemLoad(file, how);
}

// A cursor of the helper's answer: its colour pixels (with their alpha) and AND mask.
HCURSOR CursorOf(const TCursorAnswer& a) {
    BITMAPINFO bi = TopDownDibInfo(a.Width, a.Height, 32);
    void* bits = nullptr;
    HBITMAP colour = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!colour) return nullptr;
    TScopeExit freeColour([colour] { DeleteObject(colour); });
    std::memcpy(bits, a.Colour.data(), a.Colour.size());
    const std::size_t rowBytes = ((std::size_t(a.Width) + 15) / 16) * 2;  // whole 16-bit words
    std::vector<uint8_t> maskBits(rowBytes * a.Height, 0);
    for (int y = 0; y < a.Height; ++y)
        for (int x = 0; x < a.Width; ++x)
            if (a.Mask[std::size_t(y) * a.Width + x]) maskBits[rowBytes * y + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    HBITMAP mask = CreateBitmap(a.Width, a.Height, 1, 1, maskBits.data());
    if (!mask) return nullptr;
    TScopeExit freeMask([mask] { DeleteObject(mask); });
    ICONINFO ii{};
    ii.fIcon = FALSE;
    ii.xHotspot = static_cast<DWORD>(a.HotX);
    ii.yHotspot = static_cast<DWORD>(a.HotY);
    ii.hbmMask = mask;
    ii.hbmColor = colour;
    return CreateIconIndirect(&ii);
}

HCURSOR LoadThroughHelper(const std::string& path, TUserCursorLoad how) {
    const TReaderJob job = how == TUserCursorLoad::FromFile ? TReaderJob::CursorFile : TReaderJob::CursorImage;
    const std::optional<std::vector<uint8_t>> answer = ReaderAnswer({job, path});
    if (!answer) return nullptr;
    const std::optional<TCursorAnswer> cursor = ParseCursorAnswer(job, answer->data(), answer->size());
    return cursor ? CursorOf(*cursor) : nullptr;
}

} // namespace

HCURSOR LoadUserCursor(const std::string& path, TUserCursorLoad how) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, static_cast<int64_t>(kCursorFileMaxBytes))) return nullptr;
    TMemoryByteSource source(bytes);
    if (!CheckCursorFile(source).Ok()) return nullptr;
    const std::vector<uint8_t> copy = RewrittenCursorFile(bytes.data(), bytes.size());
    return copy.empty() ? LoadThroughHelper(path, how) : LoadCopy(copy, how);
}
