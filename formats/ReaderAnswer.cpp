#include "formats/ReaderAnswer.h"

#include "base/ByteIO.h"

namespace {

constexpr char kMagic[4] = {'T', 'R', 'A', '1'};
constexpr char kRequestMagic[4] = {'T', 'R', 'Q', '1'};
constexpr std::size_t kHeadBytes = kFrameHeadBytes;

bool ValidJob(uint32_t job) { return job >= 1 && job <= 4; }

bool HasMagic(const uint8_t* data, const char (&magic)[4]) {
    for (int i = 0; i < 4; ++i)
        if (data[i] != static_cast<uint8_t>(magic[i])) return false;
    return true;
}

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
    const std::optional<std::size_t> length = AnswerPayloadLength(job, data);
    if (!length || *length != size - kHeadBytes) return std::nullopt;
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

bool IsReaderArguments(const std::string& arguments) { return arguments == kReaderArgument; }

std::vector<uint8_t> WriteReaderRequest(const TReaderRequest& request) {
    const std::string& path = request.Path;
    if (!ValidJob(static_cast<uint32_t>(request.Job)) || path.empty() || path.size() > kRequestMaxPath ||
        path.find('\0') != std::string::npos)
        return {};
    ByteWriter w;
    w.Bytes(kRequestMagic, 4);
    w.U32(static_cast<uint32_t>(request.Job));
    w.U32(static_cast<uint32_t>(path.size()));
    w.Text(path);
    return std::move(w.Data);
}

std::optional<std::size_t> RequestPathLength(const uint8_t* head) {
    if (!head || !HasMagic(head, kRequestMagic) || !ValidJob(GetLE32(head + 4))) return std::nullopt;
    const uint32_t length = GetLE32(head + 8);
    if (length < 1 || length > kRequestMaxPath) return std::nullopt;
    return length;
}

std::optional<TReaderRequest> ParseReaderRequest(const uint8_t* data, std::size_t size) {
    if (!data || size < kHeadBytes) return std::nullopt;
    const std::optional<std::size_t> length = RequestPathLength(data);
    if (!length || *length != size - kHeadBytes) return std::nullopt;
    TReaderRequest request;
    request.Job = static_cast<TReaderJob>(GetLE32(data + 4));
    request.Path.assign(reinterpret_cast<const char*>(data + kHeadBytes), *length);
    if (request.Path.find('\0') != std::string::npos) return std::nullopt;
    return request;
}

std::optional<std::size_t> AnswerPayloadLength(TReaderJob job, const uint8_t* head) {
    if (!head || !HasMagic(head, kMagic) || GetLE32(head + 4) != static_cast<uint32_t>(job)) return std::nullopt;
    return GetLE32(head + 8);
}

std::vector<uint8_t> WriteNoAnswer(TReaderJob job) { return Framed(job, ByteWriter()); }

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
