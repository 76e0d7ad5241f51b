#pragma once
// A D-Bus daemon of the test's own, started per test; each Connect() is another client of it.

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QStringList>

#include "gui/test_application.h"

namespace yumo::test
{

class PrivateBus
{
public:
    PrivateBus()
    {
        EnsureTestApplication();
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--print-address=1")});
        if (daemon_.waitForReadyRead(5000))
        {
            address_ = QString::fromLocal8Bit(daemon_.readLine()).trimmed();
        }
    }
    ~PrivateBus()
    {
        for (const QString& name : names_)
        {
            QDBusConnection::disconnectFromBus(name);
        }
        daemon_.kill();
        daemon_.waitForFinished();
    }
    bool IsRunning() const { return !address_.isEmpty(); }
    // Each connection's name is unique across buses: Qt hands out an existing connection of
    // the same name, whichever bus it reaches.
    QDBusConnection Connect()
    {
        static int made = 0;
        const QString name = QStringLiteral("test%1").arg(made++);
        names_.append(name);
        return QDBusConnection::connectToBus(address_, name);
    }

private:
    QProcess daemon_;
    QString address_;
    QStringList names_;
};

} // namespace yumo::test
