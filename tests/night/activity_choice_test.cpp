// The activity draw: both tables at their boundaries, the roll-over test, the fallbacks to
// silence, and what whole nights never or always contain.

#include <gtest/gtest.h>
#include <map>
#include <vector>

#include "night/behaviour.h"
#include "night_fixture.h"

namespace yumo::test
{
namespace
{

class ActivityChoiceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        state = MakeLoadedState(reporter, device);
        // Second 10 lies outside the update windows, so the depth stays as each test sets it.
        SetTime(*state, 22, 0, 10);
        state->sleep.startMinute = 22 * 60;
    }

    // One choice whose draw a (rand() % 1000) is preloaded.
    int ChooseWith(int a)
    {
        const std::optional<uint32_t> rng = FindRngState({{1000, a}});
        EXPECT_TRUE(rng.has_value());
        state->rng.state = rng.value_or(1);
        return ChooseNextActivity(*state);
    }

    CapturingReporter reporter;
    RecordingDevice device;
    std::unique_ptr<AppState> state;
};

struct TableRow
{
    int depth;
    int nezou;
    int a;
    int expectedState;
    int expectedMidBreath;
};

// Rows before a breath-in: every boundary of the draw and of the depth bands.
const std::vector<TableRow> kWithoutBreathIn = {
    {19, 5, 0, kKindSilence, 0},       {19, 5, 599, kKindSilence, 0},
    {19, 5, 600, kKindBreathIn, 1},    {19, 5, 949, kKindBreathIn, 1},
    {19, 5, 950, kKindMumble, 0},      {-3, 5, 700, kKindBreathIn, 1},
    {20, 5, 599, kKindBreathInOut, 0}, {20, 5, 600, kKindBreathIn, 1},
    {20, 5, 899, kKindBreathIn, 1},    {20, 5, 900, kKindSleepTalk, 0},
    {20, 5, 949, kKindSleepTalk, 0},   {20, 5, 950, kKindMumble, 0},
    {50, 5, 599, kKindBreathInOut, 0}, {50, 5, 900, kKindSleepTalk, 0},
    {51, 3, 599, kKindBreathInOut, 0}, {51, 3, 600, kKindBreathIn, 1},
    {51, 3, 949, kKindBreathIn, 1},    {51, 3, 950, kKindMumble, 0},
    {51, 3, 920, kKindBreathIn, 1}, // deep and calm: no sleep talk band
    {51, 2, 499, kKindSnore, 0},       {51, 2, 500, kKindBreathIn, 0},
    {51, 2, 950, kKindBreathIn, 0},    {51, 2, 951, kKindMumble, 0},
    {51, 1, 599, kKindSnore, 0},       {51, 1, 600, kKindBreathIn, 0},
    {51, 0, 699, kKindSnore, 0},       {51, 0, 700, kKindBreathIn, 0},
};

// Rows after a breath-in; midBreath is always cleared.
const std::vector<TableRow> kAfterBreathIn = {
    {19, 5, 0, kKindSilence, 0},     {19, 5, 949, kKindSilence, 0},
    {19, 5, 950, kKindSigh, 0},      {19, 5, 969, kKindSigh, 0},
    {19, 5, 970, kKindGrumble, 0},   {19, 5, 999, kKindGrumble, 0},
    {20, 5, 899, kKindBreathOut, 0}, {20, 5, 900, kKindSleepTalk, 0},
    {20, 5, 949, kKindSleepTalk, 0}, {20, 5, 950, kKindMumble, 0},
    {50, 5, 899, kKindBreathOut, 0}, {50, 5, 950, kKindMumble, 0},
    {51, 3, 949, kKindBreathOut, 0}, {51, 3, 950, kKindMumble, 0},
    {51, 2, 499, kKindSnore, 0},     {51, 2, 500, kKindBreathOut, 0},
    {51, 2, 950, kKindBreathOut, 0}, {51, 2, 951, kKindMumble, 0},
    {51, 0, 699, kKindSnore, 0},     {51, 0, 700, kKindBreathOut, 0},
};

TEST_F(ActivityChoiceTest, TablesSwitchAtEveryBoundary)
{
    for (bool breathIn : {false, true})
    {
        const auto& rows = breathIn ? kAfterBreathIn : kWithoutBreathIn;
        for (const TableRow& row : rows)
        {
            SCOPED_TRACE(testing::Message() << "midBreath " << breathIn << " depth " << row.depth
                                            << " nezou " << row.nezou << " a " << row.a);
            state->sleep.depth = row.depth;
            state->sleep.midBreath = breathIn ? 1 : 0;
            state->personality.nezou = row.nezou;
            EXPECT_EQ(ChooseWith(row.a), row.expectedState);
            EXPECT_EQ(state->behaviourState, row.expectedState);
            EXPECT_EQ(state->sleep.midBreath, row.expectedMidBreath);
            EXPECT_EQ(state->sleep.depth, row.depth); // outside the update windows
        }
    }
}

