#include "app/MainWindowTestSupport.h"

namespace {

class MonoEditor : public IImageEditor {
public:
    void ClearImage() override {}
    void LoadImageData(const ImageRecord& image) override { Loaded = image; }
    void SetSubColour(int) override {}
    void SetMonoMode(bool on) override { Modes.push_back(on); }
    int ShowModal() override {
        Result = Loaded;
        for (auto [x, y, v] : Paint) Result.Pixels.At(x, y) = static_cast<uint8_t>(v);
        return Answer;
    }
    const ImageRecord& EditedImage() const override { return Result; }
    TEditorOptions Options() const override { return {}; }
    void SetOptions(const TEditorOptions&) override {}
    ImageRecord Loaded, Result;
    std::vector<std::tuple<int, int, int>> Paint;
    std::vector<bool> Modes;
    int Answer = mrOk;
};

struct MonoPageTest : MainWindowTest {
    MonoPageTest() : MainWindowTest("tamsolo-mono") {}
    void SetUp() override {
        MainWindowTest::SetUp();
        EditDlg = &editor;
    }
    // The next file dialog answers with path.
    void Answer(const std::string& path) {
        SetFileDialogHook([path, this](TFileDialog& d) {
            asked.push_back(d);
            d.FileName = path;
            d.Files = {path};
            return true;
        });
    }
    MonoEditor editor;
    std::vector<TFileDialog> asked;
};

} // namespace

TEST_F(MonoPageTest, ATemplateLoadsWithItsHotspot) {
    ASSERT_TRUE(form->HasCurData());
    EXPECT_FALSE(form->Document().HasMonoCursor());
    form->FileOptionsPage->ComboBox1->SetItemIndex(14);
    form->FileOptionsPage->ComboBox1Change();
    EXPECT_EQ(form->FileOptionsPage->ComboBox1->Item(14), "HandPoint");
    EXPECT_TRUE(form->Document().HasMonoCursor());
    EXPECT_EQ(form->FileOptionsPage->MonoX->Value(), 5);
    EXPECT_EQ(form->FileOptionsPage->MonoY->Value(), 0);
    ICONINFO ii{};
    ASSERT_TRUE(GetIconInfo(form->FileOptionsPage->MonoCurImage->Icon(), &ii));
    EXPECT_FALSE(ii.fIcon);
    EXPECT_EQ(ii.xHotspot, 5u);
    DeleteObject(ii.hbmMask);
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
}

TEST_F(MonoPageTest, AFileOpensAndSavesBackToTheSameBytes) {
    MonoCursorRecord rec = MonoCursorRecord::Blank();
    rec.SetPixel(3, 4, false, true);  // white
    std::string in = folder + "in.cur", out = folder + "out.cur";
    ASSERT_TRUE(WriteMonoCurFile(in, rec, 7, 9));
    Answer(in);
    form->FileOptionsPage->OpenMonoIcon->Perform(BM_CLICK);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].InitialDir, WindowsCursorFolder());
    EXPECT_EQ(asked[0].Filter, "モノクロカーソル(*.cur)|*.cur");
    EXPECT_TRUE(form->Document().HasMonoCursor());
    EXPECT_EQ(form->FileOptionsPage->MonoX->Value(), 7);
    EXPECT_EQ(form->FileOptionsPage->MonoY->Value(), 9);
    EXPECT_EQ(form->FileOptionsPage->ComboBox1->ItemIndex(), -1);
    Answer(out);
    form->FileOptionsPage->SaveMonoIcon->Perform(BM_CLICK);
    std::vector<uint8_t> a, b;
    ASSERT_TRUE(ReadWholeFile(in, a, 1000));
    ASSERT_TRUE(ReadWholeFile(out, b, 1000));
    EXPECT_EQ(a.size(), 326u);
    EXPECT_EQ(a, b);
    // And the system reads what we wrote as a cursor with that hotspot.
    HCURSOR c = static_cast<HCURSOR>(LoadImageW(nullptr, W(out).c_str(), IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE));
    ASSERT_NE(c, nullptr);
    ICONINFO ii{};
    ASSERT_TRUE(GetIconInfo(c, &ii));
    EXPECT_EQ(ii.xHotspot, 7u);
    EXPECT_EQ(ii.yHotspot, 9u);
    DeleteObject(ii.hbmMask);
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    DestroyCursor(c);
}

TEST_F(MonoPageTest, AColourCursorFileIsRefusedWithTheMessage) {
    std::string path = folder + "colour.cur";
    std::vector<uint8_t> bytes = MonoCurFileBytes(MonoCursorRecord::Blank(), 0, 0);
    bytes[8] = 16;  // colour count
    ASSERT_TRUE(WriteWholeFile(path, bytes.data(), bytes.size()));
    Answer(path);
    form->FileOptionsPage->OpenMonoIcon->Perform(BM_CLICK);
    EXPECT_FALSE(form->Document().HasMonoCursor());
    ASSERT_FALSE(boxes.Calls.empty());
    EXPECT_EQ(boxes.Calls.back().Text, "このファイルはモノクロカーソルではありません。");
    EXPECT_EQ(boxes.Calls.back().Caption, "開いたファイル");
}

TEST_F(MonoPageTest, EditingStartsTransparentAndStoresTheFourPixelKinds) {
    editor.Paint = {{0, 0, 0}, {1, 0, 1}, {2, 0, 2}};
    form->FileOptionsPage->EditMonoBtn->Perform(BM_CLICK);
    EXPECT_EQ(editor.Modes, (std::vector<bool>{true, false}));
    EXPECT_EQ(editor.Loaded.Pixels.At(10, 10), 3);  // no cursor yet: all transparent
    EXPECT_EQ(editor.Loaded.Inverse[2], 1);
    ASSERT_TRUE(form->Document().HasMonoCursor());
    const MonoCursorRecord& m = form->MonoCursor();
    EXPECT_FALSE(m.AndBit(0, 0));  // black
    EXPECT_FALSE(m.XorBit(0, 0));
    EXPECT_FALSE(m.AndBit(1, 0));  // white
    EXPECT_TRUE(m.XorBit(1, 0));
    EXPECT_TRUE(m.AndBit(2, 0));  // inverted screen
    EXPECT_TRUE(m.XorBit(2, 0));
    EXPECT_TRUE(m.AndBit(5, 5));  // screen
    EXPECT_FALSE(m.XorBit(5, 5));
    editor.Answer = mrCancel;
    editor.Paint = {{5, 5, 0}};
    form->FileOptionsPage->EditMonoBtn->Perform(BM_CLICK);
    EXPECT_TRUE(form->MonoCursor().AndBit(5, 5));  // cancelled: unchanged
}

TEST_F(MonoPageTest, IncludingNeedsAMonochromeCursor) {
    form->FileOptionsPage->InsertMonoCur->SetChecked(true);
    EXPECT_FALSE(form->FileOptionsPage->InsertMonoCur->Checked());
    form->FileOptionsPage->ComboBox1->SetItemIndex(0);
    form->FileOptionsPage->ComboBox1Change();
    form->FileOptionsPage->InsertMonoCur->SetChecked(true);
    EXPECT_TRUE(form->FileOptionsPage->InsertMonoCur->Checked());
}
