#pragma once
// How much of an edit box's text its field in the image keeps. A text the
// field would cut is refused, never stored as something the user did not ask
// for (a cut password locks the user out of the device).
#include <cstddef>
#include <optional>
#include <string>

#include "common/result.h"
#include "model.h"
#include "setting.h"

namespace zorbel::settings {

// The most characters the setting's field keeps: 6 for a padded callsign,
// width - 1 for a text or upper-case text field (the zero byte takes the
// last). None for a box whose whole text goes to the integer conversion or
// the SSID check, or is checked for its shape (positions): none of those cuts.
std::optional<std::size_t> fieldCapacity(const Setting& s);

// A TooLong error "NAME: at most N characters" when `text` is longer than the
// setting's field keeps, N being what the field keeps.
Result<void> checkFits(const Setting& s, const std::string& text);

// The first edit box, in encoder order, whose text its field would cut.
Result<void> checkAllFit(const SettingsModel& model);

}  // namespace zorbel::settings
