#include <ctime>

#include "PngTypes.h"

TPNGTime CurrentUtcTime() {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
#ifdef _WIN32
    gmtime_s(&utc, &now);
#else
    gmtime_r(&now, &utc);
#endif
    TPNGTime t;
    t.Year = static_cast<uint16_t>(utc.tm_year + 1900);
    t.Month = static_cast<uint8_t>(utc.tm_mon + 1);
    t.Day = static_cast<uint8_t>(utc.tm_mday);
    t.Hour = static_cast<uint8_t>(utc.tm_hour);
    t.Minute = static_cast<uint8_t>(utc.tm_min);
    t.Second = static_cast<uint8_t>(utc.tm_sec);
    return t;
}
