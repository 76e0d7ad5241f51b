#pragma once
// A one-line label for text of any length, such as a voice owner's name of 255 characters: it
// never widens its window; what does not fit ends in "…", and the whole text is its tool tip.

#include <QLabel>
#include <QString>

namespace yumo
{

class ElidedLabel final : public QLabel
{
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    void SetFullText(const QString& text);
    const QString& fullText() const { return full_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Elide();

    QString full_;
};

} // namespace yumo
