#include "model.h"

#include "catalog.h"
#include "telemetry_defaults.h"

namespace zorbel::settings {

namespace {
constexpr const char* kClockEdits[] = {"Rtcyear", "Rtcmonth", "Rtcday", "Rtchour", "Rtcmin"};
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

void SettingsModel::setTextAt(std::size_t i, std::string text) {
  states_.at(i).text = std::move(text);
}

void SettingsModel::setIndexAt(std::size_t i, int index) {
  states_.at(i).index = isItem(allSettings()[i], index) ? index : -1;
}

void SettingsModel::setCheckedAt(std::size_t i, bool checked) { states_.at(i).checked = checked; }

Result<void> SettingsModel::click(std::string_view name, bool checked) {
  if (Result<void> set = setChecked(name, checked); !set) return set;
  if (name == "Uploadpctime" || name == "Ntp_enable") enableClockEditsUnlessPcTime();
  return {};
}

void SettingsModel::fillRtcFromPcClock(std::time_t now) {
  std::tm utc{};
  gmtime_r(&now, &utc);
  own("Rtcyear").text = std::to_string(utc.tm_year + 1900);
  own("Rtcmonth").text = std::to_string(utc.tm_mon + 1);
  own("Rtcday").text = std::to_string(utc.tm_mday);
  own("Rtchour").text = std::to_string(utc.tm_hour);
  own("Rtcmin").text = std::to_string(utc.tm_min);
}

void SettingsModel::enableClockEditsUnlessPcTime() {
  // Looks only at Uploadpctime, also when Ntp_enable was the box clicked.
  const bool enable = !checked("Uploadpctime");
  for (const char* edit : kClockEdits) own(edit).enabled = enable;
}

void SettingsModel::analogChannelDefaults(int channel) {
  const std::string a = "Teleanalog" + std::to_string(channel);
  const int source = index(a + "_source");
  if (source < 0) return;
  const AnalogDefaults d = analogDefaults(channel, source);
  own(a + "_name").text = d.name;
  own(a + "_units").text = d.units;
  own(a + "_coefa").text = d.coefA;
  own(a + "_coefb").text = d.coefB;
  own(a + "_coefc").text = d.coefC;
}

void SettingsModel::digitalChannelDefaults(int channel) {
  const std::string d = "Teledigital" + std::to_string(channel);
  if (index(d + "_source") != 0) return;
  own(d + "_name").text = digitalDefaultName(channel);
  own(d + "_units").text = digitalDefaultLabel(channel);
  own(d + "_inverted").index = 0;
}

bool SettingsModel::operator==(const SettingsModel& other) const {
  return states_ == other.states_;
}

}  // namespace zorbel::settings
