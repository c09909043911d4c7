// The device's past in the window: before a write the device's configuration
// is read and kept, every good read and comparison keeps what it read, and
// Device > History… lists what was kept, to compare with the window or to
// load into it.
#include <QAction>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>

#include "backup/backup_history.h"
#include "backup/backup_store.h"
#include "compare_dialog.h"
#include "history_dialog.h"
#include "latin1.h"
#include "link_adapter.h"
#include "log_view.h"
#include "main_window.h"
#include "object_names.h"
#include "program_settings.h"
#include "settings/catalog.h"
#include "settings/codec.h"
#include "settings/compare.h"

namespace zorbel::app {

namespace {

constexpr const char* kBackUpBeforeWriteKey = "device/backUpBeforeWrite";

// The link's word for why a read ended short of an image.
QString readFailure(link::TransferEnd end) {
  switch (end) {
    case link::TransferEnd::PageChecksumError:
      return "Eeprom page data checksum error.";
    case link::TransferEnd::ImageChecksumError:
      return "Eeprom read checksum error.";
    case link::TransferEnd::PageNumberError:
      return "Eeprom page number error.";
    case link::TransferEnd::NoAnswer:
      return "No answer from the device.";
    case link::TransferEnd::Finished:
    case link::TransferEnd::Cancelled:  // a cancelled backup read asks nothing
      break;
  }
  return {};
}

QString folderText(const backup::BackupStore& store) {
  return QString::fromLocal8Bit(store.folder());
}

}  // namespace

void MainWindow::addBackupActions(QMenu* device) {
  QAction* backUp = device->addAction("&Back up before writing");
  backUp->setObjectName(names::kBackUpBeforeWriteAction);
  backUp->setCheckable(true);
  backUp->setChecked(programSettings().value(kBackUpBeforeWriteKey, true).toBool());
  connect(backUp, &QAction::toggled, this, [](bool on) {
    programSettings().setValue(kBackUpBeforeWriteKey, on);
    programSettings().sync();
  });
  QAction* history = device->addAction(QString::fromUtf8("&History\u2026"));
  history->setObjectName(names::kHistoryAction);
  connect(history, &QAction::triggered, this, [this] { runCommand([this] { showHistory(); }); });
}

// "Write config" after its encode: the device's configuration is read and
// kept first when the option asks for it; the write starts once it is kept.
void MainWindow::startWrite() {
  if (!findChild<QAction*>(names::kBackUpBeforeWriteAction)->isChecked()) {
    link_->device().writeConfiguration(image_);
    return;
  }
  writeAfterBackup_ = image_;
  link_->device().readConfiguration(link::ReadPurpose::Comparison);
}

// Keeps an image read from the device and names the backup in the log. The
// reason it could not be kept, or nothing.
QString MainWindow::keepBackup(const settings::Image& image) {
  backup::BackupStore store(backup::defaultFolder());
  const auto kept = store.keep(image);
  if (!kept) {
    return "cannot keep a backup in " + folderText(store) + ": " +
           QString::fromLocal8Bit(kept.error().reason);
  }
  appendLog("Backup: " + kept.value().file);
  return {};
}

// A good read's or comparison's image is kept too; a backup that cannot be
// written is said in the log, and the read goes on.
void MainWindow::keepReadBackup(const settings::Image& image) {
  const QString failure = keepBackup(image);
  if (!failure.isEmpty()) logView_->appendLine("No backup: " + failure);
}

// The settings that differ between the window and `other`, as the compare dialog lists them.
std::vector<ComparedSetting> MainWindow::comparedRows(const settings::SettingsModel& other) const {
  std::vector<ComparedSetting> rows;
  for (const settings::SettingDifference& d : settings::compareSettings(model_, other)) {
    const std::size_t i = settings::settingIndex(d.name);
    rows.push_back({i, placedSettingCaption(i), shownValue(i, d.ours), shownValue(i, d.device)});
  }
  return rows;
}

// The backup read's image: kept, then the write goes out.
void MainWindow::backedUp(const settings::Image& image) {
  const settings::Image toWrite = *std::exchange(writeAfterBackup_, std::nullopt);
  const QString failure = keepBackup(image);
  if (guard_.cancelled()) return;  // Cancel came before the write: none is done
  if (failure.isEmpty()) {
    link_->device().writeConfiguration(toWrite);
    guard_.moveTo(link::TransferKind::ConfigurationWrite);
    return;
  }
  // The worker waits until this image has been used: the question comes after.
  QMetaObject::invokeMethod(
      this, [this, failure, toWrite] { askWriteWithoutBackup(failure, toWrite); },
      Qt::QueuedConnection);
}

// The backup read ended without an image: nothing was sent.
void MainWindow::backupReadFailed(link::TransferEnd end) {
  const settings::Image toWrite = *std::exchange(writeAfterBackup_, std::nullopt);
  QMetaObject::invokeMethod(
      this, [this, reason = readFailure(end), toWrite] { askWriteWithoutBackup(reason, toWrite); },
      Qt::QueuedConnection);
}

void MainWindow::askWriteWithoutBackup(const QString& reason, const settings::Image& toWrite) {
  Choice choice;
  choice.title = "Write config";
  choice.text =
      "The device's configuration could not be backed up (" + reason + "); nothing was written.";
  choice.details = "Write anyway sends the window's settings without a backup.";
  choice.buttons = {{"&Write anyway", Choice::Role::Destructive}, {"Cancel", Choice::Role::Reject}};
  choice.defaultButton = 1;
  choice.warning = true;
  if (dialogs_.choose(choice, this) != 0) {
    setStatus("Writing configuration: not backed up, nothing written");
    return;
  }
  if (!mayStartTransfer()) return;
  link_->device().writeConfiguration(toWrite);
  beginTransfer(TransferGuard::Job::Write, link::TransferKind::ConfigurationWrite, kImagePages);
}

void MainWindow::showHistory() {
  const backup::BackupStore store(backup::defaultFolder());
  const auto entries = backup::history(store);
  if (!entries) {
    showError("Unable to read " + folderText(store),
              QString::fromLocal8Bit(entries.error().reason));
    return;
  }
  HistoryDialog dialog(entries.value(), folderText(store), this);
  dialogs_.showModal(dialog);
  if (dialog.request() == HistoryDialog::Request::None) return;
  const std::string file = dialog.chosenFile().toStdString();
  const auto image = store.load(file);
  if (!image) {
    showError("Unable to read from " + QString::fromLocal8Bit(store.pathOf(file)),
              QString::fromLocal8Bit(image.error().reason));
    return;
  }
  // The backup's settings: the window's with the image decoded over them.
  settings::SettingsModel held = model_;
  const Result<void> decoded = settings::decodeSettings(image.value(), held);
  if (!decoded) {
    information("History", fromBytes(decoded.error().message));
    return;
  }
  const QString name = dialog.chosenFile();
  if (dialog.request() == HistoryDialog::Request::Compare) {
    const std::vector<ComparedSetting> rows = comparedRows(held);
    if (rows.empty()) {
      information("History", "The backup " + name + " holds exactly the window's settings.");
      return;
    }
    CompareDialog compare(rows, this, "backup " + name);
    dialogs_.showModal(compare);
    if (compare.chosen()) goToSetting(*compare.chosen());
    return;
  }
  binder_.showModel(held);
  recordStep("Load backup " + name);
  appendLog(("Configuration loaded from backup " + name + ".").toStdString());
  setStatus("Configuration loaded from backup " + name + "; Write config sends it to the device");
}

}  // namespace zorbel::app
