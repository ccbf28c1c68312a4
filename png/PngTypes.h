#pragma once
// Types shared by the PNG picture class, its reader and its writer.
#include <cstdint>
#include <functional>
#include <string>

#include "base/Exception.h"
#include "base/Progress.h"

// The one exception class of the PNG codec; it carries a fixed English message.
class ERUDEDI : public EInvalidGraphic {
public:
    using EInvalidGraphic::EInvalidGraphic;
};

#pragma pack(push, 1)
struct TPNGTime {
    uint16_t Year = 0;  // machine order
    uint8_t Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
    friend bool operator==(const TPNGTime&, const TPNGTime&) = default;
};
#pragma pack(pop)
static_assert(sizeof(TPNGTime) == 7);

// cHRM values, each the chromaticity times 100000, in chunk order.
struct TPNGChromaticities {
    uint32_t WhiteX = 0, WhiteY = 0, RedX = 0, RedY = 0, GreenX = 0, GreenY = 0, BlueX = 0, BlueY = 0;
    friend bool operator==(const TPNGChromaticities&, const TPNGChromaticities&) = default;
};
static_assert(sizeof(TPNGChromaticities) == 32);

// gIFg chunk data exactly as stored (the delay stays big-endian).
struct TPNGGIFExtension {
    uint8_t DisposalMethod = 0;
    uint8_t UserInput = 0;
    uint8_t DelayTime[2] = {0, 0};
    friend bool operator==(const TPNGGIFExtension&, const TPNGGIFExtension&) = default;
};
static_assert(sizeof(TPNGGIFExtension) == 4);

enum TRUDEDIFilterType : uint8_t { gpfJust = 0, gpfNone = 1, gpfSub = 2, gpfUp = 3, gpfAvg = 4, gpfPaeth = 5 };
enum TRUDEDIInterlaceType : uint8_t { gptNone = 0, gptAdam7 = 1 };
enum TRUDEDIUnitSpecifier : uint8_t { gpuAspect = 0, gpuMeter = 1, gpuInch = 2 };

// Asked for the password when a file announces one; the handler may change it.
using TRUDEDIPasswordEvent = std::function<void(void* sender, std::string& password)>;
// Called with the bytes of one row (without its filter byte); may change them in place.
using TRUDEDIDECodeEvent =
    std::function<void(void* sender, uint8_t* pbuf, int buflen, int lineno, const std::string& password)>;
using TPNGPasswordEvent = TRUDEDIPasswordEvent;
using TPNGDECodeEvent = TRUDEDIDECodeEvent;

// Progress of a long read or write: stage and percent (0..100).
using TProgressEvent = std::function<void(void* sender, TProgressStage stage, int percent, const std::string& msg)>;

// A colour with this bit set names a palette index in its low byte.
constexpr int32_t PaletteIndexFlag = 0x01000000;

// The current UTC time as a tIME value.
TPNGTime CurrentUtcTime();
