#include "editor/EditDlg_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "editor/DefaultPalette.h"
#include "editor/EditorTestSupport.h"
#include "editor/PaletteCommands_win.h"
#include "formats/CorpusTestSupport.h"
#include "formats/MonoCursor.h"
#include "ui/Application.h"
#include "ui/Clipboard.h"
#include "ui/Dialogs.h"
#include "ui/KeyboardTestSupport.h"

namespace {

class EditDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        TApplication::Instance().Initialize();
        dlg = std::make_unique<TEditDlg>();
    }
    // Shows the dialog without a modal loop, as ShowModal shows it.
    void Show() { dlg->ShowForm(); }
    uint8_t At(int x, int y) const { return dlg->EditedImage().Pixels.At(x, y); }
    std::unique_ptr<TEditDlg> dlg;
};

} // namespace

TEST_F(EditDlgTest, ANewImageIsWhiteWithMainEntryZeroAndSubEntry255) {
    dlg->ClearImage();
    Show();
    EXPECT_EQ(dlg->Model().MainIndex, 0);
    EXPECT_EQ(dlg->Model().SubIndex, 255);
    EXPECT_EQ(dlg->EditedImage().Palette, DefaultPalette());
    EXPECT_EQ(At(31, 31), 15);
    EXPECT_EQ(dlg->Image1->Bitmap().Pixel(0, 0), clWhite);
    EXPECT_FALSE(dlg->UndoBtn->Enabled());
    EXPECT_FALSE(dlg->RedoBtn->Enabled());
    EXPECT_EQ(dlg->Model().UndoList().size(), 2u);
    EXPECT_EQ(dlg->Caption(), "イメージの編集");
    EXPECT_EQ(dlg->ClientWidth(), 460);
    for (const char* name : {"PaintBox1", "PaletteImage", "PenBtn", "FillBtn", "SelectBtn", "grid", "OkBtn", "CancelBtn"})
        EXPECT_NE(FindComponent(dlg->Handle(), name), nullptr) << name;
}

TEST_F(EditDlgTest, MouseDragsDrawWithTheToolsAndPushOneStepEach) {
    dlg->ClearImage();
    Show();
    PaletteClick(*dlg, 5 * 16 + 7);  // red
    EXPECT_EQ(dlg->Model().MainIndex, 87);
    EXPECT_EQ(dlg->PalColor->Color(), MakeColor(255, 0, 0));
    CanvasDrag(*dlg, {{1, 1}, {4, 1}, {4, 3}});
    for (POINT p : {POINT{1, 1}, {2, 1}, {3, 1}, {4, 1}, {4, 2}, {4, 3}}) EXPECT_EQ(At(p.x, p.y), 87) << p.x << "," << p.y;
    EXPECT_EQ(At(1, 2), 15);
    EXPECT_TRUE(dlg->UndoBtn->Enabled());
    // The canvas shows the pixel zoomed 8 times.
    HDC dc = GetDC(dlg->PaintBox1->Handle());
    EXPECT_EQ(GetPixel(dc, 4 * 8 + 3, 3 * 8 + 3), RGB(255, 0, 0));
    ReleaseDC(dlg->PaintBox1->Handle(), dc);

    dlg->FillSquareBtn->Perform(WM_LBUTTONDOWN, MK_LBUTTON, 0);
    dlg->FillSquareBtn->Perform(WM_LBUTTONUP, 0, 0);
    ASSERT_TRUE(dlg->FillSquareBtn->Down());
    PaletteClick(*dlg, 0);
    CanvasDrag(*dlg, {{28, 28}, {29, 29}, {31, 31}});
    EXPECT_EQ(At(28, 28), 0);
    EXPECT_EQ(At(31, 31), 0);
    EXPECT_EQ(At(27, 28), 15);
    // A drag that leaves the canvas is clipped to it.
    CanvasDown(*dlg, 30, 0);
    SendMessageW(dlg->PaintBox1->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, 20));
    SendMessageW(dlg->PaintBox1->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(300, 20));
    EXPECT_EQ(At(31, 2), 0);
    EXPECT_EQ(dlg->Model().UndoIndex(), 5);

    dlg->UndoBtn->Perform(WM_LBUTTONDOWN, MK_LBUTTON, 0);
    dlg->UndoBtn->Perform(WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(At(31, 2), 15);
    EXPECT_TRUE(dlg->RedoBtn->Enabled());
}

