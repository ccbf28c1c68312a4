#include "gif/GIFExtensions.h"

#include <cstring>
#include <utility>

#include "base/ByteIO.h"
#include "gif/GIFSubImage.h"
#include "gif/GIFUtil.h"

namespace {
struct TExtensionEntry {
    const TGIFExtensionClass* ExtensionClass;
    uint8_t Label;
};
std::vector<TExtensionEntry>& ExtensionList() {
    static std::vector<TExtensionEntry> list = {{&TGIFTextExtension::Class(), 0x01},
                                                {&TGIFGraphicControlExtension::Class(), 0xF9},
                                                {&TGIFCommentExtension::Class(), 0xFE},
                                                {&TGIFApplicationExtension::Class(), 0xFF}};
    return list;
}

struct TAppExtensionEntry {
    const TGIFExtensionClass* ExtensionClass;
    std::array<uint8_t, 11> Code;
};
std::array<uint8_t, 11> AppCode(const char (&text)[12]) {
    std::array<uint8_t, 11> code{};
    std::memcpy(code.data(), text, 11);
    return code;
}
std::vector<TAppExtensionEntry>& AppExtensionList() {
    static std::vector<TAppExtensionEntry> list = {{&TGIFAppExtNSLoop::Class(), AppCode("NETSCAPE2.0")},
                                                   {&TGIFAppExtNSLoop::Class(), AppCode("ANIMEXTS1.0")}};
    return list;
}

template <class T>
std::unique_ptr<TGIFExtension> CreateExtension(TGIFSubImage& subImage) {
    return std::make_unique<T>(subImage);
}

// The class refines no further.
template <class T>
const TGIFExtensionClass* Itself(TStream&) {
    return &T::Class();
}

// Looks at the block size and the identifier. An identifier nobody registered, and any block
// size other than 11, is kept as an unknown application extension; its reader decides what
// the size allows.
const TGIFExtensionClass* FindApplicationClass(TStream& stream) {
    int size = GetByte(stream);
    if (size < 0) return nullptr;
    if (size == 10) {
        uint8_t code[10];
        if (stream.Read(code, 10) != 10) return nullptr;
        return &TGIFUnknownAppExtension::Class();
    }
    std::array<uint8_t, 11> code{};
    if (size != 11 || stream.Read(code.data(), 11) != 11) return &TGIFUnknownAppExtension::Class();
    const auto& list = AppExtensionList();
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        if (it->Code == code) return it->ExtensionClass;
    return &TGIFUnknownAppExtension::Class();
}

void WriteLE16(TStream& stream, uint32_t v) {
    uint8_t b[2];
    PutLE16(b, v);
    stream.WriteBuffer(b, 2);
}
}  // namespace

// ---- TGIFExtension

TGIFExtension::TGIFExtension(TGIFSubImage& subImage) : TGIFItem(subImage.Image()), FSubImage(&subImage) {}

void TGIFExtension::SaveToStream(TStream& stream) {
    PutByte(stream, 0x21);
    PutByte(stream, GetExtensionType());
    SaveBody(stream);
}

void TGIFExtension::LoadFromStream(TStream& stream) {
    uint8_t head[2];
    ReadExact(stream, head, 2);
    if (head[0] != 0x21) RaiseGIFError(GIFText::_sBadExtensionLabel);
    if (head[1] != GetExtensionType()) RaiseGIFError(GIFText::_sBadExtensionInstance);
    LoadBody(stream);
}

const TGIFExtensionClass* TGIFExtension::FindExtension(TStream& stream) {
    int64_t start = stream.Position();
    const TGIFExtensionClass* found = nullptr;
    int label = GetByte(stream);
    if (label >= 0) {
        const auto& list = ExtensionList();
        for (auto it = list.rbegin(); it != list.rend(); ++it)
            if (it->Label == label) {
                found = it->ExtensionClass;
                break;
            }
        while (found) {
            const TGIFExtensionClass* sub = found->FindSubExtension(stream);
            if (sub == found) break;
            found = sub;
        }
    }
    stream.SetPosition(start);
    return found;
}

void TGIFExtension::RegisterExtension(uint8_t label, const TGIFExtensionClass* extensionClass) {
    ExtensionList().push_back({extensionClass, label});
}

