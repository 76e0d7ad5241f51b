// What Yumo remembers between runs: written and read back, and a damaged or hand-edited file
// giving the defaults value by value, never a crash.

#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <utility>
#include <vector>

#include <QSettings>
#include <QTest>
#include <QThread>
#include <QTimer>

#include "gui/desktop/settings.h"
#include "gui/desktop/settings_keeper.h"
#include "gui/test_application.h"
#include "night/app_state.h"
#include "support/test_support.h"

namespace yumo::test
{
namespace
{

QString PathOf(const TempDir& dir) { return QString::fromStdString((dir / "yumo.conf").string()); }

TEST(Settings, WrittenSettingsReadBackAndAFirstStartIsThePlainStartUp)
{
    EnsureTestApplication();
    TempDir dir;
    {
        QSettings none(PathOf(dir), QSettings::IniFormat);
        EXPECT_EQ(ReadSettings(none), SavedSettings{});
    }
    // The defaults change nothing of a fresh state: a first start is the described start-up.
    CapturingReporter reporter;
    std::unique_ptr<AppState> plain = CreateAppState(reporter);
    std::unique_ptr<AppState> applied = CreateAppState(reporter);
    ApplySettings(SavedSettings{}, *applied);
    EXPECT_EQ(applied->personality.netsuki, plain->personality.netsuki);
    EXPECT_EQ(applied->stream.voiceVolume, plain->stream.voiceVolume);
    EXPECT_EQ(applied->alarm.mode, plain->alarm.mode);

    SavedSettings saved;
    saved.personality = {0, 10, 3, 7};
    saved.voiceVolume = -125;
    saved.musicVolume = 300;
    saved.musicOff = true;
    saved.wakeMinuteOfDay = 13 * 60 + 5;
    saved.lastVoicePath = QStringLiteral("/home/someone/声/よる.ymv");
    saved.windowGeometry = QByteArray("\x01\xd9\xd0\xcb\x00\x03", 6);
    saved.language = Language::English;
    saved.keepAwake = false;
    saved.sleepTimerMinutes = 45;
    saved.wakeRampSeconds = 120;
    saved.oneEar = true;
    saved.swapSides = true;
    {
        QSettings file(PathOf(dir), QSettings::IniFormat);
        ASSERT_TRUE(WriteSettings(file, saved));
    }
    QSettings file(PathOf(dir), QSettings::IniFormat);
    EXPECT_EQ(ReadSettings(file), saved);

    // Into the state and back: the user's wake time opens the dialog at 1:05 PM.
    ApplySettings(saved, *applied);
    EXPECT_EQ(applied->personality.suimin, 10);
    EXPECT_EQ(applied->stream.voiceVolume, -125);
    EXPECT_EQ(applied->alarm.mode, kWakeUserSet);
    EXPECT_EQ(applied->alarm.hour, 13);
    EXPECT_EQ(applied->alarm.minute, 5);
    // The window's nights always fade and limit; the timer counts from the night's start.
    const GentleSettings& gentle = applied->gentle.settings;
    EXPECT_EQ(gentle.fadeFrames, 3 * 44100);
    EXPECT_TRUE(gentle.limit && gentle.mono && gentle.swap);
    EXPECT_EQ(gentle.sleepTimerFrames, int64_t{45} * 60 * 44100);
    EXPECT_EQ(gentle.wakeRampFrames, 120 * 44100);
    EXPECT_EQ(TakeSettings(*applied, saved), saved);
    // An automatic wake time is the night's, not the user's; turning the alarm off forgets it.
    applied->alarm.mode = kWakeAutomatic;
    EXPECT_EQ(TakeSettings(*applied, saved).wakeMinuteOfDay, saved.wakeMinuteOfDay);
    applied->alarm.mode = kWakeOff;
    EXPECT_FALSE(TakeSettings(*applied, saved).wakeMinuteOfDay.has_value());
}

TEST(Settings, DamagedValuesAndFilesGiveTheDefaults)
{
    EnsureTestApplication();
    TempDir dir;
    WriteTextFile(dir / "yumo.conf",
                  "[personality]\nnetsuki=11\nsuimin=-1\nnezou=4.5\nneoki=seven\n"
                  "[volume]\nvoice=99999999999999\nmusic=\nmusicOff=maybe\n"
                  "[wake]\nminuteOfDay=1440\n[voice]\nlastLoaded=@Variant(\\0\\0\\0\\x7f)\n"
                  "[window]\ngeometry=not bytes\n[display]\nlanguage=fr\n"
                  "[night]\nkeepAwake=1\nsleepTimerMinutes=135\nwakeRampSeconds=-5\n"
                  "[sound]\noneEar=yes\n");
    {
        QSettings file(PathOf(dir), QSettings::IniFormat);
        const SavedSettings read = ReadSettings(file);
        EXPECT_EQ(read.personality, (std::array<int, 4>{5, 5, 5, 5}));
        EXPECT_EQ(read.voiceVolume, 0);
        EXPECT_EQ(read.musicVolume, 0);
        EXPECT_FALSE(read.musicOff);
        EXPECT_FALSE(read.wakeMinuteOfDay.has_value());
        EXPECT_TRUE(read.lastVoicePath.isEmpty());
        EXPECT_TRUE(read.windowGeometry.isEmpty());
        EXPECT_EQ(read.language, Language::Japanese);
        EXPECT_TRUE(read.keepAwake);
        EXPECT_EQ(read.sleepTimerMinutes, 0);
        EXPECT_EQ(read.wakeRampSeconds, 60);
        EXPECT_FALSE(read.oneEar);
    }
    // Bytes that are no settings file at all.
    std::vector<uint8_t> noise(4096);
    for (size_t i = 0; i < noise.size(); ++i)
    {
        noise[i] = static_cast<uint8_t>((i * 7919 + 13) % 256);
    }
    WriteBytesFile(dir / "yumo.conf", noise);
    QSettings file(PathOf(dir), QSettings::IniFormat);
    const SavedSettings read = ReadSettings(file);
    EXPECT_EQ(read.personality, (std::array<int, 4>{5, 5, 5, 5}));
    EXPECT_EQ(read.language, Language::Japanese);
}

// A slider dragged through many values is written once, after the quiet wait; a file that
// cannot be written (its folder is a file) is tried again after doubling waits, the user is told
// once however long it fails, and the first write that lands brings the quiet wait back.
TEST(SettingsKeeper, WritesOnceChangesPauseAndBacksOffWhileTheFileCannotBeWritten)
{
    EnsureTestApplication();
    TempDir dir;
    WriteTextFile(dir / "blocked", "a file where the settings folder should be");
    const QString path = QString::fromStdString((dir / "blocked" / "yumo.conf").string());
    CapturingReporter reporter;
    SavedSettings settings;
    SettingsKeeper keeper(SettingsFileWriter(path), settings, reporter, {30, 100, 3});
    keeper.Offer(settings); // what the file holds already: nothing to write
    EXPECT_FALSE(keeper.IsWaiting());

    for (int volume = 1; volume <= 40; ++volume)
    {
        settings.voiceVolume = volume;
        keeper.Offer(settings);
    }
    EXPECT_TRUE(keeper.IsWaiting());
    EXPECT_EQ(keeper.attempts(), 0);

    std::vector<int> waits;
    for (int attempt = 1; attempt <= 5; ++attempt)
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return keeper.attempts() == attempt; }, 5000));
        waits.push_back(keeper.waitMs());
        EXPECT_EQ(reporter.messages.size(), attempt < 3 ? 0u : 1u) << attempt;
    }
    EXPECT_EQ(waits, (std::vector<int>{60, 100, 100, 100, 100}));
    EXPECT_EQ(keeper.failuresInARow(), 5);
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].caption, "設定エラー");

    // A change during the back-off does not hurry the next try.
    settings.musicVolume = -20;
    keeper.Offer(settings);
    EXPECT_EQ(keeper.waitMs(), 100);

    std::filesystem::remove(dir / "blocked");
    std::filesystem::create_directory(dir / "blocked");
    ASSERT_TRUE(QTest::qWaitFor([&] { return keeper.failuresInARow() == 0; }, 5000));
    EXPECT_EQ(keeper.attempts(), 6);
    EXPECT_EQ(keeper.waitMs(), 30);
    QSettings file(path, QSettings::IniFormat);
    const SavedSettings read = ReadSettings(file);
    EXPECT_EQ(read.voiceVolume, 40);
    EXPECT_EQ(read.musicVolume, -20);

    // Changed and changed back before the wait ran out: nothing is written.
    settings.voiceVolume = 7;
    keeper.Offer(settings);
    settings.voiceVolume = 40;
    keeper.Offer(settings);
    EXPECT_FALSE(keeper.IsWaiting());
    keeper.Flush();
    EXPECT_EQ(keeper.attempts(), 6);
}