TEST_F(EditDlgTest, TheRightButtonPicksTheColourUnderIt) {
    ImageRecord r;
    r.Palette[9] = TRGBQuad{1, 2, 3, 0};
    r.Pixels.At(6, 7) = 9;
    dlg->SetSubColour(0);
    dlg->LoadImageData(r);
    Show();
    HWND box = dlg->PaintBox1->Handle();
    SendMessageW(box, WM_RBUTTONDOWN, MK_RBUTTON, CellPoint(6, 7));
    SendMessageW(box, WM_RBUTTONUP, 0, CellPoint(6, 7));
    EXPECT_EQ(dlg->Model().MainIndex, 9);
    EXPECT_EQ(dlg->ArrCol->Color(), MakeColor(3, 2, 1));
    // Clicks beyond the grid change nothing.
    SendMessageW(dlg->PaletteImage->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(192, 0));
    EXPECT_EQ(dlg->Model().MainIndex, 9);
    SendMessageW(dlg->PaletteImage->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(191, 191));
    EXPECT_EQ(dlg->Model().MainIndex, 255);
}

TEST_F(EditDlgTest, ASubColourGivenBeforeLoadingIsSelected) {
    dlg->SetSubColour(200);
    dlg->LoadImageData(ImageRecord{});
    EXPECT_EQ(dlg->Model().SubIndex, 200);
}

TEST_F(EditDlgTest, WhileNotReadyTheMouseIsIgnored) {
    dlg->ClearImage();
    Show();
    dlg->SetReady(false);
    CanvasDrag(*dlg, {{2, 2}, {3, 3}});
    PaletteClick(*dlg, 40);
    dlg->SetReady(true);
    EXPECT_EQ(At(2, 2), 15);
    EXPECT_EQ(dlg->Model().MainIndex, 0);
}

TEST_F(EditDlgTest, ShiftDrawsLinesAt45Degrees) {
    dlg->ClearImage();
    Show();
    dlg->LineBtn->Perform(WM_LBUTTONDOWN, MK_LBUTTON, 0);
    dlg->LineBtn->Perform(WM_LBUTTONUP, 0, 0);
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    CanvasDown(*dlg, 5, 5, MK_LBUTTON | MK_SHIFT);
    CanvasMove(*dlg, 9, 20, MK_LBUTTON | MK_SHIFT);
    CanvasUp(*dlg, 9, 20);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(At(20, 20), 0);
    EXPECT_EQ(At(9, 20), 15);
}

