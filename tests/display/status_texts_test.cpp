#include <gtest/gtest.h>
#include <limits>

#include "display/pane_colours.h"
#include "display/status_texts.h"
#include "display/word_format.h"

namespace yumo
{
namespace
{

const StatusWords kWords = DefaultStatusWords();

WakeAlarm AlarmAt(int hour, int minute)
{
    WakeAlarm alarm;
    alarm.mode = kWakeUserSet;
    alarm.minuteOfDay = hour * 60 + minute;
    return alarm;
}

ClockPaneTexts Clock(const WakeAlarm& alarm, LocalTime now, int32_t idle)
{
    return DescribeClockPane(kWords, now, alarm, idle == 0);
}

TEST(StatusTexts, ClockPadsTheHourAndKeepsNoonAtTwelve)
{
    EXPECT_EQ(ClockText(kWords, {12, 0, 0}), "PM12:00:00");
    EXPECT_EQ(ClockText(kWords, {0, 30, 7}), "AM 0:30:07");
    EXPECT_EQ(ClockText(kWords, {21, 5, 3}), "PM 9:05:03");
    EXPECT_EQ(ClockText(kWords, {11, 59, 10}), "AM11:59:10");
    EXPECT_EQ(ClockText(kWords, {23, 10, 59}), "PM11:10:59");
}

TEST(StatusTexts, CountdownDuringANightAndBackground)
{
    const WakeAlarm seven = AlarmAt(7, 0);
    EXPECT_EQ(MinutesToWaking(seven, {23, 0, 0}), 480); // tomorrow morning
    ClockPaneTexts texts = Clock(seven, {23, 0, 0}, 0);
    EXPECT_EQ(texts.countdown, " 8時間 0分くらい");
    EXPECT_TRUE(texts.wakeAhead);
    EXPECT_EQ(ClockBackground(texts.wakeAhead), kClockNightColour);

    EXPECT_EQ(MinutesToWaking(seven, {7, 30, 0}), -30);
    texts = Clock(seven, {7, 30, 0}, 0);
    EXPECT_EQ(texts.countdown, "どれくらいかな…");
    EXPECT_EQ(ClockBackground(texts.wakeAhead), kClockIdleColour);

    // At the wake minute itself nothing is ahead any more, and when idle nothing runs.
    EXPECT_FALSE(Clock(seven, {7, 0, 0}, 0).wakeAhead);
    EXPECT_EQ(Clock(seven, {7, 0, 0}, 0).countdown, " 0時間 0分くらい");
    EXPECT_FALSE(Clock(seven, {23, 0, 0}, 1).wakeAhead);
    EXPECT_EQ(Clock(AlarmAt(6, 59), {7, 0, 0}, 0).countdown, "どれくらいかな…");
    EXPECT_EQ(Clock(AlarmAt(8, 30), {6, 15, 0}, 0).countdown, " 2時間15分くらい");
}

// Outside a night the figure counts to the wake minute's next coming, never below zero; with no
// wake time there is no figure at all.
TEST(StatusTexts, CountdownCountsToTheNextWakeMinute)
{
    const struct
    {
        WakeAlarm alarm;
        LocalTime now;
        int32_t idle;
        const char* shown;
        int nightMinutes = 24 * 60;
    } cases[] = {
        {AlarmAt(18, 39), {18, 44, 0}, 1, "23時間55分くらい"},
        {AlarmAt(7, 15), {18, 46, 0}, 1, "12時間29分くらい"},
        {AlarmAt(7, 0), {7, 30, 0}, 1, "23時間30分くらい"},
        {AlarmAt(7, 0), {7, 0, 0}, 1, " 0時間 0分くらい"},
        {AlarmAt(0, 5), {23, 55, 0}, 1, " 0時間10分くらい"},
        {AlarmAt(23, 55), {0, 5, 0}, 1, "23時間50分くらい"},
        // A night started at 18:40 for 7:15 tomorrow; one that has run past its wake time.
        {AlarmAt(7, 15), {18, 46, 0}, 0, "12時間29分くらい", 6},
        {AlarmAt(7, 0), {7, 30, 0}, 0, "どれくらいかな…", 510},
        {WakeAlarm{}, {1, 0, 0}, 1, ""},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(
            DescribeClockPane(kWords, c.now, c.alarm, c.idle == 0, 0, c.nightMinutes).countdown,
            c.shown)
            << c.alarm.minuteOfDay << " at " << c.now.hour << ":" << c.now.minute;
    }
}

TEST(StatusTexts, ActivityFollowsTheStateBeforeASilence)
{
    const auto activity = [](int32_t state, int32_t depth, int32_t before = 0,
                             int32_t rolledOver = 0) {
        SleepRecord sleep;
        sleep.depth = depth;
        sleep.stateBeforeSilence = before;
        sleep.rolledOver = rolledOver;
        return ActivityText(kWords, ClassifyActivity(state, sleep));
    };
    EXPECT_EQ(activity(13, 30, 4), "ただいま　イビキ中…");
    EXPECT_EQ(activity(14, 30, 6), "ただいま　寝言中…");
    EXPECT_EQ(activity(11, 10, 5), "ただいま　お目覚め中…");
    EXPECT_EQ(activity(100, 80), "ただいま　睡眠準備中…");
    EXPECT_EQ(activity(0, 80), "ただいま　おやすみあいさつ中…");
    EXPECT_EQ(activity(1, 19), "ただいま　まどろみ中…");
    EXPECT_EQ(activity(2, 20), "ただいま　寝入り中…");
    EXPECT_EQ(activity(3, 49), "ただいま　寝入り中…");
    EXPECT_EQ(activity(3, 50), "ただいま　………");
    EXPECT_EQ(activity(9, 80), "ただいま　いらいら…");
    EXPECT_EQ(activity(8, 5), "ただいま　ぶつぶつ…");
    EXPECT_EQ(activity(7, 80), "ただいま　お目覚め中…");
    EXPECT_EQ(activity(4, 19), "ただいま　お目覚め中…"); // shallow overrides the kind
    EXPECT_EQ(activity(5, 20, 0, 1), "ただいま　寝返り中…");
    EXPECT_EQ(activity(5, 20, 0, 0), "ただいま　むにゃむにゃ…");
    EXPECT_EQ(activity(10, 60), "ただいま　起こし中…");
    EXPECT_EQ(activity(12, 60), "ただいま　思案中…");
    // The spaces after ただいま are ideographic.
    EXPECT_EQ(activity(4, 60).substr(12, 3), "\u3000");
}

TEST(StatusTexts, SleepDepthBoundaries)
{
    const auto depth = [](int32_t d, int32_t dreaming, int32_t alertness) {
        SleepRecord sleep;
        sleep.depth = d;
        sleep.dreaming = dreaming;
        sleep.alertness = alertness;
        return SleepDepthText(kWords, ClassifySleepDepth(sleep));
    };
    EXPECT_EQ(depth(19, 1, 41), "状態:　お目覚め");
    EXPECT_EQ(depth(0, 0, 40), "状態:　すっきりしない…");
    EXPECT_EQ(depth(20, 1, 50), "状態:　ドリーミング");
    EXPECT_EQ(depth(49, 0, 50), "状態:　浅い眠り");
    EXPECT_EQ(depth(50, 1, 50), "状態:　熟睡");
    EXPECT_EQ(depth(90, 0, 50), "状態:　熟睡");
    EXPECT_EQ(depth(91, 0, 50), "状態:　爆睡");
}

TEST(StatusTexts, PositionShowsTheSideAndTruncatedAngles)
{
    EXPECT_EQ(PositionText(kWords, 90, -40.7, 0.3),
              "相対位置\n\n方位=L90\u309C\n高度=-40\u309C\n距離=0.3m");
    const auto azimuthLine = [](double azimuth) {
        const std::string text = PositionText(kWords, azimuth, 0, 1);
        const size_t start = text.find("方位=");
        return text.substr(start, text.find('\n', start) - start);
    };
    EXPECT_EQ(azimuthLine(270), "方位=R90゜");
    EXPECT_EQ(azimuthLine(0), "方位=0゜");
    EXPECT_EQ(azimuthLine(180), "方位=180゜");
    EXPECT_EQ(azimuthLine(179.9), "方位=L179゜");
    EXPECT_EQ(azimuthLine(180.5), "方位=R179゜");
    EXPECT_EQ(azimuthLine(0.5), "方位=L0゜");
    EXPECT_NE(PositionText(kWords, 10, 0, 12.25).find("距離=12.2m"), std::string::npos);
}

TEST(StatusTexts, VolumeReadoutsAndOwnerLine)
{
    EXPECT_EQ(VolumeText(kWords, 125, false), "声: 12.5dB");
    EXPECT_EQ(VolumeText(kWords, -300, true), "BGM: -30.0dB");
    EXPECT_EQ(VolumeText(kWords, 5, false), "声: 0.5dB");
    EXPECT_EQ(VolumeText(kWords, -1e-12, true), "BGM: 0.0dB");
    EXPECT_EQ(VolumeText(kWords, -1, true), "BGM: -0.1dB");

    EXPECT_EQ(OwnerText(kWords, "ゆも"), "あなたの隣にいるのは\nゆも　さんです");
    // Line breaks in a name from a file would push the activity text down.
    EXPECT_EQ(OwnerText(kWords, "a\nb\r\tc\u2028d\u0085e"),
              "あなたの隣にいるのは\na b  c d e　さんです");
}

TEST(StatusTexts, TranslatedTablesAreUsedAndEveryWordIsVisited)
{
    StatusWords words = DefaultStatusWords();
    int visited = 0;
    VisitStatusWords(words, [&](std::string& word) {
        EXPECT_FALSE(word.empty());
        word = "<" + word + ">";
        ++visited;
    });
    EXPECT_EQ(visited, 14 + static_cast<int>(Activity::Count) +
                           static_cast<int>(SleepDepth::Count) + 3 * kSliderRowCount);
    EXPECT_EQ(ClockText(words, {13, 0, 0}), "<PM> 1:00:00");
    EXPECT_EQ(VolumeText(words, 10, false), "<声: 1.0dB>");
}

TEST(WordFormat, DirectivesAreCheckedAgainstTheirArguments)
{
    EXPECT_EQ(FormatWords("%2d時間%2d分%s", {3, 7, "くらい"}), " 3時間 7分くらい");
    EXPECT_EQ(FormatWords("%2.1lfdB %-3d| %05.1f", {-30.0, 4, 2.25}), "-30.0dB 4  | 002.2");
    EXPECT_EQ(FormatWords("100%% %3s|%-3s|%.1s", {"字", "字", "字字"}), "100%   字|字  |字");
    // A translation with the wrong directives shows the values, never garbage or a crash.
    EXPECT_EQ(FormatWords("%s時間%f分%d", {3, 7, "くらい"}), "3時間7分くらい");
    EXPECT_EQ(FormatWords("%d and %d and %s", {5}), "5 and %d and %s");
    EXPECT_EQ(FormatWords("%n %x %123d %", {1}), "%n %x %123d %");
    EXPECT_EQ(FormatWords("%2.1f", {std::numeric_limits<double>::infinity()}), "inf");
}

} // namespace
} // namespace yumo

namespace yumo
{
namespace
{

TEST(StatusTexts, ASleepTimerShowsItsMinutesLeftUnlessAWakeTimeIsSet)
{
    WakeAlarm automatic;
    automatic.mode = kWakeAutomatic;
    automatic.minuteOfDay = 7 * 60;
    const ClockPaneTexts timer = DescribeClockPane(kWords, {23, 0, 0}, automatic, true, 75);
    EXPECT_EQ(timer.countdown, " 1時間15分くらい");
    EXPECT_EQ(timer.countdownLabel, kWords.timerLabel);
    WakeAlarm set = automatic;
    set.mode = kWakeUserSet;
    const ClockPaneTexts waking = DescribeClockPane(kWords, {23, 0, 0}, set, true, 75);
    EXPECT_EQ(waking.countdown, " 8時間 0分くらい");
    EXPECT_EQ(waking.countdownLabel, kWords.countdownLabel);
}

} // namespace
} // namespace yumo
