#pragma once
// The program's start-up, in its order: the language's texts (Qt's Japanese ones by default)
// and the panes' artwork, the data folder, the one AppState with the remembered settings, the
// response set (the program ends when it cannot be loaded), the filter set, the sound output,
// the main window and the default voice data (or the voice data loaded last time, when it is
// still there). Shared by the program and the tool that measures it.

#include <memory>

#include "gui/desktop/settings.h"
#include "gui/sound/sound_device.h"
#include "gui/texts/language.h"
#include "gui/texts/message_reporter.h"
#include "gui/texts/user_prompts.h"
#include "gui/window/main_window.h"
#include "night/app_state.h"

class QApplication;

namespace yumo
{

// Everything the running program owns, destroyed in the reverse order: the window first, the
// sound output before the state its notifications refill, the reporter last.
struct Program
{
    std::unique_ptr<LanguageSwitch> language;
    std::unique_ptr<DialogPrompts> prompts;
    std::unique_ptr<MessageReporter> reporter;
    std::unique_ptr<AppState> state;
    std::unique_ptr<SoundOutput> output;
    std::unique_ptr<MainWindow> window;
};

// Runs the start-up up to a window ready to show. False when the response set cannot be
// loaded: its message has been shown and the program should end with status 1.
// `settings` are what the last run left (the defaults give the plain start-up).
bool StartProgram(QApplication& application, Program& program,
                  const SavedSettings& settings = SavedSettings{});

} // namespace yumo