// ---- TGIFGraphicControlExtension

const TGIFExtensionClass& TGIFGraphicControlExtension::Class() {
    static const TGIFExtensionClass c{"TGIFGraphicControlExtension", CreateExtension<TGIFGraphicControlExtension>,
                                      Itself<TGIFGraphicControlExtension>};
    return c;
}

TGIFGraphicControlExtension::TGIFGraphicControlExtension(TGIFSubImage& subImage) : TGIFExtension(subImage) {
    if (!subImage.GraphicControlExtension()) subImage.SetGraphicControlExtension(this);
}

TGIFGraphicControlExtension::~TGIFGraphicControlExtension() {
    if (GetTransparent()) FSubImage->SetTransparent(false);
    if (FSubImage->GraphicControlExtension() == this) FSubImage->SetGraphicControlExtension(nullptr);
}

void TGIFGraphicControlExtension::SetTransparent(bool value) {
    FGCExtension.PackedFields = static_cast<uint8_t>(value ? FGCExtension.PackedFields | 1 : FGCExtension.PackedFields & ~1);
    FSubImage->SetTransparent(value);
}

void TGIFGraphicControlExtension::SetTransparentColorIndex(int index) {
    const TGIFColorMap& map = FSubImage->GetActiveColorMap();
    if (index < 0 || (index >= map.Count() && map.Count() > 0)) {
        Warning(gsWarning, GIFText::_sBadColorIndex);
        index = 0;
    }
    FGCExtension.TransparentColorIndex = static_cast<uint8_t>(index);
}

TColor TGIFGraphicControlExtension::GetTransparentColor() {
    return FSubImage->GetActiveColorMap().GetColor(FGCExtension.TransparentColorIndex);
}

void TGIFGraphicControlExtension::SetTransparentColor(TColor color) {
    FGCExtension.TransparentColorIndex = static_cast<uint8_t>(FSubImage->GetActiveColorMap().AddUnique(color));
}

void TGIFGraphicControlExtension::SetUserInput(bool value) {
    FGCExtension.PackedFields = static_cast<uint8_t>(value ? FGCExtension.PackedFields | 2 : FGCExtension.PackedFields & ~2);
}

void TGIFGraphicControlExtension::SetDisposal(int value) {
    FGCExtension.PackedFields = static_cast<uint8_t>((FGCExtension.PackedFields & ~0x1C) | ((value & 7) << 2));
}

void TGIFGraphicControlExtension::SaveBody(TStream& stream) {
    uint8_t b[6] = {4, FGCExtension.PackedFields, 0, 0, FGCExtension.TransparentColorIndex, 0};
    PutLE16(b + 2, FGCExtension.DelayTime);
    stream.WriteBuffer(b, 6);
}

void TGIFGraphicControlExtension::LoadBody(TStream& stream) {
    // The block size byte says how many field bytes follow; more than 4 are skipped, and so
    // is any further sub-block up to the terminator.
    uint8_t body[255] = {};
    int size = GetByte(stream);
    int64_t got = size > 0 ? stream.Read(body, size) : 0;
    FGCExtension.PackedFields = body[0];
    FGCExtension.DelayTime = GetLE16(body + 1);
    FGCExtension.TransparentColorIndex = body[3];
    if (size < 0 || got < size || !SkipSubBlocks(stream)) {
        Warning(gsWarning, GIFText::_sOutOfData);
        return;
    }
    if (GetTransparent()) FSubImage->SetTransparent(true);
}

// ---- TGIFTextExtension

const TGIFExtensionClass& TGIFTextExtension::Class() {
    static const TGIFExtensionClass c{"TGIFTextExtension", CreateExtension<TGIFTextExtension>, Itself<TGIFTextExtension>};
    return c;
}

int TGIFTextExtension::GetBounds(int index) const {
    const auto& r = FPlainTextExtension;
    switch (index) {
        case 1: return r.Left;
        case 2: return r.Top;
        case 3: return r.Width;
        case 4: return r.Height;
        default: return 0;
    }
}

void TGIFTextExtension::SetBounds(int index, int value) {
    auto v = static_cast<uint16_t>(value);
    auto& r = FPlainTextExtension;
    switch (index) {
        case 1: r.Left = v; break;
        case 2: r.Top = v; break;
        case 3: r.Width = v; break;
        case 4: r.Height = v; break;
        default: break;
    }
}

