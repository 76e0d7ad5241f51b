#pragma once
// Loading voice data and background music as the window's commands do, without the window:
// the file comes as a path instead of from a chooser or a drop.

#include <memory>
#include <string>
#include <vector>

#include "common/report.h"
#include "night/app_state.h"
#include "night/audio_device.h"
#include "night/music_slot.h"
#include "night/output_stream.h"

namespace yumo
{

// A load is two steps: the slow one (reading and checking the file, importing and splitting the
// music) touches no AppState and may run on another thread while the night goes on; the quick
// one, on the night's thread, puts the result in place and reports the messages the slow one
// kept. LoadVoiceSet and LoadMusic do both at once.

struct PreparedVoiceData
{
    int result = 0;                    // kOk, or the reader's result
    std::unique_ptr<VoiceSet> set;     // the file's set; emptied (built-in kinds only) on failure
    std::string path;                  // as given
    std::vector<UserMessage> messages; // what the reader reported
};

PreparedVoiceData PrepareVoiceData(const std::string& path);
// Ends a running night (its queued blocks drain) and replaces the set with the prepared one;
// then as LoadVoiceSet. Returns the reader's result.
int InstallVoiceData(AppState& state, PreparedVoiceData prepared, AudioDevice& device);

struct PreparedMusicLoad
{
    PreparedMusic music;
    std::vector<UserMessage> messages;
};

PreparedMusicLoad PrepareMusicLoad(const std::string& path);
// Ends a running night (its queued blocks drain) and, when the music was not refused, puts it
// into the slot; a night may start afterwards. Returns the imported byte length, 0 when refused.
int64_t InstallMusicLoad(AppState& state, PreparedMusicLoad prepared);

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
int64_t LoadMusic(AppState& state, const std::string& path);

} // namespace yumo
