#include "gui/editor/owned_reporter.h"

#include "gui/texts/texts.h"

namespace yumo
{

void OwnedReporter::Report(const UserMessage& message)
{
    const QString caption =
        message.caption.empty() ? Text(UiText::WindowTitle) : TranslateCoreText(message.caption);
    prompts_.ShowMessage(owner_.data(), caption, TranslateCoreMessage(message), message.kind);
}

void OwnedReporter::ReportAll(const std::vector<UserMessage>& messages)
{
    for (const UserMessage& message : messages)
    {
        Report(message);
    }
}

} // namespace yumo
