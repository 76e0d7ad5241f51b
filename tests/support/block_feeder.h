#pragma once
// Drives an AudioDevice as the output stream does: ten 2048-byte blocks kept queued, each one
// refilled with the next 512 frames of a signal when it comes back, until the signal ends.
// Records the order and the time of every return and the result of every write; a refused
// write ends the refilling, as it ends the night.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "common/constants.h"
#include "night/audio_device.h"

namespace yumo::test
{

struct BlockFeeder
{
    using Clock = std::chrono::steady_clock;

    // Opens `device` for 44.1 kHz 16-bit stereo with this feeder's notification.
    bool Open(AudioDevice& device);
    // Writes the first ten blocks (or fewer for a short signal), as a night's start does.
    void Prime();
    // The notification: records the return and refills the block while the signal lasts.
    void OnBlockDone(int blockIndex);
    // Blocks written but not yet back.
    int Outstanding() const { return written - static_cast<int>(returned.size()); }

    AudioDevice* device = nullptr;
    std::vector<int16_t> signal; // interleaved stereo, a whole number of blocks
    std::array<std::array<int16_t, kFramesPerBlock * kOutputChannels>, kOutputBlockCount> blocks{};
    size_t nextFrame = 0;
    int written = 0;
    int failedWrites = 0;
    std::vector<int> returned; // block indexes in the order they came back
    std::vector<Clock::time_point> returnTimes;
    Clock::time_point primeTime{};
    bool refill = true; // false: returned blocks are not written again (the night is over)
    // Called after each return with the number of returns so far (must not allocate).
    std::function<void(int returns)> onReturn;

private:
    void WriteNext(int blockIndex);
};

// Interleaved stereo frames in which no sample is 0 and neighbouring blocks differ, so a
// recording shows where the signal starts and any gap, repeat or swap of blocks.
std::vector<int16_t> MakeTestSignal(int blockCount);

} // namespace yumo::test
