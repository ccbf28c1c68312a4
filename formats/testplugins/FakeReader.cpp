// A stand-in for the reader helper that misbehaves as its path's file name says, for the tests
// of the side that waits for it: "hang", "flood" (writes without end), "refuse" (a
// whole answer, then exit code 1), "partial" (part of an answer, then ends as a fault would),
// "answer" (a 2x2 picture).
#include <windows.h>

#include <string>
#include <vector>

#include "formats/ReaderAnswer.h"

namespace {

void Write(const std::vector<uint8_t>& bytes) {
    DWORD n = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
}

} // namespace

int main() {
    const std::string line = GetCommandLineA();
    const auto has = [&line](const char* name) { return line.find(std::string("\\") + name + "\"") != std::string::npos; };
    TPictureAnswer picture;
    picture.Width = picture.Height = 2;
    picture.Pixels.assign(12, 0x80);
    if (has("hang")) Sleep(INFINITE);
    if (has("partial")) {
        std::vector<uint8_t> part = WritePictureAnswer(picture);
        part.resize(part.size() / 2);
        Write(part);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    if (has("flood")) {
        const std::vector<uint8_t> block(1 << 16, 0x41);
        for (;;) Write(block);
    }
    Write(WritePictureAnswer(picture));
    return has("refuse") ? 1 : 0;
}
