#pragma once
// Keeps the computer from suspending while a night plays, so that the wake-up call can sound
// on a laptop that would otherwise go to sleep: a "sleep" inhibitor lock from logind
// (org.freedesktop.login1.Manager.Inhibit over the system bus, mode "block"). The screen may
// still blank and lock. The lock is the file descriptor logind hands back; closing it releases
// the lock, and so does the end of the process. When logind refuses, the lock is asked for
// again after a wait that doubles each time, as long as it is wanted.

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QTimer>

namespace yumo
{

struct RetryTimings
{
    int firstMs = 5000;            // after the first refusal
    int longestMs = 5 * 60 * 1000; // the wait stops doubling here
};

class SleepInhibitor final : public QObject
{
    Q_OBJECT

public:
    // `bus` is the system bus in the program; tests give a private bus with a stand-in logind.
    explicit SleepInhibitor(const QDBusConnection& bus, QObject* parent = nullptr,
                            RetryTimings retry = {});
    ~SleepInhibitor() override;

    // Asks for the lock unless it is held, asked for or waiting to be asked for again; the
    // answer comes asynchronously.
    void Hold();
    // Gives the lock back (also one still being asked for, once it arrives) and asks no more.
    void Release();

    bool IsHeld() const { return lock_.isValid(); }
    bool IsWanted() const { return wanted_; }
    bool IsWaitingToRetry() const { return retry_.isActive(); }
    int retryWaitMs() const { return retry_.interval(); } // the wait last started
    int wakeUps() const { return wakeUps_; }              // the retry timer's firings

signals:
    // The lock was taken (true) or given back (false); a refusal or a missing logind reports
    // false with the reason.
    void Changed(bool held, const QString& problem);

private:
    void Ask();

    QDBusConnection bus_;
    QDBusUnixFileDescriptor lock_;
    RetryTimings timings_;
    QTimer retry_;
    int retryMs_;
    int wakeUps_ = 0;
    bool wanted_ = false;
    bool asking_ = false;
};

} // namespace yumo
