// yumo-window-figures [SECONDS]: starts the program as `yumo` does (from the working directory
// or the data folder beside it) and prints its figures:
//   - start to window shown: from the process's start (kernel clock, 10 ms steps) and from
//     main(), until the window has been painted once;
//   - a full paint of the client area with all its panes at 664 x 622, mean of 200;
//   - CPU of the whole process over SECONDS of a night each with the window shown, minimised
//     and hidden (user + system time, % of one core), and while it is resized continuously;
//   - resident memory now and at its peak.
// Run it with a display and a sound server, e.g. from scripts/window_figures.sh, which also
// records the sound and checks it for breaks.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>
#include <QWindow>

#include "gui/startup.h"
#include "gui/window/client_area.h"

namespace
{

using Seconds = std::chrono::duration<double>;

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Seconds since this process started, from the kernel's record of its start.
double SecondsSinceProcessStart()
{
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // Field 22 (starttime, clock ticks since boot) counts from after the command's ")".
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i)
    {
    }
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double bootSeconds =
        static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
    return bootSeconds - std::stod(field) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

long StatusKilobytes(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
    {
        if (line.rfind(key, 0) == 0)
        {
            return std::strtol(line.c_str() + std::string(key).size(), nullptr, 10);
        }
    }
    return -1;
}

void RunEventLoopFor(double seconds)
{
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

// CPU of the whole process while the event loop runs for `seconds`, in % of one core.
double MeasureCpu(double seconds, const std::function<void()>& during = {})
{
    const double cpuBefore = CpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    if (during)
    {
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, during);
        ticker.start(16);
        RunEventLoopFor(seconds);
    }
    else
    {
        RunEventLoopFor(seconds);
    }
    const double wall = Seconds(std::chrono::steady_clock::now() - wallBefore).count();
    return 100.0 * (CpuSeconds() - cpuBefore) / wall;
}

// Counts the paints each widget of the window receives.
class PaintCounter final : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
        {
            ++counts[watched->objectName().toStdString()];
        }
        return false;
    }
    std::map<std::string, int> counts;
};

class FirstPaint final : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
        {
            painted = true;
        }
        return false;
    }
    bool painted = false;
};

} // namespace

int main(int argc, char** argv)
{
    const double sinceStartAtMain = SecondsSinceProcessStart();
    QElapsedTimer fromMain;
    fromMain.start();
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;

    QApplication application(argc, argv);
    yumo::Program program;
    if (!yumo::StartProgram(application, program))
    {
        return 1;
    }
    yumo::MainWindow& window = *program.window;
    FirstPaint firstPaint;
    window.client().installEventFilter(&firstPaint);
    window.show();
    while (!firstPaint.painted)
    {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    QCoreApplication::processEvents();
    const double shownFromMain = static_cast<double>(fromMain.nsecsElapsed()) / 1e9;
    std::printf("start to window shown: %.0f ms from process start, %.0f ms from main()\n",
                1000.0 * (sinceStartAtMain + shownFromMain), 1000.0 * shownFromMain);

    constexpr int kPaints = 200;
    QImage image(window.client().size(), QImage::Format_RGB32);
    QElapsedTimer paintTimer;
    paintTimer.start();
    for (int i = 0; i < kPaints; ++i)
    {
        QPainter painter(&image);
        window.client().render(&painter);
    }
    std::printf("full paint of the client area at %dx%d: %.3f ms\n", window.client().width(),
                window.client().height(),
                static_cast<double>(paintTimer.nsecsElapsed()) / 1e6 / kPaints);

    std::printf("no night, window shown:  %.2f %% of one core over %.0f s\n",
                MeasureCpu(seconds / 4), seconds / 4);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&window.client(), &enter);
    if (!yumo::NightPlays(program.state->phase))
    {
        std::printf("the night did not start\n");
        return 1;
    }
    PaintCounter paints;
    for (QWidget* widget : window.findChildren<QWidget*>())
    {
        widget->installEventFilter(&paints);
    }
    std::printf("night, window shown:     %.2f %% of one core over %.0f s\n", MeasureCpu(seconds),
                seconds);
    std::printf("paints per second while shown:");
    for (const auto& [name, count] : paints.counts)
    {
        std::printf(" %s %.1f", name.empty() ? "(unnamed)" : name.c_str(), count / seconds);
    }
    std::printf("\n");
    for (QWidget* widget : window.findChildren<QWidget*>())
    {
        widget->removeEventFilter(&paints);
    }
    int step = 0;
    const double resizing = MeasureCpu(seconds / 4, [&] {
        ++step;
        window.resize(600 + (step % 40) * 4, 560 + (step % 30) * 4);
        window.move((step % 50) * 3, (step % 20) * 3);
    });
    std::printf("night, window resized and moved every 16 ms: %.2f %% over %.0f s\n", resizing,
                seconds / 4);
    window.resize(yumo::kDesignClientWidth, window.height());
    window.showMinimized();
    std::printf("night, window minimised: %.2f %% of one core over %.0f s\n", MeasureCpu(seconds),
                seconds);
    window.showNormal();
    window.hide();
    std::printf("night, window hidden:    %.2f %% of one core over %.0f s\n", MeasureCpu(seconds),
                seconds);
    std::printf("resident memory: %ld kB now, %ld kB at the peak\n", StatusKilobytes("VmRSS:"),
                StatusKilobytes("VmHWM:"));
    window.show();
    window.close();
    return 0;
}
