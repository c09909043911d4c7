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
#include "main_window.h"
#include "object_names.h"
#include "settings/catalog.h"
#include "settings/codec.h"
#include "settings/compare.h"
#include "settings/field_capacity.h"
#include "settings/setting_check.h"
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
    case link::TransferKind::ConfigurationWrite:
      return "Writing configuration";
    case link::TransferKind::ConfigurationRead:
      return "Reading configuration";
    case link::TransferKind::Firmware:
      return "Uploading firmware";
  }
  return {};
}

// A transfer in the log's line about a transfer a signal cut short.
QString cutShortName(link::TransferKind kind) {
  switch (kind) {
    case link::TransferKind::ConfigurationWrite:
      return "Configuration write";
    case link::TransferKind::ConfigurationRead:
      return "Configuration read";
    case link::TransferKind::Firmware:
      return "Upload";
  }
  return {};
}

// After this long without an answer the status line says the device is silent.
constexpr qint64 kSilenceMs = 2000;

// How a transfer that did not finish ended, for the status line.
QString endText(link::TransferEnd end) {
  switch (end) {
    case link::TransferEnd::Finished:
      return "finished";
    case link::TransferEnd::PageChecksumError:
    case link::TransferEnd::ImageChecksumError:
      return "checksum error";
    case link::TransferEnd::PageNumberError:
      return "page number error";
    case link::TransferEnd::NoAnswer:
      return QString("no answer for %1 s").arg(kAnswerTimeoutSeconds);
  }
  return "stopped, see the log";
}

// "Device: v1.31" in the decoder's version message.
QString deviceVersion(const QString& message) {
  for (const QString& line : message.split('\n')) {
    if (line.startsWith("Device: ")) return line.mid(8);
  }
  return message;
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
  forgetReadBack();  // the port this open lets go takes its pending read with it
  const Result<void> result = link_->device().open(toBytes(portName()));
  if (result.ok()) {
    portClosedByUser_ = false;
    rememberPort();
    information(kInformation, QString::fromStdString(link::kOpenedMessage));
    return;
  }
  resetProgress();
  // The reason, then on a line of its own the hint when there is one.
  const QString details = QString::fromLocal8Bit(result.error().reason);
  const QString reason = details.section('\n', 0, 0);
  // The port this open let go reports its closing through the queue; the
  // reason goes through it too, after that report, so that it stays in view.
  QMetaObject::invokeMethod(
      this, [this, reason] { setStatus(reason); }, Qt::QueuedConnection);
  information(kInformation, QString::fromStdString(result.error().message), details);
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
    information(kInformation,
                "No device answered on: " + (tried.isEmpty() ? "(no ready port)" : tried));
    return;
  }
  selectPort(QString::fromLocal8Bit(found.front()));
}

void MainWindow::closePort() {
  link_->device().close();
  forgetReadBack();
  resetProgress();
}

// A verify or comparison whose read will never come: a later "Read config"
// must not be taken for it.
void MainWindow::forgetReadBack() {
  verifyPending_ = comparePending_ = false;
  comparisonStatus_.clear();
}

void MainWindow::readConfiguration() {
  link_->device().readConfiguration();
  setStatus(link_->device().workerRunning() ? "Waiting for the device"
                                            : "Read config starts when a port is open");
}

void MainWindow::writeConfiguration() {
  if (!encodeForDevice()) return;
  lastWritten_ = image_;  // what a verify after this write compares with
  link_->device().writeConfiguration(image_);
  setStatus(link_->device().workerRunning() ? "Waiting for the device"
                                            : "Write config starts when a port is open");
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
  TransferProgress& upload = transfers_[link::TransferKind::Firmware];
  upload = {0, std::max<int>(1, static_cast<int>(firmware_->pageCount())), false, clock_.elapsed()};
  showTransferOnBar(link::TransferKind::Firmware);
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
  binder_.toModel();
  const Result<void> saved = cfgfile::saveConfigFile(model_, localPath(*path));
  if (!saved)
    showError(fromBytes(saved.error().message), QString::fromLocal8Bit(saved.error().reason));
}

