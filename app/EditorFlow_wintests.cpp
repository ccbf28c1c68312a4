// The main window's commands with the real pixel editor.
#include "app/MainWindowTestSupport.h"
#include "editor/EditorTestSupport.h"

namespace {

struct EditorFlowTest : MainWindowTest {
    EditorFlowTest() : MainWindowTest("tamsolo-editor") {}
    void SetUp() override {
        MainWindowTest::SetUp();
        dlg = std::make_unique<TEditDlg>();
        EditDlg = dlg.get();
    }
    // Clicks a command of the main window that opens the editor, and runs script in it.
    void Open(TButton& command, std::function<void()> script) {
        RunSoon(dlg->Handle(), std::move(script));
        command.Perform(BM_CLICK);
    }
    // The current image's cursor drawn over a background.
    COLORREF CursorPixel(int x, int y, COLORREF background) {
        TDibSection dc(32, 32);
        TGdiObject brush(CreateSolidBrush(background));
        RECT all{0, 0, 32, 32};
        FillRect(dc.DC(), &all, static_cast<HBRUSH>(brush.Get()));
        DrawIconEx(dc.DC(), 0, 0, form->ImagePage->IconImage->Icon(), 32, 32, 0, nullptr, DI_NORMAL);
        return dc.PixelAt(x, y);
    }
    std::unique_ptr<TEditDlg> dlg;
};

} // namespace

TEST_F(EditorFlowTest, NewWithOkAddsTheDrawnImageAndCancelAddsNothing) {
    Open(*form->ImagePage->NewBtn, [&] {
        PaletteClick(*dlg, 5 * 16 + 7);  // red
        CanvasDrag(*dlg, {{5, 5}, {6, 5}});
        dlg->OkBtn->Perform(BM_CLICK);
    });
    ASSERT_EQ(form->ImagePage->ListBox1->Count(), 1);
    EXPECT_EQ(form->Entry(0).Pixels.At(6, 5), 87);
    ICONINFO ii{};
    ASSERT_TRUE(GetIconInfo(form->ImagePage->IconImage->Icon(), &ii));
    EXPECT_FALSE(ii.fIcon);
    DeleteObject(ii.hbmMask);
    DeleteObject(ii.hbmColor);
    EXPECT_EQ(CursorPixel(5, 5, RGB(0, 0, 0)), RGB(255, 0, 0));
    EXPECT_EQ(CursorPixel(6, 5, RGB(0, 0, 255)), RGB(255, 0, 0));
    // The white of the new image is the colour of pixel (0, 0): the transparent one.
    EXPECT_EQ(CursorPixel(20, 20, RGB(0, 0, 255)), RGB(0, 0, 255));

    Open(*form->ImagePage->NewBtn, [&] {
        CanvasDrag(*dlg, {{1, 1}, {9, 9}});
        dlg->CancelBtn->Perform(BM_CLICK);
    });
    EXPECT_EQ(form->ImagePage->ListBox1->Count(), 1);
}

TEST_F(EditorFlowTest, EditChangesTheImageOnlyOnOk) {
    Open(*form->ImagePage->NewBtn, [&] { dlg->OkBtn->Perform(BM_CLICK); });
    ASSERT_EQ(form->ImagePage->ListBox1->Count(), 1);
    PixelBlock before = form->Entry(0).Pixels;
    Open(*form->ImagePage->EditBtn, [&] {
        EXPECT_EQ(dlg->Model().SubIndex, 15);  // the transparent pixel's entry
        CanvasDrag(*dlg, {{0, 31}, {31, 31}});
        dlg->CancelBtn->Perform(BM_CLICK);
    });
    EXPECT_EQ(form->Entry(0).Pixels, before);
    Open(*form->ImagePage->EditBtn, [&] {
        CanvasDrag(*dlg, {{0, 31}, {31, 31}});
        dlg->OkBtn->Perform(BM_CLICK);
    });
    EXPECT_EQ(form->Entry(0).Pixels.At(17, 31), 0);
    EXPECT_EQ(CursorPixel(17, 31, RGB(0, 0, 255)), RGB(0, 0, 0));
}

TEST_F(EditorFlowTest, TheMonochromeEditorStoresTheFourPixelKinds) {
    Open(*form->FileOptionsPage->EditMonoBtn, [&] {
        EXPECT_TRUE(dlg->MonoMode());
        EXPECT_EQ(dlg->ClientWidth(), 260);
        for (int kind = 0; kind < 3; ++kind) {
            PaletteClick(*dlg, kind);
            CanvasDrag(*dlg, {{kind, 0}});
        }
        dlg->OkBtn->Perform(BM_CLICK);
    });
    EXPECT_FALSE(dlg->MonoMode());
    ASSERT_TRUE(form->Document().HasMonoCursor());
    const MonoCursorRecord& m = form->MonoCursor();
    // black, white, inverted screen, and the untouched transparent screen
    EXPECT_EQ(std::vector<bool>({m.AndBit(0, 0), m.XorBit(0, 0), m.AndBit(1, 0), m.XorBit(1, 0), m.AndBit(2, 0),
                                 m.XorBit(2, 0), m.AndBit(9, 9), m.XorBit(9, 9)}),
              std::vector<bool>({false, false, false, true, true, true, true, false}));
}

TEST_F(EditorFlowTest, TheEditorOptionsAreHandedOverAndWrittenBack) {
    const TSettingsKeys keys = form->SettingsKeys();
    form.reset();
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(keys.Root, true));
        reg.WriteString("EXEPATH", "C:\\Tamsolo.EXE");
        reg.WriteString("PATH", "C:\\");
        reg.WriteBool("NODLG", false);
        reg.WriteInteger("COLOR", 0);
        reg.WriteBool("RESIZE", false);
        reg.WriteBool("REDUCE", false);
        reg.WriteString("SPIPATH", "");
        reg.WriteString("CUSTOM_P", "");
        reg.WriteString("CUSTOM_F", "");
        reg.WriteBool("HENPEI", false);
        const char* names[] = {"GRID", "PALSEL", "PALRGB", "PALCMY", "PALHSL", "TRANSM"};
        const bool values[] = {true, true, false, true, false, true};
        for (int i = 0; i < 6; ++i) reg.WriteBool(names[i], values[i]);
    }
    form = std::make_unique<TForm1>(GetModuleHandleW(nullptr), "", keys);
    ASSERT_TRUE(PumpUntil([&] { return !form->Timer3->Enabled(); }));
    EXPECT_TRUE(dlg->grid->Down());
    EXPECT_TRUE(dlg->DispPalSel->Checked);
    EXPECT_TRUE(dlg->CMYDISP->Down());
    EXPECT_TRUE(dlg->TransMode->Checked);
    // As the user clicks them: the grid goes up again, HSL is chosen.
    for (TSpeedButton* b : {dlg->grid.get(), dlg->HSLDISP.get()}) {
        b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    }
    dlg->TransModeClick();
    form->Close();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(keys.Root, false));
    EXPECT_FALSE(reg.ReadBool("GRID"));
    EXPECT_TRUE(reg.ReadBool("PALSEL"));
    EXPECT_FALSE(reg.ReadBool("PALCMY"));
    EXPECT_TRUE(reg.ReadBool("PALHSL"));
    EXPECT_FALSE(reg.ReadBool("TRANSM"));
}
