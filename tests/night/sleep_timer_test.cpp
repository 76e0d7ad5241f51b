// The sleep timer as a moment: a change during a night sets the end from the present and never
// ends the night at once; a change in the timer's fade or after its end brings the sound back;
// her call is never faded by it, and without a wake time the silence after it ends the night.

#include <functional>
#include <gtest/gtest.h>
#include <string>

#include "night/behaviour.h"
#include "night/gentle_stage.h"
#include "stream_fixture.h"
#include "support/night_data.h"
#include "support/test_support.h"

namespace yumo::test
{
namespace
{

int Blocks(double seconds) { return static_cast<int>(seconds * kSampleRate / kFramesPerBlock) + 1; }

// A night with the window's stage (fades, limiter), played without keeping its sound.
std::unique_ptr<StreamRig> StartTimedNight(int timerMinutes, bool wakeSet)
{
    auto rig = MakeStreamRig(MakeTriangleClip(8, 8000));
    rig->device.sink = nullptr;
    AppState& state = *rig->state;
    state.gentle.settings.fadeFrames = kDefaultFadeFrames;
    state.gentle.settings.limit = true;
    state.gentle.settings.sleepTimerFrames = timerMinutes * kMinuteFrames;
    if (wakeSet)
    {
        state.alarm.mode = kWakeUserSet; // 06:00, far from the rig's 22:00 clock
        state.alarm.hour = 6;
        state.alarm.minuteOfDay = 6 * 60;
    }
    StartNight(state);
    EXPECT_TRUE(NightPlays(state.phase));
    return rig;
}

TEST(SleepTimer, PlusAndMinusAfterSixteenMinutesSetTheEndFromThePresent)
{
    struct Case
    {
        const char* name;
        int settingMinutes;
        std::vector<int> steps;
        int minutesLeft;
    };
    const Case cases[] = {
        {"+15 without a timer", 0, {1}, 15},
        {"-15 without a timer", 0, {-1}, 0},
        {"+15 on 30 minutes", 30, {1}, 29},
        {"-15 with 14 minutes left turns it off", 30, {-1}, 0},
        {"-15 on an hour", 60, {-1}, 29},
        {"+15 twice, at most two hours from now", 120, {1, 1}, 120},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        auto rig = StartTimedNight(c.settingMinutes, false);
        ASSERT_EQ(PumpBlocks(*rig, Blocks(16 * 60)), Blocks(16 * 60));
        AppState& state = *rig->state;
        for (int step : c.steps)
        {
            StepNightSleepTimer(state, step);
        }
        PumpBlocks(*rig, Blocks(5));
        EXPECT_TRUE(NightPlays(state.phase));
        EXPECT_EQ(SleepTimerMinutesLeft(state.gentle), c.minutesLeft);
        EXPECT_FLOAT_EQ(state.gentle.gain, 1.0f);
        EXPECT_EQ(state.gentle.settings.sleepTimerFrames, c.settingMinutes * kMinuteFrames);
    }
}

TEST(SleepTimer, AChangeInItsFadeOrAfterItsEndStartsItsCourseAgain)
{
    struct Case
    {
        const char* name;
        bool wakeSet;
        double at; // seconds into the night: the timer set at 2 s fades from 59 s to 62 s
        std::function<void(AppState&)> change;
        bool goesOn;
        int minutesLeft;
    };
    const Case cases[] = {
        {"+15 in the fade", false, 60.5, [](AppState& s) { StepNightSleepTimer(s, 1); }, true, 15},
        {"-15 in the fade turns it off", false, 60.5,
         [](AppState& s) { StepNightSleepTimer(s, -1); }, true, 0},
        {"+15 after its end, silent until her call", true, 70,
         [](AppState& s) { StepNightSleepTimer(s, 1); }, true, 15},
        {"30 minutes chosen after its end", true, 70,
         [](AppState& s) { SetNightSleepTimer(s, 30 * kMinuteFrames); }, true, 30},
        {"her call in the fade is heard whole", true, 60.5,
         [](AppState& s) { EnterBuiltInSilence(s, kKindWakeCall); }, true, 0},
        {"an end inside the fade fades for the whole fade", false, 20,
         [](AppState& s) { SetNightSleepTimer(s, kSampleRate); }, false, 0},
        {"the wake time cleared in the silence after it", true, 70,
         [](AppState& s) { s.alarm.mode = kWakeOff; }, false, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        auto rig = StartTimedNight(0, c.wakeSet);
        AppState& state = *rig->state;
        PumpBlocks(*rig, Blocks(2));
        SetNightSleepTimer(state, kMinuteFrames);
        PumpBlocks(*rig, Blocks(c.at) - Blocks(2));
        ASSERT_TRUE(NightPlays(state.phase));
        const bool silent = state.gentle.gain == 0.0f;
        EXPECT_EQ(silent, c.at > 62) << state.gentle.gain;
        const int64_t changedAt = state.gentle.frame;
        c.change(state);
        int played = PumpBlocks(*rig, Blocks(2.5));
        // Only a night already silent ends before the fade's length, once the ear has heard
        // the silence that was written.
        EXPECT_EQ(NightPlays(state.phase), c.goesOn || !silent);
        played += PumpBlocks(*rig, Blocks(4));
        EXPECT_EQ(NightPlays(state.phase), c.goesOn);
        if (c.goesOn)
        {
            EXPECT_FLOAT_EQ(state.gentle.gain, 1.0f);
            EXPECT_EQ(SleepTimerMinutesLeft(state.gentle), c.minutesLeft);
        }
        else
        {
            EXPECT_LT(played, Blocks(6.5));
            EXPECT_GE(state.gentle.frame - changedAt, silent ? 0 : kDefaultFadeFrames);
        }
    }
}

} // namespace
} // namespace yumo::test
