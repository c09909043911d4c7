// The main window's APRS aids: the warnings before a write, "Set position…",
// the position in the position boxes' tooltips and the beacon previews.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
#include <QStringList>
#include <ctime>

#include "aprs_object_names.h"
#include "latin1.h"
#include "main_window.h"
#include "position_dialog.h"
#include "prewrite_dialog.h"
#include "settings/beacon_preview.h"
#include "settings/catalog.h"
#include "settings/prewrite_check.h"
#include "settings/setting_name.h"

namespace zorbel::app {
namespace {

// The program's own settings file, shared with "Verify after write".
QSettings& aidSettings() {
  static QSettings settings("zorbel", "zorbel-configurator");
  return settings;
}
constexpr const char* kCheckBeforeWriteKey = "device/checkBeforeWrite";
constexpr const char* kDismissedKey = "device/dismissedWarnings";

QString beaconPreviewText(const settings::SettingsModel& model, int n, std::time_t now) {
  const auto packet = settings::beaconPacket(model, n, now);
  if (!packet) return "Not sent: both rates are 0.";
  QString text =
      fromBytes(packet->packet) + QString("   (%1 bytes of text)").arg(packet->textLength);
  if (!packet->note.empty()) text += "   " + fromBytes(packet->note);
  return text;
}

}  // namespace

void MainWindow::addCheckBeforeWriteAction(QMenu* device) {
  QAction* check = device->addAction("Chec&k before write");
  check->setObjectName(names::kCheckBeforeWriteAction);
  check->setCheckable(true);
  check->setChecked(aidSettings().value(kCheckBeforeWriteKey, true).toBool());
  connect(check, &QAction::toggled, this, [](bool on) {
    aidSettings().setValue(kCheckBeforeWriteKey, on);
    aidSettings().sync();  // on disk now, whatever becomes of the program
  });
}

// The warnings that hold and were not dismissed; true when the user goes on.
bool MainWindow::confirmPreWrite() {
  const auto* check = findChild<QAction*>(names::kCheckBeforeWriteAction);
  if (check != nullptr && !check->isChecked()) return true;
  QStringList dismissed = aidSettings().value(kDismissedKey).toStringList();
  std::vector<settings::PreWriteWarning> shown;
  std::vector<QString> captions;
  for (auto& w : settings::preWriteWarnings(model_)) {
    if (dismissed.contains(QString::fromStdString(w.key))) continue;
    captions.push_back(settingCaption(settings::settingIndex(w.setting)));
    shown.push_back(std::move(w));
  }
  if (shown.empty()) return true;
  PreWriteDialog dialog(shown, captions, this);
  dialogs_.showModal(dialog);
  for (const std::string& key : dialog.dismissedKeys()) {
    if (!dismissed.contains(QString::fromStdString(key))) dismissed << QString::fromStdString(key);
  }
  aidSettings().setValue(kDismissedKey, dismissed);
  aidSettings().sync();
  if (dialog.chosenSetting()) {
    showControl(binder_.widget(*dialog.chosenSetting()));
    return false;
  }
  return dialog.result() == QDialog::Accepted;
}

void MainWindow::setPosition() {
  PositionDialog dialog(this);
  dialogs_.showModal(dialog);
  if (dialog.result() != QDialog::Accepted || !dialog.position()) return;
  // Typed over the old texts, so that each box's undo brings its old text back.
  const std::pair<settings::SettingName, std::string> boxes[] = {
      {"Latitude"_setting, dialog.position()->latitude},
      {"Longitude"_setting, dialog.position()->longitude}};
  for (const auto& [name, text] : boxes) {
    auto* edit = binder_.control<QLineEdit>(name);
    edit->selectAll();
    edit->insert(fromBytes(text));
  }
}

// After the boxes' own checks: the position in degrees and as a locator
// after the boxes' hints, and each beacon as it will go on air.
void MainWindow::showAprsAids(const settings::SettingsModel& shown) {
  const QString where =
      positionSummary(shown.text("Latitude"_setting), shown.text("Longitude"_setting));
  for (const settings::SettingName name : {"Latitude"_setting, "Longitude"_setting}) {
    auto* edit = binder_.control<QLineEdit>(name);
    if (edit == nullptr || edit->property("refused").toBool()) continue;
    const QString hint = fromBytes(name.setting().hint);
    edit->setToolTip(where.isEmpty() ? hint : hint + "\nNow: " + where);
  }
  const std::time_t now = std::time(nullptr);
  for (int n = 1; n <= 8; ++n) {
    auto* preview = findChild<QLabel*>(names::beaconPreview(n));
    if (preview == nullptr) continue;
    const QString text = beaconPreviewText(shown, n, now);
    preview->setText(text);
    preview->setToolTip(text);
  }
}

}  // namespace zorbel::app
