// Our .ico, .cur and .bmp output and the fixtures of independent tools, checked against
// the system's own loaders (LoadImageW, GetIconInfo, DrawIconEx).
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "formats/IconFile.h"
#include "formats/ImageWriters.h"
#include "formats/PictureImport.h"
#include "formats/IconTestImages.h"
#include "formats/IconWinTestSupport.h"

TEST(IconFileWin, WrittenCursorsLoadWithTheirHotspotAndPixels) {
    const CCURSOR image = BandedTestImage();
    for (AniSaveMode mode : {AniSaveMode::Colours256, AniSaveMode::Colours16, AniSaveMode::Colours2}) {
        const std::string path = ::testing::TempDir() + "win_written.cur";
        DeleteFileW(Wide(path).c_str());
        ASSERT_EQ(WriteIconFile(image, mode, path), WriteResult::Written);
        HANDLE h = LoadImageW(nullptr, Wide(path).c_str(), IMAGE_CURSOR, 32, 32, LR_LOADFROMFILE);
        ASSERT_NE(h, nullptr) << static_cast<int>(mode);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(static_cast<HICON>(h), &info));
        EXPECT_FALSE(info.fIcon);
        EXPECT_EQ(info.xHotspot, 6u);
        EXPECT_EQ(info.yHotspot, 9u);
        Dc dc;
        dc.Draw(static_cast<HICON>(h));
        EXPECT_EQ(GetPixel(dc.Handle, 1, 1), RGB(0, 255, 0));     // masked corner
        EXPECT_EQ(GetPixel(dc.Handle, 8, 0), RGB(255, 255, 255));  // white band
        if (mode != AniSaveMode::Colours2) {
            EXPECT_EQ(GetPixel(dc.Handle, 16, 0), RGB(255, 0, 0));
        }
        if (info.hbmColor) DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyCursor(static_cast<HCURSOR>(h));
        DeleteFileW(Wide(path).c_str());
    }
}

TEST(IconFileWin, WrittenIconsAndBitmapsLoad) {
    const CCURSOR image = BandedTestImage();
    const std::string ico = ::testing::TempDir() + "win_written.ico";
    DeleteFileW(Wide(ico).c_str());
    ASSERT_EQ(WriteIconFile(image, AniSaveMode::Colours256, ico), WriteResult::Written);
    HANDLE h = LoadImageW(nullptr, Wide(ico).c_str(), IMAGE_ICON, 32, 32, LR_LOADFROMFILE);
    ASSERT_NE(h, nullptr);
    Dc dc;
    dc.Draw(static_cast<HICON>(h));
    EXPECT_EQ(GetPixel(dc.Handle, 2, 2), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(dc.Handle, 31, 31), RGB(255, 0, 0));  // band (3 + 3) % 4 = 2
    DestroyIcon(static_cast<HICON>(h));
    DeleteFileW(Wide(ico).c_str());

    const std::pair<AniSaveMode, int> modes[] = {
        {AniSaveMode::Colours16, 4}, {AniSaveMode::Colours256, 8}, {AniSaveMode::Colours2, 1}};
    for (auto [mode, bits] : modes) {
        const std::string bmp = ::testing::TempDir() + "win_written.bmp";
        ASSERT_EQ(WriteBmpFile(image, mode, bmp), WriteResult::Written);
        HBITMAP b = static_cast<HBITMAP>(
            LoadImageW(nullptr, Wide(bmp).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
        ASSERT_NE(b, nullptr) << bits;
        DIBSECTION ds{};
        ASSERT_EQ(GetObjectW(b, sizeof ds, &ds), static_cast<int>(sizeof ds));
        EXPECT_EQ(ds.dsBm.bmWidth, 32);
        EXPECT_EQ(ds.dsBm.bmHeight, 32);
        EXPECT_EQ(ds.dsBm.bmBitsPixel, bits);
        HDC mem = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(mem, b);
        EXPECT_EQ(GetPixel(mem, 8, 0), RGB(255, 255, 255)) << bits;
        EXPECT_EQ(GetPixel(mem, 0, 0), RGB(0, 0, 0)) << bits;
        if (bits != 1) {
            EXPECT_EQ(GetPixel(mem, 0, 31), RGB(0, 0, 255)) << bits;
        }
        SelectObject(mem, old);
        DeleteDC(mem);
        DeleteObject(b);
        DeleteFileW(Wide(bmp).c_str());
    }
}

TEST(IconFileWin, OurReaderAgreesWithTheSystemOnIcotoolFiles) {
    for (const char* name : {"icotool_1bit.cur", "icotool_8bit.cur", "icotool_4bit.ico"}) {
        const std::string path = IconFixture(name);
        const bool cursor = std::string(name).find(".cur") != std::string::npos;
        HANDLE h = LoadImageW(nullptr, Wide(path).c_str(), cursor ? IMAGE_CURSOR : IMAGE_ICON, 32, 32, LR_LOADFROMFILE);
        ASSERT_NE(h, nullptr) << name;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(static_cast<HICON>(h), &info));
        TIconFile icons;
        ImportedImage im;
        ASSERT_EQ(ReadIconFile(path, icons, [](bool) { return RGB(0, 255, 0); }, im).Result, IconLoadResult::Loaded) << name;
        if (cursor) {
            EXPECT_EQ(static_cast<DWORD>(im.HotX), info.xHotspot) << name;
            EXPECT_EQ(static_cast<DWORD>(im.HotY), info.yHotspot) << name;
        }
        Dc dc;
        dc.Draw(static_cast<HICON>(h));
        TBitmap colour, mask;
        ASSERT_TRUE(icons.DecodeImage(icons.IconIndex, colour, mask, true));
        TBitmap shown = TIconFile::ComposePicture(colour, mask, clLime);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) ASSERT_EQ(static_cast<COLORREF>(shown.Pixel(x, y)), GetPixel(dc.Handle, x, y))
                << name << " at " << x << "," << y;
        if (info.hbmColor) DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(static_cast<HICON>(h));
    }
}
