// Pictures with more colours than a palette holds, dropped on the main window: each becomes
// one 32x32 image through the resize and the colour reduction; a cancelled reduction adds
// nothing.
#include <atomic>
#include <optional>
#include <set>
#include <thread>

#include "app/ExtIconTestSupport.h"
#include "app/ImageModel.h"
#include "app/ImportTestSupport.h"
#include "app/MainWindowTestSupport.h"
#include "base/ScopeGuard.h"
#include "base/Stream.h"
#include "editor/Reduce.h"
#include "editor/ReduceForm.h"
#include "formats/PictureImport.h"
#include "ui/Canvas.h"

namespace {

const char* const kNotImported = " は\nｲﾒｰｼﾞが含まれていないか,入力がｷｬﾝｾﾙされたため読み込めませんでした。";

struct ReduceImportTest : MainWindowTest {
    ReduceImportTest() : MainWindowTest("tamsolo-reduce-import") {}
    void SetUp() override {
        MainWindowTest::SetUp();
        form->OptionsPage->NoDlgDisp->SetChecked(true);
    }
    void Drop(const std::vector<std::string>& files) { SendDrop(form->DropPanel1->Handle(), files); }
    TColor Shown(int image, int x, int y) const {
        const CCURSOR& e = form->Entry(image);
        return ShownColour(e.Palette, e.Inverse, e.Pixels.At(x, y));
    }
};

// The raw pixels Pillow wrote beside its picture: 32x32 RGB, rows top down.
std::vector<TColor> PillowPixels(const std::string& name) {
    std::vector<uint8_t> raw;
    EXPECT_TRUE(ReadWholeFile(Data(name), raw, 1 << 20)) << name;
    std::vector<TColor> px;
    for (std::size_t i = 0; i + 2 < raw.size(); i += 3) px.push_back(MakeColor(raw[i], raw[i + 1], raw[i + 2]));
    EXPECT_EQ(px.size(), 1024u) << name;
    return px;
}

// Closes the visible reduction dialog (as Alt+F4 does) once its worker has made one pass;
// the pass hook holds the worker there until the close has cancelled it.
struct CloseHeldReduction {
    CloseHeldReduction() {
        Passes() = 0;
        SetReductionPassHook([](const std::atomic<bool>& cancel) {
            ++Passes();
            while (!cancel.load()) std::this_thread::yield();
        });
        SetTimer(nullptr, 0, 10, Tick);
    }
    ~CloseHeldReduction() { SetReductionPassHook(nullptr); }
    static std::atomic<int>& Passes() {
        static std::atomic<int> n{0};
        return n;
    }
    static BOOL CALLBACK Visit(HWND h, LPARAM lp) {
        if (ComponentNameOf(h) != "ReduceColDlg" || !IsWindowVisible(h)) return TRUE;
        *reinterpret_cast<HWND*>(lp) = h;
        return FALSE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
        if (Passes().load() == 0) return;
        HWND found = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), Visit, reinterpret_cast<LPARAM>(&found));
        if (!found) return;
        KillTimer(nullptr, id);
        PostMessageW(found, WM_CLOSE, 0, 0);
    }
};

} // namespace

TEST_F(ReduceImportTest, PillowPicturesOfManyColoursArriveReducedToTheNearestPaletteColours) {
    Drop({Data("pil_rgba32_32.png"), Data("pil_rgb24_32.png")});
    EXPECT_EQ(Messages(), std::vector<std::string>{});
    ASSERT_EQ(form->LastImage(), 1);
    EXPECT_EQ(form->ImagePage->ListBox1->Item(0), "pil_rgba32_32");
    EXPECT_EQ(form->FramePage->ListBox2->Count(), 2);

    // 64 colours (32-bit with alpha): every colour kept exactly.
    const std::vector<TColor> rgba = PillowPixels("pil_rgba32_32.rgb");
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) ASSERT_EQ(Shown(0, x, y), rgba[y * 32 + x]) << x << "," << y;

    // 1024 colours (24-bit): 256 palette entries, each pixel its source's nearest of them.
    const std::vector<TColor> rgb = PillowPixels("pil_rgb24_32.rgb");
    const CCURSOR& e = form->Entry(1);
    std::set<TColor> used;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const TColor want = QuadToColor(e.Palette[NearestPaletteIndex(e.Palette.data(), 256, rgb[y * 32 + x])]);
            ASSERT_EQ(Shown(1, x, y), want) << x << "," << y;
            used.insert(Shown(1, x, y));
        }
    EXPECT_GT(used.size(), 200u);
    EXPECT_LE(used.size(), 256u);
    // The top-left colour is the transparent one.
    EXPECT_EQ(e.TransX, 0);
    EXPECT_EQ(e.TransY, 0);
    EXPECT_EQ(e.TransColor, Shown(1, 0, 0));
}

