// The save commands on a real window: the dialogs' filters, the save-mode dialog before
// every write, the writers chosen by filter index, and the failure message.
#include <windows.h>
#include <shellapi.h>
#include <dlgs.h>
#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "app/DropPanel.h"
#include "app/ImportTestSupport.h"
#include "app/MainWindowTestSupport.h"
#include "base/SaveFileTestSupport.h"
#include "base/ScopeGuard.h"
#include "base/SmallDiskTestSupport.h"
#include "formats/IconTestImages.h"
#include "formats/ImageWriters.h"
#include "ui/FileDialogs.h"
#include "ui/Registry.h"

namespace {

const char* const kCannotWrite = "何らかの原因でファイルを書きこめません。";

struct SaveTest : MainWindowTest {
    SaveTest() : MainWindowTest("tamsolo-save") {}
    void SetUp() override {
        MainWindowTest::SetUp();
        form->OptionsPage->NoDlgDisp->SetChecked(true);
        SendDrop(form->DropPanel1->Handle(), {Fixture("icotool_8bit.cur"), Fixture("icotool_4bit.ico"), Data("pil_1bit.bmp")});
        ASSERT_EQ(form->LastImage(), 2);
        // The save-mode box answers at once with `mode`; no file may exist yet when it shows.
        saveMode->OnShow = [this](TControl*) {
            ++modeShown;
            for (const std::string& f : expected) EXPECT_FALSE(FileExists(f)) << f;
            saveMode->SaveMode->SetItemIndex(mode);
            saveMode->SetModalResult(mrOk);
        };
        boxes.Calls.clear();
    }
    // Answers the save dialog with folder + name and the filter index; records the dialog.
    void Answer(const std::string& name, int index) {
        SetFileDialogHook([this, name, index](TFileDialog& d) {
            asked.push_back(d);
            d.FileName = folder + name;
            d.FilterIndex = index;
            return true;
        });
    }
    void Expect(std::vector<std::string> names) {
        expected.clear();
        for (const std::string& n : names) {
            expected.push_back(folder + n);
            DeleteFileUtf8(folder + n);
        }
    }
    // Saves into an empty folder of its own below the test's folder.
    void UseOwnFolder(const std::string& name) {
        folder += name + "\\";
        std::filesystem::remove_all(std::filesystem::path(W(folder)));
        std::filesystem::create_directory(std::filesystem::path(W(folder)));
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(W(folder))))
            names.push_back(U(e.path().filename().wstring()));
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string Text(const std::string& name) const {
        std::vector<uint8_t> bytes;
        EXPECT_TRUE(ReadWholeFile(folder + name, bytes, 1 << 20)) << name;
        return std::string(bytes.begin(), bytes.end());
    }
    void Put(const std::string& name, const std::string& bytes) {
        ASSERT_TRUE(WriteWholeFile(folder + name, bytes.data(), bytes.size())) << name;
    }
    void Save(bool document, const std::string& name, int index) {
        boxes.Calls.clear();
        Answer(name, index);
        if (document)
            form->SaveANIBtnClick();
        else
            form->SaveIconBtnClick();
    }
    void TypeIntoTheSystemsDialog(UINT_PTR& timer);
    int64_t SizeOf(const std::string& name) const {
        std::vector<uint8_t> bytes;
        return ReadWholeFile(folder + name, bytes, 1 << 20) ? static_cast<int64_t>(bytes.size()) : -1;
    }
    // Saves over files that already exist, each case through its command and filter index,
    // when no save can reach the disk: every old file keeps its bytes, no other file
    // appears, and each command says it could not write.
    struct Overwrite {
        bool Document;
        int Index;
        std::vector<std::string> Files;
    };
    // Every form of the current image, over one.*.
    static std::vector<Overwrite> ImageSaves() {
        return {{false, 1, {"one.ico"}}, {false, 2, {"one.cur"}}, {false, 3, {"one.bmp"}},
                {false, 4, {"one.png"}}, {false, 5, {"one.gif"}}};
    }
    void ExpectFailedSavesKeepTheOldFiles(const std::vector<Overwrite>& cases, const std::function<void()>& fillTheDisk) {
        std::vector<std::string> names;
        for (const Overwrite& c : cases) {
            for (const std::string& f : c.Files) {
                const std::string old(2238, static_cast<char>('a' + names.size()));
                ASSERT_TRUE(WriteWholeFile(folder + f, old.data(), old.size())) << f;
                names.push_back(f);
            }
        }
        fillTheDisk();
        expected.clear();
        for (const Overwrite& c : cases) {
            const std::string& first = c.Files[0];
            boxes.Calls.clear();
            modeShown = 0;
            Answer(c.Document ? "walk.txt" : "one.txt", c.Index);
            if (c.Document)
                form->SaveANIBtnClick();
            else
                form->SaveIconBtnClick();
            EXPECT_EQ(modeShown, 1) << first;
            ASSERT_EQ(boxes.Calls.size(), 1u) << first;
            EXPECT_EQ(boxes.Calls[0].Text, kCannotWrite) << first;
            EXPECT_EQ(boxes.Calls[0].Caption, c.Document ? "すべて保存" : "保存") << first;
            EXPECT_TRUE(boxes.Calls[0].Flags & MB_ICONWARNING) << first;
        }
        for (std::size_t i = 0; i < names.size(); ++i) {
            std::vector<uint8_t> bytes;
            ASSERT_TRUE(ReadWholeFile(folder + names[i], bytes, 1 << 20)) << names[i];
            EXPECT_EQ(bytes, std::vector<uint8_t>(2238, static_cast<uint8_t>('a' + i))) << names[i];
        }
        std::vector<std::string> left;
        for (const auto& e : std::filesystem::directory_iterator(folder)) left.push_back(e.path().filename().string());
        for (const std::string& n : names) std::erase(left, n);
        std::erase(left, "filler");
        EXPECT_EQ(left, std::vector<std::string>{});  // no temporary file stays
    }
    std::vector<TFileDialog> asked;
    std::vector<std::string> expected;
    int mode = 1;
    int modeShown = 0;
};

