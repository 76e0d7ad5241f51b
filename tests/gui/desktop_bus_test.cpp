// The desktop's D-Bus services against a private bus (dbus-daemon started per test): the logind
// sleep lock against a stand-in logind, the media-player interface as a desktop panel reaches
// it, and one instance per session.

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QDateTime>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include "display/status_texts.h"
#include "gui/desktop/mpris.h"
#include "gui/desktop/settings.h"
#include "gui/desktop/single_instance.h"
#include "gui/desktop/sleep_inhibitor.h"
#include "gui/desktop_session.h"
#include "gui/plot/night_plot.h"
#include "gui/private_bus.h"
#include "gui/test_application.h"
#include "gui/texts/language.h"
#include "gui/texts/texts.h"
#include "gui/window/client_area.h"
#include "gui/window/night_picture_dialog.h"
#include "gui/window_fixture.h"
#include "night/behaviour.h"
#include "night/offline_device.h"

namespace yumo::test
{
namespace
{

// logind's Inhibit as far as Yumo uses it: it records the request and hands back one end of a
// pipe, so the test sees the lock released when the other end reads end-of-file; it refuses
// the next `refusals` requests as logind refuses a lock the policy does not allow.
class StandInLogind final : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    ~StandInLogind() override
    {
        if (readEnd >= 0)
        {
            ::close(readEnd);
        }
    }

public slots:
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why,
                                    const QString& mode)
    {
        requests.append(QStringList{what, who, why, mode});
        if (refusals > 0)
        {
            --refusals;
            sendErrorReply(QDBusError::AccessDenied, QStringLiteral("Permission denied"));
            return {};
        }
        if (readEnd >= 0)
        {
            ::close(readEnd);
        }
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
        {
            return {};
        }
        readEnd = ends[0];
        QDBusUnixFileDescriptor lock(ends[1]); // keeps a copy of its own
        ::close(ends[1]);
        return lock;
    }

public:
    QList<QStringList> requests;
    int readEnd = -1;
    int refusals = 0;
};

class ChangeListener final : public QObject
{
    Q_OBJECT

public slots:
    void Seen(const QString&, const QVariantMap& changed, const QStringList&)
    {
        seen.append(changed);
    }

public:
    QList<QVariantMap> seen;
};

// True once every holder of the pipe's write end has closed it.
bool LockReleased(int readEnd)
{
    ::fcntl(readEnd, F_SETFL, O_NONBLOCK);
    char byte = 0;
    return ::read(readEnd, &byte, 1) == 0;
}

QVariant GetProperty(QDBusConnection& bus, const char* interface, const char* name)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QLatin1String(kMprisService), QLatin1String(kMprisPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << QLatin1String(interface) << QLatin1String(name);
    const QDBusMessage reply = bus.call(call, QDBus::BlockWithGui, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage)
    {
        return {};
    }
    return reply.arguments().value(0).value<QDBusVariant>().variant();
}

void CallPlayer(QDBusConnection& bus, const char* method)
{
    const QDBusMessage call = QDBusMessage::createMethodCall(
        QLatin1String(kMprisService), QLatin1String(kMprisPath),
        QStringLiteral("org.mpris.MediaPlayer2.Player"), QLatin1String(method));
    EXPECT_EQ(bus.call(call, QDBus::BlockWithGui, 5000).type(), QDBusMessage::ReplyMessage)
        << method;
}

