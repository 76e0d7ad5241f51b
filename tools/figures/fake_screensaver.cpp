// yumo-fake-screensaver: a desktop's screen saver as far as programs see it on the session bus,
// for measuring what a program does while the screen is blanked without blanking a real one.
// It owns org.freedesktop.ScreenSaver at /org/freedesktop/ScreenSaver and /ScreenSaver (the two
// paths desktops offer) with GetActive and SetActive; SetActive emits ActiveChanged when the
// state changes. Drive it with (one line)
//   dbus-send --session --dest=org.freedesktop.ScreenSaver /org/freedesktop/ScreenSaver
//       org.freedesktop.ScreenSaver.SetActive boolean:true
// It ends with status 1 when the name is taken or there is no session bus.

#include <cstdio>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>

namespace
{

constexpr char kService[] = "org.freedesktop.ScreenSaver";
constexpr char kInterface[] = "org.freedesktop.ScreenSaver";
constexpr char kPaths[][32] = {"/org/freedesktop/ScreenSaver", "/ScreenSaver"};

class FakeScreenSaver final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public slots:
    bool GetActive() const { return active_; }
    bool SetActive(bool active)
    {
        if (active != active_)
        {
            active_ = active;
            for (const char* path : kPaths)
            {
                QDBusMessage signal =
                    QDBusMessage::createSignal(QLatin1String(path), QLatin1String(kInterface),
                                               QStringLiteral("ActiveChanged"));
                signal << active;
                QDBusConnection::sessionBus().send(signal);
            }
        }
        return true;
    }

private:
    bool active_ = false;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    FakeScreenSaver saver;
    for (const char* path : kPaths)
    {
        bus.registerObject(QLatin1String(path), &saver, QDBusConnection::ExportAllSlots);
    }
    if (!bus.isConnected() || !bus.registerService(QLatin1String(kService)))
    {
        std::fprintf(stderr, "yumo-fake-screensaver: cannot own %s on the session bus\n", kService);
        return 1;
    }
    return QCoreApplication::exec();
}

#include "fake_screensaver.moc"
