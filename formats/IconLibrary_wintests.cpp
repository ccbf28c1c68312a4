// Icon libraries read by the system's own loaders: the shell's icon extraction and the
// version information functions.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "base/Text.h"
#include "formats/IconLibrary.h"
#include "formats/IconTestImages.h"
#include "formats/IconWinTestSupport.h"
#include "formats/VersionBlock.h"

namespace {

std::string Query(const std::vector<uint8_t>& info, const wchar_t* key) {
    void* p = nullptr;
    UINT n = 0;
    if (!VerQueryValueW(info.data(), key, &p, &n) || !p) return "(absent)";
    return WideToUtf8(static_cast<const wchar_t*>(p));
}

} // namespace

TEST(IconLibraryWin, TheShellExtractsEveryIconAndReadsTheVersion) {
    CCURSOR red = BandedTestImage(), blue = BandedTestImage();
    blue.OutPixels.At(16, 0) = 3;  // blue where the band is red
    VersionValues v;
    v.Version[0] = 1;
    v.Version[1] = 2;
    v.Version[2] = 3;
    v.Version[3] = 2002;
    v.Items[0] = "作成日: 2026/12/10";
    v.Items[7] = "Icon resource library";
    v.Items[9] = VersionText(v.Version);
    for (const char* ext : {".icl", ".dll"}) {
        for (AniSaveMode mode : {AniSaveMode::Colours256, AniSaveMode::Colours16, AniSaveMode::Colours2}) {
            IconLibraryInput in;
            in.Images = {&red, &blue, &red};
            in.Names = {"赤", "青", "赤2"};
            in.SaveMode = mode;
            in.InsertVersion = true;
            in.Version = BuildVersionBlock(v);
            const std::string path = ::testing::TempDir() + "win_library" + ext;
            DeleteFileW(Wide(path).c_str());
            ASSERT_EQ(WriteIconLibrary(path, in), WriteResult::Written);
            const std::wstring wpath = Wide(path);
            EXPECT_EQ(ExtractIconExW(wpath.c_str(), -1, nullptr, nullptr, 0), 3u) << ext;
            for (int i = 0; i < 3; ++i) {
                HICON icon = nullptr;
                UINT id = 0;
                ASSERT_EQ(PrivateExtractIconsW(wpath.c_str(), i, 32, 32, &icon, &id, 1, 0), 1u) << i;
                ASSERT_NE(icon, nullptr);
                Dc dc;
                dc.Draw(icon);
                EXPECT_EQ(GetPixel(dc.Handle, 1, 1), RGB(0, 255, 0)) << i;  // masked corner
                const COLORREF band = mode == AniSaveMode::Colours2 ? RGB(0, 0, 0) : i == 1 ? RGB(0, 0, 255) : RGB(255, 0, 0);
                EXPECT_EQ(GetPixel(dc.Handle, 16, 0), band) << i << " mode " << static_cast<int>(mode);
                DestroyIcon(icon);
            }

            DWORD handle = 0;
            const DWORD size = GetFileVersionInfoSizeW(wpath.c_str(), &handle);
            ASSERT_GT(size, 0u);
            std::vector<uint8_t> info(size);
            ASSERT_TRUE(GetFileVersionInfoW(wpath.c_str(), 0, size, info.data()));
            VS_FIXEDFILEINFO* fixed = nullptr;
            UINT n = 0;
            ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &n));
            EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
            EXPECT_EQ(fixed->dwFileVersionMS, 0x00010002u);
            EXPECT_EQ(fixed->dwFileVersionLS, 0x000307D2u);
            WORD* translation = nullptr;
            ASSERT_TRUE(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &n));
            ASSERT_EQ(n, 4u);
            EXPECT_EQ(translation[0], 0x0411);
            EXPECT_EQ(translation[1], 0x03A4);
            EXPECT_EQ(Query(info, L"\\StringFileInfo\\041103A4\\FileVersion"), "1.2.3.2002");
            EXPECT_EQ(Query(info, L"\\StringFileInfo\\041103A4\\FileDescription"), "Icon resource library");
            EXPECT_EQ(Query(info, L"\\StringFileInfo\\041103A4\\Comments"), "作成日: 2026/12/10");
            EXPECT_EQ(Query(info, L"\\StringFileInfo\\041103A4\\CompanyName"), "");
        }
    }
}
