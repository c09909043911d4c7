// The main window's commands and the link's reports. Every command reads the
// controls into the settings model first and shows the model again after it
// has set settings.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollArea>
#include <QStandardPaths>
#include <QTabWidget>
#include <algorithm>

#include "cfgfile/config_file.h"
#include "common/whole_file.h"
#include "compare_dialog.h"
#include "keyboard_access.h"
#include "latin1.h"
#include "link/device_finder.h"
#include "link_adapter.h"
#include "log_view.h"
#include "main_window.h"
#include "object_names.h"
#include "settings/catalog.h"
#include "settings/codec.h"
#include "settings/compare.h"
#include "settings/field_capacity.h"
#include "update/firmware.h"
#include "update/remote_update.h"

namespace zorbel::app {

namespace {

const QString kHashFilter = "Zorbel firmware hash files (*.hash)|*.hash";
const QString kConfigFilter = "Zorbel config files (*.cfg)|*.cfg";
const QString kRemoteFilter = "Zorbel remote update files (*.ruf)|*.ruf";
const QString kFileOpenError = "File open error";

std::string localPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

// ---- Connection group -------------------------------------------------------

void MainWindow::openPort() {
  if (guard_.busy()) return;  // the transfer's port stays as it is
  forgetReadBack();           // the port this open lets go takes its pending read with it
  const Result<void> result = link_->device().open(toBytes(portName()));
  if (result.ok()) {
    portClosedByUser_ = false;
    updateCommandStates();
    rememberPort();
    information(kInformationTitle, QString::fromStdString(link::kOpenedMessage));
    return;
  }
  resetProgress();
  updateCommandStates();
  // The reason, then on a line of its own the hint when there is one.
  const QString reason = QString::fromLocal8Bit(result.error().reason);
  const QString details = result.error().hint.empty()
                              ? reason
                              : reason + '\n' + QString::fromLocal8Bit(result.error().hint);
  // The port this open let go reports its closing through the queue; the
  // reason goes through it too, after that report, so that it stays in view.
  QMetaObject::invokeMethod(
      this, [this, reason] { setStatus(reason); }, Qt::QueuedConnection);
  information(kInformationTitle, QString::fromStdString(result.error().message), details);
}

void MainWindow::findDevice() {
  const link::SystemView view = link::SystemView::current();
  const std::vector<std::string> ports = link::portsToSearch();
  std::vector<std::string> found;
  {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    found = link::findDevice(view, ports);
    QApplication::restoreOverrideCursor();
  }
  if (found.empty()) {
    QString tried;
    for (const std::string& port : ports)
      tried += (tried.isEmpty() ? "" : ", ") + QString::fromLocal8Bit(port);
    information(kInformationTitle,
                "No device answered on: " + (tried.isEmpty() ? "(no ready port)" : tried));
    return;
  }
  selectPort(QString::fromLocal8Bit(found.front()));
}

void MainWindow::closePort() {
  if (!mayStopTransfer("Close port")) return;
  cutTransferShort();
  link_->device().close();
  forgetReadBack();
  resetProgress();
  updateCommandStates();
}

void MainWindow::readConfiguration() {
  // The port may go while the question is open: it is looked at again after.
  if (!mayStartTransfer() ||
      !mayDiscardEdits("Read config", "Read config replaces them with the device's settings.") ||
      !mayStartTransfer()) {
    return;
  }
  link_->device().readConfiguration();
  beginTransfer(TransferGuard::Job::Read, link::TransferKind::ConfigurationRead, kImagePages);
}

void MainWindow::writeConfiguration() {
  if (!mayStartTransfer() || !encodeAndConfirm() || !mayStartTransfer()) return;
  lastWritten_ = image_;  // what a verify after this write compares with
  writing_ = model_;
  startWrite();
  // With a backup, the device's configuration is read first.
  beginTransfer(TransferGuard::Job::Write,
                writeAfterBackup_ ? link::TransferKind::ConfigurationRead
                                  : link::TransferKind::ConfigurationWrite,
                kImagePages);
}

void MainWindow::uploadFirmware() {
  if (!mayStartTransfer()) return;
  const auto path = chooseFile(names::kFirmwareDialog, false, "firmware", kHashFilter);
  if (!path) return;
  // The load refuses a path that is no plain file (a named pipe, a terminal)
  // without waiting for a writer or a carrier.
  const Result<void> loaded = firmware_->load(localPath(*path));
  if (!loaded) {
    const bool tooLong = loaded.error().kind == ErrorKind::TooLong;
    information(kFileOpenError, QString::fromStdString(loaded.error().message),
                tooLong ? firmwareSizes(*path) : QString::fromLocal8Bit(loaded.error().reason));
    return;
  }
  // The port may have gone while the questions were open.
  if (!confirmUpload(*path) || !mayStartTransfer()) return;
  // The bar runs to the page count; an empty file still sends one page, so
  // the bar never gets an empty range (which would show as "busy").
  TransferProgress& upload = transfers_[link::TransferKind::Firmware];
  upload = {0, std::max<int>(1, static_cast<int>(firmware_->pageCount())), false, clock_.elapsed()};
  showTransferOnBar(link::TransferKind::Firmware);
  // The load refused a file longer than the link takes.
  (void)link_->device().uploadFirmware(firmware_->pages());
  beginTransfer(TransferGuard::Job::Upload, link::TransferKind::Firmware,
                firmware_->pageCount() + 1);
}

// ---- Pages ------------------------------------------------------------------

void MainWindow::showSpecialStrings() { dialogs_.showModal(*specialStringsWindow_); }
void MainWindow::showFilterSetup() { dialogs_.showModal(*filterWindow_); }
void MainWindow::showRemoteUpdateHelp() { dialogs_.showModal(*remoteUpdateHelpWindow_); }

void MainWindow::uploadPcTimeClicked() {
  model_.enableClockEditsUnlessPcTime();
  binder_.toWidgets();
  amendStep();
}

void MainWindow::restoreAnalogDefaults(int channel) {
  model_.analogChannelDefaults(channel);
  binder_.toWidgets();
  recordStep("Default parameters");
}

void MainWindow::restoreDigitalDefaults(int channel) {
  model_.digitalChannelDefaults(channel);
  binder_.toWidgets();
  recordStep("Default parameters");
}

// ---- Menus ------------------------------------------------------------------

void MainWindow::saveToFile() {
  auto path = chooseFile(names::kConfigSaveDialog, true, "config", kConfigFilter, "zorbel.cfg");
  if (!path) return;
  // A name typed without a suffix gets the configuration file's.
  if (QFileInfo(*path).suffix().isEmpty()) *path += ".cfg";
  if (QFileInfo(*path).isFile() &&
      !dialogs_.question(
          "Save to file",
          QFileInfo(*path).fileName() + " already exists.\nDo you want to replace it?", this)) {
    return;
  }
  const Result<void> saved = cfgfile::saveConfigFile(model_, localPath(*path));
  if (!saved) {
    showError(fromBytes(saved.error().message), QString::fromLocal8Bit(saved.error().reason));
    return;
  }
  keptInFile(*path);
}

void MainWindow::readFromFile() {
  if (guard_.busy()) return;  // the settings a transfer sends or sets stay as they are
  if (!mayDiscardEdits("Read from file", "Read from file replaces them with the file's settings."))
    return;
  const auto path = chooseFile(names::kConfigOpenDialog, false, "config", kConfigFilter);
  if (path) readConfigFile(*path);
}

void MainWindow::readConfigFile(const QString& path) {
  // A name that does not exist would set every setting to its default.
  if (!QFileInfo::exists(path)) {
    showError("Unable to read from " + path, "No such file or directory");
    return;
  }
  const Result<cfgfile::ImportReport> imported = cfgfile::importConfigFile(model_, localPath(path));
  if (!imported) {
    showError(fromBytes(imported.error().message), QString::fromLocal8Bit(imported.error().reason));
    return;
  }
  const std::string& versionMessage = imported.value().versionMessage;
  if (!versionMessage.empty()) information(kInformationTitle, fromBytes(versionMessage));
  // A text its field would cut is shown whole and marked; Write config refuses it.
  binder_.toWidgets();
  reportFileRead(path, imported.value());
}

void MainWindow::buildRemoteUpdateFile() {
  if (!encodeAndConfirm() || !mayBuildWithDevelopmentKey()) return;
  const auto firmware = chooseFile(names::kRemoteFirmwareDialog, false, "remote", kHashFilter);
  if (!firmware) return;
  // A firmware file that cannot be read is reported before the destination is asked for.
  if (const Result<void> readable = checkReadable(localPath(*firmware)); !readable) {
    information(kFileOpenError, "Could not open firmware file",
                QString::fromLocal8Bit(readable.error().reason));
    return;
  }
  const auto out = chooseFile(names::kRemoteSaveDialog, true, "remote", kRemoteFilter);
  if (!out) return;
  const Result<void> built =
      update::buildRemoteUpdateFile(image_, localPath(*firmware), localPath(*out));
  if (!built) {
    information(kFileOpenError, QString::fromStdString(built.error().message),
                QString::fromLocal8Bit(built.error().reason));
  }
}

// ---- The log's context menu ----------------------------------------------------

void MainWindow::saveLog() {
  FileDialogRequest request;
  request.name = names::kLogSaveDialog;
  request.save = true;
  request.folder = startFolder(request.name, {});
  request.filter = "Log files (*.log)|*.log";
  request.fileName = "zorbel.log";
  auto path = dialogs_.chooseFile(request, this);
  if (!path) return;
  rememberFolder(request.name, *path);
  if (QFileInfo(*path).suffix().isEmpty()) *path += ".log";
  if (QFileInfo(*path).isFile() &&
      !dialogs_.question(
          "Save log", QFileInfo(*path).fileName() + " already exists.\nDo you want to replace it?",
          this)) {
    return;
  }
  const QString text = logView_->savedText();
  if (const Result<void> written = writeFile(localPath(*path), toBytes(text)); !written) {
    showError("Unable to write to " + *path, QString::fromLocal8Bit(written.error().reason));
  }
}

void MainWindow::clearLog() { logView_->clear(); }

// ---- Helpers ----------------------------------------------------------------

// "Write config" and "Build remote update file": the PC clock first when
// Uploadpctime is checked, then the encoder into the window's image, then the
// pre-write warnings; false when either stops the command.
bool MainWindow::encodeAndConfirm() {
  const Result<void> result = settings::encodeWithPcClock(model_, image_);
  binder_.toWidgets();
  recordStep("Fill the clock");  // Uploadpctime checked: the clock is the PC's now
  if (!result) showEncodeFailure(result.error());
  return result.ok() && confirmPreWrite();
}

void MainWindow::showEncodeFailure(const Error& error) {
  if (error.kind == ErrorKind::Conversion) {
    showError(fromBytes(error.message));  // "'%s' is not a valid integer value"
  } else {
    // A range message, or "NAME: at most N characters" for a text its field would cut.
    information(kInformationTitle, fromBytes(error.message));
  }
  // The setting that stopped the encode: show its page and its box.
  if (error.setting) showControl(binder_.widget(settings::allSettings()[*error.setting].name));
}

// Brings the pages holding `control` to the front and puts the focus on it.
void MainWindow::showControl(QWidget* control) {
  if (control == nullptr || control->window() != this) return;
  for (QWidget* w = control; w->parentWidget() != nullptr; w = w->parentWidget()) {
    // A page sits in a stacked widget inside its tab widget.
    auto* tabs = w->parentWidget()->parentWidget() != nullptr
                     ? qobject_cast<QTabWidget*>(w->parentWidget()->parentWidget())
                     : nullptr;
    if (tabs != nullptr && tabs->indexOf(w) >= 0 && tabs->isTabVisible(tabs->indexOf(w))) {
      tabs->setCurrentWidget(w);
    }
  }
  // On a page smaller than its controls, scrolled into view.
  for (QWidget* w = control; w != nullptr; w = w->parentWidget()) {
    if (auto* area = qobject_cast<QScrollArea*>(w)) area->ensureWidgetVisible(control);
  }
  if (control->isVisibleTo(this)) control->setFocus(Qt::OtherFocusReason);
  if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->selectAll();
}

std::optional<QString> MainWindow::chooseFile(const QString& dialog, bool save,
                                              const QString& subfolder, const QString& filter,
                                              const QString& preset) {
  FileDialogRequest request;
  request.name = dialog;
  request.save = save;
  request.folder = startFolder(dialog, subfolder);
  request.filter = filter;
  request.mustExist = !save;
  const auto last = lastFileName_.find(dialog);
  request.fileName = last != lastFileName_.end() ? last->second : preset;
  auto path = dialogs_.chooseFile(request, this);
  if (path) {
    lastFileName_[dialog] = QFileInfo(*path).fileName();
    rememberFolder(dialog, *path);
  }
  return path;
}

void MainWindow::information(const QString& title, const QString& text, const QString& details) {
  dialogs_.message(UserDialogs::Icon::Information, title, text, details, this);
}

// The application's general error box: an exception, or a text that is not an integer.
void MainWindow::showError(const QString& text, const QString& details) {
  dialogs_.message(UserDialogs::Icon::Error, kApplicationTitle, text, details, this);
}

void MainWindow::setStatus(const QString& text) { statusLine_->setText(text); }

}  // namespace zorbel::app
