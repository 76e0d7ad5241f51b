#include "gui/startup.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QScreen>
#include <QSlider>

#include "audio/filter_set.h"
#include "audio/hrir_set.h"
#include "common/data_folder.h"
#include "common/results.h"
#include "gui/panes/status_panes.h"
#include "gui/texts/texts.h"
#include "gui/window/client_area.h"
#include "gui/window/window_fit.h"
#include "voices/voice_set.h"

namespace yumo
{
namespace
{

// Into the folder that holds the data, so that every relative path finds it.
void EnterDataFolder()
{
    std::error_code error;
    const std::filesystem::path workDir = std::filesystem::current_path(error);
    const std::filesystem::path executableDir = QApplication::applicationDirPath().toStdString();
    const std::filesystem::path folder = FindDataFolder(workDir, executableDir);
    if (folder != workDir)
    {
        std::filesystem::current_path(folder, error);
    }
}

// The voice data the user loaded last time, while it is still there; else the default.
QString StartUpVoicePath(const SavedSettings& settings)
{
    std::error_code error;
    const std::filesystem::path last = settings.lastVoicePath.toStdString();
    if (!last.empty() && std::filesystem::is_regular_file(last, error))
    {
        return settings.lastVoicePath;
    }
    return QLatin1String(kDefaultVoicePath);
}

void RestoreWindow(MainWindow& window, AppState& state, const SavedSettings& settings)
{
    // A damaged geometry is left out; the window then fits the screen it opens on.
    const QScreen* screen = window.screen();
    PlaceWindow(window, settings.windowGeometry,
                screen != nullptr ? screen->availableGeometry() : QRect());
    ClientArea& client = window.client();
    client.voice.slider->setValue(settings.voiceVolume); // the slider sets the volume
    client.music.slider->setValue(settings.musicVolume);
    if (settings.musicOff)
    {
        client.musicOnButton->setChecked(true);
        state.music.musicOn = false;
    }
}

} // namespace

bool StartProgram(QApplication& application, Program& program, const SavedSettings& settings)
{
    program.language = std::make_unique<LanguageSwitch>();
    program.language->Apply(settings.language);
    InitGuiResources();
    application.setWindowIcon(YumoIcon());
    application.setFont(PaneFont(12, 400));
    EnterDataFolder();

    program.prompts = std::make_unique<DialogPrompts>();
    program.reporter = std::make_unique<MessageReporter>(*program.prompts);
    program.state = CreateAppState(*program.reporter);
    AppState& state = *program.state;
    ApplySettings(settings, state);
    if (LoadHrirSet(state.hrir, std::filesystem::path("."), *program.reporter) != kOk)
    {
        program.reporter->ShowWaitingMessages();
        return false;
    }
    // A head of the user's own, chosen earlier, replaces the built-in one when it still reads.
    if (!settings.headPath.isEmpty())
    {
        HrirSet own;
        std::string why;
        if (ReadHrirSetFile(QFile::encodeName(settings.headPath).toStdString(), own, why) ==
            HrirFileStatus::Ok)
        {
            state.hrir = std::move(own);
        }
    }
    LoadFilterSet(state.filters, std::filesystem::path("."), *program.reporter);
    program.output = CreateSoundOutput();
    program.window = std::make_unique<MainWindow>(state, *program.output, *program.prompts);
    SoundOutput* output = program.output.get();
    MainWindow* window = program.window.get();
    // The output runs ahead of the ear; the panes and her picture show what is heard.
    window->SetHeardClock([output](uint64_t& bytes) { return output->HeardSinceOpen(bytes); });
    QObject::connect(output, &SoundOutput::ServerAwayChanged, window, &MainWindow::ShowSoundAway);
    // The stream is named in the mixer after the voice set's owner.
    QObject::connect(window, &MainWindow::Changed, output,
                     [output, &state] { output->SetStreamName(OwnerNameUtf8(state.voices)); });
    program.reporter->SetOwner(program.window.get());
    RestoreWindow(*program.window, state, settings);
    const QString voicePath = StartUpVoicePath(settings);
    program.window->LoadDefaultVoiceData(voicePath);
    if (!VoiceLoaded(state.phase) && voicePath != QLatin1String(kDefaultVoicePath))
    {
        program.window->LoadDefaultVoiceData(); // the remembered file did not load
    }
    return true;
}

} // namespace yumo
