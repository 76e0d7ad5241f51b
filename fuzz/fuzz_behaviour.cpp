// Nights driven by arbitrary voice-set counts and lengths (as a voice-data file may carry
// them), sliders, alarm and clock, played through the output refill on the offline device: no
// out-of-range slot, a kind without clips never plays, and the ring stays ten blocks deep.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "night/app_state.h"
#include "night/behaviour.h"
#include "night/offline_device.h"
#include "night/output_stream.h"

namespace
{

// Hands out the input's bytes in order, then zeros.
struct ByteFeed
{
    const uint8_t* data;
    size_t size;
    size_t at = 0;

    uint8_t Next() { return at < size ? data[at++] : 0; }
    int Below(int limit) { return (Next() | Next() << 8) % limit; }
};

// Names the broken invariant before aborting, so a finding explains itself.
void Check(bool condition, const char* what)
{
    if (!condition)
    {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

#define CHECK(condition) Check((condition), #condition)

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace yumo;
    ByteFeed feed{data, size};
    SilentReporter reporter;
    std::unique_ptr<AppState> state = CreateAppState(reporter);

    for (int kind = 0; kind < kVoiceKindCount; ++kind)
    {
        // Counts outside 0-10 are what a damaged set would hold; lengths in whole blocks.
        state->voices.clipCounts[kind] = static_cast<int8_t>(feed.Next());
        for (int i = 0; i < kMaxClipsPerKind && kind < kKindBuiltInSilence; ++i)
        {
            state->voices.tracks.lengthFrames[ClipSlot(kind, i)] = feed.Below(8) * kFramesPerBlock;
        }
    }
    Personality& p = state->personality;
    p.netsuki = feed.Below(11);
    p.suimin = feed.Below(11);
    p.nezou = feed.Below(11);
    p.neoki = feed.Below(11);
    state->alarm.mode = feed.Below(3);
    state->alarm.minuteOfDay = feed.Below(2000);
    int second = feed.Below(86400);
    SetClockTime(state->clock, LocalTime{second / 3600, second / 60 % 60, second % 60});
    state->phase = NightPhase::Loaded;

    // The night runs through the real refill on the offline device, one block back per pump.
    OfflineDevice device;
    CHECK(OpenOutputStream(*state, device));
    StartNight(*state);
    for (int block = 0; block < 2000 && NightPlays(state->phase); ++block)
    {
        second = (second + feed.Below(120)) % 86400;
        SetClockTime(state->clock, LocalTime{second / 3600, second / 60 % 60, second % 60});
        const uint64_t written = device.writtenBlocks;
        if (!PumpOfflineDevice(device) || device.writtenBlocks == written)
        {
            break; // the sequence answered stop: nothing was queued again
        }
        CHECK(device.queueCount == kOutputBlockCount); // every refill keeps ten blocks queued
        const int kind = state->behaviourState;
        CHECK(kind >= 0 && kind < kVoiceKindCount && kind != kKindFileOnly);
        CHECK(state->clipIndex >= 0 && state->clipIndex < state->voices.clipCounts[kind] &&
              state->clipIndex < kMaxClipsPerKind);
        const double azimuth = state->blockTracks.values[kTrackAzimuth][0];
        CHECK(azimuth >= 0 && azimuth <= 360);
        const int slot = ClipSlot(kind, state->clipIndex);
        CHECK(state->voices.tracks.playPosition[slot] ==
              state->voices.tracks.outputByteCounter[slot] / kBytesPerFrame);
    }
    // A good-night clip already at its end (here: of length 0) starts no night to stop.
    const bool started = NightStarted(state->phase);
    StopNight(*state);
    CHECK(state->phase == (started ? NightPhase::Stopped : NightPhase::Loaded));
    CHECK(!started || state->behaviourState == kStateNotAsleep);
    return 0;
}
