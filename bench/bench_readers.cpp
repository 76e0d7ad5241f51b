// Readers of outside data on large hostile inputs: what a crafted file costs to refuse or read.

#include <benchmark/benchmark.h>
#include <memory>
#include <string>

#include "common/rng.h"
#include "display/animation_script.h"

namespace
{

// A script of the largest size the program reads: one explicit block whose every entry names a
// step outside the table, so each is left out (and counted) as the text goes on line by line.
std::string MakeSkippedEntriesScript(size_t bytes)
{
    std::string text = "0 0 0\n";
    const std::string entry = "200 1 0.5\n";
    while (text.size() + entry.size() + 3 <= bytes)
    {
        text += entry;
    }
    return text + "-1\n";
}

void BM_ParseScriptOfSkippedEntries(benchmark::State& state)
{
    const std::string text = MakeSkippedEntriesScript(static_cast<size_t>(state.range(0)));
    auto table = std::make_unique<yumo::CharacterAnimation>();
    yumo::Rng rng;
    for (auto _ : state)
    {
        yumo::ScriptReading reading = yumo::ParseAnimationScript(text, *table, rng, 1);
        benchmark::DoNotOptimize(reading.skipped);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseScriptOfSkippedEntries)
    ->Arg(256 << 10)
    ->Arg(int64_t{yumo::kMaxScriptBytes})
    ->Unit(benchmark::kMillisecond);

} // namespace
