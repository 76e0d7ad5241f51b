#include "night/load_commands.h"

#include <filesystem>
#include <system_error>

#include "common/results.h"
#include "night/behaviour.h"
#include "night/output_stream.h"
#include "voices/voice_data_file.h"

namespace yumo
{
namespace
{

// A load during a night lets the queued blocks play out: the refill stops requeuing.
void DrainRunningNight(AppState& state)
{
    if (NightPlays(state.phase))
    {
        DrainNight(state);
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
    const int result = ReadVoiceDataFile(path, state.voices, *state.reporter);
    if (result != kOk)
    {
        EnterNightPhase(state, NightPhase::NoVoice); // nothing to start, nothing to close
        return result;
    }
    PlaceVoiceBesideListener(state.blockTracks);
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    state.voiceDataPath = error ? path : absolute.lexically_normal().string();
    OpenOutputStream(state, device);
    EnterNightPhase(state, NightPhase::Loaded);
    return kOk;
}

int32_t LoadMusic(AppState& state, const std::string& path)
{
    DrainRunningNight(state);
    const int32_t bytes = LoadMusicFile(state, path);
    // A night drained or ended by itself may be followed by a new one, as after 起きます;
    // music alone, without voice data, starts nothing.
    if (NightStarted(state.phase))
    {
        EnterNightPhase(state, NightPhase::Stopped);
    }
    return bytes;
}

} // namespace yumo
