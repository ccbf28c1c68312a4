#include "PictureImport.h"

#include <algorithm>
#include <new>

#include "base/Exception.h"
#include "base/Format.h"
#include "base/Stream.h"
#include "png/PngPicture.h"

namespace {

constexpr int64_t kMaxPictureFileBytes = 256LL * 1024 * 1024;

bool HasSpelling(const std::string& ext, const char* upper, const char* lower, const char* capital) {
    return ext.find(upper) != std::string::npos || ext.find(lower) != std::string::npos ||
           ext.find(capital) != std::string::npos;
}

// The picture's top-left colour becomes the transparent colour; (0, 0) the transparent point.
void TakeTopLeftAsTransparent(ImportedImage& out) {
    out.Cur.Inverse.fill(0);
    out.TransX = out.TransY = 0;
    out.TransColour = QuadToColor(out.Cur.Palette[out.Cur.Pixels.At(0, 0)]);
    out.Transparent = true;
    out.OutPixels = out.Cur.Pixels;
    out.OutPalette = out.Cur.Palette;
}

} // namespace

const char* const kClipboardFileName = "＃CLIPBRD＃.bmp";

ImportKind ClassifyImportPath(const std::string& path) {
    const std::string ext = ExtractFileExt(path);
    if (HasSpelling(ext, "LNK", "lnk", "Lnk")) return ImportKind::Shortcut;
    if (HasSpelling(ext, ".PNG", ".png", ".Png")) return ImportKind::Png;
    if (HasSpelling(ext, ".ANI", ".ani", ".Ani")) return ImportKind::Ani;
    if (HasSpelling(ext, ".BMP", ".bmp", ".Bmp")) return ImportKind::Bmp;
    if (HasSpelling(ext, ".ICO", ".ico", ".Ico")) return ImportKind::Ico;
    if (HasSpelling(ext, ".CUR", ".cur", ".Cur")) return ImportKind::Cur;
    if (HasSpelling(ext, ".EXE", ".exe", ".Exe")) return ImportKind::Exe;
    if (HasSpelling(ext, ".DLL", ".dll", ".Dll")) return ImportKind::Dll;
    if (HasSpelling(ext, ".ICL", ".icl", ".Icl")) return ImportKind::Icl;
    return ImportKind::Unknown;
}

std::string ImportedImageName(const std::string& path) {
    std::string name = ExtractFileName(path);
    std::string title = name.substr(0, name.size() - ExtractFileExt(name).size());
    if (title.find("＃CLIPBRD＃") != std::string::npos) return "ｸﾘｯﾌﾟﾎﾞｰﾄﾞ";
    return title;
}

namespace {

// The picture as the resizes read it: itself, or padded to the square of its larger side on
// black, the picture centred. The padded square is never built: it may be far larger than
// the picture (32768 x 32768 for a picture of 1 x 32768).
class TResizeSource {
public:
    TResizeSource(const TBitmap& picture, bool padToSquare)
        : FPicture(picture), FWidth(picture.Width()), FHeight(picture.Height()) {
        if (!padToSquare) return;
        FWidth = FHeight = std::max(FWidth, FHeight);
        FLeft = (FWidth - picture.Width()) / 2;
        FTop = (FHeight - picture.Height()) / 2;
    }
    int64_t Width() const { return FWidth; }
    int64_t Height() const { return FHeight; }
    TColor Pixel(int64_t x, int64_t y) const {
        x -= FLeft;
        y -= FTop;
        if (x < 0 || y < 0 || x >= FPicture.Width() || y >= FPicture.Height()) return clBlack;
        return FPicture.Pixel(static_cast<int>(x), static_cast<int>(y));
    }

private:
    const TBitmap& FPicture;
    int FWidth, FHeight;
    int FLeft = 0, FTop = 0;
};

TBitmap SmartResize(const TResizeSource& picture) {
    TBitmap out(kImageSize, kImageSize, TPixelFormat::pf24bit);
    const int64_t w = picture.Width(), h = picture.Height();
    if (w <= 0 || h <= 0) return out;
    // Hundredths of a source pixel. A step below one hundredth would never advance.
    const int64_t sx = w * 100 / 32, sy = h * 100 / 32;
    const int64_t stepX = std::max<int64_t>(1, sx / 16), stepY = std::max<int64_t>(1, h * 100 / 512);
    for (int j = 0; j < kImageSize; ++j)
        for (int i = 0; i < kImageSize; ++i) {
            int64_t startX = std::min(i * sx / 100, w - 1), startY = std::min(j * sy / 100, h - 1);
            TColor first = picture.Pixel(startX, startY);
            int64_t r = RedOf(first), g = GreenOf(first), b = BlueOf(first), n = 1;
            for (int64_t y = j * sy; y < j * sy + sy; y += stepY)
                for (int64_t x = i * sx; x < i * sx + sx; x += stepX) {
                    if (x / 100 >= w || y / 100 >= h) continue;
                    TColor c = picture.Pixel(x / 100, y / 100);
                    r += RedOf(c);
                    g += GreenOf(c);
                    b += BlueOf(c);
                    ++n;
                }
            out.SetPixel(i, j, MakeColor(uint8_t(r / n), uint8_t(g / n), uint8_t(b / n)));
        }
    return out;
}

TBitmap Stretch(const TResizeSource& picture) {
    TBitmap out(kImageSize, kImageSize, TPixelFormat::pf24bit);
    const int64_t w = picture.Width(), h = picture.Height();
    if (w <= 0 || h <= 0) return out;
    for (int j = 0; j < kImageSize; ++j)
        for (int i = 0; i < kImageSize; ++i) out.SetPixel(i, j, picture.Pixel(i * w / kImageSize, j * h / kImageSize));
    return out;
}

} // namespace

