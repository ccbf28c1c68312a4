#include "app/ExtIcon.h"

#include <shellapi.h>

#include "base/Format.h"
#include "formats/IconSourceCheck.h"
#include "ui/Canvas.h"

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
    const UINT count = ExtractIconExW(file.c_str(), -1, nullptr, nullptr, 0);
    if (count == 0 || count == UINT_MAX) return false;
    ImageList1.Clear();
    for (UINT i = 0; i < count; ++i) {
        HICON large = nullptr;
        if (ExtractIconExW(file.c_str(), static_cast<int>(i), &large, nullptr, 1) == 0 || !large) continue;
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

bool PickLibraryIconPicture(TForm* owner, const std::string& fileName, const std::function<TColor()>& background,
                            TBitmap& picture) {
    TExtIcon dialog(owner);
    if (!dialog.LoadIconsFromFile(fileName) || dialog.ShowModal() != mrOk || !dialog.Image1->Icon()) return false;
    const TColor fill = background();
    TDibSection dib(32, 32);
    TGdiObject brush(CreateSolidBrush(ColorToRGB(fill)));
    RECT all{0, 0, 32, 32};
    FillRect(dib.DC(), &all, static_cast<HBRUSH>(brush.Get()));
    DrawIconEx(dib.DC(), 0, 0, dialog.Image1->Icon(), 32, 32, 0, nullptr, DI_NORMAL);
    picture = TBitmap(32, 32, TPixelFormat::pf24bit);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) picture.SetPixel(x, y, static_cast<TColor>(dib.PixelAt(x, y)));
    return true;
}
