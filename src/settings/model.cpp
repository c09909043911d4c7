#include "model.h"

#include "catalog.h"
#include "common/programming_error.h"
#include "setting_name.h"
#include "telemetry_defaults.h"

namespace zorbel::settings {

namespace {
constexpr SettingName kClockEdits[] = {"Rtcyear"_setting, "Rtcmonth"_setting, "Rtcday"_setting,
                                       "Rtchour"_setting, "Rtcmin"_setting};
}  // namespace

bool isItem(const Setting& setting, int index) {
  return index >= 0 && static_cast<std::size_t>(index) < setting.items.size();
}

SettingsModel::SettingsModel(std::time_t now) {
  const auto settings = allSettings();
  states_.resize(settings.size());
  for (std::size_t i = 0; i < settings.size(); ++i) {
    const Setting& s = settings[i];
    ControlState& st = states_[i];
    switch (s.kind) {
      case ControlKind::Edit:
        st.text = s.defaultText;
        break;
      case ControlKind::Combo:
        st.index = s.defaultIndex;
        break;
      case ControlKind::Check:
        st.checked = s.defaultIndex == 1;
        break;
    }
  }
  fillRtcFromPcClock(now);
  // The telemetry rows are filled by their own "Default parameters" handlers, in the window's
  // order.
  for (int k = 1; k <= 5; ++k) analogChannelDefaults(k);
  for (int k : {2, 1, 3, 4, 5, 6, 7, 8}) digitalChannelDefaults(k);
  enableClockEditsUnlessPcTime();
}

Result<std::size_t> SettingsModel::find(std::string_view name) {
  const auto i = findSetting(name);
  if (!i) return makeError(ErrorKind::UnknownSetting, "unknown setting " + std::string(name));
  return *i;
}

const ControlState& SettingsModel::state(std::string_view name) const {
  return states_[settingIndex(name)];
}

ControlState& SettingsModel::own(std::string_view name) { return states_[settingIndex(name)]; }

Result<void> SettingsModel::setText(std::string_view name, std::string text) {
  const Result<std::size_t> i = find(name);
  if (!i) return i.error();
  setTextAt(i.value(), std::move(text));
  return {};
}

Result<void> SettingsModel::setIndex(std::string_view name, int index) {
  const Result<std::size_t> i = find(name);
  if (!i) return i.error();
  setIndexAt(i.value(), index);
  return {};
}

Result<void> SettingsModel::setChecked(std::string_view name, bool checked) {
  const Result<std::size_t> i = find(name);
  if (!i) return i.error();
  setCheckedAt(i.value(), checked);
  return {};
}

ControlState& SettingsModel::stateAt(std::size_t i) {
  if (i >= states_.size()) programmingError("no setting at position " + std::to_string(i));
  return states_[i];
}

void SettingsModel::setTextAt(std::size_t i, std::string text) {
  stateAt(i).text = std::move(text);
}

void SettingsModel::setIndexAt(std::size_t i, int index) {
  stateAt(i).index = isItem(allSettings()[i], index) ? index : -1;
}

void SettingsModel::setCheckedAt(std::size_t i, bool checked) { stateAt(i).checked = checked; }

Result<void> SettingsModel::click(std::string_view name, bool checked) {
  if (Result<void> set = setChecked(name, checked); !set) return set;
  if (name == "Uploadpctime"_setting.view() || name == "Ntp_enable"_setting.view())
    enableClockEditsUnlessPcTime();
  return {};
}

void SettingsModel::fillRtcFromPcClock(std::time_t now) {
  std::tm utc{};
  gmtime_r(&now, &utc);
  own("Rtcyear"_setting).text = std::to_string(utc.tm_year + 1900);
  own("Rtcmonth"_setting).text = std::to_string(utc.tm_mon + 1);
  own("Rtcday"_setting).text = std::to_string(utc.tm_mday);
  own("Rtchour"_setting).text = std::to_string(utc.tm_hour);
  own("Rtcmin"_setting).text = std::to_string(utc.tm_min);
}

void SettingsModel::enableClockEditsUnlessPcTime() {
  // Looks only at Uploadpctime, also when Ntp_enable was the box clicked.
  const bool enable = !checked("Uploadpctime"_setting);
  for (const SettingName edit : kClockEdits) own(edit).enabled = enable;
}

void SettingsModel::analogChannelDefaults(int channel) {
  const int source = index("Teleanalog#_source"_family.at(channel));
  if (source < 0) return;
  const AnalogDefaults d = analogDefaults(channel, source);
  own("Teleanalog#_name"_family.at(channel)).text = d.name;
  own("Teleanalog#_units"_family.at(channel)).text = d.units;
  own("Teleanalog#_coefa"_family.at(channel)).text = d.coefA;
  own("Teleanalog#_coefb"_family.at(channel)).text = d.coefB;
  own("Teleanalog#_coefc"_family.at(channel)).text = d.coefC;
}

void SettingsModel::digitalChannelDefaults(int channel) {
  if (index("Teledigital#_source"_family.at(channel)) != 0) return;
  own("Teledigital#_name"_family.at(channel)).text = digitalDefaultName(channel);
  own("Teledigital#_units"_family.at(channel)).text = digitalDefaultLabel(channel);
  own("Teledigital#_inverted"_family.at(channel)).index = 0;
}

bool SettingsModel::operator==(const SettingsModel& other) const {
  return states_ == other.states_;
}

}  // namespace zorbel::settings
