// How long the response set takes to look up (once per rendered block, on the audio path) and
// to load (once at start-up), on a set the size of the measured KEMAR head.

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "audio/hrir_set.h"

namespace
{

// 13 rows of 56-72 directions and the zenith: 710 directions, as the default head.
yumo::HrirSet MakeHeadSizedSet()
{
    const int counts[13] = {56, 60, 72, 72, 72, 72, 72, 60, 56, 45, 36, 24, 12};
    yumo::HrirSet set;
    set.leadingValue = 710;
    set.rowCount = 14;
    for (int r = 0; r < 14; ++r)
    {
        const int count = r < 13 ? counts[r] : 1;
        set.directionsPerRow.push_back(count);
        for (int j = 0; j < count; ++j)
        {
            yumo::HrirDirection& d = set.directions[r][j];
            d.azimuth = j * 360 / count;
            d.elevation = r < 13 ? -40 + 10 * r : 90;
            d.tapCount = yumo::kHrirTapCount;
            d.left.assign(yumo::kHrirTapCount, 0.0);
            d.right.assign(yumo::kHrirTapCount, 0.0);
            for (int k = 0; k < yumo::kHrirTapCount; ++k)
            {
                d.left[k] = 9000.0 * std::sin(0.37 * k + j) * std::exp(-k / 30.0);
                d.right[k] = 7000.0 * std::cos(0.41 * k + r) * std::exp(-k / 25.0);
            }
        }
    }
    return set;
}

void BM_FindHrirDirection(benchmark::State& state)
{
    const yumo::HrirSet set = MakeHeadSizedSet();
    double azimuth = 0.0;
    double elevation = -45.0;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(yumo::FindHrirDirection(set, azimuth, elevation));
        azimuth = azimuth >= 359.0 ? 0.0 : azimuth + 1.37;
        elevation = elevation >= 90.0 ? -45.0 : elevation + 0.71;
    }
}
BENCHMARK(BM_FindHrirDirection);

void BM_ParseHrirSetFile(benchmark::State& state)
{
    const std::vector<uint8_t> bytes = yumo::SerializeHrirSet(MakeHeadSizedSet());
    yumo::HrirSet set;
    std::string why;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(yumo::ParseHrirSetFile(bytes, set, why));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ParseHrirSetFile)->Unit(benchmark::kMillisecond);

void BM_ImportHrirText(benchmark::State& state)
{
    const yumo::HrirSet source = MakeHeadSizedSet();
    std::string elevations = "710\n";
    std::string azimuths;
    std::string lefts;
    std::string rights;
    char number[40];
    for (int r = 0; r < source.rowCount; ++r)
    {
        for (int j = 0; j < source.directionsPerRow[r]; ++j)
        {
            const yumo::HrirDirection& d = source.directions[r][j];
            elevations += std::to_string(d.elevation) + "\n";
            azimuths += std::to_string(d.azimuth) + "\n";
            for (int k = 0; k < yumo::kHrirTapCount; ++k)
            {
                std::snprintf(number, sizeof number, "%.17g\n", d.left[k]);
                lefts += number;
                std::snprintf(number, sizeof number, "%.17g\n", d.right[k]);
                rights += number;
            }
        }
    }
    yumo::HrirSet set;
    std::string why;
    for (auto _ : state)
    {
        std::istringstream e(elevations);
        std::istringstream a(azimuths);
        std::istringstream l(lefts);
        std::istringstream r(rights);
        benchmark::DoNotOptimize(yumo::ImportHrirText(e, a, l, r, set, why));
    }
    state.SetBytesProcessed(static_cast<int64_t>(
        state.iterations() * (elevations.size() + azimuths.size() + lefts.size() + rights.size())));
}
BENCHMARK(BM_ImportHrirText)->Unit(benchmark::kMillisecond);

} // namespace
