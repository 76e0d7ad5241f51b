#pragma once
// Painting of the main window's status panes. Each paint function draws its pane whole, a pane
// of width x height at (0, 0) of `painter`, from the values it is given; the texts and the
// gauge's geometry come from the Qt-free display/ library. A pane of no area paints nothing.
// The window paints the status and position panes only while a voice set is loaded.

#include <cstdint>
#include <string>

#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPainter>

#include "common/clock.h"
#include "display/status_texts.h"
#include "night/app_state.h"
#include "voices/voice_set.h"

namespace yumo
{

// The regular pane font of `pixelSize`, made smaller (down to 9 pixels) until `text` fits
// `width`: the volume readouts and slider captions are longer in English than in Japanese.
QFont FittedPaneFont(const QString& text, int pixelSize, int width);
void PaintClockPane(QPainter& painter, int width, int height, const StatusWords& words,
                    const LocalTime& now, const WakeAlarm& alarm, bool nightPlays,
                    int timerMinutesLeft = 0);
// The clock pane with texts described already (DescribeClockPane).
void DrawClockPane(QPainter& painter, int width, int height, const StatusWords& words,
                   const ClockPaneTexts& texts);
// The lamps are red while the block's bar reaches the end of its scale.
void PaintLevelGauge(QPainter& painter, int width, int height, BlockPeak peaks);
void PaintStatusPane(QPainter& painter, int width, int height, const StatusWords& words,
                     const VoiceText& ownerName, int32_t behaviourState, const SleepRecord& sleep);
void PaintPositionPane(QPainter& painter, int width, int height, const StatusWords& words,
                       double azimuth, double elevation, double distance);
// VolDisp / BGMDisp: "声: %2.1lfdB" / "BGM: %2.1lfdB" of volume / 10.
void PaintVolumeReadout(QPainter& painter, int width, int height, const StatusWords& words,
                        double volumeTenths, bool music);
// A slider caption (14 px) or end word (12 px), black, from the top-left corner.
void PaintCaptionPane(QPainter& painter, int width, int height, const std::string& text,
                      int pixelSize);

// PBBAR, PBBARON, PBBARP: 256 x 32, eight 32 x 32 icons (skip to start, rewind, play, pause,
// stop, fast forward, skip to end, repeat) greyed, on raised buttons, on pressed buttons.
struct PlayBarStrips
{
    QImage normal, raised, pressed;
};
PlayBarStrips LoadPlayBarStrips();
// The 32 x 32 icon `slot` (2 play, 4 stop) of the strip that `slotState` (0, 1, 2) selects.
// A slot without an icon paints nothing; an unknown state shows the greyed strip.
void PaintPlayButton(QPainter& painter, const PlayBarStrips& strips, int slot, int slotState);

QFont PaneFont(int pixelSize, int weight); // IPAGothic at a pixel size; 600 = semibold (bold)
QIcon YumoIcon();                          // YUMO_ICON

// Registers the artwork compiled into yumo_gui (the strips and the icon). The loaders above
// call it themselves; the window may call it once at start-up as well.
void InitGuiResources();

} // namespace yumo
