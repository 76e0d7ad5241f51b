#include "gui/editor/elided_label.h"

#include <algorithm>

#include <QResizeEvent>

namespace yumo
{
namespace
{

constexpr int kHintCharacters = 24; // what the label asks for when room is shared out
constexpr int kMinimumCharacters = 4;

} // namespace

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText); // shown as typed, never as markup
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void ElidedLabel::SetFullText(const QString& text)
{
    full_ = text;
    setToolTip(text);
    Elide();
}

QSize ElidedLabel::sizeHint() const
{
    const QSize hint = QLabel::sizeHint();
    const int width = fontMetrics().averageCharWidth() * kHintCharacters;
    return {width + contentsMargins().left() + contentsMargins().right() + 2 * margin(),
            hint.height()};
}

QSize ElidedLabel::minimumSizeHint() const
{
    const QSize hint = QLabel::minimumSizeHint();
    const int width = fontMetrics().averageCharWidth() * kMinimumCharacters;
    return {width + contentsMargins().left() + contentsMargins().right() + 2 * margin(),
            hint.height()};
}

void ElidedLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    Elide();
}

void ElidedLabel::Elide()
{
    const int room = contentsRect().width() - 2 * margin() - 2 * indent();
    setText(fontMetrics().elidedText(full_, Qt::ElideRight, std::max(room, 0)));
}

} // namespace yumo
