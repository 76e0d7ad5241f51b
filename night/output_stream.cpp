#include "night/output_stream.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "audio/renderer.h"
#include "night/behaviour.h"
#include "night/music_slot.h"
#include "night/night_messages.h"

namespace yumo
{
namespace
{

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
// a full-scale negative sample therefore comes out as -32767, never wrapping. The products stay
// below 2^21 (|s| <= 32768, g <= 31.7), so truncating before limiting gives the same values and
// lets the compiler keep the loop on vectors.
void ScaleVoice(int16_t* samples, float gain)
{
    for (int i = 0; i < kSamplesPerBlock; ++i)
    {
        const int sample = samples[i];
        const int magnitude = sample < 0 ? -sample : sample;
        const int scaled = std::min(static_cast<int>(static_cast<float>(magnitude) * gain), 32767);
        samples[i] = static_cast<int16_t>(sample < 0 ? -scaled : scaled);
    }
}

// voice + music * m in single precision, truncated toward zero and saturated to 16 bits (the
// sum stays far inside the int range, so the order of the two makes no difference).
int16_t AddMusicSample(int16_t voice, int16_t music, float gain)
{
    const float sum = static_cast<float>(voice) + static_cast<float>(music) * gain;
    return static_cast<int16_t>(std::clamp(static_cast<int>(sum), -32768, 32767));
}

// `frames`: 16-bit frames of `channels` samples; one sample is heard on both sides.
void AddMusic(int16_t* samples, const uint8_t* frames, int channels, float gain)
{
    for (size_t n = 0; n < kFramesPerBlock; ++n)
    {
        samples[2 * n] =
            AddMusicSample(samples[2 * n], PackedMusicSample(frames, channels, n, 0), gain);
        samples[2 * n + 1] =
            AddMusicSample(samples[2 * n + 1], PackedMusicSample(frames, channels, n, 1), gain);
    }
}

// Absolute sample values, 0 to 32768.
BlockPeak MeasurePeaks(const int16_t* samples)
{
    int left = 0;
    int right = 0;
    for (int n = 0; n < kFramesPerBlock; ++n)
    {
        const int l = samples[2 * n];
        const int r = samples[2 * n + 1];
        left = std::max(left, l < 0 ? -l : l);
        right = std::max(right, r < 0 ? -r : r);
    }
    return BlockPeak{static_cast<double>(left), static_cast<double>(right)};
}

// Voice volume, music and peaks over the rendered block, in place. The gains are worked out
// once per block; the rendered frames are scaled everywhere, a clip's first and last blocks
// included.
// The music of the block at the cursor, taken even while "M" is off so the worker keeps in
// step; null when there is none to mix. A dry ring is told once per run, and a file that can
// no longer be read ends the music.
const uint8_t* TakeMusic(AppState& state)
{
    MusicSlot& music = state.music;
    if (music.loadCount <= 0 || music.stream == nullptr || music.ended || music.cursorFrames < 0 ||
        music.cursorFrames + kFramesPerBlock > music.lengthFrames)
    {
        return nullptr;
    }
    const uint64_t spells = music.stream->DrySpells();
    const int16_t* frames = music.stream->Take(music.cursorFrames);
    ClipObserver* observer = state.stream.clipObserver;
    if (frames == nullptr && music.stream->Failed())
    {
        music.ended = true;
        if (observer != nullptr)
        {
            observer->OnMusicEnded(state);
        }
    }
    else if (music.stream->DrySpells() != spells && observer != nullptr)
    {
        observer->OnMusicDry(state);
    }
    return music.musicOn ? reinterpret_cast<const uint8_t*>(frames) : nullptr;
}

void MixBlock(AppState& state, int blockIndex)
{
    OutputStream& stream = state.stream;
    const MusicSlot& music = state.music;
    int16_t* mix = stream.mixBlock.samples.data();
    const uint8_t* musicFrames = TakeMusic(state);
    const bool withMusic = musicFrames != nullptr;
    if (GentleStageActive(state.gentle.settings))
    {
        GentleMusic cut;
        if (withMusic)
        {
            cut = GentleMusic{musicFrames, music.channels, VolumeGain(stream.musicVolume)};
        }
        MixGentleBlock(state, mix, VolumeGain(stream.voiceVolume), cut);
        stream.peaks[static_cast<size_t>(blockIndex)] = MeasurePeaks(mix);
        return;
    }
    ScaleVoice(mix, VolumeGain(stream.voiceVolume));
    if (withMusic)
    {
        AddMusic(mix, musicFrames, music.channels, VolumeGain(stream.musicVolume));
    }
    stream.peaks[static_cast<size_t>(blockIndex)] = MeasurePeaks(mix);
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
            tracks.playPosition[slot] = static_cast<int32_t>(counter / kBytesPerFrame);
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
        music.cursorFrames = music.cursorBytes / kBytesPerFrame;
    }
}

} // namespace

