// Frames made from bitmaps and rendered back, the picture operations of the image, the
// optimiser's pixel steps and the colour map optimizer.
#include <gtest/gtest.h>

#include "gif/GIFColorMapOptimizer.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFTestSupport.h"

using namespace giftest;

namespace {

// A paletted bitmap of the given format whose pixel (x, y) is (x + 3y) mod colours.
TBitmap Paletted(int width, int height, TPixelFormat format, int colors) {
    TBitmap b(width, height, format);
    b.Colors().clear();
    for (int i = 0; i < colors; ++i)
        b.Colors().push_back({static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 3), 0});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) b.SetPixelIndex(x, y, (x + 3 * y) % colors);
    return b;
}

TBitmap TrueColor(int width, int height, std::function<TColor(int, int)> color) {
    TBitmap b(width, height, TPixelFormat::pf24bit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) b.SetPixel(x, y, color(x, y));
    return b;
}

TGIFGraphicControlExtension& GiveControl(TGIFSubImage& frame) {
    auto extension = std::make_unique<TGIFGraphicControlExtension>(frame);
    TGIFGraphicControlExtension& ref = *extension;
    frame.Extensions().Add(std::move(extension));
    return ref;
}

}  // namespace

TEST(GIFFrameFromBitmap, EightBitBitmapGivesTheFixedLayout) {
    TGIFImage image;
    image.Add(Paletted(32, 32, TPixelFormat::pf8bit, 256));
    Bytes bytes = SaveImage(image);
    ASSERT_GT(bytes.size(), 792u);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 13), (Concat({Text("GIF87a"), {32, 0, 32, 0, 0x77, 0, 0}})));
    EXPECT_EQ(Bytes(bytes.begin() + 13, bytes.begin() + 23), (Bytes{0x2C, 0, 0, 0, 0, 32, 0, 32, 0, 0x87}));
    EXPECT_EQ(bytes[23 + 3 * 7], 21);         // red of entry 7
    EXPECT_EQ(bytes[23 + 3 * 7 + 1], 248);    // green
    EXPECT_EQ(bytes[791], 8);                 // minimum code size
    EXPECT_EQ(bytes.back(), 0x3B);
    TGIFImage back;
    LoadImage(back, bytes);
    EXPECT_EQ(FramePixels(back, 0), FramePixels(image, 0));
    EXPECT_EQ(FramePixels(image, 0)[32 + 1], 4);  // (1, 1)
}

TEST(GIFFrameFromBitmap, SmallPalettesGiveSmallTables) {
    struct Case {
        TPixelFormat format;
        int colors;
        uint8_t screenPacked, descriptorPacked, codeSize;
    };
    for (const Case& c : {Case{TPixelFormat::pf4bit, 16, 0x33, 0x83, 4}, Case{TPixelFormat::pf1bit, 2, 0x00, 0x80, 2}}) {
        TGIFImage image;
        TBitmap bitmap = Paletted(9, 5, c.format, c.colors);
        image.Assign(bitmap);
        Bytes bytes = SaveImage(image);
        EXPECT_EQ(bytes[10], c.screenPacked);
        EXPECT_EQ(bytes[22], c.descriptorPacked);
        EXPECT_EQ(bytes[23 + 3 * c.colors], c.codeSize);
        TGIFImage back;
        LoadImage(back, bytes);
        EXPECT_EQ(FramePixels(back, 0)[9 + 4], (4 + 3) % c.colors);
    }
}

