// yumo-load-figures [MP3]: the main window's figures for a long music file dropped on it during a
// night, as a user meets them. A 30-minute MP3 (the frames of tests/data/mp3/stereo_44k.mp3
// repeated) is dropped as music while a night plays on the silent real-time device; printed are
// the time until the music is in, the longest stall of the window's thread meanwhile (the
// longest gap between two turns of a 1 ms probe timer; the stream keeps 116 ms queued, and a
// stall past 50 ms is what a load must not cause), whether the night went on until then, the
// memory the load took at its peak against the music's own size (the music is read from its
// file as it plays, so only the decoder and the worker's ring), how many blocks of the next
// night's first second had no music ready, and the time the same load holds a thread when done
// in one piece.
//
//   cd build && QT_QPA_PLATFORM=offscreen PULSE_SERVER=unix:/none ./yumo-load-figures

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include <QApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "gui/startup.h"
#include "night/load_commands.h"
#include "tools/figures/repeated_mp3.h"

namespace
{

using namespace yumo;

constexpr double kThirtyMinutes = 1800.0;

// A line of /proc/self/status in MiB ("VmHWM", "VmRSS").
double StatusMiB(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line))
    {
        if (line.rfind(prefix, 0) == 0)
        {
            return std::atof(line.c_str() + prefix.size()) / 1024.0;
        }
    }
    return 0;
}

// The peak is counted from here on (Linux 4.0 on).
void ResetPeak()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
}

void DropFile(MainWindow& window, const std::filesystem::path& path)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path.string()))});
    const QPointF at(100, 100);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
}

struct Stall
{
    double totalMs = 0;
    double longestMs = 0;
};

// Runs `act` and the event loop until `done` (and `atLeastMs` have passed), timing the probe's
// gaps.
template <typename Act, typename Done> Stall Measure(Act act, Done done, double atLeastMs = 0)
{
    Stall stall;
    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(1);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        stall.longestMs =
            std::max(stall.longestMs, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6);
        sinceTick.restart();
        if (done() && static_cast<double>(clock.nsecsElapsed()) / 1e6 >= atLeastMs)
        {
            QApplication::exit(0);
        }
    });
    clock.start();
    sinceTick.start();
    probe.start();
    act(); // its own time counts as a stall too
    QApplication::exec();
    stall.totalMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    return stall;
}

void Print(const char* what, const Stall& stall)
{
    std::printf("%-36s %8.1f ms in all, window's thread stalled at most %6.1f ms\n", what,
                stall.totalMs, stall.longestMs);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const std::string source =
        argc > 1 ? argv[1] : std::string(YUMO_SOURCE_DIR) + "/tests/data/mp3/stereo_44k.mp3";
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("yumo-load-figures-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::filesystem::path music = dir / "thirty_minutes.mp3";
    if (!WriteRepeatedMp3(source, kThirtyMinutes, music))
    {
        std::fprintf(stderr, "could not make a 30-minute MP3 from %s\n", source.c_str());
        return 1;
    }

    Program program;
    if (!StartProgram(application, program))
    {
        return 1;
    }
    MainWindow& window = *program.window;
    AppState& state = *program.state;
    window.show();
    window.StartNightCommand();
    if (!NightPlays(state.phase))
    {
        std::fprintf(stderr, "the night did not start (no voice data in the data folder?)\n");
        return 1;
    }

    // What the machine itself does to the probe: the figures below are read against it.
    Print("a night, nothing dropped, a second", Measure([] {}, [] { return true; }, 1000));
    const double rssBefore = StatusMiB("VmRSS");
    ResetPeak();
    bool nightWentOn = true;
    const Stall drop = Measure([&] { DropFile(window, music); },
                               [&] {
                                   if (state.music.loadCount == 0 && !NightPlays(state.phase))
                                   {
                                       nightWentOn = false;
                                   }
                                   return state.music.loadCount > 0;
                               });
    const double peakRise = StatusMiB("VmHWM") - rssBefore;
    Print("a 30-minute MP3 dropped as music", drop);
    const double musicMiB = static_cast<double>(state.music.lengthBytes) / (1024.0 * 1024.0);
    std::printf("%-36s %8.1f s of music, %.0f MiB decoded\n", "  the music",
                static_cast<double>(state.music.lengthFrames) / 44100.0, musicMiB);
    std::printf("%-36s %8s\n", "  the night went on until it was in", nightWentOn ? "yes" : "no");
    std::printf("%-36s %8.0f MiB at the peak, %.3f times the music\n", "  memory the load took",
                peakRise, peakRise / musicMiB);
    // The load ends the night; the next one hears the music from its first block, unless the
    // worker had nothing ready for it.
    const Stall heard = Measure([&] { window.StartNightCommand(); },
                                [&] { return state.music.cursorFrames >= 44100; });
    std::printf("%-36s %8llu of %lld (none: heard at once)\n", "  blocks without music",
                static_cast<unsigned long long>(state.music.stream->DryBlocks()),
                static_cast<long long>(state.music.cursorFrames / 512));
    (void)heard;

    // The same load in one piece on this thread: what the window's thread was held before.
    QElapsedTimer once;
    once.start();
    const int64_t bytes = InstallMusicLoad(state, PrepareMusicLoad(music.string()));
    std::printf("%-36s %8.1f ms\n", "  the same load in one piece",
                static_cast<double>(once.nsecsElapsed()) / 1e6);

    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    return bytes > 0 ? 0 : 1;
}
