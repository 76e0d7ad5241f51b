// Over whole nights, whatever the start, the wake time and the sliders, she calls between the
// wake minute and two minutes after, and ten hours do not end a night before her call.

#include <algorithm>
#include <gtest/gtest.h>

#include "night/behaviour.h"
#include "night_fixture.h"

namespace yumo::test
{
namespace
{

int64_t Blocks(int minutes) { return int64_t{minutes} * 60 * kSampleRate / kFramesPerBlock; }
int MinutesAfter(int later, int earlier) { return ((later - earlier) % 1440 + 1440) % 1440; }

struct Night
{
    CapturingReporter reporter;
    RecordingDevice device;
    std::unique_ptr<AppState> state;
    int64_t firstCall = -1; // blocks
    int64_t end = -1;
};

// Clips of 0.4 to 6 s, so that she chooses seconds apart as with a real set.
std::unique_ptr<Night> Prepare(int start, int wake, std::array<int, 4> sliders, uint32_t seed)
{
    auto night = std::make_unique<Night>();
    AppState& state = *(night->state = MakeLoadedState(night->reporter, night->device));
    for (int kind = 0; kind < kEditableVoiceKindCount; ++kind)
    {
        GiveClips(state, kind, 3, (4 + kind * 5) * kSampleRate / 10);
    }
    state.personality = {sliders[0], sliders[1], sliders[2], sliders[3]};
    state.alarm.mode = kWakeUserSet;
    state.alarm.minuteOfDay = wake;
    state.rng.state = seed;
    SetTime(state, start / 60, start % 60, 0);
    return night;
}

// The refill's steps that choose and draw, per block: clock, clip sequence, drift and cursor.
// Rendering and mixing draw nothing, so these are the night's choices (checked against the
// refill below) at a fraction of its cost. Stops `after` blocks past her first call.
void Walk(Night& night, int start, int64_t blocks, int64_t after)
{
    AppState& state = *night.state;
    StartNight(state);
    VoiceTrackTable& tracks = state.voices.tracks;
    for (int64_t block = 0; block < blocks; ++block)
    {
        const auto second =
            static_cast<int>((start * 60 + block * kFramesPerBlock / kSampleRate) % 86400);
        SetTime(state, second / 3600, second / 60 % 60, second % 60);
        if (AdvanceClipSequence(state) == SequenceAnswer::Stop)
        {
            night.end = block;
            return;
        }
        if (night.firstCall < 0 && state.behaviourState == kKindWakeCall)
        {
            night.firstCall = block;
            blocks = std::min(blocks, block + after);
        }
        DriftSourcePosition(state);
        const int slot = ClipSlot(state.behaviourState, state.clipIndex);
        tracks.outputByteCounter[slot] += kBytesPerBlock;
        tracks.playPosition[slot] = tracks.outputByteCounter[slot] / kBytesPerFrame;
    }
}

TEST(KeptWakeCall, EveryNightHasHerCallWithinTwoMinutesOfTheWakeTime)
{
    // The nights and naps people told of, one past ten hours, around midnight, then at random.
    std::vector<std::array<int, 2>> plans = {{1380, 420},  {1350, 390}, {1410, 450}, {1320, 360},
                                             {0, 420},     {60, 480},   {1395, 405}, {1365, 435},
                                             {1116, 1119}, {780, 785},  {780, 790},  {1320, 510},
                                             {1420, 1439}, {1410, 0},   {1430, 1}};
    Rng rng;
    SeedRandom(rng, 20261210);
    for (size_t i = 0; i < 200; ++i)
    {
        const int start = i < plans.size() ? plans[i][0] : DrawRandom(rng) % 1440;
        const int wake =
            i < plans.size() ? plans[i][1] : (start + 1 + DrawRandom(rng) % 660) % 1440;
        const auto slider = [&] { return i < plans.size() ? 5 : DrawRandom(rng) % 11; };
        const std::array<int, 4> sliders{slider(), slider(), slider(), slider()};
        const auto seed = static_cast<uint32_t>(i < plans.size() ? 1 : DrawRandom(rng) << 15);
        SCOPED_TRACE(testing::Message() << start << " to " << wake << " seed " << seed);
        const int length = MinutesAfter(wake, start);
        auto night = Prepare(start, wake, sliders, seed);
        Walk(*night, start, Blocks(length + 20), Blocks(3));
        ASSERT_GE(night->firstCall, Blocks(length) - 1);
        EXPECT_LE(night->firstCall, Blocks(length + 3));
        // Past ten hours the night ends after her call; before them she goes on.
        if (length >= 600 || length + 5 < 600)
        {
            EXPECT_EQ(night->end > night->firstCall, length >= 600);
        }
    }
}

TEST(KeptWakeCall, TheWalkChoosesAsTheRefillDoes)
{
    // A nap that needs the kept call, and a night where her own call comes first: after as
    // many blocks, the same draws and the same clip.
    for (const auto& [start, wake, seed] : {std::tuple{780, 785, 7u}, std::tuple{340, 370, 99u}})
    {
        const int64_t blocks = Blocks(MinutesAfter(wake, start) + 3);
        auto walked = Prepare(start, wake, {2, 8, 5, 10}, seed);
        Walk(*walked, start, blocks, blocks);
        auto played = Prepare(start, wake, {2, 8, 5, 10}, seed);
        NightPlayer player(*played->state, start * 60);
        StartNight(*played->state);
        while (player.blocksPlayed < blocks && PlayBlock(player))
        {
        }
        ASSERT_GE(walked->firstCall, 0);
        EXPECT_EQ(played->state->rng.state, walked->state->rng.state);
        EXPECT_EQ(played->state->behaviourState, walked->state->behaviourState);
        EXPECT_EQ(played->state->sleep.calledForMinute, wake);
    }
}

} // namespace
} // namespace yumo::test
