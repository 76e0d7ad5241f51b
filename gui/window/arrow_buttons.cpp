#include "gui/window/arrow_buttons.h"

#include <QToolButton>

namespace yumo
{
namespace
{

QToolButton* MakeArrow(QWidget* parent, Qt::ArrowType arrow)
{
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

ArrowButtons::ArrowButtons(QWidget* parent)
    : QWidget(parent), up_(MakeArrow(this, Qt::UpArrow)), down_(MakeArrow(this, Qt::DownArrow))
{
    setFocusPolicy(Qt::NoFocus);
    connect(up_, &QToolButton::clicked, this, [this] { emit Stepped(+1); });
    connect(down_, &QToolButton::clicked, this, [this] { emit Stepped(-1); });
}

void ArrowButtons::resizeEvent(QResizeEvent*)
{
    // The up arrow takes the upper half; an odd pixel goes to the lower one.
    const int upper = height() / 2;
    up_->setGeometry(0, 0, width(), upper);
    down_->setGeometry(0, upper, width(), height() - upper);
}

} // namespace yumo
