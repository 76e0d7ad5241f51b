// The wake-up dialog over typed field texts and any sequence of spins: the numbers stay in
// their ranges, the fields show what the alarm holds, and OK computes the minute of the day.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "night/wake_alarm.h"

namespace
{

// Names the broken invariant before aborting, so a finding explains itself.
void Check(bool condition, const char* what)
{
    if (!condition)
    {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

#define CHECK(condition) Check((condition), #condition)

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace yumo;
    WakeAlarm alarm;
    size_t at = 0;
    auto next = [&]() -> uint8_t { return at < size ? data[at++] : 0; };
    alarm.hour = next() % 24;
    alarm.minute = next() % 60;
    WakeDialogFields fields = OpenWakeDialog(alarm);

    const int steps = next() % 64;
    for (int i = 0; i < steps; ++i)
    {
        const uint8_t op = next();
        const int delta = static_cast<int8_t>(next()) % 3;
        switch (op % 3)
        {
        case 0:
            SpinAmPm(alarm, fields);
            break;
        case 1:
            SpinHour(alarm, delta, fields);
            break;
        default:
            SpinMinute(alarm, delta, fields);
            break;
        }
        CHECK(alarm.hour >= 0 && alarm.hour <= 23);
        CHECK(alarm.minute >= 0 && alarm.minute <= 59);
        CHECK(fields.amPm == (alarm.pm == 1 ? "PM" : "AM"));
        CHECK(ParseDialogNumber(fields.minute) == alarm.minute);
    }

    // Whatever was typed: the rest of the input split at the first zero byte.
    std::string typed(reinterpret_cast<const char*>(data + at), size - at);
    const size_t split = typed.find('\0');
    fields.hour = typed.substr(0, split);
    fields.minute = split == std::string::npos ? std::string() : typed.substr(split + 1);
    const int hourField = ParseDialogNumber(fields.hour);
    CHECK(hourField >= -99 && hourField <= 999);
    ConfirmWakeDialog(alarm, fields);
    CHECK(alarm.mode == kWakeUserSet);
    CHECK(alarm.hour == (hourField == 12 ? 12 : hourField + (alarm.pm == 1 ? 12 : 0)));
    CHECK(alarm.minuteOfDay == alarm.hour * 60 + alarm.minute);
    return 0;
}