TEST(GIFFrameFromBitmap, TrueColourPicturesAreTakenOrReduced) {
    TGIFImage image;
    image.SetColorReduction(rmNone);
    TColor three[] = {clRed, clLime, clBlue};
    image.Add(TrueColor(4, 2, [&](int x, int y) { return three[(x + y) % 3 == 2 ? 0 : (x + y) % 3 == 0 ? 1 : 2]; }));
    TGIFSubImage& frame = *image.Images().GetImage(0);
    ASSERT_EQ(frame.ColorMap().Count(), 3);
    EXPECT_EQ(frame.ColorMap()[0], (TGIFColor{0, 255, 0}));  // in the order of appearance
    EXPECT_EQ(frame.ColorMap()[1], (TGIFColor{0, 0, 255}));
    EXPECT_EQ(frame.ColorMap()[2], (TGIFColor{255, 0, 0}));
    Bytes bytes = SaveImage(image);
    EXPECT_EQ(bytes[22], 0x81);  // 3 colours written as a table of 4

    auto many = TrueColor(20, 15, [](int x, int y) { return MakeColor(static_cast<uint8_t>(x * 10), static_cast<uint8_t>(y * 10), 7); });
    TGIFImage plain;
    plain.SetColorReduction(rmNone);
    try {
        plain.Add(many);
        FAIL() << "300 colours fitted into one table";
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Color table overflow");
    }
    EXPECT_EQ(plain.Images().GetCount(), 0);
    TGIFImage reduced;
    reduced.Add(many);  // the web palette by default
    EXPECT_EQ(reduced.Images().GetImage(0)->ColorMap().Count(), 256);
    EXPECT_EQ(reduced.Images().GetImage(0)->Pixels()[0], 0);

    TGIFImage noPalette;
    noPalette.SetColorReduction(rmPalette);
    EXPECT_THROW(noPalette.Add(many), GIFException);
}

TEST(GIFFrameFromBitmap, MaskMakesPixelsTransparentWhenTheTableHasRoom) {
    TBitmap mask(6, 4, TPixelFormat::pf1bit);
    mask.SetPixelIndex(2, 1, 1);
    TGIFImage image;
    image.Add(Paletted(6, 4, TPixelFormat::pf8bit, 4), &mask);
    TGIFSubImage& frame = *image.Images().GetImage(0);
    ASSERT_NE(frame.GraphicControlExtension(), nullptr);
    EXPECT_TRUE(frame.Transparent());
    int index = frame.TransparentIndex();
    EXPECT_EQ(index, 4);
    EXPECT_EQ(frame.ColorMap()[index], (TGIFColor{0, 0, 0}));
    EXPECT_EQ(frame.Pixels()[6 + 2], index);
    EXPECT_TRUE(image.IsTransparent());
    EXPECT_EQ(SaveImage(image)[13], 0x21);  // the control extension comes first

    TGIFImage full;
    TBitmap all(16, 16, TPixelFormat::pf1bit);
    all.SetPixelIndex(0, 0, 1);
    TBitmap every = Paletted(16, 16, TPixelFormat::pf8bit, 256);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) every.SetPixelIndex(x, y, x + 16 * y);
    full.Add(every, &all);
    EXPECT_EQ(full.Images().GetImage(0)->GraphicControlExtension(), nullptr);
}

