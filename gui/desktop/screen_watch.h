#pragma once
// Whether anybody can see the screen: not while the desktop's screen saver is active
// (org.freedesktop.ScreenSaver on the session bus: GetActive, then its ActiveChanged signal;
// GNOME, KDE and Xfce offer it) nor while the session is locked (logind's LockedHint of this
// session on the system bus, followed through PropertiesChanged). A service that is missing
// counts as "seen"; a screen saver that leaves the bus takes its blanking with it.

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

class QDBusPendingCallWatcher;

namespace yumo
{

class ScreenWatch final : public QObject
{
    Q_OBJECT

public:
    // `session` and `system` are the buses in the program; tests give private ones.
    ScreenWatch(const QDBusConnection& session, const QDBusConnection& system,
                QObject* parent = nullptr);

    bool IsScreenAway() const { return saverActive_ || locked_; }
    bool IsSaverActive() const { return saverActive_; }
    bool IsLocked() const { return locked_; }

signals:
    void ScreenAwayChanged(bool away);

private slots:
    void OnSaverActiveChanged(bool active);
    void OnSessionChanged(const QString& interface, const QVariantMap& changed,
                          const QStringList& invalidated);

private:
    void AskSaver();
    void AskSessionPath();
    void FollowSession(const QString& path);
    void AskLocked();
    void Follow(bool& flag, bool value);

    QDBusConnection session_;
    QDBusConnection system_;
    QString sessionPath_;  // logind's object of this session, once known
    int saverSignals_ = 0; // ActiveChanged heard, so an older GetActive answer is not taken
    int lockSignals_ = 0;
    bool saverActive_ = false;
    bool locked_ = false;
};

} // namespace yumo
