#pragma once
// The main window: the menu bar above the client area of panes and controls, the commands of
// its menu, buttons, panes, keys and dropped files, the close question and the 40 ms timer that
// repaints what changed. It works on the AppState, output device and prompts it is given and
// owns none of them; its wake-up dialog is its child.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include <QMainWindow>
#include <QString>
#include <QTimer>

#include "display/status_words.h"
#include "gui/panes/character_pane.h"
#include "gui/panes/status_panes.h"
#include "gui/texts/user_prompts.h"
#include "gui/window/main_menu.h"
#include "night/app_state.h"
#include "night/audio_device.h"
#include "night/load_commands.h"

namespace yumo
{

class ClientArea;
class VoiceEditor;
class WakeDialog;
class X11Visibility;

// Dropped files go by their extension, compared exactly: the text from the last '.' on.
enum class DropTarget
{
    None,
    VoiceData, // ".ymv"
    Music,     // ".wav", ".mp3"
};
DropTarget ClassifyDroppedFile(const QString& path);

inline constexpr int kTickMilliseconds = 40;
inline constexpr char kDefaultVoicePath[] = "./ymv/Yumone.ymv";

class MainWindow final : public QMainWindow
{
    Q_OBJECT

public:
    MainWindow(AppState& state, AudioDevice& device, UserPrompts& prompts,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up load of the default voice data (or of the voice data the user loaded last
    // time), without a chooser and, when the file is missing, without a message. Afterwards
    // every load asks or takes a dropped file.
    void LoadDefaultVoiceData(const QString& path = QLatin1String(kDefaultVoicePath));

    // The night's commands, also for the desktop's media keys: おやすみなさい, 起きます, and
    // Enter's toggle between them. 起きます fades the night out when the stage runs (a second
    // 起きます during the fade ends it at once).
    void StartNightCommand();
    void StopNightCommand();
    // The sleep timer's length, 0 (off) or 15-120 minutes; steps of 15 from the window's
    // buttons. Counted from the night's start, so a change during a night moves its end.
    void SetSleepTimer(int minutes);
    void StepSleepTimer(int steps);
    int SleepTimerMinutes() const;
    // Minutes left on the running timer; 0 when none runs.
    int TimerMinutesLeft() const;
    // What the clock pane shows now, in the window's language.
    ClockPaneTexts ClockTexts() const;
    void ToggleNight();

    // One tick of the timer: the menu and buttons follow the night, panes whose contents
    // changed are repainted. Does nothing while the window is hidden or minimised.
    void Tick();
    // The quiet line about the sound server, in the title: the sound is away (no server plays
    // it), or it is back (for a few seconds, then the plain title again).
    void ShowSoundAway(bool away);
    bool IsTicking() const { return timer_.isActive(); }
    // A close waits for the night to fade out, or has closed the window after it.
    bool Closing() const { return closeAfterFade_ || fadeClosed_; }

    // How much of what the night wrote since the output was opened has been heard (bytes);
    // false when the output cannot tell. With it the panes and her picture show the block
    // being heard, for an output that runs ahead of the ear; without it, the newest state.
    using HeardClock = std::function<bool(uint64_t& bytes)>;
    void SetHeardClock(HeardClock clock) { heardClock_ = std::move(clock); }
    // What the panes show now (the block being heard, or the state as it stands).
    const HeardFacts& shownFacts() const { return shown_; }

    // Whether the window is seen (shown, not minimised, exposed, not covered whole by other
    // windows, the screen neither blanked by its saver nor locked): while it is not, nothing
    // is painted, and the panes catch up in one repaint once it is seen again.
    bool IsSeen() const { return seen_; }
    // The screen saver is active or the session locked (the desktop session tells).
    void SetScreenAway(bool away);

    const MainMenu& menu() const { return menu_; }
    ClientArea& client() const { return *client_; }
    WakeDialog& wakeDialog() const { return *wakeDialog_; }
    // A voice-data or music load is being read on a worker; the night and the set are as they
    // were until its result is in.
    bool IsLoading() const { return voiceLoadJob_ != 0 || musicLoadJob_ != 0; }

    // The voice editor, made by the first ボイス情報の編集...; null before.
    VoiceEditor* voiceEditor() const { return voiceEditor_; }

signals:
    void SeenChanged(bool seen);
    // A command ran or the user moved a control, the wake time or the window itself: what is
    // kept between runs may have changed. Not emitted by the timer's ticks.
    void Changed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ConnectMenu();
    void ConnectControls();
    void InstallPainters();
    void FollowVisibility();
    void ReturnFocus();
    void SyncControls();
    void RefreshPanes();
    void RefreshPaneFaces(); // from what is heard as last followed
    void RepaintAll();
    void FollowHeard();

    // The commands (main_window_commands.cpp).
    void LoadVoiceData(std::optional<QString> dropped = std::nullopt);
    void CloseVoiceData();
    void LoadMusicFile(std::optional<QString> dropped = std::nullopt);
    void FinishVoiceLoad(uint64_t job, const QString& path, bool firstLoad,
                         PreparedVoiceData prepared);
    void FinishMusicLoad(uint64_t job, const QString& path, PreparedMusicLoad prepared);
    bool SavePositionRecord();
    void EndNightBeforeLoad();
    // A load that comes in during a night fades the night out first: true when `finish` was
    // kept to run once the night is over.
    bool FinishAfterFadeOut(std::function<void()> finish);
    void StepVolume(bool music, int step);
    void ResetVolume(bool music);
    void SetMusicOff(bool off);
    void ShowVersion();

    // The voice editor's side (main_window_editor.cpp).
    void OpenVoiceEditor();
    void CloseVoiceEditor();
    // True when nothing unsaved would be lost, or the user agrees to lose it.
    bool ConfirmDiscardClips();
    // A close while the editor saves waits for it: true (the close is to be ignored, and is
    // made again once the save is done).
    bool WaitForSaveBeforeClosing();
    void FollowSaveAtQuit(bool saved);
    void PrepareEditorForOtherSet();
    void TellEditorOfOtherSet(const QString& voiceFile);

    AppState& state_;
    AudioDevice& device_;
    UserPrompts& prompts_;
    ClientArea* client_;
    MainMenu menu_;
    WakeDialog* wakeDialog_;
    QTimer timer_;
    QTimer soundBackTimer_;                         // ends the line that the sound is back
    StatusWords words_;                             // translated once
    PlayBarStrips strips_;                          // PBBAR, PBBARON, PBBARP
    CharacterPane picture_;                         // the companion's pictures, decoded once
    MenuState shownMenuState_ = MenuState::NoVoice; // as BuildMainMenu leaves the menu
    HeardClock heardClock_;
    HeardFacts shown_;
    bool watchingExposure_ = false;
    std::unique_ptr<X11Visibility> visibility_; // fully covered by other windows, under X11
    bool screenAway_ = false;
    bool seen_ = true;           // as the sound output starts
    bool firstLoad_ = false;     // set for the start-up load only
    QString firstLoadPath_;      // what the start-up load reads
    QString pathBuffer_;         // offered as the name in the next voice-data chooser
    QString musicPath_;          // the last music loaded, offered by the music chooser
    QString positionRecordPath_; // where the position record was saved last
    int loadGeneration_ = 0;     // counts loads, so the status pane repaints a new owner
    uint64_t loadJobs_ = 0;      // numbers the loads
    uint64_t voiceLoadJob_ = 0;  // the voice-data load under way; 0 when none
    uint64_t musicLoadJob_ = 0;  // the music load under way; 0 when none
    VoiceEditor* voiceEditor_ = nullptr;
    bool closeAfterSave_ = false;     // a close waits for the editor's save
    bool clipsGivenUp_ = false;       // its save failed and the user chose to quit without it
    bool musicEndedShown_ = false;    // the title says the music's file gave out
    bool closeAfterFade_ = false;     // a close waits for the night's fade-out
    bool fadeClosed_ = false;         // the fade is over: the close goes through
    std::function<void()> afterFade_; // a load waiting for the night's fade-out
    QString voiceFile_;               // the voice-data file the live set was loaded from
};

} // namespace yumo
