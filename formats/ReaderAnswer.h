#pragma once
// The helper process that runs the system's own readers (metafile playback, the shell's
// link object, the cursor loaders) on a user's file: how it is asked, and the bounded
// answer it writes on its output. The asking side treats every answer as untrusted: a
// parser accepts only an answer of the job asked for whose sizes agree exactly with its
// length and lie inside the limits below; anything else is no answer.
//
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

// The helper's first argument. '?' cannot stand in a Windows file name, so no file a user
// names on the command line is ever taken for it.
inline constexpr const char* kReaderArgument = "?tamsolo-reader?";

struct TReaderRequest {
    TReaderJob Job = TReaderJob::Metafile;
    std::string Path;  // UTF-8
    bool operator==(const TReaderRequest&) const = default;
};

// The arguments that ask the helper for the request: the argument above, the job's number
// and the quoted path. Empty when the path cannot be quoted (it holds a double quote or is empty).
std::string ReaderArguments(const TReaderRequest& request);
// The request in a program's arguments (what follows the program's name), or nothing when
// they are not exactly what ReaderArguments writes.
std::optional<TReaderRequest> ParseReaderArguments(const std::string& arguments);

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

// The answers' bytes; empty when the answer breaks the limits (the helper then writes nothing).
std::vector<uint8_t> WritePictureAnswer(const TPictureAnswer& answer);
std::vector<uint8_t> WriteShortCutAnswer(const TShortCutAnswer& answer);
std::vector<uint8_t> WriteCursorAnswer(TReaderJob job, const TCursorAnswer& answer);

std::optional<TPictureAnswer> ParsePictureAnswer(const uint8_t* data, std::size_t size);
std::optional<TShortCutAnswer> ParseShortCutAnswer(const uint8_t* data, std::size_t size);
// job: CursorFile or CursorImage, the one that was asked for.
std::optional<TCursorAnswer> ParseCursorAnswer(TReaderJob job, const uint8_t* data, std::size_t size);
