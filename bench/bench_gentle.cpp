// The gentle stage's cost per 512-frame block: the look-ahead limiter alone, over quiet and
// over loud material, and the whole stage's mix during an equal-power fade, against the
// 11.6 ms a block lasts.

#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>
#include <vector>

#include "audio/peak_limiter.h"
#include "night/app_state.h"
#include "night/gentle_stage.h"

namespace yumo
{
namespace
{

std::vector<float> Tone(double amplitude)
{
    std::vector<float> x(2 * kFramesPerBlock);
    for (int n = 0; n < kFramesPerBlock; ++n)
    {
        const auto s = static_cast<float>(amplitude * std::sin(0.031 * n));
        x[static_cast<size_t>(2 * n)] = s;
        x[static_cast<size_t>(2 * n + 1)] = -s;
    }
    return x;
}

void LimiterPerBlock(benchmark::State& state)
{
    PeakLimiter limiter;
    ResetPeakLimiter(limiter);
    const std::vector<float> source = Tone(static_cast<double>(state.range(0)));
    std::vector<float> block = source;
    for (auto _ : state)
    {
        block = source;
        LimitFrames(limiter, block.data(), kFramesPerBlock);
        benchmark::DoNotOptimize(block.data());
    }
}
// Quiet (never limited) and twice full scale (always limited).
BENCHMARK(LimiterPerBlock)->Arg(8000)->Arg(65000);

// The stage's whole mix of a block: voice gain, fade, limiter; the fade is restarted before it
// ends, so every block pays for its curve.
void FadingMixPerBlock(benchmark::State& state)
{
    SilentReporter reporter;
    std::unique_ptr<AppState> app = CreateAppState(reporter);
    GentleStage& stage = app->gentle;
    stage.settings.fadeFrames = kDefaultFadeFrames;
    stage.settings.limit = state.range(0) == 1;
    ResetGentleStage(stage);
    std::vector<int16_t> voice(2 * kFramesPerBlock);
    for (size_t i = 0; i < voice.size(); ++i)
    {
        voice[i] =
            static_cast<int16_t>(std::lround(9000 * std::sin(0.02 * static_cast<double>(i))));
    }
    std::vector<int16_t> block(voice.size());
    int blocks = 0;
    for (auto _ : state)
    {
        if (++blocks % 200 == 0)
        {
            ResetGentleStage(stage); // a fresh fade-in
        }
        block = voice;
        MixGentleBlock(*app, block.data(), 1.0f, GentleMusic{});
        benchmark::DoNotOptimize(block.data());
    }
}
BENCHMARK(FadingMixPerBlock)->Arg(0)->Arg(1);

} // namespace
} // namespace yumo
