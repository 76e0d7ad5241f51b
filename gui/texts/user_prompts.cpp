#include "gui/texts/user_prompts.h"

#include <QMessageBox>

namespace yumo
{
namespace
{

QMessageBox::Icon IconFor(MessageKind kind)
{
    switch (kind)
    {
    case MessageKind::Information:
        return QMessageBox::Information;
    case MessageKind::Warning:
        return QMessageBox::Warning;
    case MessageKind::Error:
        break;
    }
    return QMessageBox::Critical;
}

} // namespace

void DialogPrompts::ShowMessage(QWidget* owner, const QString& caption, const QString& text,
                                MessageKind kind)
{
    QMessageBox box(IconFor(kind), caption, text, QMessageBox::Ok, owner);
    box.exec();
}

Answer DialogPrompts::AskYesNoCancel(QWidget* owner, const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Question, caption, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, owner);
    box.setDefaultButton(QMessageBox::Yes);
    switch (box.exec())
    {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

bool DialogPrompts::AskYesNo(QWidget* owner, const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                    owner);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString DialogPrompts::ChooseFile(QWidget* owner, FileChooserKind kind, const QString& initialName)
{
    return choosers_.Run(kind, owner, initialName);
}

} // namespace yumo
