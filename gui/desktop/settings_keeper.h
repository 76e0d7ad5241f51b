#pragma once
// Keeps the settings file in step with what the user set without writing at every step of a
// slider or a dragged window: a change is written once nothing more has changed for a quiet
// while. The write runs on a worker: a busy disk can hold a file's sync for a second, and the
// night's sound is fed from the window's thread. A write that fails is tried again after twice
// the wait, up to a longest wait; when it keeps failing the user is told once.

#include <functional>

#include <QFuture>
#include <QObject>
#include <QTimer>

#include "gui/desktop/settings.h"

namespace yumo
{

class Reporter;

struct KeeperTimings
{
    int quietMs = 1500;                  // after the last change
    int longestRetryMs = 10 * 60 * 1000; // the back-off stops doubling here
    int failuresBeforeMessage = 3;       // in a row
};

class SettingsKeeper final : public QObject
{
    Q_OBJECT

public:
    // Writes the settings somewhere; false when they could not be written.
    using Writer = std::function<bool(const SavedSettings&)>;

    // `written` is what the file holds now; `reporter` hears of a write that keeps failing.
    SettingsKeeper(Writer writer, const SavedSettings& written, Reporter& reporter,
                   KeeperTimings timings = {}, QObject* parent = nullptr);
    ~SettingsKeeper() override;

    // The settings as they stand: written after the quiet wait when they differ from the file.
    void Offer(const SavedSettings& settings);
    // Writes what is waiting now, once, on this thread, after a write under way (the program
    // ends).
    void Flush();

    bool IsWaiting() const { return timer_.isActive(); }
    bool IsWriting() const { return writing_; }
    int waitMs() const { return timer_.interval(); } // the wait now running, or the next one
    int attempts() const { return attempts_; }       // writes that have ended
    int failuresInARow() const { return failures_; }
    int wakeUps() const { return wakeUps_; } // the timer's firings

private:
    void Write();
    void Written(const SavedSettings& settings, bool ok);
    void WaitForWrite();

    Writer writer_;
    Reporter& reporter_;
    KeeperTimings timings_;
    SavedSettings wanted_;
    SavedSettings written_;
    QTimer timer_;
    QFuture<bool> write_;
    SavedSettings inFlight_; // what the write under way writes
    bool writing_ = false;
    int generation_ = 0; // a write's end that Flush() took over is not taken again
    int attempts_ = 0;
    int failures_ = 0;
    int wakeUps_ = 0;
    bool told_ = false; // the user was told that writing fails
};

// The writer of the program: the INI file at `path` through QSettings, checked after its sync.
SettingsKeeper::Writer SettingsFileWriter(const QString& path);

} // namespace yumo
