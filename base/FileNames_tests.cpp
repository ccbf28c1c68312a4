#include "base/FileNames.h"

#include <gtest/gtest.h>

#include <set>

TEST(FileNames, RefusesNamesThatCannotBeCreated) {
    for (const char* bad : {"", ".", "..", "a<b", "a>b", "a:b", "a/b", "a\\b", "a*", "a?", "a\"b", "a|b", "trail.",
                            "trail ", "tab\t"})
        EXPECT_FALSE(IsValidFileName(bad)) << bad;
    for (const char* good : {"新しいフォルダ", "a b", ".hidden", "x.y", "カーソル(2)"})
        EXPECT_TRUE(IsValidFileName(good)) << good;
}

TEST(FileNames, ProposesTheFirstFreeNewFolderName) {
    std::set<std::string> taken;
    auto exists = [&](const std::string& n) { return taken.count(n) > 0; };
    EXPECT_EQ(ProposeNewFolderName(exists), "新しいフォルダ");
    taken.insert("新しいフォルダ");
    EXPECT_EQ(ProposeNewFolderName(exists), "新しいフォルダ(1)");
    taken.insert("新しいフォルダ(1)");
    taken.insert("新しいフォルダ(3)");
    EXPECT_EQ(ProposeNewFolderName(exists), "新しいフォルダ(2)");
    for (int i = 1; i <= 98; ++i) taken.insert("新しいフォルダ(" + std::to_string(i) + ")");
    EXPECT_EQ(ProposeNewFolderName(exists), "新しいフォルダ(99)");
}

TEST(FileNames, ATypedNameIsMeasuredAsThePathItBecomes) {
    const std::wstring folder = L"C:\\Users\\me\\Pictures";  // 20 characters, no separator at its end
    struct Case {
        const wchar_t* Folder;
        std::wstring Typed;
        std::size_t Length;
    } cases[] = {
        {folder.c_str(), L"walk.ani", 20 + 1 + 8},
        {L"C:\\Users\\me\\Pictures\\", L"walk.ani", 21 + 8},
        {folder.c_str(), L"sub\\walk.ani", 20 + 1 + 12},
        {folder.c_str(), L"D:\\walk.ani", 11},
        {folder.c_str(), L"Z:/tmp/walk.ani", 15},
        {folder.c_str(), L"\\\\server\\share\\walk.ani", 23},
        {folder.c_str(), L"\\walk.ani", 2 + 9},
        {L"\\\\server\\share\\sub", L"\\walk.ani", 14 + 9},
        {L"\\\\server\\share", L"/walk.ani", 14 + 9},
        {folder.c_str(), std::wstring(214, L'x').replace(0, 3, L"Z:\\"), 214},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(TypedPathLength(cases[i].Folder, cases[i].Typed), cases[i].Length) << "case " << i;
}

TEST(FileNames, TellsDeviceNamesFromFileNames) {
    for (const char* device : {"AUX", "aux.bmp", "C:\\pictures\\AUX.bmp", "C:\\pictures\\COM1.png", "COM9.tar.png",
                               "lpt1", "LPT0.ico", "C:/x/Con.ani", "PRN", "nul.lnk", "AUX .bmp", "C:\\x\\AUX:",
                               "C:AUX", "CONIN$", "conout$.txt", "COM\xC2\xB9.bmp", "\\\\.\\COM1", "\\\\.\\C:\\a.bmp",
                               "\\\\?\\GLOBALROOT\\Device\\Serial0", "//./pipe/x", "\\??\\COM1", "\\\\?\\COM1",
                               "\\\\?\\pipe\\x", "\\\\?\\unix\\tmp\\AUX.bmp"})
        EXPECT_TRUE(IsDeviceName(device)) << device;
    for (const char* file : {"AUX1.bmp", "AUXILIARY.png", "COM10.bmp", "COM.bmp", "LPT", "console.bmp",
                             "C:\\AUX\\picture.bmp", "my AUX.bmp", "C:\\x\\NULL.ico", "\\\\?\\C:\\x\\a.bmp",
                             "\\\\?\\UNC\\server\\share\\a.bmp", "\\\\?\\unix\\tmp\\a.bmp",
                             "\\\\?\\Volume{0a1b2c3d-0000-0000-0000-000000000000}\\a.ico", "\\\\server\\share\\a.bmp", "Z:\\tmp\\a.bmp", "",
                             "C:\\", "COMA.png"})
        EXPECT_FALSE(IsDeviceName(file)) << file;
}
