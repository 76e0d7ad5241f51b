#include "night/load_commands.h"

#include <filesystem>
#include <system_error>

#include "common/results.h"
#include "night/behaviour.h"
#include "night/music_slot.h"
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

PreparedVoiceData PrepareVoiceData(const std::string& path)
{
    PreparedVoiceData prepared;
    prepared.path = path;
    prepared.set = std::make_unique<VoiceSet>();
    CapturingReporter reporter;
    prepared.result = ReadVoiceDataFile(path, *prepared.set, reporter);
    prepared.messages = std::move(reporter.messages);
    return prepared;
}

int InstallVoiceData(AppState& state, PreparedVoiceData prepared, AudioDevice& device)
{
    DrainRunningNight(state);
    state.voices = std::move(*prepared.set);
    prepared.set.reset();
    for (const UserMessage& message : prepared.messages)
    {
        state.reporter->Report(message);
    }
    if (prepared.result != kOk)
    {
        EnterNightPhase(state, NightPhase::NoVoice); // nothing to start, nothing to close
        return prepared.result;
    }
    PlaceVoiceBesideListener(state.blockTracks);
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(prepared.path, error);
    state.voiceDataPath = error ? prepared.path : absolute.lexically_normal().string();
    OpenOutputStream(state, device);
    EnterNightPhase(state, NightPhase::Loaded);
    return kOk;
}

int LoadVoiceSet(AppState& state, const std::string& path, AudioDevice& device)
{
    return InstallVoiceData(state, PrepareVoiceData(path), device);
}

PreparedMusicLoad PrepareMusicLoad(const std::string& path)
{
    PreparedMusicLoad prepared;
    CapturingReporter reporter;
    prepared.music = PrepareMusic(path, reporter);
    prepared.messages = std::move(reporter.messages);
    return prepared;
}

int64_t InstallMusicLoad(AppState& state, PreparedMusicLoad prepared)
{
    DrainRunningNight(state);
    for (const UserMessage& message : prepared.messages)
    {
        state.reporter->Report(message);
    }
    const int64_t bytes = InstallMusic(state, std::move(prepared.music));
    // A night drained or ended by itself may be followed by a new one, as after 起きます;
    // music alone, without voice data, starts nothing.
    if (NightStarted(state.phase))
    {
        EnterNightPhase(state, NightPhase::Stopped);
    }
    return bytes;
}

int64_t LoadMusic(AppState& state, const std::string& path)
{
    return InstallMusicLoad(state, PrepareMusicLoad(path));
}

} // namespace yumo
