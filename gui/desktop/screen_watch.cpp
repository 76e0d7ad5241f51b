#include "gui/desktop/screen_watch.h"

#include <unistd.h>

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace yumo
{
namespace
{

const QString kSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSession = QStringLiteral("org.freedesktop.login1.Session");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kLockedHint = QStringLiteral("LockedHint");

// Runs `answered` with the reply once it is in; the watcher goes with it.
template <typename Answered>
void WhenAnswered(QObject* owner, const QDBusConnection& bus, const QDBusMessage& call,
                  Answered answered)
{
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), owner);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, owner,
                     [answered](QDBusPendingCallWatcher* done) {
                         done->deleteLater();
                         answered(*done);
                     });
}

} // namespace

ScreenWatch::ScreenWatch(const QDBusConnection& session, const QDBusConnection& system,
                         QObject* parent)
    : QObject(parent), session_(session), system_(system)
{
    if (session_.isConnected())
    {
        session_.connect(kSaverService, kSaverPath, kSaverService, QStringLiteral("ActiveChanged"),
                         this, SLOT(OnSaverActiveChanged(bool)));
        // A screen saver that starts later is asked; one that ends blanks nothing any more.
        auto* watcher = new QDBusServiceWatcher(kSaverService, session_,
                                                QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
                [this](const QString&, const QString&, const QString& owner) {
                    ++saverSignals_;
                    Follow(saverActive_, false);
                    if (!owner.isEmpty())
                    {
                        AskSaver();
                    }
                });
        AskSaver();
    }
    if (system_.isConnected())
    {
        AskSessionPath();
    }
}

void ScreenWatch::AskSaver()
{
    const int heard = saverSignals_;
    WhenAnswered(this, session_,
                 QDBusMessage::createMethodCall(kSaverService, kSaverPath, kSaverService,
                                                QStringLiteral("GetActive")),
                 [this, heard](const QDBusPendingCallWatcher& done) {
                     const QDBusPendingReply<bool> reply = done;
                     if (!reply.isError() && heard == saverSignals_)
                     {
                         Follow(saverActive_, reply.value());
                     }
                 });
}

void ScreenWatch::OnSaverActiveChanged(bool active)
{
    ++saverSignals_;
    Follow(saverActive_, active);
}

// The session this process belongs to ("auto": the caller's, or the user's display session),
// else the one of this process's PID.
void ScreenWatch::AskSessionPath()
{
    QDBusMessage byName = QDBusMessage::createMethodCall(kLogind, kLogindPath, kManager,
                                                         QStringLiteral("GetSession"));
    byName << QStringLiteral("auto");
    WhenAnswered(this, system_, byName, [this](const QDBusPendingCallWatcher& done) {
        const QDBusPendingReply<QDBusObjectPath> reply = done;
        if (!reply.isError())
        {
            FollowSession(reply.value().path());
            return;
        }
        QDBusMessage byPid = QDBusMessage::createMethodCall(kLogind, kLogindPath, kManager,
                                                            QStringLiteral("GetSessionByPID"));
        byPid << static_cast<uint>(getpid());
        WhenAnswered(this, system_, byPid, [this](const QDBusPendingCallWatcher& second) {
            const QDBusPendingReply<QDBusObjectPath> pid = second;
            if (!pid.isError())
            {
                FollowSession(pid.value().path());
            }
        });
    });
}

void ScreenWatch::FollowSession(const QString& path)
{
    sessionPath_ = path;
    system_.connect(kLogind, sessionPath_, kProperties, QStringLiteral("PropertiesChanged"), this,
                    SLOT(OnSessionChanged(QString, QVariantMap, QStringList)));
    AskLocked();
}

void ScreenWatch::AskLocked()
{
    QDBusMessage get =
        QDBusMessage::createMethodCall(kLogind, sessionPath_, kProperties, QStringLiteral("Get"));
    get << kSession << kLockedHint;
    const int heard = ++lockSignals_;
    WhenAnswered(this, system_, get, [this, heard](const QDBusPendingCallWatcher& done) {
        const QDBusPendingReply<QDBusVariant> reply = done;
        if (!reply.isError() && heard == lockSignals_)
        {
            Follow(locked_, reply.value().variant().toBool());
        }
    });
}

void ScreenWatch::OnSessionChanged(const QString& interface, const QVariantMap& changed,
                                   const QStringList& invalidated)
{
    if (interface != kSession)
    {
        return;
    }
    if (changed.contains(kLockedHint))
    {
        ++lockSignals_;
        Follow(locked_, changed.value(kLockedHint).toBool());
    }
    else if (invalidated.contains(kLockedHint))
    {
        AskLocked();
    }
}

void ScreenWatch::Follow(bool& flag, bool value)
{
    const bool wasAway = IsScreenAway();
    flag = value;
    if (IsScreenAway() != wasAway)
    {
        emit ScreenAwayChanged(IsScreenAway());
    }
}

} // namespace yumo
