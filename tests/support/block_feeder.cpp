#include "support/block_feeder.h"

#include <algorithm>

namespace yumo::test
{

bool BlockFeeder::Open(AudioDevice& target)
{
    device = &target;
    const PcmFormat format{1, 2, kSampleRate, kSampleRate * 4, 4, 16, 0};
    return target.Open(format, [this](int blockIndex) { OnBlockDone(blockIndex); });
}

void BlockFeeder::Prime()
{
    primeTime = Clock::now();
    for (int i = 0; i < kOutputBlockCount; ++i)
    {
        WriteNext(i);
    }
}

void BlockFeeder::OnBlockDone(int blockIndex)
{
    returned.push_back(blockIndex);
    returnTimes.push_back(Clock::now());
    if (onReturn)
    {
        onReturn(static_cast<int>(returned.size()));
    }
    if (refill)
    {
        WriteNext(blockIndex);
    }
}

void BlockFeeder::WriteNext(int blockIndex)
{
    const size_t frames = signal.size() / kOutputChannels;
    if (nextFrame + kFramesPerBlock > frames || blockIndex < 0 || blockIndex >= kOutputBlockCount)
    {
        return;
    }
    auto& block = blocks[static_cast<size_t>(blockIndex)];
    std::copy_n(signal.begin() + static_cast<std::ptrdiff_t>(nextFrame * kOutputChannels),
                block.size(), block.begin());
    nextFrame += kFramesPerBlock;
    if (device->Write(blockIndex, block.data(), kBytesPerBlock))
    {
        ++written;
    }
    else
    {
        // As the stream does: a refused block ends the night.
        ++failedWrites;
        refill = false;
    }
}

std::vector<int16_t> MakeTestSignal(int blockCount)
{
    std::vector<int16_t> signal(static_cast<size_t>(blockCount) * kFramesPerBlock *
                                kOutputChannels);
    uint32_t x = 12345;
    for (size_t i = 0; i < signal.size(); ++i)
    {
        x = x * 1664525u + 1013904223u;
        // Magnitudes 1000-8999, random signs: never 0, never clipped.
        const int magnitude = 1000 + static_cast<int>((x >> 16) % 8000);
        signal[i] = static_cast<int16_t>((x & 1u) != 0 ? magnitude : -magnitude);
    }
    return signal;
}

} // namespace yumo::test
