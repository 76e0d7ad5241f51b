#pragma once
// Time of day as the program sees it. The GUI follows the system's local time; tests and
// offline tools set the time themselves.

#include <cstdint>

namespace yumo
{

struct LocalTime
{
    int hour = 0;   // 0-23
    int minute = 0; // 0-59
    int second = 0; // 0-59
};

struct Clock
{
    bool manual = false; // true: report `fixed`; false: the system's local time
    LocalTime fixed;
};

LocalTime ReadLocalTime(const Clock& clock);

// Seconds since the epoch, the seed of the character script's generated blocks. A manual clock
// gives the seconds of its fixed time of day, so that tests and tools repeat.
uint32_t ReadCalendarSeconds(const Clock& clock);
void SetClockTime(Clock& clock, LocalTime time);

} // namespace yumo
