// The files our writers make, opened by the system's own loaders.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Stream.h"
#include "base/Text.h"
#include "formats/AniFile.h"
#include "formats/AniTestSupport.h"
#include "formats/MonoCursor.h"

namespace {

using namespace anitest;
using GetCursorFrameInfoFn = HCURSOR(WINAPI*)(HCURSOR, DWORD, DWORD, DWORD*, DWORD*);

// An image: red everywhere, a transparent (masked black) left column, a white pixel at (31, 31).
CCURSOR RedImage(uint8_t hotX, uint8_t hotY) {
    CCURSOR c;
    c.OutPalette[1] = TRGBQuad{0, 0, 255, 0};
    c.OutPalette[2] = TRGBQuad{255, 255, 255, 0};
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            c.OutPixels.At(x, y) = x == 0 ? 0 : 1;
            c.OutPixels.SetMaskBit(x, y, x == 0);
        }
    c.OutPixels.At(31, 31) = 2;
    c.Palette = c.OutPalette;
    c.Pixels = c.OutPixels;
    c.HotX = hotX;
    c.HotY = hotY;
    return c;
}

std::string Temp(const char* name) { return ::testing::TempDir() + name; }

struct Drawn {
    std::vector<uint32_t> Pixels;  // 0x00RRGGBB, top row first
    uint32_t At(int x, int y) const { return Pixels[y * 32 + x] & 0xFFFFFF; }
};

// Draws an icon or cursor onto a 32x32 surface filled with the background colour.
Drawn Draw(HICON icon, uint32_t background) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = 32;
    bi.bmiHeader.biHeight = -32;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bmp);
    auto* px = static_cast<uint32_t*>(bits);
    for (int i = 0; i < 1024; ++i) px[i] = background;
    EXPECT_TRUE(DrawIconEx(dc, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL));
    GdiFlush();
    Drawn d{std::vector<uint32_t>(px, px + 1024)};
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    return d;
}

POINT Hotspot(HICON icon) {
    ICONINFO info{};
    EXPECT_TRUE(GetIconInfo(icon, &info));
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    EXPECT_FALSE(info.fIcon);
    return POINT{static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)};
}

TEST(AniWine, LoadsEveryStepWithItsRateHotspotAndPixels) {
    auto frameInfo = reinterpret_cast<GetCursorFrameInfoFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetCursorFrameInfo")));
    ASSERT_NE(frameInfo, nullptr);
    CCURSOR a = RedImage(1, 2), b = RedImage(20, 30), c = RedImage(31, 0);
    const AniSaveMode modes[] = {AniSaveMode::Colours256, AniSaveMode::Colours16, AniSaveMode::Colours2};
    for (AniSaveMode mode : modes) {
        for (bool mono : {false, true}) {
            AniWriteInput in = InputFor({&a, &b, &c});
            in.SaveMode = mode;
            in.InsertInfo = true;
            in.Title = "テスト";
            in.InsertFram = true;
            // Wine keeps one delay per image, so every image is shown by one step here.
            in.FrameImages = {2, 0, 1};
            in.FrameSpeeds = {3, 7, 60};
            in.InsertMonoCur = mono;
            in.MonoCursor = TestMonoRecord();
            std::string path = Temp("wine.ani");
            ASSERT_EQ(WriteAniFile(path, in), WriteResult::Written);
            HCURSOR cur = LoadCursorFromFileW(Utf8ToWide(path).c_str());
            ASSERT_NE(cur, nullptr) << int(mode) << mono;
            const CCURSOR* images[] = {&a, &b, &c};
            for (DWORD step = 0; step < 3; ++step) {
                DWORD rate = 0, steps = 0;
                HCURSOR frame = frameInfo(cur, 0, step, &rate, &steps);
                ASSERT_NE(frame, nullptr) << step;
                EXPECT_EQ(steps, 3u);
                EXPECT_EQ(rate, static_cast<DWORD>(in.FrameSpeeds[step])) << step;
                const CCURSOR& img = *images[in.FrameImages[step]];
                POINT hot = Hotspot(frame);
                EXPECT_EQ(hot.x, img.HotX) << step;
                EXPECT_EQ(hot.y, img.HotY) << step;
                Drawn d = Draw(frame, 0x00336699);
                EXPECT_EQ(d.At(0, 5), 0x336699u) << "transparent column, mode " << int(mode);
                EXPECT_EQ(d.At(31, 31), 0xFFFFFFu);
                // red in 256 and 16 colours, the nearer of black and white in two
                EXPECT_EQ(d.At(10, 10), mode == AniSaveMode::Colours2 ? 0x000000u : 0xFF0000u);
            }
            DestroyCursor(cur);
            DeleteFileUtf8(path);
        }
    }
}

