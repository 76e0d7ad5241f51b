#pragma once
// Yumo as a media player on the session bus (MPRIS 2: org.mpris.MediaPlayer2.yumo at
// /org/mpris/MediaPlayer2), so media keys, the desktop's media panel and playerctl reach it.
// Play starts a night as おやすみなさい does, Stop ends it as 起きます does, and PlayPause (and
// Pause while a night plays) toggles as the Enter key does; the title is the status pane's
// activity text. There are no tracks to skip, seek or open.

#include <functional>

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

namespace yumo
{

inline constexpr char kMprisService[] = "org.mpris.MediaPlayer2.yumo";
inline constexpr char kMprisPath[] = "/org/mpris/MediaPlayer2";

struct MprisActions
{
    std::function<void()> toggleNight; // Enter
    std::function<void()> startNight;  // おやすみなさい, when a night may start
    std::function<void()> stopNight;   // 起きます, when a night runs
    std::function<void()> raise;
    std::function<void()> quit;
};

class MediaPlayerService;

// org.mpris.MediaPlayer2: the program itself.
class MprisRootAdaptor final : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ CanQuit CONSTANT)
    Q_PROPERTY(bool CanRaise READ CanRaise CONSTANT)
    Q_PROPERTY(bool HasTrackList READ HasTrackList CONSTANT)
    Q_PROPERTY(QString Identity READ Identity CONSTANT)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry CONSTANT)
    Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes CONSTANT)
    Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes CONSTANT)

public:
    explicit MprisRootAdaptor(MediaPlayerService* service);
    bool CanQuit() const { return true; }
    bool CanRaise() const { return true; }
    bool HasTrackList() const { return false; }
    QString Identity() const { return QStringLiteral("Yumo"); }
    QString DesktopEntry() const { return QStringLiteral("org.yumo.Yumo"); }
    QStringList SupportedUriSchemes() const { return {}; }
    QStringList SupportedMimeTypes() const { return {}; }

public slots:
    void Raise();
    void Quit();

private:
    MediaPlayerService* service_;
};

// org.mpris.MediaPlayer2.Player: the night.
class MprisPlayerAdaptor final : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(double Rate READ Rate CONSTANT)
    Q_PROPERTY(double MinimumRate READ Rate CONSTANT)
    Q_PROPERTY(double MaximumRate READ Rate CONSTANT)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(bool CanGoNext READ No CONSTANT)
    Q_PROPERTY(bool CanGoPrevious READ No CONSTANT)
    Q_PROPERTY(bool CanSeek READ No CONSTANT)
    Q_PROPERTY(bool CanPlay READ CanPlay)
    Q_PROPERTY(bool CanPause READ CanPause)
    Q_PROPERTY(bool CanControl READ Yes CONSTANT)

public:
    explicit MprisPlayerAdaptor(MediaPlayerService* service);
    QString PlaybackStatus() const;
    QVariantMap Metadata() const;
    double Rate() const { return 1.0; }
    qlonglong Position() const { return 0; }
    bool No() const { return false; }
    bool Yes() const { return true; }
    bool CanPlay() const;
    bool CanPause() const;

public slots:
    void Play();
    void Pause();
    void PlayPause();
    void Stop();
    void Next() {}
    void Previous() {}
    void Seek(qlonglong) {}
    void SetPosition(const QDBusObjectPath&, qlonglong) {}
    void OpenUri(const QString&) {}

private:
    MediaPlayerService* service_;
};

// The object both interfaces hang on; it owns the service name while it lives.
class MediaPlayerService final : public QObject
{
    Q_OBJECT

public:
    MediaPlayerService(const QDBusConnection& bus, MprisActions actions, QObject* parent = nullptr);
    ~MediaPlayerService() override;

    // False when the bus is missing or the name is taken.
    bool IsRegistered() const { return registered_; }

    // What the night looks like now; changed properties are announced on the bus.
    void Show(bool running, bool canStart, const QString& title, bool wakeCall = false);

    bool running() const { return running_; }
    bool canStart() const { return canStart_; }
    const QString& title() const { return title_; }
    bool wakeCall() const { return wakeCall_; }
    const MprisActions& actions() const { return actions_; }

private:
    void Announce(const QVariantMap& changed);

    QDBusConnection bus_;
    MprisActions actions_;
    bool registered_ = false;
    bool running_ = false;
    bool canStart_ = false;
    QString title_;
    bool wakeCall_ = false;
};

} // namespace yumo
