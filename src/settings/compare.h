#pragma once
// Which settings differ between two sets of settings, as the device would
// hold them: two values that the encoder stores as the same bytes are equal
// (a callsign read back with its space padding equals the typed one).
#include <string>
#include <vector>

#include "model.h"

namespace zorbel::settings {

struct SettingDifference {
  std::string name;  // the control name
  std::string ours;  // the values in zorbelctl's NAME=VALUE forms
  std::string device;
};

// `device` is `ours` with a configuration read decoded over it, so settings
// a read leaves alone (the clock, Uploadpctime) hold the same values in both
// and are never reported. In encoder order.
std::vector<SettingDifference> compareSettings(const SettingsModel& ours,
                                               const SettingsModel& device);

// A control's value in the form --set takes: an edit's text, a combo box's
// index, 1 or 0 for a check box.
std::string valueText(const SettingsModel& model, std::size_t settingIndex);

}  // namespace zorbel::settings
