// What the main window's panes show, and when each must be repainted.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <QPainter>

#include "display/level_gauge.h"
#include "gui/panes/status_panes.h"
#include "gui/texts/texts.h"
#include "gui/window/client_area.h"
#include "gui/window/main_window.h"
#include "gui/window/pane_widget.h"
#include "night/output_stream.h"

namespace yumo
{
namespace
{

constexpr int kCaptionPixels = 14; // slider titles
constexpr int kEndWordPixels = 12; // slider end words
constexpr int kPlaySlot = 2;       // the play-bar slots that have panes
constexpr int kStopSlot = 4;
// Small panes that rarely change are painted whole: a kept face would cost more than it saves.
constexpr PaneFace kSmallPaneFace = PaneFace::Painted;

void PaintBlack(QPainter& painter, int width, int height)
{
    painter.fillRect(0, 0, width, height, Qt::black);
}

// What the position pane shows of a position: the side, the whole degrees and the distance
// to 0.1 m (as printed), so a drift below what the pane shows repaints nothing.
PaneKey PositionKey(bool voiceLoaded, int generation, double azimuth, double elevation,
                    double distance)
{
    const double side = (azimuth == 0 || azimuth == 180) ? 0 : (azimuth < 180 ? 1 : 2);
    const double degrees = std::trunc(azimuth > 180 ? 360 - azimuth : azimuth);
    char shown[32];
    std::snprintf(shown, sizeof shown, "%.1f", distance);
    return {voiceLoaded ? 1.0 : 0.0, static_cast<double>(generation), side, degrees,
            std::trunc(elevation),   std::strtod(shown, nullptr),     0,    0};
}

} // namespace

void MainWindow::InstallPainters()
{
    words_ = TranslatedStatusWords();
    strips_ = LoadPlayBarStrips();
    ClientArea& c = *client_;
    // The companion's picture, black until a frame was drawn; the timer moves it on and asks
    // for a repaint when it changed.
    c.character->SetPainter(
        [this](QPainter& painter, int width, int height) {
            if (!picture_.PaintLast(painter, width, height, state_, shown_))
            {
                PaintBlack(painter, width, height);
            }
        },
        PaneFace::Painted);
    c.clock->SetPainter([this](QPainter& painter, int width, int height) {
        DrawClockPane(painter, width, height, words_, ClockTexts());
    });
    c.gauge->SetPainter([this](QPainter& painter, int width, int height) {
        PaintLevelGauge(painter, width, height, shown_.peaks);
    });
    // The status and position panes stay black while no voice set is loaded.
    c.status->SetPainter([this](QPainter& painter, int width, int height) {
        if (!VoiceLoaded(state_.phase))
        {
            PaintBlack(painter, width, height);
            return;
        }
        PaintStatusPane(painter, width, height, words_, state_.voices.ownerName,
                        shown_.behaviourState, shown_.sleep);
    });
    c.position->SetPainter([this](QPainter& painter, int width, int height) {
        if (!VoiceLoaded(state_.phase) || !shown_.hasPosition)
        {
            PaintBlack(painter, width, height);
            return;
        }
        PaintPositionPane(painter, width, height, words_, shown_.azimuth, shown_.elevation,
                          shown_.distance);
    });
    c.voice.readout->SetPainter(
        [this](QPainter& painter, int width, int height) {
            PaintVolumeReadout(painter, width, height, words_, state_.stream.voiceVolume, false);
        },
        kSmallPaneFace);
    c.music.readout->SetPainter(
        [this](QPainter& painter, int width, int height) {
            PaintVolumeReadout(painter, width, height, words_, state_.stream.musicVolume, true);
        },
        kSmallPaneFace);
    for (size_t i = 0; i < c.personality.size(); ++i)
    {
        const PersonalityRowWidgets& row = c.personality[i];
        const auto caption = [](const std::string& text, int pixels) {
            return [text, pixels](QPainter& painter, int width, int height) {
                PaintCaptionPane(painter, width, height, text, pixels);
            };
        };
        row.caption->SetPainter(caption(words_.sliderCaptions[i], kCaptionPixels), kSmallPaneFace);
        row.leftWord->SetPainter(caption(words_.sliderLeftWords[i], kEndWordPixels),
                                 kSmallPaneFace);
        row.rightWord->SetPainter(caption(words_.sliderRightWords[i], kEndWordPixels),
                                  kSmallPaneFace);
    }
    c.play->SetPainter(
        [this](QPainter& painter, int, int) {
            PaintPlayButton(painter, strips_, kPlaySlot,
                            static_cast<int>(PlayPaneState(state_.phase)));
        },
        kSmallPaneFace);
    c.stop->SetPainter(
        [this](QPainter& painter, int, int) {
            PaintPlayButton(painter, strips_, kStopSlot, NightStarted(state_.phase) ? 1 : 0);
        },
        kSmallPaneFace);
}

ClockPaneTexts MainWindow::ClockTexts() const
{
    const int64_t nightMinutes = state_.gentle.frame / (int64_t{60} * kSampleRate);
    return DescribeClockPane(words_, ReadLocalTime(state_.clock), state_.alarm,
                             NightPlays(state_.phase), TimerMinutesLeft(),
                             static_cast<int>(std::min<int64_t>(nightMinutes, 24 * 60)));
}

// Each pane's key holds what its face shows, so a still pane is not repainted.
void MainWindow::RefreshPanes()
{
    FollowHeard();
    RefreshPaneFaces();
}

void MainWindow::RefreshPaneFaces()
{
    ClientArea& c = *client_;
    const LocalTime now = ReadLocalTime(state_.clock);
    const WakeAlarm& alarm = state_.alarm;
    c.clock->RefreshIfChanged({static_cast<double>(now.hour), static_cast<double>(now.minute),
                               static_cast<double>(now.second), static_cast<double>(alarm.mode),
                               static_cast<double>(alarm.minuteOfDay),
                               NightPlays(state_.phase) ? 1.0 : 0.0, 0,
                               static_cast<double>(TimerMinutesLeft())});
    // The gauge changes with whole segments and lamps, not with every peak.
    const GaugeBars bars = DescribeLevelGauge(c.gauge->width(), shown_.peaks);
    c.gauge->RefreshIfChanged(
        {static_cast<double>(bars.left.segments), static_cast<double>(bars.right.segments),
         static_cast<double>(bars.left.over), static_cast<double>(bars.right.over), 0, 0, 0, 0});
    // The status pane by its words: her depth moves at most choices without changing them.
    c.status->RefreshIfChanged(
        {VoiceLoaded(state_.phase) ? 1.0 : 0.0, static_cast<double>(loadGeneration_),
         static_cast<double>(ClassifyActivity(shown_.behaviourState, shown_.sleep)),
         static_cast<double>(ClassifySleepDepth(shown_.sleep)), 0, 0, 0, 0});
    if (shown_.hasPosition)
    {
        c.position->RefreshIfChanged(PositionKey(VoiceLoaded(state_.phase), loadGeneration_,
                                                 shown_.azimuth, shown_.elevation,
                                                 shown_.distance));
    }
    else
    {
        c.position->RefreshIfChanged(
            PositionKey(VoiceLoaded(state_.phase), loadGeneration_, 0, 0, 0));
    }
    c.voice.readout->RefreshIfChanged({state_.stream.voiceVolume, 0, 0, 0, 0, 0, 0, 0});
    c.music.readout->RefreshIfChanged({state_.stream.musicVolume, 0, 0, 0, 0, 0, 0, 0});
    c.play->RefreshIfChanged(
        {static_cast<double>(PlayPaneState(state_.phase)), 0, 0, 0, 0, 0, 0, 0});
    c.stop->RefreshIfChanged({NightStarted(state_.phase) ? 1.0 : 0.0, 0, 0, 0, 0, 0, 0, 0});
}

} // namespace yumo