TEST(GIFImagePicture, AssignAddAndPropertyRules) {
    TGIFImage image;
    image.Assign(Paletted(4, 4, TPixelFormat::pf8bit, 4));
    image.Assign(Paletted(5, 3, TPixelFormat::pf8bit, 4));
    ASSERT_EQ(image.Images().GetCount(), 1);
    EXPECT_EQ(image.Images().GetImage(0)->GetWidth(), 5);

    // A frame of another image is copied; one of this image not yet listed is adopted.
    TGIFImage other;
    other.Add(Paletted(2, 2, TPixelFormat::pf8bit, 2));
    auto foreign = std::make_unique<TGIFSubImage>(&other);
    foreign->Assign(*other.Images().GetImage(0));
    image.Add(std::move(foreign));
    auto own = std::make_unique<TGIFSubImage>(&image);
    TGIFSubImage* ownPointer = own.get();
    own->Assign(*other.Images().GetImage(0));
    image.Add(std::move(own));
    ASSERT_EQ(image.Images().GetCount(), 3);
    EXPECT_EQ(image.Images().GetImage(1)->Image(), &image);
    EXPECT_EQ(image.Images().GetImage(2), ownPointer);

    EXPECT_THROW(image.SetReductionBits(2), GIFException);
    EXPECT_THROW(image.SetReductionBits(9), GIFException);
    image.SetReductionBits(3);
    EXPECT_EQ(image.GetReductionBits(), 3);
    image.SetAnimationSpeed(-5);
    EXPECT_EQ(image.GetAnimationSpeed(), 0);
    image.SetAnimationSpeed(5000);
    EXPECT_EQ(image.GetAnimationSpeed(), 1000);
    EXPECT_THROW(image.SetWidth(4), GIFException);
    EXPECT_EQ(image.GetWidth(), 5);
    image.SetWidth(8);
    EXPECT_EQ(image.GetWidth(), 8);

    TGIFImage empty;
    TMemoryStream stream;
    EXPECT_THROW(empty.SaveToStream(stream), GIFException);
    EXPECT_EQ(stream.Size(), 0);
    EXPECT_EQ(empty.GetBitmap(), nullptr);

    // goDither without goAutoDither always dithers; with it, only on a palette display.
    empty.SetDrawOptions(GIFOption(goDither));
    EXPECT_TRUE(empty.DoDither());
    empty.SetDrawOptions(GIFOption(goDither) | GIFOption(goAutoDither));
    EXPECT_EQ(empty.DoDither(), DoAutoDither);
    empty.SetDrawOptions(0);
    EXPECT_FALSE(empty.DoDither());
}

TEST(GIFImagePicture, CopyTakesFramesAndSettingsButNoEvents) {
    TGIFImage source;
    source.SetDitherMode(dmBurkes);
    source.SetReductionBits(5);
    source.Add(Paletted(3, 3, TPixelFormat::pf8bit, 4));
    GiveControl(*source.Images().GetImage(0)).SetDelay(7);
    source.Add(Paletted(3, 3, TPixelFormat::pf8bit, 2));
    int reports = 0;
    source.OnProgress = [&](const void*, TProgressStage, int, bool, const std::string&) { ++reports; };
    source.OnWarning = [](const void*, TGIFSeverity, const std::string&) {};
    TGIFImage copy;
    copy.Assign(source);
    EXPECT_GT(reports, 0);
    EXPECT_FALSE(copy.OnProgress);
    EXPECT_FALSE(copy.OnWarning);
    ASSERT_EQ(copy.Images().GetCount(), 2);
    EXPECT_EQ(copy.GetDitherMode(), dmBurkes);
    EXPECT_EQ(copy.GetReductionBits(), 8);
    ASSERT_NE(copy.Images().GetImage(0)->GraphicControlExtension(), nullptr);
    EXPECT_EQ(copy.Images().GetImage(0)->GraphicControlExtension()->GetDelay(), 7);
    EXPECT_EQ(SaveImage(copy), SaveImage(source));
}

TEST(GIFFrameRendering, BitmapMaskAndDitheredRendering) {
    TGIFImage image;
    image.SetDrawOptions(0);
    TGIFSubImage& frame = AddFrame(image, 3, 2, 4, {0, 1, 2, 3, 2, 1});
    TGIFGraphicControlExtension& gce = GiveControl(frame);
    gce.SetTransparentColorIndex(2);
    gce.SetTransparent(true);
    ASSERT_TRUE(frame.HasMask());
    const TBitmap* bitmap = frame.GetBitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(bitmap->PixelIndex(2, 0), 2);
    EXPECT_EQ(bitmap->Pixel(2, 1), TGIFColorMap::RGB2Color(frame.ColorMap()[1]));
    const TBitmap* mask = frame.Mask();
    EXPECT_EQ(mask->PixelIndex(2, 0), 1);
    EXPECT_EQ(mask->PixelIndex(1, 1), 1);
    EXPECT_EQ(mask->PixelIndex(0, 1), 0);
    TBitmap copy;
    frame.AssignTo(copy);
    EXPECT_EQ(copy.Width(), 3);
    EXPECT_EQ(copy.Pixel(2, 1), bitmap->Pixel(2, 1));
    TGIFSubImage empty(&image);
    empty.AssignTo(copy);
    EXPECT_TRUE(copy.Empty());

    // Dithered: web colours, and the transparent pixels keep the web entry of their colour.
    image.SetDrawOptions(GIFOption(goDither));
    frame.FreeBitmap();
    frame.SetPalette(nullptr);
    bitmap = frame.GetBitmap();
    EXPECT_EQ(bitmap->Colors().size(), 256u);
    TGIFColor t = frame.GetActiveColorMap()[2];
    int web = ((t.Red + 3) / 51) * 36 + ((t.Green + 3) / 51) * 6 + (t.Blue + 3) / 51;
    EXPECT_EQ(bitmap->PixelIndex(2, 0), web);
    EXPECT_EQ(bitmap->PixelIndex(0, 0), 0 * 36 + 5 * 6 + 0);  // (0, 255, 0)
}

