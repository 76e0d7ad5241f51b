#pragma once
// The output stream: ten blocks kept queued on the device; each returned block is refilled by
// the behaviour, the renderer and the mix, and queued again.

#include <string>

#include "night/app_state.h"
#include "night/audio_device.h"

namespace yumo
{

// Told by the refill whenever the clip sequence moved to a new slot, after the choice and
// before that block's drift. Must not allocate: it runs inside the refill.
class ClipObserver
{
public:
    virtual ~ClipObserver() = default;
    virtual void OnClipChosen(const AppState& state) = 0;
};

// Closes the device an earlier load opened, then opens `device` for 44.1 kHz 16-bit stereo
// with block-done notifications that call RefillBlock. False when the device cannot be opened:
// the stream is then closed (no device kept) and a message has been reported.
bool OpenOutputStream(AppState& state, AudioDevice& device);

// Clears the ten blocks to silence and writes them in index order 0-9. False, after writing no
// further block, when there is no open stream or the device refuses a block.
bool PrimeStream(AppState& state);

// The refill of one returned block; returns 0. Nothing is requeued unless a night plays, nor
// for an index that is not one of the ten blocks. A block the device refuses ends the night.
int RefillBlock(AppState& state, int blockIndex);

// The device took no more blocks: the night ends as 起きます ends it (StopNight) and the
// failure is reported once; the blocks still queued come back without being refilled.
void EndNightOnDeviceFailure(AppState& state);

// The bytes the ear has heard since the device was opened: as the device tells, or those of
// the blocks it handed back when it hands each one back once heard.
uint64_t HeardBytes(OutputStream& stream);

// Resets the device (pending blocks come back and are not refilled).
void ResetStream(AppState& state);

// Loads background music into the music slot. Returns the imported byte length, 0 on failure
// (the previous music, with its path, stays).
int32_t LoadMusicFile(AppState& state, const std::string& path);

// The slot's part of a music load, from audio already imported (its buffer is taken): the
// frames are packed in place to mono or stereo of whole blocks and the slot, tracks and stream
// are set up. False (the previous music untouched, a message reported) when the format cannot
// be read as 16-bit frames or the music is too long for the slot's 32-bit byte counts.
bool StoreMusic(AppState& state, const std::string& path, ImportedAudio& audio,
                const PcmFormat& format);

// Music made ready for the slot away from the night: imported, packed into the slot's buffer
// of whole blocks. Touches no AppState, so it may run on another thread.
struct PreparedMusic
{
    int32_t importedBytes = 0; // the import's byte length; 0 when the file was refused
    std::string path;
    PcmFormat format;
    std::vector<uint8_t> pcm; // the slot's buffer, lengthFrames of `channels` 16-bit samples
    int32_t channels = 2;
};

// The import and the packing; a refusal's messages go to `reporter`.
PreparedMusic PrepareMusic(const std::string& path, Reporter& reporter);
// The packing alone, of audio already imported, in its own buffer, which `out` takes: false,
// with a message, as StoreMusic refuses (the audio is then left as it was).
bool SplitMusic(const std::string& path, ImportedAudio& audio, const PcmFormat& format,
                PreparedMusic& out, Reporter& reporter);
// The music's frames, and its sample heard on `side` (0 left, 1 right) at `frame`.
size_t MusicFrames(const MusicSlot& music);
int16_t MusicSample(const MusicSlot& music, size_t frame, int side);
// Moves prepared music into the slot and sets up the slot, tracks and stream. Quick: nothing is
// copied. Returns the imported byte length, or 0 (nothing changed) for refused music.
int32_t InstallMusic(AppState& state, PreparedMusic prepared);

// Linear gain of a volume in tenths of a decibel, 10^(volume / 200), rounded to single
// precision: the mix multiplies in single precision.
float VolumeGain(double tenthsOfDecibel);

// The peaks the level gauges show: those of the block three places after the one refilled
// last, (lastRefilled + 3) mod 10.
BlockPeak GaugePeaks(const OutputStream& stream);

} // namespace yumo