void MainWindow::readFromFile() {
  const auto path = chooseFile(names::kConfigOpenDialog, false, "config", kConfigFilter);
  if (!path) return;
  // A name that does not exist would set every setting to its default.
  if (!QFileInfo::exists(*path)) {
    showError("Unable to read from " + *path, "No such file or directory");
    return;
  }
  binder_.toModel();
  const Result<cfgfile::ImportReport> imported =
      cfgfile::importConfigFile(model_, localPath(*path));
  if (!imported) {
    showError(fromBytes(imported.error().message), QString::fromLocal8Bit(imported.error().reason));
    return;
  }
  const std::string& versionMessage = imported.value().versionMessage;
  if (!versionMessage.empty()) information(kInformation, fromBytes(versionMessage));
  // A text its field would cut is shown whole and marked; Write config refuses it.
  binder_.toWidgets();
}

void MainWindow::buildRemoteUpdateFile() {
  if (!encodeForDevice()) return;
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
  request.folder = QDir::homePath();
  request.filter = "Log files (*.log)|*.log";
  request.fileName = "zorbel.log";
  auto path = dialogs_.chooseFile(request, this);
  if (!path) return;
  if (QFileInfo(*path).suffix().isEmpty()) *path += ".log";
  if (QFileInfo(*path).isFile() &&
      !dialogs_.question(
          "Save log", QFileInfo(*path).fileName() + " already exists.\nDo you want to replace it?",
          this)) {
    return;
  }
  QString text = logView_->toPlainText();
  if (!text.isEmpty()) text += '\n';
  if (const Result<void> written = writeFile(localPath(*path), toBytes(text)); !written) {
    showError("Unable to write to " + *path, QString::fromLocal8Bit(written.error().reason));
  }
}

void MainWindow::clearLog() { logView_->clear(); }

// ---- Helpers ----------------------------------------------------------------

// "Write config" and "Build remote update file": the PC clock first when
// Uploadpctime is checked, then the encoder into the window's image.
bool MainWindow::encodeForDevice() {
  binder_.toModel();
  const Result<void> result = settings::encodeForDevice(model_, image_);
  binder_.toWidgets();
  if (!result) showEncodeFailure(result.error());
  return result.ok() && confirmPreWrite();
}

void MainWindow::showEncodeFailure(const Error& error) {
  if (error.kind == ErrorKind::Conversion) {
    showError(fromBytes(error.message));  // "'%s' is not a valid integer value"
  } else {
    // A range message, or "NAME: at most N characters" for a text its field would cut.
    information(kInformation, fromBytes(error.message));
  }
  // The first setting in encoder order that its own check refuses with this
  // message is the one that stopped the encode: show its page and its box.
  const auto all = settings::allSettings();
  for (std::size_t i = 0; i < all.size(); ++i) {
    const Result<void> check = settings::checkSetting(model_, i);
    if (!check.ok() && check.error().message == error.message) {
      showControl(binder_.widget(all[i].name));
      return;
    }
  }
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
  if (control->isVisibleTo(this)) control->setFocus(Qt::OtherFocusReason);
  if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->selectAll();
}

std::optional<QString> MainWindow::chooseFile(const QString& dialog, bool save,
                                              const QString& subfolder, const QString& filter,
                                              const QString& preset) {
  FileDialogRequest request;
  request.name = dialog;
  request.save = save;
  request.folder = dialogFolder(subfolder);
  request.filter = filter;
  request.mustExist = !save;
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
  // Reports still queued from a port that was closed no longer move the bar.
  if (portClosedByUser_ || !link_->device().workerRunning()) return;
  TransferProgress& t = transfers_[kind];
  // A firmware upload runs to its page count (its extra last page fills the
  // bar); the configuration transfers to their 16 pages.
  const int pages = static_cast<int>(total);
  t.maximum = std::max(1, kind == link::TransferKind::Firmware ? pages - 1 : pages);
  t.done = std::min(static_cast<int>(done), t.maximum);
  t.total = pages;
  t.running = true;
  t.lastAnswer = clock_.elapsed();
  showTransferOnBar(kind);
  setStatus(QString("%1, page %2 of %3")
                .arg(transferName(kind))
                .arg(std::min(done + 1, total))
                .arg(total));
}

void MainWindow::showTransferOnBar(link::TransferKind kind) {
  shownTransfer_ = kind;
  const TransferProgress& t = transfers_[kind];
  progressBar_->setRange(0, t.maximum);
  progressBar_->setValue(t.done);
}