TEST_F(EditDlgTest, TheClipboardMenuCopiesPastesAndMasks) {
    ImageRecord r;
    r.Palette = DefaultPalette();
    std::fill(r.Pixels.Bytes, r.Pixels.Bytes + kIndexBytes, uint8_t{15});
    r.Pixels.At(1, 1) = 87;
    dlg->SetSubColour(15);
    dlg->LoadImageData(r);
    Show();
    dlg->SelectBtn->Perform(WM_LBUTTONDOWN, MK_LBUTTON, 0);
    dlg->SelectBtn->Perform(WM_LBUTTONUP, 0, 0);
    CanvasDrag(*dlg, {{0, 0}, {2, 2}});
    ASSERT_TRUE(dlg->Model().HasSelection());
    dlg->PopupMenu5Popup();
    EXPECT_TRUE(dlg->PopupMenu5.Item("Copy1")->Enabled);
    dlg->MaskCopyClick();
    TBitmap mask;
    ASSERT_TRUE(ReadClipboardBitmap(dlg->Handle(), mask));
    EXPECT_EQ(mask.Pixel(1, 1), clBlack);
    EXPECT_EQ(mask.Pixel(0, 0), clWhite);
    EXPECT_EQ(dlg->Model().SelectionCells()[4], 87);  // the selection keeps its picture
    dlg->Copy1Click();
    dlg->PopupMenu5Popup();
    EXPECT_TRUE(dlg->PopupMenu5.Item("Paste1")->Enabled);
    dlg->NoSelectClick();
    dlg->Paste1Click();
    ASSERT_TRUE(dlg->Model().Floating());
    // Dragging the paste to (10, 10) and choosing another tool writes it there.
    CanvasDrag(*dlg, {{1, 1}, {5, 5}, {11, 11}});
    dlg->PenBtn->Perform(WM_LBUTTONDOWN, MK_LBUTTON, 0);
    dlg->PenBtn->Perform(WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(At(11, 11), 87);
    EXPECT_EQ(At(1, 1), 87);
}

TEST_F(EditDlgTest, OptionsGoIntoTheControlsAndComeBack) {
    TEditorOptions o;
    o.Grid = true;
    o.PalSel = true;
    o.PalHSL = true;
    o.TransMode = true;
    o.UseCustomFill = true;
    o.CustomFillFile = "C:\\fill.cur";
    dlg->SetOptions(o);
    EXPECT_TRUE(dlg->grid->Down());
    EXPECT_TRUE(dlg->HSLDISP->Down());
    EXPECT_FALSE(dlg->RGBDISP->Down());
    EXPECT_TRUE(dlg->TransMode->Checked);
    EXPECT_EQ(dlg->Options(), o);
    TEditorOptions none;
    none.PalRGB = true;  // with no view chosen the colour boxes show RGB
    dlg->SetOptions(TEditorOptions{});
    EXPECT_EQ(dlg->Options(), none);
}

TEST_F(EditDlgTest, AnEditorBuiltOnFirstUseHasNoControlsUntilThenAndActsLikeOneBuiltAtOnce) {
    // The program's editor: its options, a loaded image and its palette as if built at start.
    TEditDlg later(TDialogContents::OnFirstUse);
    EXPECT_EQ(GetWindow(later.Handle(), GW_CHILD), nullptr);
    EXPECT_EQ(later.Options(), dlg->Options());  // what the settings keep when it was never opened
    EXPECT_NE(GetWindow(later.Handle(), GW_CHILD), nullptr);

    TEditDlg loaded(TDialogContents::OnFirstUse);
    ImageRecord r;
    r.Palette[7] = TRGBQuad{10, 20, 30, 0};
    r.Pixels.At(3, 4) = 7;
    loaded.SetSubColour(7);
    loaded.LoadImageData(r);
    dlg->SetSubColour(7);
    dlg->LoadImageData(r);
    EXPECT_EQ(loaded.EditedImage().Pixels.At(3, 4), 7);
    EXPECT_EQ(loaded.Model().SubIndex, dlg->Model().SubIndex);
    EXPECT_EQ(loaded.PalColor->Color(), dlg->PalColor->Color());
}

TEST_F(EditDlgTest, TheToolCursorsHaveTheirHotspot) {
    for (int slot : {crPen, crFill, crPick}) {
        ICONINFO ii{};
        ASSERT_TRUE(GetIconInfo(ScreenCursor(slot), &ii)) << slot;
        EXPECT_FALSE(ii.fIcon);
        EXPECT_EQ(ii.xHotspot, 9u);
        EXPECT_EQ(ii.yHotspot, 22u);
        DeleteObject(ii.hbmMask);
        if (ii.hbmColor) DeleteObject(ii.hbmColor);
    }
    EXPECT_EQ(dlg->PaintBox1->Cursor(), ScreenCursor(crPen));
}

TEST_F(EditDlgTest, TheToolButtonsShowGlyphsOnTheButtonFace) {
    TSpeedButton* const buttons[] = {dlg->UndoBtn.get(),   dlg->RedoBtn.get(),    dlg->SelectBtn.get(),
                                     dlg->MoveBtn.get(),   dlg->OtherBtn.get(),   dlg->PenBtn.get(),
                                     dlg->FillBtn.get(),   dlg->grid.get(),       dlg->PopupBtn.get(),
                                     dlg->LineBtn.get(),   dlg->SquareBtn.get(),  dlg->CircleBtn.get(),
                                     dlg->FillSquareBtn.get(), dlg->FillCircleBtn.get()};
    std::vector<std::vector<TColor>> seen;
    for (TSpeedButton* b : buttons) {
        const TBitmap& g = b->Glyph();
        ASSERT_EQ(g.Width(), 16) << b->Name();
        ASSERT_EQ(g.Height(), 16) << b->Name();
        EXPECT_EQ(b->Caption(), "") << b->Name();
        std::vector<TColor> pixels;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) pixels.push_back(g.Pixel(x, y));
        EXPECT_EQ(std::count(seen.begin(), seen.end(), pixels), 0) << b->Name() << " repeats another glyph";
        seen.push_back(pixels);
    }
    EXPECT_FALSE(dlg->PenBtn->Hint().empty());

    // On screen the glyph's transparent colour gives way to the button face.
    Show();
    UpdateWindow(dlg->PenBtn->Handle());
    HDC dc = GetDC(dlg->PenBtn->Handle());
    int drawn = 0, transparent = 0;
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 25; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            transparent += c == RGB(255, 0, 255);
            drawn += c == RGB(0, 0, 0);
        }
    ReleaseDC(dlg->PenBtn->Handle(), dc);
    EXPECT_EQ(transparent, 0);
    EXPECT_GT(drawn, 10);
}

