#include "gui/desktop_session.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>

#include "display/status_texts.h"
#include "gui/desktop/change_bell.h"
#include "gui/desktop/mpris.h"
#include "gui/texts/language.h"
#include "gui/texts/live_texts.h"
#include "gui/texts/texts.h"
#include "gui/window/client_area.h"
#include "gui/window/main_window.h"

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
      inhibitor_(new SleepInhibitor(buses.system, this, timings.sleepLock))
{
    MainWindow* window = &window_;
    MprisActions actions;
    actions.toggleNight = [window] { window->ToggleNight(); };
    actions.startNight = [window] { window->StartNightCommand(); };
    actions.stopNight = [window] { window->StopNightCommand(); };
    actions.raise = [this] { RaiseWindow(); };
    actions.quit = [window] { window->close(); };
    mediaPlayer_ = new MediaPlayerService(buses.session, std::move(actions), this);
    AddSettingsMenu();

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
    FollowNight();
    FollowSettings();
}

DesktopSession::~DesktopSession()
{
    state_.phaseObserver = nullptr;
    state_.stream.clipObserver = nullptr;
    inhibitor_->Release();
    FollowSettings(); // what changed last, e.g. the window's place, is written now
    keeper_->Flush();
}

int DesktopSession::wakeUps() const { return heard_ + keeper_->wakeUps() + inhibitor_->wakeUps(); }

void DesktopSession::OnPhaseChanged(const AppState&) { bell_->Ring(); }

void DesktopSession::OnClipChosen(const AppState& state)
{
    // Most clips keep her activity (a breath follows a breath): only a new title is news, or
    // her wake-up call beginning or ending (it may keep the title of the silence before it).
    if (ClassifyActivity(state.behaviourState, state.sleep) != titleActivity_ ||
        (state.behaviourState == kKindWakeCall) != callSeen_)
    {
        bell_->Ring();
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
    // Before ヘルプ, which stays last.
    const QList<QAction*> menus = bar->actions();
    bar->insertMenu(menus.isEmpty() ? nullptr : menus.last(), menu);
    connect(english_, &QAction::toggled, this, &DesktopSession::SetEnglish);
    connect(keepAwake_, &QAction::toggled, this, &DesktopSession::SetKeepAwake);
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
    if (!titleValid_ || activity != titleActivity_ || voiceLoaded != titleVoiceLoaded_)
    {
        titleValid_ = true;
        titleActivity_ = activity;
        titleVoiceLoaded_ = voiceLoaded;
        title_ = voiceLoaded
                     ? QString::fromStdString(ActivityText(TranslatedStatusWords(), activity))
                           .simplified()
                     : QStringLiteral("Yumo");
    }
    // Enter starts a night whenever voice data is loaded and none plays.
    mediaPlayer_->Show(plays, !plays && voiceLoaded, title_, calling);
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