// "Close port" and a failed "Open port": no transfer is shown any more.
void MainWindow::resetProgress() {
  portClosedByUser_ = true;
  for (auto& [kind, t] : transfers_) t.running = false;
  shownTransfer_.reset();
  progressBar_->setRange(0, 100);
  progressBar_->setValue(0);
}

// A running transfer the device has not answered for a while.
void MainWindow::noticeSilence() {
  if (!shownTransfer_) return;
  const TransferProgress& t = transfers_[*shownTransfer_];
  const qint64 silent = clock_.elapsed() - t.lastAnswer;
  if (!t.running || silent < kSilenceMs || !link_->device().workerRunning()) return;
  setStatus(QString("Waiting for the device (no answer for %1 s)").arg(silent / 1000));
}

void MainWindow::showPortState(link::PortState state, const std::string& text) {
  const QString what = QString::fromLocal8Bit(text);
  switch (state) {
    case link::PortState::Open:  // "Port /dev/ttyUSB0 open"
    case link::PortState::Closed:
      setStatus("Port " + what);
      break;
    case link::PortState::Lost:
      setStatus("Port lost: " + what);
      forgetReadBack();
      break;
  }
  if (state != link::PortState::Open) {
    for (auto& [kind, t] : transfers_) t.running = false;
  }
}

void MainWindow::showTransferEnd(link::TransferKind kind, link::TransferEnd end) {
  TransferProgress& t = transfers_[kind];
  t.running = false;
  if (end == link::TransferEnd::Finished) t.done = t.maximum;
  if (!portClosedByUser_ && link_->device().workerRunning()) showTransferOnBar(kind);
  QString how = endText(end);
  if (kind == link::TransferKind::ConfigurationRead && end == link::TransferEnd::Finished &&
      !refusedVersion_.isEmpty()) {
    how = "refused, version " + refusedVersion_;
  }
  if (kind == link::TransferKind::ConfigurationRead && end != link::TransferEnd::Finished) {
    // The read back never came whole: neither use of it can be done.
    if (verifyPending_)
      appendLog(
          end == link::TransferEnd::NoAnswer
              ? "Verify failed: no answer from the device while reading the configuration back."
              : ("Verify failed: reading the configuration back ended in a " + how + ".")
                    .toStdString());
    if (verifyPending_) comparisonStatus_ = "Writing configuration: verify failed";
    verifyPending_ = comparePending_ = false;
  }
  if (kind == link::TransferKind::ConfigurationRead && !comparisonStatus_.isEmpty()) {
    setStatus(comparisonStatus_);
    comparisonStatus_.clear();
  } else {
    setStatus(transferName(kind) + ": " + how);
  }
  if (kind == link::TransferKind::ConfigurationWrite && end == link::TransferEnd::Finished)
    startVerify();
}

// ---- Reading the device back --------------------------------------------------

void MainWindow::compareWithDevice() {
  // A text its field would cut compares equal to the cut text a device holds:
  // refused, as Write config refuses it.
  binder_.toModel();
  if (const Result<void> fits = settings::checkAllFit(model_); !fits) {
    showEncodeFailure(fits.error());
    return;
  }
  comparePending_ = true;
  link_->device().readConfiguration(link::ReadPurpose::Comparison);
  setStatus(link_->device().workerRunning() ? "Waiting for the device"
                                            : "Compare with device starts when a port is open");
}

// After "Send finished.": read the image back when "Verify after write" is checked.
void MainWindow::startVerify() {
  if (!findChild<QAction*>(names::kVerifyAfterWriteAction)->isChecked()) return;
  verifyPending_ = true;
  link_->device().readConfiguration(link::ReadPurpose::Comparison);
  setStatus("Verifying configuration");
}

