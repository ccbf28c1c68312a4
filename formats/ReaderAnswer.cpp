#include "formats/ReaderAnswer.h"

#include "base/ByteIO.h"

namespace {

constexpr char kMagic[4] = {'T', 'R', 'A', '1'};
constexpr std::size_t kHeadBytes = 12;

bool ValidCursorJob(TReaderJob job) { return job == TReaderJob::CursorFile || job == TReaderJob::CursorImage; }

std::vector<uint8_t> Framed(TReaderJob job, const ByteWriter& payload) {
    ByteWriter w;
    w.Bytes(kMagic, 4);
    w.U32(static_cast<uint32_t>(job));
    w.U32(static_cast<uint32_t>(payload.Data.size()));
    w.Bytes(payload.Data.data(), payload.Data.size());
    return std::move(w.Data);
}

// The payload of an answer of the job, when the frame around it is whole and exact.
std::optional<ByteReader> Payload(TReaderJob job, const uint8_t* data, std::size_t size) {
    if (!data || size < kHeadBytes || size > kAnswerMaxBytes) return std::nullopt;
    for (int i = 0; i < 4; ++i)
        if (data[i] != static_cast<uint8_t>(kMagic[i])) return std::nullopt;
    if (GetLE32(data + 4) != static_cast<uint32_t>(job)) return std::nullopt;
    if (GetLE32(data + 8) != size - kHeadBytes) return std::nullopt;
    return ByteReader(data + kHeadBytes, size - kHeadBytes);
}

bool SideFits(int side, int most) { return side >= 1 && side <= most; }

bool TextFits(const std::string& s) { return s.size() <= kAnswerMaxText && s.find('\0') == std::string::npos; }

bool ReadText(ByteReader& r, std::string& out) {
    const uint32_t n = r.U32();
    if (r.Failed() || n > kAnswerMaxText || n > r.Remaining()) return false;
    out.assign(reinterpret_cast<const char*>(r.Here()), n);
    r.Skip(n);
    return TextFits(out);
}

bool Ends(const ByteReader& r) { return !r.Failed() && r.Remaining() == 0; }

} // namespace

std::string ReaderArguments(const TReaderRequest& request) {
    if (request.Path.empty() || request.Path.find('"') != std::string::npos) return {};
    return std::string(kReaderArgument) + " " + std::to_string(static_cast<uint32_t>(request.Job)) + " \"" +
           request.Path + "\"";
}

std::optional<TReaderRequest> ParseReaderArguments(const std::string& arguments) {
    const std::string head = std::string(kReaderArgument) + " ";
    if (arguments.compare(0, head.size(), head) != 0) return std::nullopt;
    std::size_t at = head.size();
    if (at + 4 > arguments.size() || arguments[at] < '1' || arguments[at] > '4' || arguments[at + 1] != ' ' ||
        arguments[at + 2] != '"')
        return std::nullopt;
    TReaderRequest request;
    request.Job = static_cast<TReaderJob>(arguments[at] - '0');
    at += 3;
    const std::size_t close = arguments.find('"', at);
    // The path runs to the closing quote, which ends the arguments.
    if (close == std::string::npos || close == at || close + 1 != arguments.size()) return std::nullopt;
    request.Path = arguments.substr(at, close - at);
    return request;
}

std::vector<uint8_t> WritePictureAnswer(const TPictureAnswer& a) {
    if (!SideFits(a.Width, kAnswerMaxPictureSide) || !SideFits(a.Height, kAnswerMaxPictureSide) ||
        a.Pixels.size() != std::size_t(a.Width) * a.Height * 3)
        return {};
    ByteWriter w;
    w.U32(static_cast<uint32_t>(a.Width));
    w.U32(static_cast<uint32_t>(a.Height));
    w.Bytes(a.Pixels.data(), a.Pixels.size());
    return Framed(TReaderJob::Metafile, w);
}

