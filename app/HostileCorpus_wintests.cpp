// A hostile corpus dropped on a running main window that holds images and frames: device
// names and files that are no disk files, sparse and endless files, modules whose thousands of
// groups name one large or one broken image, counters and pictures past every bound, and the
// square padding of pictures of extreme aspect. Each file is made here (none is kept in the
// tree); for each the process lives, the document stays as it was (or gains the one image a
// sound picture gives), the import gives its message or the picker, and the longest stretch
// the window leaves a message unanswered is measured.
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "app/DocumentViewTestSupport.h"
#include "app/ExtIconTestSupport.h"
#include "app/ImportTestSupport.h"
#include "app/MainWindowTestSupport.h"
#include "base/ByteIO.h"
#include "base/Format.h"
#include "base/Stream.h"
#include "formats/HostileIconFiles.h"

namespace {

const char* const kNotImported = "%s は\nｲﾒｰｼﾞが含まれていないか,入力がｷｬﾝｾﾙされたため読み込めませんでした。";
const char* const kAniNotOpened = "%s の\n読み込みに失敗しました。";
const char* const kAniRejected = "%s は\nRIFFｱﾆﾒｰｼｮﾝﾎﾟｲﾝﾀではないか、\nまたは対応されていない形式です。";

// The longest the window may leave a message unanswered for any file.
constexpr double kLongestUnansweredMs = 2000;

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

// Runs a shell command line on the host (Wine starts Unix programs as they are) and waits
// until `made` names what it makes: FIFOs, links to devices and files named like devices
// cannot be made through the Windows side.
bool HostShell(const std::string& command, const std::string& made) {
    std::wstring line = L"/bin/sh -c \"" + W(command) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(L"Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    const std::wstring seen = W(made);
    for (int i = 0; i < 500; ++i) {
        WIN32_FIND_DATAW found;
        const HANDLE h = FindFirstFileW(seen.c_str(), &found);
        if (h != INVALID_HANDLE_VALUE) {
            FindClose(h);
            return true;
        }
        Sleep(10);
    }
    return false;
}

// A 4 GB file of no stored bytes: its end set far out, as a sparse file.
bool MakeSparseFile(const std::string& path) {
    const HANDLE h = CreateFileW(W(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER end;
    end.QuadPart = 4LL << 30;
    const bool ok = SetFilePointerEx(h, end, nullptr, FILE_BEGIN) && SetEndOfFile(h);
    CloseHandle(h);
    return ok;
}

// ---- pictures

// A bitmap file: the file header, a BITMAPINFOHEADER of the given size, depth and compression,
// a palette of `colours` grey entries, then `bits`.
std::vector<uint8_t> BitmapFile(int32_t width, int32_t height, uint16_t depth, uint32_t compression, uint32_t colours,
                                const std::vector<uint8_t>& bits) {
    ByteWriter w;
    const uint32_t offset = 14 + 40 + 4 * colours;
    w.U8('B');
    w.U8('M');
    w.U32(offset + static_cast<uint32_t>(bits.size()));
    w.U32(0);
    w.U32(offset);
    w.U32(40);
    w.U32(static_cast<uint32_t>(width));
    w.U32(static_cast<uint32_t>(height));
    w.U16(1);
    w.U16(depth);
    w.U32(compression);
    w.U32(static_cast<uint32_t>(bits.size()));
    w.U32(2835);
    w.U32(2835);
    w.U32(colours);
    w.U32(0);
    for (uint32_t i = 0; i < colours; ++i) w.U32((i * 0x010101u * (colours > 16 ? 1 : 17)) & 0xFFFFFFu);
    w.Bytes(bits.data(), bits.size());
    return w.Data;
}

// A 32x32 RLE bitmap whose encoded runs, `runs` of 255 pixels each with no end of line, carry
// the column counter far past the row (past 2^31 for 8.5 million runs).
std::vector<uint8_t> RunawayRleBitmap(uint16_t depth, std::size_t runs) {
    std::vector<uint8_t> bits;
    bits.reserve(2 * runs + 2);
    for (std::size_t i = 0; i < runs; ++i) bits.insert(bits.end(), {255, 0x11});
    bits.insert(bits.end(), {0, 1});
    return BitmapFile(32, 32, depth, depth == 8 ? 1 : 2, depth == 8 ? 256 : 16, bits);
}

// A bitmap of 6 bytes of RLE that declares a huge picture: one run, then the end.
std::vector<uint8_t> RleBombBitmap() { return BitmapFile(32768, 8192, 8, 1, 256, {255, 1, 0, 0, 0, 1}); }

// A 24-bit bitmap of width x height, a colour gradient.
std::vector<uint8_t> TrueColourBitmap(int width, int height) {
    const std::size_t row = (3 * static_cast<std::size_t>(width) + 3) / 4 * 4;
    std::vector<uint8_t> bits(row * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &bits[static_cast<std::size_t>(y) * row + 3 * static_cast<std::size_t>(x)];
            p[0] = static_cast<uint8_t>(x * 7);
            p[1] = static_cast<uint8_t>(y * 3);
            p[2] = 200;
        }
    return BitmapFile(width, height, 24, 0, 0, bits);
}

void PutBE32(std::vector<uint8_t>& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

// A PNG of zero rows (each filter byte and its pixels 0) that declares width x height at the
// depth and colour type given, interlaced or not: a few hundred KB that inflate to the whole
// picture. The rows are deflated as they are made, never held whole.
std::vector<uint8_t> ZeroPng(uint32_t width, uint32_t height, uint8_t depth, uint8_t colourType, bool interlaced) {
    const int channels = colourType == 0 ? 1 : colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
    const auto rowBytes = [&](uint64_t w) { return w == 0 ? 0 : 1 + (w * channels * depth + 7) / 8; };
    uint64_t raw = 0;
    if (!interlaced) {
        raw = rowBytes(width) * height;
    } else {
        const int x0[7] = {0, 4, 0, 2, 0, 1, 0}, y0[7] = {0, 0, 4, 0, 2, 0, 1};
        const int dx[7] = {8, 8, 4, 4, 2, 2, 1}, dy[7] = {8, 8, 8, 4, 4, 2, 2};
        for (int p = 0; p < 7; ++p) {
            const uint64_t w = width > uint32_t(x0[p]) ? (width - x0[p] + dx[p] - 1) / dx[p] : 0;
            const uint64_t h = height > uint32_t(y0[p]) ? (height - y0[p] + dy[p] - 1) / dy[p] : 0;
            raw += rowBytes(w) * h;
        }
    }
    std::vector<uint8_t> packed;
    z_stream z{};
    deflateInit(&z, 9);
    std::vector<uint8_t> zeros(1 << 20, 0), out(1 << 16);
    for (uint64_t left = raw;;) {
        const uInt n = static_cast<uInt>(std::min<uint64_t>(left, zeros.size()));
        left -= n;
        z.next_in = zeros.data();
        z.avail_in = n;
        const int flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        int r;
        do {
            z.next_out = out.data();
            z.avail_out = static_cast<uInt>(out.size());
            r = deflate(&z, flush);
            packed.insert(packed.end(), out.data(), out.data() + (out.size() - z.avail_out));
        } while (z.avail_out == 0 || (flush == Z_FINISH && r != Z_STREAM_END));
        if (flush == Z_FINISH) break;
    }
    deflateEnd(&z);
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    const auto chunk = [&](const char* type, const std::vector<uint8_t>& data) {
        PutBE32(png, static_cast<uint32_t>(data.size()));
        const std::size_t at = png.size();
        png.insert(png.end(), type, type + 4);
        png.insert(png.end(), data.begin(), data.end());
        PutBE32(png, static_cast<uint32_t>(crc32(0L, png.data() + at, static_cast<uInt>(png.size() - at))));
    };
    std::vector<uint8_t> header;
    PutBE32(header, width);
    PutBE32(header, height);
    header.insert(header.end(), {depth, colourType, 0, 0, static_cast<uint8_t>(interlaced ? 1 : 0)});
    chunk("IHDR", header);
    chunk("IDAT", packed);
    chunk("IEND", {});
    return png;
}

// ---- the fixture

struct HostileCorpusTest : MainWindowTest {
    HostileCorpusTest() : MainWindowTest("tamsolo-hostile-corpus") {}
    void SetUp() override {
        MainWindowTest::SetUp();
        form->OptionsPage->NoDlgDisp->SetChecked(true);
        SendDrop(form->DropPanel1->Handle(), {Fixture("icotool_4bit.ico"), Fixture("icotool_8bit.cur")});
        ASSERT_EQ(form->LastImage(), 1);
        ASSERT_EQ(form->FramePage->ListBox2->Count(), 2);
        AnswerExtIcon(-1);  // a picker that opens is cancelled
    }
    void TearDown() override {
        StopAnsweringExtIcon();
        for (const std::string& f : made) DeleteFileW(W(f).c_str());
        MainWindowTest::TearDown();
    }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::string path = folder + name;
        EXPECT_TRUE(WriteWholeFile(path, bytes.data(), bytes.size())) << path;
        made.push_back(path);
        return path;
    }

    // What one drop did.
    struct Outcome {
        std::vector<std::string> Messages;
        int PickersShown = 0;
        double LongestUnansweredMs = 0, PeakMegabytes = 0;
        bool DocumentKept = false;  // the document as it was before
        bool OneImageAdded = false; // the images and frames as before, and one image and frame more
    };

    Outcome Drop(const std::string& path) {
        const DocumentView before = ViewOf(*form);
        boxes.Calls.clear();
        const int pickers = ExtIconAnswer().Shown;
        Outcome o;
        {
            TAnswerWatch watch(form->Handle());
            Sleep(40);  // the watch has asked at least once before the drop
            SendDrop(form->DropPanel1->Handle(), {path});
            watch.Stop();
            o.LongestUnansweredMs = watch.LongestMs();
            o.PeakMegabytes = watch.PeakMegabytes();
        }
        o.Messages = Messages();
        o.PickersShown = ExtIconAnswer().Shown - pickers;
        DocumentView now = ViewOf(*form);
        o.DocumentKept = now == before;
        if (now.Names.size() == before.Names.size() + 1 && now.Frames.size() == before.Frames.size() + 1) {
            now.Names.pop_back();
            now.Pixels.pop_back();
            now.Palettes.pop_back();
            now.Frames.pop_back();
            o.OneImageAdded = now == before;
        }
        std::printf("  %-36s unanswered %6.0f ms, peak %6.1f MB, %s\n", ExtractFileName(path).c_str(),
                    o.LongestUnansweredMs, o.PeakMegabytes,
                    o.OneImageAdded ? "one image added"
                    : o.DocumentKept ? (o.Messages.empty() ? "no message" : "message")
                                     : "document changed");
        return o;
    }

    // The file gives the message (and a picker only where `picker`), leaves the document as
    // it was, and never leaves the window unanswered for long.
    void ExpectRefused(const std::string& path, const std::string& message, bool picker = false) {
        SCOPED_TRACE(path);
        const Outcome o = Drop(path);
        ASSERT_FALSE(o.Messages.empty());
        EXPECT_EQ(o.Messages.back(), Format(message.c_str(), path.c_str()));
        EXPECT_EQ(o.PickersShown, picker ? 1 : 0);
        EXPECT_TRUE(o.DocumentKept);
        EXPECT_LT(o.LongestUnansweredMs, kLongestUnansweredMs);
    }

    std::vector<std::string> made;
};

// Names that Windows takes for devices, and files that are no files on a disk: each is
// refused at once, before any reader opens it (AUX and COM1 open the serial port, and a read
// from a FIFO or a character device waits or never ends).
TEST_F(HostileCorpusTest, DevicesAndFilesNotOnADiskAreRefusedAtOnce) {
    for (const char* name : {"AUX.bmp", "COM1.png", "aux.ico", "NUL.cur", "com9.dll", "LPT1.wmf", "CON.lnk"})
        ExpectRefused(folder + name, kNotImported);
    ExpectRefused(folder + "AUX.ani", kAniNotOpened);
    ExpectRefused("\\\\.\\COM1", kNotImported);
    // Shortcuts whose targets are devices.
    int links = 0;
    for (const char* target : {"COM1", "AUX", "C:\\AUX.bmp"}) {
        const std::string link = folder + "to_device" + std::to_string(++links) + ".lnk";
        ASSERT_TRUE(MakeLink(link, target)) << target;
        made.push_back(link);
        ExpectRefused(link, kNotImported);
    }
    if (!UnderWine()) return;
    // Through Wine's drive Z: a bitmap named like a device, a FIFO, links to endless devices.
    const std::string unix = "/tmp/tamsolo-corpus-" + std::to_string(GetCurrentProcessId());
    std::string zw = "Z:" + unix + "/";
    std::replace(zw.begin(), zw.end(), '/', '\\');
    ASSERT_TRUE(HostShell("mkdir -p " + unix + " && cd " + unix +
                              " && printf 'BM' > AUX.bmp && printf 'BM' > COM1.png && mkfifo fifo.bmp && "
                              "ln -sf /dev/zero zero.png && ln -sf /dev/zero zero.ani && ln -sf /dev/urandom random.dll && "
                              "ln -sf " + unix + "/fifo.bmp fifo_link.ico && touch done",
                          zw + "done"));
    for (const char* name : {"AUX.bmp", "COM1.png", "fifo.bmp", "zero.png", "random.dll", "fifo_link.ico"})
        ExpectRefused(zw + name, kNotImported);
    ExpectRefused(zw + "zero.ani", kAniNotOpened);
    ExpectRefused("Z:\\dev\\zero", kNotImported);
    // A shortcut to the FIFO.
    const std::string link = folder + "to_fifo.lnk";
    ASSERT_TRUE(MakeLink(link, zw + "fifo.bmp"));
    made.push_back(link);
    ExpectRefused(link, kNotImported);
    HostShell("rm -rf " + unix, "C:\\");
}

// A file larger than a reader can use is refused by the size it reports, before a byte is
// read: a 4 GB sparse file of every kind the import reads.
TEST_F(HostileCorpusTest, SparseFilesAreRefusedByTheirSize) {
    for (const char* name : {"sparse.bmp", "sparse.png", "sparse.ico", "sparse.cur", "sparse.dll", "sparse.wmf",
                             "sparse.ani"}) {
        const std::string path = folder + name;
        ASSERT_TRUE(MakeSparseFile(path)) << path;
        made.push_back(path);
        const Outcome o = Drop(path);
        SCOPED_TRACE(path);
        ASSERT_FALSE(o.Messages.empty());
        EXPECT_EQ(o.Messages.back(), Format(ExtractFileExt(path) == ".ani" ? kAniRejected : kNotImported, path.c_str()));
        EXPECT_EQ(o.PickersShown, 0);
        EXPECT_TRUE(o.DocumentKept);
        EXPECT_LT(o.LongestUnansweredMs, kLongestUnansweredMs);
        EXPECT_LT(o.PeakMegabytes, 64.0) << "nothing of the file is read";
        DeleteFileW(W(path).c_str());
    }
}

// Modules of thousands of groups that all name one image: one large PNG reaches the picker
// (one decode, one list entry), one broken PNG gives the message without it.
TEST_F(HostileCorpusTest, ModulesOfGroupsNamingOneImageCostOneDecode) {
    const std::vector<uint8_t> png = LargePngImage(0);
    const std::vector<uint8_t> cut(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(png.size() / 2));
    ExpectRefused(Write("groups_3000_one_png.dll", ModuleOfGroupsNamingOneImage(3000, png, 0)), kNotImported, true);
    EXPECT_EQ(ExtIconAnswer().Count, "3000");
    ExpectRefused(Write("groups_20000_one_broken_png.dll", ModuleOfGroupsNamingOneImage(20000, cut, 0)), kNotImported);
    ExpectRefused(Write("groups_65535_one_broken_png.dll", ModuleOfGroupsNamingOneImage(65535, cut, 0)), kNotImported);
}

// Counters and pictures past every bound, and the square padding of extreme pictures: each
// gives its message, or the one image a sound picture gives, in time.
TEST_F(HostileCorpusTest, ReaderBoundsCases) {
    struct Case {
        const char* Name;
        std::function<std::vector<uint8_t>()> Make;
        bool Padding;   // "扁平矩形入力時に縦横比を維持する" on
        bool MayImport; // a picture whose runs a reader may clip: one image more is as good as the message
    };
    const Case cases[] = {
        {"rle8_past_2_31.bmp", [] { return RunawayRleBitmap(8, 8421505); }, false, true},
        {"rle4_past_2_31.bmp", [] { return RunawayRleBitmap(4, 8421505); }, false, true},
        {"rle8_past_the_row.bmp", [] { return RunawayRleBitmap(8, 3); }, false, true},
        {"rle_bomb_32768x8192.bmp", [] { return RleBombBitmap(); }, false, false},
        {"png_grey_16000x16000.png", [] { return ZeroPng(16000, 16000, 8, 0, false); }, false, true},
        {"png_rgba16_16000x5500.png", [] { return ZeroPng(16000, 5500, 16, 6, false); }, false, true},
        {"png_rgba_8000x8000_interlaced.png", [] { return ZeroPng(8000, 8000, 8, 6, true); }, false, true},
        {"png_1x60000000.png", [] { return ZeroPng(1, 60000000, 1, 0, false); }, false, true},
        {"padded_1x32768.bmp", [] { return TrueColourBitmap(1, 32768); }, true, true},
        {"padded_32768x1.bmp", [] { return TrueColourBitmap(32768, 1); }, true, true},
        {"padded_1x60000000.png", [] { return ZeroPng(1, 60000000, 1, 0, false); }, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string path = Write(c.Name, c.Make());
        form->OptionsPage->Henpei->SetChecked(c.Padding);
        const Outcome o = Drop(path);
        form->OptionsPage->Henpei->SetChecked(false);
        for (const std::string& m : o.Messages) EXPECT_EQ(m.find("std::"), std::string::npos) << m;
        for (const std::string& m : o.Messages) std::printf("    message: %s\n", m.c_str());
        if (!(o.OneImageAdded && c.MayImport)) {
            EXPECT_TRUE(!o.Messages.empty() && o.Messages.back() == Format(kNotImported, path.c_str()))
                << o.Messages.size() << " messages, the last: " << (o.Messages.empty() ? "" : o.Messages.back());
            EXPECT_TRUE(o.DocumentKept);
        }
        EXPECT_LT(o.LongestUnansweredMs, kLongestUnansweredMs);
        DeleteFileW(W(path).c_str());
    }
}

} // namespace
