#include <gtest/gtest.h>

#include <cstring>

#include "base/Exception.h"
#include "base/Stream.h"
#include "ui/Application.h"
#include "ui/Button.h"
#include "ui/Canvas.h"
#include "ui/Form.h"
#include "ui/ImageList.h"
#include "ui/Menu.h"
#include "ui/Resource.h"

namespace {

// A 32x32 icon whose colour is c everywhere (opaque).
HICON SolidIcon(COLORREF c) {
    TDibSection colour(32, 32);
    for (int i = 0; i < 32 * 32; ++i) colour.Pixels()[i] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    std::vector<uint8_t> andBits(32 * 4, 0);
    HBITMAP mask = CreateBitmap(32, 32, 1, 1, andBits.data());
    ICONINFO ii{TRUE, 0, 0, mask, colour.Bitmap()};
    HICON icon = CreateIconIndirect(&ii);
    DeleteObject(mask);
    return icon;
}

// Presses D from a timer, inside the menu's own message loop.
void CALLBACK PressD(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = 'D';
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
}

// Presses S, then D: opens the submenu "&S" and chooses its item "&D".
void CALLBACK PressSThenD(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    INPUT in[4] = {};
    for (int i = 0; i < 4; ++i) {
        in[i].type = INPUT_KEYBOARD;
        in[i].ki.wVk = i < 2 ? 'S' : 'D';
        if (i % 2) in[i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(4, in, sizeof(INPUT));
}

COLORREF CentreOf(const TImageList& list, int index) {
    TDibSection target(32, 32);
    list.Draw(target.DC(), index, 0, 0);
    return target.PixelAt(16, 16);
}

} // namespace

TEST(ImageList, AddMoveReplaceAndDeleteKeepTheOrder) {
    TImageList list;
    const COLORREF colours[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
    for (COLORREF c : colours) {
        HICON icon = SolidIcon(c);
        list.AddIcon(icon);
        DestroyIcon(icon);  // the list keeps its own copy
    }
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(CentreOf(list, 2), RGB(0, 0, 255));
    list.Move(0, 2);  // red to the end
    EXPECT_EQ(CentreOf(list, 0), RGB(0, 255, 0));
    EXPECT_EQ(CentreOf(list, 2), RGB(255, 0, 0));
    HICON white = SolidIcon(RGB(255, 255, 255));
    list.ReplaceIcon(1, white);
    DestroyIcon(white);
    EXPECT_EQ(CentreOf(list, 1), RGB(255, 255, 255));
    list.Delete(0);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(CentreOf(list, 0), RGB(255, 255, 255));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(ImageList, ImagesAddedByTheirPixelsDrawAsTheSameIconsDoAndKeepTheirOrder) {
    // 300 images (more than one strip) added by their pixels, an icon among them: each solid in
    // a colour of its own with its right half masked. Each draws as the icon of the same bits.
    TImageList byPixels, byIcons;
    const auto colourOf = [](int i) { return RGB(i % 256, (i * 7) % 256, 255 - i % 256); };
    std::vector<uint32_t> colour(32 * 32);
    std::vector<uint8_t> mask(32 * 4);
    for (int y = 0; y < 32; ++y) mask[y * 4 + 2] = mask[y * 4 + 3] = 0xFF;
    for (int i = 0; i < 300; ++i) {
        const COLORREF c = colourOf(i);
        for (uint32_t& p : colour) p = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        if (i == 150) {
            HICON solid = SolidIcon(RGB(9, 9, 9));
            byPixels.AddIcon(solid);
            byIcons.AddIcon(solid);
            DestroyIcon(solid);
        }
        byPixels.AddPixels(colour.data(), mask.data(), 4);
        TDibSection bits(32, 32);
        std::memcpy(bits.Pixels(), colour.data(), 4 * colour.size());
        HBITMAP andMask = CreateBitmap(32, 32, 1, 1, mask.data());
        ICONINFO ii{TRUE, 0, 0, andMask, bits.Bitmap()};
        HICON icon = CreateIconIndirect(&ii);
        byIcons.AddIcon(icon);
        DestroyIcon(icon);
        DeleteObject(andMask);
    }
    ASSERT_EQ(byPixels.Count(), 301);
    ASSERT_EQ(byIcons.Count(), 301);
    for (int i : {0, 149, 150, 151, 255, 256, 257, 300}) {
        SCOPED_TRACE(i);
        TDibSection a(32, 32), b(32, 32);
        for (TDibSection* d : {&a, &b})
            for (int k = 0; k < 32 * 32; ++k) d->Pixels()[k] = 0xFFFFFF;
        byPixels.Draw(a.DC(), i, 0, 0);
        byIcons.Draw(b.DC(), i, 0, 0);
        EXPECT_EQ(a.PixelAt(8, 16), b.PixelAt(8, 16));
        EXPECT_EQ(a.PixelAt(24, 16), b.PixelAt(24, 16));
    }
    const int first = 0, last = 300;
    const COLORREF c0 = colourOf(first), c299 = colourOf(299);
    EXPECT_EQ(CentreOf(byPixels, 150), RGB(9, 9, 9));
    TDibSection a(32, 32);
    byPixels.Draw(a.DC(), first, 0, 0);
    EXPECT_EQ(a.PixelAt(8, 8), c0);
    byPixels.Draw(a.DC(), last, 0, 0);
    EXPECT_EQ(a.PixelAt(8, 8), c299);
    // A clear drops what waits as well.
    byPixels.AddPixels(colour.data(), mask.data(), 4);
    byPixels.Clear();
    EXPECT_EQ(byPixels.Count(), 0);
}

TEST(SpeedButton, ButtonsOfAGroupActAsRadioButtons) {
    TApplication::Instance().Initialize();
    TForm form("F", "f", 200, 100);
    TSpeedButton a(&form, "Play", "再生"), b(&form, "Stop", "停止"), lone(&form, "Rep", "R");
    a.SetGroupIndex(1);
    b.SetGroupIndex(1);
    int clicks = 0;
    b.OnClick = [&](TControl*) { ++clicks; };
    a.SetDown(true);
    b.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    b.Perform(WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(b.Down());
    EXPECT_FALSE(a.Down());
    b.SetDown(false);  // the last one down stays down unless all may be up
    EXPECT_TRUE(b.Down());
    lone.SetDown(true);  // no group: never stays down
    EXPECT_FALSE(lone.Down());
}

TEST(PopupMenu, ItemsAreFoundByNameAndTheChosenOneRuns) {
    TApplication::Instance().Initialize();
    TForm form("F", "f", 200, 100);
    form.ShowForm();
    TPopupMenu menu("PopupMenu1");
    TMenuItem* edit = menu.Add("Edit1", "イメージの編集(&E)");
    menu.AddSeparator();
    TMenuItem* del = menu.Add("Delete1", "リストから削除(&D)");
    EXPECT_EQ(menu.Item("Delete1"), del);
    EXPECT_EQ(menu.Item("Nothing"), nullptr);
    int popups = 0, edits = 0, deletes = 0;
    menu.OnPopup = [&](TControl*) {
        ++popups;
        edit->Enabled = false;  // the popup handler decides what is enabled
    };
    edit->OnClick = [&](TControl*) { ++edits; };
    del->OnClick = [&](TControl*) { ++deletes; };
    // The accelerator of the enabled item chooses it inside the menu loop.
    SetTimer(form.Handle(), 77, 50, PressD);
    menu.Popup(form.Handle(), 50, 50);
    KillTimer(form.Handle(), 77);
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(edits, 0);
    EXPECT_EQ(deletes, 1);
}

TEST(PopupMenu, SubmenuItemsAreFoundAndChosen) {
    TApplication::Instance().Initialize();
    TForm form("F", "f", 200, 100);
    form.ShowForm();
    TPopupMenu menu("PopupMenu3");
    menu.Add("Top1", "上(&T)");
    TMenuItem* sub = menu.Add("Sub1", "貼り付け(&S)");
    TMenuItem* first = sub->Add("Insert1", "挿入(&I)");
    TMenuItem* deep = sub->Add("Group1", "すべて(&A)")->Add("N25", "そのまま");
    TMenuItem* chosen = sub->Add("PasteColor", "上書き(&D)");
    EXPECT_EQ(menu.Item("Insert1"), first);
    EXPECT_EQ(menu.Item("N25"), deep);
    int firsts = 0, chosens = 0;
    first->OnClick = [&](TControl*) { ++firsts; };
    chosen->OnClick = [&](TControl*) { ++chosens; };
    SetTimer(form.Handle(), 78, 50, PressSThenD);
    menu.Popup(form.Handle(), 50, 50);
    KillTimer(form.Handle(), 78);
    EXPECT_EQ(firsts, 0);
    EXPECT_EQ(chosens, 1);
}

TEST(ResourceStream, ReadsAResourceOfTheModuleAndRefusesAMissingOne) {
    TResourceStream s(GetModuleHandleW(nullptr), "TESTDATA", "DATA");
    ASSERT_EQ(s.Size(), 5);
    char buf[6] = {};
    s.ReadBuffer(buf, 5);
    EXPECT_STREQ(buf, "hello");
    EXPECT_THROW(TResourceStream(GetModuleHandleW(nullptr), "NOPE", "DATA"), EFOpenError);
}

static int CALLBACK KeepFaceName(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<std::wstring*>(found) = font->lfFaceName;
    return 0;
}

// The system draws the caption buttons, menu check marks and arrows with the glyphs of its
// symbol font Marlett; without it every title bar shows the letters "0 1 r" instead.
TEST(SystemFonts, TheSymbolFontOfTheCaptionButtonsIsInstalled) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    wcscpy(wanted.lfFaceName, L"Marlett");
    std::wstring found;
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExW(dc, &wanted, KeepFaceName, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(found, L"Marlett");
}