TEST_F(EditDlgTest, TheRampItemsCarryTheTilesOfTheirRows) {
    TMenuItem* system = dlg->PopupMenu3.Item("SysPal16");
    ASSERT_NE(system, nullptr);
    EXPECT_TRUE(system->Glyph.Empty());
    const ImagePalette palette = DefaultPalette();
    int row = 0;
    for (const char* name : {"GradBW", "GradYellow", "GradGold", "GradOchre", "GradOrange", "GradRed", "GradWine",
                             "GradMagenta", "GradPurple", "GradViolet", "GradBlue", "GradCerulean", "GradAqua",
                             "GradPastel", "GradLime", "GradLeaf"}) {
        TMenuItem* item = dlg->PopupMenu3.Item(name);
        ASSERT_NE(item, nullptr) << name;
        ASSERT_EQ(item->Glyph.Width(), 12) << name;
        ASSERT_EQ(item->Glyph.Height(), 12) << name;
        // The tile's left column shows the row's first colour, its right part later ones.
        EXPECT_EQ(item->Glyph.Pixel(0, 6), QuadToColor(palette[static_cast<std::size_t>(16 * row)])) << name;
        EXPECT_EQ(item->Glyph.Pixel(11, 6), QuadToColor(palette[static_cast<std::size_t>(16 * row + 14)])) << name;
        ++row;
    }
}

TEST_F(EditDlgTest, CustomCursorFilesReplaceThePenAndFillCursors) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::string pen = U(temp) + "tamsolo-editor-pen.cur";
    ASSERT_TRUE(WriteMonoCurFile(pen, MonoCursorRecord::Blank(), 3, 4));
    TEditorOptions o;
    o.UseCustomPen = true;
    o.CustomPenFile = pen;
    o.UseCustomFill = true;
    o.CustomFillFile = U(temp) + "tamsolo-no-such.cur";  // cannot be loaded: the arrow shows
    dlg->SetOptions(o);
    dlg->ClearImage();
    Show();
    ASSERT_NE(dlg->PaintBox1->Cursor(), nullptr);
    EXPECT_EQ(dlg->PaintBox1->Cursor(), ScreenCursor(crCustomPen));
    ICONINFO ii{};
    ASSERT_TRUE(GetIconInfo(dlg->PaintBox1->Cursor(), &ii));
    EXPECT_EQ(ii.xHotspot, 3u);
    EXPECT_EQ(ii.yHotspot, 4u);
    DeleteObject(ii.hbmMask);
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    dlg->FillBtn->Perform(WM_LBUTTONDOWN, MK_LBUTTON, 0);
    dlg->FillBtn->Perform(WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(dlg->PaintBox1->Cursor(), LoadCursorW(nullptr, IDC_ARROW));

    // Animations the system's loader faults on. One whose header names 100 frames but which
    // holds 4: our own check refuses it, the pen's slot stays empty and the arrow shows. A
    // frame list holding a chunk other than icons, two frame lists: the system loads only our
    // own re-written copy, and the pen shows it. One our readers refuse (the header names four
    // frames, the first list holds two): the system's loader faults on it in the reader
    // helper, and the arrow shows.
    const struct {
        const char* Folder;
        const char* Name;
        bool Shown;
    } hostile[] = {{"iconsource", "hostile_frames_beyond_icons.ani", false},
                   {"readers", "hostile_fram_junk.ani", true},
                   {"readers", "hostile_two_fram.ani", true},
                   {"readers", "hostile_two_fram_b.ani", false}};
    for (const auto& h : hostile) {
        SCOPED_TRACE(h.Name);
        o.CustomPenFile = CorpusFile(h.Folder, h.Name);
        dlg->SetOptions(o);
        Show();
        dlg->PenBtn->Perform(WM_LBUTTONDOWN, MK_LBUTTON, 0);
        dlg->PenBtn->Perform(WM_LBUTTONUP, 0, 0);
        if (h.Shown) {
            EXPECT_EQ(dlg->PaintBox1->Cursor(), ScreenCursor(crCustomPen));
            EXPECT_NE(dlg->PaintBox1->Cursor(), nullptr);
            EXPECT_NE(dlg->PaintBox1->Cursor(), LoadCursorW(nullptr, IDC_ARROW));
        } else {
            EXPECT_EQ(dlg->PaintBox1->Cursor(), LoadCursorW(nullptr, IDC_ARROW));
        }
    }
    DeleteFileW(W(pen).c_str());
}

