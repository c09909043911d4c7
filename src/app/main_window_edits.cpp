// The window's settings and where they are kept: the title with the file's
// name and the modified mark, the question before edits would be lost, the
// report of a file read, and undo and redo of edits and whole commands.
#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>

#include "cfgfile/config_file.h"
#include "common/terminal_text.h"
#include "kept_settings.h"
#include "latin1.h"
#include "log_view.h"
#include "main_window.h"
#include "object_names.h"
#include "recent_files.h"
#include "settings/catalog.h"
#include "settings/setting_name.h"
#include "settings_history.h"

namespace zorbel::app {

namespace {

// Undo and redo of the window's history win over an edit box's own, which
// would only know the box's last typing and hide the window's steps.
class WindowUndoKeys : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ShortcutOverride) {
      auto* key = static_cast<QKeyEvent*>(event);
      // Left unaccepted, the key goes on to the window's shortcuts.
      if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)) return true;
    }
    return QObject::eventFilter(watched, event);
  }
};

// A file's name as the log shows it: a control character would start a line of its own.
QString printableName(const QString& path) {
  QString name = QFileInfo(path).fileName();
  for (QChar& c : name) {
    if (c.category() == QChar::Other_Control) c = QChar(0xFFFD);
  }
  return name;
}

// A note quotes the file's bytes: control bytes are shown as \xHH.
QString printableNote(const cfgfile::ValueNote& note) {
  return fromBytes(escapedForTerminal(cfgfile::noteText(note)));
}

}  // namespace

void MainWindow::setUpEdits() {
  caption_ = windowTitle();
  kept_ = std::make_unique<KeptSettings>(model_);
  history_ = new SettingsHistory(
      model_,
      [this](const settings::SettingsModel& state) {
        binder_.showModel(state);
        updateTitle();
      },
      this);

  // Edit, between the file menu and Device.
  auto* edit = new QMenu("&Edit", this);
  edit->setObjectName(names::kEditMenu);
  QAction* undo = history_->stack().createUndoAction(edit, "&Undo");
  undo->setObjectName(names::kUndoAction);
  undo->setShortcut(QKeySequence::Undo);
  QAction* redo = history_->stack().createRedoAction(edit, "&Redo");
  redo->setObjectName(names::kRedoAction);
  redo->setShortcut(QKeySequence("Ctrl+Shift+Z"));
  edit->addAction(undo);
  edit->addAction(redo);
  auto* device = findChild<QMenu*>(names::kDeviceMenu);
  menuBar()->insertMenu(device->menuAction(), edit);

  QAction* revert = device->addAction("&Revert to device values");
  revert->setObjectName(names::kRevertToDeviceAction);
  connect(revert, &QAction::triggered, this,
          [this] { runCommand([this] { revertToDeviceValues(); }); });

  // Every change a user makes in a settings control is a step; a box's own
  // undo keys give way to the window's.
  connect(&binder_, &SettingsBinder::settingEdited, this, [this](std::size_t setting) {
    history_->edited(setting, stepName(setting));
    updateTitle();
  });
  auto* keys = new WindowUndoKeys(this);
  for (const settings::Setting& s : settings::allSettings()) {
    if (auto* box = binder_.control<QLineEdit>(s.name)) box->installEventFilter(keys);
  }
  updateTitle();
}

void MainWindow::updateTitle() {
  const QString file = QFileInfo(kept_->filePath()).fileName();
  setWindowFilePath(kept_->filePath());
  setWindowTitle(caption_ + (file.isEmpty() ? QString() : QString::fromUtf8(" \u2014 ") + file) +
                 "[*]");
  setWindowModified(kept_->modified(model_));
  if (auto* revert = findChild<QAction*>(names::kRevertToDeviceAction))
    revert->setEnabled(kept_->device() && !sameKeptSettings(model_, *kept_->device()));
}

void MainWindow::recordStep(const QString& text) {
  history_->record(text);
  updateTitle();
}

// What a control's own change is called in the Edit menu: "Undo Typing in TX delay".
QString MainWindow::stepName(std::size_t setting) const {
  const QString caption = settingCaption(setting);
  switch (settings::allSettings()[setting].kind) {
    case settings::ControlKind::Edit:
      return "Typing in " + caption;
    case settings::ControlKind::Combo:
      return "Choice of " + caption;
    case settings::ControlKind::Check:
      return "Click on " + caption;
  }
  return caption;
}

// A check box's click behaviour belongs to the click's own step.
void MainWindow::amendStep() {
  history_->amendLast();
  updateTitle();
}

void MainWindow::keptInFile(const QString& path) {
  kept_->keptInFile(model_, path);
  if (recentFiles_ != nullptr) recentFiles_->add(path);
  updateTitle();
}

void MainWindow::keptOnDevice(const settings::SettingsModel& state) {
  kept_->keptOnDevice(state);
  updateTitle();
}

// "Send finished.": the device holds the settings sent, unless the verify
// that follows finds otherwise.
void MainWindow::writeFinished() {
  if (!findChild<QAction*>(names::kVerifyAfterWriteAction)->isChecked() && writing_)
    keptOnDevice(*writing_);
  startVerify();
}

// Closing the window, "Read config" and "Read from file" would lose edits
// neither a file nor the device holds: the user may save them first.
bool MainWindow::mayDiscardEdits(const QString& command, const QString& consequence) {
  if (!kept_->holdsUnkeptEdits(model_)) return true;
  Choice choice;
  choice.title = command;
  choice.text =
      "The settings have changes that are neither saved in a file nor written to the device.\n"
      "Do you want to save them first?";
  choice.details = consequence;
  choice.buttons = {{"&Save", Choice::Role::Accept},
                    {"&Discard", Choice::Role::Destructive},
                    {"Cancel", Choice::Role::Reject}};
  choice.defaultButton = 0;
  switch (dialogs_.choose(choice, this)) {
    case 0:
      saveToFile();
      return !kept_->holdsUnkeptEdits(model_);  // a save cancelled or failed keeps them
    case 1:
      return true;
    default:
      return false;
  }
}

bool MainWindow::mayClose() {
  return mayDiscardEdits(kApplicationTitle, "Closing the window discards them.");
}

// "Read from file" has set the settings from `path`.
void MainWindow::reportFileRead(const QString& path, const cfgfile::ImportReport& report) {
  recordStep("Read from file");
  keptInFile(path);
  const QString name = printableName(path);
  logView_->appendLine("Configuration read from " + name + ".");
  for (const cfgfile::ValueNote& note : report.notes) logView_->appendLine(printableNote(note));
  const auto unread = report.notes.size();
  setStatus("Configuration read from " + name +
            (unread == 0   ? QString()
             : unread == 1 ? QString("; 1 value could not be read, see the log")
                           : QString("; %1 values could not be read, see the log").arg(unread)));
}

void MainWindow::revertToDeviceValues() {
  if (!kept_->device()) return;
  // The clock stays as it is: a read never sets it.
  settings::SettingsModel device = *kept_->device();
  for (const settings::SettingName name : {"Rtcyear"_setting, "Rtcmonth"_setting, "Rtcday"_setting,
                                           "Rtchour"_setting, "Rtcmin"_setting})
    device.setTextAt(name.index(), model_.text(name));
  binder_.showModel(device);
  recordStep("Revert to device values");
  setStatus("Settings reverted to the device's values");
}

}  // namespace zorbel::app
