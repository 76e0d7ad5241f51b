// yumo-tool night: a whole night through the real pipeline (behaviour, drift, renderer, mix) on
// the offline device, written to a WAV file, with an optional log of every clip chosen.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "audio/hrir_set.h"
#include "common/atomic_file.h"
#include "common/results.h"
#include "common/wav_writer.h"
#include "night/app_state.h"
#include "night/behaviour.h"
#include "night/load_commands.h"
#include "night/night_events.h"
#include "night/offline_device.h"
#include "night/output_stream.h"
#include "tools/command.h"
#include "tools/night_options.h"
#include "tools/plot_runner.h"

namespace yumo::tool
{
namespace
{

constexpr int kSecondsPerDay = 24 * 60 * 60;

// Local time of day after `k` blocks came back: whole seconds, wrapping at midnight.
LocalTime ClockAfterBlocks(int startSeconds, uint64_t k)
{
    const uint64_t elapsed = uint64_t{kFramesPerBlock} * k / kSampleRate;
    const int seconds = static_cast<int>((static_cast<uint64_t>(startSeconds) + elapsed) %
                                         static_cast<uint64_t>(kSecondsPerDay));
    return LocalTime{seconds / 3600, seconds / 60 % 60, seconds % 60};
}

// The night's events, with the clock the night sees after each block.
class EventLog final : public ClipObserver, public GentleObserver
{
public:
    EventLog(int startSeconds, const uint64_t& returnedBlocks)
        : recorder_(4096, SIZE_MAX), startSeconds_(startSeconds), returnedBlocks_(returnedBlocks)
    {
    }

    void OnClipChosen(const AppState& state) override
    {
        recorder_.RecordClip(state, returnedBlocks_, ClockMs());
    }

    void OnMusicDry(const AppState& state) override
    {
        recorder_.Record(state, returnedBlocks_, ClockMs(), kEventMusicDry);
    }
    void OnMusicEnded(const AppState& state) override
    {
        recorder_.Record(state, returnedBlocks_, ClockMs(), kEventMusicEnded);
    }

    // The gentle stage's fades and the sleep timer's end, with the current values.
    void OnGentleMark(const AppState& state, GentleMark mark) override
    {
        recorder_.Record(state, returnedBlocks_, ClockMs(), GentleMarkName(mark));
    }

    uint32_t ClockMs() const
    {
        const uint64_t k = returnedBlocks_;
        const uint64_t ms = uint64_t{static_cast<uint32_t>(startSeconds_)} * 1000 +
                            uint64_t{kFramesPerBlock} * 1000 * k / kSampleRate;
        return static_cast<uint32_t>(ms % (uint64_t{kSecondsPerDay} * 1000));
    }

    const std::vector<NightEvent>& Events() const { return recorder_.Events(); }

private:
    NightEventRecorder recorder_;
    int startSeconds_;
    const uint64_t& returnedBlocks_;
};

// Counts of what a night held, for the closing summary.
class NightTally final : public ClipObserver
{
public:
    explicit NightTally(ClipObserver* next) : next_(next) {}

    void OnClipChosen(const AppState& state) override
    {
        Count(state);
        if (next_ != nullptr)
        {
            next_->OnClipChosen(state);
        }
    }
    void OnMusicDry(const AppState& state) override
    {
        if (next_ != nullptr)
        {
            next_->OnMusicDry(state);
        }
    }
    void OnMusicEnded(const AppState& state) override
    {
        if (next_ != nullptr)
        {
            next_->OnMusicEnded(state);
        }
    }

    void Count(const AppState& state)
    {
        ++clips;
        if (state.behaviourState >= 0 && state.behaviourState < kVoiceKindCount)
        {
            ++perKind[static_cast<size_t>(state.behaviourState)];
        }
        if (clips > 1 && state.sleep.facing != lastFacing)
        {
            ++rollOvers;
        }
        lastFacing = state.sleep.facing;
        minDepth = std::min(minDepth, state.sleep.depth);
        maxDepth = std::max(maxDepth, state.sleep.depth);
    }

