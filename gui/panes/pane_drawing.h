#pragma once
// Drawing helpers shared by the status panes.

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QString>

#include "display/pane_colours.h"

namespace yumo
{

inline QColor ToQColor(Rgb colour) { return QColor(colour.red, colour.green, colour.blue); }

// Fills the pane with `background` inside a 1-pixel black frame along its edge.
void FillFramedPane(QPainter& painter, int width, int height, Rgb background);

// Prepares `painter` for a pane's texts: text colour, the pane's background behind each text
// (texts are drawn opaque, so a later text covers an earlier one it overlaps) and a clip to
// `clip`, which keeps texts off a frame.
void BeginPaneText(QPainter& painter, Rgb text, Rgb background, const QRect& clip);

// `text` with the top-left of its first line's cell at (x, y); one line per '\n', not wrapped.
void DrawTextAt(QPainter& painter, int x, int y, const QString& text);

} // namespace yumo