// A good read's image, before the window's settings are touched: the verify
// compares it with the image sent, the comparison with the window's settings.
void MainWindow::useReadBack(const settings::Image& image) {
  if (verifyPending_) {
    verifyPending_ = false;
    const link::ImageDifference difference = link::compareImages(lastWritten_, image);
    if (difference.count == 0) {
      appendLog("Verify: the device holds exactly what was sent.");
      comparisonStatus_ = "Writing configuration: verified";
    } else {
      appendLog(
          QString("Verify failed: %1 bytes differ from what was sent, the first at offset %2.")
              .arg(difference.count)
              .arg(difference.firstOffset)
              .toStdString());
      comparisonStatus_ = "Writing configuration: verify failed";
    }
  }
  if (!comparePending_) return;
  comparePending_ = false;
  // The device's settings: the window's with the image decoded over them, in
  // a model of their own; no control changes.
  settings::SettingsModel device = model_;
  const Result<void> decoded = settings::decodeSettings(image, device);
  const QString title = "Compare with device";
  if (!decoded) {
    const QString message = fromBytes(decoded.error().message);
    comparisonStatus_ = "Compare with device: refused, version " + deviceVersion(message);
    QMetaObject::invokeMethod(
        this, [this, message] { information(kInformation, message); }, Qt::QueuedConnection);
    return;
  }
  std::vector<ComparedSetting> rows;
  for (const settings::SettingDifference& d : settings::compareSettings(model_, device)) {
    const std::size_t i = *settings::findSetting(d.name);
    rows.push_back({settingCaption(i), shownValue(i, d.ours), shownValue(i, d.device)});
  }
  comparisonStatus_ =
      rows.empty()       ? QString("Compare with device: the device holds the window's settings")
      : rows.size() == 1 ? QString("Compare with device: 1 setting differs")
                         : QString("Compare with device: %1 settings differ").arg(rows.size());
  // Shown once the worker goes on: it waits until this image has been used.
  QMetaObject::invokeMethod(
      this,
      [this, title, rows] {
        if (rows.empty()) {
          information(title, "The device holds exactly the window's settings.");
          return;
        }
        CompareDialog dialog(rows, this);
        dialogs_.showModal(dialog);
      },
      Qt::QueuedConnection);
}

// A control as the window names it: its caption, or its row and column.
QString MainWindow::settingCaption(std::size_t settingIndex) const {
  const settings::Setting& s = settings::allSettings()[settingIndex];
  if (const QWidget* w = binder_.widget(s.name); w != nullptr && !w->accessibleName().isEmpty()) {
    return w->accessibleName();
  }
  const QString caption = spokenCaption(fromBytes(s.caption));
  return caption.isEmpty() || caption == "-" ? QString::fromStdString(s.name) : caption;
}

// A value as its control shows it: an item's text, checked or not.
QString MainWindow::shownValue(std::size_t settingIndex, const std::string& value) const {
  const settings::Setting& s = settings::allSettings()[settingIndex];
  switch (s.kind) {
    case settings::ControlKind::Edit:
      return fromBytes(value);
    case settings::ControlKind::Check:
      return value == "1" ? "checked" : "not checked";
    case settings::ControlKind::Combo: {
      const int index = QString::fromStdString(value).toInt();
      return index >= 0 && index < static_cast<int>(s.items.size()) ? fromBytes(s.items[index])
                                                                    : "(none)";
    }
  }
  return fromBytes(value);
}

// The end of a good configuration read: the worker waits until the decoder has run.
void MainWindow::decodeReceivedImage(const std::shared_ptr<link::ImageHandOver>& hand) {
  binder_.toModel();
  // A read for a comparison leaves the controls as they are.
  if (hand->purpose() == link::ReadPurpose::Comparison) {
    useReadBack(hand->image());
    refusedVersion_.clear();
    hand->done();
    return;
  }
  const Result<void> decoded = settings::decodeSettings(hand->image(), model_);
  binder_.toWidgets();
  refusedVersion_ = decoded ? QString() : deviceVersion(fromBytes(decoded.error().message));
  hand->done();
  if (!decoded) information(kInformation, fromBytes(decoded.error().message));
}

void MainWindow::stopBySignal() {
  if (!portClosedByUser_ && link_->device().workerRunning()) {
    for (const auto& [kind, t] : transfers_) {
      if (!t.running) continue;
      appendLog(QString("%1 cut short after page %2 of %3.")
                    .arg(cutShortName(kind))
                    .arg(t.done)
                    .arg(t.total)
                    .toStdString());
    }
  }
  link_->device().stopAndJoin();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The worker reports to this window: it must be gone before the window is.
  link_->device().stopAndJoin();
  QMainWindow::closeEvent(event);
}

}  // namespace zorbel::app
