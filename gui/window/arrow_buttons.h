#pragma once
// A pair of small arrow buttons stacked in one rectangle, as beside the volume sliders and the
// wake-up dialog's fields. It keeps no value: each click (repeated while held) reports a step,
// +1 for the up arrow and -1 for the down arrow. The buttons never take the keyboard focus.

#include <QWidget>

class QToolButton;

namespace yumo
{

class ArrowButtons final : public QWidget
{
    Q_OBJECT

public:
    explicit ArrowButtons(QWidget* parent = nullptr);

    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

signals:
    void Stepped(int step);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* up_;
    QToolButton* down_;
};

} // namespace yumo
