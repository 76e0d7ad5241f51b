// The night's picture, drawn by yumo-tool plot through yumo-plot, read back from the PNG: every
// event of the file is there as a mark of its colour.

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <QDateTime>
#include <QImage>

#include "gui/plot/night_plot.h"
#include "night/night_events.h"
#include "support/test_support.h"

namespace yumo
{
namespace
{

constexpr uint64_t kBlocksPerMinute = 60 * 44100 / 512;

NightEvent At(double minute, int state, const char* word, int depth = 30)
{
    NightEvent e;
    e.block = static_cast<uint64_t>(minute * kBlocksPerMinute);
    e.clockMs = static_cast<uint32_t>((23 * 60 + minute) * 60000) % 86400000u;
    e.state = state;
    e.depth = depth;
    e.event = word;
    return e;
}

// Runs of pixels of exactly `colour` along row y.
int CountRuns(const QImage& image, int y, const QColor& colour)
{
    int runs = 0;
    bool inside = false;
    for (int x = 0; x < image.width(); ++x)
    {
        const bool match = image.pixelColor(x, y).rgb() == colour.rgb();
        runs += match && !inside ? 1 : 0;
        inside = match;
    }
    return runs;
}

TEST(NightPlot, EveryEventOfTheFileIsAMarkOfItsColour)
{
    // Eight hours; each activity k has k % 3 + 1 clips, well apart; dreams, roll-overs, her
    // calls, the timer's end, two absences of the sound and marks the picture does not know.
    std::vector<NightEvent> events;
    std::vector<int> clipsPerKind(12, 0);
    double minute = 0;
    for (int kind = 0; kind < 12; ++kind)
    {
        for (int n = 0; n <= kind % 3; ++n, minute += 12)
        {
            if (kind == 10)
            {
                continue; // her calls come at the end
            }
            NightEvent e = At(minute, kind, kEventClip, 20 + kind * 5);
            e.rolledOver = n == 1 ? 1 : 0;
            e.dreaming = kind == 5 ? 1 : 0;
            events.push_back(e);
            ++clipsPerKind[static_cast<size_t>(kind)];
            NightEvent silence = At(minute + 0.5, 13, kEventClip);
            silence.dreaming = e.dreaming;
            events.push_back(silence);
        }
    }
    const int rollOvers = 7; // one per kind with two or three clips, but 起きて
    events.push_back(At(60, 9, kEventSoundAway));
    events.push_back(At(75, 9, "fade-in"));
    events.push_back(At(90, 9, kEventSoundBack));
    events.push_back(At(200, 9, kEventSoundAway));
    events.push_back(At(215, 9, kEventSoundBack));
    events.push_back(At(300, 9, kEventTimerEnd));
    events.push_back(At(440, 9, kEventWakeWindow));
    events.push_back(At(455, 10, kEventClip, 5));
    events.push_back(At(465, 10, kEventClip, 5));
    clipsPerKind[10] = 2;
    events.push_back(At(480, 13, "sound-somewhere-else"));

    test::TempDir dir;
    ASSERT_TRUE(WriteNightEventsFile(dir / "night.tsv", events));
    std::string err;
    ASSERT_EQ(test::RunCommand(std::string(YUMO_TOOL_PATH) + " plot " +
                                   (dir / "night.tsv").string() + " " +
                                   (dir / "night.png").string(),
                               nullptr, &err),
              0)
        << err;
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString((dir / "night.png").string())));
    ASSERT_EQ(image.size(), QSize(kNightPlotWidth, kNightPlotHeight));

    const NightPlotLayout layout = LayoutNightPlot(image.rect());
    for (int kind = 0; kind < 12; ++kind)
    {
        const int y = layout.RowTop(kind) + layout.RowHeight() / 2;
        EXPECT_EQ(CountRuns(image, y, ActivityColour(kind)),
                  clipsPerKind[static_cast<size_t>(kind)])
            << "activity " << kind;
    }
    const int rollRow = layout.rollOver.center().y();
    EXPECT_EQ(CountRuns(image, rollRow, RollOverColour()), rollOvers);
    const int eventsRow = layout.events.center().y();
    EXPECT_EQ(CountRuns(image, eventsRow, SoundAwayColour()), 2);
    EXPECT_EQ(CountRuns(image, eventsRow, TimerEndColour()), 1);
    EXPECT_EQ(CountRuns(image, eventsRow, WakeCallColour()), 2);
    // The wake window, cut by her two calls into three pieces.
    EXPECT_EQ(CountRuns(image, eventsRow, WakeWindowColour()), 3);
    // One dream behind the depth curve, from the mumbles' first clip (kind 5) to the next clip
    // that is not dreamt.
    EXPECT_EQ(CountRuns(image, layout.depth.top() + 2, DreamColour()), 1);
}

// The title dates the record from when it was written: the night's end on that day, or the
// day before when the write came just after midnight; unknown, only the hours.
TEST(NightPlot, TheTitleGivesTheDateAndHoursOfTheRecord)
{
    struct Case
    {
        QDateTime written;
        double firstMinute; // after 23:00
        double lastMinute;
        const char* title;
    };
    const Case cases[] = {
        {QDateTime(QDate(2024, 5, 2), QTime(7, 50)), 10, 525,
         "2024-05-01 23:10 – 2024-05-02 07:45"},
        {QDateTime(QDate(2024, 5, 2), QTime(3, 0)), 90, 235, "2024-05-02 00:30 – 02:55"},
        {QDateTime(QDate(2024, 5, 3), QTime(0, 2)), -120, 59, "2024-05-02 21:00 – 23:59"},
        {QDateTime(), 10, 525, "23:10 – 07:45"},
    };
    for (const Case& c : cases)
    {
        NightRecord record;
        // Blocks count from the record's first event, which may lie before 23:00.
        record.events = {At(0, 0, kEventClip), At(c.lastMinute - c.firstMinute, 10, kEventClip)};
        const auto clockAt = [](double minute) {
            return static_cast<uint32_t>((23 * 60 + minute) * 60000) % 86400000u;
        };
        record.events[0].clockMs = clockAt(c.firstMinute);
        record.events[1].clockMs = clockAt(c.lastMinute);
        record.writtenAt = c.written.isValid() ? c.written.toSecsSinceEpoch() : -1;
        EXPECT_EQ(NightPlotTitle(record).toStdString(), c.title);
    }
}

// A block of 2^63 - 1 spun the tick loop for good: the record is cut to its night, drawn at
// once, and the tool says what it left out.
TEST(NightPlot, ARecordWithAHugeBlockIsDrawnAtOnce)
{
    test::TempDir dir;
    test::WriteTextFile(
        dir / "huge.tsv",
        std::string(kNightEventsHeader) +
            "0\t23:00:00.000\t0\t0\t0\t0\t50\t0\t0\t90\t0\tclip\n"
            "9223372036854775807\t23:00:01.000\t1\t0\t30\t0\t50\t0\t0\t90\t0\tclip\n");
    std::string err;
    ASSERT_EQ(test::RunCommand(std::string(YUMO_TOOL_PATH) + " plot " +
                                   (dir / "huge.tsv").string() + " " + (dir / "huge.png").string(),
                               nullptr, &err),
              0)
        << err;
    EXPECT_NE(err.find("1 lines lie beyond a night's length"), std::string::npos) << err;
    QImage image;
    EXPECT_TRUE(image.load(QString::fromStdString((dir / "huge.png").string())));
}

} // namespace
} // namespace yumo
