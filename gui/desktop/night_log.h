#pragma once
// The window's record of a night, for the night's picture: every clip she starts and the wake
// window's opening, recorded from inside the refill without allocating, and kept after the
// night in ~/.local/state/yumo/last-night.tsv (one file, the previous night's replaced).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <QString>

#include "night/app_state.h"
#include "night/night_events.h"

namespace yumo
{

class NightLog
{
public:
    // A night has started: its first clip is the one StartNight chose.
    void Begin(const AppState& state);
    // The refill started a clip.
    void Clip(const AppState& state);
    // A moment of the night that is not a clip (the sound going away or coming back).
    void Mark(const AppState& state, std::string_view event);
    bool recording() const { return recording_; }
    // Stops recording and hands over what was recorded.
    std::vector<NightEvent> Finish();

private:
    uint32_t NowMs(const AppState& state) const;
    uint64_t BlockAt(uint32_t nowMs) const;

    NightEventRecorder recorder_;
    bool recording_ = false;
    uint32_t startMs_ = 0;
};

// $XDG_STATE_HOME/yumo/last-night.tsv, ~/.local/state/yumo/last-night.tsv without it.
QString LastNightPath();
// Writes the events there through the atomic writer, making the folder first. False, with `why`
// (a core text: TranslateCoreText), when it cannot be written.
bool WriteLastNight(const std::vector<NightEvent>& events, std::string& why);

} // namespace yumo
