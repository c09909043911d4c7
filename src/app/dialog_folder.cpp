// Where the window's file dialogs start.
#include "dialog_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "program_settings.h"

namespace zorbel::app {

namespace {

// Followed by the dialog's name.
const QString kLastFolderKey = QStringLiteral("folders/");

}  // namespace

bool runsFromBuildTree(const QString& programFolder) {
  const QString tree = QDir(QStringLiteral(ZORBEL_BUILD_TREE)).canonicalPath();
  const QString program = QDir(programFolder).canonicalPath();
  return !tree.isEmpty() && (program == tree || program.startsWith(tree + '/'));
}

QString dialogFolder(const QString& subfolder, const QString& programFolder) {
  if (runsFromBuildTree(programFolder)) {
    const QString beside = QDir(programFolder).filePath(subfolder);
    return QDir().mkpath(beside) ? beside : QDir::homePath();
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

QString startFolder(const QString& dialog, const QString& subfolder) {
  const QString last = programSettings().value(kLastFolderKey + dialog).toString();
  if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
  return subfolder.isEmpty() ? QDir::homePath() : dialogFolder(subfolder);
}

void rememberFolder(const QString& dialog, const QString& chosen) {
  programSettings().setValue(kLastFolderKey + dialog, QFileInfo(chosen).absolutePath());
}

}  // namespace zorbel::app
