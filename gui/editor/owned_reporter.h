#pragma once
// A Reporter that shows each message at once as a box owned by one window, translated as the
// window's other messages are. The voice editor reports through it, so that its messages stand
// over the editor and follow the press that caused them. Only for reports from the window's
// own commands: a report from inside a block refill goes through the MessageReporter.

#include <vector>

#include <QPointer>
#include <QWidget>

#include "common/report.h"
#include "gui/texts/user_prompts.h"

namespace yumo
{

class OwnedReporter final : public Reporter
{
public:
    OwnedReporter(UserPrompts& prompts, QWidget* owner) : prompts_(prompts), owner_(owner) {}

    void Report(const UserMessage& message) override;
    // Messages a worker thread captured, shown in order.
    void ReportAll(const std::vector<UserMessage>& messages);

private:
    UserPrompts& prompts_;
    QPointer<QWidget> owner_;
};

} // namespace yumo
