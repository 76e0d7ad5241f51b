// Her wake-up call over whole nights: whatever the start, the wake time and the sliders, she
// calls between the wake minute and two minutes after it, and a night does not end by itself
// before her call.

#include <algorithm>
#include <array>
#include <gtest/gtest.h>
#include <vector>

#include "night/behaviour.h"
#include "night/output_stream.h"
#include "night_fixture.h"

namespace yumo::test
{
namespace
{

struct NightPlan
{
    int start = 0; // minutes of the day
    int wake = 0;
    std::array<int, 4> sliders{5, 5, 5, 5};
    uint32_t seed = 1;
};

int MinutesAfter(int later, int earlier) { return ((later - earlier) % 1440 + 1440) % 1440; }

struct Choice
{
    int64_t block = 0;
    int32_t kind = 0;
};

// Blocks come back 512 frames apart from the start second, as the tool's and the player's do.
int ClockMinute(int64_t startSecond, int64_t block)
{
    return static_cast<int>((startSecond + block * kFramesPerBlock / kSampleRate) % 86400 / 60);
}

class WakeNightTest : public ::testing::Test
{
protected:
    // Clips of the lengths of a real set's (0.4 to 6 s), so that she chooses seconds apart.
    void Prepare(const NightPlan& plan)
    {
        state = MakeLoadedState(reporter, device);
        for (int kind = 0; kind < kEditableVoiceKindCount; ++kind)
        {
            GiveClips(*state, kind, 3, (4 + kind * 5) * kSampleRate / 10);
        }
        Personality& p = state->personality;
        p.netsuki = plan.sliders[0];
        p.suimin = plan.sliders[1];
        p.nezou = plan.sliders[2];
        p.neoki = plan.sliders[3];
        state->alarm.mode = kWakeUserSet;
        state->alarm.minuteOfDay = plan.wake;
        state->rng.state = plan.seed;
        startSecond = plan.start * 60;
        endedAtBlock = -1;
        SetTime(*state, plan.start / 60, plan.start % 60, 0);
    }

    void SetBlockClock(int64_t block)
    {
        const int64_t second = (startSecond + block * kFramesPerBlock / kSampleRate) % 86400;
        SetTime(*state, static_cast<int>(second / 3600), static_cast<int>(second / 60 % 60),
                static_cast<int>(second % 60));
    }

    // The refill's steps that decide and draw, block by block: the clock, the clip sequence,
    // her drift and the playing clip's cursor. Rendering and mixing draw nothing, so these are
    // the choices of the night played (checked against the refill below), in milliseconds a
    // night. Walks until `extraBlocks` after her first call or the night's end.
    std::vector<Choice> Walk(int64_t maxBlocks, int64_t extraBlocks)
    {
        StartNight(*state);
        EXPECT_TRUE(NightPlays(state->phase));
        std::vector<Choice> choices;
        int64_t stopAt = maxBlocks;
        VoiceTrackTable& tracks = state->voices.tracks;
        for (int64_t block = 0; block < stopAt; ++block)
        {
            SetBlockClock(block);
            const int before = ClipSlot(state->behaviourState, state->clipIndex);
            const bool ended = tracks.playPosition[before] >= tracks.lengthFrames[before];
            if (AdvanceClipSequence(*state) == SequenceAnswer::Stop)
            {
                endedAtBlock = block;
                return choices;
            }
            if (ended)
            {
                choices.push_back({block, state->behaviourState});
                if (state->behaviourState == kKindWakeCall && stopAt == maxBlocks)
                {
                    stopAt = std::min(maxBlocks, block + extraBlocks);
                }
            }
            DriftSourcePosition(*state);
            const int slot = ClipSlot(state->behaviourState, state->clipIndex);
            tracks.outputByteCounter[slot] += kBytesPerBlock;
            tracks.playPosition[slot] = tracks.outputByteCounter[slot] / kBytesPerFrame;
        }
        return choices;
    }

