#include "help_menu.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QSysInfo>
#include <QTextBlock>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <QWhatsThis>
#include <algorithm>

#include "common/version.h"
#include "dialog_folder.h"
#include "help_object_names.h"
#include "settings/image.h"
#include "user_dialogs.h"

namespace zorbel::app {
namespace {

// Shown where the README is not installed.
constexpr const char* kGuide = R"(# Zorbel Configurator

The full guide, README.md, was not found beside the program. In short:

- Choose the device's port in **COM Port** (or let **Device → Find device** look for
  it) and press **Open port**.
- **Read config** reads the device's settings into the window; **Write config** writes
  the window's settings to the device; **Upload firmware** sends a firmware hash file.
- **Configuration import/export** saves the settings to a `.cfg` file and reads them back.
- Ctrl+F finds a setting by its caption, hint or file key. F1 on a control shows its hint.
- **Edit → Undo** takes back edits and whole commands.
- `zorbelctl` does the same from the command line: see `man zorbelctl`.
)";

QString configVersion() {
  return QString::fromLatin1(settings::kConfigVersion.data(),
                             static_cast<qsizetype>(settings::kConfigVersion.size()));
}

void showContents(QWidget& parent, UserDialogs& dialogs) {
  QDialog window(&parent);
  window.setObjectName(names::kHelpContentsWindow);
  window.setWindowTitle("Zorbel Configurator help");
  auto* text = new QTextBrowser;
  text->setOpenExternalLinks(true);
  const QString path = readmePath(QCoreApplication::applicationDirPath());
  QFile readme(path);
  if (!path.isEmpty() && readme.open(QIODevice::ReadOnly)) {
    text->setSearchPaths({QFileInfo(path).absolutePath()});  // its pictures
    text->setMarkdown(QString::fromUtf8(readme.readAll()));
  } else {
    text->setMarkdown(kGuide);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &window, &QDialog::reject);
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(text);
  layout->addWidget(buttons);
  window.resize(760, 560);
  dialogs.showModal(window);
}

void showAbout(QWidget& parent, UserDialogs& dialogs) {
  dialogs.message(UserDialogs::Icon::Information, "About Zorbel Configurator",
                  QString("Zorbel Configurator %1").arg(kProgramVersion),
                  QString("Configuration version %1\n"
                          "Licence: none stated. No licence file comes with this program.\n"
                          "Qt %2")
                      .arg(configVersion(), QString::fromLatin1(qVersion())),
                  &parent);
}

void reportProblem(QWidget& parent, UserDialogs& dialogs, const HelpSources& sources) {
  const QString report = problemReport(sources.port(), sources.status(), *sources.log);
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->setText(report);
  if (clipboard->text() != report) {
    dialogs.message(UserDialogs::Icon::Error, "Report a problem",
                    "The clipboard did not take the problem report.", {}, &parent);
    return;
  }
  dialogs.message(UserDialogs::Icon::Information, "Report a problem",
                  "A problem report is on the clipboard: paste it into your message.",
                  "It holds the program's version, the platform, the port and the log's last "
                  "lines; read it before you send it.",
                  &parent);
}

// F1: the focused control's hint where it has one, the contents elsewhere.
void helpKey(QMainWindow& window, UserDialogs& dialogs) {
  for (QWidget* w = QApplication::focusWidget(); w != nullptr && w != &window;
       w = w->parentWidget()) {
    if (!w->whatsThis().isEmpty()) {
      QWhatsThis::showText(w->mapToGlobal(QPoint(0, w->height())), w->whatsThis(), w);
      return;
    }
  }
  showContents(window, dialogs);
}

}  // namespace

QString readmePath(const QString& programFolder) {
  const QString installed =
      QDir::cleanPath(QDir(programFolder).filePath(QStringLiteral(ZORBEL_README_FROM_PROGRAM)));
  if (QFileInfo(installed).isFile()) return installed;
  const QString source = QStringLiteral(ZORBEL_SOURCE_README);
  if (runsFromBuildTree(programFolder) && QFileInfo(source).isFile()) return source;
  return {};
}

QString problemReport(const QString& port, const QString& status, const QPlainTextEdit& log) {
  QStringList lines;
  lines << QString("Zorbel Configurator %1, configuration version %2")
               .arg(kProgramVersion, configVersion());
  lines << QString("Platform: %1, %2 %3, %4, Qt %5 (%6)")
               .arg(QSysInfo::prettyProductName(), QSysInfo::kernelType(),
                    QSysInfo::kernelVersion(), QSysInfo::currentCpuArchitecture(),
                    QString::fromLatin1(qVersion()), QGuiApplication::platformName());
  lines << "Port: " + port;
  lines << "Status: " + status;
  const QTextDocument* document = log.document();
  if (document->isEmpty()) {
    lines << "Log: empty";
  } else {
    const int first = std::max(0, document->blockCount() - kReportedLogLines);
    lines << QString("Log, its last %1 lines:").arg(document->blockCount() - first);
    for (QTextBlock b = document->findBlockByNumber(first); b.isValid(); b = b.next())
      lines << b.text();
  }
  return lines.join('\n') + '\n';
}

QAction* addHelpMenu(QMainWindow& window, UserDialogs& dialogs, const HelpSources& sources) {
  QMenu* help = window.menuBar()->addMenu("&Help");
  help->setObjectName(names::kHelpMenu);
  const auto add = [help](const char* name, const QString& caption, std::function<void()> run) {
    QAction* action = help->addAction(caption);
    action->setObjectName(name);
    QObject::connect(action, &QAction::triggered, help, std::move(run));
    return action;
  };
  QMainWindow* shown = &window;
  UserDialogs* boxes = &dialogs;
  // F1 is the window's own key below; the menu only names it.
  add(names::kHelpContentsAction, "&Contents\tF1",
      [shown, boxes] { showContents(*shown, *boxes); });
  add(names::kHelpSpecialStringsAction, QString::fromUtf8("&Special strings\u2026"),
      sources.showSpecialStrings);
  QAction* procedure =
      add(names::kHelpRemoteUpdateAction, QString::fromUtf8("&Remote update procedure\u2026"),
          sources.showRemoteUpdateHelp);
  help->addSeparator();
  add(names::kReportProblemAction, QString::fromUtf8("Report a &problem\u2026"),
      [shown, boxes, sources] { reportProblem(*shown, *boxes, sources); });
  add(names::kAboutAction, "&About", [shown, boxes] { showAbout(*shown, *boxes); });
  auto* f1 = new QShortcut(QKeySequence::HelpContents, &window);
  QObject::connect(f1, &QShortcut::activated, &window, [shown, boxes] { helpKey(*shown, *boxes); });
  return procedure;
}

}  // namespace zorbel::app
