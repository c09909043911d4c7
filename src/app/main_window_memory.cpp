// What the main window keeps between runs: its place, size and tab, and the
// configuration files used last.
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QScreen>
#include <QTabWidget>

#include "main_window.h"
#include "object_names.h"
#include "recent_files.h"
#include "window_memory.h"

namespace zorbel::app {

void MainWindow::setUpMemory(QSize defaultSize) {
  resize(defaultSize);
  if (!restoreWindowLayout(*this, *settingsTabs_)) {
    if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
  }
  // The recent files follow "Read from file" in its menu.
  auto* files = qobject_cast<QMenu*>(findChild<QAction*>(names::kReadFromFileAction)->parent());
  recentFiles_ = new RecentFiles(
      files, [this](const QString& path) { runCommand([this, path] { openRecentFile(path); }); });
}

void MainWindow::rememberLayout() { rememberWindowLayout(*this, *settingsTabs_); }

void MainWindow::openRecentFile(const QString& path) {
  if (!QFileInfo(path).isFile()) {
    recentFiles_->remove(path);
    information(kInformationTitle,
                QDir::toNativeSeparators(path) +
                    " is no longer there.\nIt has been removed from the recent files.");
    return;
  }
  if (!mayDiscardEdits("Read from file", "Read from file replaces them with the file's settings."))
    return;
  readConfigFile(path);
}

}  // namespace zorbel::app
