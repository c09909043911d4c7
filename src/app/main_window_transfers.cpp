// One transfer at a time: the transfer commands only while a port is open and
// no other transfer runs, Cancel (Escape) while one does, the question before
// closing cuts one short, and the question before a firmware upload starts.
#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLocale>
#include <QPushButton>
#include <algorithm>
#include <cmath>

#include "link_adapter.h"
#include "main_window.h"
#include "object_names.h"
#include "port_combo_box.h"
#include "update/firmware.h"

namespace zorbel::app {

namespace {

// "300,000": the byte counts the window shows.
QString counted(qint64 n) { return QLocale(QLocale::English).toString(n); }

// "0.2 s", "23 s", "2 min 5 s".
QString duration(double seconds) {
  if (seconds < 10)
    return QString::number(std::max(0.1, std::round(seconds * 10) / 10), 'f', 1) + " s";
  const auto whole = static_cast<qint64>(std::lround(seconds));
  if (whole < 120) return QString("%1 s").arg(whole);
  return QString("%1 min %2 s").arg(whole / 60).arg(whole % 60);
}

}  // namespace

void MainWindow::setUpTransfers() {
  auto* cancel = findChild<QPushButton*>(names::kCancelTransferButton);
  cancel->setShortcut(QKeySequence(Qt::Key_Escape));
  cancel->setToolTip("Stops the transfer at the end of the page on its way (Escape)");
  connect(cancel, &QPushButton::clicked, this, [this] { cancelTransfer(); });
  updateCommandStates();
}

bool MainWindow::portIsOpen() const {
  return !portClosedByUser_ && link_->device().workerRunning();
}

// The transfer commands need an open port and no transfer running; the
// commands that would pull the port or the settings from under a transfer
// wait for its end.
void MainWindow::updateCommandStates() {
  const bool idle = !guard_.busy();
  const bool ready = idle && portIsOpen();
  for (const char* name :
       {names::kReadConfigButton, names::kWriteConfigButton, names::kUploadFirmwareButton}) {
    findChild<QPushButton*>(name)->setEnabled(ready);
  }
  findChild<QAction*>(names::kCompareWithDeviceAction)->setEnabled(ready);
  findChild<QPushButton*>(names::kOpenPortButton)->setEnabled(idle);
  portBox_->setEnabled(idle);
  findChild<QAction*>(names::kReadFromFileAction)->setEnabled(idle);
  findChild<QPushButton*>(names::kCancelTransferButton)->setEnabled(!idle);
}

// A transfer command reached some other way than its enabled control (a port
// lost a moment ago) starts nothing, and nothing waits for a later port.
bool MainWindow::mayStartTransfer() {
  if (!portIsOpen()) {
    setStatus("Open the port first.");
    return false;
  }
  if (guard_.busy()) {
    setStatus("Another transfer is running: wait for its end or press Cancel.");
    return false;
  }
  return true;
}

void MainWindow::beginTransfer(TransferGuard::Job job, link::TransferKind stage,
                               std::uint32_t total) {
  guard_.begin(job, stage, total);
  updateCommandStates();
  setStatus("Waiting for the device");
}

void MainWindow::endTransfer() {
  guard_.end();
  updateCommandStates();
}

void MainWindow::cancelTransfer() {
  if (!guard_.busy() || guard_.cancelled()) return;
  guard_.cancel();
  link_->device().cancel();
  setStatus("Stopping after the page on its way");
}

// Closing the window or the port under a transfer cuts it short: the user
// says so first. True when nothing runs or the user lets it stop.
bool MainWindow::mayStopTransfer(const QString& title) {
  if (!guard_.busy()) return true;
  return dialogs_.choose(guard_.stopQuestion(title), this) == 1;
}

// The port closes under the transfer: the log says where it stopped.
void MainWindow::cutTransferShort() {
  if (!guard_.busy()) return;
  const QString line = QString::fromStdString(guard_.cutShortLine());
  appendLog(line.toStdString());
  setStatus(line);
  endTransfer();
}

// What the upload will do, before it does it. The firmware is loaded.
bool MainWindow::confirmUpload(const QString& path) {
  const std::uint32_t pages = firmware_->pageCount();
  Choice choice;
  choice.title = "Upload firmware";
  choice.text = "Upload " + QFileInfo(path).fileName() + " to the device?";
  choice.details =
      QString(
          "%1 bytes in %2 pages: about %3 at %4 baud.\n"
          "The device must not lose power until the upload has finished: an upload cut "
          "short leaves it without complete firmware.")
          .arg(counted(static_cast<qint64>(firmware_->length())))
          .arg(counted(pages))
          .arg(duration(link::lineSeconds(pages + 1)))
          .arg(link::kBaudRate);
  choice.buttons = {{"&Upload", Choice::Role::Accept}, {"Cancel", Choice::Role::Reject}};
  choice.defaultButton = 0;
  choice.warning = true;
  return dialogs_.choose(choice, this) == 0;
}

// The informative line of "Firmware file too long.": both sizes.
QString MainWindow::firmwareSizes(const QString& path) {
  return QString("The file has %1 bytes; the device takes at most %2.")
      .arg(counted(QFileInfo(path).size()))
      .arg(counted(static_cast<qint64>(link::kFirmwareMaxBytes)));
}

// A failure that must not go unseen: a box with the warning icon, once the
// link's report that found it has been handled.
void MainWindow::warnLater(const QString& title, const QString& text) {
  QMetaObject::invokeMethod(
      this,
      [this, title, text] { dialogs_.message(UserDialogs::Icon::Warning, title, text, {}, this); },
      Qt::QueuedConnection);
}

}  // namespace zorbel::app
