#include "settings_binder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include "control_factory.h"
#include "latin1.h"
#include "settings/catalog.h"

namespace zorbel::app {

using settings::allSettings;
using settings::ControlKind;

SettingsBinder::SettingsBinder(settings::SettingsModel& model)
    : model_(model), widgets_(allSettings().size(), nullptr) {}

void SettingsBinder::createControls(const std::function<bool(std::string_view)>& onPage) {
  const auto settings = allSettings();
  for (std::size_t i = 0; i < settings.size(); ++i) {
    if (widgets_[i] != nullptr || !onPage(settings[i].page)) continue;
    widgets_[i] = makeControl(settings[i]);
    showState(i);
    follow(i);
  }
}

QWidget* SettingsBinder::widget(std::string_view name) const {
  return widgets_[settings::settingIndex(name)];
}

// Every change of the widget, by the user or by a program, reaches the model
// here; the binder's own showing blocks these signals.
void SettingsBinder::follow(std::size_t i) {
  QWidget* w = widgets_[i];
  const auto changed = [this, i] { takeFromWidget(i); };
  switch (allSettings()[i].kind) {
    case ControlKind::Edit:
      connect(static_cast<QLineEdit*>(w), &QLineEdit::textChanged, this, changed);
      break;
    case ControlKind::Combo:
      connect(static_cast<QComboBox*>(w), &QComboBox::currentIndexChanged, this, changed);
      break;
    case ControlKind::Check:
      connect(static_cast<QCheckBox*>(w), &QCheckBox::toggled, this, changed);
      break;
  }
}

void SettingsBinder::takeFromWidget(std::size_t i) {
  const settings::ControlState before = model_.at(i);
  readWidget(i);
  const settings::ControlState& after = model_.at(i);
  if (after != before) emit settingEdited(i, before, after);
}

void SettingsBinder::readWidget(std::size_t i) {
  QWidget* w = widgets_[i];
  switch (allSettings()[i].kind) {
    case ControlKind::Edit:
      model_.setTextAt(i, toBytes(static_cast<QLineEdit*>(w)->text()));
      break;
    case ControlKind::Combo:
      model_.setIndexAt(i, static_cast<QComboBox*>(w)->currentIndex());
      break;
    case ControlKind::Check:
      model_.setCheckedAt(i, static_cast<QCheckBox*>(w)->isChecked());
      break;
  }
}

void SettingsBinder::toWidgets() {
  for (std::size_t i = 0; i < widgets_.size(); ++i) {
    if (widgets_[i] != nullptr) showState(i);
  }
  // The boxes changed with their signals blocked: whoever watches them hears it here.
  emit modelShown();
}

void SettingsBinder::showModel(const settings::SettingsModel& state) {
  model_ = state;
  toWidgets();
}

void SettingsBinder::showState(std::size_t i) {
  const settings::Setting& s = allSettings()[i];
  const settings::ControlState& state = model_.at(i);
  QWidget* w = widgets_[i];
  const QSignalBlocker quiet(w);
  w->setEnabled(state.enabled);
  switch (s.kind) {
    case ControlKind::Edit: {
      auto* edit = static_cast<QLineEdit*>(w);
      const QString text = fromBytes(state.text);
      // The length limit bounds typing only: a longer text set by program is shown whole.
      edit->setMaxLength(
          std::max<int>(s.maxLength > 0 ? s.maxLength : 32767, static_cast<int>(text.size())));
      if (edit->text() != text) edit->setText(text);
      break;
    }
    case ControlKind::Combo:
      static_cast<QComboBox*>(w)->setCurrentIndex(state.index);
      break;
    case ControlKind::Check:
      static_cast<QCheckBox*>(w)->setChecked(state.checked);
      break;
  }
}

}  // namespace zorbel::app
