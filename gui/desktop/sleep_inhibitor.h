#pragma once
// Keeps the computer from suspending while a night plays, so that the wake-up call can sound
// on a laptop that would otherwise go to sleep: a "sleep" inhibitor lock from logind
// (org.freedesktop.login1.Manager.Inhibit over the system bus, mode "block"). The screen may
// still blank and lock. The lock is the file descriptor logind hands back; closing it releases
// the lock, and so does the end of the process.

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>

namespace yumo
{

class SleepInhibitor final : public QObject
{
    Q_OBJECT

public:
    // `bus` is the system bus in the program; tests give a private bus with a stand-in logind.
    explicit SleepInhibitor(const QDBusConnection& bus, QObject* parent = nullptr);
    ~SleepInhibitor() override;

    // Asks for the lock unless it is held or asked for; the answer comes asynchronously.
    void Hold();
    // Gives the lock back (also one still being asked for, once it arrives).
    void Release();

    bool IsHeld() const { return lock_.isValid(); }
    bool IsWanted() const { return wanted_; }

signals:
    // The lock was taken (true) or given back (false); a refusal or a missing logind reports
    // false with the reason.
    void Changed(bool held, const QString& problem);

private:
    QDBusConnection bus_;
    QDBusUnixFileDescriptor lock_;
    bool wanted_ = false;
    bool asking_ = false;
};

} // namespace yumo
