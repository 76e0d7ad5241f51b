#pragma once
// A one-shot timer for an absolute time on the monotonic clock, delivered through the Qt event
// loop of the thread that made it. Built on a Linux timerfd: arming it again is one system call
// and allocates nothing (a QTimer registers a new record each time it starts), and the time is
// kept to the nanosecond, so a device can hand back one block every 11.6 ms without drift.

#include <chrono>

#include <QObject>

class QSocketNotifier;

namespace yumo
{

class DeadlineTimer : public QObject
{
    Q_OBJECT

public:
    using Clock = std::chrono::steady_clock; // CLOCK_MONOTONIC on Linux

    explicit DeadlineTimer(QObject* parent = nullptr);
    ~DeadlineTimer() override;
    DeadlineTimer(const DeadlineTimer&) = delete;
    DeadlineTimer& operator=(const DeadlineTimer&) = delete;

    // False when the system gave no timer (out of file descriptors); it never fires then.
    bool IsValid() const { return fd_ >= 0; }
    // Fires once at `when`; a time already past fires at the next turn of the event loop.
    // Arming again replaces the earlier time.
    void ArmAt(Clock::time_point when);
    void Disarm();
    bool IsArmed() const { return armed_; }

signals:
    void Fired();

private:
    void OnReadable();

    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr; // a child of this object
    bool armed_ = false;
};

} // namespace yumo