bool OpenOutputStream(AppState& state, AudioDevice& device)
{
    OutputStream& stream = state.stream;
    if (stream.device != nullptr)
    {
        stream.device->Close();
        stream.device = nullptr;
    }
    // A device without a clock has all the time there is: it waits for the music's worker
    // before each block, so an offline night sounds the same however busy the machine is.
    const bool clocked = device.HasClock();
    if (!device.Open(stream.format, [&state, clocked](int blockIndex) {
            if (!clocked)
            {
                AwaitMusicBlock(state);
            }
            RefillBlock(state, blockIndex);
        }))
    {
        ReportMessage(*state.reporter, kDeviceOpenFailedText, kAudioErrorCaption);
        return false;
    }
    stream.device = &device;
    stream.bytesWritten = 0; // the device counts from its opening
    stream.bytesReturned = 0;
    stream.heard.Clear();
    return true;
}

bool PrimeStream(AppState& state)
{
    OutputStream& stream = state.stream;
    ResetGentleStage(state.gentle);
    state.gentle.startByte = stream.bytesWritten;
    for (int i = 0; i < kOutputBlockCount; ++i)
    {
        OutputBlock& block = stream.blocks[static_cast<size_t>(i)];
        block.samples.fill(0);
        if (stream.device == nullptr ||
            !stream.device->Write(i, block.samples.data(), kBytesPerBlock))
        {
            return false;
        }
        HeardFacts facts = TakeHeardFacts(state, i);
        facts.peaks = {};
        stream.heard.Record(stream.bytesWritten, facts);
        stream.bytesWritten += kBytesPerBlock;
    }
    return true;
}

void EndNightOnDeviceFailure(AppState& state)
{
    StopNight(state);
    ReportMessage(*state.reporter, kDeviceWriteFailedText, kAudioErrorCaption);
}

int RefillBlock(AppState& state, int blockIndex)
{
    // A buffer that is not one of the ten (an editor preview) is none of the stream's business.
    if (blockIndex < 0 || blockIndex >= kOutputBlockCount)
    {
        return 0;
    }
    state.stream.bytesReturned += kBytesPerBlock;
    if (!NightPlays(state.phase))
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
    if (IsPlayableSlot(state) && IsRenderedKind(state.behaviourState) &&
        HasSourcePosition(state.blockTracks))
    {
        RenderCurrentClip(state);
    }
    MixBlock(state, blockIndex);
    AdvanceCursors(state);

    OutputBlock& block = stream.blocks[static_cast<size_t>(blockIndex)];
    block.samples = stream.mixBlock.samples;
    // A lost device would otherwise leave the night running with nothing coming back.
    if (stream.device == nullptr ||
        !stream.device->Write(blockIndex, block.samples.data(), kBytesPerBlock))
    {
        EndNightOnDeviceFailure(state);
    }
    else
    {
        stream.heard.Record(stream.bytesWritten, TakeHeardFacts(state, blockIndex));
        stream.bytesWritten += kBytesPerBlock;
        if (GentleLastFrame(state.gentle) >= 0 &&
            GentleStageEndsNight(state.gentle, HeardBytes(stream)))
        {
            StopNight(state); // the fade-out has been heard to its end
        }
    }
    return 0;
}

uint64_t HeardBytes(OutputStream& stream)
{
    uint64_t bytes = 0;
    if (stream.device != nullptr && stream.device->HeardSinceOpen(bytes))
    {
        return bytes;
    }
    return stream.bytesReturned;
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