TEST(GIFFrameRendering, ScreenBitmapHoldsTheFirstFrameAtItsPlace) {
    TGIFImage image;
    image.SetDrawOptions(0);
    TGIFSubImage& frame = AddFrame(image, 2, 1, 2, {0, 1});
    frame.DoSetBounds(3, 2, 2, 1);
    frame.Pixels()[1] = 1;
    const TBitmap* screen = image.GetBitmap();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->Width(), 5);
    EXPECT_EQ(screen->Height(), 3);
    EXPECT_EQ(screen->Pixel(4, 2), TGIFColorMap::RGB2Color(frame.ColorMap()[1]));
    EXPECT_EQ(screen->Pixel(0, 0), clBlack);
}

TEST(GIFFrameOptimising, CropCutsTransparentEdgesOrClears) {
    TGIFImage image;
    Bytes pixels(10 * 9, 3);
    pixels[7 * 10 + 5] = 1;
    TGIFSubImage& frame = AddFrame(image, 10, 9, 4, pixels);
    frame.DoSetBounds(2, 1, 10, 9);
    std::copy(pixels.begin(), pixels.end(), frame.Pixels().begin());
    TGIFGraphicControlExtension& gce = GiveControl(frame);
    gce.SetTransparentColorIndex(3);
    gce.SetTransparent(true);
    frame.Crop();
    EXPECT_EQ(frame.GetBoundsRect(), (TGIFRect{7, 8, 8, 9}));
    ASSERT_EQ(frame.Pixels().size(), 1u);
    EXPECT_EQ(frame.Pixels()[0], 1);

    TGIFSubImage& clear = AddFrame(image, 4, 4, 4, Bytes(16, 3));
    TGIFGraphicControlExtension& g2 = GiveControl(clear);
    g2.SetTransparentColorIndex(3);
    g2.SetTransparent(true);
    clear.Crop();
    EXPECT_TRUE(clear.GetEmpty());
}

TEST(GIFFrameOptimising, MergeTurnsUnchangedPixelsTransparent) {
    TGIFImage image;
    TGIFSubImage& first = AddFrame(image, 3, 1, 4, {0, 1, 2});
    TGIFSubImage& second = AddFrame(image, 3, 1, 4, {0, 3, 2});
    second.Merge(&first);
    ASSERT_TRUE(second.Transparent());
    int t = second.TransparentIndex();
    EXPECT_EQ(t, 4);  // black appended to the local table
    EXPECT_EQ(FramePixels(image, 1), (Bytes{4, 3, 4}));

    // Nothing changes after a frame that is disposed to the background.
    TGIFSubImage& third = AddFrame(image, 3, 1, 4, {0, 1, 2});
    GiveControl(first).SetDisposal(dmBackground);
    TGIFSubImage& fourth = AddFrame(image, 3, 1, 4, {0, 1, 2});
    fourth.Merge(&first);
    EXPECT_FALSE(fourth.Transparent());
    (void)third;
}