std::optional<TPictureAnswer> ParsePictureAnswer(const uint8_t* data, std::size_t size) {
    std::optional<ByteReader> r = Payload(TReaderJob::Metafile, data, size);
    if (!r) return std::nullopt;
    const uint32_t width = r->U32(), height = r->U32();
    if (r->Failed() || width < 1 || width > uint32_t(kAnswerMaxPictureSide) || height < 1 ||
        height > uint32_t(kAnswerMaxPictureSide) || r->Remaining() != std::size_t(width) * height * 3)
        return std::nullopt;
    TPictureAnswer a;
    a.Width = static_cast<int>(width);
    a.Height = static_cast<int>(height);
    a.Pixels.assign(r->Here(), r->Here() + r->Remaining());
    return a;
}

std::vector<uint8_t> WriteShortCutAnswer(const TShortCutAnswer& a) {
    const std::string* texts[] = {&a.Description, &a.ExecFile, &a.Arguments, &a.WorkDir};
    for (const std::string* t : texts)
        if (!TextFits(*t)) return {};
    ByteWriter w;
    w.U32(a.ShowCmd);
    for (const std::string* t : texts) {
        w.U32(static_cast<uint32_t>(t->size()));
        w.Text(*t);
    }
    return Framed(TReaderJob::ShortCut, w);
}

std::optional<TShortCutAnswer> ParseShortCutAnswer(const uint8_t* data, std::size_t size) {
    std::optional<ByteReader> r = Payload(TReaderJob::ShortCut, data, size);
    if (!r) return std::nullopt;
    TShortCutAnswer a;
    a.ShowCmd = r->U32();
    for (std::string* t : {&a.Description, &a.ExecFile, &a.Arguments, &a.WorkDir})
        if (!ReadText(*r, *t)) return std::nullopt;
    if (!Ends(*r)) return std::nullopt;
    return a;
}

std::vector<uint8_t> WriteCursorAnswer(TReaderJob job, const TCursorAnswer& a) {
    if (!ValidCursorJob(job) || !SideFits(a.Width, kAnswerMaxCursorSide) || !SideFits(a.Height, kAnswerMaxCursorSide) ||
        a.HotX < 0 || a.HotX >= a.Width || a.HotY < 0 || a.HotY >= a.Height)
        return {};
    const std::size_t pixels = std::size_t(a.Width) * a.Height;
    if (a.Colour.size() != pixels * 4 || a.Mask.size() != pixels) return {};
    for (uint8_t m : a.Mask)
        if (m > 1) return {};
    ByteWriter w;
    for (int v : {a.Width, a.Height, a.HotX, a.HotY}) w.U32(static_cast<uint32_t>(v));
    w.Bytes(a.Colour.data(), a.Colour.size());
    w.Bytes(a.Mask.data(), a.Mask.size());
    return Framed(job, w);
}

std::optional<TCursorAnswer> ParseCursorAnswer(TReaderJob job, const uint8_t* data, std::size_t size) {
    if (!ValidCursorJob(job)) return std::nullopt;
    std::optional<ByteReader> r = Payload(job, data, size);
    if (!r) return std::nullopt;
    const uint32_t width = r->U32(), height = r->U32(), hotX = r->U32(), hotY = r->U32();
    if (r->Failed() || width < 1 || width > uint32_t(kAnswerMaxCursorSide) || height < 1 ||
        height > uint32_t(kAnswerMaxCursorSide) || hotX >= width || hotY >= height)
        return std::nullopt;
    const std::size_t pixels = std::size_t(width) * height;
    if (r->Remaining() != pixels * 5) return std::nullopt;
    TCursorAnswer a;
    a.Width = static_cast<int>(width);
    a.Height = static_cast<int>(height);
    a.HotX = static_cast<int>(hotX);
    a.HotY = static_cast<int>(hotY);
    a.Colour.assign(r->Here(), r->Here() + pixels * 4);
    a.Mask.assign(r->Here() + pixels * 4, r->Here() + pixels * 5);
    for (uint8_t m : a.Mask)
        if (m > 1) return std::nullopt;
    return a;
}
