#include "settings_binder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
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
  }
}

QWidget* SettingsBinder::widget(std::string_view name) const {
  const auto i = settings::findSetting(name);
  return i ? widgets_[*i] : nullptr;
}

void SettingsBinder::toModel() { readInto(model_); }

void SettingsBinder::readInto(settings::SettingsModel& into) const {
  const auto settings = allSettings();
  for (std::size_t i = 0; i < settings.size(); ++i) {
    QWidget* w = widgets_[i];
    if (w == nullptr) continue;
    const std::string& name = settings[i].name;
    // The name is the declaration's own, so the model always knows it and
    // every set succeeds.
    Result<void> set;
    switch (settings[i].kind) {
      case ControlKind::Edit:
        set = into.setText(name, toBytes(static_cast<QLineEdit*>(w)->text()));
        break;
      case ControlKind::Combo:
        set = into.setIndex(name, static_cast<QComboBox*>(w)->currentIndex());
        break;
      case ControlKind::Check:
        set = into.setChecked(name, static_cast<QCheckBox*>(w)->isChecked());
        break;
    }
    if (!set) continue;
  }
}

void SettingsBinder::toWidgets() {
  for (std::size_t i = 0; i < widgets_.size(); ++i) {
    if (widgets_[i] != nullptr) showState(i);
  }
  // The boxes changed with their signals blocked: whoever watches them hears it here.
  if (shown) shown();
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
