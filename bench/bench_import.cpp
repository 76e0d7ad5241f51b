// Import speed: WAV copying and padding, MP3 decoding with and without resampling, and the
// editor's whole add of a ten-minute MP3 (file read, decode, conversion to a clip), which is
// what would hold the window's thread if it ran there.
// "realtime" is seconds of audio imported per second of wall time.

#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "common/byte_io.h"
#include "common/wav_writer.h"
#include "import/mp3_import.h"
#include "import/wav_import.h"
#include "voices/add_clip.h"

namespace
{

// The test fixtures, found from this file's own place in the source tree.
std::string FixturePath(const std::string& name)
{
    std::string source = __FILE__;
    return source.substr(0, source.rfind('/')) + "/../tests/data/mp3/" + name;
}

// A fixture's 0.2 s repeated to `copies` times its length: its first frame (the encoder's
// information frame, whose frame count would cut decoding short) is dropped and the rest of the
// frames repeated.
std::vector<uint8_t> RepeatedFixture(const std::string& name, int copies)
{
    std::vector<uint8_t> bytes;
    yumo::ReadWholeFile(FixturePath(name), bytes, 1 << 20);
    yumo::Mp3File file;
    if (yumo::ReadMp3Bytes(bytes, file) != yumo::Mp3HeaderProblem::None)
    {
        return {};
    }
    auto frames = bytes.begin() + static_cast<long>(file.audioOffset + file.descriptor.blockSize);
    std::vector<uint8_t> out;
    for (int i = 0; i < copies; ++i)
    {
        out.insert(out.end(), frames, bytes.end());
    }
    return out;
}

void BM_ImportWavBytes(benchmark::State& state)
{
    constexpr size_t kFrames = 44100 * 60; // one minute of stereo
    std::vector<int16_t> samples(kFrames * 2, 1234);
    std::vector<uint8_t> image = yumo::MakeWavImage(samples.data(), samples.size(), 2, 44100);
    yumo::SilentReporter reporter;
    for (auto _ : state)
    {
        yumo::ImportedAudio audio;
        yumo::PcmFormat format;
        benchmark::DoNotOptimize(yumo::ImportWavBytes(image, audio, format, reporter));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * image.size()));
    state.counters["realtime"] = benchmark::Counter(60.0 * static_cast<double>(state.iterations()),
                                                    benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ImportWavBytes)->Unit(benchmark::kMillisecond);

void BM_ImportMp3Bytes(benchmark::State& state, const std::string& name)
{
    std::vector<uint8_t> bytes = RepeatedFixture(name, 50); // about 10 s
    if (bytes.empty())
    {
        state.SkipWithError("fixture missing");
        return;
    }
    yumo::SilentReporter reporter;
    double seconds = 0;
    for (auto _ : state)
    {
        yumo::ImportedAudio audio;
        yumo::PcmFormat format;
        int32_t length = yumo::ImportMp3Bytes(bytes, audio, format, reporter);
        benchmark::DoNotOptimize(length);
        seconds = format.avgBytesPerSecond == 0 ? 0 : double(length) / format.avgBytesPerSecond;
    }
    state.counters["realtime"] = benchmark::Counter(
        seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(BM_ImportMp3Bytes, stereo_44k_decode, std::string("stereo_44k.mp3"));
BENCHMARK_CAPTURE(BM_ImportMp3Bytes, stereo_24k_decode_resample, std::string("stereo_24k.mp3"));

// Ten minutes of MP3 written to a file, then imported and converted as the editor's 追加 does.
// The figure to compare with the 50 ms a refill may wait is the wall time of one iteration.
void BM_AddTenMinuteMp3(benchmark::State& state, const std::string& name)
{
    constexpr int kCopies = 3000; // 0.2 s each
    const std::vector<uint8_t> bytes = RepeatedFixture(name, kCopies);
    char path[] = "/tmp/yumo_bench_XXXXXX.mp3"; // the extension picks the MP3 import
    const int fd = mkstemps(path, 4);
    if (bytes.empty() || fd < 0 ||
        write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
    {
        state.SkipWithError("could not write the ten-minute file");
        return;
    }
    close(fd);
    yumo::SilentReporter reporter;
    double seconds = 0;
    for (auto _ : state)
    {
        yumo::VoiceSet set;
        if (yumo::AddVoiceClip(set, yumo::kKindSnore, path, reporter) != yumo::AddClipResult::Added)
        {
            state.SkipWithError("the add failed");
            break;
        }
        seconds = set.catalog.sampleCount[yumo::ClipSlot(yumo::kKindSnore, 0)] / 44100.0;
    }
    std::remove(path);
    state.counters["audio_s"] = seconds;
}
BENCHMARK_CAPTURE(BM_AddTenMinuteMp3, stereo_44k, std::string("stereo_44k.mp3"))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_AddTenMinuteMp3, stereo_24k_resample, std::string("stereo_24k.mp3"))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// The two parts of an add of ten minutes of stereo: the conversion (mix-down and padding), and
// the append to the set, the only part that must run on the window's thread.
yumo::ImportedAudio MakeTenMinuteStereo()
{
    yumo::ImportedAudio audio;
    audio.buffer.assign(size_t{44100} * 600 * 4, 0x21);
    audio.byteLength = static_cast<int32_t>(audio.buffer.size());
    audio.allocated = true;
    return audio;
}

void BM_ConvertTenMinuteClip(benchmark::State& state)
{
    const yumo::ImportedAudio audio = MakeTenMinuteStereo();
    const yumo::PcmFormat format{1, 2, 44100, 44100 * 4, 4, 16, 0};
    yumo::SilentReporter reporter;
    for (auto _ : state)
    {
        std::vector<int16_t> samples;
        benchmark::DoNotOptimize(yumo::ConvertImportToClip(audio, format, samples, reporter));
    }
}
BENCHMARK(BM_ConvertTenMinuteClip)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_AppendTenMinuteClip(benchmark::State& state)
{
    yumo::SilentReporter reporter;
    auto set = std::make_unique<yumo::VoiceSet>();
    for (auto _ : state)
    {
        state.PauseTiming();
        set->clipCounts[yumo::kKindSnore] = 0;
        set->samples[yumo::ClipSlot(yumo::kKindSnore, 0)] = {}; // a new clip fills an empty slot
        std::vector<int16_t> samples(size_t{44100} * 600 / 512 * 512, 7);
        state.ResumeTiming();
        benchmark::DoNotOptimize(yumo::AppendClipSamples(*set, yumo::kKindSnore, std::move(samples),
                                                         u"x.mp3", reporter));
    }
}
BENCHMARK(BM_AppendTenMinuteClip)->Unit(benchmark::kMicrosecond)->Iterations(5);

} // namespace
