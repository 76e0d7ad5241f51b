#include "night/wake_alarm.h"

#include <cstdio>

namespace yumo
{

namespace
{

constexpr int kNoonHour = 12;
constexpr int kParsedCharacters = 3; // two digits and a sign: what an hour or minute needs

// The face of the clock pane: midnight is AM 0, noon PM 12, 13:00 PM 1.
void ShowHour(const WakeAlarm& alarm, WakeDialogFields& fields)
{
    fields.hour = FormatDialogNumber(alarm.hour > kNoonHour ? alarm.hour - kNoonHour : alarm.hour);
}

// The label follows the hour: noon and later are PM.
void ShowHourAndLabel(WakeAlarm& alarm, WakeDialogFields& fields)
{
    alarm.pm = alarm.hour >= kNoonHour ? 1 : 0;
    fields.amPm = alarm.pm == 1 ? "PM" : "AM";
    ShowHour(alarm, fields);
}

} // namespace

std::string FormatDialogNumber(int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%2d", value);
    return text;
}

int ParseDialogNumber(const std::string& text)
{
    const std::string head = text.substr(0, kParsedCharacters);
    size_t i = 0;
    while (i < head.size() && (head[i] == ' ' || head[i] == '\t'))
    {
        ++i;
    }
    bool negative = false;
    if (i < head.size() && (head[i] == '+' || head[i] == '-'))
    {
        negative = head[i] == '-';
        ++i;
    }
    int value = 0;
    for (; i < head.size() && head[i] >= '0' && head[i] <= '9'; ++i)
    {
        value = value * 10 + (head[i] - '0');
    }
    return negative ? -value : value;
}

WakeDialogFields OpenWakeDialog(WakeAlarm& alarm)
{
    WakeDialogFields fields;
    ShowHourAndLabel(alarm, fields);
    fields.minute = FormatDialogNumber(alarm.minute);
    return fields;
}

void SpinAmPm(WakeAlarm& alarm, WakeDialogFields& fields)
{
    // Twelve hours on or back, so AM 0 and PM 12 trade places like every other pair. The half
    // comes from the hour itself, which stays right even if `pm` was left stale.
    if (alarm.hour >= kNoonHour)
    {
        alarm.hour -= kNoonHour;
    }
    else
    {
        alarm.hour += kNoonHour;
    }
    ShowHourAndLabel(alarm, fields);
}

void SpinHour(WakeAlarm& alarm, int delta, WakeDialogFields& fields)
{
    alarm.hour -= delta;
    if (alarm.hour < 0)
    {
        alarm.hour = 23;
    }
    else if (alarm.hour > 23)
    {
        alarm.hour = 0;
    }
    ShowHourAndLabel(alarm, fields);
}

void SpinMinute(WakeAlarm& alarm, int delta, WakeDialogFields& fields)
{
    alarm.minute -= delta;
    if (alarm.minute < 0)
    {
        alarm.minute = 59;
    }
    else if (alarm.minute > 59)
    {
        alarm.minute = 0;
    }
    fields.minute = FormatDialogNumber(alarm.minute);
}

void TakeTypedFields(WakeAlarm& alarm, const WakeDialogFields& fields)
{
    // 12 is noon in either half, as the clock pane's PM12; every other hour moves to the
    // afternoon with PM.
    const int typedHour = ParseDialogNumber(fields.hour);
    alarm.hour = typedHour == kNoonHour ? kNoonHour : typedHour + (alarm.pm == 1 ? kNoonHour : 0);
    alarm.minute = ParseDialogNumber(fields.minute);
}

void ConfirmWakeDialog(WakeAlarm& alarm, const WakeDialogFields& fields)
{
    TakeTypedFields(alarm, fields);
    alarm.mode = kWakeUserSet;
    alarm.minuteOfDay = alarm.hour * 60 + alarm.minute;
}

void CancelWakeDialog(WakeAlarm& alarm)
{
    alarm.hour = 0;
    alarm.minute = 0;
}

void StopWakeAlarm(WakeAlarm& alarm, bool nightRunning)
{
    alarm.hour = 0;
    alarm.minute = 0;
    if (!nightRunning)
    {
        alarm.mode = kWakeOff;
    }
}

} // namespace yumo