TEST(SleepInhibitor, HoldsLogindsSleepLockUntilReleasedAndSaysWhenLogindIsMissing)
{
    PrivateBus bus;
    ASSERT_TRUE(bus.IsRunning()) << "dbus-daemon is missing (package dbus-daemon)";
    QDBusConnection logindSide = bus.Connect();
    StandInLogind logind;
    ASSERT_TRUE(logindSide.registerObject(QStringLiteral("/org/freedesktop/login1"), &logind,
                                          QDBusConnection::ExportAllSlots));

    // No logind on the bus yet: no lock, and the reason is given.
    SleepInhibitor inhibitor(bus.Connect());
    QSignalSpy changes(&inhibitor, &SleepInhibitor::Changed);
    inhibitor.Hold();
    ASSERT_TRUE(changes.wait(5000));
    EXPECT_FALSE(inhibitor.IsHeld());
    EXPECT_FALSE(changes.last().at(1).toString().isEmpty());

    ASSERT_TRUE(logindSide.registerService(QStringLiteral("org.freedesktop.login1")));
    inhibitor.Release();
    inhibitor.Hold();
    inhibitor.Hold(); // a second ask while the first is on its way changes nothing
    ASSERT_TRUE(changes.wait(5000));
    ASSERT_TRUE(inhibitor.IsHeld());
    ASSERT_EQ(logind.requests.size(), 1); // the first ask never reached it
    EXPECT_EQ(logind.requests.last().at(0), QStringLiteral("sleep"));
    EXPECT_EQ(logind.requests.last().at(1), QStringLiteral("Yumo"));
    EXPECT_EQ(logind.requests.last().at(3), QStringLiteral("block"));
    EXPECT_FALSE(LockReleased(logind.readEnd));

    inhibitor.Release();
    EXPECT_FALSE(inhibitor.IsHeld());
    // The reply that carried the descriptor goes with the event loop's next turn.
    EXPECT_TRUE(QTest::qWaitFor([&] { return LockReleased(logind.readEnd); }, 2000));

    // Released while logind was still answering: the lock arrives and is dropped at once.
    inhibitor.Hold();
    inhibitor.Release();
    QTest::qWait(300);
    EXPECT_FALSE(inhibitor.IsHeld());
    ASSERT_EQ(logind.requests.size(), 2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return LockReleased(logind.readEnd); }, 2000));
}

TEST(MediaPlayer, AnswersAsADesktopPanelAsksAndTellsWhatChanged)
{
    PrivateBus bus;
    ASSERT_TRUE(bus.IsRunning());
    int starts = 0;
    int stops = 0;
    int toggles = 0;
    int raises = 0;
    MprisActions actions;
    actions.startNight = [&] { ++starts; };
    actions.stopNight = [&] { ++stops; };
    actions.toggleNight = [&] { ++toggles; };
    actions.raise = [&] { ++raises; };
    MediaPlayerService player(bus.Connect(), actions);
    ASSERT_TRUE(player.IsRegistered());
    // A second player cannot take the name.
    EXPECT_FALSE(MediaPlayerService(bus.Connect(), {}).IsRegistered());

    QDBusConnection panel = bus.Connect();
    EXPECT_EQ(GetProperty(panel, "org.mpris.MediaPlayer2", "Identity").toString(),
              QStringLiteral("Yumo"));
    EXPECT_EQ(GetProperty(panel, "org.mpris.MediaPlayer2", "DesktopEntry").toString(),
              QStringLiteral("org.yumo.Yumo"));

    // Nothing loaded: nothing to play.
    CallPlayer(panel, "Play");
    CallPlayer(panel, "PlayPause");
    EXPECT_EQ(starts + toggles, 0);

    ChangeListener listener;
    ASSERT_TRUE(panel.connect(QString(), QLatin1String(kMprisPath),
                              QStringLiteral("org.freedesktop.DBus.Properties"),
                              QStringLiteral("PropertiesChanged"), &listener,
                              SLOT(Seen(QString, QVariantMap, QStringList))));
    player.Show(false, true, QStringLiteral("Getting ready for bed…"));
    EXPECT_TRUE(GetProperty(panel, "org.mpris.MediaPlayer2.Player", "CanPlay").toBool());
    CallPlayer(panel, "Play");
    EXPECT_EQ(starts, 1);
    CallPlayer(panel, "Stop"); // no night runs
    EXPECT_EQ(stops, 0);

    player.Show(true, false, QStringLiteral("Snoring…"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return !listener.seen.isEmpty() &&
                   listener.seen.last().contains(QStringLiteral("PlaybackStatus"));
        },
        5000));
    EXPECT_EQ(listener.seen.last().value(QStringLiteral("PlaybackStatus")).toString(),
              QStringLiteral("Playing"));
    const size_t announced = static_cast<size_t>(listener.seen.size());
    player.Show(true, false, QStringLiteral("Snoring…")); // nothing changed: nothing announced
    EXPECT_EQ(GetProperty(panel, "org.mpris.MediaPlayer2.Player", "PlaybackStatus").toString(),
              QStringLiteral("Playing"));
    const QVariantMap metadata =
        qdbus_cast<QVariantMap>(GetProperty(panel, "org.mpris.MediaPlayer2.Player", "Metadata"));
    EXPECT_EQ(metadata.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("Snoring…"));
    EXPECT_EQ(static_cast<size_t>(listener.seen.size()), announced);
    CallPlayer(panel, "Play"); // already playing
    EXPECT_EQ(starts, 1);
    CallPlayer(panel, "PlayPause");
    EXPECT_EQ(toggles, 1);
    CallPlayer(panel, "Stop");
    EXPECT_EQ(stops, 1);

    const QDBusMessage raise = QDBusMessage::createMethodCall(
        QLatin1String(kMprisService), QLatin1String(kMprisPath),
        QStringLiteral("org.mpris.MediaPlayer2"), QStringLiteral("Raise"));
    panel.call(raise, QDBus::BlockWithGui, 5000);
    EXPECT_EQ(raises, 1);
}

