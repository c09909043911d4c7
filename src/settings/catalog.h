#pragma once
// Every setting of the device, tab by tab, in the order the encoder visits it.
#include <optional>
#include <span>
#include <string_view>

#include "common/result.h"
#include "setting.h"

namespace zorbel::settings {

// All settings in encoder order (the filter window's entries among the I-Gate tab's).
std::span<const Setting> allSettings();

// Index into allSettings() of the control with that exact name; none for a
// name no setting has (a name typed by a user or read from a file).
std::optional<std::size_t> findSetting(std::string_view name);

// Index into allSettings() of a setting the program itself names. A name no
// setting has is a programming error (programming_error.h), never a value.
std::size_t settingIndex(std::string_view name);

// `error` with the setting at `index` named as the one that failed.
Error failedAt(Error error, std::size_t index);

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
