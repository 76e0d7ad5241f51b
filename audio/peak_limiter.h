#pragma once
// A look-ahead peak limiter: the signal is delayed by kLimiterLookAheadFrames, and the gain that
// keeps every sample at or below the ceiling is reached gradually before the sample that needs
// it leaves the delay. A signal that never exceeds the ceiling passes unchanged, only delayed.

#include <array>
#include <cstdint>

namespace yumo
{

constexpr int kLimiterLookAheadFrames = 176; // 4 ms at 44.1 kHz
constexpr double kLimiterCeilingDb = -1.0;   // dBFS, against a 16-bit full scale of 32767

// 32767 * 10^(-1/20), rounded down to a whole sample value: 29203.
double LimiterCeiling();

struct PeakLimiter
{
    // The delayed frames, interleaved left and right.
    std::array<float, 2 * kLimiterLookAheadFrames> delay{};
    // The gains needed by the frames still within reach: (frame number, gain) in rising gain
    // order, a ring of kLimiterLookAheadFrames + 1 places.
    std::array<int64_t, kLimiterLookAheadFrames + 1> minFrame{};
    std::array<uint32_t, kLimiterLookAheadFrames + 1> minGain{};
    int minHead = 0;
    int minCount = 0;
    // Held gains after the release, in units of 2^-24, whose sum makes the applied gain: whole
    // numbers keep the average exact, so a signal below the ceiling sees a gain of exactly 1.
    std::array<uint32_t, kLimiterLookAheadFrames> held{};
    uint64_t heldSum = 0;
    uint32_t released = 0;
    int position = 0; // in the delay and the held gains
    int64_t frame = 0;
};

// Silence in the delay, gain 1.
void ResetPeakLimiter(PeakLimiter& limiter);

// Limits `frames` interleaved stereo frames in place; what comes out is what went in
// kLimiterLookAheadFrames frames earlier, scaled.
void LimitFrames(PeakLimiter& limiter, float* samples, int frames);

} // namespace yumo
