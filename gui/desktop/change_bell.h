#pragma once
// Wakes the event loop from code that must not allocate or block, such as the block refill:
// Ring() writes to an eventfd that a socket notifier on this thread reads, and Rung() is
// emitted once for however many rings came since the last turn.

#include <QObject>

class QSocketNotifier;

namespace yumo
{

class ChangeBell final : public QObject
{
    Q_OBJECT

public:
    explicit ChangeBell(QObject* parent = nullptr);
    ~ChangeBell() override;

    void Ring();

signals:
    void Rung();

private:
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    bool ringing_ = false; // rung and not yet answered: further rings need no write
};

} // namespace yumo