// The entries of a filter as the dialog's type box lists them: label, pattern.
std::vector<std::pair<std::string, std::string>> FilterEntries(const std::string& filter) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t bar; (bar = filter.find('|', start)) != std::string::npos; start = bar + 1)
        parts.push_back(filter.substr(start, bar - start));
    parts.push_back(filter.substr(start));
    std::vector<std::pair<std::string, std::string>> entries;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) entries.emplace_back(parts[i], parts[i + 1]);
    EXPECT_EQ(parts.size() % 2, 0u) << filter;
    return entries;
}

using Entries = std::vector<std::pair<std::string, std::string>>;

TEST_F(SaveTest, TheDialogsOfferTheirFiltersNamesAndTheLastFolder) {
    SetFileDialogHook([this](TFileDialog& d) {
        asked.push_back(d);
        return false;
    });
    form->SaveANIBtnClick();
    form->SaveIconBtnClick();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(FilterEntries(asked[0].Filter), (Entries{{"ｱﾆﾒｰｼｮﾝｶｰｿﾙ(*.ani)", "*.ani"},
                                                      {"ｱｲｺﾝﾗｲﾌﾞﾗﾘ(*.icl)", "*.icl"},
                                                      {"ﾀﾞｲﾅﾐｯｸﾘﾝｸﾗｲﾌﾞﾗﾘ(*.dll)", "*.dll"},
                                                      {"ﾏﾙﾁﾌﾟﾙﾈｯﾄﾜｰｸｸﾞﾗﾌｨｯｸｽ(ｱﾆﾒPNG)(*.mng)", "*.mng"},
                                                      {"アイコン連番(*.ico)", "*.ico"},
                                                      {"カーソル連番(*.cur)", "*.cur"},
                                                      {"ビットマップ連番(*.bmp)", "*.bmp"},
                                                      {"ｱﾆﾒｰｼｮﾝGIF(*.gif)", "*.gif"}}));
    EXPECT_EQ(asked[0].Title, "すべて保存");
    EXPECT_EQ(asked[0].DefaultExt, "ani");
    EXPECT_EQ(asked[0].FileName, "無題");
    EXPECT_EQ(FilterEntries(asked[1].Filter), (Entries{{"アイコン (*.ico)", "*.ico"},
                                                      {"カーソル(*.cur)", "*.cur"},
                                                      {"ビットマップ(*.bmp)", "*.bmp"},
                                                      {"ﾎﾟｰﾀﾌﾞﾙﾈｯﾄﾜｰｸｸﾞﾗﾌｨｯｸｽ(*.png)", "*.png"},
                                                      {"ｸﾞﾗﾌｨｯｸｲﾝﾀｰﾁｪﾝｼﾞﾌｫｰﾏｯﾄ(*.gif)", "*.gif"}}));
    EXPECT_EQ(asked[1].Title, "アイコン、カーソルの保存");
    EXPECT_EQ(asked[1].DefaultExt, "ico");
    EXPECT_EQ(asked[1].FileName, "pil_1bit");  // the current image's name
    for (const TFileDialog& d : asked) {
        EXPECT_EQ(d.InitialDir, form->Path());
        EXPECT_TRUE(d.OverwritePrompt);
        EXPECT_TRUE(d.HideReadOnly);
    }
    EXPECT_EQ(modeShown, 0);  // cancelled: nothing asked, nothing written
    EXPECT_TRUE(boxes.Calls.empty());
}

