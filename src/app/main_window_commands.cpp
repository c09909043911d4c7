// The main window's commands and the link's reports. Every command reads the
// controls into the settings model first and shows the model again after it
// has set settings.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QProgressBar>
#include <QLabel>

#include "cfgfile/config_file.h"
#include "common/whole_file.h"
#include "main_window.h"
#include "latin1.h"
#include "link_adapter.h"
#include "object_names.h"
#include "settings/codec.h"
#include "update/firmware.h"
#include "update/remote_update.h"

namespace zorbel::app {

namespace {

const QString kHashFilter = "Zorbel firmware hash files (*.hash)|*.hash";
const QString kConfigFilter = "Zorbel config files (*.cfg)|*.cfg";
const QString kRemoteFilter = "Zorbel remote update files (*.ruf)|*.ruf";
const QString kInformation = "Information";
const QString kFileOpenError = "File open error";

std::string localPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString transferName(link::TransferKind kind) {
  switch (kind) {
    case link::TransferKind::ConfigurationWrite: return "Writing configuration";
    case link::TransferKind::ConfigurationRead: return "Reading configuration";
    case link::TransferKind::Firmware: return "Uploading firmware";
  }
  return {};
}

}  // namespace

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

// ---- Connection group -------------------------------------------------------

void MainWindow::openPort() {
  const link::OpenResult result = link_->device().open(toBytes(portName()));
  if (result.ok) {
    information(kInformation, QString::fromStdString(link::kOpenedMessage));
    return;
  }
  // The reason, then on a line of its own the hint when there is one.
  const QString details = QString::fromLocal8Bit(result.error.reason);
  const QString reason = details.section('\n', 0, 0);
  // The port this open let go reports its closing through the queue; the
  // reason goes through it too, after that report, so that it stays in view.
  QMetaObject::invokeMethod(this, [this, reason] { setStatus(reason); }, Qt::QueuedConnection);
  information(kInformation, QString::fromStdString(result.error.message), details);
}

void MainWindow::closePort() { link_->device().close(); }

void MainWindow::readConfiguration() {
  link_->device().readConfiguration();
  setStatus(link_->device().workerRunning() ? "Waiting for the device" : "Read config starts when a port is open");
}

void MainWindow::writeConfiguration() {
  if (!encodeForDevice()) return;
  link_->device().writeConfiguration(image_);
  setStatus(link_->device().workerRunning() ? "Waiting for the device" : "Write config starts when a port is open");
}

void MainWindow::uploadFirmware() {
  const auto path = chooseFile(names::kFirmwareDialog, false, "firmware", kHashFilter);
  if (!path) return;
  // The load refuses a path that is no plain file (a named pipe, a terminal)
  // without waiting for a writer or a carrier.
  const Result<void> loaded = firmware_->load(localPath(*path));
  if (!loaded) {
    information(kFileOpenError, QString::fromStdString(loaded.error().message),
                QString::fromLocal8Bit(loaded.error().reason));
    return;
  }
  // The bar runs to the page count; an empty file still sends one page, so
  // the bar never gets an empty range (which would show as "busy").
  progressBar_->setRange(0, std::max<int>(1, static_cast<int>(firmware_->pageCount())));
  progressBar_->setValue(0);
  link_->device().uploadFirmware(firmware_->pages());
  setStatus(link_->device().workerRunning() ? "Waiting for the device"
                                            : "Upload firmware starts when a port is open");
}

// ---- Pages ------------------------------------------------------------------

void MainWindow::showSpecialStrings() { dialogs_.showModal(*specialStringsWindow_); }
void MainWindow::showFilterSetup() { dialogs_.showModal(*filterWindow_); }
void MainWindow::showRemoteUpdateHelp() { dialogs_.showModal(*remoteUpdateHelpWindow_); }

void MainWindow::uploadPcTimeClicked() {
  binder_.toModel();
  model_.uploadPcTimeClick();
  binder_.toWidgets();
}

void MainWindow::fillClockFromPc() {
  binder_.toModel();
  model_.fillRtcFromPcClock();
  binder_.toWidgets();
}

void MainWindow::restoreAnalogDefaults(int channel) {
  binder_.toModel();
  model_.analogChannelDefaults(channel);
  binder_.toWidgets();
}

void MainWindow::restoreDigitalDefaults(int channel) {
  binder_.toModel();
  model_.digitalChannelDefaults(channel);
  binder_.toWidgets();
}

// ---- Menus ------------------------------------------------------------------

void MainWindow::saveToFile() {
  const auto path = chooseFile(names::kConfigSaveDialog, true, "config", kConfigFilter, "zorbel.cfg");
  if (!path) return;
  binder_.toModel();
  const Result<void> saved = cfgfile::saveConfigFile(model_, localPath(*path));
  if (!saved)
    showError(fromBytes(saved.error().message), QString::fromLocal8Bit(saved.error().reason));
}

void MainWindow::readFromFile() {
  const auto path = chooseFile(names::kConfigOpenDialog, false, "config", kConfigFilter);
  if (!path) return;
  binder_.toModel();
  const Result<cfgfile::ImportReport> imported =
      cfgfile::importConfigFile(model_, localPath(*path));
  if (!imported) {
    showError(fromBytes(imported.error().message), QString::fromLocal8Bit(imported.error().reason));
    return;
  }
  const std::string& versionMessage = imported.value().versionMessage;
  if (!versionMessage.empty()) information(kInformation, fromBytes(versionMessage));
  binder_.toWidgets();
}

void MainWindow::buildRemoteUpdateFile() {
  if (!encodeForDevice()) return;
  const auto firmware = chooseFile(names::kRemoteFirmwareDialog, false, "remote", kHashFilter);
  if (!firmware) return;
  // A firmware file that cannot be read is reported before the destination is asked for.
  if (const Result<void> readable = checkReadable(localPath(*firmware)); !readable) {
    information(kFileOpenError, "Could not open firmware file", QString::fromLocal8Bit(readable.error().reason));
    return;
  }
  const auto out = chooseFile(names::kRemoteSaveDialog, true, "remote", kRemoteFilter);
  if (!out) return;
  const Result<void> built = update::buildRemoteUpdateFile(image_, localPath(*firmware), localPath(*out));
  if (!built) {
    information(kFileOpenError, QString::fromStdString(built.error().message),
                QString::fromLocal8Bit(built.error().reason));
  }
}

// ---- Helpers ----------------------------------------------------------------

// "Write config" and "Build remote update file": the PC clock first when
// Uploadpctime is checked, then the encoder into the window's image.
bool MainWindow::encodeForDevice() {
  binder_.toModel();
  const Result<void> result = settings::encodeForDevice(model_, image_);
  binder_.toWidgets();
  if (!result) showEncodeFailure(result.error());
  return result.ok();
}

void MainWindow::showEncodeFailure(const Error& error) {
  if (error.kind == ErrorKind::Range) {
    information(kInformation, fromBytes(error.message));
  } else {
    showError(fromBytes(error.message));  // "'%s' is not a valid integer value"
  }
}

std::optional<QString> MainWindow::chooseFile(const QString& dialog, bool save, const QString& subfolder,
                                          const QString& filter, const QString& preset) {
  FileDialogRequest request;
  request.name = dialog;
  request.save = save;
  request.folder = dialogFolder(subfolder);
  request.filter = filter;
  const auto last = lastFileName_.find(dialog);
  request.fileName = last != lastFileName_.end() ? last->second : preset;
  auto path = dialogs_.chooseFile(request, this);
  if (path) lastFileName_[dialog] = QFileInfo(*path).fileName();
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

// ---- The link's reports, queued onto the GUI thread in the worker's order ----

void MainWindow::appendLog(const std::string& line) { logView_->appendPlainText(fromBytes(line)); }

void MainWindow::showProgress(link::TransferKind kind, std::uint32_t done, std::uint32_t total) {
  // A firmware upload keeps the range its load set; the others run to their 16 pages.
  if (kind != link::TransferKind::Firmware) progressBar_->setRange(0, static_cast<int>(total));
  progressBar_->setValue(std::min(static_cast<int>(done), progressBar_->maximum()));
  setStatus(QString("%1, page %2 of %3").arg(transferName(kind)).arg(std::min(done + 1, total)).arg(total));
}

void MainWindow::showPortState(link::PortState state, const std::string& text) {
  const QString what = QString::fromLocal8Bit(text);
  switch (state) {
    case link::PortState::Open:  // "Port /dev/ttyUSB0 open"
    case link::PortState::Closed: setStatus("Port " + what); break;
    case link::PortState::Lost: setStatus("Port lost: " + what); break;
  }
}

void MainWindow::showTransferEnd(link::TransferKind kind, link::TransferEnd end) {
  if (end == link::TransferEnd::Finished) {
    progressBar_->setValue(progressBar_->maximum());
    setStatus(transferName(kind) + ": finished");
  } else {
    setStatus(transferName(kind) + ": stopped, see the log");
  }
}

// The end of a good configuration read: the worker waits until the decoder has run.
void MainWindow::decodeReceivedImage(const std::shared_ptr<link::ImageHandOver>& hand) {
  binder_.toModel();
  const Result<void> decoded = settings::decodeSettings(hand->image(), model_);
  binder_.toWidgets();
  hand->done();
  if (!decoded) information(kInformation, fromBytes(decoded.error().message));
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The worker reports to this window: it must be gone before the window is.
  link_->device().stopAndJoin();
  QMainWindow::closeEvent(event);
}

}  // namespace zorbel::app
