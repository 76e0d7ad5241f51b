// yumo-sound-figures: plays a quiet tone through an output device the way a night does (ten
// 2048-byte blocks queued, each refilled when it comes back) and prints what the device costs
// and how well its notifications follow the ear:
//   - how long after its last byte was heard (by the sink's played position) a block came back;
//   - the pace of the returns against the wall clock;
//   - the CPU time of the program per second of audio (busy load threads excluded);
//   - operator-new allocations per block once running;
//   - underruns: the server's stream ran dry.
//
//   yumo-sound-figures [--seconds N] [--load THREADS] [--silent] [--unwatched]
//
// --load starts that many busy threads at normal priority for the whole run, to show whether
// the stream runs dry while the CPU is loaded. --silent measures the output without a sound
// server (it keeps the pace in silence).
// --unwatched plays as the window's night output does: blocks come back when the sink has
// them, so the lag behind the ear is negative (they come back ahead of it).

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <pthread.h>
#include <sys/resource.h>
#include <thread>
#include <vector>

#include <QCoreApplication>
#include <QTimer>

#include "common/constants.h"
#include "gui/sound/sound_device.h"
#include "tools/figures/allocation_counter.h"

namespace
{

using namespace yumo;
using Clock = std::chrono::steady_clock;

struct Options
{
    int seconds = 60;
    int loadThreads = 0;
    bool silent = false;
    bool unwatched = false;
};

bool ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i)
    {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--seconds") == 0 && hasValue)
        {
            options.seconds = std::atoi(argv[++i]);
        }
        else if (std::strcmp(argv[i], "--load") == 0 && hasValue)
        {
            options.loadThreads = std::atoi(argv[++i]);
        }
        else if (std::strcmp(argv[i], "--silent") == 0)
        {
            options.silent = true;
        }
        else if (std::strcmp(argv[i], "--unwatched") == 0)
        {
            options.unwatched = true;
        }
        else
        {
            return false;
        }
    }
    return options.seconds > 2 && options.loadThreads >= 0;
}

double CpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The CPU time the given threads have used so far.
double ThreadsCpuSeconds(std::vector<std::thread>& threads)
{
    double total = 0;
    for (std::thread& thread : threads)
    {
        clockid_t clock{};
        timespec used{};
        if (pthread_getcpuclockid(thread.native_handle(), &clock) == 0 &&
            clock_gettime(clock, &used) == 0)
        {
            total += static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
        }
    }
    return total;
}

// Busy work until told to stop.
void Burn(const std::atomic<bool>& stop)
{
    volatile double x = 1.0;
    while (!stop.load(std::memory_order_relaxed))
    {
        for (int i = 0; i < 100000; ++i)
        {
            x = std::sqrt(x + 1.0);
        }
    }
}

double Mean(const std::vector<double>& values)
{
    double sum = 0;
    for (double value : values)
    {
        sum += value;
    }
    return values.empty() ? 0.0 : sum / static_cast<double>(values.size());
}

double Percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
    {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const auto index = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1));
    return values[index];
}

// The stream's part: ten blocks, each refilled with the next 512 frames of a quiet tone.
struct Player
{
    AudioDevice* device = nullptr;
    SoundOutput* card = nullptr; // for the played position, when it is the device
    std::array<std::array<int16_t, kFramesPerBlock * kOutputChannels>, kOutputBlockCount> blocks{};
    std::array<uint64_t, kOutputBlockCount> ends{}; // timeline position of each block's end
    uint64_t written = 0;
    double phase = 0;
    bool refill = true;
    bool measuring = false;
    long returns = 0;
    long measuredReturns = 0;
    long refusedWrites = 0;
    std::vector<double> lagMilliseconds; // reserved up front: no allocation per block

    void Write(int index)
    {
        auto& block = blocks[static_cast<size_t>(index)];
        for (int n = 0; n < kFramesPerBlock; ++n)
        {
            // 440 Hz at -40 dBFS: audible on a sound card, not loud.
            const auto sample = static_cast<int16_t>(328.0 * std::sin(phase));
            phase += 2.0 * 3.141592653589793 * 440.0 / kSampleRate;
            block[static_cast<size_t>(2 * n)] = sample;
            block[static_cast<size_t>(2 * n + 1)] = sample;
        }
        phase = std::fmod(phase, 2.0 * 3.141592653589793);
        written += kBytesPerBlock;
        ends[static_cast<size_t>(index)] = written;
        if (!device->Write(index, block.data(), kBytesPerBlock))
        {
            ++refusedWrites;
            refill = false;
        }
    }

