#pragma once
// The wake-up dialog (WAKEUP): asks when to be woken, with an AM/PM label and hour and minute
// fields, each beside a pair of arrow buttons. Modeless and owned by the main window; there is
// one, shown again by every press of 起こして. Every showing, also one that only brings the open
// dialog forward, fills the fields from the alarm. OK sets the wake time, キャンセル and
// 目覚ましストップ reset the fields (the stop also turns the alarm off outside a night);
// Escape and the close box only hide it. Enter presses OK, never 目覚ましストップ.

#include <QDialog>
#include <QValidator>

#include "night/app_state.h"
#include "night/wake_alarm.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace yumo
{

class ArrowButtons;

// Digits only, at most two, and no more than `maximum`; leading and trailing blanks are
// allowed because the fields show numbers right-aligned in two places (" 7").
class DialogNumberValidator final : public QValidator
{
public:
    DialogNumberValidator(int maximum, QObject* parent);
    State validate(QString& input, int& position) const override;

private:
    int maximum_;
};

class WakeDialog final : public QDialog
{
    Q_OBJECT

public:
    WakeDialog(AppState& state, QWidget* owner);

    // Fills the fields from the alarm (the opening rule), then shows and raises the dialog.
    void ShowFromAlarm();

public slots:
    void reject() override; // Escape and the close box: hide, change nothing

signals:
    // OK, キャンセル or 目覚ましストップ may have changed the alarm.
    void AlarmChanged();

protected:
    void changeEvent(QEvent* event) override;

private:
    void ShowFields();
    void TakeTyped();
    void StepAmPm();
    void StepHour(int step);
    void StepMinute(int step);
    void Confirm();
    void Cancel();
    void StopAlarm();

    AppState& state_;
    WakeDialogFields fields_;
    QLabel* amPm_;
    QLineEdit* hour_;
    QLineEdit* minute_;
};

} // namespace yumo