    uint64_t clips = 0;
    std::array<uint64_t, kVoiceKindCount> perKind{};
    uint64_t rollOvers = 0;
    int32_t lastFacing = 0;
    int32_t minDepth = 1000;
    int32_t maxDepth = -1000;

private:
    ClipObserver* next_;
};

// Level figures of the written output: peak and the longest run of full-scale samples.
struct OutputMeter
{
    int peak = 0;
    std::array<uint64_t, 2> run{};
    uint64_t longestRun = 0;
};

void MeterBlock(OutputMeter& meter, const int16_t* samples, size_t count)
{
    // Whole blocks of a fixed size, which the compiler keeps on vectors, then any rest.
    constexpr size_t kChunk = kFramesPerBlock * kOutputChannels;
    int peak = 0;
    size_t done = 0;
    for (; done + kChunk <= count; done += kChunk)
    {
        const int16_t* chunk = samples + done;
        for (size_t i = 0; i < kChunk; ++i)
        {
            const int s = chunk[i];
            peak = std::max(peak, s < 0 ? -s : s);
        }
    }
    for (; done < count; ++done)
    {
        const int s = samples[done];
        peak = std::max(peak, s < 0 ? -s : s);
    }
    meter.peak = std::max(meter.peak, peak);
    if (peak < 32767)
    {
        meter.run = {0, 0};
        return;
    }
    // Runs of full-scale samples per channel, carried across blocks.
    for (size_t i = 0; i < count; ++i)
    {
        const int s = samples[i];
        uint64_t& run = meter.run[i % 2];
        run = (s < 0 ? -s : s) >= 32767 ? run + 1 : 0;
        meter.longestRun = std::max(meter.longestRun, run);
    }
}

void ShowProgress(uint64_t written, uint64_t total)
{
    constexpr int kWidth = 40;
    const int filled = static_cast<int>(written * kWidth / std::max<uint64_t>(total, 1));
    const uint64_t seconds = written * kFramesPerBlock / kSampleRate;
    std::fprintf(stderr, "\r[%.*s%*s] %3d%% %02llu:%02llu:%02llu", filled,
                 "########################################", kWidth - filled, "",
                 static_cast<int>(written * 100 / std::max<uint64_t>(total, 1)),
                 static_cast<unsigned long long>(seconds / 3600),
                 static_cast<unsigned long long>(seconds / 60 % 60),
                 static_cast<unsigned long long>(seconds % 60));
}

bool LoadResponseSet(const std::string& path, HrirSet& set, std::string& why)
{
    std::string problem;
    if (ReadHrirSetFile(path, set, problem) == HrirFileStatus::Ok)
    {
        return true;
    }
    why = "response set: " + problem;
    return false;
}

void ApplyOptions(AppState& state, const NightOptions& options)
{
    state.personality.netsuki = options.sliders[0];
    state.personality.suimin = options.sliders[1];
    state.personality.nezou = options.sliders[2];
    state.personality.neoki = options.sliders[3];
    state.stream.voiceVolume = options.voiceVolume;
    state.stream.musicVolume = options.musicVolume;
    GentleSettings& gentle = state.gentle.settings;
    gentle.fadeFrames = static_cast<int>(std::lround(options.fadeSeconds * kSampleRate));
    gentle.timerFadeFrames = gentle.fadeFrames > 0 ? gentle.fadeFrames : kDefaultFadeFrames;
    gentle.sleepTimerFrames =
        static_cast<int64_t>(std::llround(options.sleepTimerMinutes * 60 * kSampleRate));
    gentle.wakeRampFrames = static_cast<int>(std::lround(options.wakeRampSeconds * kSampleRate));
    gentle.limit = options.limit;
    gentle.mono = options.mono;
    gentle.swap = options.swap;
    if (options.hasWake)
    {
        state.alarm.mode = kWakeUserSet;
        state.alarm.hour = options.wakeMinute / 60;
        state.alarm.minute = options.wakeMinute % 60;
        state.alarm.pm = state.alarm.hour >= 12 ? 1 : 0;
        state.alarm.minuteOfDay = options.wakeMinute;
    }
}

void PrintSummary(const NightOptions& options, const AppState& state, const WavWriter& writer,
                  uint64_t blocks, const NightTally& tally, const OutputMeter& meter)
{
    const double seconds = static_cast<double>(blocks) * kFramesPerBlock / kSampleRate;
    const char* form = writer.dataBytes > kMaxRiffDataBytesWithJunk ? "RF64" : "RIFF";
    std::printf("wrote %s: %llu blocks, %.3f s, %s\n", options.outPath.c_str(),
                static_cast<unsigned long long>(blocks), seconds, form);
    // A wake time she had not yet called for kept the night going past its ten hours.
    const bool keptForHerCall = state.alarm.mode == kWakeUserSet &&
                                state.sleep.calledForMinute == state.alarm.minuteOfDay &&
                                seconds > 10 * 3600;
    std::printf("night: %s\n", state.phase == NightPhase::Stopped ? "ended by the sleep timer"
                               : state.behaviourState != kStateNotAsleep
                                   ? "still running when the output was complete"
                               : keptForHerCall
                                   ? "ended by itself after her wake-up call, past ten hours"
                                   : "ended by itself after ten hours");
    std::printf("clips chosen: %llu, roll-overs: %llu, depth %d to %d\n",
                static_cast<unsigned long long>(tally.clips),
                static_cast<unsigned long long>(tally.rollOvers), tally.minDepth, tally.maxDepth);
    std::printf("per state:");
    for (int kind = 0; kind < kVoiceKindCount; ++kind)
    {
        if (tally.perKind[static_cast<size_t>(kind)] > 0)
        {
            std::printf(" %d:%llu", kind,
                        static_cast<unsigned long long>(tally.perKind[static_cast<size_t>(kind)]));
        }
    }
    std::printf("\npeak: %d, longest full-scale run: %llu samples\n", meter.peak,
                static_cast<unsigned long long>(meter.longestRun));
}

// The picture is drawn from the events file; without --events, from a temporary one.
int PlotEvents(const NightOptions& options, const std::vector<NightEvent>& events)
{
    if (!options.eventsPath.empty())
    {
        return RunPlotProgram(options.eventsPath, options.plotPath);
    }
    std::string temp = (std::filesystem::temp_directory_path() / "yumo-night-XXXXXX").string();
    const int fd = mkstemp(temp.data());
    if (fd < 0)
    {
        return Refuse("cannot make a temporary events file for the picture");
    }
    close(fd);
    const int status = WriteNightEventsFile(temp, events)
                           ? RunPlotProgram(temp, options.plotPath)
                           : Refuse("cannot write a temporary events file for the picture");
    std::error_code error;
    std::filesystem::remove(temp, error);
    return status;
}

int RunNight(const std::vector<std::string>& args)
{
    NightOptions options;
    std::string problem;
    if (!ParseNightOptions(args, options, problem))
    {
        return UsageError("", "night", problem);
    }
    if (options.hrirPath.empty())
    {
        options.hrirPath = FindDefaultHrirPath();
        if (options.hrirPath.empty())
        {
            return Refuse("no response set: give --hrir, or place data/hrtf/head01.bir beside "
                          "yumo-tool's folder or hrtf/head01.bir in the working directory");
        }
    }

    StderrReporter reporter;
    std::unique_ptr<AppState> state = CreateAppState(reporter);
    std::string why;
    if (!LoadResponseSet(options.hrirPath, state->hrir, why))
    {
        return Refuse(why);
    }
    OfflineDevice device;
    const int voiceResult = LoadVoiceSet(*state, options.voicePath, device);
    if (voiceResult == kFileNotOpened)
    {
        return Refuse("cannot open voice-data file " + options.voicePath);
    }
    if (voiceResult != kOk)
    {
        return Refuse("voice-data file " + options.voicePath + " is damaged");
    }
    if (!options.musicPath.empty() && LoadMusic(*state, options.musicPath) == 0)
    {
        return Refuse("cannot use music file " + options.musicPath);
    }
    ApplyOptions(*state, options);

    uint64_t returned = 0;
    SetClockTime(state->clock, ClockAfterBlocks(options.startSeconds, 0));
    AtomicFile events;
    if (!options.eventsPath.empty() && !OpenAtomicFile(events, options.eventsPath))
    {
        return Refuse("cannot write events file " + options.eventsPath + ": " +
                      DescribeAtomicFileFailure(events));
    }
    const bool withEvents = !options.eventsPath.empty() || !options.plotPath.empty();
    EventLog log(options.startSeconds, returned);
    NightTally tally(withEvents ? &log : nullptr);
    state->stream.clipObserver = &tally;
    state->gentle.observer = withEvents ? &log : nullptr;

    StartNight(*state);
    if (!NightPlays(state->phase))
    {
        return Refuse("the night did not start: the voice set has no good-night clip that can "
                      "play (none, or its stored play position is at its end)");
    }
    tally.OnClipChosen(*state);

    const uint64_t totalBlocks = BlocksForMinutes(options.minutes);
    WavWriter writer;
    const WavLayout layout = totalBlocks * kBytesPerBlock > kMaxWavDataBytes ? WavLayout::Rf64Ready
                                                                             : WavLayout::Canonical;
    if (!OpenWavWriter(writer, options.outPath, kOutputChannels, kSampleRate, layout))
    {
        return Refuse("cannot write " + options.outPath + ": " +
                      DescribeAtomicFileFailure(writer.file));
    }

    const bool progress = isatty(fileno(stderr)) == 1;
    const uint64_t progressStep = std::max<uint64_t>(totalBlocks / 200, 1);
    OutputMeter meter;
    AppState& night = *state;
    device.sink = [&](const int16_t* data, size_t byteCount) {
        WriteWavSamples(writer, data, byteCount / kBytesPerSample);
        MeterBlock(meter, data, byteCount / kBytesPerSample);
        ++returned;
        SetClockTime(night.clock, ClockAfterBlocks(options.startSeconds, returned));
        // Enough blocks are queued to reach the length, or the disk refused one: stop
        // requeuing, and let what is queued play out.
        if (device.writtenBlocks >= totalBlocks || writer.failed)
        {
            DrainNight(night);
        }
        if (progress && returned % progressStep == 0)
        {
            ShowProgress(returned, totalBlocks);
        }
    };
    while (PumpOfflineDevice(device))
    {
    }
    if (progress)
    {
        ShowProgress(returned, std::max(returned, totalBlocks));
        std::fputc('\n', stderr);
    }

    // The events are committed only after the output, so a failed night replaces neither.
    if (!CloseWavWriter(writer))
    {
        return Refuse("writing " + options.outPath + " failed (" +
                      DescribeAtomicFileFailure(writer.file) + "); nothing was replaced");
    }
    if (!options.eventsPath.empty() && !CommitNightEvents(events, log.Events()))
    {
        return Refuse("writing events file " + options.eventsPath + " failed (" +
                      DescribeAtomicFileFailure(events) + ")");
    }
    PrintSummary(options, night, writer, returned, tally, meter);
    if (!options.plotPath.empty())
    {
        return PlotEvents(options, log.Events());
    }
    return kExitOk;
}

const CommandRegistration kNight{Command{"", "night", kNightUsage, kNightSummary, RunNight}};

} // namespace
} // namespace yumo::tool
