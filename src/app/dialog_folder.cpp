// Where the window's file dialogs start.
#include "dialog_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace zorbel::app {

bool runsFromBuildTree(const QString& programFolder) {
  const QString tree = QDir(QStringLiteral(ZORBEL_BUILD_TREE)).canonicalPath();
  const QString program = QDir(programFolder).canonicalPath();
  return !tree.isEmpty() && (program == tree || program.startsWith(tree + '/'));
}

QString dialogFolder(const QString& subfolder, const QString& programFolder) {
  if (runsFromBuildTree(programFolder)) {
    const QString beside = QDir(programFolder).filePath(subfolder);
    return QFileInfo(beside).isDir() ? beside : QDir::homePath();
  }
  // An installed program's folder is not the user's: the user's data folder
  // stands in for it, made on first use.
  const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  const QString installed = QDir(data).filePath("zorbel-configurator/" + subfolder);
  return QDir().mkpath(installed) ? installed : QDir::homePath();
}

QString dialogFolder(const QString& subfolder) {
  return dialogFolder(subfolder, QCoreApplication::applicationDirPath());
}

}  // namespace zorbel::app
