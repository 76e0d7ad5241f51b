#pragma once
// The texts of the status panes, from the night's state and a table of words. Plain functions
// of their arguments, so the window only draws what they return.

#include <cstdint>
#include <string>
#include <string_view>

#include "common/clock.h"
#include "display/status_words.h"
#include "night/app_state.h"

namespace yumo
{

// "AM 9:05:03" / "PM12:00:00": the hour space-padded to two places (noon stays 12, midnight is
// AM 0), minutes and seconds always two digits.
std::string ClockText(const StatusWords& words, const LocalTime& now);

// Minutes from `now` to the alarm's minute of the day; a wake time more than 12 hours past is
// taken as tomorrow's. Negative while the wake time has gone by: the night's "past waking".
int MinutesToWaking(const WakeAlarm& alarm, const LocalTime& now);

// Minutes from `now` until the wake minute next comes round, 0-1439: the minute the alarm
// compares with the clock, today when it is still ahead, else tomorrow. Never negative.
int MinutesToNextWaking(const WakeAlarm& alarm, const LocalTime& now);

struct ClockPaneTexts
{
    std::string clock;
    std::string countdownLabel; // what the figure counts: waking, or the sleep timer's end
    std::string countdown;      // empty when there is nothing to count (no wake time)
    bool wakeAhead = false;     // a night runs and its wake time is still to come
};

// While no wake time is set by the user, a running sleep timer's minutes left
// (`timerMinutesLeft` above 0) take the countdown's place, under the timer's own label. A wake
// time that went by during the night (within its `nightMinutes` so far) reads "past waking";
// one that went by before the night started is counted to its next coming.
ClockPaneTexts DescribeClockPane(const StatusWords& words, const LocalTime& now,
                                 const WakeAlarm& alarm, bool nightPlays, int timerMinutesLeft = 0,
                                 int nightMinutes = 24 * 60);

// The owner line: the name with control characters shown as spaces, so that a name read from a
// file cannot break the pane's lines.
std::string OwnerText(const StatusWords& words, std::string_view ownerUtf8);

// Behaviour states 11, 13 and 14 (silences) show the activity that came before them.
Activity ClassifyActivity(int32_t behaviourState, const SleepRecord& sleep);
SleepDepth ClassifySleepDepth(const SleepRecord& sleep);
const std::string& ActivityText(const StatusWords& words, Activity activity);
const std::string& SleepDepthText(const StatusWords& words, SleepDepth depth);

// Azimuth in degrees (below 180 is the listener's left), elevation in degrees, distance in
// metres; angles are shown truncated toward zero.
std::string PositionText(const StatusWords& words, double azimuth, double elevation,
                         double distance);

// A volume in tenths of a dB as dB with one decimal ("-30.0dB"); a value that rounds to zero
// reads 0.0, never -0.0.
std::string VolumeText(const StatusWords& words, double volumeTenths, bool music);

} // namespace yumo