TEST_F(EditDlgTest, OkKeepsTheEditAndEachShowingStartsAFreshHistory) {
    dlg->ClearImage();
    int result = RunModal(*dlg, dlg->Handle(), [&] {
        CanvasDrag(*dlg, {{3, 3}});
        CanvasDrag(*dlg, {{4, 4}});
        dlg->OkBtn->Perform(BM_CLICK);
    });
    EXPECT_EQ(result, mrOk);
    EXPECT_EQ(At(3, 3), 0);
    EXPECT_EQ(dlg->Model().UndoList().size(), 0u);  // emptied on close
    std::size_t entries = 0;
    result = RunModal(*dlg, dlg->Handle(), [&] {
        entries = dlg->Model().UndoList().size();
        dlg->CancelBtn->Perform(BM_CLICK);
    });
    EXPECT_EQ(result, mrCancel);
    EXPECT_EQ(entries, 2u);
}

TEST_F(EditDlgTest, TheMonochromeLayoutShowsFourEntries) {
    dlg->SetMonoMode(true);
    ImageRecord r;
    r.Palette[1] = TRGBQuad{255, 255, 255, 0};
    r.Inverse[2] = 1;
    dlg->SetSubColour(255);
    dlg->LoadImageData(r);
    Show();
    EXPECT_EQ(dlg->ClientWidth(), 260);
    EXPECT_FALSE(dlg->Panel5->Visible());
    // The four-entry strip and the tool buttons (the grid button is the lower row's first)
    // do not cover each other, nor does the strip reach the status bar.
    RECT strip = dlg->Panel2->BoundsRect(), grid{}, overlap{};
    GetWindowRect(dlg->grid->Handle(), &grid);
    MapWindowPoints(nullptr, dlg->Handle(), reinterpret_cast<POINT*>(&grid), 2);
    EXPECT_FALSE(IntersectRect(&overlap, &strip, &grid)) << strip.left << "," << strip.top << " " << grid.left << "," << grid.bottom;
    EXPECT_EQ(strip.right - strip.left, 53);
    EXPECT_LE(strip.bottom, dlg->StatusBar1->Top());
    EXPECT_EQ(dlg->Model().SubIndex, 3);  // the transparent entry
    PaletteClick(*dlg, 1);
    EXPECT_EQ(dlg->Model().MainIndex, 1);
    PaletteClick(*dlg, 4);  // beyond the four entries: ignored
    EXPECT_EQ(dlg->Model().MainIndex, 1);
    // A move leaves index 2 behind.
    dlg->MoveBtn->Perform(WM_LBUTTONDOWN, MK_LBUTTON, 0);
    dlg->MoveBtn->Perform(WM_LBUTTONUP, 0, 0);
    CanvasDrag(*dlg, {{0, 0}, {0, 1}});
    EXPECT_EQ(At(5, 0), 2);
}

