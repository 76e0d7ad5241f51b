// Import speed: WAV copying and padding, MP3 decoding with and without resampling.
// "realtime" is seconds of audio imported per second of wall time.

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

#include "common/byte_io.h"
#include "common/wav_writer.h"
#include "import/mp3_import.h"
#include "import/wav_import.h"

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

} // namespace
