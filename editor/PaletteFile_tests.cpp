#include "PaletteFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "BuiltInPalettes.h"
#include "PaletteEdit.h"
#include "PaletteText.h"
#include "base/SaveFileTestSupport.h"
#include "base/Stream.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

// Entry i stored as blue i, green 255 - i, red i / 2.
ImagePalette Ramped() {
    ImagePalette pal{};
    for (int i = 0; i < 256; ++i)
        pal[i] = TRGBQuad{uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0};
    return pal;
}

// Built byte by byte from the layouts, independently of the writers.
std::vector<uint8_t> HandKhpf(uint32_t count) {
    std::vector<uint8_t> b = {'K', 'H', 'P', 'F', uint8_t(count), uint8_t(count >> 8), uint8_t(count >> 16),
                              uint8_t(count >> 24)};
    for (int i = 0; i < 256; ++i) b.insert(b.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0});
    return b;
}

std::vector<uint8_t> HandDPixed() {
    std::string header = "PF\n D-Pixed ver.2.00 for Windows95\n 256 color Palette file\n someone\n";
    // The header padded to 128 bytes, four counts, then the 256 entries.
    std::vector<uint8_t> b(128 + 4 * 4 + 256 * 4, 0);
    std::copy(header.begin(), header.end(), b.begin());
    std::size_t at = 128;
    for (uint32_t v : {256u, 0u, 256u, 0u}) {
        b[at] = uint8_t(v);
        b[at + 1] = uint8_t(v >> 8);
        at += 4;
    }
    for (int i = 0; i < 256; ++i) {
        b[at] = uint8_t(i);
        b[at + 1] = uint8_t(255 - i);
        b[at + 2] = uint8_t(i / 2);
        at += 4;
    }
    return b;
}

TEST(PaletteFile, HandBuiltBinaryFilesReadToTheirColours) {
    for (const std::vector<uint8_t>& file : {HandKhpf(256), HandDPixed()}) {
        ImagePalette pal = DefaultPalette();
        ASSERT_EQ(ReadBinaryPalette(file, pal), TPaletteReadResult::Read);
        EXPECT_EQ(pal, Ramped());
    }
    EXPECT_EQ(HandKhpf(256).size(), kKhpfBytes);
    EXPECT_EQ(HandDPixed().size(), kDPixedBytes);
}

TEST(PaletteFile, WritersProduceTheLayoutsAndReadBack) {
    EXPECT_EQ(WriteKhpf(Ramped()), HandKhpf(256));
    std::vector<uint8_t> dpf = WriteDPixed(Ramped());
    ASSERT_EQ(dpf.size(), kDPixedBytes);
    const std::string lines = "PF\n D-Pixed ver.2.00 for Windows95\n 256 color Palette file\n";
    EXPECT_EQ(std::string(dpf.begin(), dpf.begin() + lines.size()), lines);
    EXPECT_EQ(dpf[127], 0);
    EXPECT_TRUE(std::equal(dpf.begin() + 128, dpf.end(), HandDPixed().begin() + 128));

    ImageRecord image;
    image.Palette = Ramped();
    image.Inverse[9] = 1;  // binary files carry the stored value, text files the shown one
    for (auto write : {&WriteKhpf, &WriteDPixed}) {
        ImagePalette back{};
        ASSERT_EQ(ReadBinaryPalette(write(image.Palette), back), TPaletteReadResult::Read);
        EXPECT_EQ(back, image.Palette);
    }
    ImagePalette back{};
    ASSERT_EQ(ReadJascPal(WriteJascPal(image), back), TPaletteReadResult::Read);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(QuadToColor(back[i]), DisplayedColour(image, i)) << i;
}

