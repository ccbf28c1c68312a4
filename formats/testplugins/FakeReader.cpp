// A stand-in for the reader helper, for the tests of the side that waits for it. It speaks
// the helper's protocol and does for each job what the file name of its path says:
//   "hang"      never answers            "crash"    ends as a fault would, without an answer
//   "flood"     an answer head longer than any answer may be, then bytes without end
//   "partial"   part of an answer, then ends as a fault would
//   "junk"      bytes that are no answer  "refuse"  no answer (and waits for the next job)
//   "semaphore-N"  releases the semaphore of handle value N: a picture 2 wide when it could, 1 when not
//   "integrity"    a picture as wide as its integrity level's number / 0x1000 (1 low, 2 medium, 3 high)
//   anything else  a 2x2 picture
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/ByteIO.h"
#include "formats/ReaderAnswer.h"

namespace {

void Write(const std::vector<uint8_t>& bytes) {
    DWORD n = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
}

bool Read(uint8_t* out, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        DWORD n = 0;
        if (!ReadFile(GetStdHandle(STD_INPUT_HANDLE), out + done, static_cast<DWORD>(size - done), &n, nullptr) || n == 0)
            return false;
        done += n;
    }
    return true;
}

std::vector<uint8_t> Picture(int width) {
    TPictureAnswer picture;
    picture.Width = width;
    picture.Height = 2;
    picture.Pixels.assign(std::size_t(width) * 2 * 3, 0x80);
    return WritePictureAnswer(picture);
}

int IntegrityLevel() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return 0;
    std::vector<uint8_t> bytes(256);
    DWORD size = 0;
    const bool read = GetTokenInformation(token, TokenIntegrityLevel, bytes.data(), static_cast<DWORD>(bytes.size()), &size);
    CloseHandle(token);
    if (!read) return 0;
    const PSID sid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(bytes.data())->Label.Sid;
    return static_cast<int>(*GetSidSubAuthority(sid, *GetSidSubAuthorityCount(sid) - 1u) / 0x1000);
}

} // namespace

int main() {
    Write(std::vector<uint8_t>(kReaderReady, kReaderReady + sizeof kReaderReady));
    for (;;) {
        std::vector<uint8_t> request(kFrameHeadBytes);
        if (!Read(request.data(), request.size())) return 0;
        const std::optional<std::size_t> length = RequestPathLength(request.data());
        if (!length) return 1;
        request.resize(kFrameHeadBytes + *length);
        if (!Read(request.data() + kFrameHeadBytes, *length)) return 1;
        const std::optional<TReaderRequest> asked = ParseReaderRequest(request.data(), request.size());
        if (!asked) return 1;
        const std::string name = asked->Path.substr(asked->Path.find_last_of('\\') + 1);
        if (name == "hang") Sleep(INFINITE);
        if (name == "crash") TerminateProcess(GetCurrentProcess(), 3);
        if (name == "partial") {
            std::vector<uint8_t> part = Picture(2);
            part.resize(part.size() / 2);
            Write(part);
            TerminateProcess(GetCurrentProcess(), 3);
        }
        if (name == "flood") {
            std::vector<uint8_t> head = WriteNoAnswer(asked->Job);
            PutLE32(head.data() + 8, static_cast<uint32_t>(kAnswerMaxBytes));
            Write(head);
            const std::vector<uint8_t> block(1 << 16, 0x41);
            for (;;) Write(block);
        }
        if (name == "junk") {
            Write(std::vector<uint8_t>(64, 0x41));
        } else if (name == "refuse") {
            Write(WriteNoAnswer(asked->Job));
        } else if (name.rfind("semaphore-", 0) == 0) {
            const auto value = static_cast<uintptr_t>(std::stoull(name.substr(10)));
            Write(Picture(ReleaseSemaphore(reinterpret_cast<HANDLE>(value), 1, nullptr) ? 2 : 1));
        } else if (name == "integrity") {
            Write(Picture(std::max(1, IntegrityLevel())));
        } else {
            Write(Picture(2));
        }
    }
}
