#include "display/status_texts.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/constants.h"
#include "display/word_format.h"

namespace yumo
{

namespace
{

constexpr int kMinutesPerDay = 24 * 60;
constexpr int kHalfDayMinutes = 12 * 60;

// Toward zero like a C cast, but defined for every double: NaN reads 0, huge values saturate.
int TruncateToInt(double value)
{
    if (std::isnan(value))
    {
        return 0;
    }
    const double limit = static_cast<double>(std::numeric_limits<int>::max());
    return static_cast<int>(std::clamp(value, -limit, limit));
}

// Minutes and seconds: "0%d" below 10, so 9:05:03 shows its zeros.
std::string TwoDigits(int value)
{
    return value < 10 ? FormatWords("0%d", {value}) : FormatWords("%2d", {value});
}

} // namespace

std::string ClockText(const StatusWords& words, const LocalTime& now)
{
    const bool morning = now.hour < 12;
    const int hour = morning || now.hour == 12 ? now.hour : now.hour - 12;
    return (morning ? words.morning : words.afternoon) + FormatWords("%2d", {hour}) + ":" +
           TwoDigits(now.minute) + ":" + TwoDigits(now.second);
}

int MinutesToWaking(const WakeAlarm& alarm, const LocalTime& now)
{
    int left = alarm.minuteOfDay - (now.hour * 60 + now.minute);
    if (left < 0 && -left > kHalfDayMinutes)
    {
        left += kMinutesPerDay;
    }
    return left;
}

int MinutesToNextWaking(const WakeAlarm& alarm, const LocalTime& now)
{
    const int left = (alarm.minuteOfDay - (now.hour * 60 + now.minute)) % kMinutesPerDay;
    return left < 0 ? left + kMinutesPerDay : left;
}

ClockPaneTexts DescribeClockPane(const StatusWords& words, const LocalTime& now,
                                 const WakeAlarm& alarm, bool nightPlays, int timerMinutesLeft,
                                 int nightMinutes)
{
    const int left = MinutesToWaking(alarm, now);
    ClockPaneTexts texts;
    texts.clock = ClockText(words, now);
    texts.countdownLabel = words.countdownLabel;
    const auto figure = [&words](int minutes) {
        return FormatWords(words.countdownFormat,
                           {minutes / 60, minutes % 60, words.countdownAbout});
    };
    if (alarm.mode != kWakeUserSet && timerMinutesLeft > 0)
    {
        texts.countdownLabel = words.timerLabel;
        texts.countdown = figure(timerMinutesLeft);
    }
    else if (alarm.mode == kWakeOff)
    {
        texts.countdown.clear(); // no wake time: nothing to count down to
    }
    else if (nightPlays && left < 0 && -left <= nightMinutes)
    {
        texts.countdown = words.countdownUnknown; // her call is late, or will not come
    }
    else
    {
        texts.countdown = figure(MinutesToNextWaking(alarm, now));
    }
    texts.wakeAhead = nightPlays && left > 0;
    return texts;
}

std::string OwnerText(const StatusWords& words, std::string_view ownerUtf8)
{
    std::string name(ownerUtf8);
    for (size_t i = 0; i < name.size(); ++i)
    {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (byte < 0x20 || byte == 0x7F)
        {
            name[i] = ' ';
        }
        else if (byte == 0xC2 && i + 1 < name.size() && name[i + 1] == '\x85')
        {
            name.replace(i, 2, " "); // U+0085, next line
        }
        else if (byte == 0xE2 && i + 2 < name.size() && name[i + 1] == '\x80' &&
                 (name[i + 2] == '\xA8' || name[i + 2] == '\xA9'))
        {
            name.replace(i, 3, " "); // U+2028 and U+2029, line and paragraph separators
        }
    }
    return FormatWords(words.ownerFormat, {name});
}

Activity ClassifyActivity(int32_t behaviourState, const SleepRecord& sleep)
{
    const int32_t state = IsSilenceKind(behaviourState) ? sleep.stateBeforeSilence : behaviourState;
    const int32_t depth = sleep.depth;
    switch (state)
    {
    case kStateNotAsleep:
        return Activity::Preparing;
    case kKindGoodNight:
        return Activity::GreetingNight;
    case kKindBreathInOut:
    case kKindBreathIn:
    case kKindBreathOut:
        return depth < 20 ? Activity::Dozing
                          : (depth < 50 ? Activity::FallingAsleep : Activity::DeepBreathing);
    case kKindSigh:
        return Activity::Irritated;
    case kKindGrumble:
        return Activity::Grumbling;
    case kKindStartle:
        return Activity::Waking;
    default:
        break;
    }
    if (depth < 20)
    {
        return Activity::Waking;
    }
    switch (state)
    {
    case kKindMumble:
        return sleep.rolledOver == 1 ? Activity::RollingOver : Activity::Mumbling;
    case kKindSnore:
        return Activity::Snoring;
    case kKindSleepTalk:
        return Activity::SleepTalking;
    case kKindWakeCall:
        return Activity::WakingYou;
    default:
        return Activity::Pondering;
    }
}

SleepDepth ClassifySleepDepth(const SleepRecord& sleep)
{
    if (sleep.depth < 20)
    {
        return sleep.alertness > 40 ? SleepDepth::Awake : SleepDepth::Groggy;
    }
    if (sleep.depth < 50)
    {
        return sleep.dreaming == 1 ? SleepDepth::Dreaming : SleepDepth::LightSleep;
    }
    return sleep.depth <= 90 ? SleepDepth::DeepSleep : SleepDepth::VeryDeepSleep;
}

const std::string& ActivityText(const StatusWords& words, Activity activity)
{
    return words.activities[static_cast<size_t>(activity)];
}

const std::string& SleepDepthText(const StatusWords& words, SleepDepth depth)
{
    return words.depths[static_cast<size_t>(depth)];
}

std::string PositionText(const StatusWords& words, double azimuth, double elevation,
                         double distance)
{
    std::string_view side;
    int shown = TruncateToInt(azimuth);
    if (azimuth == 0 || azimuth == 180)
    {
        // In the median plane: no side.
    }
    else if (azimuth < 180)
    {
        side = words.sideLeft;
    }
    else if (azimuth > 180)
    {
        side = words.sideRight;
        shown = TruncateToInt(360 - azimuth);
    }
    return FormatWords(words.positionFormat, {side, shown, TruncateToInt(elevation), distance});
}

std::string VolumeText(const StatusWords& words, double volumeTenths, bool music)
{
    double decibels = volumeTenths / 10;
    if (std::fabs(decibels) < 0.05)
    {
        decibels = 0; // would print as -0.0 when slightly negative
    }
    return FormatWords(music ? words.musicVolumeFormat : words.voiceVolumeFormat, {decibels});
}

} // namespace yumo
