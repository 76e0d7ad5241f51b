#include "app/output_stream.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "app/behaviour.h"
#include "audio/renderer.h"

namespace yumo
{
namespace
{

constexpr int kSamplesPerBlock = kFramesPerBlock * kOutputChannels;
constexpr float kMaxVoiceMagnitude = 32767.0f;

bool IsPlayableSlot(const AppState& state)
{
    return state.behaviourState >= 0 && state.behaviourState < kVoiceKindCount &&
           state.clipIndex >= 0 && state.clipIndex < kMaxClipsPerKind;
}

int CurrentSlot(const AppState& state) { return ClipSlot(state.behaviourState, state.clipIndex); }

// Built-in silences are counted through but never rendered.
bool IsRenderedKind(int32_t kind)
{
    return kind != kKindBuiltInSilence && kind != kKindBuiltInSilenceMidBreath;
}

bool CurrentClipHasEnded(const AppState& state)
{
    if (!IsPlayableSlot(state))
    {
        return false;
    }
    const int slot = CurrentSlot(state);
    return state.voices.tracks.playPosition[slot] >= state.voices.tracks.lengthFrames[slot];
}

void RenderCurrentClip(AppState& state)
{
    OutputStream& stream = state.stream;
    const int slot = CurrentSlot(state);
    const std::vector<int16_t>& clip = state.voices.samples[slot];
    const BlockTracks& tracks = state.blockTracks;
    RenderBinauralBlock(state.hrir, clip.data(), clip.size(),
                        state.voices.tracks.playPosition[slot], tracks.values[kTrackAzimuth][0],
                        tracks.values[kTrackElevation][0], tracks.values[kTrackDistance][0],
                        state.referenceDistance[state.behaviourState], stream.overlapLeft.data(),
                        stream.overlapRight.data(), stream.mixBlock.samples.data());
}

// sign(s) * min(|s| * g, 32767), the product in single precision and truncated toward zero;
// a full-scale negative sample therefore comes out as -32767, never wrapping.
int ScaleVoiceSample(int sample, float gain)
{
    const int magnitude = sample < 0 ? -sample : sample;
    const float scaled = std::min(static_cast<float>(magnitude) * gain, kMaxVoiceMagnitude);
    const int truncated = static_cast<int>(scaled);
    return sample < 0 ? -truncated : truncated;
}

// voice + music * m in single precision, saturated to 16 bits and truncated toward zero.
int AddMusicSample(int voice, int16_t music, float gain)
{
    const float sum = static_cast<float>(voice) + static_cast<float>(music) * gain;
    return static_cast<int>(std::clamp(sum, -32768.0f, 32767.0f));
}

// Voice volume, music and peaks over the rendered block, in place. The gains are worked out
// once per block; the rendered frames are scaled everywhere, a clip's first and last blocks
// included.
void MixBlock(AppState& state, int blockIndex)
{
    OutputStream& stream = state.stream;
    const MusicSlot& music = state.music;
    int16_t* mix = stream.mixBlock.samples.data();
    const float voiceGain = VolumeGain(stream.voiceVolume);
    const bool withMusic = music.loadCount > 0 && music.musicOn == 1 && music.cursorFrames >= 0 &&
                           static_cast<size_t>(music.cursorFrames) + kFramesPerBlock <=
                               std::min(music.left.size(), music.right.size());
    int peakLeft = 0;
    int peakRight = 0;
    if (withMusic)
    {
        const float musicGain = VolumeGain(stream.musicVolume);
        const int16_t* left = music.left.data() + music.cursorFrames;
        const int16_t* right = music.right.data() + music.cursorFrames;
        for (int n = 0; n < kFramesPerBlock; ++n)
        {
            const int l =
                AddMusicSample(ScaleVoiceSample(mix[2 * n], voiceGain), left[n], musicGain);
            const int r =
                AddMusicSample(ScaleVoiceSample(mix[2 * n + 1], voiceGain), right[n], musicGain);
            mix[2 * n] = static_cast<int16_t>(l);
            mix[2 * n + 1] = static_cast<int16_t>(r);
            peakLeft = std::max(peakLeft, l < 0 ? -l : l);
            peakRight = std::max(peakRight, r < 0 ? -r : r);
        }
    }
    else
    {
        for (int n = 0; n < kFramesPerBlock; ++n)
        {
            const int l = ScaleVoiceSample(mix[2 * n], voiceGain);
            const int r = ScaleVoiceSample(mix[2 * n + 1], voiceGain);
            mix[2 * n] = static_cast<int16_t>(l);
            mix[2 * n + 1] = static_cast<int16_t>(r);
            peakLeft = std::max(peakLeft, l < 0 ? -l : l);
            peakRight = std::max(peakRight, r < 0 ? -r : r);
        }
    }
    stream.peaks[static_cast<size_t>(blockIndex)] =
        BlockPeak{static_cast<double>(peakLeft), static_cast<double>(peakRight)};
}

// 512 frames on: the slot's counters (also in the built-in silences, so they last their
// lengths) and, while music is loaded, the music cursor.
void AdvanceCursors(AppState& state)
{
    if (IsPlayableSlot(state))
    {
        VoiceTrackTable& tracks = state.voices.tracks;
        const int slot = CurrentSlot(state);
        const int64_t counter = int64_t{tracks.outputByteCounter[slot]} + kBytesPerBlock;
        if (counter <= std::numeric_limits<int32_t>::max())
        {
            tracks.outputByteCounter[slot] = static_cast<int32_t>(counter);
            tracks.playPosition[slot] = static_cast<int32_t>(counter / 4);
        }
        else
        {
            // A clip too long for its 32-bit byte counter ends here instead of wrapping.
            tracks.playPosition[slot] = tracks.lengthFrames[slot];
        }
    }
    // Without music the cursor stays put: counting on through a long night would overflow it.
    MusicSlot& music = state.music;
    if (music.loadCount > 0)
    {
        music.cursorBytes += kBytesPerBlock;
        music.cursorFrames = music.cursorBytes / 4;
    }
}

} // namespace

void OpenOutputStream(AppState& state, AudioDevice& device)
{
    OutputStream& stream = state.stream;
    if (stream.device != nullptr)
    {
        stream.device->Close();
    }
    stream.device = &device;
    // A failed open is not reported: nothing plays, and no night advances.
    device.Open(stream.format, [&state](int blockIndex) { RefillBlock(state, blockIndex); });
}

void PrimeStream(AppState& state)
{
    OutputStream& stream = state.stream;
    for (int i = 0; i < kOutputBlockCount; ++i)
    {
        OutputBlock& block = stream.blocks[static_cast<size_t>(i)];
        block.samples.fill(0);
        if (stream.device != nullptr)
        {
            stream.device->Write(i, block.samples.data(), kBytesPerBlock);
        }
    }
}

int RefillBlock(AppState& state, int blockIndex)
{
    if (state.idle == 1)
    {
        return 0;
    }
    // A buffer that is not one of the ten (an editor preview) is none of the stream's business.
    if (blockIndex < 0 || blockIndex >= kOutputBlockCount)
    {
        return 0;
    }
    const bool clipEnded = CurrentClipHasEnded(state);
    if (AdvanceClipSequence(state) == SequenceAnswer::Stop)
    {
        return 0;
    }
    OutputStream& stream = state.stream;
    if (clipEnded && stream.clipObserver != nullptr)
    {
        stream.clipObserver->OnClipChosen(state);
    }

    MusicSlot& music = state.music;
    if (music.loadCount > 0 && music.cursorFrames >= music.lengthFrames)
    {
        music.cursorFrames = 0;
        music.cursorBytes = 0;
    }
    stream.lastRefilled = blockIndex;
    stream.mixBlock.samples.fill(0);

    DriftSourcePosition(state);
    if (IsPlayableSlot(state) && IsRenderedKind(state.behaviourState))
    {
        RenderCurrentClip(state);
    }
    MixBlock(state, blockIndex);
    AdvanceCursors(state);

    OutputBlock& block = stream.blocks[static_cast<size_t>(blockIndex)];
    block.samples = stream.mixBlock.samples;
    if (stream.device != nullptr)
    {
        stream.device->Write(blockIndex, block.samples.data(), kBytesPerBlock);
    }
    return 0;
}

void ResetStream(AppState& state)
{
    if (state.stream.device != nullptr)
    {
        state.stream.device->Reset();
    }
}

float VolumeGain(double tenthsOfDecibel)
{
    // The controls keep volumes within +-30 dB; anything beyond would only risk infinities.
    const double volume =
        std::isnan(tenthsOfDecibel) ? 0.0 : std::clamp(tenthsOfDecibel, -300.0, 300.0);
    return static_cast<float>(std::pow(10.0, volume / 200.0));
}

BlockPeak GaugePeaks(const OutputStream& stream)
{
    const int index =
        ((stream.lastRefilled + 3) % kOutputBlockCount + kOutputBlockCount) % kOutputBlockCount;
    return stream.peaks[static_cast<size_t>(index)];
}

} // namespace yumo