    CapturingReporter reporter;
    RecordingDevice device;
    std::unique_ptr<AppState> state;
    int64_t startSecond = 0;
    int64_t endedAtBlock = -1;
};

// Each clip the refill starts, at the block the player is on.
class ChoiceRecorder final : public ClipObserver
{
public:
    explicit ChoiceRecorder(const NightPlayer& player) : player_(player) {}
    void OnClipChosen(const AppState& state) override
    {
        choices.push_back({player_.blocksPlayed, state.behaviourState});
    }
    std::vector<Choice> choices;

private:
    const NightPlayer& player_;
};

int64_t BlocksFor(int minutes) { return int64_t{minutes} * 60 * kSampleRate / kFramesPerBlock; }

// The nights and naps people told of, the wake time past the ten hours, wake times around
// midnight, then starts, lengths, sliders and seeds drawn at random.
std::vector<NightPlan> MakePlans()
{
    std::vector<NightPlan> plans = {
        {23 * 60, 7 * 60},
        {22 * 60 + 30, 6 * 60 + 30},
        {23 * 60 + 30, 7 * 60 + 30},
        {22 * 60, 6 * 60},
        {0, 7 * 60},
        {60, 8 * 60},
        {23 * 60 + 15, 6 * 60 + 45},
        {22 * 60 + 45, 7 * 60 + 15},
        {18 * 60 + 36, 18 * 60 + 39},
        {13 * 60, 13 * 60 + 5},
        {13 * 60, 13 * 60 + 10},
        {22 * 60, 8 * 60 + 30},
        {23 * 60 + 40, 23 * 60 + 59},
        {23 * 60 + 30, 0},
        {23 * 60 + 50, 1},
    };
    Rng rng;
    SeedRandom(rng, 20261210);
    while (plans.size() < 200)
    {
        NightPlan plan;
        plan.start = DrawRandom(rng) % 1440;
        plan.wake = (plan.start + 1 + DrawRandom(rng) % (11 * 60)) % 1440;
        for (int& slider : plan.sliders)
        {
            slider = DrawRandom(rng) % 11;
        }
        plan.seed = static_cast<uint32_t>(DrawRandom(rng)) << 15 | DrawRandom(rng);
        plans.push_back(plan);
    }
    return plans;
}

TEST_F(WakeNightTest, EveryNightHasHerCallWithinTwoMinutesOfTheWakeTime)
{
    constexpr int kAfterCallMinutes = 3;
    for (const NightPlan& plan : MakePlans())
    {
        SCOPED_TRACE(testing::Message()
                     << "start " << plan.start << " wake " << plan.wake << " seed " << plan.seed);
        Prepare(plan);
        const int length = MinutesAfter(plan.wake, plan.start);
        const std::vector<Choice> choices =
            Walk(BlocksFor(length + 20), BlocksFor(kAfterCallMinutes));
        const auto call = std::find_if(choices.begin(), choices.end(),
                                       [](const Choice& c) { return c.kind == kKindWakeCall; });
        ASSERT_NE(call, choices.end());
        EXPECT_LE(MinutesAfter(ClockMinute(startSecond, call->block), plan.wake), 2);
        EXPECT_GE(call->block, BlocksFor(length) - 1);
        // She goes on after her call, unless the night's ten hours are up: then it ends.
        if (length >= 600)
        {
            EXPECT_GT(endedAtBlock, call->block);
        }
        else if (length < 600 - 2 * kAfterCallMinutes)
        {
            EXPECT_EQ(endedAtBlock, -1);
            EXPECT_GT(choices.back().block, call->block);
        }
    }
}

TEST_F(WakeNightTest, TheWalkMakesTheSameChoicesAsTheRefill)
{
    // A nap that needs the kept call, and one where her own call comes first.
    for (const NightPlan& plan : {NightPlan{13 * 60, 13 * 60 + 5, {5, 5, 5, 5}, 7},
                                  NightPlan{5 * 60 + 40, 6 * 60 + 10, {2, 8, 5, 10}, 99}})
    {
        Prepare(plan);
        const int64_t blocks = BlocksFor(MinutesAfter(plan.wake, plan.start) + 4);
        const std::vector<Choice> walked = Walk(blocks, blocks);
        ASSERT_GT(walked.size(), 100u);

        Prepare(plan);
        NightPlayer player(*state, startSecond);
        ChoiceRecorder recorder(player);
        state->stream.clipObserver = &recorder;
        StartNight(*state);
        while (player.blocksPlayed < blocks && PlayBlock(player))
        {
        }
        ASSERT_EQ(recorder.choices.size(), walked.size());
        for (size_t i = 0; i < walked.size(); ++i)
        {
            ASSERT_EQ(recorder.choices[i].block, walked[i].block) << i;
            ASSERT_EQ(recorder.choices[i].kind, walked[i].kind) << i;
        }
    }
}

} // namespace
} // namespace yumo::test
