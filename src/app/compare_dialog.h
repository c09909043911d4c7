#pragma once
// "Compare with device": the settings whose values differ between the window
// and the device, one row each.
#include <QDialog>
#include <QString>
#include <vector>

namespace zorbel::app {

struct ComparedSetting {
  QString caption;  // as the window names the control ("Callsign", "3 Dest")
  QString window;   // the value the window holds
  QString device;   // the value the device holds
};

class CompareDialog : public QDialog {
  Q_OBJECT

 public:
  CompareDialog(const std::vector<ComparedSetting>& differences, QWidget* parent);
};

}  // namespace zorbel::app
