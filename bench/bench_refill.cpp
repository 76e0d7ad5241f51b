// One output refill: the behaviour, the drift, the binaural render and the mix of voice volume,
// music and peaks. The device notifies every 11.6 ms; the refill must stay far below that and
// allocate nothing.

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <unistd.h>

#include "audio/renderer.h"
#include "common/atomic_file.h"
#include "common/byte_io.h"
#include "common/wav_writer.h"
#include "night/app_state.h"
#include "night/behaviour.h"
#include "night/music_slot.h"
#include "night/offline_device.h"
#include "night/output_stream.h"
#include "tools/figures/allocation_counter.h"

namespace yumo
{
namespace
{

uint32_t NextNoise(uint32_t& x)
{
    x = x * 1664525u + 1013904223u;
    return x >> 16;
}

// A measured-size set: 14 rows of 72 directions (every 5 degrees) and the zenith, 128 taps of
// decaying noise per ear.
HrirSet MakeBenchHrirSet()
{
    HrirSet set;
    set.rowCount = 15;
    uint32_t seed = 7;
    for (int row = 0; row < set.rowCount; ++row)
    {
        const int count = row == 14 ? 1 : 72;
        set.directionsPerRow.push_back(count);
        for (int column = 0; column < count; ++column)
        {
            HrirDirection& d =
                set.directions[static_cast<size_t>(row)][static_cast<size_t>(column)];
            d.azimuth = row == 14 ? 0 : column * 5;
            d.elevation = row == 14 ? 90 : -40 + row * 10;
            d.tapCount = kHrirTapCount;
            d.left.resize(kHrirTapCount);
            d.right.resize(kHrirTapCount);
            for (int t = 0; t < kHrirTapCount; ++t)
            {
                const double decay = 8000.0 / (1 + t);
                d.left[static_cast<size_t>(t)] =
                    (static_cast<int>(NextNoise(seed) % 2001) - 1000) * decay / 1000;
                d.right[static_cast<size_t>(t)] =
                    (static_cast<int>(NextNoise(seed) % 2001) - 1000) * decay / 1000;
            }
        }
    }
    return set;
}

std::vector<int16_t> MakeNoiseClip(size_t frames, uint32_t seed, int amplitude)
{
    std::vector<int16_t> clip(frames);
    for (int16_t& s : clip)
    {
        s = static_cast<int16_t>(
            static_cast<int>(NextNoise(seed) % static_cast<uint32_t>(2 * amplitude + 1)) -
            amplitude);
    }
    return clip;
}

struct BenchNight
{
    SilentReporter reporter;
    std::unique_ptr<AppState> state;
    OfflineDevice device;
};

// A night in full flow: every editable kind has a 20-second clip of noise, so nearly every
// block renders; with `music`, two minutes of stereo music are mixed under the voice.
std::unique_ptr<BenchNight> StartBenchNight(bool music)
{
    auto night = std::make_unique<BenchNight>();
    night->state = CreateAppState(night->reporter);
    AppState& state = *night->state;
    state.hrir = MakeBenchHrirSet();
    for (int kind = 0; kind <= kKindWakeCall; ++kind)
    {
        const int slot = ClipSlot(kind, 0);
        std::vector<int16_t> clip =
            MakeNoiseClip(20 * kSampleRate / kFramesPerBlock * kFramesPerBlock,
                          static_cast<uint32_t>(kind + 1), 6000);
        state.voices.clipCounts[kind] = 1;
        state.voices.tracks.lengthFrames[slot] = static_cast<int32_t>(clip.size());
        state.voices.tracks.lengthBytes[slot] = static_cast<int32_t>(clip.size() * 2);
        state.voices.samples[slot] = std::move(clip);
    }
    state.phase = NightPhase::Loaded;
    state.stream.voiceVolume = 35;
    SetClockTime(state.clock, LocalTime{23, 0, 10});
    OpenOutputStream(state, night->device);
    if (music)
    {
        const std::vector<int16_t> samples = MakeNoiseClip(2 * 120 * kSampleRate, 99, 9000);
        const std::filesystem::path path =
            std::filesystem::temp_directory_path() /
            ("yumo-bench-music-" + std::to_string(getpid()) + ".wav");
        WriteFileAtomically(path, MakeWavImage(samples.data(), samples.size(), 2, kSampleRate));
        LoadMusicFile(state, path.string());
        std::filesystem::remove(path);
        state.stream.musicVolume = -60;
    }
    StartNight(state);
    return night;
}

void ReportBlocks(benchmark::State& bench, long allocationsBefore)
{
    const long allocations = CountedAllocations() - allocationsBefore;
    bench.SetItemsProcessed(bench.iterations());
    bench.counters["allocations"] = benchmark::Counter(static_cast<double>(allocations));
    bench.counters["realtime_x"] =
        benchmark::Counter(static_cast<double>(bench.iterations()) * kFramesPerBlock / kSampleRate,
                           benchmark::Counter::kIsRate);
}

// One returned block refilled: sequence, drift, render, volume, music, peaks, requeue.
void BM_RefillBlock(benchmark::State& bench)
{
    auto night = StartBenchNight(bench.range(0) == 1);
    const long before = CountedAllocations();
    for (auto _ : bench)
    {
        PumpOfflineDevice(night->device);
    }
    ReportBlocks(bench, before);
}
BENCHMARK(BM_RefillBlock)->Arg(0)->Arg(1)->ArgName("music");

// The same refill in a built-in silence with music: everything but the render.
void BM_RefillBlockWithoutRender(benchmark::State& bench)
{
    auto night = StartBenchNight(true);
    AppState& state = *night->state;
    state.voices.tracks.lengthFrames[ClipSlot(kKindBuiltInSilence, 0)] = 1 << 30;
    state.behaviourState = kKindBuiltInSilence;
    state.clipIndex = 0;
    const long before = CountedAllocations();
    for (auto _ : bench)
    {
        PumpOfflineDevice(night->device);
    }
    ReportBlocks(bench, before);
}
BENCHMARK(BM_RefillBlockWithoutRender);

// The renderer alone on the same set, for comparison.
void BM_RenderOnly(benchmark::State& bench)
{
    const HrirSet set = MakeBenchHrirSet();
    const std::vector<int16_t> clip = MakeNoiseClip(1 << 20, 3, 6000);
    std::array<int16_t, 1024> left{};
    std::array<int16_t, 1024> right{};
    std::array<int16_t, 1024> out{};
    int64_t start = 0;
    for (auto _ : bench)
    {
        RenderBinauralBlock(set, clip.data(), clip.size(), start, 90, -40, 0.3, 0.3, left.data(),
                            right.data(), out.data());
        benchmark::DoNotOptimize(out.data());
        start = (start + kFramesPerBlock) % (1 << 19);
    }
    bench.SetItemsProcessed(bench.iterations());
}
BENCHMARK(BM_RenderOnly);

} // namespace
} // namespace yumo
