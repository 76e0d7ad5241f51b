#include <QRect>
#include <QString>

#include "display/level_gauge.h"
#include "gui/panes/pane_drawing.h"
#include "gui/panes/status_panes.h"

namespace yumo
{

namespace
{

QRect ToQRect(const PaneRect& rect) { return QRect(rect.left, rect.top, rect.width, rect.height); }

void PaintLamp(QPainter& painter, const PaneRect& rect, bool over)
{
    painter.fillRect(ToQRect(rect), ToQColor(kFrameColour));
    painter.fillRect(rect.left + 1, rect.top + 1, rect.width - 2, rect.height - 2,
                     ToQColor(over ? kLampOverColour : kLampClearColour));
}

void PaintSegments(QPainter& painter, int width, const GaugeBar& bar, bool rightChannel)
{
    for (int i = 0; i < bar.segments; ++i)
    {
        const PaneRect rect = GaugeSegmentRect(i, rightChannel);
        painter.fillRect(ToQRect(rect), ToQColor(GaugeSegmentColour(rect.left, width)));
    }
}

} // namespace

void PaintLevelGauge(QPainter& painter, int width, int height, BlockPeak peaks)
{
    if (width <= 0 || height <= 0)
    {
        return;
    }
    painter.save();
    FillFramedPane(painter, width, height, kGaugeColour);
    const QRect inside(1, 1, width - 2, height - 2);
    BeginPaneText(painter, kGaugeTextColour, kGaugeColour, inside);
    painter.setFont(PaneFont(12, 600));
    DrawTextAt(painter, 2, static_cast<int>(0.05 * height), QString::fromLatin1(kGaugeLeftLetter));
    DrawTextAt(painter, 2, static_cast<int>(0.55 * height), QString::fromLatin1(kGaugeRightLetter));

    const GaugeBars bars = DescribeLevelGauge(width, peaks);
    PaintLamp(painter, GaugeLampRect(width, false), bars.left.over);
    PaintLamp(painter, GaugeLampRect(width, true), bars.right.over);
    PaintSegments(painter, width, bars.left, false);
    PaintSegments(painter, width, bars.right, true);
    painter.restore();
}

} // namespace yumo
