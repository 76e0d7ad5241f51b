#pragma once
// The Reporter of the window program: every message from the core becomes a message box with
// its caption, text and an icon by kind, owned by the main window once it exists. Messages are
// shown from the event loop, after the core call that reported them has returned, so a box
// never opens inside a block refill; several are shown one after another, in order.

#include <deque>

#include <QObject>
#include <QPointer>
#include <QWidget>

#include "common/report.h"
#include "gui/texts/user_prompts.h"

namespace yumo
{

class MessageReporter final : public QObject, public Reporter
{
    Q_OBJECT

public:
    explicit MessageReporter(UserPrompts& prompts, QObject* parent = nullptr);

    void Report(const UserMessage& message) override;
    void SetOwner(QWidget* owner) { owner_ = owner; }
    // Shows every waiting message now, e.g. before the program ends at start-up.
    void ShowWaitingMessages();
    size_t WaitingCount() const { return waiting_.size(); }

private:
    UserPrompts& prompts_;
    QPointer<QWidget> owner_;
    std::deque<UserMessage> waiting_;
    bool showing_ = false; // a box is open: later messages wait for it
};

} // namespace yumo
