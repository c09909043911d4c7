#include "model.h"

#include <stdexcept>

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
      case ControlKind::Edit: st.text = s.defaultText; break;
      case ControlKind::Combo: st.index = s.defaultIndex; break;
      case ControlKind::Check: st.checked = s.defaultIndex == 1; break;
    }
  }
  fillRtcFromPcClock(now);
  // The telemetry rows are filled by their own "Default parameters" handlers, in the window's order.
  for (int k = 1; k <= 5; ++k) analogChannelDefaults(k);
  for (int k : {2, 1, 3, 4, 5, 6, 7, 8}) digitalChannelDefaults(k);
  uploadPcTimeClick();
}

const ControlState& SettingsModel::state(std::string_view name) const {
  auto i = findSetting(name);
  if (!i) throw std::out_of_range("unknown setting " + std::string(name));
  return states_[*i];
}

ControlState& SettingsModel::mutableState(std::string_view name) {
  return const_cast<ControlState&>(state(name));
}

void SettingsModel::setText(std::string_view name, std::string text) { mutableState(name).text = std::move(text); }

void SettingsModel::setIndex(std::string_view name, int index) {
  const Setting& s = allSettings()[*findSetting(name)];
  mutableState(name).index = isItem(s, index) ? index : -1;
}

void SettingsModel::setChecked(std::string_view name, bool checked) { mutableState(name).checked = checked; }

void SettingsModel::click(std::string_view name, bool checked) {
  setChecked(name, checked);
  if (name == "Uploadpctime" || name == "Ntp_enable") uploadPcTimeClick();
}

void SettingsModel::fillRtcFromPcClock(std::time_t now) {
  std::tm utc{};
  gmtime_r(&now, &utc);
  setText("Rtcyear", std::to_string(utc.tm_year + 1900));
  setText("Rtcmonth", std::to_string(utc.tm_mon + 1));
  setText("Rtcday", std::to_string(utc.tm_mday));
  setText("Rtchour", std::to_string(utc.tm_hour));
  setText("Rtcmin", std::to_string(utc.tm_min));
}

void SettingsModel::uploadPcTimeClick() {
  // Looks only at Uploadpctime, also when Ntp_enable was the box clicked.
  const bool enable = !checked("Uploadpctime");
  for (const char* edit : kClockEdits) mutableState(edit).enabled = enable;
}

void SettingsModel::analogChannelDefaults(int channel) {
  const std::string a = "Teleanalog" + std::to_string(channel);
  const int source = index(a + "_source");
  if (source < 0) return;
  const AnalogDefaults d = analogDefaults(channel, source);
  setText(a + "_name", d.name);
  setText(a + "_units", d.units);
  setText(a + "_coefa", d.coefA);
  setText(a + "_coefb", d.coefB);
  setText(a + "_coefc", d.coefC);
}

void SettingsModel::digitalChannelDefaults(int channel) {
  const std::string d = "Teledigital" + std::to_string(channel);
  if (index(d + "_source") != 0) return;
  setText(d + "_name", digitalDefaultName(channel));
  setText(d + "_units", digitalDefaultLabel(channel));
  setIndex(d + "_inverted", 0);
}

bool SettingsModel::operator==(const SettingsModel& other) const { return states_ == other.states_; }

}  // namespace zorbel::settings
