#include "kept_settings.h"

#include <utility>

#include "settings/catalog.h"

namespace zorbel::app {

bool sameKeptSettings(const settings::SettingsModel& a, const settings::SettingsModel& b) {
  const auto all = settings::allSettings();
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (!all[i].file && !all[i].decoded) continue;  // the clock
    const settings::ControlState& x = a.at(i);
    const settings::ControlState& y = b.at(i);
    if (x.text != y.text || x.index != y.index || x.checked != y.checked) return false;
  }
  return true;
}

KeptSettings::KeptSettings(settings::SettingsModel start) : start_(std::move(start)) {}

void KeptSettings::keptInFile(const settings::SettingsModel& state, const QString& path) {
  file_ = state;
  filePath_ = path;
}

void KeptSettings::keptOnDevice(const settings::SettingsModel& state) { device_ = state; }

bool KeptSettings::modified(const settings::SettingsModel& now) const {
  if (file_) return !sameKeptSettings(now, *file_);
  return !sameKeptSettings(now, device_ ? *device_ : start_);
}

bool KeptSettings::holdsUnkeptEdits(const settings::SettingsModel& now) const {
  if (!file_ && !device_) return !sameKeptSettings(now, start_);
  return !(file_ && sameKeptSettings(now, *file_)) && !(device_ && sameKeptSettings(now, *device_));
}

}  // namespace zorbel::app