TEST(PaletteFile, BinaryReaderRefusesOtherFilesAndKeepsEntriesBeyondAShortFile) {
    ImagePalette pal = DefaultPalette();
    EXPECT_EQ(ReadBinaryPalette(HandKhpf(255), pal), TPaletteReadResult::Unsupported);
    std::vector<uint8_t> noMark = HandDPixed();
    noMark[5] = 'X';  // "DXPixed"
    EXPECT_EQ(ReadBinaryPalette(noMark, pal), TPaletteReadResult::Unsupported);
    EXPECT_EQ(ReadBinaryPalette({}, pal), TPaletteReadResult::Unsupported);
    EXPECT_EQ(ReadBinaryPalette(Bytes("KHP"), pal), TPaletteReadResult::Unsupported);
    EXPECT_EQ(pal, DefaultPalette());

    std::vector<uint8_t> shortKhpf = HandKhpf(256);
    shortKhpf.resize(8 + 4 * 10 + 2);  // ten entries and part of the eleventh
    ASSERT_EQ(ReadBinaryPalette(shortKhpf, pal), TPaletteReadResult::Read);
    EXPECT_EQ(pal[9], Ramped()[9]);
    EXPECT_EQ(pal[10].Blue, 10);
    EXPECT_EQ(pal[10].Red, DefaultPalette()[10].Red);
    EXPECT_EQ(pal[11], DefaultPalette()[11]);
}

TEST(PaletteFile, JascPalReadsCrLfAndLfAndBlackensTheRest) {
    const std::string body = "JASC-PAL|0100|3|255 0 0|0 128 255|1 2 3|9 9 9|";
    for (const char* eol : {"\r\n", "\n"}) {
        std::string text;
        for (char c : body) text += c == '|' ? std::string(eol) : std::string(1, c);
        ImagePalette pal = DefaultPalette();
        ASSERT_EQ(ReadJascPal(Bytes(text), pal), TPaletteReadResult::Read);
        EXPECT_EQ(QuadToColor(pal[0]), MakeColor(255, 0, 0));
        EXPECT_EQ(QuadToColor(pal[1]), MakeColor(0, 128, 255));
        EXPECT_EQ(QuadToColor(pal[2]), MakeColor(1, 2, 3));
        EXPECT_EQ(pal[3], TRGBQuad{});  // beyond the count
    }
}

TEST(PaletteFile, JascPalLinesCarryValuesAndRefuseOtherText) {
    ImagePalette pal{};
    ASSERT_EQ(ReadJascPal(Bytes("JASC-PAL\n0100\n4\n10 20 30\n40\n300 -1 7\n"), pal), TPaletteReadResult::Read);
    EXPECT_EQ(QuadToColor(pal[1]), MakeColor(40, 20, 30));   // missing numbers keep the previous values
    EXPECT_EQ(QuadToColor(pal[2]), MakeColor(44, 255, 7));   // low 8 bits
    EXPECT_EQ(QuadToColor(pal[3]), MakeColor(44, 255, 7));   // a missing line reads as empty
    ImagePalette kept = DefaultPalette();
    for (const char* bad : {"GIMP Palette\n", "JASC-PAL\n0100\nmany\n1 2 3\n", "JASC-PAL\n0100\n-5\n", ""})
        EXPECT_EQ(ReadJascPal(Bytes(bad), kept), TPaletteReadResult::NotJascPal) << bad;
    EXPECT_EQ(kept, DefaultPalette());
}

TEST(PaletteFile, JascPalFromAnIndependentScriptReads) {
    // testdata/make_jasc_pal.py writes this file from the public format.
    ImagePalette pal = DefaultPalette();
    ASSERT_EQ(ReadPaletteFile(TAMSOLO_SOURCE_DIR "/editor/testdata/jasc16_lf.pal", pal), TPaletteReadResult::Read);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(QuadToColor(pal[i]), MakeColor(16 * i, 255 - 16 * i, 7 * i)) << i;
    for (int i = 16; i < 256; ++i) ASSERT_EQ(pal[i], TRGBQuad{});
}

