#pragma once
// The main window's menu bar (IDR_MENU_SIMPLE): ファイル, 再生 and ヘルプ with their items, and
// which items each menu state enables. The shortcuts shown in the item texts are handled as
// keys by the window, not by the menu.

#include "night/app_state.h"

class QAction;
class QMenuBar;

namespace yumo
{

struct MainMenu
{
    QAction* loadVoice = nullptr;  // 1
    QAction* closeVoice = nullptr; // 3
    QAction* editVoice = nullptr;  // 7
    QAction* quit = nullptr;       // 99
    QAction* goodNight = nullptr;  // 301 おやすみなさい
    QAction* wakeUp = nullptr;     // 302 起きます
    QAction* beWoken = nullptr;    // 303, never enabled
    QAction* lastNight = nullptr;  // 昨夜の様子, always enabled
    QAction* version = nullptr;    // 701
};

MainMenu BuildMainMenu(QMenuBar& bar);

// Enables and greys the items as `state` asks; items a state does not name keep theirs.
void ApplyMenuState(const MainMenu& menu, MenuState state);

} // namespace yumo
