#include "gui/desktop_session.h"

#include <string>
#include <vector>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QtConcurrent/QtConcurrentRun>

#include "display/status_texts.h"
#include "gui/desktop/change_bell.h"
#include "gui/desktop/mpris.h"
#include "gui/desktop/screen_watch.h"
#include "gui/plot/night_plot.h"
#include "gui/sound/preview_player.h"
#include "gui/texts/language.h"
#include "gui/texts/live_texts.h"
#include "gui/texts/texts.h"
#include "gui/texts/user_prompts.h"
#include "gui/window/client_area.h"
#include "gui/window/head_chooser.h"
#include "gui/window/main_window.h"
#include "gui/window/night_picture_dialog.h"

namespace yumo
{

DesktopSession::DesktopSession(const DesktopParts& parts, const SavedSettings& saved,
                               const QString& settingsPath, const DesktopBuses& buses,
                               const DesktopTimings& timings, QObject* parent)
    : QObject(parent), state_(parts.state), window_(parts.window), language_(parts.language),
      settings_(saved), startUpVoicePath_(QString::fromStdString(parts.state.voiceDataPath)),
      bell_(new ChangeBell(this)),
      keeper_(new SettingsKeeper(
          settingsPath.isEmpty() ? SettingsKeeper::Writer([](const SavedSettings&) { return true; })
                                 : SettingsFileWriter(settingsPath),
          saved, parts.reporter, timings.settings, this)),
      inhibitor_(new SleepInhibitor(buses.system, this, timings.sleepLock)),
      headPreview_(new PreviewPlayer(parts.reporter, nullptr, this)),
      prompts_(std::make_unique<DialogPrompts>())
{
    MainWindow* window = &window_;
    MprisActions actions;
    actions.toggleNight = [window] { window->ToggleNight(); };
    actions.startNight = [window] { window->StartNightCommand(); };
    actions.stopNight = [window] { window->StopNightCommand(); };
    actions.raise = [this] { RaiseWindow(); };
    actions.quit = [window] { window->close(); };
    mediaPlayer_ = new MediaPlayerService(buses.session, std::move(actions), this);
    screenWatch_ = new ScreenWatch(buses.session, buses.system, this);
    connect(screenWatch_, &ScreenWatch::ScreenAwayChanged, &window_, &MainWindow::SetScreenAway);
    AddSettingsMenu();
    nightPicture_ = new NightPictureDialog(*prompts_, &window_);
    connect(window_.menu().lastNight, &QAction::triggered, this, &DesktopSession::ShowLastNight);

    connect(bell_, &ChangeBell::Rung, this, [this] {
        ++heard_;
        FollowNight();
        FollowSettings();
    });
    connect(&window_, &MainWindow::Changed, this, [this] {
        ++heard_;
        FollowSettings();
    });
    state_.phaseObserver = this;
    state_.stream.clipObserver = this;
    state_.gentle.observer = this;
    FollowNight();
    FollowSettings();
}

DesktopSession::~DesktopSession()
{
    state_.phaseObserver = nullptr;
    state_.stream.clipObserver = nullptr;
    state_.gentle.observer = nullptr;
    if (nightLog_.recording())
    {
        std::string why;                         // nobody is left to tell
        WriteLastNight(nightLog_.Finish(), why); // quitting during a night keeps it too
    }
    inhibitor_->Release();
    FollowSettings(); // what changed last, e.g. the window's place, is written now
    keeper_->Flush();
}

int DesktopSession::wakeUps() const { return heard_ + keeper_->wakeUps() + inhibitor_->wakeUps(); }

void DesktopSession::OnPhaseChanged(const AppState& state)
{
    if (NightPlays(state.phase) && !nightLog_.recording())
    {
        nightLog_.Begin(state);
    }
    bell_->Ring();
}

void DesktopSession::OnClipChosen(const AppState& state)
{
    nightLog_.Clip(state);
    // Most clips keep her activity (a breath follows a breath): only a new title is news,
    // another minute on the sleep timer, or her wake-up call beginning or ending (it may keep
    // the title of the silence before it).
    if (ClassifyActivity(state.behaviourState, state.sleep) != titleActivity_ ||
        (NightStarted(state.phase) ? SleepTimerMinutesLeft(state.gentle) : 0) != titleTimerLeft_ ||
        (state.behaviourState == kKindWakeCall) != callSeen_)
    {
        bell_->Ring();
    }
}

// One line in the night's record each: nothing is allocated, and the window reads the
// slot's own flag for its quiet line.
void DesktopSession::OnMusicDry(const AppState& state) { nightLog_.Mark(state, kEventMusicDry); }

void DesktopSession::OnMusicEnded(const AppState& state)
{
    nightLog_.Mark(state, kEventMusicEnded);
}

void DesktopSession::OnGentleMark(const AppState& state, GentleMark mark)
{
    nightLog_.Mark(state, GentleMarkName(mark));
    if (mark == GentleMark::TimerEnd)
    {
        bell_->Ring(); // the countdown in the title ends
    }
}

void DesktopSession::AddSettingsMenu()
{
    QMenuBar* bar = window_.menuBar();
    auto* menu = new QMenu(bar);
    ShowText(menu, UiText::MenuSettings);
    english_ = menu->addAction(QString());
    english_->setObjectName(QStringLiteral("englishAction"));
    english_->setCheckable(true);
    // The language the program runs in (--lang may differ from the one remembered).
    english_->setChecked(language_.current() == Language::English);
    ShowText(english_, UiText::MenuEnglish);
    keepAwake_ = menu->addAction(QString());
    keepAwake_->setObjectName(QStringLiteral("keepAwakeAction"));
    keepAwake_->setCheckable(true);
    keepAwake_->setChecked(settings_.keepAwake);
    ShowText(keepAwake_, UiText::MenuKeepAwake);
    head_ = menu->addAction(QString());
    head_->setObjectName(QStringLiteral("headAction"));
    ShowText(head_, UiText::MenuHead);
    connect(head_, &QAction::triggered, this, [this] { OpenHeadChooser(); });
    AddGentleEntries(*menu);
    // Before ヘルプ, which stays last.
    const QList<QAction*> menus = bar->actions();
    bar->insertMenu(menus.isEmpty() ? nullptr : menus.last(), menu);
    connect(english_, &QAction::toggled, this, &DesktopSession::SetEnglish);
    connect(keepAwake_, &QAction::toggled, this, &DesktopSession::SetKeepAwake);
}

// A submenu of exclusive choices; `chosen` is called with the value of the one picked.
template <typename Chosen>
QMenu* AddChoices(QMenu& parent, UiText title, const std::vector<std::pair<int, UiText>>& items,
                  int current, const QString& name, Chosen chosen)
{
    auto* sub = parent.addMenu(QString());
    ShowText(sub->menuAction(), title);
    sub->setObjectName(name);
    auto* group = new QActionGroup(sub);
    for (const auto& [value, text] : items)
    {
        QAction* action = sub->addAction(QString());
        action->setCheckable(true);
        action->setChecked(value == current);
        action->setData(value);
        group->addAction(action);
        // The number goes into the translated text each time the language changes.
        const auto show = [action, text = text, value = value] {
            QString shown = Text(text);
            action->setText(shown.contains(QLatin1String("%1")) ? shown.arg(value) : shown);
        };
        show();
        QObject::connect(sub, &QMenu::aboutToShow, action, show);
        QObject::connect(action, &QAction::triggered, sub,
                         [chosen, value = value] { chosen(value); });
    }
    return sub;
}

void DesktopSession::AddGentleEntries(QMenu& menu)
{
    std::vector<std::pair<int, UiText>> timers = {{0, UiText::MenuTimerOff}};
    for (int minutes = kSleepTimerStepMinutes; minutes <= kSleepTimerMostMinutes;
         minutes += kSleepTimerStepMinutes)
    {
        timers.emplace_back(minutes, UiText::MenuTimerMinutes);
    }
    timerMenu_ = AddChoices(menu, UiText::MenuSleepTimer, timers, window_.SleepTimerMinutes(),
                            QStringLiteral("sleepTimerMenu"),
                            [this](int minutes) { window_.SetSleepTimer(minutes); });
    // The window's buttons change the timer too: the ticks follow them when the menu opens.
    connect(timerMenu_, &QMenu::aboutToShow, this, [this] {
        for (QAction* action : timerMenu_->actions())
        {
            action->setChecked(action->data().toInt() == window_.SleepTimerMinutes());
        }
    });
    oneEar_ = menu.addAction(QString());
    oneEar_->setObjectName(QStringLiteral("oneEarAction"));
    oneEar_->setCheckable(true);
    oneEar_->setChecked(state_.gentle.settings.mono);
    ShowText(oneEar_, UiText::MenuOneEar);
    swapSides_ = menu.addAction(QString());
    swapSides_->setObjectName(QStringLiteral("swapSidesAction"));
    swapSides_->setCheckable(true);
    swapSides_->setChecked(state_.gentle.settings.swap);
    ShowText(swapSides_, UiText::MenuSwapSides);
    connect(oneEar_, &QAction::toggled, this, [this](bool on) {
        state_.gentle.settings.mono = on;
        FollowSettings();
    });
    connect(swapSides_, &QAction::toggled, this, [this](bool on) {
        state_.gentle.settings.swap = on;
        FollowSettings();
    });
    AddChoices(menu, UiText::MenuWakeRamp,
               {{0, UiText::MenuWakeRampNone},
                {30, UiText::MenuWakeRampSeconds},
                {60, UiText::MenuWakeRampSeconds},
                {120, UiText::MenuWakeRampSeconds},
                {300, UiText::MenuWakeRampSeconds}},
               state_.gentle.settings.wakeRampFrames / kSampleRate, QStringLiteral("wakeRampMenu"),
               [this](int seconds) {
                   state_.gentle.settings.wakeRampFrames = seconds * kSampleRate;
                   FollowSettings();
               });
}

void DesktopSession::SetEnglish(bool english)
{
    const Language language = english ? Language::English : Language::Japanese;
    language_.Apply(language);
    settings_.language = language;
    titleValid_ = false; // the title in the other language
    FollowNight();
    FollowSettings();
}

void DesktopSession::SetKeepAwake(bool keepAwake)
{
    settings_.keepAwake = keepAwake;
    FollowNight(); // take or give back the lock at once
    FollowSettings();
}

void DesktopSession::RaiseWindow()
{
    if (window_.isMinimized())
    {
        window_.showNormal();
    }
    window_.show();
    window_.raise();
    window_.activateWindow();
}

void DesktopSession::SetSoundAway(bool away)
{
    if (away != soundAway_)
    {
        nightLog_.Mark(state_, away ? "sound-away" : "sound-back");
    }
    soundAway_ = away;
    FollowNight();
}

QWidget* DesktopSession::wakeNotice() const
{
    return wakeNotice_ != nullptr && wakeNotice_->isVisible() ? wakeNotice_.data() : nullptr;
}

void DesktopSession::ShowWakeNotice()
{
    if (wakeNotice_ == nullptr)
    {
        auto* box = new QMessageBox(QMessageBox::Information, Text(UiText::WakeNoticeCaption),
                                    Text(UiText::WakeNoticeText), QMessageBox::Ok, &window_);
        box->setObjectName(QStringLiteral("wakeNotice"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        // Modeless: the night goes on behind it.
        box->setModal(false);
        wakeNotice_ = box;
    }
    RaiseWindow();
    wakeNotice_->show();
    wakeNotice_->raise();
    wakeNotice_->activateWindow();
}

void DesktopSession::FollowNight()
{
    const bool plays = NightPlays(state_.phase);
    // Her call cannot be heard without a server: it is shown once for each call.
    const bool calling = plays && state_.behaviourState == kKindWakeCall;
    callSeen_ = state_.behaviourState == kKindWakeCall;
    if (calling && soundAway_ && !wakeNoticed_)
    {
        wakeNoticed_ = true;
        ShowWakeNotice();
    }
    else if (!calling)
    {
        wakeNoticed_ = false;
    }
    if (plays && settings_.keepAwake)
    {
        inhibitor_->Hold();
    }
    else
    {
        inhibitor_->Release();
    }

    const bool voiceLoaded = VoiceLoaded(state_.phase);
    const Activity activity = ClassifyActivity(state_.behaviourState, state_.sleep);
    const int timerLeft = window_.TimerMinutesLeft();
    if (!titleValid_ || activity != titleActivity_ || voiceLoaded != titleVoiceLoaded_ ||
        timerLeft != titleTimerLeft_)
    {
        titleValid_ = true;
        titleActivity_ = activity;
        titleVoiceLoaded_ = voiceLoaded;
        titleTimerLeft_ = timerLeft;
        title_ = voiceLoaded
                     ? QString::fromStdString(ActivityText(TranslatedStatusWords(), activity))
                           .simplified()
                     : QStringLiteral("Yumo");
        // The media player shows the sleep timer as the countdown does: the minutes left.
        if (voiceLoaded && timerLeft > 0)
        {
            title_ += QStringLiteral(" · ") + Text(UiText::MenuSleepTimer) + QStringLiteral(" ") +
                      Text(UiText::MenuTimerMinutes).arg(timerLeft);
        }
    }
    // Enter starts a night whenever voice data is loaded and none plays.
    mediaPlayer_->Show(plays, !plays && voiceLoaded, title_, calling);
    if (nightLog_.recording() && !NightStarted(state_.phase))
    {
        // A night ended by closing the window is kept, not pictured on the way out.
        FinishNightLog(!window_.Closing());
    }
    if (pendingHead_ != nullptr && !NightStarted(state_.phase))
    {
        state_.hrir = std::move(*pendingHead_);
        pendingHead_.reset();
    }
}

HeadChooser* DesktopSession::OpenHeadChooser()
{
    if (headChooser_ == nullptr)
    {
        const QString tool = QCoreApplication::applicationDirPath() + QStringLiteral("/yumo-tool");
        headChooser_ = new HeadChooser(state_.hrir, settings_.headPath, tool, *headPreview_,
                                       *prompts_, &window_);
        connect(headChooser_, &HeadChooser::Chosen, this,
                [this](const QString& path, const HrirSet& set) {
                    settings_.headPath = path;
                    // The night plays on with the head it started with.
                    if (NightStarted(state_.phase))
                    {
                        pendingHead_ = std::make_unique<HrirSet>(set);
                    }
                    else
                    {
                        state_.hrir = set;
                    }
                    FollowSettings();
                });
    }
    headChooser_->show();
    headChooser_->raise();
    return headChooser_;
}

void DesktopSession::FinishNightLog(bool show)
{
    std::vector<NightEvent> events = nightLog_.Finish();
    // A 10-hour night is a few MB to sync: not on the window's thread. A record that cannot be
    // written is told once, quietly, beside the night's picture: the next 昨夜の様子 shows an
    // older night, dated.
    QtConcurrent::run([copy = events] {
        std::string why;
        return WriteLastNight(copy, why) ? std::string() : why;
    }).then(this, [this](const std::string& why) {
        if (!why.empty())
        {
            nightPicture_->ShowNote(Text(UiText::LastNightNotKept).arg(TranslateCoreText(why)));
        }
    });
    if (show)
    {
        nightPicture_->ShowRecord(MakeNightRecord(std::move(events), NightPlotColumns(),
                                                  QDateTime::currentSecsSinceEpoch()));
    }
}

void DesktopSession::ShowLastNight()
{
    // Checked and thinned as it is read: the picture never draws a record the reader did not
    // take.
    NightRecord record;
    std::string why;
    if (!ReadNightRecord(QFile::encodeName(LastNightPath()).toStdString(), NightPlotColumns(),
                         record, why))
    {
        QMessageBox::information(&window_, Text(UiText::LastNightCaption),
                                 Text(UiText::LastNightMissing));
        return;
    }
    nightPicture_->ShowRecord(std::move(record));
}

void DesktopSession::FollowSettings()
{
    SavedSettings next = TakeSettings(state_, settings_);
    next.musicOff = window_.client().musicOnButton->isChecked();
    const QString voicePath = QString::fromStdString(state_.voiceDataPath);
    if (!voicePath.isEmpty() && voicePath != startUpVoicePath_)
    {
        next.lastVoicePath = voicePath;
    }
    next.windowGeometry = window_.saveGeometry();
    settings_ = next;
    keeper_->Offer(settings_);
}

} // namespace yumo