TEST_F(SaveTest, TheWholeDocumentIsWrittenByFilterIndexInTheChosenMode) {
    struct Case {
        int Index, Mode;
        std::vector<std::string> Files;
        int64_t Size;  // of each file, -1 unchecked
    } cases[] = {
        {1, 1, {"walk.ani"}, -1},
        {2, 1, {"walk.icl"}, -1},
        {3, 0, {"walk.dll"}, -1},
        {4, 1, {"walk.mng"}, -1},
        {8, 0, {"walk.gif"}, -1},
        {5, 0, {"walk_00.ico", "walk_01.ico", "walk_02.ico"}, 6 + 16 + 744},
        {6, 1, {"walk_00.cur", "walk_01.cur", "walk_02.cur"}, 6 + 16 + 2216},
        {7, 2, {"walk_00.bmp", "walk_01.bmp", "walk_02.bmp"}, 190},
        {7, 0, {"walk_00.bmp", "walk_01.bmp", "walk_02.bmp"}, 630},
    };
    version->Button2Click();  // a version block for the libraries
    form->FileOptionsPage->InsertVersion->SetChecked(true);
    for (const Case& c : cases) {
        Expect(c.Files);
        mode = c.Mode;
        modeShown = 0;
        Answer("walk.txt", c.Index);
        form->SaveANIBtnClick();
        EXPECT_EQ(modeShown, 1) << c.Index;
        for (const std::string& f : c.Files) {
            ASSERT_TRUE(FileExists(folder + f)) << f;
            if (c.Size >= 0) {
                EXPECT_EQ(SizeOf(f), c.Size) << f;
            }
        }
        EXPECT_TRUE(boxes.Calls.empty()) << c.Index;
    }
    EXPECT_EQ(form->Path(), folder);
    // The system's own loaders take what was written, with the images' hotspots.
    TCursorHandle ani(LoadCursorFromFileW(W(folder + "walk.ani").c_str()));
    EXPECT_TRUE(ani);
    HANDLE cur = LoadImageW(nullptr, W(folder + "walk_00.cur").c_str(), IMAGE_CURSOR, 32, 32, LR_LOADFROMFILE);
    ASSERT_TRUE(cur);
    ICONINFO ii{};
    ASSERT_TRUE(GetIconInfo(static_cast<HICON>(cur), &ii));
    EXPECT_EQ(ii.xHotspot, 31u);
    EXPECT_EQ(ii.yHotspot, 2u);
    DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    DestroyCursor(static_cast<HCURSOR>(cur));
    TIconHandle ico(static_cast<HICON>(LoadImageW(nullptr, W(folder + "walk_02.ico").c_str(), IMAGE_ICON, 32, 32, LR_LOADFROMFILE)));
    EXPECT_TRUE(ico);
    for (const char* lib : {"walk.icl", "walk.dll"}) {
        const std::wstring path = W(folder + lib);
        EXPECT_EQ(ExtractIconExW(path.c_str(), -1, nullptr, nullptr, 0), 3u) << lib;
        EXPECT_GT(GetFileVersionInfoSizeW(path.c_str(), nullptr), 0u) << lib;
    }
    std::vector<uint8_t> mng;
    ASSERT_TRUE(ReadWholeFile(folder + "walk.mng", mng, 1 << 20));
    EXPECT_EQ(std::string(mng.begin() + 1, mng.begin() + 4), "MNG");
    int frames = 0;
    for (std::size_t i = 0; i + 4 <= mng.size(); ++i) frames += std::string(mng.begin() + i, mng.begin() + i + 4) == "FRAM";
    EXPECT_EQ(frames, 3);  // one per image
    std::vector<uint8_t> gif;
    ASSERT_TRUE(ReadWholeFile(folder + "walk.gif", gif, 1 << 20));
    int images = 0;
    for (std::size_t i = 0; i + 3 <= gif.size(); ++i) images += gif[i] == 0x21 && gif[i + 1] == 0xF9 && gif[i + 2] == 4;
    EXPECT_EQ(images, 3);  // a control extension per image
    EXPECT_EQ(gif.back(), 0x3B);
}

TEST_F(SaveTest, TheCurrentImageIsWrittenByFilterIndex) {
    struct Case {
        int Index, Mode;
        std::string File;
        int64_t Size;
    } cases[] = {
        {1, 1, "one.ico", 6 + 16 + 2216},
        {2, 2, "one.cur", 6 + 16 + 304},
        {3, 1, "one.bmp", 2102},
        {3, 0, "one.bmp", 630},
        {4, 1, "one.png", -1},
        {5, 2, "one.gif", -1},
    };
    for (const Case& c : cases) {
        Expect({c.File});
        mode = c.Mode;
        modeShown = 0;
        Answer("one.png", c.Index);
        form->SaveIconBtnClick();
        EXPECT_EQ(modeShown, 1) << c.File;
        if (c.Size >= 0) {
            EXPECT_EQ(SizeOf(c.File), c.Size) << c.File;
        }
        EXPECT_TRUE(FileExists(folder + c.File)) << c.File;
    }
    std::vector<uint8_t> png;
    ASSERT_TRUE(ReadWholeFile(folder + "one.png", png, 1 << 20));
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
    std::vector<uint8_t> gif;
    ASSERT_TRUE(ReadWholeFile(folder + "one.gif", gif, 1 << 20));
    EXPECT_EQ(std::string(gif.begin(), gif.begin() + 6), "GIF89a");
    TBitmap written;
    written.LoadFromFile(folder + "one.bmp");
    EXPECT_EQ(written.Pixel(4, 0), clBlack);
    EXPECT_EQ(written.Pixel(0, 0), clWhite);
    EXPECT_TRUE(boxes.Calls.empty());
}