// The mouse moved over each control, as a user's move sends it: the message goes to the
// window under the point, and the status bar shows that control's hint.
TEST_F(EditDlgTest, MovingTheMouseOverAControlShowsItsHint) {
    dlg->ClearImage();
    Show();
    CanvasDrag(*dlg, {{1, 1}, {2, 1}});
    CanvasDrag(*dlg, {{1, 3}, {2, 3}});
    dlg->UndoBtnClick();  // undo and redo enabled: a disabled button takes no mouse
    ASSERT_TRUE(dlg->UndoBtn->Enabled() && dlg->RedoBtn->Enabled());
    TPaletteCommands& commands = *dlg->PaletteCommands;
    const std::string blank = "　";
    struct Row {
        TControl* Control;
        const char* Hint;
        POINT At;  // in the control's client area; (-1, -1) for its middle
    };
    const Row rows[] = {
        {dlg->UndoBtn.get(), "アンドゥ　元に戻します", {-1, -1}},
        {dlg->RedoBtn.get(), "リドゥ　やり直します", {-1, -1}},
        {dlg->MoveBtn.get(), "移動　クリックしながらマウス移動でイメージ位置が移動できます", {-1, -1}},
        {dlg->OtherBtn.get(), "回転や反転が行えます", {-1, -1}},
        {dlg->PenBtn.get(), "1ピクセル単位で描画できます", {-1, -1}},
        {dlg->FillBtn.get(), "塗りつぶし", {-1, -1}},
        {dlg->grid.get(), "グリッド線のON/OFF", {-1, -1}},
        {dlg->LineBtn.get(), "直線を引きます。[Shift]キーを押しながら行えば45ﾟ単位で引けます", {-1, -1}},
        {dlg->SquareBtn.get(), "長方形を描きます。[Shift]キーを押しながら行えば正方形になります", {-1, -1}},
        {dlg->CircleBtn.get(), "楕円を描きます。[Shift]キー押しながら行えば真円になります", {-1, -1}},
        {dlg->FillSquareBtn.get(), "塗りつぶし長方形を描きます。[Shift]キーを押しながら行えば正方形になります", {-1, -1}},
        {dlg->FillCircleBtn.get(), "塗りつぶし楕円を描きます。[Shift]キー押しながら行えば真円になります", {-1, -1}},
        {commands.CheckBox1.get(), "スケルトンカラーにできます。白は透過色、黒は反転色となります", {-1, -1}},
        {commands.Button4.get(), "アレンジした色を適用させます", {-1, -1}},
        {dlg->PaletteImage.get(), "左クリックで主色(赤枠)選択。右クリックで補助色(青枠)の選択。ドラッグで色の移動", {-1, -1}},
        {dlg->MakeGrad.get(), "主色(赤枠)～補助色(青枠)のグラデーションを生成します", {-1, -1}},
        {dlg->RGBDISP.get(), "光三原色、RGB値(赤,緑,青)で表現します", {-1, -1}},
        {dlg->CMYDISP.get(), "印刷三原色、CMY値(ｼｱﾝ,ﾏｾﾞﾝﾀ,ｲｴﾛｰ)で表現します", {-1, -1}},
        {dlg->HSLDISP.get(), "光三属性、HSL値(色調Hue,彩度Saturation,明度Lightness)で表現します", {-1, -1}},
        {dlg->SelectBtn.get(), "イメージの一部を矩形選択し、移動、コピー等を行います", {-1, -1}},
        {dlg->PopupBtn.get(), "クリップボードメニュー", {-1, -1}},
        {dlg->PaintBox1.get(), "右クリックで色が拾えます", {-1, -1}},
        {dlg->ToolBar1.get(), blank.c_str(), {65, 10}},  // between its first two buttons
        {dlg->Panel5.get(), blank.c_str(), {160, 9}},    // beside the three colour forms
        {dlg.get(), blank.c_str(), {20, 330}},           // below the small view
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Control->Name());
        POINT p = row.At;
        if (p.x < 0) {
            RECT r;
            GetClientRect(row.Control->Handle(), &r);
            p = {r.right / 2, r.bottom / 2};
        }
        ClientToScreen(row.Control->Handle(), &p);
        HWND under = WindowFromPoint(p);
        ASSERT_EQ(under, row.Control->Handle());
        ScreenToClient(under, &p);
        dlg->StatusBar1->SetCaption("-");
        SendMessageW(under, WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
        EXPECT_EQ(dlg->StatusBar1->Caption(), row.Hint);
    }
}

