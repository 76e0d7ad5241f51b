// The behaviour's share of each output refill (sequence, choice, drift), which must stay a
// small fraction of a block's 11.6 ms and allocate nothing.

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>

#include "night/app_state.h"
#include "night/behaviour.h"
#include "tools/figures/allocation_counter.h"

namespace yumo
{
namespace
{

// A loaded set with one 4096-frame clip in every editable kind, as a night would have.
std::unique_ptr<AppState> MakeNightState(SilentReporter& reporter)
{
    std::unique_ptr<AppState> state = CreateAppState(reporter);
    for (int kind = 0; kind < kEditableVoiceKindCount; ++kind)
    {
        state->voices.clipCounts[kind] = 1;
        const int slot = ClipSlot(kind, 0);
        state->voices.tracks.lengthFrames[slot] = 4096;
        state->voices.tracks.lengthBytes[slot] = 8192;
        state->voices.samples[slot].assign(4096, 0);
    }
    state->phase = NightPhase::Running;
    state->behaviourState = kKindGoodNight;
    SetClockTime(state->clock, LocalTime{23, 0, 2}); // inside an update window
    state->sleep.startMinute = 22 * 60;
    return state;
}

// Sequence and drift per block, the clip counters moved as the refill moves them.
void BM_BehaviourPerBlock(benchmark::State& run)
{
    SilentReporter reporter;
    std::unique_ptr<AppState> state = MakeNightState(reporter);
    const long allocationsBefore = CountedAllocations();
    for (auto _ : run)
    {
        AdvanceClipSequence(*state);
        DriftSourcePosition(*state);
        const int slot = ClipSlot(state->behaviourState, state->clipIndex);
        state->voices.tracks.outputByteCounter[slot] += kBytesPerBlock;
        state->voices.tracks.playPosition[slot] = state->voices.tracks.outputByteCounter[slot] / 4;
        benchmark::DoNotOptimize(state->blockTracks.values[kTrackAzimuth][0]);
    }
    run.counters["allocations"] = static_cast<double>(CountedAllocations() - allocationsBefore);
}
BENCHMARK(BM_BehaviourPerBlock);

// One choice with the depth, dream and alarm update (the heaviest path: a cosine and up to
// six draws).
void BM_ChooseNextActivity(benchmark::State& run)
{
    SilentReporter reporter;
    std::unique_ptr<AppState> state = MakeNightState(reporter);
    state->alarm.mode = kWakeUserSet;
    state->alarm.minuteOfDay = 23 * 60 + 5;
    const long allocationsBefore = CountedAllocations();
    for (auto _ : run)
    {
        benchmark::DoNotOptimize(ChooseNextActivity(*state));
    }
    run.counters["allocations"] = static_cast<double>(CountedAllocations() - allocationsBefore);
}
BENCHMARK(BM_ChooseNextActivity);

} // namespace
} // namespace yumo
