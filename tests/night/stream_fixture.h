#pragma once
// A stream on the offline device for the output tests: an application state with the
// pass-through response set, a good-night clip, the device opened as a voice load opens it,
// and every played block recorded.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/report.h"
#include "night/app_state.h"
#include "night/offline_device.h"

namespace yumo::test
{

struct StreamRig
{
    CapturingReporter reporter;
    std::unique_ptr<AppState> state;
    OfflineDevice device;
    std::vector<std::vector<int16_t>> played; // each block handed to the sink, in order
};

// `goodNight` becomes kind 0's only clip; kinds 1-10 get a quiet two-block clip each; no
// recorded silence, so the gaps are the built-in silences 13 and 14. The clock stands at
// 22:00:10 and the stream is open on the rig's device.
std::unique_ptr<StreamRig> MakeStreamRig(const std::vector<int16_t>& goodNight);

// Puts the night in a built-in silence (13 or 14) at clip `clip`, running, cursor 0.
void EnterBuiltInSilence(AppState& state, int kind, int clip = 0);

// Plays `count` blocks (fewer when the queue runs dry); returns how many came back.
int PumpBlocks(StreamRig& rig, int count);

// Renders a clip block by block as the refill does at a fixed position with fresh overlap
// buffers: 1024 interleaved samples per block.
std::vector<std::vector<int16_t>> RenderClipBlocks(const HrirSet& set,
                                                   const std::vector<int16_t>& clip,
                                                   double referenceDistance, int blocks);

// sign(s) * min(trunc(|s| * g), 32767) with g = 10^(tenths / 200), all in single precision.
int16_t ExpectedVoiceSample(int16_t rendered, double tenthsOfDecibel);

// trunc(voice + music * m) saturated to 16 bits, in single precision.
int16_t ExpectedMixSample(int voice, int16_t music, double tenthsOfDecibel);

// Writes a 16-bit 44.1 kHz WAV of interleaved `samples` and returns its path.
std::string WriteMusicWav(const std::string& path, const std::vector<int16_t>& samples,
                          uint16_t channels);

} // namespace yumo::test
