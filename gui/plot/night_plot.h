#pragma once
// The night in a picture: the sleep-depth curve over the hours, dream spans, one row of marks
// per activity, roll-overs, the wake window and her call, the sleep timer's end and the spans
// the sound was away. Drawn with QPainter, without a display, by the window's 昨夜の様子
// dialog and by yumo-plot alike. Marks are drawn without smoothing in the exact colours below,
// so that the picture can be read back.

#include <array>
#include <vector>

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

#include "night/night_events.h"
#include "night/night_record.h"
#include "voices/voice_set.h"

class QPainter;

namespace yumo
{

inline constexpr int kNightPlotWidth = 1200;
inline constexpr int kNightPlotHeight = 560;

// The colour of an activity's marks (voice kinds 0-11); built-in silences have no marks.
QColor ActivityColour(int kind);
QColor RollOverColour();
QColor WakeCallColour();
QColor TimerEndColour();
QColor SoundAwayColour();
QColor WakeWindowColour();
QColor DreamColour();

// Where each part of the picture lies for an area of the given size.
struct NightPlotLayout
{
    QRect events;   // the sound's absences, the sleep timer's end, her calls
    QRect depth;    // the depth curve, dream spans behind it
    QRect activity; // twelve rows of marks, one per activity
    QRect rollOver; // the roll-overs' row
    QRect axis;     // the hours
    int RowTop(int kind) const;
    int RowHeight() const;
};
NightPlotLayout LayoutNightPlot(QRect area);

// The row labels, in the language the picture is shown in; Japanese unless told otherwise.
struct NightPlotLabels
{
    QString sound = QStringLiteral("音");
    QString light = QStringLiteral("浅い");
    QString deep = QStringLiteral("深い");
    QString rollOver = QStringLiteral("寝返り");
    // %1: how many lines of the record lie beyond the longest night after its first line.
    QString leftOut = QStringLiteral("最初の行から夜の長さを超える%1行は描いていません");
    std::array<QString, kEditableVoiceKindCount> kinds = JapaneseKindLabels();

    static std::array<QString, kEditableVoiceKindCount> JapaneseKindLabels();
};

// The columns the hours are drawn over at the picture's size: what a record is thinned to.
size_t NightPlotColumns();

// The title: the date and time the record begins (when it is known when it was written) and the
// time it ends, "2024-05-01 23:10 – 07:05" (the date again when the night crosses midnight).
QString NightPlotTitle(const NightRecord& record);

// Draws a record made ready by night/night_record.h. Its span is taken as at most the longest night
// and every loop is bounded by the picture's pixels, whatever the record holds.
void PaintNightPlot(QPainter& painter, QRect area, const NightRecord& record,
                    const NightPlotLabels& labels = {});
QImage DrawNightPlot(const NightRecord& record, const NightPlotLabels& labels = {});

} // namespace yumo
