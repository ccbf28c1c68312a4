// The plug-in loader against plug-in modules built for the tests.
#include "formats/Spiload.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "formats/PluginTestSupport.h"

namespace {

#if defined(__i386__)
// The head of this thread's exception chain.
void* ChainHead() {
    void* head;
    __asm__ __volatile__("movl %%fs:0, %0" : "=r"(head) : : "memory");
    return head;
}
#endif

// A plug-in folder holding copies of the given variants.
std::string PluginFolder(const std::string& leaf, const std::vector<std::string>& variants) {
    const std::string dir = FreshFolder(leaf);
    for (const std::string& v : variants)
        EXPECT_TRUE(CopyFileW(Utf8ToWide(TestPlugin(v)).c_str(), Utf8ToWide(dir + "\\testspi_" + v + ".spi").c_str(),
                              FALSE))
            << v;
    return dir;
}

void ExpectTestPicture(const TBitmap& b, int width, int height) {
    ASSERT_EQ(b.Width(), width);
    ASSERT_EQ(b.Height(), height);
    ASSERT_EQ(b.PixelFormat(), TPixelFormat::pf8bit);
    ASSERT_EQ(b.Colors().size(), 256u);
    EXPECT_EQ(b.Colors()[10].Red, 10);
    EXPECT_EQ(b.Colors()[10].Green, 245);
    EXPECT_EQ(b.Colors()[10].Blue, 50);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) ASSERT_EQ(b.PixelIndex(x, y), TestPictureIndex(x, y)) << x << "," << y;
}

TEST(Spiload, ListsOnlyModulesWithIsSupportedAndGetPictureAndForgetsThemForAnEmptyFolder) {
    TSpiload spi;
    spi.SpiPathName = PluginFolder("tamsolo-spi-scan", {"full", "nopicture", "noinfo"}) + "\\";
    spi.set_spipath();
    std::vector<std::string> names = spi.PluginNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"testspi_full.spi", "testspi_noinfo.spi"}));

    const std::string pictures = FreshFolder("tamsolo-spi-pictures");
    const std::string jpg = WriteTestPicture(pictures + "\\p.JPG", 8, 8);
    EXPECT_TRUE(spi.set_file(jpg));
    spi.SpiPathName = FreshFolder("tamsolo-spi-empty");
    spi.set_spipath();
    EXPECT_EQ(spi.PluginCount(), 0);
    EXPECT_FALSE(spi.set_file(jpg));
    EXPECT_FALSE(spi.load());
    spi.SpiPathName = "";
    spi.set_spipath();
    EXPECT_EQ(spi.PluginCount(), 0);
}

TEST(Spiload, DecodesThroughThePlugInWithOrWithoutGetPictureInfo) {
    const std::string pictures = FreshFolder("tamsolo-spi-decode");
    const std::string file = WriteTestPicture(pictures + "\\picture.tst", 40, 21);
    for (const char* variant : {"full", "noinfo"}) {
        SCOPED_TRACE(variant);
        TSpiload spi;
        spi.SpiPathName = PluginFolder(std::string("tamsolo-spi-") + variant, {variant});
        spi.set_spipath();
        ASSERT_EQ(spi.PluginCount(), 1);
        ASSERT_TRUE(spi.set_file(file));
        ASSERT_TRUE(spi.load());
        ASSERT_NE(spi.Result(), nullptr);
        ExpectTestPicture(*spi.Result(), 40, 21);
        EXPECT_EQ(spi.color_bit, 8);
        spi.clean();
        EXPECT_EQ(spi.Result(), nullptr);
    }
}

