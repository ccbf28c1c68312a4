// The editor's palette commands on a real dialog: mouse messages on the palette grid,
// the colour boxes, the clipboard text (as Shift-JIS CF_TEXT) and the reduction worker.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "base/Format.h"
#include "base/Stream.h"
#include "base/Text.h"
#include "editor/DefaultPalette.h"
#include "editor/EditDlg_win.h"
#include "editor/PaletteCommands_win.h"
#include "editor/PaletteText.h"
#include "ui/Application.h"
#include "ui/Clipboard.h"
#include "ui/Dialogs.h"

namespace {

// A picture that uses entry i % 256 at pixel i, over the default palette.
ImageRecord Striped() {
    ImageRecord image;
    image.Palette = DefaultPalette();
    for (int i = 0; i < kIndexBytes; ++i) image.Pixels.Bytes[i] = static_cast<uint8_t>(i % 256);
    return image;
}

// Raw Shift-JIS bytes on the clipboard, as another program would put them.
void PutClipboardBytes(HWND owner, const std::string& bytes) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 1);
    char* p = static_cast<char*>(GlobalLock(mem));
    std::memcpy(p, bytes.c_str(), bytes.size() + 1);
    GlobalUnlock(mem);
    SetClipboardData(CF_TEXT, mem);
    CloseClipboard();
}

std::string ClipboardBytes(HWND owner) {
    std::string out;
    if (!OpenClipboard(owner)) return out;
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        out = static_cast<const char*>(GlobalLock(h));
        GlobalUnlock(h);
    }
    CloseClipboard();
    return out;
}

