#include "app/ExtIcon.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>

#include "base/Format.h"
#include "base/ScopeGuard.h"
#include "formats/IconSourceCheck.h"
#include "ui/Application.h"
#include "ui/BackgroundWork.h"
#include "ui/Canvas.h"
#include "ui/Win.h"

TExtIcon::TExtIcon(TForm* owner) : TForm("ExtIcon", "IconvevedaVer0.5", 244, 116, TFormBorder::bsDialog, owner) {
    CenterOnScreen();
    Label1 = std::make_unique<TLabel>(this, "Label1", "アイコン数", 8, 12);
    Panel1 = std::make_unique<TPanel>(this, "Panel1", "0");
    Panel1->SetBounds(84, 8, 64, 22);
    Panel1->SetAlignment(TAlignment::taRightJustify);
    Panel1->SetBevelOuter(TBevel::bvNone);
    Panel1->SetBorderSingle(true);
    Panel1->SetColor(clWindow);
    Label2 = std::make_unique<TLabel>(this, "Label2", "アイコン番号", 8, 42);
    ValueBox1 = std::make_unique<TValueBox>(this, "ValueBox1");
    ValueBox1->SetBounds(84, 38, 64, 22);
    ValueBox1->SetMax(0);
    ValueBox1->OnChange = [this](TControl*) { ValueBox1Change(); };
    Bevel1 = std::make_unique<TPanel>(this, "Bevel1");
    Bevel1->SetBounds(176, 8, 52, 52);
    Bevel1->SetBevelOuter(TBevel::bvLowered);
    Image1 = std::make_unique<TImage>(Bevel1.get(), "Image1");
    Image1->SetBounds(10, 10, 32, 32);
    Label3 = std::make_unique<TLabel>(this, "Label3", "アイコンを選んでください。", 8, 70);
    Button1 = std::make_unique<TButton>(this, "Button1", "OK");
    Button1->SetBounds(76, 88, 78, 24);
    Button1->SetModalResult(mrOk);
    Button1->SetDefault(true);
    Button2 = std::make_unique<TButton>(this, "Button2", "キャンセル");
    Button2->SetBounds(160, 88, 78, 24);
    Button2->SetModalResult(mrCancel);
    Button2->SetCancel(true);
}

TExtIcon::~TExtIcon() { ImageList1.Clear(); }

namespace {

// The size the list shows: the system's icon size.
constexpr int kListSide = 32;

const char* const kIconsNotRead = "アイコンを読み込めませんでした。";

bool PickFromIcons(TForm* owner, std::unique_ptr<TModuleIcons> icons, const std::function<TColor()>& background,
                   TBitmap& picture);

int ScreenDepth() {
    HDC screen = GetDC(nullptr);
    const int bits = screen ? GetDeviceCaps(screen, BITSPIXEL) : 32;
    if (screen) ReleaseDC(nullptr, screen);
    return bits > 0 ? bits : 32;
}

// Decoded pixels as an icon holds them: 32-bit colour rows (with the image's alpha when it
// has one) and 1-bit mask rows of whole words (1 = transparent; from the alpha where the
// image has no mask).
struct TIconBits {
    int Width = 0, Height = 0;
    std::vector<uint32_t> Colour;
    std::vector<uint8_t> Mask;
    std::size_t MaskRow() const { return static_cast<std::size_t>((Width + 15) / 16 * 2); }
};

bool IconBitsOf(const TBitmap& colour, const TBitmap& mask, TIconBits& out) {
    const int w = colour.Width(), h = colour.Height();
    if (w <= 0 || h <= 0 || mask.Width() != w || mask.Height() != h) return false;
    const bool alphaMask = mask.PixelFormat() == TPixelFormat::pf8bit;
    const bool ownAlpha = colour.PixelFormat() == TPixelFormat::pf32bit;
    out.Width = w;
    out.Height = h;
    out.Colour.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
    out.Mask.assign(out.MaskRow() * static_cast<std::size_t>(h), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const TColor c = colour.Pixel(x, y);
            const uint32_t alpha = alphaMask ? static_cast<uint32_t>(mask.PixelIndex(x, y))
                                   : ownAlpha ? colour.ScanLine(y)[4 * x + 3]
                                              : 0u;
            out.Colour[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)] =
                (alpha << 24) | (uint32_t{RedOf(c)} << 16) | (uint32_t{GreenOf(c)} << 8) | BlueOf(c);
            if (alphaMask ? alpha == 0 : mask.PixelIndex(x, y) != 0)
                out.Mask[static_cast<std::size_t>(y) * out.MaskRow() + static_cast<std::size_t>(x / 8)] |=
                    static_cast<uint8_t>(0x80 >> (x % 8));
        }
    return true;
}