TEST_F(SaveTest, SavingOneImageIntoAnIconFileKeepsItsOtherImagesByteForByte) {
    // icotool's 16, 128 and 48 pixel 32-bit images; a 256-pixel one beside a small one; a
    // file of large images only.
    std::vector<uint8_t> three;
    ASSERT_TRUE(ReadWholeFile(Fixture("icotool_three.ico"), three, 1 << 20));
    const std::vector<StoredIconImage> icotool = StoredIconImages(three);
    ASSERT_EQ(icotool.size(), 3u);
    const StoredIconImage big = ThirtyTwoBitIconImage(256);
    struct Case {
        const char* Name;
        std::vector<uint8_t> Bytes;
    };
    const Case cases[] = {
        {"three.ico", three},
        {"with256.ico", IconFileOf({icotool[0], big})},
        {"large.ico", IconFileOf({icotool[1], big})},
    };
    mode = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        ASSERT_TRUE(WriteWholeFile(folder + c.Name, c.Bytes.data(), c.Bytes.size()));
        Answer(c.Name, 1);
        form->SaveIconBtnClick();
        std::vector<uint8_t> after;
        ASSERT_TRUE(ReadWholeFile(folder + c.Name, after, 1 << 24));
        const std::vector<StoredIconImage> old = StoredIconImages(c.Bytes), now = StoredIconImages(after);
        ASSERT_EQ(now.size(), old.size() + 1);
        for (std::size_t i = 0; i < old.size(); ++i) EXPECT_TRUE(now[i] == old[i]) << "image " << i;
        EXPECT_EQ(now.back().Side(), 32);
        EXPECT_EQ(now.back().Bytes.size(), 2216u);
    }
    EXPECT_TRUE(boxes.Calls.empty());
}

TEST_F(SaveTest, WritersThatFailReportThatTheFileCannotBeWritten) {
    struct Case {
        bool Document;
        int Index;
        std::string Name, Caption;
    } cases[] = {
        {true, 8, "no such folder\\anim.gif", "すべて保存"},
        {false, 5, "no such folder\\one.gif", "保存"},
        {true, 2, "no such folder\\lib.icl", "すべて保存"},
        {true, 3, "no such folder\\lib.dll", "すべて保存"},
        {true, 4, "no such folder\\anim.mng", "すべて保存"},
        {false, 4, "no such folder\\one.png", "保存"},
        {true, 1, "no such folder\\walk.ani", "すべて保存"},
        {true, 7, "no such folder\\walk.bmp", "すべて保存"},
        {false, 1, "no such folder\\one.ico", "保存"},
        {false, 3, "no such folder\\one.bmp", "保存"},
    };
    for (const Case& c : cases) {
        boxes.Calls.clear();
        modeShown = 0;
        Expect({c.Name});
        Answer(c.Name, c.Index);
        if (c.Document)
            form->SaveANIBtnClick();
        else
            form->SaveIconBtnClick();
        EXPECT_EQ(modeShown, 1) << c.Name;
        EXPECT_FALSE(FileExists(folder + c.Name)) << c.Name;
        ASSERT_FALSE(boxes.Calls.empty()) << c.Name;
        const TMessageBoxCall& box = boxes.Calls.back();
        EXPECT_EQ(box.Text, kCannotWrite) << c.Name;
        EXPECT_EQ(box.Caption, c.Caption) << c.Name;
        EXPECT_TRUE(box.Flags & MB_ICONWARNING) << c.Name;
    }
}

TEST_F(SaveTest, AFullDiskKeepsTheOldFilesAndSaysSo) {
    TSmallDisk disk;
    if (disk.Folder().empty()) GTEST_SKIP() << disk.Reason();
    folder = disk.Folder();
    std::vector<Overwrite> cases = ImageSaves();
    cases.push_back({true, 5, {"walk_00.ico", "walk_01.ico", "walk_02.ico"}});
    cases.push_back({true, 7, {"walk_00.bmp", "walk_01.bmp", "walk_02.bmp"}});
    cases.push_back({true, 1, {"walk.ani"}});
    ExpectFailedSavesKeepTheOldFiles(cases, [&] { ASSERT_TRUE(disk.Fill()); });
}

// Room for one more file on the disk: a numbered save of five images over an old set of
// three is one save, so the old set stays whole and no fourth file appears.
TEST_F(SaveTest, ANumberedSaveThatDoesNotFitKeepsTheOldSetAndSaysSo) {
    TSmallDisk disk;
    if (disk.Folder().empty()) GTEST_SKIP() << disk.Reason();
    SendDrop(form->DropPanel1->Handle(), {Fixture("icotool_8bit.cur"), Fixture("icotool_4bit.ico")});
    ASSERT_EQ(form->LastImage(), 4);
    folder = disk.Folder();
    ExpectFailedSavesKeepTheOldFiles({{true, 5, {"walk_00.ico", "walk_01.ico", "walk_02.ico"}},
                                      {true, 6, {"walk_00.cur", "walk_01.cur", "walk_02.cur"}},
                                      {true, 7, {"walk_00.bmp", "walk_01.bmp", "walk_02.bmp"}}},
                                     [&] { ASSERT_TRUE(disk.Fill(4096)); });
}

