// The reader helper's jobs, done in the helper process on the file it was asked about.
#include <windows.h>

#include <cstring>

#include "base/ScopeGuard.h"
#include "base/Stream.h"
#include "base/Text.h"
#include "formats/Metafile.h"
#include "formats/ReaderProcess.h"
#include "formats/ShortCut.h"
#include "ui/Win.h"

namespace {

std::vector<uint8_t> PictureAnswerOf(const TBitmap& picture) {
    TPictureAnswer a;
    a.Width = picture.Width();
    a.Height = picture.Height();
    if (picture.PixelFormat() != TPixelFormat::pf24bit || a.Width < 1 || a.Height < 1) return {};
    const std::size_t row = std::size_t(a.Width) * 3;
    a.Pixels.resize(row * a.Height);
    for (int y = 0; y < a.Height; ++y) std::memcpy(a.Pixels.data() + row * y, picture.ScanLine(y), row);
    return WritePictureAnswer(a);
}

// The 32-bit top-down pixels of rows [top, top + height) of a bitmap, width pixels wide.
bool RowsOf(HBITMAP bitmap, int width, int top, int height, int allHeight, std::vector<uint8_t>& out) {
    HDC dc = GetDC(nullptr);
    if (!dc) return false;
    TScopeExit release([dc] { ReleaseDC(nullptr, dc); });
    BITMAPINFO bi = TopDownDibInfo(width, allHeight, 32);
    std::vector<uint8_t> all(std::size_t(width) * allHeight * 4);
    if (GetDIBits(dc, bitmap, 0, static_cast<UINT>(allHeight), all.data(), &bi, DIB_RGB_COLORS) != allHeight)
        return false;
    out.assign(all.begin() + std::ptrdiff_t(width) * top * 4, all.begin() + std::ptrdiff_t(width) * (top + height) * 4);
    return true;
}

// What the cursor the system loaded looks like: its colour (or, for a two-colour cursor, its
// XOR bits as black and white), its AND mask and its hotspot.
std::vector<uint8_t> CursorAnswerOf(TReaderJob job, HCURSOR cursor) {
    ICONINFO ii{};
    if (!GetIconInfo(cursor, &ii)) return {};
    TScopeExit free([&ii] {
        if (ii.hbmMask) DeleteObject(ii.hbmMask);
        if (ii.hbmColor) DeleteObject(ii.hbmColor);
    });
    BITMAP bm{};
    if (!ii.hbmMask || !GetObjectW(ii.hbmMask, sizeof bm, &bm)) return {};
    const int width = bm.bmWidth;
    const int height = ii.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
    if (width < 1 || height < 1 || width > kAnswerMaxCursorSide || height > kAnswerMaxCursorSide) return {};
    TCursorAnswer a;
    a.Width = width;
    a.Height = height;
    a.HotX = std::min<int>(static_cast<int>(ii.xHotspot), width - 1);
    a.HotY = std::min<int>(static_cast<int>(ii.yHotspot), height - 1);
    std::vector<uint8_t> mask;
    if (!RowsOf(ii.hbmMask, width, 0, height, bm.bmHeight, mask)) return {};
    a.Mask.resize(std::size_t(width) * height);
    for (std::size_t i = 0; i < a.Mask.size(); ++i) a.Mask[i] = (mask[i * 4] | mask[i * 4 + 1] | mask[i * 4 + 2]) ? 1 : 0;
    if (ii.hbmColor) {
        if (!RowsOf(ii.hbmColor, width, 0, height, height, a.Colour)) return {};
    } else {
        if (!RowsOf(ii.hbmMask, width, height, height, bm.bmHeight, a.Colour)) return {};
        for (std::size_t i = 3; i < a.Colour.size(); i += 4) a.Colour[i] = 0;
    }
    return WriteCursorAnswer(job, a);
}

std::vector<uint8_t> CursorAnswer(TReaderJob job, const std::string& path) {
    if (!DiskFileSize(path)) return {};  // the system's loaders would open a device as well
    const std::wstring file = Utf8ToWide(path);
    HCURSOR cursor = job == TReaderJob::CursorFile
                         ? LoadCursorFromFileW(file.c_str())
                         : static_cast<HCURSOR>(LoadImageW(nullptr, file.c_str(), IMAGE_CURSOR, 0, 0,
                                                           LR_LOADFROMFILE | LR_DEFAULTSIZE));
    if (!cursor) return {};
    TScopeExit destroy([cursor] { DestroyCursor(cursor); });
    return CursorAnswerOf(job, cursor);
}

} // namespace

std::vector<uint8_t> AnswerReaderRequest(const TReaderRequest& request) {
    try {
        switch (request.Job) {
        case TReaderJob::Metafile: {
            TBitmap picture;
            return DrawMetafileInProcess(request.Path, picture) ? PictureAnswerOf(picture) : std::vector<uint8_t>();
        }
        case TReaderJob::ShortCut: {
            const std::optional<TShortCutAnswer> link = ReadShortCutInProcess(request.Path);
            return link ? WriteShortCutAnswer(*link) : std::vector<uint8_t>();
        }
        case TReaderJob::CursorFile:
        case TReaderJob::CursorImage: return CursorAnswer(request.Job, request.Path);
        }
    } catch (const std::exception&) {
    }
    return {};
}
