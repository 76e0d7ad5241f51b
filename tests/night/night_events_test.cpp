#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "night/app_state.h"
#include "night/night_events.h"
#include "support/test_support.h"
#include "tools/figures/allocation_counter.h"

namespace yumo
{
namespace
{

NightEvent Event(uint64_t block, uint32_t clockMs, int state, const char* word)
{
    NightEvent e;
    e.block = block;
    e.clockMs = clockMs;
    e.state = state;
    e.clipIndex = 3;
    e.depth = -7;
    e.dreaming = 1;
    e.alertness = 61;
    e.facing = 1;
    e.rolledOver = 1;
    e.azimuth = 312.5;
    e.elevation = -12.25;
    e.event = word;
    return e;
}

void ExpectSame(const NightEvent& a, const NightEvent& b)
{
    EXPECT_EQ(a.block, b.block);
    EXPECT_EQ(a.clockMs, b.clockMs);
    EXPECT_EQ(a.state, b.state);
    EXPECT_EQ(a.clipIndex, b.clipIndex);
    EXPECT_EQ(a.depth, b.depth);
    EXPECT_EQ(a.dreaming, b.dreaming);
    EXPECT_EQ(a.alertness, b.alertness);
    EXPECT_EQ(a.facing, b.facing);
    EXPECT_EQ(a.rolledOver, b.rolledOver);
    EXPECT_DOUBLE_EQ(a.azimuth, b.azimuth);
    EXPECT_DOUBLE_EQ(a.elevation, b.elevation);
    EXPECT_EQ(a.event, b.event);
}

// Every column comes back as written, a mark the reader does not know among them; a file of
// the older form, without the event column, reads as clips.
TEST(NightEvents, WrittenFilesReadBackWithEveryWordKept)
{
    test::TempDir dir;
    const std::vector<NightEvent> written = {Event(0, 86399999, 0, kEventClip),
                                             Event(17, 0, 13, kEventTimerEnd),
                                             Event(4000, 3723004, 5, "lamp-dimmed-by-someone-else"),
                                             Event(4000, 3723004, 5, kEventSoundAway)};
    ASSERT_TRUE(WriteNightEventsFile(dir / "e.tsv", written));
    std::vector<NightEvent> read;
    std::string why;
    ASSERT_TRUE(ReadNightEventsFile(dir / "e.tsv", read, why)) << why;
    ASSERT_EQ(read.size(), written.size());
    for (size_t i = 0; i < read.size(); ++i)
    {
        ExpectSame(read[i], written[i]);
    }

    const std::string older = "block\tclock\tstate\tclipIndex\tdepth\tdreaming\talertness\tfacing"
                              "\trolledOver\tazimuth\televation\r\n"
                              "12\t01:02:03.004\t4\t0\t55\t0\t50\t0\t0\t90\t-40\r\n";
    ASSERT_TRUE(ParseNightEvents(older, read, why)) << why;
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].event, kEventClip);
    EXPECT_EQ(read[0].clockMs, 3723004u);
    EXPECT_EQ(read[0].depth, 55);
}

TEST(NightEvents, DamagedLinesAreRefusedByNumber)
{
    const std::string header(kNightEventsHeader);
    const std::string good = "1\t00:00:00.000\t0\t0\t0\t0\t0\t0\t0\t0\t0\tclip\n";
    std::vector<NightEvent> read;
    std::string why;
    EXPECT_TRUE(ParseNightEvents(header + good + good, read, why));
    EXPECT_EQ(read.size(), 2u);
    for (const std::string& bad : std::initializer_list<std::string>{
             "1\t24:00:00.000\t0\t0\t0\t0\t0\t0\t0\t0\t0\tclip\n",
             "1\t00:00:00.000\t0\t0\t0\t0\t0\t0\t0\t0\t0\t\n",
             "1\t00:00:00.000\t0\t0\t0\t0\t0\t0\t0\t0\tclip\n",
             "-1\t00:00:00.000\t0\t0\t0\t0\t0\t0\t0\t0\t0\tclip\n",
             "1\t0:00:00.000\t0\t0\t0\t0\t0\t0\t0\t0\t0\tclip\n",
             "1\t00:00:00.000\t0\t0\t0\t0\t0\t0\t0\tnan\t0\tclip\n",
             "1\t00:00:00.000\t0\t0\t0\t0\t0\t0\t0\t0\t0\tclip\textra\n",
             std::string("1\t00:00:00.000\t0\t0\t0\t0\t0\t0\t0\t0\t0\tcl\0ip\n", 39),
             "1\t00:00:00.000\t0\t0\t0\t0\t0\t0\t0\t0\t0\tcl ip\n"})
    {
        EXPECT_FALSE(ParseNightEvents(header + good + bad, read, why)) << bad;
        EXPECT_EQ(why.rfind("line 3 ", 0), 0u) << why;
        EXPECT_TRUE(read.empty());
    }
    EXPECT_FALSE(ParseNightEvents("block\tclock\n" + good, read, why));
    EXPECT_FALSE(ParseNightEvents("", read, why));
}

// The window records within the room it took: no allocation per event, none kept beyond it.
// The wake window is marked once, at the first clip inside it.
TEST(NightEvents, RecorderStaysInItsRoomAndMarksTheWakeWindowOnce)
{
    CapturingReporter reporter;
    std::unique_ptr<AppState> state = CreateAppState(reporter);
    state->alarm.mode = kWakeUserSet;
    state->alarm.minuteOfDay = 7 * 60;
    NightEventRecorder recorder(8, 8);
    recorder.Begin();
    const long before = CountedAllocations();
    for (uint32_t minute = 6 * 60 + 40; minute < 6 * 60 + 50; ++minute)
    {
        recorder.RecordClip(*state, minute, minute * 60000);
    }
    EXPECT_EQ(CountedAllocations(), before);
    ASSERT_EQ(recorder.Events().size(), 8u);
    EXPECT_EQ(recorder.Dropped(), 3u);
    int marks = 0;
    for (const NightEvent& e : recorder.Events())
    {
        if (e.event == kEventWakeWindow)
        {
            EXPECT_EQ(e.clockMs, (6u * 60 + 46) * 60000);
            ++marks;
        }
    }
    EXPECT_EQ(marks, 1);
}

} // namespace
} // namespace yumo