TEST_F(SaveTest, EverySaveThatRunsOutOfRoomKeepsTheOldFilesAndSaysSo) {
    UseOwnFolder("full");
    std::unique_ptr<TFullDiskScope> full;
    std::vector<Overwrite> cases = ImageSaves();
    cases.insert(cases.end(), {{true, 1, {"walk.ani"}},
                               {true, 2, {"walk.icl"}},
                               {true, 3, {"walk.dll"}},
                               {true, 4, {"walk.mng"}},
                               {true, 5, {"walk_00.ico", "walk_01.ico", "walk_02.ico"}},
                               {true, 6, {"walk_00.cur", "walk_01.cur", "walk_02.cur"}},
                               {true, 7, {"walk_00.bmp", "walk_01.bmp", "walk_02.bmp"}},
                               {true, 8, {"walk.gif"}}});
    ExpectFailedSavesKeepTheOldFiles(cases, [&] { full = std::make_unique<TFullDiskScope>(100, TFullSaveFile::Drop); });
}

// The save commands replace a file in place: a hidden file stays hidden, a read-only one
// is refused with the message and keeps its bytes (a numbered set with one such file is
// refused whole), a symbolic link keeps leading to the file it names, which gets the new
// bytes, and a file named like a temporary file is nobody's scratch.
TEST_F(SaveTest, SavesKeepWhatTheTargetFileWas) {
    THostFolder host("save-kept");
    if (host.Unix().empty()) GTEST_SKIP() << "no host shell";
    folder = host.Folder();
    auto attributes = [&](const std::string& name) { return GetFileAttributesW(W(folder + name).c_str()); };

    Put("one.bmp", "old");
    ASSERT_TRUE(SetFileAttributesW(W(folder + "one.bmp").c_str(), FILE_ATTRIBUTE_HIDDEN));
    Save(false, "one.txt", 3);
    EXPECT_TRUE(boxes.Calls.empty());
    EXPECT_EQ(SizeOf("one.bmp"), 2102);
    EXPECT_TRUE(attributes("one.bmp") & FILE_ATTRIBUTE_HIDDEN);

    Put("walk.ani", "old ani");
    Put("walk_00.bmp", "old 0");
    Put("walk_01.bmp", "old 1");
    for (const char* locked : {"walk.ani", "walk_01.bmp"})
        ASSERT_TRUE(SetFileAttributesW(W(folder + locked).c_str(), FILE_ATTRIBUTE_READONLY));
    for (int index : {1, 7}) {
        Save(true, "walk.txt", index);
        EXPECT_EQ(boxes.Calls.size(), 1u) << index;
        if (!boxes.Calls.empty()) {
            EXPECT_EQ(boxes.Calls[0].Text, kCannotWrite);
        }
    }
    EXPECT_EQ(Text("walk.ani"), "old ani");
    EXPECT_EQ(Text("walk_00.bmp"), "old 0");
    EXPECT_EQ(Text("walk_01.bmp"), "old 1");
    EXPECT_FALSE(FileExists(folder + "walk_02.bmp"));
    for (const char* locked : {"walk.ani", "walk_01.bmp"}) SetFileAttributesW(W(folder + locked).c_str(), FILE_ATTRIBUTE_NORMAL);

    ASSERT_EQ(host.Shell("mkdir real && printf old > real/kept.cur && ln -s real/kept.cur link.cur && echo ready"), "ready");
    Save(false, "link.txt", 2);
    EXPECT_TRUE(boxes.Calls.empty());
    EXPECT_EQ(SizeOf("real\\kept.cur"), 2238);
    EXPECT_EQ(host.Shell("test -L link.cur && echo link"), "link");

    Put("one.gif.~tmp", "mine");
    Put("one.gif.~tmp0", "mine too");
    Save(false, "one.txt", 5);
    EXPECT_TRUE(boxes.Calls.empty());
    EXPECT_GT(SizeOf("one.gif"), 0);
    EXPECT_EQ(Text("one.gif.~tmp"), "mine");
    EXPECT_EQ(Text("one.gif.~tmp0"), "mine too");
}

