#pragma once
// Shared set-up for the behaviour tests: a loaded application state with synthetic clips, a
// device that records what it is given, a generator preloaded to chosen draws, and a block
// loop that plays a night the way the output refill does.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "night/app_state.h"
#include "night/audio_device.h"

namespace yumo::test
{

// Counts what the stream asks of the device; never hands blocks back by itself.
class RecordingDevice : public AudioDevice
{
public:
    bool Open(const PcmFormat&, BlockDone onBlockDone) override;
    bool Write(int blockIndex, const int16_t* data, size_t byteCount) override;
    void Reset() override { ++resets; }
    void Close() override { ++closes; }

    BlockDone onBlockDone;
    std::vector<int> writtenBlocks;
    int opens = 0;
    int resets = 0;
    int closes = 0;
};

// One draw a test needs: the next result % modulus must be `value`; modulus 1 accepts any.
struct WantedDraw
{
    int modulus = 1;
    int value = 0;
};

// A generator state whose next draws give the wanted results, found by search. The first
// draw must be constrained by a modulus of 100 or more so the search stays small.
std::optional<uint32_t> FindRngState(const std::vector<WantedDraw>& draws);

// How many draws it takes to go from `before` to `after` (-1 if not within `limit`).
int CountDraws(uint32_t before, uint32_t after, int limit = 64);

// Gives `kind` `count` silent clips of `lengthFrames` frames each.
void GiveClips(AppState& state, int kind, int count, int lengthFrames);

// A state as after a successful voice load: kinds 0-11 with one clip of two blocks each, a
// night allowed to start, the clock fixed at 22:00:10 and the device attached.
std::unique_ptr<AppState> MakeLoadedState(Reporter& reporter, RecordingDevice& device);

void SetTime(AppState& state, int hour, int minute, int second);

// The refill's share of the behaviour, one output block at a time, with the clock moving
// 512 frames per block from the time it is started at.
struct NightPlayer
{
    int64_t blocksPlayed = 0;
    int64_t startSecondOfDay = 0;
};

// Advances the sequence, drifts the voice and moves the current clip's counters by one block,
// as RefillBlock does; false once the sequence answers stop.
bool PlayBlock(AppState& state, NightPlayer& player);

} // namespace yumo::test
