#include "gui/desktop/sleep_inhibitor.h"

#include <algorithm>

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace yumo
{

SleepInhibitor::SleepInhibitor(const QDBusConnection& bus, QObject* parent, RetryTimings retry)
    : QObject(parent), bus_(bus), timings_(retry), retryMs_(retry.firstMs)
{
    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, [this] {
        ++wakeUps_;
        Ask();
    });
}

SleepInhibitor::~SleepInhibitor() = default; // the descriptor closes: logind drops the lock

void SleepInhibitor::Hold()
{
    wanted_ = true;
    if (IsHeld() || asking_ || retry_.isActive())
    {
        return;
    }
    Ask();
}

void SleepInhibitor::Ask()
{
    if (!bus_.isConnected())
    {
        emit Changed(false, QStringLiteral("no system bus"));
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << QStringLiteral("Yumo")
         << QStringLiteral("A night is playing; the wake-up call must sound")
         << QStringLiteral("block");
    asking_ = true;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                asking_ = false;
                const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *finished;
                if (reply.isError())
                {
                    if (wanted_)
                    {
                        retry_.start(retryMs_);
                        retryMs_ = std::min(retryMs_ * 2, timings_.longestMs);
                    }
                    emit Changed(false, reply.error().message());
                    return;
                }
                retryMs_ = timings_.firstMs;
                if (!wanted_)
                {
                    return; // released while asking: the descriptor closes right here
                }
                lock_ = reply.value();
                emit Changed(IsHeld(), QString());
            });
}

void SleepInhibitor::Release()
{
    wanted_ = false;
    retry_.stop();
    retryMs_ = timings_.firstMs;
    if (IsHeld())
    {
        lock_ = QDBusUnixFileDescriptor();
        emit Changed(false, QString());
    }
}

} // namespace yumo
