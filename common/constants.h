#pragma once
// Sizes shared by the whole engine, derived from one another where they can be.

#include <cstddef>
#include <cstdint>

namespace yumo
{

constexpr int kSampleRate = 44100;   // Hz, for voice clips and output alike
constexpr int kHrirTapCount = 128;   // taps per ear and direction
constexpr int kFramesPerBlock = 512; // stereo frames per output block (11.6 ms)
constexpr int kOutputChannels = 2;   // interleaved left then right
constexpr int kBytesPerSample = 2;   // signed 16-bit little-endian
constexpr int kBytesPerFrame = kOutputChannels * kBytesPerSample; // one stereo frame
constexpr int kBytesPerBlock = kFramesPerBlock * kBytesPerFrame;
constexpr int kSamplesPerBlock = kFramesPerBlock * kOutputChannels; // interleaved
constexpr int kRenderWindowSamples = 2 * kFramesPerBlock; // source samples read per render
constexpr int kConvolutionLength = kRenderWindowSamples + kHrirTapCount - 1;
constexpr int kOutputBlockCount = 10; // blocks kept queued on the device (116 ms)

constexpr int kMaxHrirRows = 20;
constexpr int kMaxHrirDirectionsPerRow = 75;
constexpr int kMaxFilterCount = 300;

constexpr int kVoiceKindCount = 15; // kinds 0-11 editable, 12 file-only, 13/14 built in
constexpr int kEditableVoiceKindCount = 12;
constexpr int kMaxClipsPerKind = 10;
constexpr int kClipSlotCount = kVoiceKindCount * kMaxClipsPerKind;
constexpr int kVoiceTextUnits = 256;  // UTF-16 code units of owner name and clip paths
constexpr int kSharedPathUnits = 260; // UTF-16 code units of the shared path buffer

// `count` rounded up to whole `unit`s: clips and music are kept as whole blocks, so a loop or a
// clip's end always falls on a block boundary.
template <typename T> constexpr T RoundUpToWhole(T count, T unit)
{
    return (count + unit - 1) / unit * unit;
}

static_assert(kBytesPerFrame == 4);
static_assert(kBytesPerBlock == 2048);
static_assert(kConvolutionLength == 1151);
static_assert(kClipSlotCount == 150);

} // namespace yumo
