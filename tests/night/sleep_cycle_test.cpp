// The part of each choice that follows the clock: elapsed time across midnight, the ten-hour
// end, the update windows, the depth curve, alertness, dreams and the wake window.

#include <cmath>
#include <gtest/gtest.h>

#include "night/behaviour.h"
#include "night_fixture.h"

namespace yumo::test
{
namespace
{

// The depth curve written out again: 100 - (cos(h * 2pi / 90) + 1) * 50, truncated, with the
// program's 15-digit 2 pi.
int BaseDepthOracle(int elapsed, int netsuki)
{
    double h = elapsed;
    if (elapsed < 30)
    {
        h += (netsuki * 0.5) * (netsuki * 0.5);
    }
    return static_cast<int>(100 - (std::cos(h * 6.28318530717958 / 90) + 1) * 50);
}

class SleepCycleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        state = MakeLoadedState(reporter, device);
        state->sleep.startMinute = 22 * 60;
    }

    // A choice at `elapsed` minutes after 22:00 and the given second, with preloaded draws
    // (the first is the activity draw, the second the clip index).
    void ChooseAt(int elapsed, int second, const std::vector<WantedDraw>& draws)
    {
        const int minute = 22 * 60 + elapsed;
        SetTime(*state, minute / 60 % 24, minute % 60, second);
        const std::optional<uint32_t> rng = FindRngState(draws);
        ASSERT_TRUE(rng.has_value());
        state->rng.state = *rng;
        ChooseNextActivity(*state);
    }

    CapturingReporter reporter;
    RecordingDevice device;
    std::unique_ptr<AppState> state;
};

TEST_F(SleepCycleTest, ElapsedTimeFoldsAcrossMidnight)
{
    struct Case
    {
        int start;
        int hour;
        int minute;
        int elapsed;
    };
    const Case cases[] = {
        {23 * 60 + 50, 0, 20, 30}, // 1410 apart on the clock face
        {0, 9, 59, 599},           // no fold below 720
        {22 * 60, 7, 59, 599},     // 841 apart folds to 599: still asleep
        {60, 23, 59, 61},          // 1379 apart folds to 61
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.hour << ":" << c.minute);
        state->sleep.startMinute = c.start;
        SetTime(*state, c.hour, c.minute, 10);
        EXPECT_NE(ChooseNextActivity(*state), kStateNotAsleep);
        EXPECT_EQ(state->sleep.elapsedMinutes, c.elapsed);
    }
}

TEST_F(SleepCycleTest, NightEndsAfterTenHours)
{
    // 22:00 to 08:00 is 840 minutes on the clock face, folded to 600.
    for (const auto& [start, hour, minute] :
         {std::tuple{22 * 60, 8, 0}, std::tuple{0, 10, 0}, std::tuple{0, 12, 0},
          std::tuple{0, 14, 0}, std::tuple{60, 15, 0}})
    {
        SCOPED_TRACE(testing::Message() << hour << ":" << minute);
        state->sleep.startMinute = start;
        state->sleep.depth = 40;
        SetTime(*state, hour, minute, 2); // inside a window: the end comes first anyway
        EXPECT_EQ(ChooseNextActivity(*state), kStateNotAsleep);
        EXPECT_EQ(state->behaviourState, kStateNotAsleep);
        EXPECT_EQ(state->sleep.depth, 0);
        EXPECT_EQ(state->sleep.elapsedMinutes, 0);
    }
}

