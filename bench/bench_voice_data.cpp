// Loading and saving a voice set of realistic size: 3 clips of each editable kind, 2 s each
// (88 200 samples, speech-like), the work of the open command and of the editor's save.

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/report.h"
#include "voices/voice_data_file.h"

namespace
{

using namespace yumo;

constexpr int kClipsPerKind = 3;
constexpr size_t kClipSamples = 88200 / 512 * 512 + 512;

// A decaying tone with a little noise: compresses about as poorly as recorded voice.
std::vector<int16_t> MakeClip(uint32_t seed)
{
    std::vector<int16_t> samples(kClipSamples);
    uint32_t x = seed;
    for (size_t i = 0; i < samples.size(); ++i)
    {
        x = x * 1103515245u + 12345u;
        const double tone = 8000.0 * std::sin(0.03 * static_cast<double>(i + seed)) *
                            std::exp(-1e-5 * static_cast<double>(i));
        samples[i] = static_cast<int16_t>(tone + static_cast<double>((x >> 16) % 512) - 256.0);
    }
    return samples;
}

std::unique_ptr<VoiceSet> MakeSet()
{
    auto set = std::make_unique<VoiceSet>();
    StartNewVoiceSet(*set);
    for (int kind = 0; kind < kEditableVoiceKindCount; ++kind)
    {
        for (int position = 0; position < kClipsPerKind; ++position)
        {
            const int slot = ClipSlot(kind, position);
            set->samples[slot] = MakeClip(static_cast<uint32_t>(slot));
            const auto count = static_cast<int32_t>(kClipSamples);
            set->catalog.sampleCount[slot] = count;
            set->catalog.byteSize[slot] = count * 2;
            set->tracks.lengthFrames[slot] = count;
            set->tracks.lengthBytes[slot] = count * 2;
        }
        set->clipCounts[kind] = kClipsPerKind;
    }
    return set;
}

void BM_EncodeVoiceData(benchmark::State& state)
{
    const auto set = MakeSet();
    std::vector<uint8_t> image;
    std::string why;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(EncodeVoiceData(*set, image, why));
    }
    state.SetBytesProcessed(state.iterations() * kEditableVoiceKindCount * kClipsPerKind *
                            static_cast<int64_t>(kClipSamples * 2));
    state.counters["file_bytes"] = static_cast<double>(image.size());
}
BENCHMARK(BM_EncodeVoiceData)->Unit(benchmark::kMillisecond);

void BM_ReadVoiceData(benchmark::State& state)
{
    const auto set = MakeSet();
    std::vector<uint8_t> image;
    std::string why;
    EncodeVoiceData(*set, image, why);
    auto read = std::make_unique<VoiceSet>();
    SilentReporter reporter;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(ReadVoiceDataBytes(image.data(), image.size(), *read, reporter));
    }
    state.SetBytesProcessed(state.iterations() * kEditableVoiceKindCount * kClipsPerKind *
                            static_cast<int64_t>(kClipSamples * 2));
}
BENCHMARK(BM_ReadVoiceData)->Unit(benchmark::kMillisecond);

// The editor's save copies the set on the window's thread and writes the copy on a worker: the
// copy is what holds the window. Realistic set as above, and the same with a 13-minute clip.
void BM_CopyVoiceSet(benchmark::State& state)
{
    const auto set = MakeSet();
    if (state.range(0) != 0)
    {
        set->samples[ClipSlot(kKindSnore, 0)].assign(size_t{44100} * 792 / 512 * 512, 5);
    }
    for (auto _ : state)
    {
        auto copy = std::make_unique<VoiceSet>(*set);
        benchmark::DoNotOptimize(copy.get());
    }
}
BENCHMARK(BM_CopyVoiceSet)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