// A numbered set is one save: with a folder among its names, or one of its old files held
// open by another program that lets nobody move it, the message shows, every old file
// keeps its bytes, no new file appears and nothing else is left in the folder.
TEST_F(SaveTest, ANumberedSetThatCannotReplaceEveryFileKeepsEveryOldFile) {
    UseOwnFolder("set");
    const std::vector<std::string> names = {"x_00.ico", "x_01.ico", "x_02.ico"};
    auto expectOld = [&](const std::vector<std::string>& files) {
        ASSERT_EQ(boxes.Calls.size(), 1u);
        EXPECT_EQ(boxes.Calls[0].Text, kCannotWrite);
        EXPECT_EQ(boxes.Calls[0].Caption, "すべて保存");
        for (const std::string& f : files) EXPECT_EQ(Text(f), "old " + f) << f;
        EXPECT_EQ(Names(), names);
    };
    Put("x_00.ico", "old x_00.ico");
    Put("x_02.ico", "old x_02.ico");
    ASSERT_TRUE(CreateDirectoryW(W(folder + "x_01.ico").c_str(), nullptr));
    Save(true, "x.ico", 5);
    expectOld({"x_00.ico", "x_02.ico"});
    ASSERT_TRUE(RemoveDirectoryW(W(folder + "x_01.ico").c_str()));

    Put("x_01.ico", "old x_01.ico");
    const HANDLE held = CreateFileW(W(folder + "x_01.ico").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const TScopeExit release([held] { CloseHandle(held); });
    Save(true, "x.ico", 5);
    expectOld(names);
}

// The replace fails once the old file is gone from its name: the old file is put back;
// when it cannot be, the new bytes stay and the message says where, and where the old are.
TEST_F(SaveTest, ASaveWhoseReplaceFailsAfterTheTargetWentAsideKeepsTheOldOrTheNewBytes) {
    UseOwnFolder("steps");
    Put("one.bmp", "old");
    mode = 1;
    {
        TFailingReplaceScope failing([](TReplaceStep step, const std::string&, int) { return step == TReplaceStep::In; });
        Save(false, "one.txt", 3);
    }
    ASSERT_EQ(boxes.Calls.size(), 1u);
    EXPECT_EQ(boxes.Calls[0].Text, kCannotWrite);
    EXPECT_EQ(Text("one.bmp"), "old");
    EXPECT_EQ(Names(), std::vector<std::string>{"one.bmp"});

    std::vector<std::string> left;
    {
        TFailingReplaceScope failing([](TReplaceStep step, const std::string&, int) { return step != TReplaceStep::Aside; });
        Save(false, "one.txt", 3);
    }
    ASSERT_EQ(boxes.Calls.size(), 1u);
    const std::string& text = boxes.Calls[0].Text;
    const std::string newLine = "\n保存した内容は次のファイルに残してあります。\n", oldLine = "\n元の内容は次のファイルに残してあります。\n";
    const std::size_t newAt = text.find(newLine), oldAt = text.find(oldLine);
    ASSERT_EQ(text.rfind(kCannotWrite, 0), 0u) << text;
    ASSERT_NE(newAt, std::string::npos) << text;
    ASSERT_NE(oldAt, std::string::npos) << text;
    const std::string newFile = text.substr(newAt + newLine.size(), oldAt - newAt - newLine.size());
    const std::string oldFile = text.substr(oldAt + oldLine.size());
    ASSERT_EQ(newFile.rfind(folder, 0), 0u) << newFile;
    ASSERT_EQ(oldFile.rfind(folder, 0), 0u) << oldFile;
    EXPECT_EQ(SizeOf(newFile.substr(folder.size())), 2102);
    EXPECT_EQ(Text(oldFile.substr(folder.size())), "old");
    std::vector<std::string> both = {newFile.substr(folder.size()), oldFile.substr(folder.size())};
    std::sort(both.begin(), both.end());
    EXPECT_EQ(Names(), both);  // no file at the target, nothing else
}

// A name of 250 bytes (82 Japanese characters and ".ani"), new and over an old file; a
// target with a second name, which shows the new bytes too.
TEST_F(SaveTest, LongNamesAndFilesWithSeveralNamesSave) {
    UseOwnFolder("names");
    std::string name;
    for (int i = 0; i < 82; ++i) name += "歩";
    ASSERT_EQ(name.size() + 4, 250u);
    for (int round = 0; round < 2; ++round) {
        Save(true, name + ".ani", 1);
        EXPECT_TRUE(boxes.Calls.empty()) << round;
        EXPECT_GT(SizeOf(name + ".ani"), 0) << round;
        EXPECT_EQ(Names(), std::vector<std::string>{name + ".ani"});
    }
    ASSERT_TRUE(DeleteFileW(W(folder + name + ".ani").c_str()));

    mode = 1;
    Put("one.bmp", "old");
    ASSERT_TRUE(CreateHardLinkW(W(folder + "other.bmp").c_str(), W(folder + "one.bmp").c_str(), nullptr));
    Save(false, "one.txt", 3);
    EXPECT_TRUE(boxes.Calls.empty());
    EXPECT_EQ(SizeOf("one.bmp"), 2102);
    EXPECT_EQ(Text("other.bmp"), Text("one.bmp"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"one.bmp", "other.bmp"}));
}

// A link to a file that does not exist, or a loop of links: the save is refused with the
// message, and the links stay links.
TEST_F(SaveTest, ALinkThatLeadsToNoFileIsRefusedAndStaysALink) {
    THostFolder host("save-links");
    if (host.Unix().empty()) GTEST_SKIP() << "no host shell";
    folder = host.Folder();
    ASSERT_EQ(host.Shell("ln -s later.cur dangling.cur && ln -s a.cur b.cur && ln -s b.cur a.cur && echo ready"), "ready");
    for (const char* name : {"dangling.txt", "a.txt"}) {
        Save(false, name, 2);
        ASSERT_EQ(boxes.Calls.size(), 1u) << name;
        EXPECT_EQ(boxes.Calls[0].Text, kCannotWrite) << name;
    }
    EXPECT_EQ(host.Shell("test -L dangling.cur && test -L a.cur && test -L b.cur && test ! -e later.cur && "
                         "test $(ls -A | wc -l) = 3 && echo links"),
              "links");
}

