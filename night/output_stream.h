#pragma once
// The output stream: ten blocks kept queued on the device; each returned block is refilled by
// the behaviour, the renderer and the mix, and queued again.

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
    // The music's worker fell behind: this block, the first of a run, mixes no music.
    virtual void OnMusicDry(const AppState&) {}
    // The music file could no longer be read: the music has ended for this night.
    virtual void OnMusicEnded(const AppState&) {}
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

// Linear gain of a volume in tenths of a decibel, 10^(volume / 200), rounded to single
// precision: the mix multiplies in single precision.
float VolumeGain(double tenthsOfDecibel);

// The peaks the level gauges show: those of the block three places after the one refilled
// last, (lastRefilled + 3) mod 10.
BlockPeak GaugePeaks(const OutputStream& stream);

} // namespace yumo
