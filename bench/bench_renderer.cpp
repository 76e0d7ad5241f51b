// Time per 512-frame block of the binaural renderer: the fast path the CPU selects, each vector
// path the CPU supports, and the scalar definition, measured in the same run on the same data.

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "audio/renderer.h"
#include "common/constants.h"

namespace
{

using yumo::HrirSet;
using yumo::VectorPath;

// A set of measured-looking responses: rows from -40 to 80 degrees every 10 plus the zenith,
// 24 directions per row, each tap decaying noise after an onset delay, scaled so that the sum
// of |taps| is a few times the unity tap 81922.5.
HrirSet MakeBenchmarkSet()
{
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0.0, 1.0);
    HrirSet set;
    set.rowCount = 14;
    for (int row = 0; row < set.rowCount; ++row)
    {
        bool zenith = row == set.rowCount - 1;
        int count = zenith ? 1 : 24;
        set.directionsPerRow.push_back(count);
        for (int column = 0; column < count; ++column)
        {
            yumo::HrirDirection& direction = set.directions[row][column];
            direction.azimuth = column * 15;
            direction.elevation = zenith ? 90 : -40 + 10 * row;
            direction.tapCount = yumo::kHrirTapCount;
            for (auto* taps : {&direction.left, &direction.right})
            {
                int onset = static_cast<int>(random() % 30);
                taps->assign(yumo::kHrirTapCount, 0.0);
                for (int t = onset; t < yumo::kHrirTapCount; ++t)
                {
                    (*taps)[t] = 30000.0 * noise(random) * std::exp(-(t - onset) / 12.0);
                }
            }
        }
    }
    return set;
}

// Ten seconds of speech-like noise at about -12 dBFS.
std::vector<int16_t> MakeBenchmarkClip()
{
    std::mt19937 random(11);
    std::normal_distribution<double> noise(0.0, 8000.0);
    std::vector<int16_t> clip(static_cast<size_t>(yumo::kSampleRate) * 10);
    for (int16_t& sample : clip)
    {
        sample = static_cast<int16_t>(std::clamp(noise(random), -32768.0, 32767.0));
    }
    return clip;
}

template <typename Render> void RunBlocks(benchmark::State& state, Render render)
{
    static const HrirSet set = MakeBenchmarkSet();
    static const std::vector<int16_t> clip = MakeBenchmarkClip();
    std::vector<int16_t> overlapLeft(yumo::kFramesPerBlock), overlapRight(yumo::kFramesPerBlock);
    std::vector<int16_t> destination(2 * yumo::kFramesPerBlock);
    int64_t start = 0;
    double azimuth = 0.0;
    for (auto _ : state)
    {
        render(set, clip.data(), clip.size(), start, azimuth, 0.0, 0.5, 0.3, overlapLeft.data(),
               overlapRight.data(), destination.data());
        benchmark::DoNotOptimize(destination.data());
        start += yumo::kFramesPerBlock;
        if (start >= static_cast<int64_t>(clip.size()))
        {
            start = 0;
        }
        azimuth = std::fmod(azimuth + 7.0, 360.0);
    }
    state.SetItemsProcessed(state.iterations()); // items = blocks
}

void BM_RenderBlockFast(benchmark::State& state)
{
    state.SetLabel(yumo::VectorPathName(yumo::FastestVectorPath()));
    RunBlocks(state, yumo::RenderBinauralBlock);
}

void BM_RenderBlockScalar(benchmark::State& state)
{
    RunBlocks(state, yumo::RenderBinauralBlockScalar);
}

void BM_RenderBlockOnPath(benchmark::State& state)
{
    auto path = static_cast<VectorPath>(state.range(0));
    state.SetLabel(yumo::VectorPathName(path));
    if (!yumo::IsVectorPathSupported(path))
    {
        state.SkipWithError("not supported by this CPU");
        return;
    }
    RunBlocks(state,
              [path](auto&&... args) { return yumo::RenderBinauralBlockOnPath(path, args...); });
}

} // namespace

BENCHMARK(BM_RenderBlockFast)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderBlockScalar)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderBlockOnPath)
    ->Arg(static_cast<int>(VectorPath::Sse2))
    ->Arg(static_cast<int>(VectorPath::Avx2))
    ->Arg(static_cast<int>(VectorPath::Avx512))
    ->Unit(benchmark::kMicrosecond);
