#include "compare.h"

#include <algorithm>

#include "catalog.h"
#include "codec.h"
#include "image.h"

namespace zorbel::settings {

namespace {

// The write stamp is seeded from this, so both images get the same one.
constexpr std::time_t kStampSeed = 0;

bool sameValue(const ControlState& a, const ControlState& b) {
  return a.text == b.text && a.index == b.index && a.checked == b.checked;
}

}  // namespace

std::string valueText(const SettingsModel& model, std::size_t settingIndex) {
  const ControlState& state = model.at(settingIndex);
  switch (allSettings()[settingIndex].kind) {
    case ControlKind::Edit:
      return state.text;
    case ControlKind::Combo:
      return std::to_string(state.index);
    case ControlKind::Check:
      return state.checked ? "1" : "0";
  }
  return {};
}

std::vector<SettingDifference> compareSettings(const SettingsModel& ours,
                                               const SettingsModel& device) {
  std::vector<SettingDifference> differences;
  const auto all = allSettings();
  Image deviceImage{};
  const bool deviceEncodes = encodeSettings(device, deviceImage, kStampSeed).ok();
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (sameValue(ours.at(i), device.at(i))) continue;
    // The device's settings with only this one of ours: the same bytes mean the same setting.
    if (deviceEncodes) {
      SettingsModel mixed = device;
      const ControlState& mine = ours.at(i);
      Result<void> set;
      switch (all[i].kind) {
        case ControlKind::Edit:
          set = mixed.setText(all[i].name, mine.text);
          break;
        case ControlKind::Combo:
          set = mixed.setIndex(all[i].name, mine.index);
          break;
        case ControlKind::Check:
          set = mixed.setChecked(all[i].name, mine.checked);
          break;
      }
      Image mixedImage{};
      if (set && encodeSettings(mixed, mixedImage, kStampSeed).ok() &&
          std::equal(mixedImage.begin() + kVersionOffset, mixedImage.end(),
                     deviceImage.begin() + kVersionOffset))
        continue;
    }
    differences.push_back({std::string(all[i].name), valueText(ours, i), valueText(device, i)});
  }
  return differences;
}

}  // namespace zorbel::settings
