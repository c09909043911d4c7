#include "catalog.h"

#include <string>
#include <unordered_map>

#include "common/programming_error.h"

namespace zorbel::settings {
namespace {

struct Catalog {
  std::vector<Setting> settings;
  std::unordered_map<std::string_view, std::size_t> byName;

  Catalog() {
    addRadioSettings(settings);
    addDigipeaterSettings(settings);
    addBeaconSettings(settings);
    addNetworkSettings(settings);
    addIgateSettings(settings);
    addWeatherSettings(settings);
    addClockSettings(settings);
    addTelemetrySettings(settings);
    addWundergroundSettings(settings);
    for (std::size_t i = 0; i < settings.size(); ++i) byName.emplace(settings[i].name, i);
  }
};

const Catalog& catalog() {
  static const Catalog instance;
  return instance;
}

}  // namespace

std::span<const Setting> allSettings() { return catalog().settings; }

std::optional<std::size_t> findSetting(std::string_view name) {
  const auto& map = catalog().byName;
  auto it = map.find(name);
  if (it == map.end()) return std::nullopt;
  return it->second;
}

std::size_t settingIndex(std::string_view name) {
  const std::optional<std::size_t> index = findSetting(name);
  if (!index) programmingError("no setting is named \"" + std::string(name) + "\"");
  return *index;
}

Error failedAt(Error error, std::size_t index) {
  error.setting = index;
  return error;
}

}  // namespace zorbel::settings