TEST_F(SleepCycleTest, DepthDreamsAndAlarmMoveOnlyInTheUpdateWindows)
{
    state->alarm.mode = kWakeUserSet;
    state->alarm.minuteOfDay = 23 * 60; // exactly now: the alarm would act
    state->personality.neoki = 10;
    state->sleep.alertness = 500;
    for (int second = 0; second < 60; ++second)
    {
        SCOPED_TRACE(second);
        const bool inWindow = second <= 5 || (second >= 31 && second <= 34);
        state->sleep.depth = 77;
        state->sleep.dreaming = 0;
        state->sleep.midBreath = 0;
        SetTime(*state, 23, 0, second);
        const uint32_t before = state->rng.state;
        const int chosen = ChooseNextActivity(*state);
        const int draws = CountDraws(before, state->rng.state);
        if (inWindow)
        {
            // Activity, clip, depth, alertness, then the alarm's clip: she is woken at once.
            EXPECT_EQ(draws, 5);
            EXPECT_EQ(state->sleep.depth, 0);
            EXPECT_EQ(chosen, kKindWakeCall);
        }
        else
        {
            EXPECT_EQ(draws, 2);
            EXPECT_EQ(state->sleep.depth, 77);
            EXPECT_NE(chosen, kKindWakeCall);
        }
    }
}

TEST_F(SleepCycleTest, DepthFollowsTheNinetyMinuteCurve)
{
    // Truncated base values worked out by hand for the 15-digit 2 pi; 15 minutes gives
    // 24.99999999999996 and truncates to 24, 60 minutes gives 75.00000000000017.
    struct Case
    {
        int elapsed;
        int netsuki;
        int base;
    };
    const Case cases[] = {
        {0, 0, 0},    {0, 5, 4},    {15, 0, 24},  {15, 1, 25}, {20, 5, 62}, {22, 1, 49},
        {29, 10, 90}, {30, 10, 74}, {45, 5, 100}, {60, 5, 75}, {89, 5, 0},  {20, 0, 41},
    };
    for (const Case& c : cases)
    {
        ASSERT_EQ(BaseDepthOracle(c.elapsed, c.netsuki), c.base) << c.elapsed;
        for (int suimin : {0, 5, 10})
        {
            for (int r : {0, 9})
            {
                SCOPED_TRACE(testing::Message() << "elapsed " << c.elapsed << " netsuki "
                                                << c.netsuki << " suimin " << suimin << " r " << r);
                state->personality.netsuki = c.netsuki;
                state->personality.suimin = suimin;
                state->sleep.dreaming = 0;
                ChooseAt(c.elapsed, 0, {{1000, 0}, {1, 0}, {10, r}});
                EXPECT_EQ(state->sleep.depth, c.base + suimin - 1 - r);
            }
        }
    }
    // Every minute of a cycle against the written-out curve.
    for (int elapsed = 0; elapsed < 90; ++elapsed)
    {
        state->personality.netsuki = 7;
        state->personality.suimin = 5;
        ChooseAt(elapsed, 33, {{1000, 0}, {1, 0}, {10, 3}});
        EXPECT_EQ(state->sleep.depth, BaseDepthOracle(elapsed, 7) + 1) << elapsed;
    }
}

TEST_F(SleepCycleTest, AlertnessGrowsByTruncatedTenths)
{
    // Base 0 with 睡眠 1 leaves depth = -r: (-3 - 20) / 10 truncates to -2, not -3.
    state->personality.netsuki = 0;
    state->personality.suimin = 1;
    state->sleep.alertness = 50;
    ChooseAt(0, 0, {{1000, 0}, {1, 0}, {10, 3}, {50, 20}});
    EXPECT_EQ(state->sleep.depth, -3);
    EXPECT_EQ(state->sleep.alertness, 48);

    // 45 minutes: depth 100 + 5 - 1 - 0 = 104; (104 - 49) / 10 = 5.
    state->personality.suimin = 5;
    ChooseAt(45, 4, {{1000, 0}, {1, 0}, {10, 0}, {50, 49}});
    EXPECT_EQ(state->sleep.depth, 104);
    EXPECT_EQ(state->sleep.alertness, 53);
}

// The minutes and draws that give a wanted depth with 睡眠 5: depth = base + 4 - r.
struct DepthRecipe
{
    int elapsed = -1;
    int r = 0;
};

