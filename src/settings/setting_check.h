#pragma once
// One setting's rule applied on its own, as the encoder applies it: whether
// the control's value would stop an encode here, and with which message.
#include <cstddef>
#include <string>

#include "common/result.h"
#include "model.h"

namespace zorbel::settings {

// Checks the setting at `settingIndex` of allSettings() in `model`: a Range
// error with the setting's range message, a Conversion error with
// "'%s' is not a valid integer value", or a TooLong error for a text its
// field would cut, naming the setting in Error::setting. The value of its
// partner (the to-call box of an SSID) is read from `model` too.
Result<void> checkSetting(const SettingsModel& model, std::size_t settingIndex);

}  // namespace zorbel::settings
