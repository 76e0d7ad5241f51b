#pragma once
// Shared set-up for the behaviour tests: a loaded application state with synthetic clips, a
// device that records what it is given, a generator preloaded to chosen draws, and a player
// that runs a night through the output refill itself.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "night/app_state.h"
#include "night/audio_device.h"
#include "night/offline_device.h"

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

// Plays a night through the real refill on an offline device. Making the player opens the
// state's stream on its device; each PlayBlock sets the clock to the start plus 512 frames per
// block played and hands one block back to RefillBlock. A night set up by hand rather than by
// StartNight is primed on its first block.
class NightPlayer
{
public:
    NightPlayer(AppState& state, int64_t startSecondOfDay);
    ~NightPlayer(); // the stream lets go of the device, which goes with the player
    NightPlayer(const NightPlayer&) = delete;
    NightPlayer& operator=(const NightPlayer&) = delete;

    AppState& state;
    int64_t startSecondOfDay = 0;
    int64_t blocksPlayed = 0; // blocks the refill queued again
    OfflineDevice device;
};

// One block back to the refill; false (and the queue drained) once the refill stops requeuing.
bool PlayBlock(NightPlayer& player);

} // namespace yumo::test