// The widest hint, the palette grid's, shows whole in the status bar of both layouts; a short
// one goes back to the form's own font.
TEST_F(EditDlgTest, AHintWiderThanTheStatusBarIsCondensedToFitIt) {
    const std::string hint = "左クリックで主色(赤枠)選択。右クリックで補助色(青枠)の選択。ドラッグで色の移動";
    for (bool mono : {false, true}) {
        SCOPED_TRACE(mono);
        dlg = std::make_unique<TEditDlg>();
        dlg->SetMonoMode(mono);
        dlg->LoadImageData(ImageRecord{});
        Show();
        auto width = [&](const std::string& text) {
            HDC dc = GetDC(dlg->StatusBar1->Handle());
            HGDIOBJ old = SelectObject(dc, dlg->StatusBar1->Font());
            const std::wstring w = W(text);
            SIZE size{};
            GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &size);
            SelectObject(dc, old);
            ReleaseDC(dlg->StatusBar1->Handle(), dc);
            return static_cast<int>(size.cx);
        };
        dlg->PaletteImage->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
        ASSERT_EQ(dlg->StatusBar1->Caption(), hint);
        EXPECT_LE(width(hint), dlg->StatusBar1->Width() - 6);
        EXPECT_GT(width(hint), (dlg->StatusBar1->Width() - 6) * 3 / 4);  // condensed only as far as needed
        dlg->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
        EXPECT_EQ(dlg->StatusBar1->Caption(), "　");
        EXPECT_EQ(dlg->StatusBar1->Font(), dlg->Font());
    }
}

// Not a timed test: reports how long one step of a pen drag takes through the handlers.
TEST_F(EditDlgTest, BenchmarkPenDragOfAThousandSteps) {
    dlg->ClearImage();
    Show();
    auto start = std::chrono::steady_clock::now();
    CanvasDown(*dlg, 0, 0);
    for (int i = 1; i <= 1000; ++i) {
        int k = i % 62;
        CanvasMove(*dlg, k < 31 ? k : 62 - k, i * 7 % 32);
    }
    CanvasUp(*dlg, 0, 0);
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("[ BENCH    ] pen drag: 1000 steps in %.1f ms, %.3f ms per step\n", ms, ms / 1000);
    RecordProperty("ms_per_step", std::to_string(ms / 1000));
    EXPECT_EQ(dlg->Model().UndoIndex(), 3);
    EXPECT_EQ(At(0, 0), 0);
}

// The keyboard, typed as a user types it and handled by the dialog's modal loop: it opens
// on OK, Tab goes through its tab stops, Enter is OK and Escape Cancel wherever the focus
// is; its hints go to the status bar, never to a tooltip.
TEST_F(EditDlgTest, TheKeyboardMovesTheFocusAndEnterAndEscapeCloseTheEditor) {
    for (WORD closing : {VK_RETURN, VK_ESCAPE}) {
        dlg->ClearImage();
        TKeyScript script;
        script.Add([&] { EXPECT_EQ(FocusName(), "OkBtn"); });
        script.AddTable(
            {
                {VK_TAB, "CancelBtn"},
                {VK_TAB, "MakeGrad"},
                {VK_TAB, "CancelBtn", true},
                {VK_TAB, "OkBtn", true},
            },
            "editor");
        script.Add([&] {
            if (closing == VK_ESCAPE) dlg->MakeGrad->SetFocus();
            TypeKey(closing);
        });
        int result = mrNone;
        EXPECT_TRUE(script.Run([&] { result = dlg->ShowModal(); }, [&] { dlg->SetModalResult(IDABORT); }));
        EXPECT_EQ(result, closing == VK_RETURN ? mrOk : mrCancel);
    }
    EXPECT_EQ(dlg->HintWindow(), nullptr);
}
