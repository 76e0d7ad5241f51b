#include "gui/desktop_session.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>

#include "display/status_texts.h"
#include "gui/desktop/mpris.h"
#include "gui/desktop/sleep_inhibitor.h"
#include "gui/startup.h"
#include "gui/texts/live_texts.h"
#include "gui/window/client_area.h"

namespace yumo
{
namespace
{

constexpr int kFollowMilliseconds = 500;

} // namespace

DesktopSession::DesktopSession(Program& program, const SavedSettings& saved,
                               const QString& settingsPath, const DesktopBuses& buses,
                               QObject* parent)
    : QObject(parent), program_(program), settingsPath_(settingsPath), settings_(saved),
      written_(saved), startUpVoicePath_(QString::fromStdString(program.state->voiceDataPath)),
      inhibitor_(new SleepInhibitor(buses.system, this))
{
    MainWindow* window = program_.window.get();
    MprisActions actions;
    actions.toggleNight = [window] { window->ToggleNight(); };
    actions.startNight = [window] { window->StartNightCommand(); };
    actions.stopNight = [window] { window->StopNightCommand(); };
    actions.raise = [this] { RaiseWindow(); };
    actions.quit = [window] { window->close(); };
    mediaPlayer_ = new MediaPlayerService(buses.session, std::move(actions), this);
    AddSettingsMenu();
    timer_.setInterval(kFollowMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &DesktopSession::Follow);
    timer_.start();
    Follow();
}

DesktopSession::~DesktopSession()
{
    Follow(); // what changed since the last look; the night has ended with the window
    inhibitor_->Release();
    Keep();
}

void DesktopSession::AddSettingsMenu()
{
    QMenuBar* bar = program_.window->menuBar();
    auto* menu = new QMenu(bar);
    ShowText(menu, UiText::MenuSettings);
    english_ = menu->addAction(QString());
    english_->setObjectName(QStringLiteral("englishAction"));
    english_->setCheckable(true);
    // The language the program runs in (--lang may differ from the one remembered).
    english_->setChecked(program_.language->current() == Language::English);
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
    program_.language->Apply(language);
    settings_.language = language;
    Keep();
}

void DesktopSession::SetKeepAwake(bool keepAwake)
{
    settings_.keepAwake = keepAwake;
    Follow(); // take or give back the lock at once
    Keep();
}

void DesktopSession::RaiseWindow()
{
    MainWindow* window = program_.window.get();
    if (window->isMinimized())
    {
        window->showNormal();
    }
    window->show();
    window->raise();
    window->activateWindow();
}

QString DesktopSession::ActivityTitle() const
{
    const AppState& state = *program_.state;
    if (state.voiceLoaded != 1)
    {
        return QStringLiteral("Yumo");
    }
    const StatusWords words = TranslatedStatusWords();
    return QString::fromStdString(
               ActivityText(words, ClassifyActivity(state.behaviourState, state.sleep)))
        .simplified();
}

void DesktopSession::Follow()
{
    const AppState& state = *program_.state;
    const bool running = state.idle == 0;
    if (running && settings_.keepAwake)
    {
        inhibitor_->Hold();
    }
    else
    {
        inhibitor_->Release();
    }
    // Enter starts a night whenever voice data is loaded and none runs.
    mediaPlayer_->Show(running, !running && state.voiceLoaded == 1, ActivityTitle());

    SavedSettings next = TakeSettings(state, settings_);
    next.musicOff = program_.window->client().musicOnButton->isChecked();
    const QString voicePath = QString::fromStdString(state.voiceDataPath);
    if (!voicePath.isEmpty() && voicePath != startUpVoicePath_)
    {
        next.lastVoicePath = voicePath;
    }
    next.windowGeometry = program_.window->saveGeometry();
    settings_ = next;
    Keep();
}

void DesktopSession::Keep()
{
    if (settingsPath_.isEmpty() || settings_ == written_)
    {
        return;
    }
    QSettings file(settingsPath_, QSettings::IniFormat);
    if (WriteSettings(file, settings_))
    {
        written_ = settings_;
    }
}

} // namespace yumo
