#pragma once
// Conversions between bytes of interleaved PCM and time, exact over a whole night: a ten-hour
// night at 176 400 bytes per second is 6.4e18 byte-nanoseconds, so the products are split into
// whole seconds and a remainder instead of being formed at once.

#include <chrono>
#include <cstdint>

#include "import/pcm_audio.h"

namespace yumo
{

// The highest rate a device accepts; PulseAudio's own limit.
constexpr uint32_t kMaxDeviceSampleRate = 384000;

// Linear 16-bit PCM, one or two channels, frames of channels x 2 bytes, a rate from 1 Hz to
// kMaxDeviceSampleRate: what both imports produce and what the devices play.
bool IsPlayableFormat(const PcmFormat& format);

// sampleRate x blockAlign for a playable format, otherwise 0.
uint64_t BytesPerSecond(const PcmFormat& format);

// Bytes played in `duration` (rounded down). 0 for a negative duration.
uint64_t BytesInDuration(std::chrono::nanoseconds duration, uint64_t bytesPerSecond);

// The time `bytes` take to play (rounded up, so a block counts as played at that time).
std::chrono::nanoseconds DurationOfBytes(uint64_t bytes, uint64_t bytesPerSecond);

} // namespace yumo
