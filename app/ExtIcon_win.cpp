#include "app/ExtIcon.h"

#include <shellapi.h>

#include "base/Format.h"
#include "formats/IconSourceCheck.h"
#include "ui/Canvas.h"
#include "base/SystemLibrary_win.h"

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
}

TExtIcon::~TExtIcon() { ImageList1.Clear(); }

bool TExtIcon::LoadIconsFromFile(const std::string& fileName) {
    // The system's extraction trusts the file's tables: it reads only a file our own bounded
    // check found sound, so a broken or hostile one gives no icon instead of a fault.
    if (!CheckIconSourceFile(fileName).Ok()) return false;
    const std::wstring file = W(fileName);
    auto* const extract = Shell32().ExtractIconEx.Required();
    const UINT count = extract(file.c_str(), -1, nullptr, nullptr, 0);
    if (count == 0 || count == UINT_MAX) return false;
    ImageList1.Clear();
    for (UINT i = 0; i < count; ++i) {
        HICON large = nullptr;
        if (extract(file.c_str(), static_cast<int>(i), &large, nullptr, 1) == 0 || !large) continue;
        ImageList1.AddIcon(large);
        DestroyIcon(large);
    }
    const int held = ImageList1.Count();
    if (held == 0) return false;
    Panel1->SetCaption(IntToStr(held));
    ValueBox1->SetMax(held - 1);
    ValueBox1->SetValue(0);
    ValueBox1Change();
    return true;
}

void TExtIcon::ValueBox1Change() {
    const int index = ValueBox1->Value();
    if (index < 0 || index >= ImageList1.Count()) return;
    Image1->SetIcon(ImageList1.GetIcon(index));
}

namespace {

// Larger icons than this are drawn at the list's size: the import fits either to 32x32.
constexpr int kLargestPickedIcon = 1024;

// Icon `index` of the file at its own size: the entry nearest the system's icon size, never
// stretched. Null when it can't be extracted.
TIconHandle ExtractIconAtOwnSize(const std::wstring& file, int index, SIZE& size) {
    HICON icon = nullptr;
    UINT id = 0;
    if (PrivateExtractIconsW(file.c_str(), index, 0, 0, &icon, &id, 1, LR_DEFAULTCOLOR) != 1 || !icon) return {};
    TIconHandle owned(icon);
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return {};
    TGdiObject colour(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    if (!GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm)) return {};
    size = SIZE{bm.bmWidth, info.hbmColor ? bm.bmHeight : bm.bmHeight / 2};
    if (size.cx <= 0 || size.cy <= 0 || size.cx > kLargestPickedIcon || size.cy > kLargestPickedIcon) return {};
    return owned;
}

} // namespace

bool PickLibraryIconPicture(TForm* owner, const std::string& fileName, const std::function<TColor()>& background,
                            TBitmap& picture) {
    TExtIcon dialog(owner);
    if (!dialog.LoadIconsFromFile(fileName) || dialog.ShowModal() != mrOk || !dialog.Image1->Icon()) return false;
    const TColor fill = background();
    // The picked icon as the file holds it: the system's 32x32 extraction of a larger icon
    // samples the colours and the mask apart and loses pixels of the picture to the mask.
    // The list's numbers are the file's only while every icon of the file was taken.
    const std::wstring file = W(fileName);
    SIZE size{32, 32};
    TIconHandle own;
    auto* const extract = Shell32().ExtractIconEx.Required();
    if (extract(file.c_str(), -1, nullptr, nullptr, 0) == static_cast<UINT>(dialog.ImageList1.Count()))
        own = ExtractIconAtOwnSize(file, dialog.ValueBox1->Value(), size);
    if (!own) size = SIZE{32, 32};
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
