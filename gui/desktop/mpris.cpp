#include "gui/desktop/mpris.h"

#include <QDBusMessage>
#include <QDBusObjectPath>

namespace yumo
{
namespace
{

void Run(const std::function<void()>& action)
{
    if (action)
    {
        action();
    }
}

// "yumo:wakeCall": she is calling the listener awake (a player's own key, as the
// specification of the interface allows).
QVariantMap NightMetadata(const QString& title, bool wakeCall)
{
    return {{QStringLiteral("mpris:trackid"),
             QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/yumo/Yumo/Night")))},
            {QStringLiteral("xesam:title"), title},
            {QStringLiteral("yumo:wakeCall"), wakeCall}};
}

} // namespace

MprisRootAdaptor::MprisRootAdaptor(MediaPlayerService* service)
    : QDBusAbstractAdaptor(service), service_(service)
{
}

void MprisRootAdaptor::Raise() { Run(service_->actions().raise); }
void MprisRootAdaptor::Quit() { Run(service_->actions().quit); }

MprisPlayerAdaptor::MprisPlayerAdaptor(MediaPlayerService* service)
    : QDBusAbstractAdaptor(service), service_(service)
{
}

QString MprisPlayerAdaptor::PlaybackStatus() const
{
    return service_->running() ? QStringLiteral("Playing") : QStringLiteral("Stopped");
}

QVariantMap MprisPlayerAdaptor::Metadata() const
{
    return NightMetadata(service_->title(), service_->wakeCall());
}

bool MprisPlayerAdaptor::CanPlay() const { return service_->canStart(); }
// There is no pause: a night ends and the next one starts afresh, as with the Enter key.
bool MprisPlayerAdaptor::CanPause() const { return service_->running(); }

void MprisPlayerAdaptor::Play()
{
    if (!service_->running() && service_->canStart())
    {
        Run(service_->actions().startNight);
    }
}

void MprisPlayerAdaptor::Pause()
{
    if (service_->running())
    {
        Run(service_->actions().stopNight);
    }
}

void MprisPlayerAdaptor::PlayPause()
{
    if (service_->running() || service_->canStart())
    {
        Run(service_->actions().toggleNight);
    }
}

void MprisPlayerAdaptor::Stop()
{
    if (service_->running())
    {
        Run(service_->actions().stopNight);
    }
}

MediaPlayerService::MediaPlayerService(const QDBusConnection& bus, MprisActions actions,
                                       QObject* parent)
    : QObject(parent), bus_(bus), actions_(std::move(actions))
{
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
    registered_ = bus_.isConnected() && bus_.registerObject(QLatin1String(kMprisPath), this) &&
                  bus_.registerService(QLatin1String(kMprisService));
}

MediaPlayerService::~MediaPlayerService()
{
    if (registered_)
    {
        bus_.unregisterService(QLatin1String(kMprisService));
        bus_.unregisterObject(QLatin1String(kMprisPath));
    }
}

void MediaPlayerService::Show(bool running, bool canStart, const QString& title, bool wakeCall)
{
    QVariantMap changed;
    if (running != running_)
    {
        running_ = running;
        changed.insert(QStringLiteral("PlaybackStatus"),
                       running ? QStringLiteral("Playing") : QStringLiteral("Stopped"));
        changed.insert(QStringLiteral("CanPause"), running);
    }
    if (canStart != canStart_)
    {
        canStart_ = canStart;
        changed.insert(QStringLiteral("CanPlay"), canStart);
    }
    if (title != title_ || wakeCall != wakeCall_)
    {
        title_ = title;
        wakeCall_ = wakeCall;
        changed.insert(QStringLiteral("Metadata"), NightMetadata(title, wakeCall));
    }
    if (!changed.isEmpty())
    {
        Announce(changed);
    }
}

// Properties do not announce themselves: the standard signal carries what changed.
void MediaPlayerService::Announce(const QVariantMap& changed)
{
    if (!registered_)
    {
        return;
    }
    QDBusMessage signal = QDBusMessage::createSignal(
        QLatin1String(kMprisPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << QStringLiteral("org.mpris.MediaPlayer2.Player") << changed << QStringList();
    bus_.send(signal);
}

} // namespace yumo