TEST(SleepInhibitor, AsksAgainAfterDoublingWaitsWhileLogindRefusesAndNotOnceReleased)
{
    PrivateBus bus;
    ASSERT_TRUE(bus.IsRunning());
    QDBusConnection logindSide = bus.Connect();
    StandInLogind logind;
    logind.refusals = 3;
    ASSERT_TRUE(logindSide.registerObject(QStringLiteral("/org/freedesktop/login1"), &logind,
                                          QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(logindSide.registerService(QStringLiteral("org.freedesktop.login1")));

    SleepInhibitor inhibitor(bus.Connect(), nullptr, {40, 100});
    inhibitor.Hold();
    std::vector<int> waits;
    for (qsizetype refused = 1; refused <= 3; ++refused)
    {
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return inhibitor.IsWaitingToRetry() && logind.requests.size() == refused; },
            5000));
        waits.push_back(inhibitor.retryWaitMs());
    }
    EXPECT_EQ(waits, (std::vector<int>{40, 80, 100}));
    inhibitor.Hold(); // already waiting to ask: no extra request
    ASSERT_TRUE(QTest::qWaitFor([&] { return inhibitor.IsHeld(); }, 5000));
    EXPECT_EQ(logind.requests.size(), 4);

    // A refusal after a lock was held waits the first wait again; a release stops the asking.
    inhibitor.Release();
    logind.refusals = 1;
    inhibitor.Hold();
    ASSERT_TRUE(QTest::qWaitFor([&] { return inhibitor.IsWaitingToRetry(); }, 5000));
    EXPECT_EQ(inhibitor.retryWaitMs(), 40);
    inhibitor.Release();
    EXPECT_FALSE(inhibitor.IsWaitingToRetry());
    QTest::qWait(150);
    EXPECT_EQ(logind.requests.size(), 5);
    EXPECT_FALSE(inhibitor.IsHeld());
}

class DesktopSessionTest : public WindowTest
{
protected:
    DesktopParts Parts() { return {*state, *window, language, reporter}; }
    LanguageSwitch language;
};

