#pragma once
// One pane of the main window: a plain child widget whose face is drawn by a paint function
// given the pane's width and height. Without one it shows black. A click reports Clicked.
// The window asks each pane to repaint only when what it shows has changed (RefreshIfChanged),
// so that a still pane costs nothing on the 40 ms tick.

#include <array>
#include <functional>

#include <QColor>
#include <QWidget>

class QPainter;

namespace yumo
{

// The values a pane's face depends on; a different key means the pane must be repainted.
using PaneKey = std::array<double, 8>;

class PaneWidget final : public QWidget
{
    Q_OBJECT

public:
    using Painter = std::function<void(QPainter& painter, int width, int height)>;

    PaneWidget(const QString& name, QWidget* parent);

    void SetPainter(Painter painter);
    void RefreshIfChanged(const PaneKey& key);

signals:
    void Clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    Painter painter_;
    PaneKey lastKey_{};
    bool keyKnown_ = false;
};

} // namespace yumo