TEST_F(ReduceImportTest, LargePicturesAreResizedThenReducedAsTheImportRulesSay) {
    // ImageMagick's 640x480 gradient, smart resize on without asking.
    form->OptionsPage->ResizeCheck->SetChecked(true);
    Drop({Data("im_640x480_gradient.png")});
    EXPECT_EQ(Messages(), std::vector<std::string>{});
    ASSERT_EQ(form->LastImage(), 0);
    PictureImportOptions options;
    options.SmartResize = true;
    ImportedImage expected;
    PictureImport picture = ReadPngFile(Data("im_640x480_gradient.png"), options, expected);
    ASSERT_EQ(picture.Result, PictureReadResult::NeedsReduction);
    cData data;
    TBitmap result;
    std::atomic<bool> cancel{false};
    THReduce worker(picture.Target, data, cancel, nullptr, false, 256, result);
    worker.Execute();
    ASSERT_EQ(worker.Status(), TReduceStatus::Reduced);
    EXPECT_EQ(form->Entry(0).Palette, data.Palette);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) ASSERT_EQ(form->Entry(0).Pixels.At(x, y), data.Pixels.At(x, y)) << x << "," << y;

    // A 64x64 true-colour bitmap with smart resize off asks; No stretches it.
    form->OptionsPage->ResizeCheck->SetChecked(false);
    boxes.Answer = IDNO;
    Drop({Data("im_64_truecolour.bmp")});
    EXPECT_EQ(Messages(), std::vector<std::string>{"すまーとリサイズを行いますか？"});
    ASSERT_EQ(form->LastImage(), 1);
    EXPECT_EQ(form->ImagePage->ListBox1->Item(1), "im_64_truecolour");
    TBitmap source;
    source.LoadFromFile(Data("im_64_truecolour.bmp"));
    const TBitmap stretched = StretchTo32(source);
    const CCURSOR& e = form->Entry(1);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(Shown(1, x, y), QuadToColor(e.Palette[NearestPaletteIndex(e.Palette.data(), 256, stretched.Pixel(x, y))]));
}

TEST_F(ReduceImportTest, ACancelledReductionLeavesTheDocumentAsItWas) {
    Drop({Data("pil_1bit.bmp")});
    ASSERT_EQ(form->LastImage(), 0);
    const CCURSOR before = form->Entry(0);
    boxes.Calls.clear();
    {
        CloseHeldReduction closer;
        Drop({Data("pil_rgb24_32.png")});
        EXPECT_EQ(CloseHeldReduction::Passes().load(), 1);  // closed in the middle of the run
    }
    EXPECT_EQ(Messages(), std::vector<std::string>{Data("pil_rgb24_32.png") + kNotImported});
    EXPECT_EQ(form->LastImage(), 0);
    EXPECT_EQ(form->ImagePage->ListBox1->Count(), 1);
    EXPECT_EQ(form->FramePage->ListBox2->Count(), 1);
    EXPECT_EQ(form->Entry(0).Pixels, before.Pixels);
    EXPECT_EQ(form->Entry(0).Palette, before.Palette);
    EXPECT_EQ(form->ImagePage->ListBox1->ItemIndex(), 0);
}

// Lets real message boxes show while it lives and answers the first of the thread with the
// button answer, from a thread of its own while the box runs its modal loop; Text is what the
// box said. The recorded boxes take over again afterwards.
struct AnswerRealBox {
    AnswerRealBox(RecordedBoxes& boxes, int answer) : FBoxes(boxes), FAnswer(answer), FThread(GetCurrentThreadId()) {
        SetMessageBoxHook(nullptr);
        FCloser = std::thread([this] {
            while (!FDone) {
                EnumThreadWindows(FThread, Visit, reinterpret_cast<LPARAM>(this));
                Sleep(10);
            }
        });
    }
    ~AnswerRealBox() {
        FDone = true;
        FCloser.join();
        FBoxes.Listen();
    }
    static BOOL CALLBACK Visit(HWND h, LPARAM lp) {
        auto* self = reinterpret_cast<AnswerRealBox*>(lp);
        wchar_t cls[16] = {}, text[256] = {};
        GetClassNameW(h, cls, 16);
        if (std::wstring(cls) != L"#32770" || !IsWindowVisible(h) || self->FAnswered) return TRUE;
        GetDlgItemTextW(h, 0xFFFF, text, 256);
        self->Text = U(text);
        self->FAnswered = true;
        PostMessageW(h, WM_COMMAND, static_cast<WPARAM>(self->FAnswer), 0);
        return FALSE;
    }
    std::string Text;

private:
    RecordedBoxes& FBoxes;
    int FAnswer;
    DWORD FThread;
    std::atomic<bool> FDone{false}, FAnswered{false};
    std::thread FCloser;
};

