#pragma once
// Where the window's file dialogs start.
#include <QString>

namespace zorbel::app {

// The folder a file dialog first starts in, made on first use. Run from its
// build tree, the program's own folder followed by `subfolder`; installed,
// ${XDG_DATA_HOME:-~/.local/share}/zorbel-configurator/ followed by
// `subfolder`. The home folder when it cannot be made.
QString dialogFolder(const QString& subfolder);
QString dialogFolder(const QString& subfolder, const QString& programFolder);
bool runsFromBuildTree(const QString& programFolder);

// The folder the dialog named `dialog` starts in: where its last file was
// chosen (kept between runs) while that folder is there, else dialogFolder(),
// or with no `subfolder` the home folder.
QString startFolder(const QString& dialog, const QString& subfolder);
void rememberFolder(const QString& dialog, const QString& chosen);

}  // namespace zorbel::app
