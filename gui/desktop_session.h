#pragma once
// Yumo among the desktop's services, around the running program: the settings kept in
// ~/.config/yumo/, the 設定 menu (English, keeping the computer awake through a night), the
// logind sleep lock held while a night plays, the media-player interface on the session bus and
// the raise requests of a second start, the screen saver and the session's lock that stop the
// window's painting. Nothing here runs on a timer of its own: it looks when
// something changed — the night's phase or her activity (told from inside the refill, answered
// on the next turn of the event loop), a command or control of the window, the window's size
// and place — and drives the window only through its commands.

#include <memory>

#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "display/status_words.h"
#include "gui/desktop/night_log.h"
#include "gui/desktop/settings.h"
#include "gui/desktop/settings_keeper.h"
#include "gui/desktop/sleep_inhibitor.h"
#include "night/app_state.h"
#include "night/gentle_stage.h"
#include "night/output_stream.h"

class QAction;
class QMenu;

namespace yumo
{

class ChangeBell;
class LanguageSwitch;
class MainWindow;
class MediaPlayerService;
class ScreenWatch;
class NightPictureDialog;
class HeadChooser;
class PreviewPlayer;
class DialogPrompts;

struct DesktopBuses
{
    QDBusConnection session;
    QDBusConnection system;
};

// What the session works with; it owns none of them, and all outlive it.
struct DesktopParts
{
    AppState& state;
    MainWindow& window;
    LanguageSwitch& language;
    Reporter& reporter; // hears when the settings cannot be written
};

struct DesktopTimings
{
    KeeperTimings settings;
    RetryTimings sleepLock;
};

class DesktopSession final : public QObject,
                             private PhaseObserver,
                             private ClipObserver,
                             private GentleObserver
{
    Q_OBJECT

public:
    // `saved` is what the program started from; `settingsPath` where the settings are kept
    // (empty: not kept, e.g. in tests).
    DesktopSession(const DesktopParts& parts, const SavedSettings& saved,
                   const QString& settingsPath, const DesktopBuses& buses,
                   const DesktopTimings& timings = {}, QObject* parent = nullptr);
    ~DesktopSession() override;

    // Brings the window forward (a second start asked for it).
    void RaiseWindow();
    // Whether the sound output has no server (what it plays is not heard). Her wake-up call
    // made then is shown instead: a notice on screen and the window raised.
    void SetSoundAway(bool away);
    // The notice, while it is shown; nullptr otherwise.
    QWidget* wakeNotice() const;

    QAction* englishAction() const { return english_; }
    QAction* keepAwakeAction() const { return keepAwake_; }
    QAction* oneEarAction() const { return oneEar_; }
    QAction* swapSidesAction() const { return swapSides_; }
    QMenu* sleepTimerMenu() const { return timerMenu_; }
    const SleepInhibitor& inhibitor() const { return *inhibitor_; }
    const MediaPlayerService& mediaPlayer() const { return *mediaPlayer_; }
    // The screen saver and the session's lock, which the window follows: nothing is painted
    // while the screen is blanked or locked.
    const ScreenWatch& screenWatch() const { return *screenWatch_; }
    const SettingsKeeper& keeper() const { return *keeper_; }
    // 昨夜の様子: shown after each night and from the 再生 menu.
    NightPictureDialog* nightPicture() const { return nightPicture_; }
    // Reads last-night.tsv and shows it (or says there is none).
    void ShowLastNight();
    // 設定 → 頭の形: the chooser, made when first opened.
    HeadChooser* OpenHeadChooser();
    QAction* headAction() const { return head_; }
    // How often the session was woken up: changes heard and its timers' firings.
    int wakeUps() const;

private:
    // From the phase setter and the refill: they only ring the bell.
    void OnPhaseChanged(const AppState& state) override;
    void OnClipChosen(const AppState& state) override;
    void OnMusicDry(const AppState& state) override;
    void OnMusicEnded(const AppState& state) override;
    // The fades and the sleep timer's end, for the night's picture.
    void OnGentleMark(const AppState& state, GentleMark mark) override;

    void AddSettingsMenu();
    // The sleep timer, one ear, swapped sides and the wake-up call's rise.
    void AddGentleEntries(QMenu& menu);
    void SetEnglish(bool english);
    void SetKeepAwake(bool keepAwake);
    // The lock and the media-player interface after the night's phase or activity changed.
    void FollowNight();
    // The settings as they stand, offered to the keeper.
    void FollowSettings();
    // Once a night is over: its events kept in last-night.tsv (on a worker), and its picture.
    void FinishNightLog(bool show);
    void ShowWakeNotice();

    AppState& state_;
    MainWindow& window_;
    LanguageSwitch& language_;
    SavedSettings settings_; // what the user set, as far as the session knows
    QString startUpVoicePath_;
    QAction* english_ = nullptr;
    QAction* keepAwake_ = nullptr;
    QMenu* timerMenu_ = nullptr;
    QAction* oneEar_ = nullptr;
    QAction* swapSides_ = nullptr;
    ChangeBell* bell_;
    bool soundAway_ = false;
    bool wakeNoticed_ = false; // the notice was shown for the call under way
    bool callSeen_ = false;    // her wake-up call was under way when last looked at
    QPointer<QWidget> wakeNotice_;
    SettingsKeeper* keeper_;
    SleepInhibitor* inhibitor_;
    MediaPlayerService* mediaPlayer_;
    ScreenWatch* screenWatch_;
    // What the media-player title was made from, so it is made again only when that changed.
    Activity titleActivity_ = Activity::Preparing;
    bool titleVoiceLoaded_ = false;
    bool titleValid_ = false;
    int titleTimerLeft_ = 0;
    QString title_;
    int heard_ = 0; // rings answered and window changes followed
    NightLog nightLog_;
    QAction* head_ = nullptr;
    HeadChooser* headChooser_ = nullptr;
    PreviewPlayer* headPreview_ = nullptr;
    std::unique_ptr<DialogPrompts> prompts_;
    std::unique_ptr<HrirSet> pendingHead_; // chosen during a night: used from the next one
    NightPictureDialog* nightPicture_ = nullptr;
};

} // namespace yumo
