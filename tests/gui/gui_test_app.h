#pragma once
// One QApplication for a widget-test program, created on first use (fonts and pixmaps need it;
// the tests run with QT_QPA_PLATFORM=offscreen).

#include <QApplication>

namespace yumo
{

inline void EnsureTestApplication()
{
    if (QCoreApplication::instance() == nullptr)
    {
        static int argc = 1;
        static char name[] = "yumo_gui_tests";
        static char* argv[] = {name, nullptr};
        static QApplication application(argc, argv);
    }
}

} // namespace yumo