// Answers the system's own save dialog as a user does: types the name, picks the file
// type (the dialog takes the choice on CBN_SELENDOK) and presses Save.
struct RealSaveDialog {
    static std::wstring& Name() {
        static std::wstring name;
        return name;
    }
    static int& Index() {
        static int index = 1;
        return index;
    }
    static bool& Answered() {
        static bool answered = false;
        return answered;
    }
    static BOOL CALLBACK FindDialog(HWND h, LPARAM lp) {
        wchar_t cls[16] = {};
        GetClassNameW(h, cls, 16);
        if (std::wstring(cls) != L"#32770" || !IsWindowVisible(h) || !GetDlgItem(h, cmb1)) return TRUE;
        *reinterpret_cast<HWND*>(lp) = h;
        return FALSE;
    }
    static void CALLBACK Fire(HWND, UINT, UINT_PTR, DWORD) {
        HWND dlg = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dlg));
        if (!dlg || Answered()) return;
        Answered() = true;
        HWND types = GetDlgItem(dlg, cmb1);
        SendMessageW(types, CB_SETCURSEL, static_cast<WPARAM>(Index() - 1), 0);
        SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELENDOK), reinterpret_cast<LPARAM>(types));
        HWND name = GetDlgItem(dlg, edt1);
        if (!name || !IsWindowVisible(name)) name = GetDlgItem(dlg, cmb13);
        SetWindowTextW(name, Name().c_str());
        PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDOK)));
    }
};

TEST_F(SaveTest, EveryFileTypeOfTheSystemsSaveDialogWritesItsFile) {
    SetFileDialogHook(nullptr);
    struct Case {
        bool Document;
        int Index;
        std::vector<std::string> Files;
    } cases[] = {
        {true, 1, {"real.ani"}},  {true, 2, {"real.icl"}},  {true, 3, {"real.dll"}},
        {true, 4, {"real.mng"}},  {true, 5, {"real_00.ico", "real_01.ico", "real_02.ico"}},
        {true, 6, {"real_00.cur", "real_01.cur", "real_02.cur"}},
        {true, 7, {"real_00.bmp", "real_01.bmp", "real_02.bmp"}},
        {true, 8, {"real.gif"}},  {false, 1, {"one.ico"}}, {false, 2, {"one.cur"}},
        {false, 3, {"one.bmp"}},  {false, 4, {"one.png"}}, {false, 5, {"one.gif"}},
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, RealSaveDialog::Fire);
    for (const Case& c : cases) {
        Expect(c.Files);
        RealSaveDialog::Name() = W(folder + (c.Document ? "real" : "one"));
        RealSaveDialog::Index() = c.Index;
        RealSaveDialog::Answered() = false;
        modeShown = 0;
        if (c.Document)
            form->SaveANIBtnClick();
        else
            form->SaveIconBtnClick();
        EXPECT_TRUE(RealSaveDialog::Answered()) << c.Files[0];
        EXPECT_EQ(modeShown, 1) << c.Files[0];
        for (const std::string& f : c.Files) EXPECT_GT(SizeOf(f), 0) << f;
    }
    KillTimer(nullptr, timer);
    EXPECT_TRUE(boxes.Calls.empty());
}

// Types a name key by key into the system's save dialog and presses Save; or, with an
// empty name, presses Save on the name offered and then Cancel once a message showed.
struct TypingSaveDialog {
    static std::wstring& Name() {
        static std::wstring name;
        return name;
    }
    static int& Step() {
        static int step = 0;
        return step;
    }
    static std::wstring& Typed() {
        static std::wstring typed;
        return typed;
    }
    static std::function<bool()>& MessageShown() {
        static std::function<bool()> shown;
        return shown;
    }
    static HWND NameEdit(HWND dlg) {
        HWND box = GetDlgItem(dlg, cmb13);
        HWND edit = box ? reinterpret_cast<HWND>(SendMessageW(box, CBEM_GETEDITCONTROL, 0, 0)) : nullptr;
        return edit ? edit : GetDlgItem(dlg, edt1);
    }
    static void CALLBACK Fire(HWND, UINT, UINT_PTR, DWORD) {
        HWND dlg = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), RealSaveDialog::FindDialog, reinterpret_cast<LPARAM>(&dlg));
        if (!dlg) return;
        HWND edit = NameEdit(dlg);
        if (Step() == 0) {
            if (!Name().empty()) {
                SetWindowTextW(edit, L"");
                for (wchar_t c : Name()) SendMessageW(edit, WM_CHAR, c, 1);
            }
            std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
            text.resize(static_cast<std::size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
            Typed() = text;
            Step() = 1;
            PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDOK)));
        } else if (Step() == 1 && MessageShown()()) {
            Step() = 2;
            PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDCANCEL)));
        }
    }
};

// Opens the dialogs in the test's folder, then lets TypingSaveDialog answer the system's own
// save dialog on a timer (the caller kills it).
void SaveTest::TypeIntoTheSystemsDialog(UINT_PTR& timer) {
    Answer("first.txt", 1);
    form->SaveANIBtnClick();
    ASSERT_EQ(form->Path(), folder);
    SetFileDialogHook(nullptr);
    TypingSaveDialog::MessageShown() = [this] { return !boxes.Calls.empty(); };
    timer = SetTimer(nullptr, 0, 50, TypingSaveDialog::Fire);
}

