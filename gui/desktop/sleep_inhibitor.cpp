#include "gui/desktop/sleep_inhibitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace yumo
{

SleepInhibitor::SleepInhibitor(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), bus_(bus)
{
}

SleepInhibitor::~SleepInhibitor() = default; // the descriptor closes: logind drops the lock

void SleepInhibitor::Hold()
{
    wanted_ = true;
    if (IsHeld() || asking_)
    {
        return;
    }
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
                    emit Changed(false, reply.error().message());
                    return;
                }
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
    if (IsHeld())
    {
        lock_ = QDBusUnixFileDescriptor();
        emit Changed(false, QString());
    }
}

} // namespace yumo