TEST(AniWine, LoadsAFileWithoutFrameTablesAsTheImagesInOrder) {
    CCURSOR a = RedImage(3, 4), b = RedImage(5, 6);
    AniWriteInput in = InputFor({&a, &b});
    in.DefaultRate = 9;
    std::string path = Temp("plain.ani");
    ASSERT_EQ(WriteAniFile(path, in), WriteResult::Written);
    HCURSOR cur = LoadCursorFromFileW(Utf8ToWide(path).c_str());
    ASSERT_NE(cur, nullptr);
    auto frameInfo = reinterpret_cast<GetCursorFrameInfoFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetCursorFrameInfo")));
    DWORD rate = 0, steps = 0;
    HCURSOR second = frameInfo(cur, 0, 1, &rate, &steps);
    EXPECT_EQ(steps, 2u);
    EXPECT_EQ(rate, 9u);
    EXPECT_EQ(Hotspot(second).x, 5);
    DestroyCursor(cur);
    DeleteFileUtf8(path);
}

TEST(MonoCurWine, TwoColourFileLoadsWithItsHotspotAndMask) {
    MonoCursorRecord rec = TestMonoRecord();
    std::string path = Temp("mono.cur");
    ASSERT_TRUE(WriteMonoCurFile(path, rec, 7, 8));
    HCURSOR byFile = LoadCursorFromFileW(Utf8ToWide(path).c_str());
    ASSERT_NE(byFile, nullptr);
    EXPECT_EQ(Hotspot(byFile).x, 7);
    EXPECT_EQ(Hotspot(byFile).y, 8);
    DestroyCursor(byFile);
    HANDLE img = LoadImageW(nullptr, Utf8ToWide(path).c_str(), IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE);
    ASSERT_NE(img, nullptr);
    Drawn d = Draw(static_cast<HICON>(img), 0x00336699);
    EXPECT_EQ(d.At(5, 5), 0x000000u);    // the black diagonal
    EXPECT_EQ(d.At(21, 2), 0xFFFFFFu);   // the white block
    EXPECT_EQ(d.At(10, 20), 0x336699u);  // the screen
    DestroyCursor(static_cast<HCURSOR>(img));
    DeleteFileUtf8(path);
}

TEST(MonoCurWine, TemplatesLoadAsCursorsWithTheirHotspots) {
    std::vector<uint8_t> data;
    ASSERT_TRUE(ReadWholeFile(std::string(TAMSOLO_SOURCE_DIR) + "/resources/CurData.bin", data, 1 << 20));
    for (int n = 0; n < kMonoTemplateCount; ++n) {
        MonoCursorRecord rec;
        ASSERT_TRUE(LoadMonoTemplate(data.data(), data.size(), n, rec));
        const MonoTemplateInfo& t = kMonoTemplates[n];
        std::string path = Temp("template.cur");
        ASSERT_TRUE(WriteMonoCurFile(path, rec, t.HotX, t.HotY));
        HCURSOR cur = LoadCursorFromFileW(Utf8ToWide(path).c_str());
        ASSERT_NE(cur, nullptr) << t.Name;
        POINT hot = Hotspot(cur);
        EXPECT_EQ(hot.x, t.HotX) << t.Name;
        EXPECT_EQ(hot.y, t.HotY) << t.Name;
        Drawn d = Draw(cur, 0x00336699);
        EXPECT_NE(d.At(t.HotX, t.HotY), 0x336699u) << t.Name << ": the hotspot is on the drawing";
        DestroyCursor(cur);
        DeleteFileUtf8(path);
    }
}

} // namespace