// The file is written on a worker, so a disk that holds a sync for a second does not hold the
// window's thread (which feeds the night's sound); a change made meanwhile is written after it,
// and the program's end waits for both.
TEST(SettingsKeeper, WritesBesideTheWindowsThreadAndTheEndWaitsForTheWrite)
{
    EnsureTestApplication();
    CapturingReporter reporter;
    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();
    std::mutex lock;
    std::vector<std::pair<int, bool>> writes; // voice volume, on the window's thread
    SettingsKeeper keeper(
        [&](const SavedSettings& s) {
            released.wait_for(std::chrono::seconds(5)); // a write on this thread would hang
            const std::lock_guard<std::mutex> hold(lock);
            writes.emplace_back(s.voiceVolume, QThread::currentThread() == qApp->thread());
            return true;
        },
        SavedSettings{}, reporter, {10, 100, 3});
    SavedSettings settings;
    settings.voiceVolume = 1;
    keeper.Offer(settings);
    ASSERT_TRUE(QTest::qWaitFor([&] { return keeper.IsWriting(); }, 2000));
    bool turned = false;
    QTimer::singleShot(0, [&] { turned = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return turned; }, 2000)) << "the event loop waited";
    settings.voiceVolume = 2;
    keeper.Offer(settings);
    release.set_value();
    keeper.Flush();
    EXPECT_EQ(writes, (std::vector<std::pair<int, bool>>{{1, false}, {2, true}}));
    EXPECT_EQ(keeper.attempts(), 2);
}

} // namespace
} // namespace yumo::test
