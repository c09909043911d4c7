#include "recent_files.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

#include "program_settings.h"

namespace zorbel::app {

namespace {

constexpr const char* kRecentFilesKey = "files/recent";

}  // namespace

RecentFiles::RecentFiles(QMenu* menu, std::function<void(const QString& path)> open)
    : QObject(menu), submenu_(menu->addMenu("Recent &files")), open_(std::move(open)) {
  submenu_->setObjectName(kRecentFilesMenu);
  fillMenu();
}

QStringList RecentFiles::paths() const {
  return programSettings().value(kRecentFilesKey).toStringList();
}

void RecentFiles::add(const QString& path) {
  const QString full = QFileInfo(path).absoluteFilePath();
  QStringList list = paths();
  list.removeAll(full);
  list.prepend(full);
  store(list.mid(0, kRecentFilesKept));
}

void RecentFiles::remove(const QString& path) {
  QStringList list = paths();
  list.removeAll(path);
  store(list);
}

void RecentFiles::store(const QStringList& paths) {
  programSettings().setValue(kRecentFilesKey, paths);
  programSettings().sync();
  fillMenu();
}

void RecentFiles::fillMenu() {
  // The action chosen may be the one running: its old actions go later.
  for (QAction* old : submenu_->actions()) {
    submenu_->removeAction(old);
    old->setObjectName({});
    old->deleteLater();
  }
  const QStringList list = paths();
  for (int i = 0; i < list.size(); ++i) {
    const QString& path = list[i];
    // "&1 /home/me/config/station.cfg": the whole path, two files may share a name.
    QAction* action = submenu_->addAction(
        QString("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path).replace('&', "&&")));
    action->setObjectName(QString("recentFile%1").arg(i + 1));
    connect(action, &QAction::triggered, this, [this, path] { open_(path); });
  }
  submenu_->menuAction()->setEnabled(!list.isEmpty());
}

}  // namespace zorbel::app
