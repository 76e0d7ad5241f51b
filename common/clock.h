#pragma once
// Time of day as the program sees it. The GUI follows the system's local time; tests and
// offline tools set the time themselves.

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
void SetClockTime(Clock& clock, LocalTime time);

} // namespace yumo
