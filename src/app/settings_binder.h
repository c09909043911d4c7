#pragma once
// Keeps the settings widgets and the SettingsModel in step. Commands copy the
// widgets into the model before they read settings, and the model back into
// the widgets after they set them.
#include <QWidget>
#include <functional>
#include <string_view>
#include <vector>

#include "settings/model.h"

namespace zorbel::app {

class SettingsBinder {
 public:
  explicit SettingsBinder(settings::SettingsModel& model);

  // Makes the widget of every setting on the pages `onPage` accepts and shows
  // the model's state in it. Widgets are made once; their owner is whoever
  // places them (the main window or the filter window).
  void createControls(const std::function<bool(std::string_view page)>& onPage);

  // The control of a setting, or nullptr while its window does not exist yet.
  QWidget* widget(std::string_view name) const;
  template <class W>
  W* control(std::string_view name) const {
    return qobject_cast<W*>(widget(name));
  }

  void toModel();    // widgets -> model
  void toWidgets();  // model -> widgets
  // The widgets' state copied into another model (the settings model stays as it is).
  void readInto(settings::SettingsModel& into) const;
  // Runs after each toWidgets(): the widgets show new values.
  std::function<void()> shown;

  settings::SettingsModel& model() { return model_; }
  const settings::SettingsModel& model() const { return model_; }

 private:
  void showState(std::size_t i);
  settings::SettingsModel& model_;
  std::vector<QWidget*> widgets_;  // by position in allSettings(); nullptr until made
};

}  // namespace zorbel::app