TEST_F(DesktopSessionTest, TheSleepLockIsTakenWhenTheNightStartsAndGivenBackWhenItEnds)
{
    PrivateBus bus;
    ASSERT_TRUE(bus.IsRunning());
    QDBusConnection logindSide = bus.Connect();
    StandInLogind logind;
    ASSERT_TRUE(logindSide.registerObject(QStringLiteral("/org/freedesktop/login1"), &logind,
                                          QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(logindSide.registerService(QStringLiteral("org.freedesktop.login1")));
    ShowWithDefaultVoice();
    DesktopSession session(Parts(), SavedSettings{}, QString(), {bus.Connect(), bus.Connect()});
    QTest::qWait(50);
    EXPECT_TRUE(logind.requests.isEmpty()); // no night, no lock
    EXPECT_TRUE(session.mediaPlayer().canStart());

    PressKey(Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return session.inhibitor().IsHeld(); }, 5000));
    EXPECT_TRUE(session.mediaPlayer().running());
    for (int i = 0; i < 400; ++i) // the night plays on: nothing more is asked
    {
        PumpOfflineDevice(device);
    }
    QTest::qWait(50);
    EXPECT_EQ(logind.requests.size(), 1);

    PressKey(Qt::Key_Return); // 起きます
    EXPECT_TRUE(QTest::qWaitFor([&] { return LockReleased(logind.readEnd); }, 2000));
    EXPECT_FALSE(session.mediaPlayer().running());

    // A night that stops inside the refill, as after ten hours, gives the lock back too.
    PressKey(Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return session.inhibitor().IsHeld(); }, 5000));
    DrainNight(*state);
    EXPECT_TRUE(QTest::qWaitFor([&] { return LockReleased(logind.readEnd); }, 2000));
    EXPECT_EQ(logind.requests.size(), 2);

    // A night started and ended before the event loop turned asks for nothing, nor does a
    // night that is not to keep the computer awake.
    PressKey(Qt::Key_Return);
    PressKey(Qt::Key_Return);
    session.keepAwakeAction()->setChecked(false);
    PressKey(Qt::Key_Return);
    ASSERT_TRUE(NightPlays(state->phase));
    QTest::qWait(100);
    EXPECT_EQ(logind.requests.size(), 2);
    EXPECT_FALSE(session.inhibitor().IsHeld());
}

// The session wakes for what changed, not on a clock: over a simulated night, with the blocks
// handed back eight at a time as the sound card does while nobody watches, it wakes at most once
// per batch in which her activity was chosen anew, and the settings are never written.
TEST_F(DesktopSessionTest, WakesOnlyForChangesThroughASimulatedNight)
{
    ShowWithDefaultVoice();
    const QDBusConnection none = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent"), QStringLiteral("nobus"));
    QTest::qWait(200);   // the window's first moves and resizes, late on a busy machine
    SavedSettings saved; // as the window stands: nothing to write
    saved.windowGeometry = window->saveGeometry();
    ApplySettings(saved, *state); // as the program starts
    {
        DesktopSession session(Parts(), saved, QString(), {none, none});
        QCoreApplication::processEvents();
        ASSERT_FALSE(session.keeper().IsWaiting()) << "the settings differ before the night";
        const int before = session.wakeUps();
        SetClockTime(state->clock, LocalTime{23, 0, 0}); // the night starts when the loop begins
        PressKey(Qt::Key_Return);
        ASSERT_TRUE(NightPlays(state->phase));

        constexpr int kMinutes = 15;
        constexpr int kBatch = 8;
        const int64_t blocks = int64_t{kMinutes} * 60 * kSampleRate / kFramesPerBlock;
        Activity shown = ClassifyActivity(state->behaviourState, state->sleep);
        int activityChanges = 0;
        int batchesWithAChoice = 0;
        for (int64_t block = 0; block < blocks; block += kBatch)
        {
            const int32_t behaviour = state->behaviourState;
            const int32_t depth = state->sleep.depth;
            for (int i = 0; i < kBatch; ++i)
            {
                const int64_t second = 23 * 3600 + (block + i) * kFramesPerBlock / kSampleRate;
                SetClockTime(state->clock, LocalTime{static_cast<int>(second / 3600 % 24),
                                                     static_cast<int>(second / 60 % 60),
                                                     static_cast<int>(second % 60)});
                PumpOfflineDevice(device);
            }
            batchesWithAChoice += behaviour != state->behaviourState || depth != state->sleep.depth;
            const Activity now = ClassifyActivity(state->behaviourState, state->sleep);
            activityChanges += now != shown;
            shown = now;
            QCoreApplication::processEvents();
        }
        const int woken = session.wakeUps() - before;
        std::printf("desktop session: %d wake-ups over %d simulated minutes (a half-second look: "
                    "%d); her activity changed %d times\n",
                    woken, kMinutes, kMinutes * 120, activityChanges);
        EXPECT_GT(activityChanges, 10);
        EXPECT_GE(woken, activityChanges);
        EXPECT_LE(woken, batchesWithAChoice + 2); // + the start and the first clip
        EXPECT_EQ(session.keeper().wakeUps(), 0);
        EXPECT_EQ(
            session.mediaPlayer().title(),
            QString::fromStdString(ActivityText(TranslatedStatusWords(), shown)).simplified());
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("nobus"));
}