int TGIFTextExtension::GetCharWidthHeight(int index) const {
    return index == 1 ? FPlainTextExtension.CellWidth : index == 2 ? FPlainTextExtension.CellHeight : 0;
}

void TGIFTextExtension::SetCharWidthHeight(int index, int value) {
    if (index == 1) FPlainTextExtension.CellWidth = static_cast<uint8_t>(value);
    if (index == 2) FPlainTextExtension.CellHeight = static_cast<uint8_t>(value);
}

int TGIFTextExtension::GetColorIndex(int index) const {
    return index == 1 ? FPlainTextExtension.TextFGColorIndex : index == 2 ? FPlainTextExtension.TextBGColorIndex : 0;
}

void TGIFTextExtension::SetColorIndex(int index, int value) {
    if (index == 1) FPlainTextExtension.TextFGColorIndex = static_cast<uint8_t>(value);
    if (index == 2) FPlainTextExtension.TextBGColorIndex = static_cast<uint8_t>(value);
}

TColor TGIFTextExtension::GetForegroundColor() { return FSubImage->GetActiveColorMap().GetColor(GetColorIndex(1)); }
void TGIFTextExtension::SetForegroundColor(TColor color) { SetColorIndex(1, FSubImage->GetActiveColorMap().AddUnique(color)); }
TColor TGIFTextExtension::GetBackgroundColor() { return FSubImage->GetActiveColorMap().GetColor(GetColorIndex(2)); }
void TGIFTextExtension::SetBackgroundColor(TColor color) { SetColorIndex(2, FSubImage->GetActiveColorMap().AddUnique(color)); }

void TGIFTextExtension::SaveBody(TStream& stream) {
    const auto& r = FPlainTextExtension;
    uint8_t b[13] = {r.BlockSize};
    PutBounds16(b + 1, r.Left, r.Top, r.Width, r.Height);
    b[9] = r.CellWidth;
    b[10] = r.CellHeight;
    b[11] = r.TextFGColorIndex;
    b[12] = r.TextBGColorIndex;
    stream.WriteBuffer(b, 13);
    PutSubBlocks(stream, FText);
}

void TGIFTextExtension::LoadBody(TStream& stream) {
    uint8_t b[13];
    ReadExact(stream, b, 13);
    FPlainTextExtension = {b[0], GetLE16(b + 1), GetLE16(b + 3), GetLE16(b + 5), GetLE16(b + 7), b[9], b[10], b[11], b[12]};
    GetSubBlocks(stream, FText);
}

// ---- TGIFCommentExtension

const TGIFExtensionClass& TGIFCommentExtension::Class() {
    static const TGIFExtensionClass c{"TGIFCommentExtension", CreateExtension<TGIFCommentExtension>, Itself<TGIFCommentExtension>};
    return c;
}

void TGIFCommentExtension::SaveBody(TStream& stream) { PutSubBlocks(stream, FText); }
void TGIFCommentExtension::LoadBody(TStream& stream) { GetSubBlocks(stream, FText); }

// ---- TGIFApplicationExtension

const TGIFExtensionClass& TGIFApplicationExtension::Class() {
    // Abstract: never created; it only finds the class that reads the block.
    static const TGIFExtensionClass c{"TGIFApplicationExtension", nullptr, FindApplicationClass};
    return c;
}

void TGIFApplicationExtension::RegisterExtension(const std::array<uint8_t, 11>& code, const TGIFExtensionClass* extensionClass) {
    AppExtensionList().push_back({extensionClass, code});
}

namespace {
std::string FieldText(const uint8_t* field, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(field), strnlen(reinterpret_cast<const char*>(field), size));
}
void SetFieldText(uint8_t* field, std::size_t size, const std::string& value) {
    if (value.size() < size) std::memset(field, ' ', size);
    std::size_t n = std::min(size, value.size());
    std::memcpy(field, value.data(), n);
    if (n < size) field[n] = 0;
}
}  // namespace

