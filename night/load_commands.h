#pragma once
// Loading voice data and background music as the window's commands do, without the window:
// the file comes as a path instead of from a chooser or a drop.

#include <string>

#include "night/app_state.h"
#include "night/audio_device.h"

namespace yumo
{

// Ends a running night (its queued blocks drain), empties the set and reads the voice-data
// file. On success the voice stands at kStandingPosition, the output stream is opened on
// `device` (closing the one an earlier load opened) and the phase is Loaded: a night may start.
// Returns kOk, or the reader's result (the set is then empty, the phase NoVoice and nothing
// else changes).
int LoadVoiceSet(AppState& state, const std::string& path, AudioDevice& device);

// Ends a running night (its queued blocks drain) and loads background music into the slot
// (LoadMusicFile); a night may start afterwards when voice data is loaded (a drained night is
// then Stopped, without 起きます's resets). Returns the imported byte length, 0 when the
// file was refused (the previous music stays).
int32_t LoadMusic(AppState& state, const std::string& path);

} // namespace yumo
