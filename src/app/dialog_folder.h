#pragma once
// Where the window's file dialogs start.
#include <QString>

namespace zorbel::app {

// The folder a file dialog starts in. Run from its build tree, the program's
// own folder followed by `subfolder`, or the user's home folder when that does
// not exist. Installed, ${XDG_DATA_HOME:-~/.local/share}/zorbel-configurator/
// followed by `subfolder`, made on first use.
QString dialogFolder(const QString& subfolder);
QString dialogFolder(const QString& subfolder, const QString& programFolder);
bool runsFromBuildTree(const QString& programFolder);

}  // namespace zorbel::app
