#include "gui/window/window_fit.h"

#include <algorithm>

#include <QDataStream>
#include <QIODevice>
#include <QWidget>

#include "display/window_layout.h"

namespace yumo
{
namespace
{

// The layout of QWidget::saveGeometry (Qt 6), big-endian:
//   quint32 magic 0x1D9D0CB, quint16 major (3), quint16 minor,
//   QRect frame geometry, QRect normal geometry (each qint32 left, top, right, bottom),
//   qint32 screen, quint8 maximised, quint8 full screen, qint32 screen width,
//   and from major 3 on the QRect geometry.
constexpr quint32 kGeometryMagic = 0x1D9D0CB;

bool IsSoundRect(const QRect& rect)
{
    return rect.isValid() && rect.width() >= kMinClientSize && rect.height() >= kMinClientSize;
}

} // namespace

bool IsSoundGeometry(const QByteArray& saved)
{
    QDataStream stream(saved);
    stream.setVersion(QDataStream::Qt_4_0);
    quint32 magic = 0;
    quint16 major = 0;
    quint16 minor = 0;
    QRect frame;
    QRect normal;
    stream >> magic >> major >> minor >> frame >> normal;
    if (stream.status() != QDataStream::Ok || magic != kGeometryMagic || major < 1 || major > 3 ||
        !IsSoundRect(frame) || !IsSoundRect(normal))
    {
        return false;
    }
    if (major < 3)
    {
        return true;
    }
    qint32 screen = 0;
    quint8 maximised = 0;
    quint8 fullScreen = 0;
    qint32 screenWidth = 0;
    QRect geometry;
    stream >> screen >> maximised >> fullScreen >> screenWidth >> geometry;
    return stream.status() == QDataStream::Ok && IsSoundRect(geometry);
}

void FitWindowToArea(QWidget& window, const QRect& available)
{
    if (available.isEmpty())
    {
        return;
    }
    // The frame's margins are known once a window manager has framed the window; before, none.
    const QSize margins = window.frameGeometry().size() - window.size();
    const QSize room = (available.size() - margins).expandedTo(QSize(1, 1));
    if (window.width() > room.width() || window.height() > room.height())
    {
        window.resize(window.size().boundedTo(room).expandedTo(window.minimumSize()));
    }
    const QSize frame = window.frameGeometry().size();
    const int left = std::clamp(window.frameGeometry().left(), available.left(),
                                std::max(available.left(), available.right() + 1 - frame.width()));
    const int top = std::clamp(window.frameGeometry().top(), available.top(),
                               std::max(available.top(), available.bottom() + 1 - frame.height()));
    window.move(left, top);
}

void PlaceWindow(QWidget& window, const QByteArray& saved, const QRect& available)
{
    if (IsSoundGeometry(saved))
    {
        window.restoreGeometry(saved);
    }
    FitWindowToArea(window, available);
}

} // namespace yumo
