// The window's night log: blocks counted from the clock across midnight, the wake window and
// the sound's absence marked, and the last night kept in $XDG_STATE_HOME/yumo/last-night.tsv,
// replaced each night.

#include <gtest/gtest.h>
#include <memory>

#include <QFile>

#include "gui/desktop/night_log.h"
#include "support/test_support.h"

namespace yumo
{
namespace
{

TEST(NightLog, RecordsAcrossMidnightAndKeepsOnlyTheLastNight)
{
    test::TempDir dir;
    qputenv("XDG_STATE_HOME", QByteArray::fromStdString((dir / "state").string()));
    CapturingReporter reporter;
    std::unique_ptr<AppState> state = CreateAppState(reporter);
    state->alarm.mode = kWakeUserSet;
    state->alarm.minuteOfDay = 10; // 00:10: minutes do not wrap, so 23:59 is outside its window

    NightLog log;
    for (int night = 0; night < 2; ++night)
    {
        SetClockTime(state->clock, {23, 59, 0});
        log.Begin(*state);
        SetClockTime(state->clock, {0, 1, 0});
        log.Clip(*state);
        log.Mark(*state, "sound-away");
        EXPECT_TRUE(log.recording());
        std::string why;
        ASSERT_TRUE(WriteLastNight(log.Finish(), why)) << why;
        EXPECT_FALSE(log.recording());
    }
    std::vector<NightEvent> read;
    std::string why;
    ASSERT_TRUE(ReadNightEventsFile(QFile::encodeName(LastNightPath()).toStdString(), read, why))
        << why;
    EXPECT_EQ(LastNightPath(),
              QString::fromStdString((dir / "state" / "yumo" / "last-night.tsv").string()));
    ASSERT_EQ(read.size(), 4u); // the second night only: its start, the window, a clip, a mark
    EXPECT_EQ(read[0].block, 0u);
    EXPECT_EQ(read[0].event, kEventClip);
    EXPECT_EQ(read[1].event, kEventWakeWindow);
    EXPECT_EQ(read[2].block, 120u * 44100 / 512); // two minutes, past midnight
    EXPECT_EQ(read[2].clockMs, 60000u);
    EXPECT_EQ(read[3].event, "sound-away");
    EXPECT_EQ(read[3].block, read[2].block);
    qunsetenv("XDG_STATE_HOME");
}

} // namespace
} // namespace yumo