DepthRecipe RecipeFor(int depth)
{
    for (int elapsed = 30; elapsed < 90; ++elapsed)
    {
        const int r = BaseDepthOracle(elapsed, 5) + 4 - depth;
        if (r >= 0 && r <= 9)
        {
            return DepthRecipe{elapsed, r};
        }
    }
    return DepthRecipe{};
}

TEST_F(SleepCycleTest, DreamsStartAndEndByDepthAndAlertness)
{
    struct Case
    {
        int depth;
        int dreamingBefore;
        int alertnessBefore; // the alertness draw is q = 0: it grows by depth / 10
        int t;               // the dream draw, when one is made
        int dreamingAfter;
    };
    const Case cases[] = {
        // Deep (> 40) or exactly 20: a dream ends when t + alertness < 200.
        // Each case grows alertness to exactly 50.
        {41, 1, 46, 149, 0},
        {41, 1, 46, 150, 1},
        {90, 1, 41, 149, 0},
        {20, 1, 48, 149, 0},
        {20, 1, 48, 150, 1},
        // 21-40: a dream starts when t + alertness > 800.
        {21, 0, 48, 750, 0},
        {21, 0, 48, 751, 1},
        {40, 0, 46, 750, 0},
        {40, 0, 46, 751, 1},
    };
    state->personality.suimin = 5;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "depth " << c.depth << " t " << c.t);
        const DepthRecipe recipe = RecipeFor(c.depth);
        ASSERT_GE(recipe.elapsed, 0);
        state->sleep.dreaming = c.dreamingBefore;
        state->sleep.alertness = c.alertnessBefore;
        ChooseAt(recipe.elapsed, 31, {{1000, 0}, {1, 0}, {10, recipe.r}, {50, 0}, {1000, c.t}});
        ASSERT_EQ(state->sleep.depth, c.depth);
        EXPECT_EQ(state->sleep.dreaming, c.dreamingAfter);
    }

    // A dream already running is not tested again in 21-40, nor a sleeper awake of dreams
    // above 40: no dream draw is made.
    for (const auto& [depth, dreaming] : {std::pair{30, 1}, std::pair{60, 0}})
    {
        const DepthRecipe recipe = RecipeFor(depth);
        state->sleep.dreaming = dreaming;
        ChooseAt(recipe.elapsed, 31, {{1000, 0}, {1, 0}, {10, recipe.r}});
        const uint32_t after = state->rng.state;
        const std::optional<uint32_t> start = FindRngState({{1000, 0}, {1, 0}, {10, recipe.r}});
        EXPECT_EQ(CountDraws(*start, after), 4);
        EXPECT_EQ(state->sleep.dreaming, dreaming);
    }
}

TEST_F(SleepCycleTest, DreamEndsWithAStartInLightSleep)
{
    GiveClips(*state, kKindStartle, 3, 1024);
    state->personality.netsuki = 0;
    state->personality.suimin = 5;
    state->sleep.dreaming = 1;
    const std::optional<uint32_t> rng = FindRngState({{1000, 0}, {1, 0}, {10, 5}});
    ASSERT_TRUE(rng.has_value());
    Rng expected{*rng};
    for (int i = 0; i < 4; ++i)
    {
        DrawRandom(expected);
    }
    const int index = DrawRandom(expected) % 3;
    ChooseAt(0, 0, {{1000, 0}, {1, 0}, {10, 5}}); // depth 0 + 4 - 5 = -1
    EXPECT_EQ(state->behaviourState, kKindStartle);
    EXPECT_EQ(state->clipIndex, index);
    EXPECT_EQ(state->sleep.dreaming, 0);
    EXPECT_EQ(state->rng.state, expected.state);

    // Without …はっ clips: recorded silence, else the built-in silence of the breath phase.
    GiveClips(*state, kKindStartle, 0, 0);
    state->sleep.dreaming = 1;
    ChooseAt(0, 0, {{1000, 0}, {1, 0}, {10, 5}});
    EXPECT_EQ(state->behaviourState, kKindSilence);
    GiveClips(*state, kKindSilence, 0, 0);
    state->sleep.dreaming = 1;
    state->sleep.depth = 0;
    ChooseAt(0, 0, {{1000, 700}, {1, 0}, {10, 5}}); // a breath-in is chosen first
    EXPECT_EQ(state->behaviourState, kKindBuiltInSilenceMidBreath);
    EXPECT_EQ(state->sleep.dreaming, 0);
}

