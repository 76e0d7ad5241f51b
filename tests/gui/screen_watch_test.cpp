// The screen saver and the session's lock on private buses: when the screen is away the window
// paints nothing, catches up in one repaint when it is back, and the night sounds the same.

#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <vector>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QEvent>
#include <QTest>

#include "gui/desktop/screen_watch.h"
#include "gui/desktop_session.h"
#include "gui/private_bus.h"
#include "gui/texts/language.h"
#include "gui/window/client_area.h"
#include "gui/window/pane_widget.h"
#include "gui/window_fixture.h"
#include "night/offline_device.h"
#include "support/night_data.h"

namespace yumo::test
{
namespace
{

// The desktop's screen saver as programs see it on the session bus.
class FakeScreenSaver final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    explicit FakeScreenSaver(QDBusConnection bus) : bus_(std::move(bus)) {}
    ~FakeScreenSaver() override
    {
        bus_.unregisterService(QStringLiteral("org.freedesktop.ScreenSaver"));
    }
    bool Register()
    {
        return bus_.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), this,
                                   QDBusConnection::ExportAllSlots) &&
               bus_.registerService(QStringLiteral("org.freedesktop.ScreenSaver"));
    }
    void Set(bool active)
    {
        active_ = active;
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/ScreenSaver"),
            QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("ActiveChanged"));
        signal << active;
        bus_.send(signal);
    }

public slots:
    bool GetActive() const { return active_; }

private:
    QDBusConnection bus_;
    bool active_ = false;
};

// logind's session object: its LockedHint.
class StandInSessionObject final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Session")
    Q_PROPERTY(bool LockedHint MEMBER locked)

public:
    bool locked = false;
};

// logind as far as the lock goes: this process's session and whether it is locked.
class StandInSession final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    static constexpr char kPath[] = "/org/freedesktop/login1/session/_1";
    explicit StandInSession(QDBusConnection bus) : bus_(std::move(bus)) {}
    bool Register()
    {
        return bus_.registerObject(QStringLiteral("/org/freedesktop/login1"), this,
                                   QDBusConnection::ExportAllSlots) &&
               bus_.registerObject(QLatin1String(kPath), &session,
                                   QDBusConnection::ExportAllProperties) &&
               bus_.registerService(QStringLiteral("org.freedesktop.login1"));
    }
    void Lock(bool lock)
    {
        session.locked = lock;
        QDBusMessage signal = QDBusMessage::createSignal(
            QLatin1String(kPath), QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("PropertiesChanged"));
        signal << QStringLiteral("org.freedesktop.login1.Session")
               << QVariantMap{{QStringLiteral("LockedHint"), lock}} << QStringList();
        bus_.send(signal);
    }

public slots:
    QDBusObjectPath GetSession(const QString& id)
    {
        asked.append(id);
        return QDBusObjectPath(QLatin1String(kPath));
    }

public:
    StandInSessionObject session;
    QStringList asked;

private:
    QDBusConnection bus_;
};

TEST(ScreenWatch, TheScreenIsAwayWhileTheSaverIsActiveOrTheSessionIsLocked)
{
    PrivateBus sessionBus;
    PrivateBus systemBus;
    ASSERT_TRUE(sessionBus.IsRunning() && systemBus.IsRunning());
    StandInSession logind(systemBus.Connect());
    logind.session.locked = true; // locked before the program started
    ASSERT_TRUE(logind.Register());
    auto saver = std::make_unique<FakeScreenSaver>(sessionBus.Connect());
    ScreenWatch watch(sessionBus.Connect(), systemBus.Connect());
    ASSERT_TRUE(QTest::qWaitFor([&] { return watch.IsLocked(); }, 5000));
    EXPECT_EQ(logind.asked, QStringList{QStringLiteral("auto")});

    const struct
    {
        const char* what;
        std::function<void()> act;
        bool away;
    } steps[] = {
        {"unlocked", [&] { logind.Lock(false); }, false},
        {"a saver starting active", [&] { saver->Set(true), (void)saver->Register(); }, true},
        {"locked as well", [&] { logind.Lock(true); }, true},
        {"the saver ends, still locked", [&] { saver->Set(false); }, true},
        {"unlocked", [&] { logind.Lock(false); }, false},
        {"the saver again", [&] { saver->Set(true); }, true},
        {"the saver leaves the bus", [&] { saver.reset(); }, false},
    };
    for (const auto& step : steps)
    {
        step.act();
        EXPECT_TRUE(QTest::qWaitFor([&] { return watch.IsScreenAway() == step.away; }, 5000))
            << step.what;
    }
}

// Counts the window's repaints (each paints what is dirty at once) and each widget's paints in
// each of them.
class PaintCounter final : public QObject
{
public:
    explicit PaintCounter(MainWindow& window)
    {
        window.installEventFilter(this);
        for (QWidget* widget : window.findChildren<QWidget*>())
        {
            widget->installEventFilter(this);
        }
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::UpdateRequest)
        {
            ++repaints;
        }
        else if (event->type() == QEvent::Paint)
        {
            ++paints[repaints][watched];
        }
        return false;
    }
    int repaints = 0;
    std::map<int, std::map<QObject*, int>> paints; // by repaint
};