TEST_F(ActivityChoiceTest, RollOverBoundaryDependsOnFacing)
{
    struct Case
    {
        bool breathIn;
        int depth;
        int facing;
        int a;
        bool rolls;
    };
    const Case cases[] = {
        {false, 30, 0, 984, true},  {false, 30, 0, 985, false}, {false, 30, 1, 964, true},
        {false, 30, 1, 965, false}, {false, 30, 0, 950, true},  {true, 10, 0, 969, true},
        {true, 10, 1, 964, true},   {true, 10, 1, 965, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "facing " << c.facing << " a " << c.a);
        state->sleep.depth = c.depth;
        state->sleep.midBreath = c.breathIn ? 1 : 0;
        state->sleep.facing = c.facing;
        state->sleep.rolledOver = 1; // must be cleared by a choice that does not turn
        ChooseWith(c.a);
        EXPECT_EQ(state->sleep.rolledOver, c.rolls ? 1 : 0);
        EXPECT_EQ(state->sleep.facing, c.rolls ? 1 - c.facing : c.facing);
    }

    // Grumbling shares the draw range above the roll-over band but never turns her.
    state->sleep.depth = 10;
    state->sleep.midBreath = 1;
    state->sleep.facing = 0;
    EXPECT_EQ(ChooseWith(975), kKindGrumble);
    EXPECT_EQ(state->sleep.rolledOver, 0);
    EXPECT_EQ(state->sleep.facing, 0);
}

TEST_F(ActivityChoiceTest, KindsWithoutClipsFallBackToSilence)
{
    // No recorded silence: light sleep picks the built-in one that matches the breath phase.
    GiveClips(*state, kKindSilence, 0, 0);
    state->sleep.depth = 10;
    EXPECT_EQ(ChooseWith(100), kKindBuiltInSilence);
    state->sleep.midBreath = 1;
    EXPECT_EQ(ChooseWith(100), kKindBuiltInSilenceMidBreath);
    EXPECT_EQ(state->sleep.midBreath, 0);

    // A chosen breath-in without clips is still pending, so its silence is the 14 kind.
    GiveClips(*state, kKindBreathIn, 0, 0);
    state->sleep.depth = 30;
    EXPECT_EQ(ChooseWith(700), kKindBuiltInSilenceMidBreath);
    EXPECT_EQ(state->sleep.midBreath, 1);

    // After a breath-in the flag is already cleared when the fallback looks at it.
    GiveClips(*state, kKindBreathOut, 0, 0);
    EXPECT_EQ(ChooseWith(100), kKindBuiltInSilence);

    // With a recorded silence the missing kinds fall back to it instead.
    GiveClips(*state, kKindSilence, 3, 4096);
    GiveClips(*state, kKindSleepTalk, 0, 0);
    state->sleep.midBreath = 0;
    const std::optional<uint32_t> rng = FindRngState({{1000, 920}});
    ASSERT_TRUE(rng.has_value());
    Rng expected{*rng};
    DrawRandom(expected);
    const int expectedIndex = DrawRandom(expected) % 3; // drawn from the fallback's count
    state->rng.state = *rng;
    EXPECT_EQ(ChooseNextActivity(*state), kKindSilence);
    EXPECT_EQ(state->clipIndex, expectedIndex);
    EXPECT_EQ(state->rng.state, expected.state);
}

// Plays whole nights block by block and counts the activities chosen in deep sleep.
struct NightCensus
{
    std::map<int, int> states;
    int deepChoicesBeforeBreathIn = 0;
    int snoresBeforeBreathIn = 0;
    bool endedByItself = false;
};

NightCensus PlayNights(AppState& state, int nights)
{
    NightCensus census;
    for (int night = 0; night < nights; ++night)
    {
        state.phase = NightPhase::Running;
        state.behaviourState = kKindGoodNight;
        state.clipIndex = 0;
        state.sleep.startMinute = 22 * 60;
        NightPlayer player(state, 22 * 3600);
        int previous = state.behaviourState;
        while (true)
        {
            const int depthBefore = state.sleep.depth;
            const int midBreathBefore = state.sleep.midBreath;
            if (!PlayBlock(player))
            {
                census.endedByItself = state.behaviourState == kStateNotAsleep;
                break;
            }
            if (state.behaviourState != previous || player.blocksPlayed == 1)
            {
                ++census.states[state.behaviourState];
                if (depthBefore > 50 && midBreathBefore == 0 &&
                    state.behaviourState != kKindSilence)
                {
                    ++census.deepChoicesBeforeBreathIn;
                    census.snoresBeforeBreathIn += state.behaviourState == kKindSnore;
                }
            }
            previous = state.behaviourState;
        }
    }
    return census;
}

TEST_F(ActivityChoiceTest, CalmSleeperNeverSnoresOverWholeNights)
{
    for (int nezou : {3, 10})
    {
        SCOPED_TRACE(nezou);
        state->personality.nezou = nezou;
        const NightCensus census = PlayNights(*state, 1);
        EXPECT_TRUE(census.endedByItself);
        EXPECT_EQ(census.states.count(kKindSnore), 0u);
        // The nights did reach deep sleep, where snoring would have been drawn.
        EXPECT_GT(census.deepChoicesBeforeBreathIn, 500);
    }
}

TEST_F(ActivityChoiceTest, RestlessSleeperSnoresAtTheTablesRate)
{
    state->personality.nezou = 0;
    const NightCensus census = PlayNights(*state, 1);
    ASSERT_GT(census.deepChoicesBeforeBreathIn, 500);
    // 70 % of deep choices before a breath-in are snores at 寝相 0; the dream and wake-up
    // overrides take only a few.
    const double rate =
        static_cast<double>(census.snoresBeforeBreathIn) / census.deepChoicesBeforeBreathIn;
    EXPECT_NEAR(rate, 0.70, 0.05);
}

} // namespace
} // namespace yumo::test
