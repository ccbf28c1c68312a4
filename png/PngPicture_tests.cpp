#include "PngPicture.h"

#include <gtest/gtest.h>

#include "PngTestSupport.h"

namespace {
TBitmap Picture(int w, int h, TPixelFormat pf) {
    TBitmap b(w, h, pf);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (IsPaletted(pf)) b.SetPixelIndex(x, y, (x * 7 + y * 3) % (1 << BitsOf(pf)));
            else b.SetPixel(x, y, MakeColor(uint8_t(x * 21), uint8_t(y * 17), uint8_t(x * y * 5)));
        }
    return b;
}

void RoundTrip(TRUDEDI& out, TRUDEDI& in) {
    TMemoryStream m;
    out.SaveToStream(m);
    m.SetPosition(0);
    in.LoadFromStream(m);
}

// Reads into in a paletted picture written with a transparent colour.
void ReadTransparentPicture(TRUDEDI& in) {
    TBitmap b = Picture(8, 8, TPixelFormat::pf8bit);
    TRUDEDI out;
    out.Assign(b);
    out.SetTransColor(QuadToColor(b.Colors()[3]));
    RoundTrip(out, in);
}
} // namespace

TEST(PngPicture, NewPictureIsEmptyAndWritesNothing) {
    TRUDEDI p;
    EXPECT_TRUE(p.GetEmpty());
    TMemoryStream m;
    p.WriteData(m);
    EXPECT_EQ(m.Size(), 0);
    EXPECT_DOUBLE_EQ(p.FGamma, 0.45455);
    EXPECT_EQ(p.GetTime().Year, CurrentUtcTime().Year);
}

TEST(PngPicture, IdatSizeIsCheckedAndKept) {
    TRUDEDI p;
    EXPECT_THROW(p.SetIDATSize(255), ERUDEDI);
    EXPECT_THROW(p.SetIDATSize(100001), ERUDEDI);
    EXPECT_EQ(p.IDATSize(), 32768);
    p.SetIDATSize(256);
    p.SetIDATSize(100000);
    EXPECT_EQ(p.IDATSize(), 100000);
    try {
        p.SetIDATSize(1);
    } catch (const ERUDEDI& e) {
        EXPECT_STREQ(e.what(), "PNG Param: Err IDAT Size(min:256  max:100000)");
    }
}

TEST(PngPicture, TransColourOnAnEmptyImageIsOnlyStored) {
    TRUDEDI p;
    p.SetTransColor(clRed);
    EXPECT_EQ(p.TransColor(), clRed);
    EXPECT_EQ(p.ImageTransparentColor(), -1);
    EXPECT_FALSE(p.Modified());
}

TEST(PngPicture, NoTransColourTurnsTransparencyOffAndWritesNoTrns) {
    TRUDEDI in;
    ReadTransparentPicture(in);
    ASSERT_TRUE(in.Transparent());
    ASSERT_TRUE(in.ImageTransparent());
    TColor before = in.ImageTransparentColor();
    in.SetTransColor(-1);
    EXPECT_FALSE(in.Transparent());
    EXPECT_FALSE(in.ImageTransparent());
    EXPECT_EQ(in.ImageTransparentColor(), before);
    TMemoryStream m;
    in.SaveToStream(m);
    for (const TParsedChunk& c : ParseChunks(m.Bytes())) EXPECT_NE(c.Type, "tRNS");
}

TEST(PngPicture, SetImageTakesTheTransparencyOfTheNewImage) {
    TRUDEDI p;
    ReadTransparentPicture(p);
    ASSERT_TRUE(p.Transparent());
    const TColor key = p.ImageTransparentColor();
    TBitmap external = Picture(3, 3, TPixelFormat::pf24bit);
    p.SetImage(&external);  // a plain bitmap is opaque
    EXPECT_FALSE(p.Transparent());
    EXPECT_FALSE(p.ImageTransparent());
    p.SetImage(nullptr);  // the own image is transparent again
    EXPECT_TRUE(p.Transparent());
    EXPECT_TRUE(p.ImageTransparent());
    EXPECT_EQ(p.ImageTransparentColor(), key);
}

TEST(PngPicture, AssignOfABitmapClearsTheExternalLink) {
    TBitmap external = Picture(3, 3, TPixelFormat::pf24bit);
    TBitmap own = Picture(5, 4, TPixelFormat::pf24bit);
    TRUDEDI p;
    p.SetImage(&external);
    EXPECT_EQ(p.GetWidth(), 3);
    p.Assign(own);
    EXPECT_EQ(p.GetWidth(), 5);
    EXPECT_NE(&p.GetImage(), &external);
    TBitmap copy;
    p.AssignTo(copy);
    EXPECT_EQ(copy.Width(), 5);
    EXPECT_EQ(copy.Pixel(4, 3), own.Pixel(4, 3));
    p.SetABmp(&external);
    EXPECT_EQ(&p.GetAlphaBitmap(), &external);
    p.SetImage(&external);  // the same bitmap cannot be both
    EXPECT_NE(&p.GetAlphaBitmap(), &external);
}