TEST(GIFFrameOptimising, MergeBorrowsOnlyAnUnusedTransparentIndex) {
    TGIFImage image;
    std::vector<TGIFColor> colors = GreyColors(4);
    image.ColorMap().ImportColorMap(colors.data(), 4);
    auto add = [&](Bytes pixels) -> TGIFSubImage& {
        auto frame = std::make_unique<TGIFSubImage>(&image);
        frame->DoSetBounds(0, 0, 3, 1);
        std::copy(pixels.begin(), pixels.end(), frame->Pixels().begin());
        TGIFSubImage& ref = *frame;
        image.Images().Add(std::move(frame));
        return ref;
    };
    TGIFSubImage& lender = add({0, 0, 0});
    TGIFGraphicControlExtension& g = GiveControl(lender);
    g.SetTransparentColorIndex(1);
    g.SetTransparent(true);
    TGIFSubImage& previous = add({2, 3, 2});
    TGIFSubImage& uses = add({2, 1, 3});  // uses index 1 itself
    uses.Merge(&previous);
    EXPECT_EQ(uses.TransparentIndex(), 4);  // black appended to the global table instead
    EXPECT_EQ(image.ColorMap().Count(), 5);
    EXPECT_EQ(FramePixels(image, 2), (Bytes{4, 1, 3}));
}

TEST(GIFColorMapOptimizer, MergesTablesIntoOneGlobalTableByUse) {
    TGIFImage image;
    Bytes pixels;
    for (int i = 0; i < 10; ++i) pixels.insert(pixels.end(), static_cast<std::size_t>(2 * i + 2), static_cast<uint8_t>(i));
    TGIFSubImage& a = AddFrame(image, 110, 1, 16, pixels);
    TGIFSubImage& b = AddFrame(image, 3, 1, 4, {3, 3, 3});
    b.ColorMap().SetColor(3, TGIFColorMap::RGB2Color(a.ColorMap()[0]));  // shares a's colour 0
    image.OptimizeColorMap();
    EXPECT_EQ(a.ColorMap().Count(), 0);
    EXPECT_EQ(b.ColorMap().Count(), 0);
    ASSERT_EQ(image.ColorMap().Count(), 10);
    EXPECT_TRUE(image.ColorMap().Optimized());
    EXPECT_EQ(image.ColorMap()[0], GreyColors(16)[9]);  // 20 uses
    // a's colour 0 had two uses and b's three: five, between colour 2 (six) and colour 1 (four).
    EXPECT_EQ(image.ColorMap()[8], GreyColors(16)[0]);
    EXPECT_EQ(image.ColorMap()[9], GreyColors(16)[1]);
    EXPECT_EQ(FramePixels(image, 1), (Bytes{8, 8, 8}));
    EXPECT_EQ(a.Pixels()[0], 8);
    EXPECT_EQ(a.Pixels()[109], 0);
    Bytes saved = SaveImage(image);
    EXPECT_EQ(std::string(saved.begin(), saved.begin() + 6), "GIF89a");  // the sorted flag needs 89a
}

TEST(GIFColorMapOptimizer, TransparencyGetsABlackEntryAndUnusedTransparencyGoes) {
    TGIFImage image;
    TGIFSubImage& a = AddFrame(image, 3, 1, 4, {0, 1, 2});
    TGIFGraphicControlExtension& ga = GiveControl(a);
    ga.SetTransparentColorIndex(2);
    ga.SetTransparent(true);
    TGIFSubImage& b = AddFrame(image, 3, 1, 4, {0, 0, 9});
    TGIFGraphicControlExtension& gb = GiveControl(b);
    gb.SetTransparentColorIndex(3);
    gb.SetTransparent(true);
    TWarnings warnings;
    warnings.Attach(image);
    image.OptimizeColorMap();
    EXPECT_FALSE(b.Transparent());  // index 3 occurs in none of its pixels
    EXPECT_EQ(warnings.Messages, (std::vector<std::string>{"Color not in color table"}));
    ASSERT_EQ(image.ColorMap().Count(), 3);  // colours 0 and 1, then black
    EXPECT_EQ(a.TransparentIndex(), 2);
    EXPECT_EQ(image.ColorMap()[2], (TGIFColor{0, 0, 0}));
    EXPECT_EQ(FramePixels(image, 0), (Bytes{0, 1, 2}));
    EXPECT_EQ(FramePixels(image, 1), (Bytes{0, 0, 0}));
}

