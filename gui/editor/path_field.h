#pragma once
// The voice editor's path field: an editable line that also takes a file dropped on it. A
// dropped local file replaces the text with its path; a "file://" URL, whether it comes as a
// URL or as text, becomes the local path it names, never the URL's text.

#include <QLineEdit>
#include <QString>

class QMimeData;

namespace yumo
{

// The local path of the first item of a drop: a local-file URL, or text holding one. Empty when
// the drop carries no local file.
QString DroppedLocalPath(const QMimeData& data);

class PathField final : public QLineEdit
{
    Q_OBJECT

public:
    explicit PathField(QWidget* parent = nullptr);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

} // namespace yumo
