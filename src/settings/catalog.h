#pragma once
// Every setting of the device, tab by tab, in the order the encoder visits it.
#include <optional>
#include <span>
#include <string_view>

#include "setting.h"

namespace zorbel::settings {

// All settings in encoder order (the filter window's entries among the I-Gate tab's).
std::span<const Setting> allSettings();

// Index into allSettings() of the control with that exact name.
std::optional<std::size_t> findSetting(std::string_view name);

// One builder per tab; each appends its settings in encoder order.
void addRadioSettings(std::vector<Setting>& out);
void addDigipeaterSettings(std::vector<Setting>& out);
void addBeaconSettings(std::vector<Setting>& out);
void addNetworkSettings(std::vector<Setting>& out);
void addIgateSettings(std::vector<Setting>& out);
void addWeatherSettings(std::vector<Setting>& out);
void addClockSettings(std::vector<Setting>& out);
void addTelemetrySettings(std::vector<Setting>& out);
void addWundergroundSettings(std::vector<Setting>& out);

}  // namespace zorbel::settings
