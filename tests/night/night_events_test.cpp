#include <algorithm>
#include <array>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "night/app_state.h"
#include "night/night_events.h"
#include "night/night_record.h"
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

// A record is cut to one night: lines before the first one's time or more than the longest night
// after it are left out and counted (a block of 2^63 - 1 froze the picture's tick loop); a file too
// large, or a line too long, is refused before it is held.
TEST(NightRecord, LinesOutsideTheNightAreLeftOutAndHugeFilesRefused)
{
    const std::string header(kNightEventsHeader);
    const auto line = [](uint64_t block) {
        return std::to_string(block) + "\t23:00:00.000\t1\t0\t30\t0\t50\t0\t0\t90\t0\tclip\n";
    };
    struct Case
    {
        const char* what;
        std::string text;
        size_t kept;
        size_t leftOut;
    };
    const Case cases[] = {
        {"block 2^63-1", header + line(0) + line(9223372036854775807u), 1, 1},
        {"the longest night exactly", header + line(0) + line(kNightRecordBlocks), 2, 0},
        {"a block past the longest night",
         header + line(5) + line(kNightRecordBlocks + 6) + line(9), 2, 1},
        {"her call kept ten and a half hours in",
         header + line(0) + line(uint64_t{37800} * kSampleRate / kFramesPerBlock), 2, 0},
        {"before the first", header + line(700) + line(699) + line(701), 2, 1},
    };
    test::TempDir dir;
    for (const Case& c : cases)
    {
        test::WriteTextFile(dir / "night.tsv", c.text);
        for (size_t columns : {size_t{0}, size_t{1000}})
        {
            NightRecord record;
            std::string why;
            ASSERT_TRUE(ReadNightRecord(dir / "night.tsv", columns, record, why)) << c.what;
            EXPECT_EQ(record.events.size(), c.kept) << c.what;
            EXPECT_EQ(record.leftOut, c.leftOut) << c.what;
            EXPECT_GT(record.writtenAt, 0) << c.what;
        }
    }
    const std::pair<std::string, std::string> refused[] = {
        {header + line(0) + std::string(5000, '7') + "\n", "line 3 is longer than 4096 bytes"},
        {"", "line 1 is not the events header"},
    };
    for (const auto& [text, reason] : refused)
    {
        test::WriteTextFile(dir / "bad.tsv", text);
        NightRecord record;
        std::string why;
        EXPECT_FALSE(ReadNightRecord(dir / "bad.tsv", 1000, record, why));
        EXPECT_EQ(why, reason);
    }
    test::WriteTextFile(dir / "large.tsv", header);
    std::filesystem::resize_file(dir / "large.tsv", (size_t{64} << 20) + 1);
    NightRecord record;
    std::string why;
    EXPECT_FALSE(ReadNightRecord(dir / "large.tsv", 1000, record, why));
    EXPECT_EQ(why, "the events file is larger than 64 MB");
}

// Thinned to a few lines a column, whatever the record: every activity's first clip of a bin,
// the depth's extremes and where dreams and absences begin and end stay.
TEST(NightRecord, ThinningKeepsAFewLinesAColumnAndWhatTheyShow)
{
    constexpr size_t kColumns = 500;
    std::vector<NightEvent> events;
    for (uint64_t i = 0; i < 400000; ++i)
    {
        NightEvent e = Event(i * 7, 0, static_cast<int>(i % 12), kEventClip);
        e.depth = static_cast<int32_t>(i * 37 % 121) - 10;
        e.dreaming = (i / 1000) % 2 == 0 ? 1 : 0;
        e.rolledOver = i % 5000 == 0 ? 1 : 0;
        events.push_back(e);
        if (i % 3001 == 0)
        {
            events.push_back(Event(i * 7, 0, 0, i % 2 == 0 ? kEventSoundAway : kEventSoundBack));
        }
    }
    const NightRecord whole = MakeNightRecord(events, 0, 1);
    const NightRecord thin = MakeNightRecord(events, kColumns, 1);
    ASSERT_EQ(whole.events.size(), events.size());
    EXPECT_LE(thin.events.size(), kColumns * 2 * 20);
    EXPECT_EQ(thin.thinnedOut + thin.events.size(), events.size());
    const auto summary = [](const NightRecord& r) {
        std::array<size_t, 12> kinds{};
        int lowest = 1000;
        int highest = -1000;
        size_t dreamChanges = 0;
        bool dreaming = false;
        for (const NightEvent& e : r.events)
        {
            if (e.event == kEventClip)
            {
                kinds[static_cast<size_t>(e.state)] += 1;
                lowest = std::min(lowest, e.depth);
                highest = std::max(highest, e.depth);
                dreamChanges += (e.dreaming != 0) != dreaming ? 1 : 0;
                dreaming = e.dreaming != 0;
            }
        }
        return std::make_tuple(
            std::count_if(kinds.begin(), kinds.end(), [](size_t n) { return n > 0; }), lowest,
            highest, dreamChanges, r.events.back().block);
    };
    EXPECT_EQ(summary(thin), summary(whole));
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
