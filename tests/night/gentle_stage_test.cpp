// The gentle stage after the mix: fades without clicks, a limiter that holds -1 dBFS, one ear
// at the stereo loudness, swapped sides, a plain night untouched when all is off, the wake-up
// call's rise and the sleep timer.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <numbers>
#include <utility>

#include "night/behaviour.h"
#include "night/music_slot.h"
#include "night/output_stream.h"
#include "stream_fixture.h"
#include "support/night_data.h"
#include "support/test_support.h"
#include "voices/loudness.h"

namespace yumo::test
{
namespace
{

std::vector<int16_t> Sine(int blocks, double hertz, double amplitude)
{
    std::vector<int16_t> samples(static_cast<size_t>(blocks) * 512);
    for (size_t i = 0; i < samples.size(); ++i)
    {
        samples[i] = static_cast<int16_t>(std::lround(
            amplitude * std::sin(2 * std::numbers::pi * hertz * static_cast<double>(i) / 44100)));
    }
    return samples;
}

std::vector<int16_t> Noise(int blocks, int amplitude)
{
    std::vector<int16_t> samples(static_cast<size_t>(blocks) * 512);
    uint32_t seed = 12345;
    for (int16_t& s : samples)
    {
        seed = seed * 1664525u + 1013904223u;
        s = static_cast<int16_t>(static_cast<int>(seed >> 16) % (2 * amplitude + 1) - amplitude);
    }
    return samples;
}

// A night of `blocks` blocks with the given stage settings; every played sample, interleaved.
std::vector<int16_t> PlayNight(StreamRig& rig, const GentleSettings& settings, int blocks)
{
    rig.state->gentle.settings = settings;
    StartNight(*rig.state);
    EXPECT_TRUE(NightPlays(rig.state->phase));
    PumpBlocks(rig, blocks);
    std::vector<int16_t> out;
    for (const std::vector<int16_t>& block : rig.played)
    {
        out.insert(out.end(), block.begin(), block.end());
    }
    return out;
}

int LargestStep(const std::vector<int16_t>& x)
{
    int step = 0;
    for (size_t i = 2; i < x.size(); ++i)
    {
        step = std::max(step, std::abs(x[i] - x[i - 2]));
    }
    return step;
}

int Peak(const std::vector<int16_t>& x, size_t from = 0, size_t to = SIZE_MAX)
{
    int peak = 0;
    for (size_t i = from; i < std::min(to, x.size()); ++i)
    {
        peak = std::max(peak, std::abs(int{x[i]}));
    }
    return peak;
}

class Recorder final : public GentleObserver
{
public:
    void OnGentleMark(const AppState&, GentleMark mark) override { marks.push_back(mark); }
    std::vector<GentleMark> marks;
};

TEST(GentleStage, FadesInAndOutWithoutAStepBeyondTheSignalsOwn)
{
    // A slow tone: a fade that moved in steps per block would stand out against its slope.
    const std::vector<int16_t> tone = Sine(900, 20, 20000);
    auto plain = MakeStreamRig(tone);
    const std::vector<int16_t> reference = PlayNight(*plain, GentleSettings{}, 700);
    ASSERT_GT(Peak(reference), 5000);

    auto rig = MakeStreamRig(tone);
    Recorder recorder;
    rig->state->gentle.observer = &recorder;
    GentleSettings settings;
    settings.fadeFrames = 3 * 44100;
    PlayNight(*rig, settings, 400);
    ASSERT_TRUE(BeginGentleStop(*rig->state));
    EXPECT_FALSE(BeginGentleStop(*rig->state)); // one fade-out at a time
    const size_t stopAt = rig->played.size();
    PumpBlocks(*rig, 400);
    EXPECT_EQ(rig->state->phase, NightPhase::Stopped);
    // Stopped once the ear heard the fade's end: its 3 s and the ten blocks queued before it.
    const size_t heard = rig->played.size() - stopAt;
    EXPECT_LE(std::abs(static_cast<int>(heard) - (3 * 44100 / 512 + 10)), 1) << heard;

    std::vector<int16_t> faded;
    for (const auto& block : rig->played)
    {
        faded.insert(faded.end(), block.begin(), block.end());
    }
    EXPECT_LE(LargestStep(faded), LargestStep(reference) + 2);
    // It starts from silence, reaches the full tone and ends in silence.
    EXPECT_LT(Peak(faded, 2 * 5120, 2 * 5120 + 2 * 512), 200);
    EXPECT_GE(Peak(faded, 7 * 44100, 9 * 44100), Peak(reference, 7 * 44100, 9 * 44100) - 2);
    // The last block heard is the fade's last: under a hundredth of the tone.
    EXPECT_LT(Peak(faded, faded.size() - 2 * 512), Peak(reference) / 100);
    EXPECT_EQ(recorder.marks, (std::vector<GentleMark>{GentleMark::FadeIn, GentleMark::FadeOut}));
}

TEST(GentleStage, TheLimiterHoldsMinusOneDbfsOverMusicAtFullScale)
{
    TempDir dir;
    const std::vector<int16_t> voice = Sine(400, 300, 30000);
    std::vector<int16_t> music;
    for (int16_t s : Sine(200, 110, 32767))
    {
        music.push_back(s);
        music.push_back(static_cast<int16_t>(-s));
    }
    const std::string path = WriteMusicWav((dir.path() / "m.wav").string(), music, 2);
    std::vector<int16_t> outputs[2];
    for (int limit = 0; limit < 2; ++limit)
    {
        auto rig = MakeStreamRig(voice);
        ASSERT_GT(LoadMusicFile(*rig->state, path), 0);
        rig->state->stream.voiceVolume = 60;
        GentleSettings settings;
        settings.limit = limit == 1;
        outputs[limit] = PlayNight(*rig, limit == 1 ? settings : GentleSettings{}, 300);
    }
    // Alone the mix runs into full scale; limited, no sample passes -1 dBFS (29204.4), and
    // the level is held just below, where the limiter aims its true peak.
    EXPECT_GE(Peak(outputs[0]), 32767);
    EXPECT_LE(Peak(outputs[1]), 29204);
    EXPECT_GT(Peak(outputs[1]), 27000);
}

TEST(GentleStage, TheLimiterPassesWhatStaysBelowItsCeilingUntouched)
{
    PeakLimiter limiter;
    ResetPeakLimiter(limiter);
    std::vector<float> x(2 * 4096);
    for (size_t i = 0; i < x.size(); ++i)
    {
        x[i] = static_cast<float>(27000 * std::sin(0.01 * static_cast<double>(i)));
    }
    // A loud burst first, then the quiet tone: the gain comes back to exactly 1.
    std::vector<float> loud(2 * 2048, 60000.0f);
    LimitFrames(limiter, loud.data(), 2048);
    for (float s : loud)
    {
        EXPECT_LE(std::fabs(s), LimiterCeiling());
    }
    std::vector<float> warm(2 * 44100, 1000.0f);
    LimitFrames(limiter, warm.data(), 44100);
    std::vector<float> y = x;
    LimitFrames(limiter, y.data(), 4096);
    for (size_t i = 2 * kLimiterLookAheadFrames; i < y.size(); ++i)
    {
        ASSERT_EQ(y[i], x[i - 2 * kLimiterLookAheadFrames]) << i;
    }
}

// Quiet runs take a shorter way through the limiter: the output may not depend on how the
// frames are cut into calls, around peaks that come right after quiet and go under again.
TEST(GentleStage, TheLimiterGivesTheSameOutputHoweverTheFramesAreCut)
{
    std::vector<float> x(2 * 20000);
    for (size_t i = 0; i < x.size(); ++i)
    {
        const size_t frame = i / 2;
        // Loud for 800 frames in 3000: just above the ceiling, then far above it.
        const double loud = frame / 3000 % 2 == 0 ? 30500 : 45000;
        const double level = frame % 3000 < 2200 ? 20000 : loud;
        x[i] = static_cast<float>(
            level * std::sin(0.013 * static_cast<double>(frame) + (i % 2 == 0 ? 0.0 : 1.0)));
    }
    const auto limited = [&](int run) {
        PeakLimiter limiter;
        ResetPeakLimiter(limiter);
        std::vector<float> y = x;
        for (int frame = 0; frame < 20000; frame += run)
        {
            LimitFrames(limiter, y.data() + 2 * frame, std::min(run, 20000 - frame));
        }
        return y;
    };
    const std::vector<float> single = limited(1);
    EXPECT_EQ(limited(7), single);
    EXPECT_EQ(limited(512), single);
    EXPECT_EQ(limited(20000), single);
    EXPECT_LE(*std::max_element(single.begin(), single.end()), LimiterCeiling());
}

TEST(GentleStage, OneEarKeepsTheStereoLoudnessAndSwapTradesTheSides)
{
    // Ears that hear the source differently, so the two sides are not simply one signal.
    const auto makeRig = [] {
        auto rig = MakeStreamRig(Noise(1300, 6000));
        for (int row = 0; row < rig->state->hrir.rowCount; ++row)
        {
            for (HrirDirection& d : rig->state->hrir.directions[static_cast<size_t>(row)])
            {
                if (d.left.empty())
                {
                    continue;
                }
                d.left[5] = 0.4 * kHrirUnityTap;
                d.right[0] = 0;
                d.right[17] = 0.8 * kHrirUnityTap;
                d.right[40] = -0.3 * kHrirUnityTap;
            }
        }
        return rig;
    };
    auto stereoRig = makeRig();
    const std::vector<int16_t> stereo = PlayNight(*stereoRig, GentleSettings{}, 1200);
    GentleSettings mono;
    mono.mono = true;
    auto monoRig = makeRig();
    const std::vector<int16_t> one = PlayNight(*monoRig, mono, 1200);
    for (size_t i = 0; i < one.size(); i += 2)
    {
        ASSERT_EQ(one[i], one[i + 1]) << i;
    }
    double stereoLufs = 0;
    double monoLufs = 0;
    ASSERT_TRUE(MeasureLoudness(stereo.data(), stereo.size() / 2, 2, stereoLufs));
    ASSERT_TRUE(MeasureLoudness(one.data(), one.size() / 2, 2, monoLufs));
    EXPECT_NEAR(monoLufs, stereoLufs, 0.5);

    GentleSettings swap;
    swap.swap = true;
    auto swapRig = makeRig();
    const std::vector<int16_t> swapped = PlayNight(*swapRig, swap, 1200);
    ASSERT_EQ(swapped.size(), stereo.size());
    for (size_t i = 0; i < stereo.size(); i += 2)
    {
        ASSERT_EQ(swapped[i], stereo[i + 1]) << i;
        ASSERT_EQ(swapped[i + 1], stereo[i]) << i;
    }
}

// A call that begins while her last rise is under way goes on with it; every later call rises
// from -20 dB again.
TEST(GentleStage, EveryCallAfterTheLastRiseRisesAgain)
{
    auto rig = MakeStreamRig(MakeTriangleClip(8, 8000));
    rig->device.sink = nullptr;
    Recorder recorder;
    rig->state->gentle.observer = &recorder;
    GentleSettings settings;
    settings.wakeRampFrames = 44100;
    PlayNight(*rig, settings, 100);
    const std::pair<int, size_t> calls[] = {{0, 1}, {26, 1}, {260, 2}, {10, 2}, {90, 3}};
    for (const auto& [blocksBefore, rises] : calls)
    {
        PumpBlocks(*rig, blocksBefore);
        EnterBuiltInSilence(*rig->state, kKindWakeCall);
        PumpBlocks(*rig, 4); // the two-block call and what follows it
        EXPECT_EQ(std::count(recorder.marks.begin(), recorder.marks.end(), GentleMark::WakeRamp),
                  static_cast<std::ptrdiff_t>(rises))
            << blocksBefore;
    }
}

int Blocks(double seconds) { return static_cast<int>(seconds * kSampleRate / kFramesPerBlock) + 1; }

// A night with the window's stage (fades, limiter), played without keeping its sound.
std::unique_ptr<StreamRig> StartTimedNight(int timerMinutes, bool wakeSet)
{
    auto rig = MakeStreamRig(MakeTriangleClip(8, 8000));
    rig->device.sink = nullptr;
    if (wakeSet)
    {
        rig->state->alarm = WakeAlarm{kWakeUserSet, 0, 6, 0, 6 * 60}; // far from the rig's 22:00
    }
    GentleSettings settings;
    settings.fadeFrames = kDefaultFadeFrames;
    settings.limit = true;
    settings.sleepTimerFrames = timerMinutes * kMinuteFrames;
    PlayNight(*rig, settings, 0);
    return rig;
}

// The sleep timer as a moment: a change during a night sets the end from the present and never
// ends the night at once; a change in the timer's fade or after its end brings the sound back;
// her call is never faded by it, and without a wake time the silence after it ends the night.
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