TEST(GIFColorMapOptimizer, ColoursBeyondTheLimitTakeTheNearestSumOfTheChosen) {
    // 256 colours of even red + green + blue sums 0..510, colour k used 3 + k times, and 44
    // colours of odd sums 1..87 used once each: every odd sum lies halfway between two
    // kept sums, and the tie goes to the colour met first in order of use (the larger sum).
    // With a transparent index in use only 255 colours fit: the least used (sum 0) goes too.
    auto even = [](int k) {
        return TGIFColor{static_cast<uint8_t>(std::min(2 * k, 255)), static_cast<uint8_t>(std::max(0, 2 * k - 255)), 0};
    };
    for (bool transparency : {false, true}) {
        SCOPED_TRACE(transparency);
        TGIFImage image;
        std::vector<TGIFColor> colorsA, colorsB;
        Bytes pixelsA, pixelsB;
        for (int k = 0; k < 256; ++k) {
            std::vector<TGIFColor>& colors = k < 150 ? colorsA : colorsB;
            Bytes& pixels = k < 150 ? pixelsA : pixelsB;
            pixels.insert(pixels.end(), static_cast<std::size_t>(3 + k), static_cast<uint8_t>(colors.size()));
            colors.push_back(even(k));
        }
        const std::size_t firstOdd = colorsB.size();
        for (int m = 0; m < 44; ++m) {
            pixelsB.push_back(static_cast<uint8_t>(colorsB.size()));
            colorsB.push_back(TGIFColor{static_cast<uint8_t>(2 * m), 0, 1});
        }
        if (transparency) {
            pixelsA.insert(pixelsA.end(), 5, static_cast<uint8_t>(colorsA.size()));
            colorsA.push_back(TGIFColor{1, 2, 3});
        }
        TGIFSubImage& a = AddFrame(image, static_cast<int>(pixelsA.size()), 1, 2, pixelsA);
        a.ColorMap().Clear();
        a.ColorMap().ImportColorMap(colorsA.data(), static_cast<int>(colorsA.size()));
        if (transparency) {
            TGIFGraphicControlExtension& g = GiveControl(a);
            g.SetTransparentColorIndex(static_cast<int>(colorsA.size()) - 1);
            g.SetTransparent(true);
        }
        TGIFSubImage& b = AddFrame(image, static_cast<int>(pixelsB.size()), 1, 2, pixelsB);
        b.ColorMap().Clear();
        b.ColorMap().ImportColorMap(colorsB.data(), static_cast<int>(colorsB.size()));
        const Bytes oldB = pixelsB;

        image.OptimizeColorMap();
        ASSERT_EQ(image.ColorMap().Count(), 256);
        EXPECT_EQ(image.ColorMap()[0], even(255));  // the most used
        if (transparency) {
            EXPECT_EQ(a.TransparentIndex(), 255);
            EXPECT_EQ(image.ColorMap()[255], (TGIFColor{0, 0, 0}));
            EXPECT_EQ(image.ColorMap()[a.Pixels().back()], (TGIFColor{0, 0, 0}));
            EXPECT_EQ(a.Pixels().back(), 255);
            EXPECT_EQ(image.ColorMap()[a.Pixels()[0]], even(1));  // sum 0 drawn with sum 2
        } else {
            EXPECT_EQ(image.ColorMap()[a.Pixels()[0]], even(0));
        }
        const auto newB = b.Pixels();
        for (std::size_t i = 0; i < oldB.size(); ++i)
            if (oldB[i] >= firstOdd) {
                const int m = static_cast<int>(oldB[i] - firstOdd);
                ASSERT_EQ(image.ColorMap()[newB[i]], even(m + 1)) << "odd sum " << 2 * m + 1;
            } else {
                ASSERT_EQ(image.ColorMap()[newB[i]], colorsB[oldB[i]]);
            }
    }
}