// Wine's dialog overruns a buffer of MAX_PATH characters with a longer path on Save: the
// name box takes only what fits beside the folder (and the extension), and a longer name
// offered is refused with a message while the dialog stays open.
TEST_F(SaveTest, ANameTooLongForAPathNeverReachesTheSystemDialogsSave) {
    if (!FileDialogGuardsNameLength()) GTEST_SKIP() << "only Wine's dialog keeps the path in a MAX_PATH buffer";
    UINT_PTR timer = 0;
    ASSERT_NO_FATAL_FAILURE(TypeIntoTheSystemsDialog(timer));
    const TScopeExit stopTimer([timer] { KillTimer(nullptr, timer); });  // also when an assertion ends the test
    const std::wstring wfolder = W(folder);
    const int room = MAX_PATH - 1 - static_cast<int>(wfolder.size()) - 4;  // folder ends with a backslash; ".ani"
    ASSERT_GT(room, 10);
    for (int length : {room / 2, 282}) {
        SCOPED_TRACE(length);
        std::wstring name(static_cast<std::size_t>(length), L'n');
        name[0] = L'L';
        TypingSaveDialog::Name() = name;
        TypingSaveDialog::Step() = 0;
        boxes.Calls.clear();
        modeShown = 0;
        form->SaveANIBtnClick();
        EXPECT_EQ(TypingSaveDialog::Step(), 1);
        EXPECT_EQ(modeShown, 1);
        EXPECT_TRUE(boxes.Calls.empty());
        const std::wstring kept = name.substr(0, static_cast<std::size_t>(std::min(length, room)));
        EXPECT_EQ(TypingSaveDialog::Typed(), kept);
        EXPECT_GT(SizeOf(U(kept) + ".ani"), 0);
        DeleteFileW((wfolder + kept + L".ani").c_str());
    }
    // Offered rather than typed: Save says why and leaves the dialog open for another name.
    TFileDialog dialog(TFileDialogKind::Save);
    dialog.Filter = "ani|*.ani";
    dialog.DefaultExt = "ani";
    dialog.Title = "すべて保存";
    dialog.InitialDir = folder;
    dialog.FileName = std::string(282, 'o');
    TypingSaveDialog::Name().clear();
    TypingSaveDialog::Step() = 0;
    boxes.Calls.clear();
    EXPECT_FALSE(dialog.Execute(form->Handle()));
    EXPECT_EQ(TypingSaveDialog::Step(), 2);
    ASSERT_EQ(boxes.Calls.size(), 1u);
    EXPECT_EQ(boxes.Calls[0].Text, "ファイル名が長すぎます。");
    EXPECT_EQ(boxes.Calls[0].Caption, "すべて保存");
    EXPECT_TRUE(boxes.Calls[0].Flags & MB_ICONWARNING);
}

// A full path typed into the name box is measured as the path it is, not as a name beside
// the folder shown: one that fits in MAX_PATH saves to the place the bare name saves to.
TEST_F(SaveTest, ATypedFullPathIsMeasuredAsThePathItIs) {
    UINT_PTR timer = 0;
    ASSERT_NO_FATAL_FAILURE(TypeIntoTheSystemsDialog(timer));
    const TScopeExit stopTimer([timer] { KillTimer(nullptr, timer); });
    const std::wstring wfolder = W(folder);
    // 250 characters and ".ani": longer than a name beside the folder may be.
    const std::size_t length = 250;
    ASSERT_GT(length, static_cast<std::size_t>(MAX_PATH - 1 - 4) - wfolder.size());
    ASSERT_LT(wfolder.size() + 10, length);
    std::wstring full = wfolder + L"F" + std::wstring(length - wfolder.size() - 1, L'f');
    ASSERT_EQ(full.size(), length);
    TypingSaveDialog::Name() = full;
    TypingSaveDialog::Step() = 0;
    boxes.Calls.clear();
    modeShown = 0;
    form->SaveANIBtnClick();
    EXPECT_EQ(TypingSaveDialog::Step(), 1);
    EXPECT_TRUE(boxes.Calls.empty());
    EXPECT_EQ(TypingSaveDialog::Typed(), full);
    EXPECT_EQ(modeShown, 1);
    const std::string bare = U(full.substr(wfolder.size())) + ".ani";
    EXPECT_GT(SizeOf(bare), 0);
    DeleteFileW(W(folder + bare).c_str());
}

TEST_F(SaveTest, FrameLinesNamingMissingImagesAreNeverSaved) {
    form->FramePage->InsertFram->SetChecked(true);
    form->FramePage->SetFrameLine(7, 10, 1);  // image 7 does not exist
    boxes.Calls.clear();
    Answer("walk.ani", 1);
    Expect({"walk.ani"});
    form->SaveANIBtnClick();
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(modeShown, 0);
    EXPECT_FALSE(FileExists(folder + "walk.ani"));
    EXPECT_FALSE(boxes.Calls.empty());  // the frame check said why
}

} // namespace
