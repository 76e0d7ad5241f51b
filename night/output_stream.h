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

// Resets the device (pending blocks come back and are not refilled).
void ResetStream(AppState& state);

// Loads background music into the music slot. Returns the imported byte length, 0 on failure
// (the previous music, with its path, stays).
int32_t LoadMusicFile(AppState& state, const std::string& path);

// The slot's part of a music load, from audio already imported: the samples are split into
// left and right arrays of whole blocks and the slot, tracks and stream are set up. False (the
// previous music untouched, a message reported) when the format cannot be read as 16-bit
// frames or the music is too long for the slot's 32-bit byte counts.
bool StoreMusic(AppState& state, const std::string& path, const ImportedAudio& audio,
                const PcmFormat& format);

// Music made ready for the slot away from the night: imported, split into the slot's left and
// right arrays of whole blocks. Touches no AppState, so it may run on another thread.
struct PreparedMusic
{
    int32_t importedBytes = 0; // the import's byte length; 0 when the file was refused
    std::string path;
    PcmFormat format;
    std::vector<int16_t> left; // the slot's arrays, lengthFrames each
    std::vector<int16_t> right;
};

// The import and the split; a refusal's messages go to `reporter`.
PreparedMusic PrepareMusic(const std::string& path, Reporter& reporter);
// The split alone, of audio already imported: false, with a message, as StoreMusic refuses.
bool SplitMusic(const std::string& path, const ImportedAudio& audio, const PcmFormat& format,
                PreparedMusic& out, Reporter& reporter);
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