std::string TGIFApplicationExtension::GetIdentifier() const { return FieldText(FApplicationExtension.Identifier.data(), 8); }
void TGIFApplicationExtension::SetIdentifier(const std::string& value) { SetFieldText(FApplicationExtension.Identifier.data(), 8, value); }
std::string TGIFApplicationExtension::GetAuthentication() const { return FieldText(FApplicationExtension.Authentication.data(), 3); }
void TGIFApplicationExtension::SetAuthentication(const std::string& value) {
    SetFieldText(FApplicationExtension.Authentication.data(), 3, value);
}

void TGIFApplicationExtension::SaveBody(TStream& stream) {
    PutByte(stream, 11);
    stream.WriteBuffer(FApplicationExtension.Identifier.data(), 8);
    stream.WriteBuffer(FApplicationExtension.Authentication.data(), 3);
    SaveData(stream);
}

void TGIFApplicationExtension::LoadBody(TStream& stream) {
    int size = GetByte(stream);
    if (size < 0) RaiseGIFError(GIFText::_sOutOfData);
    if (size < 10) RaiseGIFError(GIFText::_sBadAppExtensionSize);
    uint8_t code[11] = {};
    ReadExact(stream, code, size == 10 ? 10 : 11);
    if (size > 11 && !SkipBytes(stream, size - 11)) RaiseGIFError(GIFText::_sOutOfData);
    std::memcpy(FApplicationExtension.Identifier.data(), code, 8);
    std::memcpy(FApplicationExtension.Authentication.data(), code + 8, 3);
    LoadData(stream);
}

// ---- TGIFUnknownAppExtension

const TGIFExtensionClass& TGIFUnknownAppExtension::Class() {
    static const TGIFExtensionClass c{"TGIFUnknownAppExtension", CreateExtension<TGIFUnknownAppExtension>,
                                      Itself<TGIFUnknownAppExtension>};
    return c;
}

void TGIFUnknownAppExtension::SaveData(TStream& stream) {
    for (const TGIFBlock& block : FBlocks) {
        PutByte(stream, static_cast<uint8_t>(block.Size()));
        stream.WriteBuffer(block.Data.data(), block.Size());
    }
    PutByte(stream, 0);
}

void TGIFUnknownAppExtension::LoadData(TStream& stream) {
    FBlocks.clear();
    for (;;) {
        int n = GetByte(stream);
        if (n <= 0) return;
        TGIFBlock block(n);
        ReadExact(stream, block.Data.data(), n);
        FBlocks.push_back(std::move(block));
    }
}

// ---- TGIFAppExtNSLoop

const TGIFExtensionClass& TGIFAppExtNSLoop::Class() {
    static const TGIFExtensionClass c{"TGIFAppExtNSLoop", CreateExtension<TGIFAppExtNSLoop>, Itself<TGIFAppExtNSLoop>};
    return c;
}

TGIFAppExtNSLoop::TGIFAppExtNSLoop(TGIFSubImage& subImage) : TGIFApplicationExtension(subImage) {
    SetIdentifier("NETSCAPE");
    SetAuthentication("2.0");
}

void TGIFAppExtNSLoop::SaveData(TStream& stream) {
    PutByte(stream, 3);
    PutByte(stream, 1);
    WriteLE16(stream, static_cast<uint32_t>(Loops));
    if (BufferSize != 0) {
        uint8_t b[6] = {5, 2};
        PutLE32(b + 2, BufferSize);
        stream.WriteBuffer(b, 6);
    }
    PutByte(stream, 0);
}

void TGIFAppExtNSLoop::LoadData(TStream& stream) {
    uint8_t block[255];
    for (;;) {
        int n = GetByte(stream);
        if (n <= 0) return;
        ReadExact(stream, block, n);
        int remaining = n - 1;
        switch (block[0] & 7) {
            case 1:
                if (remaining < 2) RaiseGIFError(GIFText::_sInvalidData);
                Loops = GetLE16(block + 1);
                break;
            case 2:
                if (remaining < 4) RaiseGIFError(GIFText::_sInvalidData);
                BufferSize = GetLE32(block + 1);
                break;
            default: break;
        }
    }
}

// ---- TGIFTrailer

void TGIFTrailer::SaveToStream(TStream& stream) { PutByte(stream, 0x3B); }

void TGIFTrailer::LoadFromStream(TStream& stream) {
    int b = GetByte(stream);
    if (b >= 0 && b != 0x3B) Warning(gsWarning, GIFText::_sBadTrailer);
}
