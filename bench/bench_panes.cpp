// Paints the status panes at their sizes for a client of 664 x 622, as the window's paint does
// 25 times a second. The window's whole paint must stay within 2 ms; this is the panes' share.
// Runs without a display (offscreen platform unless QT_QPA_PLATFORM says otherwise).

#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <string>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "common/rng.h"
#include "display/window_layout.h"
#include "gui/panes/status_panes.h"

namespace
{

using namespace yumo;

void EnsureApplication()
{
    if (QCoreApplication::instance() == nullptr)
    {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "bench_panes";
        static char* argv[] = {name, nullptr};
        static QGuiApplication application(argc, argv);
    }
}

// A night in progress: a named owner, snoring, a loud block, a set alarm.
struct PaneScene
{
    StatusWords words = DefaultStatusWords();
    WindowLayout layout = ComputeWindowLayout(kDesignClientWidth, kDesignClientHeight);
    VoiceText owner{};
    WakeAlarm alarm;
    SleepRecord sleep;
    PlayBarStrips strips = LoadPlayBarStrips();

    PaneScene()
    {
        const std::u16string name = u"ゆもね";
        std::copy(name.begin(), name.end(), owner.begin());
        alarm.mode = kWakeUserSet;
        alarm.minuteOfDay = 7 * 60;
        sleep.depth = 60;
    }
};

QImage PaneImage(const PaneRect& rect)
{
    return QImage(rect.width, rect.height, QImage::Format_ARGB32_Premultiplied);
}

// Each pane is painted through its own painter, as each pane widget paints its own surface.
template <typename Paint> void PaintInto(QImage& image, Paint&& paint)
{
    QPainter painter(&image);
    paint(painter, image.width(), image.height());
}

struct PaneImages
{
    QImage clock, gauge, status, position, voice, music, play, stop;
    std::array<QImage, 12> captions;

    explicit PaneImages(const WindowLayout& layout)
        : clock(PaneImage(layout.clock)), gauge(PaneImage(layout.gauge)),
          status(PaneImage(layout.status)), position(PaneImage(layout.position)),
          voice(PaneImage(layout.voice.readout)), music(PaneImage(layout.music.readout)),
          play(PaneImage(layout.play)), stop(PaneImage(layout.stop))
    {
        for (size_t row = 0; row < layout.personality.size(); ++row)
        {
            captions[3 * row] = PaneImage(layout.personality[row].caption);
            captions[3 * row + 1] = PaneImage(layout.personality[row].leftWord);
            captions[3 * row + 2] = PaneImage(layout.personality[row].rightWord);
        }
    }
};

void PaintClock(PaneScene& scene, PaneImages& images, int tick)
{
    PaintInto(images.clock, [&](QPainter& p, int w, int h) {
        PaintClockPane(p, w, h, scene.words, {23, tick % 60, tick % 60}, scene.alarm, false);
    });
}

void PaintGauge(PaneScene&, PaneImages& images, int tick)
{
    const double peak = 1000.0 + (tick * 997) % 31000;
    const auto paintGauge = [&](QPainter& p, int w, int h) {
        PaintLevelGauge(p, w, h, {peak, 32000 - peak});
    };
    PaintInto(images.gauge, paintGauge);
}

void PaintStatus(PaneScene& scene, PaneImages& images, int)
{
    PaintInto(images.status, [&](QPainter& p, int w, int h) {
        PaintStatusPane(p, w, h, scene.words, scene.owner, 4, scene.sleep);
    });
}

// A name too long for its line is shortened by bisection at every paint.
void PaintStatusLongOwner(PaneScene& scene, PaneImages& images, int)
{
    VoiceText owner{};
    owner.fill(u'夢');
    owner.back() = 0;
    PaintInto(images.status, [&](QPainter& p, int w, int h) {
        PaintStatusPane(p, w, h, scene.words, owner, 4, scene.sleep);
    });
}

// A new azimuth at every paint: 100 texts in turn, none of them seen lately.
void PaintPosition(PaneScene& scene, PaneImages& images, int tick)
{
    PaintInto(images.position, [&](QPainter& p, int w, int h) {
        PaintPositionPane(p, w, h, scene.words, 60 + tick % 100, -10, 0.3);
    });
}

// As her voice drifts: a degree up or down from the last one, as the night's drift moves it.
void PaintPositionDrifting(PaneScene& scene, PaneImages& images, int tick)
{
    static Rng rng;
    static double azimuth = 60;
    azimuth += DrawRandom(rng) % 2 == 0 ? 1 : -1;
    azimuth = std::clamp(azimuth, 40.0, 80.0);
    (void)tick;
    PaintInto(images.position, [&](QPainter& p, int w, int h) {
        PaintPositionPane(p, w, h, scene.words, azimuth, -10, 0.3);
    });
}

void PaintSmallPanes(PaneScene& scene, PaneImages& images, int)
{
    PaintInto(images.voice, [&](QPainter& p, int w, int h) {
        PaintVolumeReadout(p, w, h, scene.words, 125, false);
    });
    PaintInto(images.music, [&](QPainter& p, int w, int h) {
        PaintVolumeReadout(p, w, h, scene.words, -300, true);
    });
    for (size_t row = 0; row < 4; ++row)
    {
        const std::string* texts[] = {&scene.words.sliderCaptions[row],
                                      &scene.words.sliderLeftWords[row],
                                      &scene.words.sliderRightWords[row]};
        for (size_t i = 0; i < 3; ++i)
        {
            PaintInto(images.captions[3 * row + i], [&](QPainter& p, int w, int h) {
                PaintCaptionPane(p, w, h, *texts[i], i == 0 ? 14 : 12);
            });
        }
    }
    PaintInto(images.play, [&](QPainter& p, int, int) { PaintPlayButton(p, scene.strips, 2, 2); });
    PaintInto(images.stop, [&](QPainter& p, int, int) { PaintPlayButton(p, scene.strips, 4, 1); });
}

void PaintAll(PaneScene& scene, PaneImages& images, int tick)
{
    PaintClock(scene, images, tick);
    PaintGauge(scene, images, tick);
    PaintStatus(scene, images, tick);
    PaintPosition(scene, images, tick);
    PaintSmallPanes(scene, images, tick);
}

template <void (*Paint)(PaneScene&, PaneImages&, int)> void BM_Panes(benchmark::State& state)
{
    EnsureApplication();
    PaneScene scene;
    PaneImages images(scene.layout);
    int tick = 0;
    for (auto _ : state)
    {
        Paint(scene, images, tick++);
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_Panes<PaintAll>)->Name("AllStatusPanes_664x622")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Panes<PaintClock>)->Name("ClockPane")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Panes<PaintGauge>)->Name("LevelGauge")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Panes<PaintStatus>)->Name("StatusPane")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Panes<PaintStatusLongOwner>)
    ->Name("StatusPaneLongOwner")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Panes<PaintPosition>)->Name("PositionPane")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Panes<PaintPositionDrifting>)
    ->Name("PositionPaneDrifting")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Panes<PaintSmallPanes>)
    ->Name("ReadoutsCaptionsButtons")
    ->Unit(benchmark::kMicrosecond);

} // namespace