TEST(PngPicture, AssignOfAPictureCopiesImageAndOptions) {
    TRUDEDI a;
    a.Assign(Picture(6, 2, TPixelFormat::pf4bit));
    a.FComment = "c";
    a.FCompressLevel = 3;
    a.SetIDATSize(1000);
    a.FPassword = "not copied";
    a.FHasAlpha = true;
    TRUDEDI b;
    b.Assign(a);
    EXPECT_EQ(b.GetWidth(), 6);
    EXPECT_EQ(b.GetImage().PixelIndex(5, 1), a.GetImage().PixelIndex(5, 1));
    EXPECT_EQ(b.FComment, "c");
    EXPECT_EQ(b.FCompressLevel, 3);
    EXPECT_EQ(b.IDATSize(), 1000);
    EXPECT_TRUE(b.FPassword.empty());
    EXPECT_FALSE(b.FHasAlpha);
}

TEST(PngPicture, EveryWriterOptionReadsBackToTheSamePixels) {
    for (TPixelFormat pf : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit, TPixelFormat::pf16bit,
                            TPixelFormat::pf24bit, TPixelFormat::pf32bit})
        for (int filter = 0; filter <= 5; ++filter)
            for (bool adam7 : {false, true}) {
                SCOPED_TRACE(testing::Message() << "bits " << BitsOf(pf) << " filter " << filter << " adam7 " << adam7);
                TBitmap b = Picture(19, 7, pf);
                TBitmap alpha(19, 7, TPixelFormat::pf8bit);
                for (int y = 0; y < 7; ++y)
                    for (int x = 0; x < 19; ++x) alpha.ScanLine(y)[x] = uint8_t(x * 13 + y);
                TRUDEDI out, in;
                out.Assign(b);
                out.FFilterType = static_cast<TRUDEDIFilterType>(filter);
                out.FInterlaceType = adam7 ? gptAdam7 : gptNone;
                const bool withAlpha = BitsOf(pf) > 8;
                if (withAlpha) {
                    out.AlphaBitmapAssign(alpha);
                    out.FHasAlpha = true;
                }
                RoundTrip(out, in);
                EXPECT_EQ(in.FHasAlpha, withAlpha);
                for (int y = 0; y < 7; ++y)
                    for (int x = 0; x < 19; ++x) {
                        TColor want = b.Pixel(x, y), got = in.GetImage().Pixel(x, y);
                        if (pf == TPixelFormat::pf16bit) {
                            EXPECT_EQ(RedOf(got) >> 3, RedOf(want) >> 3);
                            EXPECT_EQ(GreenOf(got) >> 2, GreenOf(want) >> 2);
                        } else {
                            ASSERT_EQ(got, want) << x << "," << y;
                        }
                        if (withAlpha) {
                            ASSERT_EQ(in.GetAlphaBitmap().ScanLine(y)[x], alpha.ScanLine(y)[x]);
                        }
                    }
            }
}

TEST(PngPicture, ReadDataAndWriteDataStreamThePngBytes) {
    TRUDEDI a;
    a.Assign(Picture(4, 4, TPixelFormat::pf24bit));
    a.FInterlaceType = gptAdam7;  // WriteData keeps the writer's default
    TMemoryStream m;
    a.WriteData(m);
    ASSERT_GT(m.Size(), 8);
    EXPECT_EQ(ParseChunks(m.Bytes())[0].Data[12], 0);
    m.SetPosition(0);
    TRUDEDI b;
    TBitmap external;
    b.SetImage(&external);
    b.ReadData(m);
    EXPECT_NE(&b.GetImage(), &external);
    EXPECT_TRUE(external.Empty());  // read into the own image
    EXPECT_EQ(b.GetWidth(), 4);
    EXPECT_TRUE(b.Modified());
}

TEST(PngPicture, FileRoundTrip) {
    const std::string path = TempPath("rudedi_file.png");
    TRUDEDI a;
    a.Assign(Picture(9, 9, TPixelFormat::pf8bit));
    a.SaveToFile(path);
    TRUDEDI b;
    b.LoadFromFile(path);
    EXPECT_EQ(b.GetImage().Colors(), a.GetImage().Colors());
    EXPECT_THROW(b.LoadFromFile(TempPath("does_not_exist.png")), EFOpenError);
}
