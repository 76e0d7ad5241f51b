#pragma once
// One pane of the main window: a plain child widget whose face is drawn by a paint function
// given the pane's width and height. Without one it shows black. A click reports Clicked.
// The window asks each pane to repaint only when what it shows has changed (RefreshIfChanged),
// so that a still pane costs nothing on the 40 ms tick. A pane that keeps its face (the text
// panes) draws it anew at once and repaints only the pixels that differ from the last face:
// a clock's seconds, a gauge's last segment, a changed digit, not the whole pane. While the
// window's updates are off (nobody sees it), nothing is drawn; the face is drawn whole at the
// next paint.

#include <array>
#include <functional>

#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>

class QPainter;

namespace yumo
{

// The values a pane's face depends on; a different key means the pane must be repainted.
using PaneKey = std::array<double, 8>;

// Kept: the face is drawn into a kept image and only the pixels that differ are repainted (the
// text panes). Painted: every repaint calls the painter for the whole pane (small panes that
// rarely change, and her picture, which keeps its own frame).
enum class PaneFace
{
    Kept,
    Painted,
};

class PaneWidget final : public QWidget
{
    Q_OBJECT

public:
    using Painter = std::function<void(QPainter& painter, int width, int height)>;

    PaneWidget(const QString& name, QWidget* parent);

    void SetPainter(Painter painter, PaneFace face = PaneFace::Kept);
    void RefreshIfChanged(const PaneKey& key);

signals:
    void Clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // Draws the face anew and returns the area that differs from the one kept (all of it when
    // the size changed), which the kept face then takes.
    QRect RenewFace();
    void DrawWholeFace();
    void DrawFace(QPainter& painter);

    Painter painter_;
    PaneKey lastKey_{};
    bool keyKnown_ = false;
    bool keepFace_ = true;
    bool faceStale_ = true; // the kept face is not what the pane is to show
    QImage face_;
};

} // namespace yumo
