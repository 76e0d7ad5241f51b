#pragma once
// A look-ahead true-peak limiter: the signal is delayed by kLimiterLookAheadFrames, and the gain
// that keeps the signal between its samples at or below the ceiling is reached gradually before
// the sample that needs it leaves the delay. The peaks between samples are found on the signal
// interpolated to four times its rate by a short polyphase filter. A signal whose peaks stay
// well below the ceiling passes unchanged, only delayed.

#include <array>
#include <cstdint>

#include "common/constants.h"

namespace yumo
{

constexpr int kLimiterLookAheadFrames = kSampleRate * 4 / 1000; // 4 ms
constexpr double kLimiterCeilingDb = -1.0; // dBTP, against a 16-bit full scale of 32767
// The interpolator's taps per phase; the peaks between frames n and n + 1 are known once frame
// n + kTruePeakTaps / 2 has come in, so the gain has that much less time to fall.
constexpr int kTruePeakTaps = 48;
constexpr int kTruePeakOversampling = 4;
constexpr int kTruePeakLagFrames = kTruePeakTaps / 2;
constexpr int kLimiterRampFrames = kLimiterLookAheadFrames - kTruePeakLagFrames;
static_assert(kLimiterLookAheadFrames == 176);

// 32767 * 10^(-1/20), rounded down to a whole sample value: 29203.
double LimiterCeiling();

struct PeakLimiter
{
    // The delayed frames, interleaved left and right.
    std::array<float, 2 * kLimiterLookAheadFrames> delay{};
    // The newest kTruePeakTaps frames, twice over so that they always lie in one piece.
    std::array<float, 4 * kTruePeakTaps> recent{};
    int recentAt = 0;
    float lastBetween = 0; // the interpolated peak just before the frame now detected
    // The gains needed by the detected frames still within reach: (frame number, gain) in
    // rising gain order, a ring of kLimiterRampFrames + 1 places.
    std::array<int64_t, kLimiterRampFrames + 1> minFrame{};
    std::array<uint32_t, kLimiterRampFrames + 1> minGain{};
    int minHead = 0;
    int minCount = 0;
    // Held gains after the release, in units of 2^-24, whose sum makes the applied gain: whole
    // numbers keep the average exact, so a signal below the ceiling sees a gain of exactly 1.
    std::array<uint32_t, kLimiterRampFrames> held{};
    uint64_t heldSum = 0;
    uint32_t released = 0;
    int position = 0; // in the delay
    int heldAt = 0;   // in the held gains
    int64_t frame = 0;
};

// Silence in the delay, gain 1.
void ResetPeakLimiter(PeakLimiter& limiter);

// Limits `frames` interleaved stereo frames in place; what comes out is what went in
// kLimiterLookAheadFrames frames earlier, scaled.
void LimitFrames(PeakLimiter& limiter, float* samples, int frames);

} // namespace yumo