struct PaletteCommandsTest : ::testing::Test {
    void SetUp() override {
        TApplication::Instance().Initialize();
        dlg = std::make_unique<TEditDlg>();
        dlg->LoadImageData(Striped());
        dlg->ShowForm();
        SetMessageBoxHook([this](const TMessageBoxCall& c) {
            if (c.Caption == "<beep>")
                Beeps.push_back(c.Flags);
            else
                Boxes.push_back(c.Text);
            return Answer;
        });
    }
    void TearDown() override {
        SetMessageBoxHook(nullptr);
        SetFileDialogHook(nullptr);
        dlg->Close();
    }
    TPaletteCommands& Commands() { return *dlg->PaletteCommands; }
    const ImageRecord& Image() { return dlg->Model().Image(); }
    TMenuItem& Item(TPopupMenu& menu, const std::string& name) {
        TMenuItem* i = menu.Item(name);
        EXPECT_NE(i, nullptr) << name;
        return *i;
    }
    void Run(TPopupMenu& menu, const std::string& name) {
        if (menu.OnPopup) menu.OnPopup(nullptr);
        TMenuItem& i = Item(menu, name);
        if (i.Enabled && i.OnClick) i.OnClick(nullptr);
    }
    // A user's click on a grid cell, through the window's messages.
    void ClickCell(int index, bool right = false) {
        POINT p = TPaletteGrid::CellOrigin(index);
        LPARAM at = MAKELPARAM(p.x + 5, p.y + 5);
        dlg->PaletteImage->Perform(right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, at);
        dlg->PaletteImage->Perform(right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
    }
    void Drag(POINT from, POINT to) {
        dlg->PaletteImage->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
        dlg->PaletteImage->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((from.x + to.x) / 2, (from.y + to.y) / 2));
        dlg->PaletteImage->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
        dlg->PaletteImage->Perform(WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
    }
    std::unique_ptr<TEditDlg> dlg;
    std::vector<std::string> Boxes;
    std::vector<UINT> Beeps;
    int Answer = IDYES;
};

TEST_F(PaletteCommandsTest, CopiedPaletteTextPastesBackToTheSamePalette) {
    ImageRecord changed = Striped();
    changed.Palette[7] = ColorToQuad(MakeColor(1, 2, 3));
    changed.Inverse[9] = 1;
    dlg->LoadImageData(changed);
    Run(dlg->PopupMenu3, "CopyPalette");
    // The clipboard holds Shift-JIS bytes: the warning line is converted at the boundary.
    const std::string bytes = ClipboardBytes(dlg->Handle());
    EXPECT_EQ(bytes.rfind("QXPALETTE <Pendrake1.2.2>\r\n" + Utf8ToSjis(kPaletteWarning) + "\r\n256\r\n", 0), 0u);

    Run(dlg->PopupMenu1, "MS1");  // another palette, the picture re-matched to it
    ASSERT_NE(Image().Palette, changed.Palette);
    const std::size_t undoSteps = dlg->Model().UndoList().size();
    Run(dlg->PopupMenu3, "N25");  // paste all, as is
    for (int i = 0; i < 256; ++i) ASSERT_EQ(DisplayedColour(Image(), i), DisplayedColour(changed, i)) << i;
    EXPECT_EQ(Image().Inverse, InverseFlags{});
    EXPECT_EQ(dlg->Model().UndoList().size(), undoSteps + 1);

    // One colour: the tag and the main entry's colour as shown.
    ClickCell(9);
    Run(dlg->PopupMenu3, "CopyColor");
    EXPECT_EQ(ClipboardBytes(dlg->Handle()), FormatColourText(DisplayedColour(changed, 9)));
}

// Over an inverse entry the pasted values are stored as they are, and the entry stays
// inverse, so it shows their complement.
TEST_F(PaletteCommandsTest, APaletteTextPastedOverAnInverseEntryKeepsItsValuesAndFlag) {
    ImageRecord image = Striped();
    image.Inverse[3] = 1;
    dlg->LoadImageData(image);
    ClickCell(3, true);
    ClickCell(2);
    PutClipboardBytes(dlg->Handle(),
                      "QXPALETTE <Pendrake1.2.2>\r\n" + Utf8ToSjis(kPaletteWarning) + "\r\n2\r\n10,20,30\r\n40,50,60");
    Run(dlg->PopupMenu3, "PasteSelPalRef");  // "選択範囲" / "そのまま"
    EXPECT_EQ(QuadToColor(Image().Palette[2]), MakeColor(16, 32, 48));
    EXPECT_EQ(QuadToColor(Image().Palette[3]), MakeColor(64, 80, 96));
    EXPECT_EQ(Image().Inverse[3], 1);
    EXPECT_EQ(dlg->SubCol->Color(), MakeColor(191, 175, 159));
}

TEST_F(PaletteCommandsTest, APaletteTextOf300ColoursFillsEveryEntry) {
    std::string text = "QXPALETTE <Pendrake1.2.2>\r\n" + Utf8ToSjis(kPaletteWarning) + "\r\n300";
    for (int i = 0; i < 300; ++i) text += Format("\r\n%02X,%02X,%02X", i & 255, 7, (255 - i) & 255);
    PutClipboardBytes(dlg->Handle(), text);
    Run(dlg->PopupMenu3, "N25");  // "すべて" / "そのまま"
    for (int i = 0; i < 256; ++i) ASSERT_EQ(QuadToColor(Image().Palette[i]), MakeColor(i, 7, 255 - i)) << i;
}

TEST_F(PaletteCommandsTest, HostileClipboardTextChangesNothing) {
    const std::string head = "QXPALETTE <Pendrake1.2.2>\r\n" + Utf8ToSjis(kPaletteWarning) + "\r\n";
    for (const std::string count : {"-5", "0", "abc"}) {
        PutClipboardBytes(dlg->Handle(), head + count + "\r\nFF,00,00\r\n00,FF,00\r\n00,00,FF");
        const ImageRecord before = Image();
        const std::size_t undoSteps = dlg->Model().UndoList().size();
        for (const char* command : {"PasteSelPalRef", "PasteSelPalCng", "PasteInsPalRef", "PasteInsPalCng", "N25", "N24"}) {
            Run(dlg->PopupMenu3, command);
            ASSERT_EQ(Image().Palette, before.Palette) << count << " " << command;
            ASSERT_EQ(Image().Inverse, before.Inverse);
            ASSERT_EQ(Image().Pixels, before.Pixels);
        }
        EXPECT_EQ(dlg->Model().UndoList().size(), undoSteps);
    }
    PutClipboardBytes(dlg->Handle(), "hello");
    const ImageRecord before = Image();
    Run(dlg->PopupMenu3, "PasteColor");
    Run(dlg->PopupMenu3, "Insert1");
    EXPECT_EQ(Image().Palette, before.Palette);
    EXPECT_FALSE(Item(dlg->PopupMenu3, "PastePal").Enabled);
    EXPECT_FALSE(Item(dlg->PopupMenu3, "PasteCol").Enabled);
}

TEST_F(PaletteCommandsTest, DraggingAnEntryMovesItAndKeepsThePicture) {
    const TPaletteView view = ViewOf(Image());
    Drag(POINT{3 * 12 + 5, 5}, POINT{5, 5});  // entry 3 onto cell 0
    EXPECT_EQ(Image().Palette[0], DefaultPalette()[3]);
    EXPECT_EQ(Image().Palette[1], DefaultPalette()[0]);
    EXPECT_EQ(Image().Palette[3], DefaultPalette()[2]);
    EXPECT_EQ(ViewOf(Image()), view);

    const ImageRecord before = Image();
    Drag(POINT{5, 5}, POINT{195, 5});  // dropped beside the grid: no entry 256
    Drag(POINT{5, 5}, POINT{7, 6});    // moved less than the drag distance: a click
    EXPECT_EQ(Image().Palette, before.Palette);
}

TEST_F(PaletteCommandsTest, MonochromeDropsStayOnTheFourEntries) {
    dlg->Close();
    dlg->SetMonoMode(true);
    dlg->LoadImageData(Striped());
    dlg->ShowForm();
    const ImageRecord before = Image();
    Drag(POINT{5, 5}, POINT{5 * 12 + 5, 5});  // onto entry 5: not shown, not taken
    EXPECT_EQ(Image().Palette, before.Palette);
    Drag(POINT{5, 5}, POINT{3 * 12 + 5, 5});
    EXPECT_EQ(Image().Palette[3], before.Palette[0]);
    EXPECT_EQ(Image().Palette[0], before.Palette[1]);
    EXPECT_EQ(ViewOf(Image()), ViewOf(before));
    dlg->SetMonoMode(false);
}

TEST_F(PaletteCommandsTest, ColourBoxesEditTheActiveSwatchAndApplyStoresIt) {
    ClickCell(16 * 5 + 7);  // red
    dlg->HSLDISP->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    dlg->HSLDISP->Perform(WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    ASSERT_TRUE(dlg->HSLDISP->Down());
    TPaletteCommands& c = Commands();
    EXPECT_EQ(c.LabelR->Caption(), "H :");
    EXPECT_EQ(c.RedBar->Position(), 0);
    EXPECT_EQ(c.GreenBar->Position(), 128);
    EXPECT_EQ(c.BlueBar->Position(), 255);
    EXPECT_EQ(c.ColB->Caption(), "255");
    c.RedBar->SetPosition(510);  // green
    EXPECT_EQ(dlg->ArrCol->Color(), clLime);
    EXPECT_EQ(Image().Palette[16 * 5 + 7], DefaultPalette()[16 * 5 + 7]);  // only apply changes the palette
    c.Button4->Perform(BM_CLICK);
    EXPECT_EQ(DisplayedColour(Image(), 16 * 5 + 7), clLime);

    // The inverse switch keeps the colour shown; the sliders then store its complement.
    c.CheckBox1->Perform(BM_CLICK);
    EXPECT_EQ(Image().Inverse[16 * 5 + 7], 1);
    EXPECT_EQ(DisplayedColour(Image(), 16 * 5 + 7), clLime);
    c.RedBar->SetPosition(0);
    c.Button4->Perform(BM_CLICK);
    EXPECT_EQ(DisplayedColour(Image(), 16 * 5 + 7), clRed);
    EXPECT_EQ(QuadToColor(Image().Palette[16 * 5 + 7]), clAqua);

    // The sub swatch after a right click.
    ClickCell(255, true);
    dlg->RGBDISP->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    dlg->RGBDISP->Perform(WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(c.ColR->Caption(), "243");  // F3FFDA
}

TEST_F(PaletteCommandsTest, CustomReductionRunsOnTheWorkerAndKeepsSixteenEntries) {
    Run(dlg->PopupMenu4, "Reduce16");
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Beeps, std::vector<UINT>{MB_ICONQUESTION});  // the question beep first
    EXPECT_FALSE(dlg->Ready());
    EXPECT_FALSE(dlg->OkBtn->Enabled());
    EXPECT_TRUE(Commands().CGauge1->Visible());
    const int main = dlg->Model().MainIndex;
    ClickCell(40);  // ignored while the worker runs (its end arrives with the next messages)
    EXPECT_EQ(dlg->Model().MainIndex, main);
    DWORD start = GetTickCount();
    while (!dlg->Ready() && GetTickCount() - start < 5000) {
        TApplication::Instance().ProcessMessages();
        Sleep(5);
    }
    ASSERT_TRUE(dlg->Ready());
    EXPECT_TRUE(dlg->OkBtn->Enabled());
    EXPECT_FALSE(Commands().CGauge1->Visible());
    EXPECT_EQ(Commands().CGauge1->MinValue(), 16);  // the worker's limits reached the gauge
    EXPECT_GT(Commands().CGauge1->MaxValue(), 16);
    for (int i = 16; i < 256; ++i) ASSERT_EQ(Image().Palette[i], TRGBQuad{}) << i;
    for (int i = 0; i < kIndexBytes; ++i) ASSERT_LT(Image().Pixels.Bytes[i], 16) << i;

    // Answering No changes nothing and pushes no undo step.
    Answer = IDNO;
    const ImageRecord before = Image();
    const std::size_t undoSteps = dlg->Model().UndoList().size();
    Run(dlg->PopupMenu4, "Reduce16");
    Run(dlg->PopupMenu4, "ReduceSys");
    EXPECT_TRUE(dlg->Ready());
    EXPECT_EQ(Image().Palette, before.Palette);
    EXPECT_EQ(dlg->Model().UndoList().size(), undoSteps);
}

TEST_F(PaletteCommandsTest, RemovingUnusedColoursListsBlackWhiteThenTheUsedColoursByUse) {
    // A picture of 40 colours of the default palette, entry 37 inverse; entry 39 is used most.
    ImageRecord image = Striped();
    for (int i = 0; i < kIndexBytes; ++i) image.Pixels.Bytes[i] = static_cast<uint8_t>(i % 3 == 0 ? 39 : 16 + i % 40);
    image.Inverse[37] = 1;
    dlg->LoadImageData(image);
    const TPaletteView view = ViewOf(image);
    std::vector<TColor> want{clBlack, clWhite};  // then by use, equal uses in order of first appearance (top row first)
    std::vector<int> uses;
    for (int y = 0; y < kImageSize; ++y)
        for (int x = 0; x < kImageSize; ++x) {
            const TColor c = view[PixelBlock::Offset(x, y)];
            auto at = std::find(want.begin(), want.end(), c);
            if (at == want.end()) {
                want.push_back(c);
                uses.push_back(1);
            } else if (at - want.begin() >= 2) {
                ++uses[at - want.begin() - 2];
            }
        }
    std::vector<int> order(uses.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return uses[a] > uses[b]; });
    std::vector<TColor> byUse{clBlack, clWhite};
    for (int i : order) byUse.push_back(want[i + 2]);

    Run(dlg->PopupMenu4, "Reduce256");
    EXPECT_TRUE(Boxes.empty());  // no question
    DWORD start = GetTickCount();
    while (!dlg->Ready() && GetTickCount() - start < 5000) {
        TApplication::Instance().ProcessMessages();
        Sleep(5);
    }
    ASSERT_TRUE(dlg->Ready());
    for (std::size_t i = 0; i < byUse.size(); ++i) EXPECT_EQ(QuadToColor(Image().Palette[i]), byUse[i]) << i;
    for (std::size_t i = byUse.size(); i < 256; ++i) ASSERT_EQ(Image().Palette[i], TRGBQuad{}) << i;
    EXPECT_EQ(Image().Inverse, InverseFlags{});
    EXPECT_EQ(ViewOf(Image()), view);  // the picture keeps its look

    // 256 colours without black and white would need merges: the used entries are kept instead.
    ImageRecord full;
    for (int i = 0; i < 256; ++i) full.Palette[i] = TRGBQuad{static_cast<uint8_t>(i), 1, 2, 0};
    for (int i = 0; i < kIndexBytes; ++i) full.Pixels.Bytes[i] = static_cast<uint8_t>(i % 256);
    dlg->LoadImageData(full);
    Run(dlg->PopupMenu4, "Reduce256");
    EXPECT_TRUE(dlg->Ready());
    EXPECT_EQ(Image().Palette, full.Palette);
    EXPECT_EQ(ViewOf(Image()), ViewOf(full));
}

TEST_F(PaletteCommandsTest, ClosingDuringAReductionWaitsForTheWorkerAndKeepsThePicture) {
    const ImageRecord before = Image();
    Run(dlg->PopupMenu4, "Reduce16");
    dlg->FormClose();
    EXPECT_FALSE(Commands().ReductionRunning());
    EXPECT_TRUE(dlg->Ready());
    TApplication::Instance().ProcessMessages();
    EXPECT_EQ(Image().Palette, before.Palette);
}

TEST_F(PaletteCommandsTest, PaletteFilesImportAndRefuseWithMessages) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tamsolo_palette_dialog";
    std::filesystem::create_directories(dir);
    std::string chosen;
    SetFileDialogHook([&](TFileDialog& d) {
        d.FileName = chosen;
        return true;
    });
    ImageRecord inverse = Striped();
    inverse.Inverse[4] = 1;
    dlg->LoadImageData(inverse);
    dlg->FormShow();  // the undo list starts from this image, as when the editor opens on it
    ClickCell(4);
    ASSERT_TRUE(Commands().CheckBox1->Checked());

