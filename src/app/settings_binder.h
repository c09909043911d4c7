#pragma once
// Keeps the settings widgets and the SettingsModel in step. A change in a
// widget reaches the model through one path, the widget's own change signal,
// and is announced as settingEdited; a command that changes the model shows
// it with toWidgets() or showModel(), which announce nothing as an edit.
#include <QObject>
#include <QWidget>
#include <functional>
#include <string_view>
#include <vector>

#include "settings/model.h"

namespace zorbel::app {

class SettingsBinder : public QObject {
  Q_OBJECT

 public:
  explicit SettingsBinder(settings::SettingsModel& model);

  // Makes the widget of every setting on the pages `onPage` accepts, shows
  // the model's state in it and from then on follows its changes. Widgets are
  // made once; their owner is whoever places them (the main window or the
  // filter window).
  void createControls(const std::function<bool(std::string_view page)>& onPage);

  // The control of a setting, or nullptr while its window does not exist yet.
  QWidget* widget(std::string_view name) const;
  template <class W>
  W* control(std::string_view name) const {
    return qobject_cast<W*>(widget(name));
  }

  // The model shown anew in every widget (text, item, check, enabled), after
  // a command changed the model. Not an edit: settingEdited stays silent.
  void toWidgets();
  // The whole model replaced by `state` and shown: a load or an undo, not an edit.
  void showModel(const settings::SettingsModel& state);

  settings::SettingsModel& model() { return model_; }
  const settings::SettingsModel& model() const { return model_; }

 signals:
  // A widget of setting `setting` (its position in allSettings()) changed,
  // typed, picked or clicked, and the model now holds `after` instead of
  // `before`. Changes made by toWidgets() and showModel() are not reported.
  void settingEdited(std::size_t setting, const settings::ControlState& before,
                     const settings::ControlState& after);
  // After toWidgets() and showModel(): the widgets show new values; their own
  // change signals were blocked meanwhile.
  void modelShown();

 private:
  void follow(std::size_t i);
  void takeFromWidget(std::size_t i);
  void readWidget(std::size_t i);
  void showState(std::size_t i);
  settings::SettingsModel& model_;
  std::vector<QWidget*> widgets_;  // by position in allSettings(); nullptr until made
};

}  // namespace zorbel::app
