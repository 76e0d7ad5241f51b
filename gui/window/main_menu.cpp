#include "gui/window/main_menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "gui/texts/live_texts.h"

namespace yumo
{
namespace
{

QAction* AddItem(QMenu& menu, UiText text, const char* name)
{
    QAction* action = menu.addAction(QString());
    ShowText(action, text);
    action->setObjectName(QLatin1String(name));
    return action;
}

QMenu* AddMenu(QMenuBar& bar, UiText title)
{
    QMenu* menu = bar.addMenu(QString());
    ShowText(menu, title);
    return menu;
}

void Enable(std::initializer_list<QAction*> actions, bool enabled)
{
    for (QAction* action : actions)
    {
        action->setEnabled(enabled);
    }
}

} // namespace

MainMenu BuildMainMenu(QMenuBar& bar)
{
    MainMenu menu;
    QMenu* file = AddMenu(bar, UiText::MenuFile);
    menu.loadVoice = AddItem(*file, UiText::MenuLoadVoice, "loadVoiceAction");
    menu.closeVoice = AddItem(*file, UiText::MenuCloseVoice, "closeVoiceAction");
    file->addSeparator();
    menu.editVoice = AddItem(*file, UiText::MenuEditVoice, "editVoiceAction");
    file->addSeparator();
    menu.quit = AddItem(*file, UiText::MenuQuit, "quitAction");

    QMenu* play = AddMenu(bar, UiText::MenuPlay);
    menu.goodNight = AddItem(*play, UiText::MenuGoodNight, "goodNightAction");
    menu.wakeUp = AddItem(*play, UiText::MenuWakeUp, "wakeUpAction");
    play->addSeparator();
    menu.beWoken = AddItem(*play, UiText::MenuBeWoken, "beWokenAction");
    menu.beWoken->setEnabled(false);
    play->addSeparator();
    menu.lastNight = AddItem(*play, UiText::MenuLastNight, "lastNightAction");

    QMenu* help = AddMenu(bar, UiText::MenuHelp);
    menu.version = AddItem(*help, UiText::MenuVersion, "versionAction");
    ApplyMenuState(menu, MenuState::NoVoice);
    return menu;
}

void ApplyMenuState(const MainMenu& menu, MenuState state)
{
    switch (state)
    {
    case MenuState::NoVoice:
        Enable({menu.closeVoice, menu.goodNight, menu.wakeUp}, false);
        break;
    case MenuState::Loaded:
        Enable({menu.closeVoice, menu.goodNight}, true);
        break;
    case MenuState::Running:
        Enable({menu.wakeUp}, true);
        Enable({menu.loadVoice, menu.closeVoice, menu.goodNight, menu.version}, false);
        break;
    case MenuState::Stopped:
        Enable({menu.loadVoice, menu.closeVoice, menu.goodNight, menu.version}, true);
        Enable({menu.wakeUp}, false);
        break;
    }
    menu.beWoken->setEnabled(false);
}

} // namespace yumo
