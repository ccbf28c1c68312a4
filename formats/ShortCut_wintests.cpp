// Shortcut files: links made here through the shell's own IShellLinkW are read back, and
// links the component writes are read through IShellLinkW and from their header. (Wine's
// link object neither reports a stored show command nor keeps targets longer than MAX_PATH,
// so those two are not checked here.)
#include "formats/ShortCut.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "formats/PluginTestSupport.h"

namespace {

struct TCom {
    TCom() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~TCom() { CoUninitialize(); }
};

// A link to target made through the shell's link object; false when the shell refused.
bool MakeLink(const std::string& link, const std::string& target, int showCmd = SW_SHOWNORMAL,
              const std::string& description = "") {
    TCom com;
    IShellLinkW* l = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&l))))
        return false;
    bool ok = SUCCEEDED(l->SetPath(Utf8ToWide(target).c_str())) && SUCCEEDED(l->SetShowCmd(showCmd)) &&
              SUCCEEDED(l->SetDescription(Utf8ToWide(description).c_str()));
    IPersistFile* f = nullptr;
    ok = ok && SUCCEEDED(l->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&f))) &&
         SUCCEEDED(f->Save(Utf8ToWide(link).c_str(), TRUE));
    if (f) f->Release();
    l->Release();
    return ok;
}

TEST(ShortCut, ReadsTheTargetAndShowCommandOfALinkTheShellMade) {
    const std::string dir = FreshFolder("tamsolo-lnk-read");
    const std::string target = dir + "\\ｱｲｺﾝ.ico";
    WriteBytes(target, {0, 0, 1, 0});
    ASSERT_TRUE(MakeLink(dir + "\\icon.lnk", target, SW_SHOWNORMAL, "説明"));
    TMakeShortCut sc;
    sc.SCShowCmd = TShowMode::tsMax;
    sc.SCFileName = dir + "\\icon.lnk";
    EXPECT_EQ(sc.SCLoad(), TShortCutLoad::Loaded);
    EXPECT_EQ(sc.SCExecFile, target);
    EXPECT_EQ(sc.SCDescription, "説明");
    EXPECT_EQ(sc.SCShowCmd, TShowMode::tsNormal);

    sc.SCFileName = dir + "\\missing.lnk";
    EXPECT_EQ(sc.SCLoad(), TShortCutLoad::Failed);
    EXPECT_EQ(sc.SCExecFile, "");
    WriteBytes(dir + "\\broken.lnk", {'L', 0, 0, 0, 1, 2, 3});
    sc.SCFileName = dir + "\\broken.lnk";
    EXPECT_EQ(sc.SCLoad(), TShortCutLoad::Failed);
}

TEST(ShortCut, WritesLinksTheShellReadsBack) {
    const std::string dir = FreshFolder("tamsolo-lnk-write");
    WriteBytes(dir + "\\t.ico", {0, 0, 1, 0});
    TMakeShortCut sc;
    sc.SCFileName = dir + "\\made.lnk";
    sc.SCExecFile = dir + "\\t.ico";
    sc.SCDescription = "カーソル";
    sc.SCArguments = "/x";
    sc.SCWorkDir = dir;
    sc.SCShowCmd = TShowMode::tsMin;
    ASSERT_TRUE(sc.SCSave());

    TCom com;
    IShellLinkW* l = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                           reinterpret_cast<void**>(&l))));
    IPersistFile* f = nullptr;
    ASSERT_TRUE(SUCCEEDED(l->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&f))));
    ASSERT_TRUE(SUCCEEDED(f->Load(Utf8ToWide(sc.SCFileName).c_str(), STGM_READ)));
    wchar_t buf[MAX_PATH];
    ASSERT_TRUE(SUCCEEDED(l->GetPath(buf, MAX_PATH, nullptr, 0)));
    EXPECT_EQ(WideToUtf8(buf), sc.SCExecFile);
    ASSERT_TRUE(SUCCEEDED(l->GetDescription(buf, MAX_PATH)));
    EXPECT_EQ(WideToUtf8(buf), "カーソル");
    ASSERT_TRUE(SUCCEEDED(l->GetArguments(buf, MAX_PATH)));
    EXPECT_EQ(WideToUtf8(buf), "/x");
    f->Release();
    l->Release();
    // The show command as the file's header stores it (offset 60 of the 76-byte header).
    HANDLE file = CreateFileW(Utf8ToWide(sc.SCFileName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    uint8_t header[76] = {};
    DWORD got = 0;
    ReadFile(file, header, sizeof header, &got, nullptr);
    CloseHandle(file);
    ASSERT_EQ(got, sizeof header);
    EXPECT_EQ(header[0], 0x4C);
    EXPECT_EQ(header[60], SW_SHOWMINNOACTIVE);
}

} // namespace
