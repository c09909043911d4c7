#pragma once
// "Set position…": one field that takes a position in any usual format and
// shows, as the user types, what the device will store.
#include <QDialog>
#include <optional>

#include "settings/position_text.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace zorbel::app {

class PositionDialog : public QDialog {
  Q_OBJECT

 public:
  explicit PositionDialog(QWidget* parent = nullptr);

  // The position the field holds, or nothing while it cannot be read.
  const std::optional<settings::StoredPosition>& position() const { return position_; }

 private:
  void showResult();

  QLineEdit* input_ = nullptr;
  QLabel* result_ = nullptr;
  QPushButton* ok_ = nullptr;
  std::optional<settings::StoredPosition> position_;
};

// "52.39583, 16.95833 (JO82lj)" for stored texts in the device's shape, else "".
QString positionSummary(const std::string& latitude, const std::string& longitude);

}  // namespace zorbel::app
