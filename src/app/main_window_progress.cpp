// The main window's side of the link's reports: the log, the progress bar,
// the status line and the port's state, queued onto the GUI thread in the
// worker's order; and how a transfer ends when the window or a signal stops it.
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <algorithm>

#include "latin1.h"
#include "link_adapter.h"
#include "log_view.h"
#include "main_window.h"

namespace zorbel::app {

namespace {

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
    case link::TransferEnd::Cancelled:
      return "cut short";
  }
  return "stopped, see the log";
}

}  // namespace

// ---- The link's reports, queued onto the GUI thread in the worker's order ----

void MainWindow::appendLog(const std::string& line) { logView_->appendLine(fromBytes(line)); }

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
  guard_.progressed(kind, done, total);
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
  // A closed port ends its transfer; a report of a port let go before this
  // one opened leaves the new port's transfer be.
  if (guard_.busy() && !portIsOpen()) guard_.end();
  updateCommandStates();
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
  const bool cancelled = end == link::TransferEnd::Cancelled;
  const bool backupCut = cancelled && writeAfterBackup_.has_value();
  if (kind == link::TransferKind::ConfigurationRead && end != link::TransferEnd::Finished) {
    // The read back never came whole: neither use of it can be done. One
    // the user cancelled is no failure.
    if (verifyPending_ && !cancelled) {
      const QString failed =
          end == link::TransferEnd::NoAnswer
              ? "Verify failed: no answer from the device while reading the configuration back."
              : "Verify failed: reading the configuration back ended in a " + how + ".";
      appendLog(failed.toStdString());
      warnLater("Verify after write", failed);
      comparisonStatus_ = "Writing configuration: verify failed";
    }
    if (comparePending_ && !cancelled)
      warnLater("Compare with device", "The device's configuration could not be read (" + how +
                                           "): nothing was compared.");
    verifyPending_ = comparePending_ = false;
    // A cancelled backup read writes nothing and asks nothing.
    if (writeAfterBackup_ && cancelled) writeAfterBackup_.reset();
    if (writeAfterBackup_) backupReadFailed(end);
  }
  if (cancelled && guard_.busy()) {
    setStatus(QString::fromStdString(guard_.cutShortLine()) +
              (backupCut ? " Nothing was written." : ""));
  } else if (kind == link::TransferKind::ConfigurationRead && !comparisonStatus_.isEmpty()) {
    setStatus(comparisonStatus_);
    comparisonStatus_.clear();
  } else {
    setStatus(transferName(kind) + ": " + how);
  }
  if (kind == link::TransferKind::ConfigurationWrite && end == link::TransferEnd::Finished)
    writeFinished();
  // Unless a backup read went on to its write, or a write to its verify, the command is done.
  if (guard_.endsStage(kind)) endTransfer();
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
  rememberLayout();  // the program ends after this
  link_->device().stopAndJoin();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The transfer first: keeping it running makes the edits' question moot.
  if (!mayStopTransfer(kApplicationTitle) || !mayClose()) {
    event->ignore();
    return;
  }
  rememberLayout();
  // The worker reports to this window: it must be gone before the window is.
  link_->device().stopAndJoin();
  QMainWindow::closeEvent(event);
}

}  // namespace zorbel::app