TEST(PaletteFile, TextIsChosenByExtensionBinariesByContentAndFailuresLeaveThePalette) {
    for (const char* text : {"a.PAL", "a.pal", "C:\\x.y\\a.Pal", "a.pals"}) EXPECT_TRUE(IsJascPalPath(text)) << text;
    for (const char* binary : {"a.pAl", "a.khp", "a.dpf", "a.bin", "C:\\x.pal\\a", "a.pal.bak"})
        EXPECT_FALSE(IsJascPalPath(binary)) << binary;

    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tamsolo_palette_files";
    std::filesystem::create_directories(dir);
    ImageRecord image;
    image.Palette = Ramped();
    for (auto [name, format] : {std::pair{"p.pal", TPaletteFileFormat::JascPal}, std::pair{"p.khp", TPaletteFileFormat::Khpf},
                                std::pair{"p.dpf", TPaletteFileFormat::DPixed}}) {
        const std::string path = (dir / name).string();
        ASSERT_TRUE(WritePaletteFile(path, format, image));
        ImagePalette back = DefaultPalette();
        ASSERT_EQ(ReadPaletteFile(path, back), TPaletteReadResult::Read) << name;
        EXPECT_EQ(back, image.Palette) << name;
    }
    EXPECT_EQ(std::filesystem::file_size(dir / "p.khp"), kKhpfBytes);
    EXPECT_EQ(std::filesystem::file_size(dir / "p.dpf"), kDPixedBytes);

    ImagePalette kept = DefaultPalette();
    EXPECT_EQ(ReadPaletteFile((dir / "absent.pal").string(), kept), TPaletteReadResult::CannotOpen);
    // Binaries of any name are told apart by their content; text under another name is not JASC-PAL.
    ImageRecord other;
    other.Palette = DefaultPalette();
    for (auto [name, format] : {std::pair{"x.bin", TPaletteFileFormat::Khpf}, std::pair{"d", TPaletteFileFormat::DPixed}}) {
        const std::string path = (dir / name).string();
        ASSERT_TRUE(WritePaletteFile(path, format, other));
        ImagePalette back = Ramped();
        ASSERT_EQ(ReadPaletteFile(path, back), TPaletteReadResult::Read) << name;
        EXPECT_EQ(back, other.Palette) << name;
    }
    ASSERT_TRUE(WritePaletteFile((dir / "p.txt").string(), TPaletteFileFormat::JascPal, image));
    EXPECT_EQ(ReadPaletteFile((dir / "p.txt").string(), kept), TPaletteReadResult::Unsupported);
    WriteWholeFile((dir / "k.khp").string(), "KHPF\xff\0\0\0", 8);
    EXPECT_EQ(ReadPaletteFile((dir / "k.khp").string(), kept), TPaletteReadResult::Unsupported);
    EXPECT_EQ(kept, DefaultPalette());
    EXPECT_FALSE(WritePaletteFile((dir / "no such folder" / "p.pal").string(), TPaletteFileFormat::JascPal, image));
    {
        TFullDiskScope full(10, TFullSaveFile::Drop);  // the disk fills after 10 bytes
        EXPECT_FALSE(WritePaletteFile((dir / "p.khp").string(), TPaletteFileFormat::Khpf, image));
    }
    EXPECT_EQ(std::filesystem::file_size(dir / "p.khp"), kKhpfBytes);  // the old file stands
    EXPECT_EQ(PaletteReadMessage(TPaletteReadResult::NotJascPal, "C:\\a.pal"), "C:\\a.pal\nはJASC-PALファイルではありません。");
    std::filesystem::remove_all(dir);
}

}  // namespace

TEST(PaletteFileFuzzCorpus, EveryFileReadsOrIsRefusedCleanly) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TAMSOLO_SOURCE_DIR "/editor/fuzz-corpus")) {
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(ReadWholeFile(entry.path().string(), bytes, 1 << 20));
        ImagePalette pal{};
        ReadJascPal(bytes, pal);
        ReadBinaryPalette(bytes, pal);
        ImageRecord image;
        PastePaletteText(image, std::string(bytes.begin(), bytes.end()), 0, 255, files % 2 == 0);
        ++files;
    }
    EXPECT_GT(files, 0);
}
