// The Help and View menus, and the network variant's features they show: the
// WWW tab, the Remote update menu and its warning about the development key.
#include <QLabel>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>

#include "help_menu.h"
#include "help_object_names.h"
#include "log_view.h"
#include "main_window.h"
#include "network_variant.h"
#include "object_names.h"
#include "settings/page_names.h"
#include "update/xtea.h"

namespace zorbel::app {

void MainWindow::setUpHelp() {
  HelpSources sources;
  sources.showSpecialStrings = [this] { runCommand([this] { showSpecialStrings(); }); };
  sources.showRemoteUpdateHelp = [this] { runCommand([this] { showRemoteUpdateHelp(); }); };
  sources.port = [this] { return portName(); };
  sources.status = [this] { return statusLine_->text(); };
  sources.log = logView_;
  QAction* procedure = addHelpMenu(*this, dialogs_, sources);

  auto* view = new QMenu("&View", this);
  view->setObjectName(names::kViewMenu);
  menuBar()->insertMenu(remoteUpdateMenu_->menuAction(), view);
  QWidget* webServerPage = findChild<QWidget*>(settings::pages::kWebServer);
  // Off, the window is the plain device's: the tab and the menu hidden. Their
  // settings are encoded all the same, and a read still sets them.
  addNetworkVariantAction(view, [this, webServerPage, procedure](bool on) {
    settingsTabs_->setTabVisible(settingsTabs_->indexOf(webServerPage), on);
    remoteUpdateMenu_->menuAction()->setVisible(on);
    procedure->setVisible(on);
    // Every tab caption stays in view: a window on the screen grows for the
    // tab where it can (at start-up, its first size makes room for it).
    const int missing = settingsTabs_->tabBar()->sizeHint().width() - settingsTabs_->width();
    if (on && isVisible() && !isMaximized() && !isFullScreen() && missing > 0)
      resize(width() + missing, height());
  });
}

// A file enciphered with the development key is one no device accepts: the
// user hears of it before choosing any file, and may still build it (a test
// device set up with that key).
bool MainWindow::mayBuildWithDevelopmentKey() {
  if (!update::usesDevelopmentKey()) return true;
  appendLog(
      "Warning: this build enciphers remote update files with the development key, not the "
      "device's.");
  Choice choice;
  choice.title = "Build remote update file";
  choice.text =
      "This program was built with the development update key, not your device's key. A "
      "device refuses a remote update file enciphered with it.\n"
      "Build the file anyway?";
  choice.details =
      "A build for real devices is configured with the device's key: "
      "cmake -DZORBEL_UPDATE_KEY=<32 hexadecimal digits>.";
  choice.buttons = {{"&Build anyway", Choice::Role::Destructive}, {"Cancel", Choice::Role::Reject}};
  choice.defaultButton = 1;
  choice.warning = true;
  return dialogs_.choose(choice, this) == 0;
}

}  // namespace zorbel::app
