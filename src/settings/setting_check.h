#pragma once
// One setting's rule applied on its own, as the encoder applies it: whether
// the control's value would stop an encode here, and with which message.
#include <cstddef>
#include <string>

#include "model.h"

namespace zorbel::settings {

struct SettingCheck {
  enum class Verdict { Accepted, RangeError, ConversionError };
  Verdict verdict = Verdict::Accepted;
  // The range message, or "'%s' is not a valid integer value".
  std::string message;

  bool ok() const { return verdict == Verdict::Accepted; }
};

// Checks the setting at `settingIndex` of allSettings() in `model`. The value
// of its partner (the to-call box of an SSID) is read from `model` too.
SettingCheck checkSetting(const SettingsModel& model, std::size_t settingIndex);

}  // namespace zorbel::settings
