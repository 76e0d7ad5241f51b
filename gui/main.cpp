// yumo: the sleep companion's window.

#include <QApplication>

#include "gui/startup.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    yumo::Program program;
    if (!yumo::StartProgram(application, program))
    {
        return 1;
    }
    program.window->show();
    return QApplication::exec();
}
