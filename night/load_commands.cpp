#include "night/load_commands.h"

#include <filesystem>
#include <system_error>

#include "common/results.h"
#include "night/output_stream.h"
#include "voices/voice_data_file.h"

namespace yumo
{
namespace
{

// A load during a night lets the queued blocks play out: the refill stops requeuing.
void DrainRunningNight(AppState& state)
{
    if (state.idle == 0)
    {
        state.idle = 1;
        state.stream.peaks.fill(BlockPeak{});
        state.stream.overLeft = false;
        state.stream.overRight = false;
    }
}

void PlaceVoiceBesideListener(BlockTracks& tracks)
{
    const double position[3] = {kStandingPosition.azimuth, kStandingPosition.elevation,
                                kStandingPosition.distance};
    for (int t : {kTrackAzimuth, kTrackElevation, kTrackDistance})
    {
        if (tracks.values[t].empty())
        {
            tracks.values[t].assign(1, 0.0);
            tracks.positions[t].assign(1, 0);
            tracks.counts[t] = 1;
        }
        tracks.values[t][0] = position[t];
    }
}

} // namespace

int LoadVoiceSet(AppState& state, const std::string& path, AudioDevice& device)
{
    DrainRunningNight(state);
    ClearVoiceClips(state.voices);
    state.voices.ownerName.fill(0);
    state.voiceLoaded = 0;
    const int result = ReadVoiceDataFile(path, state.voices, *state.reporter);
    if (result != kOk)
    {
        return result;
    }
    PlaceVoiceBesideListener(state.blockTracks);
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    state.voiceDataPath = error ? path : absolute.lexically_normal().string();
    state.voiceLoaded = 1;
    OpenOutputStream(state, device);
    state.startAllowed = 1;
    state.menuState = MenuState::Loaded;
    state.repaintPending = 1;
    return kOk;
}

int32_t LoadMusic(AppState& state, const std::string& path)
{
    DrainRunningNight(state);
    const int32_t bytes = LoadMusicFile(state, path);
    state.startAllowed = 1;
    state.repaintPending = 1;
    return bytes;
}

} // namespace yumo
