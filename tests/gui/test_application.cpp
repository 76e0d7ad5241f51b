#include "gui/test_application.h"

#include <QApplication>

namespace yumo::test
{

void EnsureTestApplication()
{
    if (QCoreApplication::instance() != nullptr)
    {
        return;
    }
    static int argc = 1;
    static char name[] = "yumo_gui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication application(argc, argv);
}

} // namespace yumo::test
