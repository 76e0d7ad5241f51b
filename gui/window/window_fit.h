#pragma once
// The main window's place on the screen at start-up: the geometry the last run saved, unless it
// is damaged, and then a size that fits the screen's available area. Where the designed size
// fits, it is kept; on a smaller or scaled screen the window takes the area, and its client,
// which never shrinks below the layout's smallest fitting size, scrolls.

#include <QByteArray>
#include <QRect>

class QWidget;

namespace yumo
{

// Whether bytes of QWidget::saveGeometry hold rectangles a window can take: readable, and each
// rectangle at least the smallest client (right below left, or bottom above top, is damaged).
bool IsSoundGeometry(const QByteArray& saved);

// Restores `saved` when it is sound (a damaged one is left out, so the default size stays and
// the next save writes the window's real geometry), then fits the window into `available`
// (the screen's available geometry, in the window's logical pixels).
void PlaceWindow(QWidget& window, const QByteArray& saved, const QRect& available);

// Shrinks the window until its frame fits `available` and moves the frame into it; a window
// that fits already keeps its size.
void FitWindowToArea(QWidget& window, const QRect& available);

} // namespace yumo
