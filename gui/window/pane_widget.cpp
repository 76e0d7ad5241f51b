#include "gui/window/pane_widget.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace yumo
{
namespace
{

// Every kept face is drawn anew here first and compared with the kept one; one image for all
// panes, as large as the largest.
QImage& SharedScratch(QSize pixels)
{
    static QImage scratch;
    if (scratch.width() < pixels.width() || scratch.height() < pixels.height())
    {
        scratch = QImage(pixels.expandedTo(scratch.size()), QImage::Format_RGB32);
    }
    return scratch;
}

// The bounding box of the pixels in which the top-left `size` of `drawn` differs from `kept`,
// in device pixels; empty when none does.
QRect DifferingPixels(const QImage& drawn, const QImage& kept)
{
    int top = -1;
    int bottom = -1;
    int left = kept.width();
    int right = -1;
    const size_t rowBytes = static_cast<size_t>(kept.width()) * sizeof(QRgb);
    for (int y = 0; y < kept.height(); ++y)
    {
        const auto* a = reinterpret_cast<const QRgb*>(drawn.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(kept.constScanLine(y));
        if (std::memcmp(a, b, rowBytes) == 0)
        {
            continue;
        }
        top = top < 0 ? y : top;
        bottom = y;
        int first = 0;
        while (a[first] == b[first])
        {
            ++first;
        }
        int last = kept.width() - 1;
        while (a[last] == b[last])
        {
            --last;
        }
        left = std::min(left, first);
        right = std::max(right, last);
    }
    return top < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

PaneWidget::PaneWidget(const QString& name, QWidget* parent) : QWidget(parent)
{
    setObjectName(name);
    // Every painter covers the whole pane, so Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void PaneWidget::SetPainter(Painter painter, PaneFace face)
{
    painter_ = std::move(painter);
    keepFace_ = face == PaneFace::Kept;
    keyKnown_ = false;
    faceStale_ = true;
    face_ = QImage();
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
    if (!keepFace_ || !painter_)
    {
        update();
        return;
    }
    // Nobody sees it: the face is drawn when the pane is painted next.
    if (!updatesEnabled() || !isVisible())
    {
        faceStale_ = true;
        return;
    }
    const QRect changed = RenewFace();
    if (!changed.isEmpty())
    {
        update(changed);
    }
}

// A painter that left pixels alone shows black there, whichever image it drew into.
void PaneWidget::DrawFace(QPainter& painter)
{
    painter.setClipRect(QRect(0, 0, width(), height()));
    painter.fillRect(QRect(0, 0, width(), height()), Qt::black);
    painter_(painter, width(), height());
}

QRect PaneWidget::RenewFace()
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(static_cast<int>(std::ceil(width() * ratio)),
                       static_cast<int>(std::ceil(height() * ratio)));
    if (faceStale_ || face_.size() != pixels)
    {
        DrawWholeFace();
        return rect();
    }
    QImage& scratch = SharedScratch(pixels);
    scratch.setDevicePixelRatio(ratio);
    {
        QPainter painter(&scratch);
        DrawFace(painter);
    }
    const QRect differing = DifferingPixels(scratch, face_);
    if (differing.isEmpty())
    {
        return {};
    }
    QPainter copy(&face_);
    copy.setCompositionMode(QPainter::CompositionMode_Source);
    const QRectF logical(differing.x() / ratio, differing.y() / ratio, differing.width() / ratio,
                         differing.height() / ratio);
    copy.drawImage(logical, scratch, differing);
    return logical.toAlignedRect();
}

void PaneWidget::DrawWholeFace()
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(static_cast<int>(std::ceil(width() * ratio)),
                       static_cast<int>(std::ceil(height() * ratio)));
    if (face_.size() != pixels)
    {
        face_ = pixels.isEmpty() ? QImage() : QImage(pixels, QImage::Format_RGB32);
    }
    faceStale_ = false;
    if (face_.isNull())
    {
        return;
    }
    face_.setDevicePixelRatio(ratio);
    QPainter painter(&face_);
    DrawFace(painter);
}

void PaneWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!painter_)
    {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    if (!keepFace_)
    {
        painter_(painter, width(), height());
        return;
    }
    const qreal ratio = devicePixelRatioF();
    if (faceStale_ || face_.size() != QSize(static_cast<int>(std::ceil(width() * ratio)),
                                            static_cast<int>(std::ceil(height() * ratio))))
    {
        DrawWholeFace();
    }
    painter.drawImage(0, 0, face_); // clipped to what was asked
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
