#pragma once
// Extension blocks of a frame (graphic control, plain text, comment, application) and the trailer.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Color.h"
#include "base/StringList.h"
#include "gif/GIFItem.h"

class TGIFSubImage;
class TGIFExtension;

// What a class reference does for the readers: create an instance and refine itself
// by looking further into the stream.
struct TGIFExtensionClass {
    const char* Name;
    std::unique_ptr<TGIFExtension> (*Create)(TGIFSubImage& subImage);
    // The more specific class for the block at the stream's position, the class itself, or null.
    const TGIFExtensionClass* (*FindSubExtension)(TStream& stream);
};

class TGIFExtension : public TGIFItem {
public:
    explicit TGIFExtension(TGIFSubImage& subImage);
    TGIFVersion GetVersion() const override { return gv89a; }
    virtual uint8_t GetExtensionType() const = 0;
    // Writes 0x21 and the label, then the body.
    void SaveToStream(TStream& stream) override;
    // Reads and checks 0x21 and the label, then the body.
    void LoadFromStream(TStream& stream) override;
    TGIFSubImage& SubImage() const { return *FSubImage; }

    // Label → class; the stream stands at the label and is left there. Null when unknown.
    static const TGIFExtensionClass* FindExtension(TStream& stream);
    static void RegisterExtension(uint8_t label, const TGIFExtensionClass* extensionClass);

protected:
    virtual void SaveBody(TStream& stream) = 0;
    virtual void LoadBody(TStream& stream) = 0;
    TGIFSubImage* FSubImage;  // not owned
};

#pragma pack(push, 1)
struct TGIFGCERec {
    uint8_t BlockSize = 4;
    uint8_t PackedFields = 0;
    uint16_t DelayTime = 0;
    uint8_t TransparentColorIndex = 0;
    uint8_t Terminator = 0;
};
#pragma pack(pop)

class TGIFGraphicControlExtension : public TGIFExtension {
public:
    explicit TGIFGraphicControlExtension(TGIFSubImage& subImage);
    ~TGIFGraphicControlExtension() override;
    static const TGIFExtensionClass& Class();
    uint8_t GetExtensionType() const override { return 0xF9; }

    bool GetTransparent() const { return FGCExtension.PackedFields & 1; }
    void SetTransparent(bool value);
    int GetTransparentColorIndex() const { return FGCExtension.TransparentColorIndex; }
    void SetTransparentColorIndex(int index);
    TColor GetTransparentColor();
    void SetTransparentColor(TColor color);
    int GetDelay() const { return FGCExtension.DelayTime; }
    void SetDelay(int value) { FGCExtension.DelayTime = static_cast<uint16_t>(value); }
    bool GetUserInput() const { return FGCExtension.PackedFields & 2; }
    void SetUserInput(bool value);
    TDisposalMethod GetDisposal() const { return static_cast<TDisposalMethod>((FGCExtension.PackedFields >> 2) & 7); }
    void SetDisposal(int value);
    const TGIFGCERec& Record() const { return FGCExtension; }

protected:
    void SaveBody(TStream& stream) override;
    void LoadBody(TStream& stream) override;

private:
    TGIFGCERec FGCExtension;
};

struct TGIFPlainTextExtensionRec {
    uint8_t BlockSize = 12;
    uint16_t Left = 0, Top = 0, Width = 0, Height = 0;
    uint8_t CellWidth = 0, CellHeight = 0;
    uint8_t TextFGColorIndex = 0, TextBGColorIndex = 0;
};

class TGIFTextExtension : public TGIFExtension {
public:
    using TGIFExtension::TGIFExtension;
    static const TGIFExtensionClass& Class();
    uint8_t GetExtensionType() const override { return 0x01; }

    int GetBounds(int index) const;
    void SetBounds(int index, int value);
    int GetCharWidthHeight(int index) const;
    void SetCharWidthHeight(int index, int value);
    int GetColorIndex(int index) const;
    void SetColorIndex(int index, int value);
    TColor GetForegroundColor();
    void SetForegroundColor(TColor color);
    TColor GetBackgroundColor();
    void SetBackgroundColor(TColor color);
    TStringList& Text() { return FText; }

protected:
    void SaveBody(TStream& stream) override;
    void LoadBody(TStream& stream) override;

private:
    TGIFPlainTextExtensionRec FPlainTextExtension;
    TStringList FText;
};

class TGIFCommentExtension : public TGIFExtension {
public:
    using TGIFExtension::TGIFExtension;
    static const TGIFExtensionClass& Class();
    uint8_t GetExtensionType() const override { return 0xFE; }
    TStringList& Text() { return FText; }

protected:
    void SaveBody(TStream& stream) override;
    void LoadBody(TStream& stream) override;

private:
    TStringList FText;
};

struct TGIFApplicationRec {
    std::array<uint8_t, 8> Identifier{};      // TGIFIdentifierCode
    std::array<uint8_t, 3> Authentication{};  // TGIFAuthenticationCode
};

class TGIFApplicationExtension : public TGIFExtension {
public:
    using TGIFExtension::TGIFExtension;
    static const TGIFExtensionClass& Class();
    uint8_t GetExtensionType() const override { return 0xFF; }
    static void RegisterExtension(const std::array<uint8_t, 11>& code, const TGIFExtensionClass* extensionClass);

    std::string GetIdentifier() const;
    void SetIdentifier(const std::string& value);
    std::string GetAuthentication() const;
    void SetAuthentication(const std::string& value);
    const TGIFApplicationRec& Record() const { return FApplicationExtension; }

protected:
    void SaveBody(TStream& stream) override;
    void LoadBody(TStream& stream) override;
    virtual void SaveData(TStream& stream) = 0;
    virtual void LoadData(TStream& stream) = 0;

private:
    TGIFApplicationRec FApplicationExtension;
};

struct TGIFBlock {
    explicit TGIFBlock(int size) : Data(static_cast<std::size_t>(size), 0) {}
    int Size() const { return static_cast<int>(Data.size()); }
    std::vector<uint8_t> Data;
};

class TGIFUnknownAppExtension : public TGIFApplicationExtension {
public:
    using TGIFApplicationExtension::TGIFApplicationExtension;
    static const TGIFExtensionClass& Class();
    const std::vector<TGIFBlock>& Blocks() const { return FBlocks; }

protected:
    void SaveData(TStream& stream) override;
    void LoadData(TStream& stream) override;

private:
    std::vector<TGIFBlock> FBlocks;
};

class TGIFAppExtNSLoop : public TGIFApplicationExtension {
public:
    explicit TGIFAppExtNSLoop(TGIFSubImage& subImage);
    static const TGIFExtensionClass& Class();
    int Loops = 0;          // 0 loops for ever
    uint32_t BufferSize = 0;

protected:
    void SaveData(TStream& stream) override;
    void LoadData(TStream& stream) override;
};

class TGIFTrailer : public TGIFItem {
public:
    using TGIFItem::TGIFItem;
    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;
};