    // A refused file still clears the inverse flags, which were cleared before the read; the
    // stored colours stay, and the cleared flags are one undo step.
    const std::size_t undoSteps = dlg->Model().UndoList().size();
    chosen = (dir / "absent.txt").string();
    Run(dlg->PopupMenu1, "N27");
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0], "ファイルが開けません!");
    EXPECT_EQ(Image().Inverse, InverseFlags{});
    EXPECT_FALSE(Commands().CheckBox1->Checked());
    EXPECT_EQ(Image().Palette, inverse.Palette);
    EXPECT_EQ(dlg->ArrCol->Color(), QuadToColor(inverse.Palette[4]));  // entry 4 now shows its stored colour
    EXPECT_EQ(dlg->Model().UndoList().size(), undoSteps + 1);
    dlg->UndoBtnClick();
    EXPECT_EQ(Image().Inverse[4], 1);

    chosen = (dir / "bad.pal").string();
    WriteWholeFile(chosen, "GIMP Palette\n", 13);
    Run(dlg->PopupMenu1, "N26");  // the re-matching import refuses it the same way
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_EQ(Boxes[1], chosen + "\nはJASC-PALファイルではありません。");
    EXPECT_EQ(Image().Inverse, InverseFlags{});
    EXPECT_EQ(Image().Palette, inverse.Palette);

    // Export by the filter whatever the name: KHPF and D-Pixed under names of other kinds;
    // the KHPF file named .bin imports as is, told by its content.
    for (auto [name, filter, size] : {std::tuple{"saved.pal", 3, 1168u}, std::tuple{"saved.bin", 2, 1032u}}) {
        SetFileDialogHook([&, name = name, filter = filter](TFileDialog& d) {
            d.FileName = (dir / name).string();
            d.FilterIndex = filter;
            return true;
        });
        Run(dlg->PopupMenu1, "SavePal");
        EXPECT_EQ(std::filesystem::file_size(dir / name), size) << name;
    }
    Run(dlg->PopupMenu1, "MS1");
    ASSERT_NE(Image().Palette, inverse.Palette);
    // Main and sub colour on entries whose colour the import changes.
    int changed[2] = {-1, -1};
    for (int i = 0, n = 0; i < 256 && n < 2; ++i)
        if (QuadToColor(Image().Palette[i]) != QuadToColor(inverse.Palette[i])) changed[n++] = i;
    ASSERT_GE(changed[1], 0);
    const POINT sub = TPaletteGrid::CellOrigin(changed[1]), main = TPaletteGrid::CellOrigin(changed[0]);
    dlg->PaletteImageMouseDown(nullptr, TMouseButton::mbRight, sub.x, sub.y);
    dlg->PaletteImageMouseDown(nullptr, TMouseButton::mbLeft, main.x, main.y);
    SetFileDialogHook([&](TFileDialog& d) {
        d.FileName = (dir / "saved.bin").string();
        return true;
    });
    Run(dlg->PopupMenu1, "N27");
    EXPECT_EQ(Image().Palette, inverse.Palette);  // the stored colours
    EXPECT_EQ(Image().Inverse, InverseFlags{});
    // The swatches and the readouts show the imported colours of the selected entries.
    const TColor mainColour = QuadToColor(inverse.Palette[changed[0]]);
    EXPECT_EQ(dlg->ArrCol->Color(), mainColour);
    EXPECT_EQ(dlg->SubCol->Color(), QuadToColor(inverse.Palette[changed[1]]));
    EXPECT_EQ(Commands().ColR->Caption(), IntToStr(RedOf(mainColour)));
    EXPECT_EQ(Commands().ColG->Caption(), IntToStr(GreenOf(mainColour)));
    EXPECT_EQ(Commands().ColB->Caption(), IntToStr(BlueOf(mainColour)));
    std::filesystem::remove_all(dir);
}

}  // namespace
