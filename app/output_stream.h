#pragma once
// The output stream: ten blocks kept queued on the device; each returned block is refilled by
// the behaviour, the renderer and the mix, and queued again.

#include <string>

#include "app/app_state.h"
#include "app/audio_device.h"

namespace yumo
{

// Closes the device an earlier load opened, then opens `device` for 44.1 kHz 16-bit stereo
// with block-done notifications that call RefillBlock.
void OpenOutputStream(AppState& state, AudioDevice& device);

// Clears the ten blocks to silence and writes them in index order 0-9.
void PrimeStream(AppState& state);

// The refill of one returned block; returns 0.
int RefillBlock(AppState& state, int blockIndex);

// Resets the device (pending blocks come back and are not refilled).
void ResetStream(AppState& state);

// Loads background music into the music slot. Returns the imported byte length, 0 on failure
// (the previous music, with its path, stays).
int32_t LoadMusicFile(AppState& state, const std::string& path);

} // namespace yumo