// The sound of a night of `blocks` blocks from 23:00 and the generator's first seed, pumped in
// batches; `between` runs after each batch.
std::vector<int16_t> PlayNight(AppState& state, OfflineDevice& device, MainWindow& window,
                               int blocks, const std::function<void(int)>& between)
{
    std::vector<int16_t> sound;
    device.sink = [&](const int16_t* data, size_t bytes) {
        sound.insert(sound.end(), data, data + bytes / sizeof(int16_t));
    };
    SetClockTime(state.clock, LocalTime{23, 0, 0});
    state.rng = Rng{};
    window.StartNightCommand();
    constexpr int kBatch = 50;
    for (int block = 0; block < blocks; block += kBatch)
    {
        for (int i = 0; i < kBatch; ++i)
        {
            const int second = (block + i) * kFramesPerBlock / kSampleRate;
            SetClockTime(state.clock, LocalTime{23, second / 60, second % 60});
            PumpOfflineDevice(device);
        }
        between(block + kBatch);
    }
    device.sink = nullptr;
    return sound;
}

class ScreenAwayTest : public WindowTest
{
protected:
    LanguageSwitch language;
};

TEST_F(ScreenAwayTest, NothingIsPaintedWhileTheScreenSaverIsActiveAndTheNightSoundsTheSame)
{
    PrivateBus bus;
    ASSERT_TRUE(bus.IsRunning());
    FakeScreenSaver saver(bus.Connect());
    ASSERT_TRUE(saver.Register());
    const QDBusConnection none = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent"), QStringLiteral("nobus"));
    ShowWithDefaultVoice();
    DesktopSession session({*state, *window, language, reporter}, SavedSettings{}, QString(),
                           {bus.Connect(), none});
    PaintCounter counter(*window);
    constexpr int kAwayFrom = 200;
    constexpr int kAwayUntil = 1600;
    int repaintsAway = -1;
    const std::vector<int16_t> heard = PlayNight(*state, device, *window, 2000, [&](int block) {
        if (block == kAwayFrom)
        {
            saver.Set(true);
            ASSERT_TRUE(QTest::qWaitFor([&] { return !window->IsSeen(); }, 5000));
            QTest::qWait(50); // what was asked before is painted
            repaintsAway = counter.repaints;
            counter.paints.erase(repaintsAway);
        }
        QTest::qWait(kTickMilliseconds + 10); // a tick would have come
        if (block == kAwayUntil)
        {
            EXPECT_EQ(counter.repaints, repaintsAway);
            EXPECT_EQ(counter.paints.count(repaintsAway), 0u) << "painted while away";
            saver.Set(false);
            ASSERT_TRUE(QTest::qWaitFor([&] { return counter.repaints > repaintsAway; }, 5000));
            // The first repaint caught every pane up, each once.
            std::map<QObject*, int>& first = counter.paints[repaintsAway + 1];
            for (PaneWidget* pane : window->client().findChildren<PaneWidget*>())
            {
                EXPECT_EQ(first[pane], pane->isVisible() ? 1 : 0)
                    << pane->objectName().toStdString();
            }
        }
    });
    ASSERT_TRUE(window->IsSeen());

    // The same night on a window nobody blanks.
    CapturingReporter otherReporter;
    OfflineDevice otherDevice;
    FakePrompts otherPrompts;
    std::unique_ptr<AppState> other = CreateAppState(otherReporter);
    other->hrir = MakePassThroughHrirSet();
    MainWindow otherWindow(*other, otherDevice, otherPrompts);
    otherWindow.LoadDefaultVoiceData();
    otherWindow.show();
    const std::vector<int16_t> plain =
        PlayNight(*other, otherDevice, otherWindow, 2000, [](int) {});
    ASSERT_GT(plain.size(), 1000u * kFramesPerBlock);
    EXPECT_TRUE(heard == plain) << "the night sounded otherwise while the screen was away";
    QDBusConnection::disconnectFromBus(QStringLiteral("nobus"));
}

// An update asked for just before the screen goes away is still pending when it comes back;
// the window must not stand still after that.
TEST_F(ScreenAwayTest, AnUpdatePendingAsTheScreenGoesAwayLeavesTheWindowPaintingOnItsReturn)
{
    ShowWithDefaultVoice();
    PaintCounter counter(*window);
    QTest::qWait(50);
    PaneWidget* pane = window->client().findChildren<PaneWidget*>().value(0);
    ASSERT_NE(pane, nullptr);
    pane->update();
    window->SetScreenAway(true);
    QTest::qWait(50);
    window->SetScreenAway(false);
    const int back = counter.repaints;
    EXPECT_GT(counter.paints[back][pane], 0) << "no repaint on return";
    pane->update();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return counter.paints[counter.repaints][pane] > 0 && counter.repaints > back; },
        2000))
        << "an update after the return is never painted";
}

} // namespace
} // namespace yumo::test

#include "screen_watch_test.moc"