TBitmap SmartResizeTo32(const TBitmap& picture, bool padToSquare) {
    return SmartResize(TResizeSource(picture, padToSquare));
}

TBitmap StretchTo32(const TBitmap& picture, bool padToSquare) { return Stretch(TResizeSource(picture, padToSquare)); }

bool ReadBmpImage(const TBitmap& picture, ImportedImage& out) {
    if (picture.Width() != kImageSize || picture.Height() != kImageSize || !IsPaletted(picture.PixelFormat()))
        return false;
    out.Cur.Palette.fill(TRGBQuad{});
    const auto& colours = picture.Colors();
    const std::size_t n = std::min<std::size_t>(colours.size(), std::size_t(1) << picture.BitCount());
    for (std::size_t i = 0; i < n; ++i) out.Cur.Palette[i] = TRGBQuad{colours[i].Blue, colours[i].Green, colours[i].Red, 0};
    for (int y = 0; y < kImageSize; ++y)
        for (int x = 0; x < kImageSize; ++x) out.Cur.Pixels.At(x, y) = static_cast<uint8_t>(picture.PixelIndex(x, y));
    TakeTopLeftAsTransparent(out);
    return true;
}

uint8_t ReadBmpFile(const std::string& path, ImportedImage& out) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, kMaxPictureFileBytes)) return 0;
    try {
        TBitmap picture;
        picture.LoadFromMemory(bytes.data(), bytes.size());
        return ReadBmpImage(picture, out) ? 1 : 0;
    } catch (const EInvalidGraphic&) {
        return 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

PictureImport ImportPictureFromBitmap(const TBitmap& source, const PictureImportOptions& options, ImportedImage& out) {
    PictureImport result;
    if (source.Empty()) return result;
    result.SourceIs4Bit = source.PixelFormat() == TPixelFormat::pf4bit;
    // A padded picture is a 24-bit square: never taken as it is.
    const bool pad = options.Henpei && source.Width() != source.Height();
    if (!pad && source.Width() == kImageSize && source.Height() == kImageSize && IsPaletted(source.PixelFormat())) {
        result.Result = ReadBmpImage(source, out) ? PictureReadResult::Read : PictureReadResult::Failed;
        return result;
    }
    bool smart = false;
    if (source.Width() > kImageSize || source.Height() > kImageSize)
        smart = options.SmartResize || (options.AskSmartResize && options.AskSmartResize());
    result.Target = smart ? SmartResizeTo32(source, pad) : StretchTo32(source, pad);
    result.Result = PictureReadResult::NeedsReduction;
    return result;
}

PictureImport ImportPicture(const std::string& path, const PictureImportOptions& options, ImportedImage& out) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, kMaxPictureFileBytes)) return {};
    TBitmap picture;
    try {
        picture.LoadFromMemory(bytes.data(), bytes.size());
    } catch (const EInvalidGraphic&) {
        return {};
    } catch (const std::bad_alloc&) {
        return {};  // a picture within the limits that this process has no room for
    }
    return ImportPictureFromBitmap(picture, options, out);
}

PictureImport ReadPngFile(const std::string& path, const PictureImportOptions& options, ImportedImage& out) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, kMaxPictureFileBytes)) return {};
    TBitmap picture;
    try {
        TRUDEDI png;
        png.SetImage(&picture);  // decoded in place, never copied
        TBytesStream s(bytes.data(), static_cast<int64_t>(bytes.size()));
        png.LoadFromStream(s);
    } catch (const Exception&) {
        return {};
    } catch (const std::bad_alloc&) {
        return {};
    }
    return ImportPictureFromBitmap(picture, options, out);
}

void FinishReducedImport(const TBitmap& target, const ImagePalette& reduced, bool sourceIs4Bit, ImportedImage& out) {
    out.Cur.Palette = reduced;
    for (TRGBQuad& q : out.Cur.Palette) q.Reserved = 0;
    if (sourceIs4Bit)
        for (std::size_t i = 16; i < 256; ++i) out.Cur.Palette[i] = TRGBQuad{};
    for (int y = 0; y < kImageSize; ++y)
        for (int x = 0; x < kImageSize; ++x) {
            TColor c = x < target.Width() && y < target.Height() ? target.Pixel(x, y) : clBlack;
            out.Cur.Pixels.At(x, y) = static_cast<uint8_t>(NearestPaletteIndex(out.Cur.Palette.data(), 256, c));
        }
    TakeTopLeftAsTransparent(out);
}
