#include "gui/texts/message_reporter.h"

#include <QTimer>

#include "gui/texts/texts.h"

namespace yumo
{

MessageReporter::MessageReporter(UserPrompts& prompts, QObject* parent)
    : QObject(parent), prompts_(prompts)
{
}

void MessageReporter::Report(const UserMessage& message)
{
    waiting_.push_back(message);
    if (waiting_.size() == 1 && !showing_)
    {
        QTimer::singleShot(0, this, &MessageReporter::ShowWaitingMessages);
    }
}

void MessageReporter::ShowWaitingMessages()
{
    if (showing_)
    {
        return;
    }
    showing_ = true;
    while (!waiting_.empty())
    {
        const UserMessage message = waiting_.front();
        waiting_.pop_front();
        const QString caption = message.caption.empty() ? Text(UiText::WindowTitle)
                                                        : TranslateCoreText(message.caption);
        prompts_.ShowMessage(owner_.data(), caption, TranslateCoreMessage(message), message.kind);
    }
    showing_ = false;
}

} // namespace yumo
