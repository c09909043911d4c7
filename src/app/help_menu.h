#pragma once
// The Help menu: the README (or a short guide where it is not installed), the
// two help windows, About and a problem report for the clipboard; and F1,
// which shows the focused control's hint, or the contents elsewhere.
#include <QString>
#include <functional>

class QAction;
class QMainWindow;
class QPlainTextEdit;

namespace zorbel::app {

class UserDialogs;

struct HelpSources {
  std::function<void()> showSpecialStrings;
  std::function<void()> showRemoteUpdateHelp;
  std::function<QString()> port;    // the port the window would open
  std::function<QString()> status;  // the status line
  const QPlainTextEdit* log = nullptr;
};

// Adds the Help menu to `window`'s menu bar, and F1 to `window`. Returns the
// "Remote update procedure…" action, which only the network variant shows.
QAction* addHelpMenu(QMainWindow& window, UserDialogs& dialogs, const HelpSources& sources);

// The README the package installs (relative to the program's folder) or, run
// from the build tree, the source tree's; empty when neither is there.
QString readmePath(const QString& programFolder);

// What "Report a problem…" copies: the versions, the platform, the port and
// the log's last kReportedLogLines lines.
inline constexpr int kReportedLogLines = 200;
QString problemReport(const QString& port, const QString& status, const QPlainTextEdit& log);

}  // namespace zorbel::app
