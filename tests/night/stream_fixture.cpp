#include "stream_fixture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "audio/renderer.h"
#include "night/output_stream.h"
#include "support/night_data.h"
#include "support/test_support.h"

namespace yumo::test
{

std::unique_ptr<StreamRig> MakeStreamRig(const std::vector<int16_t>& goodNight)
{
    auto rig = std::make_unique<StreamRig>();
    rig->state = CreateAppState(rig->reporter);
    AppState& state = *rig->state;
    state.hrir = MakePassThroughHrirSet();
    AppendTestClip(state.voices, kKindGoodNight, goodNight);
    for (int kind = kKindBreathInOut; kind <= kKindWakeCall; ++kind)
    {
        AppendTestClip(state.voices, kind, MakeTriangleClip(2, 300));
    }
    state.phase = NightPhase::Loaded;
    SetClockTime(state.clock, LocalTime{22, 0, 10});
    StreamRig* raw = rig.get();
    rig->device.sink = [raw](const int16_t* data, size_t byteCount) {
        raw->played.emplace_back(data, data + byteCount / 2);
    };
    OpenOutputStream(state, rig->device);
    return rig;
}

void EnterBuiltInSilence(AppState& state, int kind, int clip)
{
    state.behaviourState = kind;
    state.clipIndex = clip;
    state.phase = NightPhase::Running;
    const int slot = ClipSlot(kind, clip);
    state.voices.tracks.playPosition[slot] = 0;
    state.voices.tracks.outputByteCounter[slot] = 0;
}

int PumpBlocks(StreamRig& rig, int count)
{
    int returned = 0;
    while (returned < count && PumpOfflineDevice(rig.device))
    {
        ++returned;
    }
    return returned;
}

std::vector<std::vector<int16_t>> RenderClipBlocks(const HrirSet& set,
                                                   const std::vector<int16_t>& clip,
                                                   double referenceDistance, int blocks)
{
    std::vector<int16_t> overlapLeft(1024, 0);
    std::vector<int16_t> overlapRight(1024, 0);
    std::vector<std::vector<int16_t>> out;
    for (int b = 0; b < blocks; ++b)
    {
        std::vector<int16_t> block(1024, 0);
        RenderBinauralBlock(set, clip.data(), clip.size(), int64_t{b} * 512,
                            kStandingPosition.azimuth, kStandingPosition.elevation,
                            kStandingPosition.distance, referenceDistance, overlapLeft.data(),
                            overlapRight.data(), block.data());
        out.push_back(block);
    }
    return out;
}

int16_t ExpectedVoiceSample(int16_t rendered, double tenthsOfDecibel)
{
    const float gain = static_cast<float>(std::pow(10.0, tenthsOfDecibel / 200.0));
    const float magnitude = static_cast<float>(std::abs(int{rendered})) * gain;
    const int limited = static_cast<int>(std::min(magnitude, 32767.0f));
    return static_cast<int16_t>(rendered < 0 ? -limited : limited);
}

int16_t ExpectedMixSample(int voice, int16_t music, double tenthsOfDecibel)
{
    const float gain = static_cast<float>(std::pow(10.0, tenthsOfDecibel / 200.0));
    const float sum = static_cast<float>(voice) + static_cast<float>(music) * gain;
    if (sum >= 32767.0f)
    {
        return 32767;
    }
    if (sum <= -32768.0f)
    {
        return -32768;
    }
    return static_cast<int16_t>(static_cast<int>(sum));
}

std::string WriteMusicWav(const std::string& path, const std::vector<int16_t>& samples,
                          uint16_t channels)
{
    WriteBytesFile(path, MakeWavBytes(samples, channels));
    return path;
}

} // namespace yumo::test