TEST(Spiload, RefusesFilesNoPlugInTakesAndSurvivesPlugInsThatFailOrFault) {
    const std::string pictures = FreshFolder("tamsolo-spi-fail");
    const std::string file = WriteTestPicture(pictures + "\\picture.tst", 16, 16);
    WriteBytes(pictures + "\\other.tst", {'N', 'O', 'P', 'E', 1, 1});
    {
        TSpiload spi;
        spi.SpiPathName = PluginFolder("tamsolo-spi-refuse", {"full"});
        spi.set_spipath();
        EXPECT_FALSE(spi.set_file(pictures + "\\other.tst"));
        EXPECT_FALSE(spi.set_file(pictures + "\\missing.tst"));  // not opened, never asked
        EXPECT_FALSE(spi.load());
    }
    for (const char* variant : {"failing", "crashing"}) {
        SCOPED_TRACE(variant);
        TSpiload spi;
        spi.SpiPathName = PluginFolder(std::string("tamsolo-spi-") + variant, {variant});
        spi.set_spipath();
        ASSERT_TRUE(spi.set_file(file));
        EXPECT_FALSE(spi.load());
        EXPECT_EQ(spi.Result(), nullptr);
        EXPECT_FALSE(spi.load());  // and again: the loader stays usable
    }
}

TEST(Spiload, AFaultingPlugInLeavesTheNextImportWorkingAndTheExceptionChainWhole) {
    const std::string pictures = FreshFolder("tamsolo-spi-after-fault");
    const std::string file = WriteTestPicture(pictures + "\\picture.tst", 12, 9);
#if defined(__i386__)
    void* const chain = ChainHead();
#endif
    TSpiload spi;
    spi.SpiPathName = PluginFolder("tamsolo-spi-crash-then-good", {"crashing"});
    spi.set_spipath();
    ASSERT_TRUE(spi.set_file(file));
    EXPECT_FALSE(spi.load());
#if defined(__i386__)
    EXPECT_EQ(ChainHead(), chain);
#endif
    // The frames between the guard and the fault were unwound: the plug-in's cleanup ran once.
    HMODULE crashing = GetModuleHandleW(L"testspi_crashing.spi");
    ASSERT_NE(crashing, nullptr);
    auto unwindCount = reinterpret_cast<LONG(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(crashing, "UnwindCount")));
    ASSERT_NE(unwindCount, nullptr);
    EXPECT_EQ(unwindCount(), 1);
    spi.SpiPathName = PluginFolder("tamsolo-spi-good-after-crash", {"full"});
    spi.set_spipath();
    ASSERT_TRUE(spi.set_file(file));
    ASSERT_TRUE(spi.load());
    ExpectTestPicture(*spi.Result(), 12, 9);
    // A fault after that one is caught as well: the guard is whole again.
    spi.SpiPathName = PluginFolder("tamsolo-spi-crash-again", {"crashing"});
    spi.set_spipath();
    ASSERT_TRUE(spi.set_file(file));
    EXPECT_FALSE(spi.load());
}

TEST(Spiload, APlugInThatHandlesItsOwnFaultStillGivesItsPicture) {
    const std::string pictures = FreshFolder("tamsolo-spi-selfguarded");
    const std::string file = WriteTestPicture(pictures + "\\picture.tst", 33, 7);
    TSpiload spi;
    spi.SpiPathName = PluginFolder("tamsolo-spi-selfguarded-plugin", {"selfguarded"});
    spi.set_spipath();
    ASSERT_TRUE(spi.set_file(file));
    ASSERT_TRUE(spi.load());
    ExpectTestPicture(*spi.Result(), 33, 7);
}

TEST(Spiload, ReadsBitmapsWithoutPlugInsInEverySpellingOfTheExtension) {
    const std::string dir = FreshFolder("tamsolo-spi-bmp");
    const std::string src = WinePath(std::string(TAMSOLO_SOURCE_DIR) + "/tests/data/im_bmp3_8bit.bmp");
    TSpiload spi;  // no plug-ins at all
    for (const char* name : {"a.bmp", "b.Bmp", "c.BMP"}) {
        const std::string path = dir + "\\" + name;
        ASSERT_TRUE(CopyFileW(Utf8ToWide(src).c_str(), Utf8ToWide(path).c_str(), FALSE));
        EXPECT_TRUE(spi.set_file(path)) << name;
        ASSERT_TRUE(spi.load()) << name;
        EXPECT_FALSE(spi.Result()->Empty());
    }
}

} // namespace
