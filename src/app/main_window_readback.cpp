// Reading the device back: the verify after a write, "Compare with device…"
// and the end of a good configuration read, which sets the window's settings.
#include <QAction>

#include "compare_dialog.h"
#include "keyboard_access.h"
#include "latin1.h"
#include "link_adapter.h"
#include "main_window.h"
#include "object_names.h"
#include "settings/catalog.h"
#include "settings/codec.h"
#include "settings/compare.h"
#include "settings/field_capacity.h"

namespace zorbel::app {

// A verify or comparison whose read will never come: a later "Read config"
// must not be taken for it.
void MainWindow::forgetReadBack() {
  verifyPending_ = comparePending_ = false;
  writeAfterBackup_.reset();
  comparisonStatus_.clear();
}

// ---- Reading the device back --------------------------------------------------

void MainWindow::compareWithDevice() {
  if (!mayStartTransfer()) return;
  // A text its field would cut compares equal to the cut text a device holds:
  // refused, as Write config refuses it.
  if (const Result<void> fits = settings::checkAllFit(model_); !fits) {
    showEncodeFailure(fits.error());
    return;
  }
  comparePending_ = true;
  link_->device().readConfiguration(link::ReadPurpose::Comparison);
  beginTransfer(TransferGuard::Job::Compare, link::TransferKind::ConfigurationRead, kImagePages);
}

// After "Send finished.": read the image back when "Verify after write" is checked.
void MainWindow::startVerify() {
  if (!findChild<QAction*>(names::kVerifyAfterWriteAction)->isChecked() || guard_.cancelled())
    return;
  verifyPending_ = true;
  guard_.moveTo(link::TransferKind::ConfigurationRead);
  link_->device().readConfiguration(link::ReadPurpose::Comparison);
  setStatus("Verifying configuration");
}

// A good read's image, before the window's settings are touched: the verify
// compares it with the image sent, the comparison with the window's settings.
void MainWindow::useReadBack(const settings::Image& image) {
  if (writeAfterBackup_) {
    backedUp(image);
    return;
  }
  if (verifyPending_) {
    verifyPending_ = false;
    const link::ImageDifference difference = link::compareImages(lastWritten_, image);
    if (difference.count == 0) {
      appendLog("Verify: the device holds exactly what was sent.");
      if (writing_) keptOnDevice(*writing_);
      comparisonStatus_ = "Writing configuration: verified";
    } else {
      const QString failed =
          QString("Verify failed: %1 bytes differ from what was sent, the first at offset %2.")
              .arg(difference.count)
              .arg(difference.firstOffset);
      appendLog(failed.toStdString());
      warnLater("Verify after write", failed);
      comparisonStatus_ = "Writing configuration: verify failed";
    }
  }
  if (!comparePending_) return;
  comparePending_ = false;
  keepReadBackup(image);
  // The device's settings: the window's with the image decoded over them, in
  // a model of their own; no control changes.
  settings::SettingsModel device = model_;
  const Result<void> decoded = settings::decodeSettings(image, device);
  const QString title = "Compare with device";
  if (!decoded) {
    const QString message = fromBytes(decoded.error().message);
    comparisonStatus_ =
        "Compare with device: refused, version " + fromBytes(decoded.error().deviceVersion);
    QMetaObject::invokeMethod(
        this, [this, message] { information(kInformationTitle, message); }, Qt::QueuedConnection);
    return;
  }
  const std::vector<ComparedSetting> rows = comparedRows(device);
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
        if (dialog.chosen()) goToSetting(*dialog.chosen());
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
  // A read for a comparison leaves the controls as they are.
  // The read is done once its image is used, unless a backup read goes on to its write.
  const bool readDone = guard_.busy() && guard_.stage() == link::TransferKind::ConfigurationRead;
  if (hand->purpose() == link::ReadPurpose::Comparison) {
    useReadBack(hand->image());
    refusedVersion_.clear();
    hand->done();
    if (readDone && guard_.stage() == link::TransferKind::ConfigurationRead) endTransfer();
    return;
  }
  keepReadBackup(hand->image());
  const Result<void> decoded = settings::decodeSettings(hand->image(), model_);
  binder_.toWidgets();
  if (decoded) {
    recordStep("Read config");
    keptOnDevice(model_);
  }
  refusedVersion_ = decoded ? QString() : fromBytes(decoded.error().deviceVersion);
  hand->done();
  if (readDone) endTransfer();
  if (!decoded) information(kInformationTitle, fromBytes(decoded.error().message));
}

}  // namespace zorbel::app
