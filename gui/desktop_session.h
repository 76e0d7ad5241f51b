#pragma once
// Yumo among the desktop's services, around the running program: the settings kept in
// ~/.config/yumo/, the 設定 menu (English, keeping the computer awake through a night), the
// logind sleep lock held while a night runs, the media-player interface on the session bus and
// the raise requests of a second start. It watches the AppState on a timer of its own (also
// while the window is minimised) and drives the window only through its commands.

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QTimer>

#include "gui/desktop/settings.h"

class QAction;

namespace yumo
{

struct Program;
class MediaPlayerService;
class SleepInhibitor;

struct DesktopBuses
{
    QDBusConnection session;
    QDBusConnection system;
};

class DesktopSession final : public QObject
{
    Q_OBJECT

public:
    // `saved` is what the program started from; `settingsPath` where the settings are kept
    // (empty: not kept, e.g. in tests).
    DesktopSession(Program& program, const SavedSettings& saved, const QString& settingsPath,
                   const DesktopBuses& buses, QObject* parent = nullptr);
    ~DesktopSession() override;

    // Brings the window forward (a second start asked for it).
    void RaiseWindow();
    // Looks at the night and the settings now, as the timer does every half second.
    void Follow();
    // Writes the settings when they changed since the last write.
    void Keep();

    QAction* englishAction() const { return english_; }
    QAction* keepAwakeAction() const { return keepAwake_; }
    const SleepInhibitor& inhibitor() const { return *inhibitor_; }
    const MediaPlayerService& mediaPlayer() const { return *mediaPlayer_; }
    const SavedSettings& settings() const { return settings_; }

private:
    void AddSettingsMenu();
    void SetEnglish(bool english);
    void SetKeepAwake(bool keepAwake);
    QString ActivityTitle() const;

    Program& program_;
    QString settingsPath_;
    SavedSettings settings_; // what the next write holds
    SavedSettings written_;  // what the file holds
    QString startUpVoicePath_;
    QAction* english_ = nullptr;
    QAction* keepAwake_ = nullptr;
    SleepInhibitor* inhibitor_;
    MediaPlayerService* mediaPlayer_;
    QTimer timer_;
};

} // namespace yumo