    void OnDone(int index)
    {
        ++returns;
        if (measuring)
        {
            ++measuredReturns;
            if (card != nullptr && lagMilliseconds.size() < lagMilliseconds.capacity())
            {
                const double lagBytes = static_cast<double>(card->PlayedPosition()) -
                                        static_cast<double>(ends[static_cast<size_t>(index)]);
                lagMilliseconds.push_back(lagBytes * 1000.0 / (kSampleRate * 4));
            }
        }
        if (refill)
        {
            Write(index);
        }
    }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    Options options;
    if (!ParseOptions(argc, argv, options))
    {
        std::fprintf(stderr, "usage: yumo-sound-figures [--seconds N>2] [--load THREADS] "
                             "[--silent] [--unwatched]\n");
        return 2;
    }

    if (options.silent)
    {
        setenv("PULSE_SERVER", "unix:/nonexistent/no-sound-server", 1);
    }
    SoundOutput card;
    Player player;
    player.device = &card;
    player.card = options.silent ? nullptr : &card;
    player.lagMilliseconds.reserve(static_cast<size_t>(options.seconds) * 100);
    card.SetWatched(!options.unwatched);
    const PcmFormat format{1, 2, kSampleRate, kSampleRate * 4, 4, 16, 0};
    if (!player.device->Open(format, [&player](int index) { player.OnDone(index); }))
    {
        std::fprintf(stderr, "the %s did not open\n", "sound output");
        return 1;
    }

    std::atomic<bool> stopLoad{false};
    std::vector<std::thread> load;
    for (int i = 0; i < options.loadThreads; ++i)
    {
        load.emplace_back(Burn, std::cref(stopLoad));
    }

    // The first two seconds (the sink starting, caches warming) are not measured.
    Clock::time_point measureStart;
    double cpuStart = 0;
    double loadStart = 0;
    long allocationsStart = 0;
    uint64_t underrunsStart = 0;
    for (int i = 0; i < kOutputBlockCount; ++i)
    {
        player.Write(i);
    }
    QTimer::singleShot(2000, [&] {
        measureStart = Clock::now();
        cpuStart = CpuSeconds(RUSAGE_SELF);
        loadStart = ThreadsCpuSeconds(load);
        allocationsStart = yumo::CountedAllocations();
        underrunsStart = card.Underruns();
        player.measuring = true;
    });
    double measuredSeconds = 0;
    double cpuSeconds = 0;
    double loadSeconds = 0;
    long allocations = 0;
    uint64_t underruns = 0;
    QTimer::singleShot(options.seconds * 1000, [&] {
        measuredSeconds = std::chrono::duration<double>(Clock::now() - measureStart).count();
        cpuSeconds = CpuSeconds(RUSAGE_SELF) - cpuStart;
        loadSeconds = ThreadsCpuSeconds(load) - loadStart;
        allocations = yumo::CountedAllocations() - allocationsStart;
        underruns = card.Underruns() - underrunsStart;
        player.measuring = false;
        player.refill = false;
        application.quit();
    });
    application.exec();
    stopLoad = true;
    for (std::thread& thread : load)
    {
        thread.join();
    }
    const double deviceCpu = std::max(0.0, cpuSeconds - loadSeconds);
    const double audioSeconds =
        static_cast<double>(player.measuredReturns) * kFramesPerBlock / kSampleRate;

    std::printf("output                 %s", options.silent ? "silent device\n" : "sound server");
    if (!options.silent)
    {
        std::printf(" (stream buffer %lld ms%s)\n",
                    static_cast<long long>(kServerBufferMilliseconds.count()),
                    card.OnServer() ? "" : "; no server: played silently");
    }
    std::printf("load threads           %d\n", options.loadThreads);
    std::printf("watched                %s\n",
                options.unwatched ? "no (as the window's night)" : "yes");
    std::printf("measured               %.2f s of audio in %.2f s (pace %.4f)\n", audioSeconds,
                measuredSeconds, measuredSeconds > 0 ? audioSeconds / measuredSeconds : 0.0);
    if (!options.silent)
    {
        std::printf("returned after heard   mean %.2f ms, median %.2f, 99%% %.2f, max %.2f, "
                    "min %.2f\n",
                    Mean(player.lagMilliseconds), Percentile(player.lagMilliseconds, 0.5),
                    Percentile(player.lagMilliseconds, 0.99),
                    Percentile(player.lagMilliseconds, 1.0),
                    Percentile(player.lagMilliseconds, 0.0));
    }
    std::printf("CPU                    %.3f ms per second of audio (%.3f %% of one core)\n",
                audioSeconds > 0 ? deviceCpu * 1000.0 / audioSeconds : 0.0,
                measuredSeconds > 0 ? deviceCpu * 100.0 / measuredSeconds : 0.0);
    std::printf("allocations per block  %.3f (operator new, whole program)\n",
                player.measuredReturns > 0
                    ? static_cast<double>(allocations) / static_cast<double>(player.measuredReturns)
                    : 0.0);
    if (!options.silent)
    {
        std::printf("underruns              %llu\n", static_cast<unsigned long long>(underruns));
    }
    std::printf("refused writes         %ld\n", player.refusedWrites);
    player.device->Close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return player.refusedWrites == 0 ? 0 : 1;
}