// After each box an import shows (the question, the reduction's progress, the background
// colour with or without the system's colour dialog, the icon picker), the main window is the active one
// again, so that keys reach it at once.
TEST_F(ReduceImportTest, TheMainWindowIsActiveAgainAfterEveryBoxOfAnImport) {
    TApplication::Instance().SetMainForm(form.get());
    TScopeExit noMain([] { TApplication::Instance().SetMainForm(nullptr); });
    form->ShowForm();
    enum Back { NoBack, HookedColour, RealColour };
    struct Case {
        const char* Name;
        std::string File;
        int Question;  // the answer to the real smart-resize question, 0: none asked
        Back BackColour;
    } cases[] = {
        {"question answered Yes", Data("im_64_truecolour.bmp"), IDYES, NoBack},
        {"question answered No", Data("im_64_truecolour.bmp"), IDNO, NoBack},
        {"reduction alone", Data("pil_rgb24_32.png"), 0, NoBack},
        {"background colour", Fixture("icotool_4bit.ico"), 0, HookedColour},
        {"background colour through the colour dialog", Fixture("icotool_4bit.ico"), 0, RealColour},
        {"the icon picker, then the reduction", Data("icotool_48.ico"), 0, NoBack},
    };
    AnswerExtIcon(0);  // the 48x48 icon's first entry
    TScopeExit noPicker([] { StopAnsweringExtIcon(); });
    for (const Case& c : cases) {
        SetForegroundWindow(form->Handle());
        ASSERT_EQ(GetActiveWindow(), form->Handle()) << c.Name;
        form->OptionsPage->NoDlgDisp->SetChecked(c.BackColour == NoBack);
        std::vector<bool> backShown;
        if (c.BackColour != NoBack) AnswerBackColour(RGB(1, 2, 3), false, backShown);
        BackColourAnswer().RealColourDialog = c.BackColour == RealColour;
        {
            TDialogWatch watch(form->Handle(), 5000);  // a box nobody answers fails the case
            std::optional<AnswerRealBox> box;  // the question, or the colour dialog
            if (c.Question || c.BackColour == RealColour) box.emplace(boxes, c.Question ? c.Question : IDOK);
            const int before = form->LastImage();
            Drop({c.File});
            EXPECT_EQ(form->LastImage(), before + 1) << c.Name;
            if (c.Question) {
                EXPECT_EQ(box->Text, "すまーとリサイズを行いますか？") << c.Name;
            }
            EXPECT_EQ(watch.Closed, std::vector<std::string>{}) << c.Name;
        }
        StopAnswering();
        EXPECT_EQ(backShown.size(), c.BackColour == NoBack ? 0u : 1u) << c.Name;
        EXPECT_EQ(GetActiveWindow(), form->Handle()) << c.Name;
        EXPECT_EQ(GetForegroundWindow(), form->Handle()) << c.Name;
    }
}

// The 48x48 entry of an icon made by icotool from a Pillow picture, loaded and drawn at 32x32
// on the background colour by Wine: a 32x32 picture of more colours than a palette holds.
TEST(ReduceIconEntry, ADrawn48x48IconEntryIsReducedOnItsBackground) {
    TApplication::Instance().Initialize();
    HICON icon = static_cast<HICON>(LoadImageW(nullptr, W(Data("icotool_48.ico")).c_str(), IMAGE_ICON, 48, 48, LR_LOADFROMFILE));
    ASSERT_NE(icon, nullptr);
    TDibSection dib(32, 32);
    TCanvas(dib.DC()).FillRect(RECT{0, 0, 32, 32}, clTeal);
    ASSERT_TRUE(DrawIconEx(dib.DC(), 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL));
    DestroyIcon(icon);
    TBitmap drawn(32, 32, TPixelFormat::pf24bit);
    std::set<TColor> colours;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            drawn.SetPixel(x, y, static_cast<TColor>(dib.PixelAt(x, y)));
            colours.insert(drawn.Pixel(x, y));
        }
    EXPECT_GT(colours.size(), 256u);  // more than a palette holds

    ImportedImage image;
    PictureImport picture = ImportPictureFromBitmap(drawn, {}, image);
    ASSERT_EQ(picture.Result, PictureReadResult::NeedsReduction);
    ImagePalette palette{};
    ASSERT_TRUE(ReduceColoursForImport(picture.Target, false, 256, palette));
    FinishReducedImport(picture.Target, palette, picture.SourceIs4Bit, image);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const TColor shown = QuadToColor(image.Cur.Palette[image.Cur.Pixels.At(x, y)]);
            ASSERT_EQ(shown, QuadToColor(palette[NearestPaletteIndex(palette.data(), 256, drawn.Pixel(x, y))]));
        }
    // The transparent corner of the icon shows the background, kept exactly.
    EXPECT_EQ(drawn.Pixel(0, 0), clTeal);
    EXPECT_EQ(QuadToColor(image.Cur.Palette[image.Cur.Pixels.At(0, 0)]), clTeal);
    EXPECT_EQ(image.TransColour, clTeal);
}