class WakeWindowTest : public SleepCycleTest
{
protected:
    void SetUp() override
    {
        SleepCycleTest::SetUp();
        state->alarm.mode = kWakeUserSet;
        state->alarm.minuteOfDay = 23 * 60 + 30;
        state->personality.suimin = 5;
        state->personality.neoki = 2;
    }

    // A choice at 23:30 + offset whose depth before the alarm is `depth`.
    void ChooseNearAlarm(int offset, int depth, std::initializer_list<WantedDraw> extra = {})
    {
        const DepthRecipe recipe = RecipeFor(depth);
        ASSERT_GE(recipe.elapsed, 0);
        state->sleep.startMinute = 23 * 60 + 30 + offset - recipe.elapsed;
        std::vector<WantedDraw> draws{{1000, 0}, {1, 0}, {10, recipe.r}};
        draws.insert(draws.end(), extra.begin(), extra.end());
        const int minute = 23 * 60 + 30 + offset;
        SetTime(*state, minute / 60, minute % 60, 1);
        const std::optional<uint32_t> rng = FindRngState(draws);
        ASSERT_TRUE(rng.has_value());
        state->rng.state = *rng;
        ChooseNextActivity(*state);
    }
};

TEST_F(WakeWindowTest, DepthIsLoweredWithinFourteenMinutes)
{
    for (const auto& [offset, lowered] :
         {std::pair{-15, false}, std::pair{-14, true}, std::pair{0, true}, std::pair{14, true},
          std::pair{15, false}})
    {
        SCOPED_TRACE(offset);
        state->sleep.dreaming = 0;
        ChooseNearAlarm(offset, 60, {{50, 0}});
        EXPECT_EQ(state->sleep.depth, lowered ? 40 : 60);
    }
    // Never below 0.
    state->personality.neoki = 10;
    ChooseNearAlarm(3, 60, {{50, 0}});
    EXPECT_EQ(state->sleep.depth, 0);
}

TEST_F(WakeWindowTest, DreamTestUsesTheDepthBeforeTheReduction)
{
    // 30 before the reduction is the dream-start band even though 10 is the final depth.
    state->sleep.dreaming = 0;
    state->sleep.alertness = 40; // + 30 / 10 = 43; 43 + 999 > 800
    ChooseNearAlarm(-5, 30, {{50, 0}, {1000, 999}});
    EXPECT_EQ(state->sleep.depth, 10);
    EXPECT_EQ(state->sleep.dreaming, 1);
    EXPECT_NE(state->behaviourState, kKindStartle);
}

TEST_F(WakeWindowTest, WakeCallNeedsTimeLightSleepAndAlertness)
{
    struct Case
    {
        int offset;
        int depth;
        int neoki;
        int alertnessBefore;
        bool calls;
    };
    const Case cases[] = {
        {0, 30, 2, 60, true},   // 30 - 20 = 10 < 20, alertness 63
        {14, 30, 2, 60, true},  // still within the window
        {-1, 30, 2, 60, false}, // not yet time
        {0, 39, 2, 60, true},   // 19
        {0, 40, 2, 60, false},  // 20 is not light enough
        {0, 30, 0, 60, false},  // 寝起き 0 leaves her at 30
        {0, 30, 2, 47, false},  // alertness 47 + 3 = 50 is not above 50
        {0, 30, 2, 48, true},   // 51
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "offset " << c.offset << " depth " << c.depth);
        state->personality.neoki = c.neoki;
        state->sleep.alertness = c.alertnessBefore;
        state->sleep.dreaming = 1; // 21-40 with a dream running: no dream draw
        ChooseNearAlarm(c.offset, c.depth, {{50, 0}});
        EXPECT_EQ(state->behaviourState == kKindWakeCall, c.calls);
    }
}