// A 32-bit top-down DIB section of the given rows, and a monochrome bitmap of mask rows.
TGdiObject ColourBitmap(int w, int h, const uint32_t* rows) {
    BITMAPINFO bi = TopDownDibInfo(w, h, 32);
    void* bits = nullptr;
    TGdiObject bitmap(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return {};
    std::memcpy(bits, rows, 4u * static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    return bitmap;
}

TIconHandle IconFromBits(const TIconBits& b) {
    TGdiObject colour = ColourBitmap(b.Width, b.Height, b.Colour.data());
    TGdiObject mask(CreateBitmap(b.Width, b.Height, 1, 1, b.Mask.data()));
    if (!colour || !mask) return {};
    ICONINFO info{TRUE, 0, 0, static_cast<HBITMAP>(mask.Get()), static_cast<HBITMAP>(colour.Get())};
    return TIconHandle(CreateIconIndirect(&info));
}

// Icon `index` of the source: the image chosen for the list's size at the screen's depth,
// decoded at its own size. Null when it cannot be read.
TIconHandle SourceIcon(const TIconSource& source, int index, int depth) {
    IconChoice choice;
    TBitmap colour, mask;
    TIconBits bits;
    if (!source.Choose(index, kListSide, kListSide, depth, choice) || !source.Decode(choice, colour, mask) ||
        !IconBitsOf(colour, mask, bits))
        return {};
    return IconFromBits(bits);
}

// The time the window may be kept from answering while the list fills.
constexpr ULONGLONG kAnswerEveryMs = 100;

} // namespace

// What the list is filled from: the reader and, for each icon listed, its image among the
// distinct ones decoded (the icons of a module may all show one image).
struct TModuleIcons {
    std::unique_ptr<TIconSource> Source;
    int Depth = 32;
    std::vector<int> Listed;  // the reader's icon number of each icon listed
    std::vector<int> ImageOf;  // its image: the list entry it shows
    std::vector<TIconBits> Images;
    // For each image not of the list's size: its icon, made where the file was read (the
    // list fits it); null for images of the list's size, which go in by their pixels.
    std::vector<TIconHandle> Fitted;
    TExtIconWork Work;
};

std::unique_ptr<TModuleIcons> ReadModuleIcons(const std::string& fileName, TExtIconWork* work) {
    // Our own reader takes the file apart within its bounds and decodes only the image each
    // icon shows; a broken or hostile file gives no icon instead of a fault.
    auto icons = std::make_unique<TModuleIcons>();
    // What the reading cost, however it ends (the object outlives this scope when returned).
    const TScopeExit report([work, read = icons.get()] {
        if (work) *work = read->Work;
    });
    icons->Source = std::make_unique<TIconSource>();
    const TIconSource& source = *icons->Source;
    if (!icons->Source->LoadFile(fileName).Ok()) return nullptr;
    icons->Depth = ScreenDepth();
    // The pixels decoded, together no more than a file of this size holds (eight to a byte at
    // one bit each) beside a margin for compressed images. Every decode is charged, also one
    // that fails; and each image is decoded and made a list entry once, however many icons
    // show it: the icons of a module may all name one large or one broken image.
    const uint64_t pixelBudget = 8 * source.Bytes() + (uint64_t{1} << 23);
    uint64_t& pixels = icons->Work.Pixels;
    std::map<std::pair<uint64_t, uint64_t>, int> imageOf;  // an image's bytes: its image, -1 when unusable
    for (int i = 0; i < source.Count() && pixels <= pixelBudget; ++i) {
        if (BackgroundWorkCancelled()) return nullptr;
        IconChoice choice;
        if (!source.Choose(i, kListSide, kListSide, icons->Depth, choice)) continue;
        auto known = imageOf.find({choice.Offset, choice.Bytes});
        if (known == imageOf.end()) {
            TBitmap colour, mask;
            TIconBits bits;
            ++icons->Work.Decodes;
            const bool decoded = source.Decode(choice, colour, mask);
            pixels += decoded ? uint64_t(colour.Width()) * uint64_t(colour.Height()) : source.DecodeCost(choice);
            int image = -1;
            if (decoded && pixels <= pixelBudget && IconBitsOf(colour, mask, bits)) {
                const bool listSize = bits.Width == kListSide && bits.Height == kListSide;
                icons->Fitted.push_back(listSize ? TIconHandle() : IconFromBits(bits));
                icons->Images.push_back(std::move(bits));
                image = static_cast<int>(icons->Images.size()) - 1;
                ++icons->Work.EntriesMade;
            }
            known = imageOf.emplace(std::make_pair(choice.Offset, choice.Bytes), image).first;
        }
        if (known->second < 0) continue;
        icons->ImageOf.push_back(known->second);
        icons->Listed.push_back(i);
    }
    // A file that costs more than its size calls for gives no icon.
    if (icons->Listed.empty() || pixels > pixelBudget) return nullptr;
    return icons;
}

bool TExtIcon::LoadIconsFromFile(const std::string& fileName) {
    // Read and decoded off the window thread; a module of thousands of icons takes a while.
    std::unique_ptr<TModuleIcons> icons;
    FWork = TExtIconWork{};
    if (!RunOffWindowThread(
            GetWindow(FHandle, GW_OWNER), [&] { icons = ReadModuleIcons(fileName, &FWork); }, kIconsNotRead))
        return false;
    return TakeIcons(std::move(icons));
}

bool TExtIcon::TakeIcons(std::unique_ptr<TModuleIcons> icons) {
    if (!icons) return false;
    FWork = icons->Work;
    TWaitCursor wait;
    ImageList1.Clear();
    ULONGLONG answered = GetTickCount64();
    for (std::size_t image = 0; image < icons->Images.size(); ++image) {
        const TIconBits& b = icons->Images[image];
        if (icons->Fitted[image]) {
            ImageList1.AddIcon(icons->Fitted[image].Get());
        } else {
            ImageList1.AddPixels(b.Colour.data(), b.Mask.data(), b.MaskRow());  // many at a time
        }
        // Thousands of images of other sizes take the list a while: the window answers meanwhile.
        if (GetTickCount64() - answered >= kAnswerEveryMs) {
            TApplication::Instance().ProcessMessages();
            answered = GetTickCount64();
        }
    }
    if (ImageList1.Count() != static_cast<int>(icons->Images.size())) {
        // An image the list refused: the entries no longer name the file's icons.
        ImageList1.Clear();
        return false;
    }
    const int held = static_cast<int>(icons->Listed.size());
    FSource = std::move(icons->Source);
    FSourceIcons = std::move(icons->Listed);
    FListEntries = std::move(icons->ImageOf);
    FDepth = icons->Depth;
    Panel1->SetCaption(IntToStr(held));
    ValueBox1->SetMax(held - 1);
    ValueBox1->SetValue(0);
    ValueBox1Change();
    return true;
}

int TExtIcon::ListEntry(int icon) const {
    return icon >= 0 && icon < static_cast<int>(FListEntries.size()) ? FListEntries[static_cast<std::size_t>(icon)] : -1;
}

TIconHandle TExtIcon::PickedIconAtOwnSize() const {
    const int index = ValueBox1->Value();
    if (!FSource || index < 0 || index >= static_cast<int>(FSourceIcons.size())) return {};
    return SourceIcon(*FSource, FSourceIcons[static_cast<std::size_t>(index)], FDepth);
}

void TExtIcon::ValueBox1Change() {
    const int entry = ListEntry(ValueBox1->Value());
    if (entry < 0 || entry >= ImageList1.Count()) return;
    Image1->SetIcon(ImageList1.GetIcon(entry));
}

bool PickLibraryIconPicture(TForm* owner, const std::string& fileName, const std::function<TColor()>& background,
                            TBitmap& picture) {
    // Read where a drop's worker runs (or in a work of its own); the dialog is the window
    // thread's.
    std::unique_ptr<TModuleIcons> icons;
    if (!RunOffWindowThread(
            owner ? owner->Handle() : nullptr, [&] { icons = ReadModuleIcons(fileName); }, kIconsNotRead) ||
        !icons)
        return false;
    return OnWindowThread([&] { return PickFromIcons(owner, std::move(icons), background, picture); });
}

namespace {

bool PickFromIcons(TForm* owner, std::unique_ptr<TModuleIcons> icons, const std::function<TColor()>& background,
                   TBitmap& picture) {
    TExtIcon dialog(owner);
    if (!dialog.TakeIcons(std::move(icons)) || dialog.ShowModal() != mrOk || !dialog.Image1->Icon()) return false;
    const TColor fill = background();
    // The picked icon as the file holds it, not the list's 32x32 copy of a larger one.
    TIconHandle own = dialog.PickedIconAtOwnSize();
    SIZE size{32, 32};
    if (own) {
        ICONINFO info{};
        if (GetIconInfo(own.Get(), &info)) {
            TGdiObject colour(info.hbmColor), mask(info.hbmMask);
            BITMAP bm{};
            if (GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm))
                size = SIZE{bm.bmWidth, info.hbmColor ? bm.bmHeight : bm.bmHeight / 2};
        }
        if (size.cx <= 0 || size.cy <= 0) own = {}, size = SIZE{32, 32};
    }
    HICON icon = own ? own.Get() : dialog.Image1->Icon();
    TDibSection dib(size.cx, size.cy);
    TGdiObject brush(CreateSolidBrush(ColorToRGB(fill)));
    RECT all{0, 0, size.cx, size.cy};
    FillRect(dib.DC(), &all, static_cast<HBRUSH>(brush.Get()));
    DrawIconEx(dib.DC(), 0, 0, icon, size.cx, size.cy, 0, nullptr, DI_NORMAL);
    GdiFlush();
    picture = TBitmap(size.cx, size.cy, TPixelFormat::pf24bit);
    for (int y = 0; y < size.cy; ++y)
        for (int x = 0; x < size.cx; ++x) picture.SetPixel(x, y, static_cast<TColor>(dib.PixelAt(x, y)));
    return true;
}

} // namespace
