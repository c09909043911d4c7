#pragma once
// "Compare with device": the settings whose values differ between the window
// and the device, one row each.
#include <QDialog>
#include <QString>
#include <cstddef>
#include <optional>
#include <vector>

namespace zorbel::app {

struct ComparedSetting {
  std::size_t setting;  // position in allSettings(): a double-click goes there
  QString caption;      // where the window shows it and its name ("Beacons › 3 Dest")
  QString window;       // the value the window holds
  QString device;       // the value the device (or the backup) holds
};

class CompareDialog : public QDialog {
  Q_OBJECT

 public:
  // `other` names what the window is compared with: "device", or "backup NAME".
  CompareDialog(const std::vector<ComparedSetting>& differences, QWidget* parent,
                const QString& other = "device");

  // The setting whose row the user double-clicked (or pressed Return on) to go
  // to it; the dialog closes then.
  std::optional<std::size_t> chosen() const { return chosen_; }

 private:
  std::optional<std::size_t> chosen_;
};

}  // namespace zorbel::app