TEST_F(WakeWindowTest, WakeTimeIsNotSeenAcrossMidnight)
{
    state->personality.neoki = 10;
    state->sleep.alertness = 500;
    // Only the call kept late looks across midnight: 23:55 is called for at 00:05.
    for (const auto& [wake, hour, minute, kept] :
         {std::tuple{5, 23, 55, false}, std::tuple{23 * 60 + 55, 0, 5, true}})
    {
        state->alarm.minuteOfDay = wake;
        state->sleep.startMinute = 22 * 60;
        state->sleep.calledForMinute = -1;
        SetTime(*state, hour, minute, 0);
        const int chosen = ChooseNextActivity(*state);
        EXPECT_EQ(chosen == kKindWakeCall, kept);
        EXPECT_GT(state->sleep.depth, 0); // not lowered
    }
    // An automatic time is only for the countdown.
    state->alarm.mode = kWakeAutomatic;
    state->alarm.minuteOfDay = 23 * 60 + 30;
    SetTime(*state, 23, 30, 0);
    state->sleep.startMinute = 23 * 60;
    EXPECT_NE(ChooseNextActivity(*state), kKindWakeCall);
}

TEST_F(WakeWindowTest, AnAlarmNotCalledForIsKeptTwoMinutesLateAndHoldsOffTheTenHourEnd)
{
    enum Outcome
    {
        kOther,
        kCall,
        kEnd
    };
    struct Step
    {
        int wake; // -1: cleared
        int now;
        int calledFor; // -2: as the step before left it
        Outcome outcome;
    };
    // Deep asleep, outside the update windows: only the kept call can come. From 22:00.
    const Step steps[] = {
        {1410, 1411, -1, kOther},   // her own call may still come
        {1410, 1412, -1, kCall},    // two minutes late
        {1410, 1424, -1, kCall},    // a night started late in the window
        {1410, 1425, -1, kOther},   // past the window: the time is tomorrow's
        {1410, 1412, 1410, kOther}, // she has called already
        {1410, 1412, 1380, kCall},  // for a wake time since changed
        {1439, 1, -1, kCall},       // 23:59 is kept after midnight
        {510, 480, -1, kOther},     // 08:30 holds off the ten hours up at 08:00
        {510, 512, -2, kCall},
        {510, 512, -2, kEnd}, // the night ends at the choice after her call
        {510, 490, -1, kOther},
        {-1, 490, -2, kEnd}, // cleared while she waits
    };
    for (const Step& step : steps)
    {
        SCOPED_TRACE(testing::Message() << step.wake << " at " << step.now);
        state->alarm.mode = step.wake < 0 ? kWakeOff : kWakeUserSet;
        state->alarm.minuteOfDay = step.wake;
        state->sleep.depth = 90;
        if (step.calledFor != -2)
        {
            state->sleep.calledForMinute = step.calledFor;
        }
        SetTime(*state, step.now / 60, step.now % 60, 40);
        const int chosen = ChooseNextActivity(*state);
        EXPECT_EQ(chosen == kKindWakeCall, step.outcome == kCall);
        EXPECT_EQ(chosen == kStateNotAsleep, step.outcome == kEnd);
    }
}

TEST_F(WakeWindowTest, WakeCallWithoutClipsFallsBackToSilence)
{
    GiveClips(*state, kKindWakeCall, 0, 0);
    state->sleep.alertness = 60;
    state->sleep.dreaming = 1;
    ChooseNearAlarm(0, 30, {{50, 0}});
    EXPECT_EQ(state->behaviourState, kKindSilence);
    GiveClips(*state, kKindSilence, 0, 0);
    ChooseNearAlarm(0, 30, {{50, 0}});
    EXPECT_EQ(state->behaviourState, kKindBuiltInSilence);
}

} // namespace
} // namespace yumo::test
