#pragma once
// The helper process that runs the system's own readers (metafile playback, the shell's
// link object, the cursor loaders) on a user's file: how it is asked, and the bounded
// answer it writes on its output. The asking side treats every answer as untrusted: a
// parser accepts only an answer of the job asked for whose sizes agree exactly with its
// length and lie inside the limits below; anything else is no answer.
//
// One helper serves many jobs in turn. Started, it writes kReaderReady once on its output;
// then, for each request it reads on its input, it writes one answer (or an answer of no
// payload when it has none) and waits for the next request, until its input ends.
//
// Request: "TRQ1", the job (u32), the path's length (u32), the path (UTF-8, no NUL).
// Answer: "TRA1", the job (u32), the payload's length (u32), the payload (little-endian).
//   Picture:  width, height (u32 each), then height rows of width x 3 bytes (B, G, R), top row first.
//   ShortCut: show command (u32), then four texts (length u32, UTF-8 bytes):
//             description, target, arguments, working folder.
//   Cursor:   width, height, hotspot x, hotspot y (u32 each), then width x height colour
//             pixels of 4 bytes (B, G, R, A), then width x height AND-mask bytes (0 or 1),
//             both top row first.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class TReaderJob : uint32_t {
    Metafile = 1,      // draw a .wmf/.emf at its own frame
    ShortCut = 2,      // read a .lnk through the link object
    CursorFile = 3,    // LoadCursorFromFileW
    CursorImage = 4,   // LoadImageW(IMAGE_CURSOR, LR_LOADFROMFILE | LR_DEFAULTSIZE)
};

// The helper's only argument. '?' cannot stand in a Windows file name, so no file a user
// names on the command line is ever taken for it.
inline constexpr const char* kReaderArgument = "?tamsolo-reader?";
// Whether a program's arguments (what follows the program's name) are exactly the helper's.
bool IsReaderArguments(const std::string& arguments);

// What the helper writes once it is ready for its first request.
inline constexpr uint8_t kReaderReady[4] = {'T', 'R', 'R', '1'};

struct TReaderRequest {
    TReaderJob Job = TReaderJob::Metafile;
    std::string Path;  // UTF-8
    bool operator==(const TReaderRequest&) const = default;
};

constexpr std::size_t kFrameHeadBytes = 12;  // of a request and of an answer
constexpr std::size_t kRequestMaxPath = 3 * 32768;  // the longest Windows path in UTF-8

// The request's bytes; empty when it cannot be asked (an unknown job, a path that is empty,
// holds a NUL or is longer than kRequestMaxPath).
std::vector<uint8_t> WriteReaderRequest(const TReaderRequest& request);
// The length of the path that follows a request's head (kFrameHeadBytes bytes), or nothing
// when the head is no request's.
std::optional<std::size_t> RequestPathLength(const uint8_t* head);
// The request in the bytes, when they are exactly what WriteReaderRequest writes.
std::optional<TReaderRequest> ParseReaderRequest(const uint8_t* data, std::size_t size);

constexpr int kAnswerMaxPictureSide = 1024;  // a metafile is never drawn larger
constexpr int kAnswerMaxCursorSide = 256;
constexpr std::size_t kAnswerMaxText = 3 * 65536;  // the link object's longest text in UTF-8
// No answer is longer: the reading side stops there.
constexpr std::size_t kAnswerMaxBytes =
    12 + 8 + std::size_t{kAnswerMaxPictureSide} * kAnswerMaxPictureSide * 3;

struct TPictureAnswer {
    int Width = 0, Height = 0;
    std::vector<uint8_t> Pixels;  // Height rows of Width x 3 bytes
    bool operator==(const TPictureAnswer&) const = default;
};

struct TShortCutAnswer {
    uint32_t ShowCmd = 0;  // the link's show command
    std::string Description, ExecFile, Arguments, WorkDir;
    bool operator==(const TShortCutAnswer&) const = default;
};

struct TCursorAnswer {
    int Width = 0, Height = 0, HotX = 0, HotY = 0;
    std::vector<uint8_t> Colour;  // Width x Height x 4
    std::vector<uint8_t> Mask;    // Width x Height, 1 where the screen shows through
    bool operator==(const TCursorAnswer&) const = default;
};

// The length of the payload that follows an answer's head (kFrameHeadBytes bytes) for the
// job, or nothing when the head is not an answer of that job. The length is the head's own:
// the reading side holds it against kAnswerMaxBytes before it reads on.
std::optional<std::size_t> AnswerPayloadLength(TReaderJob job, const uint8_t* head);
// The answer of no payload: the helper found nothing to answer for the job.
std::vector<uint8_t> WriteNoAnswer(TReaderJob job);

// The answers' bytes; empty when the answer breaks the limits (the helper then answers nothing).
std::vector<uint8_t> WritePictureAnswer(const TPictureAnswer& answer);
std::vector<uint8_t> WriteShortCutAnswer(const TShortCutAnswer& answer);
std::vector<uint8_t> WriteCursorAnswer(TReaderJob job, const TCursorAnswer& answer);

std::optional<TPictureAnswer> ParsePictureAnswer(const uint8_t* data, std::size_t size);
std::optional<TShortCutAnswer> ParseShortCutAnswer(const uint8_t* data, std::size_t size);
// job: CursorFile or CursorImage, the one that was asked for.
std::optional<TCursorAnswer> ParseCursorAnswer(TReaderJob job, const uint8_t* data, std::size_t size);
