#include "gui/window/main_window.h"

#include <filesystem>
#include <utility>

#include <QCloseEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QMoveEvent>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollArea>
#include <QSlider>
#include <QUrl>
#include <QWindow>

#include "common/data_folder.h"
#include "display/character_tick.h"
#include "gui/texts/live_texts.h"
#include "gui/texts/texts.h"
#include "gui/window/arrow_buttons.h"
#include "gui/window/client_area.h"
#include "gui/window/pane_widget.h"
#include "gui/window/wake_dialog.h"
#include "gui/window/x11_visibility.h"
#include "night/behaviour.h"

namespace yumo
{
namespace
{

// How long the title says that the sound is back.
constexpr int kSoundBackShownMilliseconds = 10000;

} // namespace

DropTarget ClassifyDroppedFile(const QString& path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
    {
        return DropTarget::None;
    }
    const QString extension = path.mid(dot);
    if (extension == QLatin1String(".ymv"))
    {
        return DropTarget::VoiceData;
    }
    if (extension == QLatin1String(".wav") || extension == QLatin1String(".mp3"))
    {
        return DropTarget::Music;
    }
    return DropTarget::None;
}

MainWindow::MainWindow(AppState& state, AudioDevice& device, UserPrompts& prompts, QWidget* parent)
    : QMainWindow(parent), state_(state), device_(device), prompts_(prompts),
      client_(new ClientArea(this)), menu_(BuildMainMenu(*menuBar())),
      wakeDialog_(new WakeDialog(state, this)),
      visibility_(std::make_unique<X11Visibility>([this](bool) { FollowVisibility(); }))
{
    connect(wakeDialog_, &WakeDialog::AlarmChanged, this, &MainWindow::Changed);
    setObjectName(QStringLiteral("MainWindow"));
    ShowText(this, UiText::WindowTitle);
    // On a screen too small for the layout the client keeps its smallest fitting size and
    // scrolls, so every control stays reachable; a larger window lays it out as designed.
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("clientScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(true);
    client_->setMinimumSize(kFittingClientWidth, kFittingClientHeight);
    scroll->setWidget(client_);
    setCentralWidget(scroll);
    setAcceptDrops(true);
    // The animation script and the pictures are read where the other data files are.
    const std::filesystem::path dataFolder = std::filesystem::current_path();
    picture_.Load(state_, dataFolder, FolderForRebuiltFiles(dataFolder, UserDataFolder()));
    ConnectMenu();
    ConnectControls();
    InstallPainters();
    // The client area, not the window with its menu bar, has the designed size.
    resize(kDesignClientWidth, kDesignClientHeight + menuBar()->sizeHint().height());
    client_->resize(kDesignClientWidth, kDesignClientHeight);
    timer_.setInterval(kTickMilliseconds);
    timer_.setTimerType(Qt::CoarseTimer);
    connect(&timer_, &QTimer::timeout, this, &MainWindow::Tick);
    soundBackTimer_.setSingleShot(true);
    soundBackTimer_.setInterval(kSoundBackShownMilliseconds);
    connect(&soundBackTimer_, &QTimer::timeout, this,
            [this] { ShowText(this, UiText::WindowTitle); });
    FollowHeard();
    SyncControls();
}

void MainWindow::ShowSoundAway(bool away)
{
    if (away)
    {
        soundBackTimer_.stop();
        ShowText(this, UiText::SoundAwayTitle);
        return;
    }
    ShowText(this, UiText::SoundBackTitle);
    soundBackTimer_.start();
}

MainWindow::~MainWindow() = default;

void MainWindow::ConnectMenu()
{
    connect(menu_.loadVoice, &QAction::triggered, this, [this] { LoadVoiceData(); });
    connect(menu_.closeVoice, &QAction::triggered, this, &MainWindow::CloseVoiceData);
    connect(menu_.editVoice, &QAction::triggered, this, &MainWindow::OpenVoiceEditor);
    connect(menu_.quit, &QAction::triggered, this, &MainWindow::close);
    connect(menu_.goodNight, &QAction::triggered, this, &MainWindow::StartNightCommand);
    connect(menu_.wakeUp, &QAction::triggered, this, &MainWindow::StopNightCommand);
    connect(menu_.version, &QAction::triggered, this, &MainWindow::ShowVersion);
}

void MainWindow::ConnectControls()
{
    ClientArea& c = *client_;
    connect(c.wakeButton, &QPushButton::clicked, this, [this] { wakeDialog_->ShowFromAlarm(); });
    connect(c.swapButton, &QPushButton::clicked, this, [this] {
        SwapSides(state_);
        ReturnFocus();
        RefreshPanes();
    });
    connect(c.musicButton, &QPushButton::clicked, this, [this] { LoadMusicFile(); });
    connect(c.timerShorter, &QPushButton::clicked, this, [this] { StepSleepTimer(-1); });
    connect(c.timerLonger, &QPushButton::clicked, this, [this] { StepSleepTimer(1); });
    connect(c.comeHereButton, &QPushButton::clicked, this, [this] { LoadVoiceData(); });
    connect(c.musicOnButton, &QPushButton::clicked, this, &MainWindow::SetMusicOff);
    connect(c.play, &PaneWidget::Clicked, this, &MainWindow::StartNightCommand);
    connect(c.stop, &PaneWidget::Clicked, this, &MainWindow::StopNightCommand);
    connect(c.character, &PaneWidget::Clicked, this, [this] {
        RestartCharacterTicks(state_);
        client_->character->update();
    });

    for (const bool music : {false, true})
    {
        const VolumeRow& row = music ? c.music : c.voice;
        double& volume = music ? state_.stream.musicVolume : state_.stream.voiceVolume;
        connect(row.arrows, &ArrowButtons::Stepped, this,
                [this, music](int step) { StepVolume(music, step); });
        connect(row.reset, &QPushButton::clicked, this, [this, music] { ResetVolume(music); });
        // Every change the user makes, by mouse, wheel or keyboard, is the value in use.
        connect(row.slider, &QSlider::valueChanged, this, [this, &volume](int value) {
            volume = value;
            RefreshPanes();
            emit Changed();
        });
        connect(row.slider, &QSlider::sliderReleased, this, &MainWindow::ReturnFocus);
    }
    int32_t* settings[kPersonalityRowCount] = {
        &state_.personality.netsuki, &state_.personality.suimin, &state_.personality.nezou,
        &state_.personality.neoki};
    for (size_t i = 0; i < c.personality.size(); ++i)
    {
        int32_t* setting = settings[i];
        QSlider* slider = c.personality[i].slider;
        slider->setValue(*setting);
        connect(slider, &QSlider::valueChanged, this, [this, setting](int value) {
            *setting = value;
            emit Changed();
        });
        connect(slider, &QSlider::sliderReleased, this, &MainWindow::ReturnFocus);
    }
}

void MainWindow::ReturnFocus() { client_->setFocus(Qt::OtherFocusReason); }

void MainWindow::Tick()
{
    if (closeAfterFade_ && !NightPlays(state_.phase))
    {
        closeAfterFade_ = false;
        fadeClosed_ = true;
        close();
        return;
    }
    if (afterFade_ && !NightPlays(state_.phase))
    {
        std::exchange(afterFade_, nullptr)();
    }
    // The music's file gave out during the night: said once, quietly, in the title, until
    // music is loaded again.
    if (state_.music.ended != musicEndedShown_)
    {
        musicEndedShown_ = state_.music.ended;
        ShowText(this, musicEndedShown_ ? UiText::MusicEndedTitle : UiText::WindowTitle);
    }
    if (!isVisible() || isMinimized() || !seen_)
    {
        return;
    }
    FollowHeard();
    AdvanceCharacterTick(state_, shown_);
    // Her animation moves on once a tick; the pane is repainted when her frame changed. When
    // only her bounce moved her, what the screen shows is moved (by the X server, where the
    // platform can) and only the rows that moving gets wrong are painted again.
    PaneWidget& pane = *client_->character;
    if (picture_.Advance(pane.width(), pane.height(), state_, shown_))
    {
        const CharacterPane::FrameChange& change = picture_.LastChange();
        if (change.shifted)
        {
            pane.scroll(0, change.dy, change.area);
            pane.update(change.stale);
        }
        else
        {
            pane.update();
        }
    }
    SyncControls();
    RefreshPaneFaces();
}

void MainWindow::FollowHeard()
{
    uint64_t heard = 0;
    const HeardFacts* facts = nullptr;
    if (NightPlays(state_.phase) && heardClock_ && heardClock_(heard))
    {
        facts = state_.stream.heard.At(heard);
    }
    shown_ = facts != nullptr ? *facts : LiveFacts(state_);
}

void MainWindow::SyncControls()
{
    const MenuState menuState = MenuStateOf(state_.phase);
    if (menuState != shownMenuState_)
    {
        ApplyMenuState(menu_, menuState);
        shownMenuState_ = menuState;
    }
    client_->comeHereButton->setEnabled(!NightStarted(state_.phase));
}

void MainWindow::RepaintAll()
{
    ++loadGeneration_;
    SyncControls();
    RefreshPanes();
    emit Changed();
}

void MainWindow::SetScreenAway(bool away)
{
    screenAway_ = away;
    FollowVisibility();
}

// Painting only what somebody sees: while the window is hidden, minimised, unmapped by the
// window manager or no longer given frames (not exposed), covered whole, or the screen is
// blanked or locked, the timer stops and no update reaches the screen; seen again, everything
// is painted once, in one repaint, and the ticks go on.
void MainWindow::FollowVisibility()
{
    const QWindow* handle = windowHandle();
    const bool seen = isVisible() && !isMinimized() && (handle == nullptr || handle->isExposed()) &&
                      !visibility_->IsObscured() && !screenAway_;
    if (seen != seen_)
    {
        seen_ = seen;
        setUpdatesEnabled(seen);
        if (seen)
        {
            // The one repaint of the whole window, asked for at once: an update asked for just
            // before updates went off stays pending in Qt, which then asks for no repaint again
            // and the window would stand still until it is uncovered.
            repaint();
        }
        emit SeenChanged(seen);
    }
    if (seen)
    {
        if (!timer_.isActive())
        {
            timer_.start();
            Tick();
        }
    }
    else if (!closeAfterFade_) // a close waiting for the fade needs the tick, seen or not
    {
        timer_.stop();
    }
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (windowHandle() != nullptr && !watchingExposure_)
    {
        windowHandle()->installEventFilter(this);
        watchingExposure_ = true;
    }
    if (windowHandle() != nullptr)
    {
        visibility_->Follow(*windowHandle());
    }
    ReturnFocus();
    FollowVisibility();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == windowHandle() && event->type() == QEvent::Expose)
    {
        FollowVisibility();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::hideEvent(QHideEvent* event)
{
    QMainWindow::hideEvent(event);
    FollowVisibility();
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
    {
        FollowVisibility();
    }
    else if (event->type() == QEvent::LanguageChange)
    {
        // Menus, buttons and the dialogs below the window; the panes take the new words.
        RetranslateTexts(this);
        InstallPainters();
        RepaintAll();
        client_->update();
    }
}

void MainWindow::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    emit Changed();
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    emit Changed();
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    // A held key would flip the night on and off; only the first press counts.
    if (event->isAutoRepeat())
    {
        event->accept();
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
        !(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
    {
        ToggleNight();
    }
    else if (modifiers == Qt::ControlModifier && key == Qt::Key_W)
    {
        // A set to close and no night to end: the menu offers ボイス情報を閉じる.
        if (state_.phase == NightPhase::Loaded || state_.phase == NightPhase::Stopped)
        {
            CloseVoiceData();
        }
    }
    else if (modifiers == Qt::ControlModifier && key == Qt::Key_Q)
    {
        close();
    }
    else if (modifiers == Qt::ControlModifier && key == Qt::Key_O)
    {
        if (menu_.loadVoice->isEnabled())
        {
            LoadVoiceData();
        }
    }
    else
    {
        QMainWindow::keyPressEvent(event);
        return;
    }
    event->accept();
}

namespace
{

// Only the first dropped item counts, and only as a local file of a known kind.
DropTarget DroppedTarget(const QMimeData& data, QString& path)
{
    const QList<QUrl> urls = data.urls();
    if (urls.isEmpty() || !urls.first().isLocalFile())
    {
        return DropTarget::None;
    }
    path = urls.first().toLocalFile();
    return ClassifyDroppedFile(path);
}

} // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    QString path;
    if (DroppedTarget(*event->mimeData(), path) != DropTarget::None)
    {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event)
{
    QString path;
    const DropTarget target = DroppedTarget(*event->mimeData(), path);
    if (target == DropTarget::None)
    {
        return;
    }
    event->acceptProposedAction();
    // The load may show a message box: it runs once the drop has returned, so the file
    // manager's drag is not held while the box waits.
    QTimer::singleShot(0, this, [this, path, target] {
        if (target == DropTarget::VoiceData)
        {
            LoadVoiceData(path);
        }
        else
        {
            LoadMusicFile(path);
        }
    });
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The questions were answered before the fade; the window now only waits for its end.
    if (std::exchange(fadeClosed_, false))
    {
        wakeDialog_->hide();
        CloseVoiceEditor();
        timer_.stop();
        event->accept();
        return;
    }
    if (closeAfterFade_)
    {
        event->ignore();
        return;
    }
    // A save's result must come while its message can still be shown.
    if (WaitForSaveBeforeClosing())
    {
        event->ignore();
        return;
    }
    if (!std::exchange(clipsGivenUp_, false) && !ConfirmDiscardClips())
    {
        event->ignore();
        return;
    }
    if (NightPlays(state_.phase))
    {
        StopNightCommand();
    }
    if (!state_.positionRecordSaved)
    {
        switch (prompts_.AskYesNoCancel(this, Text(UiText::SaveQuestionCaption),
                                        Text(UiText::SaveQuestion)))
        {
        case Answer::Yes:
            if (!SavePositionRecord())
            {
                event->ignore();
                return;
            }
            break;
        case Answer::No:
            break;
        case Answer::Cancel:
            event->ignore();
            return;
        }
    }
    if (NightPlays(state_.phase) && state_.gentle.stopAtFrame >= 0)
    {
        closeAfterFade_ = true; // Tick closes once the night has faded out
        if (!timer_.isActive())
        {
            timer_.start(); // also from the task bar or a media panel's quit
        }
        event->ignore();
        return;
    }
    wakeDialog_->hide();
    CloseVoiceEditor();
    timer_.stop();
    event->accept();
}

} // namespace yumo
