#include "gui/panes/pane_drawing.h"

#include <QRect>

namespace yumo
{

void FillFramedPane(QPainter& painter, int width, int height, Rgb background)
{
    painter.fillRect(0, 0, width, height, ToQColor(kFrameColour));
    if (width > 2 && height > 2)
    {
        painter.fillRect(1, 1, width - 2, height - 2, ToQColor(background));
    }
}

void BeginPaneText(QPainter& painter, Rgb text, Rgb background, const QRect& clip)
{
    painter.setPen(ToQColor(text));
    painter.setBackground(ToQColor(background));
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setClipRect(clip);
}

void DrawTextAt(QPainter& painter, int x, int y, const QString& text)
{
    // drawText(QPoint) would put the baseline at y; a rectangle aligned top-left puts the cell.
    constexpr int kFar = 1 << 14;
    painter.drawText(QRect(x, y, kFar, kFar), Qt::AlignLeft | Qt::AlignTop, text);
}

} // namespace yumo