// Her wake-up call while no sound server plays is shown instead: a notice on screen, with the
// window brought back from the task bar; once for each call, and never while the sound is heard.
TEST_F(DesktopSessionTest, AWakeUpCallThatCannotBeHeardIsShownOnceWithTheWindowRaised)
{
    ShowWithDefaultVoice();
    const QDBusConnection none = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent"), QStringLiteral("nobus"));
    {
        DesktopSession session(Parts(), SavedSettings{}, QString(), {none, none});
        PressKey(Qt::Key_Return);
        ASSERT_TRUE(NightPlays(state->phase));
        const auto choose = [&](int kind) {
            state->behaviourState = kind;
            state->stream.clipObserver->OnClipChosen(*state);
            QTest::qWait(20);
        };
        choose(kKindWakeCall); // heard: nothing to show, but told to the desktop
        EXPECT_EQ(session.wakeNotice(), nullptr);
        EXPECT_TRUE(session.mediaPlayer().wakeCall());

        choose(kKindBreathInOut);
        EXPECT_FALSE(session.mediaPlayer().wakeCall());
        session.SetSoundAway(true);
        window->showMinimized();
        QTest::qWait(20);
        choose(kKindWakeCall);
        ASSERT_NE(session.wakeNotice(), nullptr);
        EXPECT_EQ(session.wakeNotice()->windowTitle(), Text(UiText::WakeNoticeCaption));
        EXPECT_FALSE(window->isMinimized());

        // Put away by the user, it stays away for the rest of this call, and comes again with
        // the next one.
        session.wakeNotice()->close();
        session.SetSoundAway(true);
        choose(kKindWakeCall);
        EXPECT_EQ(session.wakeNotice(), nullptr);
        choose(kKindSnore);
        choose(kKindWakeCall);
        EXPECT_NE(session.wakeNotice(), nullptr);
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("nobus"));
}

