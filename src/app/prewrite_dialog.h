#pragma once
// Before "Write config" and "Build remote update file": the settings that
// are most likely a mistake, each with a way to its box and a way to stop
// being told about it. "Cancel" is the default.
#include <QDialog>
#include <optional>
#include <string>
#include <vector>

#include "settings/prewrite_check.h"

class QCheckBox;

namespace zorbel::app {

class PreWriteDialog : public QDialog {
  Q_OBJECT

 public:
  // `captions` holds each warning's setting caption, in the same order.
  PreWriteDialog(const std::vector<settings::PreWriteWarning>& warnings,
                 const std::vector<QString>& captions, QWidget* parent = nullptr);

  // The keys of the warnings whose "Don't warn me about these again" is checked.
  std::vector<std::string> dismissedKeys() const;
  // The setting whose button the user pressed (the dialog then closes as cancelled).
  const std::optional<std::string>& chosenSetting() const { return chosen_; }

 private:
  std::vector<std::pair<std::string, QCheckBox*>> dismissBoxes_;
  std::optional<std::string> chosen_;
};

}  // namespace zorbel::app
