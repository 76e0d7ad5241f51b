#include "gui/window/wake_dialog.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/texts/live_texts.h"
#include "gui/texts/texts.h"
#include "gui/window/arrow_buttons.h"

namespace yumo
{
namespace
{

constexpr int kLastHour = 12; // hours are typed on the 12-hour face
constexpr int kLastMinute = 59;
constexpr int kArrowWidth = 16; // the arrow pairs beside the fields, in pixels
constexpr int kArrowHeight = 24;

QLineEdit* MakeField(QWidget* parent, const char* name, int maximum)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->setAlignment(Qt::AlignRight);
    field->setMaxLength(3);
    field->setValidator(new DialogNumberValidator(maximum, field));
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 12);
    return field;
}

ArrowButtons* MakeArrows(QWidget* parent, const char* name)
{
    auto* arrows = new ArrowButtons(parent);
    arrows->setObjectName(QLatin1String(name));
    arrows->setFixedSize(kArrowWidth, kArrowHeight);
    return arrows;
}

QPushButton* MakeButton(QWidget* parent, UiText text, const char* name)
{
    auto* button = new QPushButton(parent);
    ShowText(button, text);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

QLabel* MakeLabel(QWidget* parent, UiText text)
{
    auto* label = new QLabel(parent);
    ShowText(label, text);
    return label;
}

} // namespace

DialogNumberValidator::DialogNumberValidator(int maximum, QObject* parent)
    : QValidator(parent), maximum_(maximum)
{
}

QValidator::State DialogNumberValidator::validate(QString& input, int&) const
{
    const QString digits = input.trimmed();
    if (digits.isEmpty())
    {
        return Intermediate;
    }
    if (digits.size() > 2)
    {
        return Invalid;
    }
    for (const QChar c : digits)
    {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
        {
            return Invalid;
        }
    }
    return digits.toInt() <= maximum_ ? Acceptable : Invalid;
}

WakeDialog::WakeDialog(AppState& state, QWidget* owner)
    : QDialog(owner), state_(state), amPm_(new QLabel(this)),
      hour_(MakeField(this, "hourEdit", kLastHour)),
      minute_(MakeField(this, "minuteEdit", kLastMinute))
{
    setObjectName(QStringLiteral("WAKEUP"));
    ShowText(this, UiText::WakeCaption);
    setModal(false);
    amPm_->setObjectName(QStringLiteral("amPmLabel"));
    amPm_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    amPm_->setMinimumWidth(amPm_->fontMetrics().horizontalAdvance(QStringLiteral("PMM")));

    auto* amPmArrows = MakeArrows(this, "amPmArrows");
    auto* hourArrows = MakeArrows(this, "hourArrows");
    auto* minuteArrows = MakeArrows(this, "minuteArrows");
    // Any click turns AM and PM over; the arrows step the numbers, the up arrow raising them.
    connect(amPmArrows, &ArrowButtons::Stepped, this, [this](int) { StepAmPm(); });
    connect(hourArrows, &ArrowButtons::Stepped, this, &WakeDialog::StepHour);
    connect(minuteArrows, &ArrowButtons::Stepped, this, &WakeDialog::StepMinute);

    auto* time = new QHBoxLayout;
    time->addStretch();
    time->addWidget(amPm_);
    time->addWidget(amPmArrows);
    time->addSpacing(8);
    time->addWidget(hour_);
    time->addWidget(hourArrows);
    time->addWidget(MakeLabel(this, UiText::WakeHourUnit));
    time->addSpacing(8);
    time->addWidget(minute_);
    time->addWidget(minuteArrows);
    time->addWidget(MakeLabel(this, UiText::WakeMinuteUnit));
    time->addStretch();

    QPushButton* ok = MakeButton(this, UiText::WakeOk, "okButton");
    QPushButton* stop = MakeButton(this, UiText::WakeStop, "stopButton");
    QPushButton* cancel = MakeButton(this, UiText::WakeCancel, "cancelButton");
    ok->setDefault(true); // Enter in a field confirms the time
    connect(ok, &QPushButton::clicked, this, &WakeDialog::Confirm);
    connect(stop, &QPushButton::clicked, this, &WakeDialog::StopAlarm);
    connect(cancel, &QPushButton::clicked, this, &WakeDialog::Cancel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(stop);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 16);
    layout->addWidget(MakeLabel(this, UiText::WakeQuestion));
    layout->addWidget(MakeLabel(this, UiText::WakeDisclaimer));
    layout->addSpacing(10);
    layout->addLayout(time);
    layout->addSpacing(10);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());
}

void WakeDialog::ShowFromAlarm()
{
    fields_ = OpenWakeDialog(state_.alarm);
    ShowFields();
    show();
    raise();
    activateWindow();
    hour_->setFocus();
}

void WakeDialog::reject() { hide(); }

// Texts of another language have other widths: the dialog takes the size they need.
void WakeDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
    {
        RetranslateTexts(this);
        ShowFields();
        layout()->activate();
        setFixedSize(sizeHint());
    }
}

void WakeDialog::ShowFields()
{
    amPm_->setText(TranslateCoreText(fields_.amPm));
    hour_->setText(QString::fromStdString(fields_.hour));
    minute_->setText(QString::fromStdString(fields_.minute));
}

void WakeDialog::TakeTyped()
{
    fields_.hour = hour_->text().toStdString();
    fields_.minute = minute_->text().toStdString();
    TakeTypedFields(state_.alarm, fields_);
}

void WakeDialog::StepAmPm()
{
    TakeTyped();
    SpinAmPm(state_.alarm, fields_);
    ShowFields();
}

// The core counts an up-down's delta, -1 for the up arrow.
void WakeDialog::StepHour(int step)
{
    TakeTyped();
    SpinHour(state_.alarm, -step, fields_);
    ShowFields();
}

void WakeDialog::StepMinute(int step)
{
    TakeTyped();
    SpinMinute(state_.alarm, -step, fields_);
    ShowFields();
}

void WakeDialog::Confirm()
{
    fields_.hour = hour_->text().toStdString();
    fields_.minute = minute_->text().toStdString();
    ConfirmWakeDialog(state_.alarm, fields_);
    hide();
    emit AlarmChanged();
}

void WakeDialog::Cancel()
{
    CancelWakeDialog(state_.alarm);
    hide();
    emit AlarmChanged();
}

void WakeDialog::StopAlarm()
{
    StopWakeAlarm(state_.alarm, NightPlays(state_.phase));
    hide();
    emit AlarmChanged();
}

} // namespace yumo
