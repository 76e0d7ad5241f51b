// What the main window's panes show, and when each must be repainted.

#include "gui/client_area.h"
#include "gui/main_window.h"
#include "gui/pane_widget.h"

namespace yumo
{

void MainWindow::InstallPainters() {}

void MainWindow::RefreshPanes() {}

} // namespace yumo
