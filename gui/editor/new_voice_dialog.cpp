#include "gui/editor/new_voice_dialog.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/constants.h"
#include "gui/texts/live_texts.h"

namespace yumo
{

NewVoiceDialog::NewVoiceDialog(QWidget* owner) : QDialog(owner), field_(new QLineEdit(this))
{
    setObjectName(QStringLiteral("VOICE_NEW"));
    ShowText(this, UiText::NewDialogCaption);
    setModal(false);
    field_->setObjectName(QStringLiteral("ownerNameEdit"));
    // The owner name holds 255 units and its terminator.
    field_->setMaxLength(kVoiceTextUnits - 1);
    field_->setMinimumWidth(field_->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 30);

    auto* ok = new QPushButton(this);
    ShowText(ok, UiText::NewDialogOk);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(this);
    ShowText(cancel, UiText::NewDialogCancel);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, [this] {
        hide();
        emit NameEntered(field_->text());
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    auto* prompt = new QLabel(this);
    ShowText(prompt, UiText::NewDialogPrompt);
    layout->addWidget(prompt);
    layout->addWidget(field_);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());
}

void NewVoiceDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
    {
        RetranslateTexts(this);
        layout()->activate();
        setFixedSize(sizeHint());
    }
}

void NewVoiceDialog::ShowEmpty()
{
    field_->clear();
    show();
    raise();
    activateWindow();
    field_->setFocus();
}

} // namespace yumo
