#include "gui/editor/path_field.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QList>
#include <QMimeData>
#include <QUrl>

namespace yumo
{

QString DroppedLocalPath(const QMimeData& data)
{
    QUrl url;
    if (data.hasUrls())
    {
        const QList<QUrl> urls = data.urls();
        if (!urls.isEmpty())
        {
            url = urls.first();
        }
    }
    else if (data.hasText())
    {
        // Some file managers drag text: one URL per line.
        const QString first = data.text().section(QLatin1Char('\n'), 0, 0).trimmed();
        if (first.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        {
            url = QUrl(first);
        }
    }
    return url.isValid() && url.isLocalFile() ? url.toLocalFile() : QString();
}

PathField::PathField(QWidget* parent) : QLineEdit(parent) {}

// A drop that names a local file is taken whole; any other drop is plain text for the line.
void PathField::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedLocalPath(*event->mimeData()).isEmpty())
    {
        event->acceptProposedAction();
        return;
    }
    QLineEdit::dragEnterEvent(event);
}

void PathField::dragMoveEvent(QDragMoveEvent* event)
{
    if (!DroppedLocalPath(*event->mimeData()).isEmpty())
    {
        event->acceptProposedAction();
        return;
    }
    QLineEdit::dragMoveEvent(event);
}

void PathField::dropEvent(QDropEvent* event)
{
    const QString path = DroppedLocalPath(*event->mimeData());
    if (path.isEmpty())
    {
        QLineEdit::dropEvent(event);
        return;
    }
    setText(path);
    setFocus(Qt::MouseFocusReason);
    event->acceptProposedAction();
}

} // namespace yumo