// 設定's gentle entries and the clock pane's ±15 buttons reach the night being heard and are
// what the next start reads. The test head puts her louder in the left ear.
TEST_F(DesktopSessionTest, GentleEntriesAndTimerButtonsChangeTheNightAndAreRemembered)
{
    ShowWithDefaultVoice();
    const QDBusConnection none = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent"), QStringLiteral("nobus"));
    const QString path = QString::fromStdString((dir / "yumo.conf").string());
    ApplySettings(SavedSettings{}, *state);
    struct Heard
    {
        double left = 0;
        double right = 0;
        int unequal = 0; // frames whose sides differ
    };
    Heard heard;
    device.sink = [&](const int16_t* data, size_t bytes) {
        for (size_t i = 0; i + 1 < bytes / sizeof(int16_t); i += 2)
        {
            heard.left += static_cast<double>(data[i]) * data[i];
            heard.right += static_cast<double>(data[i + 1]) * data[i + 1];
            heard.unequal += data[i] != data[i + 1];
        }
    };
    // What is heard once the blocks queued before a change have played, until she spoke.
    const auto listen = [&] {
        for (int i = 0; i < kOutputBlockCount + 1; ++i)
        {
            PumpOfflineDevice(device);
        }
        heard = {};
        for (int i = 0; i < 20000 && heard.left + heard.right < 1e11; ++i)
        {
            PumpOfflineDevice(device);
        }
        return heard;
    };
    {
        DesktopSession session(Parts(), SavedSettings{}, path, {none, none});
        PressKey(Qt::Key_Return);
        ASSERT_TRUE(NightPlays(state->phase));
        const Heard plain = listen();
        EXPECT_GT(plain.left, 3 * plain.right);

        session.swapSidesAction()->trigger();
        const Heard swapped = listen();
        EXPECT_GT(swapped.right, 3 * swapped.left);

        session.oneEarAction()->trigger();
        const Heard oneEar = listen();
        EXPECT_GT(oneEar.left, 0);
        EXPECT_EQ(oneEar.unequal, 0);

        auto* ramps = window->findChild<QMenu*>(QStringLiteral("wakeRampMenu"));
        ASSERT_NE(ramps, nullptr);
        for (QAction* action : ramps->actions())
        {
            if (action->data().toInt() == 120)
            {
                action->trigger();
            }
        }
        EXPECT_EQ(state->gentle.settings.wakeRampFrames, 120 * kSampleRate);

        // The buttons step by 15 minutes within off and two hours; the countdown shows it.
        ClientArea& client = window->client();
        QTest::mouseClick(client.timerShorter, Qt::LeftButton);
        EXPECT_EQ(window->SleepTimerMinutes(), 0);
        EXPECT_EQ(window->TimerMinutesLeft(), 0);
        for (int i = 0; i < 9; ++i)
        {
            QTest::mouseClick(client.timerLonger, Qt::LeftButton);
        }
        EXPECT_EQ(window->SleepTimerMinutes(), 120);
        for (int i = 0; i < 6; ++i)
        {
            QTest::mouseClick(client.timerShorter, Qt::LeftButton);
        }
        EXPECT_EQ(window->SleepTimerMinutes(), 30);
        EXPECT_GT(window->TimerMinutesLeft(), 0);
        EXPECT_LE(window->TimerMinutesLeft(), 30);
        auto* timers = window->findChild<QMenu*>(QStringLiteral("sleepTimerMenu"));
        ASSERT_NE(timers, nullptr);
        emit timers->aboutToShow();
        for (QAction* action : timers->actions())
        {
            EXPECT_EQ(action->isChecked(), action->data().toInt() == 30) << action->data().toInt();
        }
    }
    QSettings file(path, QSettings::IniFormat);
    const SavedSettings next = ReadSettings(file);
    EXPECT_TRUE(next.oneEar);
    EXPECT_TRUE(next.swapSides);
    EXPECT_EQ(next.wakeRampSeconds, 120);
    EXPECT_EQ(next.sleepTimerMinutes, 30);
    QDBusConnection::disconnectFromBus(QStringLiteral("nobus"));
}

// A night whose record cannot be written says so once, quietly, beside its picture; the older
// record kept in its place is shown with its own date, never as last night's.
TEST_F(DesktopSessionTest, ANightThatCannotBeKeptSaysSoAndTheOlderRecordShowsItsDate)
{
    ShowWithDefaultVoice();
    const QDBusConnection none = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent"), QStringLiteral("nobus"));
    ApplySettings(SavedSettings{}, *state);
    state->gentle.settings.sleepTimerFrames = 6 * kSampleRate;
    const std::string older = std::string(kNightEventsHeader) +
                              "0\t22:15:00.000\t0\t0\t0\t0\t50\t0\t0\t90\t0\tclip\n"
                              "2945742\t07:45:00.000\t10\t0\t5\t0\t50\t0\t0\t90\t0\tclip\n";
    const std::string path = QFile::encodeName(LastNightPath()).toStdString();
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    test::WriteTextFile(path, older);
    const QDateTime written(QDate(2024, 5, 2), QTime(7, 46));
    const timespec times[2] = {{written.toSecsSinceEpoch(), 0}, {written.toSecsSinceEpoch(), 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    {
        DesktopSession session(Parts(), SavedSettings{}, QString(), {none, none});
        PressKey(Qt::Key_Return);
        for (int i = 0; i < 5000 && NightPlays(state->phase); ++i)
        {
            PumpOfflineDevice(device);
        }
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return !session.nightPicture()->note().isEmpty(); }, 5000));
        const QString note = session.nightPicture()->note();
        EXPECT_TRUE(note.contains(QStringLiteral("保存できませんでした"))) << note.toStdString();
        EXPECT_TRUE(note.contains(QStringLiteral("書き込み禁止"))) << note.toStdString();
        const std::vector<uint8_t> kept = test::ReadBytesFile(path);
        EXPECT_EQ(std::string(kept.begin(), kept.end()), older);

        session.ShowLastNight();
        EXPECT_EQ(NightPlotTitle(session.nightPicture()->record()),
                  QStringLiteral("2024-05-01 22:15 – 2024-05-02 07:45"));
        EXPECT_TRUE(session.nightPicture()->note().isEmpty());
    }
    chmod(path.c_str(), 0644);
    QDBusConnection::disconnectFromBus(QStringLiteral("nobus"));
}