TEST(GIFImageOptimize, DisposalIsDroppedOnlyWhenTheNextFrameCoversTheFrame) {
    struct TCase {
        const char* Name;
        int NextSize;
        bool NextTransparent;
        bool Dropped;
    };
    const TCase cases[] = {
        {"covered by an opaque frame", 6, false, true},
        {"not covered", 2, false, false},
        {"covered by a transparent frame", 6, true, false},  // the frame shows through it
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TGIFImage image;
        TGIFSubImage& first = AddFrame(image, 4, 4, 4, Bytes(16, 1));
        GiveControl(first).SetDisposal(dmBackground);
        TGIFSubImage& second = AddFrame(image, c.NextSize, c.NextSize, 4, Bytes(static_cast<std::size_t>(c.NextSize * c.NextSize), 2));
        if (c.NextTransparent) {
            TGIFGraphicControlExtension& g = GiveControl(second);
            g.SetTransparentColorIndex(2);
            g.SetTransparent(true);
        }
        image.Optimize(GIFOptimizeOption(ooCleanup), rmNone, dmNearest, 8);
        TGIFGraphicControlExtension* gce = image.Images().GetImage(0)->GraphicControlExtension();
        if (c.Dropped) {
            EXPECT_EQ(gce, nullptr);  // disposal none, nothing else to carry: the extension went too
        } else {
            ASSERT_NE(gce, nullptr);
            EXPECT_EQ(gce->GetDisposal(), dmBackground);
        }
    }
}

TEST(GIFImageOptimize, OnlyTheFirstFrameOfAnAnimationKeepsItsLoopExtension) {
    auto loops = [](TGIFSubImage& frame) {
        int n = 0;
        for (int i = 0; i < frame.Extensions().GetCount(); ++i) n += dynamic_cast<TGIFAppExtNSLoop*>(frame.Extensions().GetExtension(i)) != nullptr;
        return n;
    };
    for (int frames : {1, 2}) {
        SCOPED_TRACE(frames);
        TGIFImage image;
        for (int i = 0; i < frames; ++i) {
            TGIFSubImage& f = AddFrame(image, 2, 2, 4, Bytes(4, static_cast<uint8_t>(i)));
            f.Extensions().Add(std::make_unique<TGIFAppExtNSLoop>(f));
        }
        image.Optimize(GIFOptimizeOption(ooCleanup), rmNone, dmNearest, 8);
        ASSERT_EQ(image.Images().GetCount(), frames);
        EXPECT_EQ(loops(*image.Images().GetImage(0)), frames > 1 ? 1 : 0);
        if (frames > 1) {
            EXPECT_EQ(loops(*image.Images().GetImage(1)), 0);
        }
    }
}

TEST(GIFImageOptimize, WholeTransparentFirstFrameStaysAndStreamingOptimisesWhenAsked) {
    TGIFImage image;
    TGIFSubImage& first = AddFrame(image, 3, 3, 4, Bytes(9, 3));
    TGIFGraphicControlExtension& g = GiveControl(first);
    g.SetTransparentColorIndex(3);
    g.SetTransparent(true);
    g.SetDelay(4);
    AddFrame(image, 3, 3, 4, Bytes(9, 1));
    image.Optimize(GIFOptimizeOption(ooCrop), rmNone, dmNearest, 8);
    ASSERT_EQ(image.Images().GetCount(), 2);
    EXPECT_EQ(image.Images().GetImage(0)->GetWidth(), 3);

    auto comment = std::make_unique<TGIFCommentExtension>(*image.Images().GetImage(1));
    comment->Text().Add("gone when optimised");
    image.Images().GetImage(1)->Extensions().Add(std::move(comment));
    TMemoryStream plain, optimised;
    image.WriteData(plain);
    GIFImageOptimizeOnStream = true;
    image.WriteData(optimised);
    GIFImageOptimizeOnStream = false;
    EXPECT_LT(optimised.Size(), plain.Size());
    EXPECT_EQ(image.Images().GetImage(1)->Extensions().GetCount(), 0);
}
