// The icon picker on sound modules and icon files: the same list, counts and pixels as
// the system's own extraction gives, from our own reading of the file.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <chrono>
#include <cstdio>

#include "app/ExtIcon.h"
#include "app/ImportTestSupport.h"
#include "app/WinTestSupport.h"
#include "base/Text.h"
#include "formats/AniTestSupport.h"
#include "base/Stream.h"
#include "formats/HostileIconFiles.h"
#include "formats/IconLibrary.h"
#include "formats/IconTestImages.h"
#include "formats/PluginTestSupport.h"
#include "ui/Application.h"
#include "ui/Canvas.h"

namespace {

// Entry `index` of an image list drawn on a background.
std::vector<COLORREF> Drawn(const TImageList& list, int index, COLORREF background) {
    TDibSection dib(32, 32);
    TGdiObject brush(CreateSolidBrush(background));
    RECT all{0, 0, 32, 32};
    FillRect(dib.DC(), &all, static_cast<HBRUSH>(brush.Get()));
    list.Draw(dib.DC(), index, 0, 0);
    GdiFlush();
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) pixels.push_back(dib.PixelAt(x, y));
    return pixels;
}

// Our own libraries as the save command writes them: 256 and 16 colours.
std::vector<std::string> OurLibraries(const std::string& folder) {
    static const CCURSOR a = BandedTestImage(), b = anitest::PatternImage(3), c = anitest::PatternImage(5);
    std::vector<std::string> paths;
    for (AniSaveMode mode : {AniSaveMode::Colours256, AniSaveMode::Colours16}) {
        IconLibraryInput in;
        in.Images = {&a, &b, &c};
        in.Names = {"一", "two", "three"};
        in.SaveMode = mode;
        for (const char* ext : {".icl", ".dll"}) {
            const std::string path = folder + "lib" + std::to_string(static_cast<int>(mode)) + ext;
            EXPECT_EQ(WriteIconLibrary(path, in), WriteResult::Written) << path;
            paths.push_back(path);
        }
    }
    return paths;
}

struct IconPickerTest : ::testing::Test {
    void SetUp() override {
        TApplication::Instance().Initialize();
        folder = TempFolder("tamsolo-icon-picker") + "\\";
    }
    std::string folder;
};

TEST_F(IconPickerTest, ListsTheIconsOfSoundModulesAsTheSystemExtractsThem) {
    std::vector<std::string> sources = SoundIconSources();
    for (const char* icon : {"icotool_32bit.ico", "icotool_4bit.ico", "pillow_png.ico"}) sources.push_back(Fixture(icon));
    for (const std::string& lib : OurLibraries(folder)) sources.push_back(lib);
    for (const std::string& source : sources) {
        SCOPED_TRACE(source);
        const std::wstring file = W(source);
        const UINT count = ExtractIconExW(file.c_str(), -1, nullptr, nullptr, 0);
        ASSERT_GT(count, 0u);
        TExtIcon picker(nullptr);
        ASSERT_TRUE(picker.LoadIconsFromFile(source));
        ASSERT_EQ(picker.IconCount(), static_cast<int>(count));
        EXPECT_EQ(picker.Panel1->Caption(), std::to_string(count));
        EXPECT_EQ(picker.ValueBox1->Max(), static_cast<int>(count) - 1);
        // The system's icons as the picker once listed them.
        TImageList system(32, 32, true);
        for (UINT i = 0; i < count; ++i) {
            HICON large = nullptr;
            ASSERT_EQ(ExtractIconExW(file.c_str(), static_cast<int>(i), &large, nullptr, 1), 1u) << i;
            system.AddIcon(large);
            DestroyIcon(large);
        }
        int differing = 0;
        for (int i = 0; i < static_cast<int>(count); ++i)
            for (COLORREF background : {RGB(0, 128, 0), RGB(255, 0, 255)})
                if (Drawn(picker.ImageList1, picker.ListEntry(i), background) != Drawn(system, i, background)) {
                    ++differing;
                    ADD_FAILURE() << "icon " << i << " differs on " << std::hex << background;
                    break;
                }
        EXPECT_EQ(differing, 0);
    }
}

// About 0.3 s under Wine on a loaded machine; the limit is far above that, for a picker that
// decodes or makes icons again and again takes tens of seconds.
TEST_F(IconPickerTest, OpensOnShell32InAFewSeconds) {
    const auto start = std::chrono::steady_clock::now();
    TExtIcon picker(nullptr);
    ASSERT_TRUE(picker.LoadIconsFromFile("C:\\windows\\system32\\shell32.dll"));
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("shell32.dll: %d icons in %.0f ms\n", picker.IconCount(), ms);
    EXPECT_LT(ms, 5000);
    EXPECT_LE(picker.Work().Decodes, picker.IconCount());
}

// Thousands of icons that show one image cost one decode and one list entry, whether the
// image is large, small or broken (a broken one is remembered, and charged to the file).
TEST_F(IconPickerTest, DecodesEachImageOnceAndSharesItsEntryAmongItsIcons) {
    const std::vector<uint8_t> png = LargePngImage(0);
    const std::vector<uint8_t> cut(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(png.size() / 2));
    const struct {
        const char* Name;
        uint32_t Groups;
        std::vector<uint8_t> Image;
        uint8_t Side;
        bool Listed;
    } cases[] = {
        {"one_large_png.dll", 3000, png, 0, true},
        {"one_broken_png.dll", 20000, cut, 0, false},
        {"one_bitmap.dll", 20000, PaddedBitmapImage(0), 32, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::vector<uint8_t> module = ModuleOfGroupsNamingOneImage(c.Groups, c.Image, c.Side);
        const std::string path = folder + c.Name;
        ASSERT_TRUE(WriteWholeFile(path, module.data(), module.size()));
        TExtIcon picker(nullptr);
        EXPECT_EQ(picker.LoadIconsFromFile(path), c.Listed);
        EXPECT_EQ(picker.Work().Decodes, 1);
        EXPECT_EQ(picker.Work().EntriesMade, c.Listed ? 1 : 0);
        EXPECT_EQ(picker.Work().Pixels, c.Side ? uint64_t{c.Side} * c.Side : 65536u);
        if (!c.Listed) continue;
        EXPECT_EQ(picker.IconCount(), static_cast<int>(c.Groups));
        EXPECT_EQ(picker.ImageList1.Count(), 1);
        EXPECT_EQ(picker.Panel1->Caption(), std::to_string(c.Groups));
        EXPECT_EQ(picker.ListEntry(static_cast<int>(c.Groups) - 1), 0);
        picker.ValueBox1->SetValue(static_cast<int>(c.Groups) - 1);
        EXPECT_NE(picker.Image1->Icon(), nullptr);
    }
}

} // namespace