// A night the sleep timer ends is shown in its picture as it ends, the timer's end among its
// marks, and kept as the last night; one ended by closing the window is not shown.
TEST_F(DesktopSessionTest, ANightTheSleepTimerEndsIsPicturedWithTheTimersEnd)
{
    ShowWithDefaultVoice();
    const QDBusConnection none = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent"), QStringLiteral("nobus"));
    ApplySettings(SavedSettings{}, *state);
    state->gentle.settings.sleepTimerFrames = 6 * kSampleRate; // shorter than the menu offers
    {
        DesktopSession session(Parts(), SavedSettings{}, QString(), {none, none});
        PressKey(Qt::Key_Return);
        for (int i = 0; i < 5000 && NightPlays(state->phase); ++i)
        {
            PumpOfflineDevice(device);
        }
        ASSERT_FALSE(NightPlays(state->phase));
        ASSERT_TRUE(QTest::qWaitFor([&] { return session.nightPicture()->isVisible(); }, 2000));
        const auto count = [](const std::vector<NightEvent>& events, const char* word) {
            return std::count_if(events.begin(), events.end(),
                                 [&](const NightEvent& e) { return e.event == word; });
        };
        const std::vector<NightEvent>& shown = session.nightPicture()->events();
        const size_t recorded = shown.size() + session.nightPicture()->record().thinnedOut;
        EXPECT_EQ(count(shown, "timer-end"), 1);
        EXPECT_EQ(count(shown, "fade-in"), 1);
        EXPECT_GE(count(shown, "clip"), 2);

        std::vector<NightEvent> kept;
        std::string why;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return ReadNightEventsFile(QFile::encodeName(LastNightPath()).toStdString(), kept,
                                           why) &&
                       kept.size() == recorded;
            },
            5000));
        EXPECT_EQ(count(kept, "timer-end"), 1);

        // A night ended by closing the window is not pictured on the way out.
        session.nightPicture()->hide();
        PressKey(Qt::Key_Return);
        ASSERT_TRUE(NightPlays(state->phase));
        EXPECT_FALSE(window->close());
        for (int i = 0; i < 5000 && NightPlays(state->phase); ++i)
        {
            PumpOfflineDevice(device);
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 2000));
        EXPECT_FALSE(session.nightPicture()->isVisible());
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("nobus"));
}

TEST(SingleInstance, TheSecondStartRaisesTheFirst)
{
    PrivateBus bus;
    ASSERT_TRUE(bus.IsRunning());
    SingleInstance first(bus.Connect());
    ASSERT_EQ(first.Claim(), InstanceRole::First);
    QSignalSpy raised(&first, &SingleInstance::RaiseRequested);

    SingleInstance second(bus.Connect());
    EXPECT_EQ(second.Claim(), InstanceRole::Another);
    EXPECT_TRUE(second.AskToRaise(5000));
    EXPECT_EQ(raised.size(), 1);

    {
        SingleInstance withoutBus(QDBusConnection::connectToBus(
            QStringLiteral("unix:path=/nonexistent"), QStringLiteral("none")));
        EXPECT_EQ(withoutBus.Claim(), InstanceRole::NoBus);
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("none"));
}

} // namespace
} // namespace yumo::test

#include "desktop_bus_test.moc"
