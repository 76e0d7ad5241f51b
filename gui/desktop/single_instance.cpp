#include "gui/desktop/single_instance.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace yumo
{

SingleInstance::SingleInstance(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), bus_(bus)
{
}

SingleInstance::~SingleInstance()
{
    if (owner_)
    {
        bus_.unregisterService(QLatin1String(kInstanceService));
        bus_.unregisterObject(QLatin1String(kInstancePath));
    }
}

InstanceRole SingleInstance::Claim()
{
    if (!bus_.isConnected())
    {
        return InstanceRole::NoBus;
    }
    // The object first, so whoever finds the name can call it at once.
    if (!bus_.registerObject(QLatin1String(kInstancePath), this,
                             QDBusConnection::ExportScriptableSlots))
    {
        return InstanceRole::Another;
    }
    if (!bus_.registerService(QLatin1String(kInstanceService)))
    {
        bus_.unregisterObject(QLatin1String(kInstancePath));
        return InstanceRole::Another;
    }
    owner_ = true;
    return InstanceRole::First;
}

bool SingleInstance::AskToRaise(int timeoutMilliseconds)
{
    const QDBusMessage call = QDBusMessage::createMethodCall(
        QLatin1String(kInstanceService), QLatin1String(kInstancePath),
        QStringLiteral("org.yumo.Yumo"), QStringLiteral("Raise"));
    // Events go on while waiting, so a caller in the same process as the owner can be answered.
    return bus_.call(call, QDBus::BlockWithGui, timeoutMilliseconds).type() ==
           QDBusMessage::ReplyMessage;
}

void SingleInstance::Raise() { emit RaiseRequested(); }

} // namespace yumo
