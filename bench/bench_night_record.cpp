// Reads and draws the largest night's record the reader takes (just under its 64 MB limit, 1.5
// million lines, every one a clip of another activity, depth and dream): the picture of a
// hostile record must be done in under 2 s and 100 MB. Reports the process's peak memory.
// Runs without a display (offscreen platform unless QT_QPA_PLATFORM says otherwise).

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QImage>

#include "gui/plot/night_plot.h"
#include "night/night_record.h"

namespace
{

using namespace yumo;

constexpr size_t kLimitBytes = size_t{64} << 20;

std::filesystem::path WriteLargestRecord()
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("bench_night_record_" + std::to_string(getpid()) + ".tsv");
    std::FILE* file = std::fopen(path.c_str(), "w");
    std::fputs(kNightEventsHeader, file);
    size_t size = sizeof kNightEventsHeader - 1;
    char line[128];
    for (uint64_t i = 0;; ++i)
    {
        const int length = std::snprintf(
            line, sizeof line, "%llu\t23:00:00.000\t%d\t0\t%d\t%d\t0\t0\t%d\t0\t0\tclip\n",
            static_cast<unsigned long long>(2 * i), static_cast<int>(i % 12),
            static_cast<int>(i * 7 % 120) - 10, static_cast<int>(i % 2), i % 3 == 0 ? 1 : 0);
        if (size + static_cast<size_t>(length) > kLimitBytes)
        {
            break;
        }
        std::fputs(line, file);
        size += static_cast<size_t>(length);
    }
    std::fclose(file);
    return path;
}

void BM_DrawLargestNightRecord(benchmark::State& state)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "bench_night_record";
    static char* argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
    const std::filesystem::path path = WriteLargestRecord();
    size_t kept = 0;
    for (auto _ : state)
    {
        NightRecord record;
        std::string why;
        if (!ReadNightRecord(path, NightPlotColumns(), record, why))
        {
            state.SkipWithError(why.c_str());
            break;
        }
        kept = record.events.size();
        benchmark::DoNotOptimize(DrawNightPlot(record));
    }
    std::filesystem::remove(path);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["file_MB"] = static_cast<double>(kLimitBytes >> 20);
    state.counters["lines_kept"] = static_cast<double>(kept);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_DrawLargestNightRecord)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
