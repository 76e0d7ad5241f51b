#include "common/clock.h"

#include <ctime>

namespace yumo
{

LocalTime ReadLocalTime(const Clock& clock)
{
    if (clock.manual)
    {
        return clock.fixed;
    }
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return LocalTime{local.tm_hour, local.tm_min, local.tm_sec};
}

uint32_t ReadCalendarSeconds(const Clock& clock)
{
    if (clock.manual)
    {
        return static_cast<uint32_t>(clock.fixed.hour * 3600 + clock.fixed.minute * 60 +
                                     clock.fixed.second);
    }
    return static_cast<uint32_t>(std::time(nullptr));
}

void SetClockTime(Clock& clock, LocalTime time)
{
    clock.manual = true;
    clock.fixed = time;
}

} // namespace yumo
