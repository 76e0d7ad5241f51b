#include "gui/startup.h"

#include <filesystem>
#include <system_error>

#include <QApplication>

#include "audio/filter_set.h"
#include "audio/hrir_set.h"
#include "common/results.h"
#include "gui/data_folder.h"
#include "gui/status_panes.h"
#include "gui/texts.h"

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

} // namespace

bool StartProgram(QApplication& application, Program& program)
{
    InstallQtJapanese(application);
    InitGuiResources();
    application.setWindowIcon(YumoIcon());
    application.setFont(PaneFont(12, 400));
    EnterDataFolder();

    program.prompts = std::make_unique<DialogPrompts>();
    program.reporter = std::make_unique<MessageReporter>(*program.prompts);
    program.state = CreateAppState(*program.reporter);
    AppState& state = *program.state;
    if (LoadHrirSet(state.hrir, std::filesystem::path("."), *program.reporter) != kOk)
    {
        program.reporter->ShowWaitingMessages();
        return false;
    }
    LoadFilterSet(state.filters, std::filesystem::path("."), *program.reporter);
    program.output = CreateSoundOutput(*program.reporter);
    program.window = std::make_unique<MainWindow>(state, *program.output, *program.prompts);
    program.reporter->SetOwner(program.window.get());
    program.window->LoadDefaultVoiceData();
    return true;
}

} // namespace yumo
