#include "gui/window/pane_widget.h"

#include <QMouseEvent>
#include <QPainter>

namespace yumo
{

PaneWidget::PaneWidget(const QString& name, QWidget* parent) : QWidget(parent)
{
    setObjectName(name);
    // Every painter covers the whole pane, so Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void PaneWidget::SetPainter(Painter painter)
{
    painter_ = std::move(painter);
    keyKnown_ = false;
    update();
}

void PaneWidget::RefreshIfChanged(const PaneKey& key)
{
    if (keyKnown_ && key == lastKey_)
    {
        return;
    }
    lastKey_ = key;
    keyKnown_ = true;
    update();
}

void PaneWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (painter_)
    {
        painter_(painter, width(), height());
    }
    else
    {
        painter.fillRect(rect(), Qt::black);
    }
}

void PaneWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
    {
        emit Clicked();
    }
    event->accept();
}

} // namespace yumo
