// Where her voice comes from: the per-block drift with its slowed zones and wraps, the
// elevation that moves only in silence, the fixed place of the wake-up call, and the swap.

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

#include "night/behaviour.h"
#include "night_fixture.h"

namespace yumo::test
{
namespace
{

class SourceDriftTest : public ::testing::Test
{
protected:
    void SetUp() override { state = MakeLoadedState(reporter, device); }

    double& Azimuth() { return state->blockTracks.values[kTrackAzimuth][0]; }
    double& Elevation() { return state->blockTracks.values[kTrackElevation][0]; }
    double& Distance() { return state->blockTracks.values[kTrackDistance][0]; }

    // One drift with preloaded draws; returns how many draws it made.
    int DriftWith(const std::vector<WantedDraw>& draws)
    {
        const std::optional<uint32_t> rng = FindRngState(draws);
        EXPECT_TRUE(rng.has_value());
        state->rng.state = rng.value_or(1);
        const uint32_t before = state->rng.state;
        DriftSourcePosition(*state);
        return CountDraws(before, state->rng.state);
    }

    CapturingReporter reporter;
    RecordingDevice device;
    std::unique_ptr<AppState> state;
};

TEST_F(SourceDriftTest, AzimuthStepsWithSlowedZonesAndWraps)
{
    struct Case
    {
        double from;
        int b;
        double to;
    };
    const Case cases[] = {
        {50, 799, 50},
        {50, 800, 51},
        {50, 899, 51},
        {50, 900, 49},
        {50, 999, 49},
        // Climbing through the open zone 80-180 only when b is above 880.
        {100, 880, 100},
        {100, 881, 101},
        {80, 850, 81},
        {179, 850, 179},
        {180, 850, 181},
        {280, 850, 281},
        // Descending through the open zone 180-280 only when b is above 980.
        {200, 980, 200},
        {200, 981, 199},
        {280, 950, 279},
        {180, 950, 179},
        {279, 950, 279},
        {100, 950, 99},
        // 361 becomes 0 and -1 becomes 360.
        {360, 850, 0},
        {359, 850, 360},
        {0, 950, 360},
        {1, 950, 0},
    };
    state->behaviourState = kKindBreathInOut;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "from " << c.from << " b " << c.b);
        Azimuth() = c.from;
        Elevation() = -25;
        Distance() = 1.0;
        EXPECT_EQ(DriftWith({{1000, c.b}}), 1); // no elevation draw while she makes a sound
        EXPECT_EQ(Azimuth(), c.to);
        EXPECT_EQ(Elevation(), -25);
        EXPECT_EQ(Distance(), 0.3);
    }
}

TEST_F(SourceDriftTest, ElevationMovesOnlyInSilence)
{
    struct Case
    {
        double from;
        int c;
        double to;
    };
    const Case cases[] = {
        {-25, 899, -25}, {-25, 900, -26}, {-25, 950, -26}, {-25, 951, -24}, {-10, 999, -11},
        {-5, 951, -6},   {-40, 900, -39}, {-45, 920, -44}, {-11, 951, -10}, {-39, 900, -40},
    };
    for (int silence : {kKindSilence, kKindBuiltInSilence, kKindBuiltInSilenceMidBreath})
    {
        state->behaviourState = silence;
        for (const Case& c : cases)
        {
            SCOPED_TRACE(testing::Message() << "state " << silence << " from " << c.from);
            Azimuth() = 50;
            Elevation() = c.from;
            EXPECT_EQ(DriftWith({{1000, 850}, {1000, c.c}}), 2);
            EXPECT_EQ(Elevation(), c.to);
        }
        // A block without an azimuth step ends the drift before the elevation draw.
        Elevation() = -25;
        EXPECT_EQ(DriftWith({{1000, 799}}), 1);
        EXPECT_EQ(Elevation(), -25);
    }
}

TEST_F(SourceDriftTest, WakeCallComesFromAFixedPlace)
{
    state->behaviourState = kKindWakeCall;
    for (const auto& [from, to] : {std::pair{10.0, 90.0}, std::pair{179.0, 90.0},
                                   std::pair{180.0, 270.0}, std::pair{350.0, 270.0}})
    {
        Azimuth() = from;
        Elevation() = -40;
        Distance() = 2.0;
        const uint32_t before = state->rng.state;
        for (int block = 0; block < 50; ++block)
        {
            DriftSourcePosition(*state);
        }
        EXPECT_EQ(state->rng.state, before);
        EXPECT_EQ(Azimuth(), to);
        EXPECT_EQ(Elevation(), -10);
        EXPECT_EQ(Distance(), 0.3);
    }
}

TEST_F(SourceDriftTest, LongSilenceStaysWithinItsRanges)
{
    state->behaviourState = kKindSilence;
    Azimuth() = 90;
    Elevation() = -40;
    int crossings = 0;
    double lowest = 360;
    double highest = 0;
    for (int block = 0; block < 200000; ++block)
    {
        const double before = Azimuth();
        DriftSourcePosition(*state);
        ASSERT_GE(Azimuth(), 0);
        ASSERT_LE(Azimuth(), 360);
        ASSERT_GE(Elevation(), -40);
        ASSERT_LE(Elevation(), -10);
        // A step across 180, not the wrap between 0 and 360.
        crossings += (before < 180) != (Azimuth() < 180) && std::abs(Azimuth() - before) <= 1;
        lowest = std::min(lowest, Azimuth());
        highest = std::max(highest, Azimuth());
    }
    // She wanders widely, yet the slowed zones keep her from crossing the median plane at 180.
    EXPECT_GT(highest - lowest, 60);
    EXPECT_LT(crossings, 20);
}

TEST_F(SourceDriftTest, SwapSidesMovesHerToTheOtherSide)
{
    for (const auto& [from, to] :
         {std::pair{0.0, 270.0}, std::pair{90.0, 270.0}, std::pair{179.9, 270.0},
          std::pair{180.0, 90.0}, std::pair{270.0, 90.0}, std::pair{360.0, 90.0}})
    {
        Azimuth() = from;
        Elevation() = -33;
        SwapSides(*state);
        EXPECT_EQ(Azimuth(), to);
        EXPECT_EQ(Elevation(), -33);
    }
    EXPECT_EQ(state->rng.state, 1u);
}

} // namespace
} // namespace yumo::test
