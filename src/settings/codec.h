#pragma once
// The settings encoder (settings -> configuration image) and decoder (image -> settings).
#include <ctime>
#include <string>
#include <string_view>

#include "common/result.h"
#include "image.h"
#include "model.h"

namespace zorbel::settings {

// Validates every setting in the fixed order and fills `image`. Stops at the
// first invalid setting with a Range error (its range message), a Conversion
// error ("'%s' is not a valid integer value") or a TooLong error for a text
// its field would cut ("NAME: at most N characters"), naming that setting in
// Error::setting; `image` then holds what was stored up to it. `now` seeds
// the write stamp.
Result<void> encodeSettings(const SettingsModel& model, Image& image,
                            std::time_t now = std::time(nullptr));

// "Write config" and "Build remote update file": the clock settings from the
// PC clock `now` when Uploadpctime is checked, then encodeSettings().
Result<void> encodeWithPcClock(SettingsModel& model, Image& image,
                               std::time_t now = std::time(nullptr));

// Sets every decoded setting from `image`, after checking its configuration
// version. On a mismatch no setting changes: a Version error whose message is
// deviceVersionMismatchMessage() and whose deviceVersion is
// deviceConfigVersion(image).
Result<void> decodeSettings(const Image& image, SettingsModel& model);

// The device's configuration version as the mismatch message names it: the
// version field's text when it starts with 'v', else "unknown, ...". The
// device's own bytes, unescaped.
std::string deviceConfigVersion(const Image& image);

// The message for an image of another configuration version, naming
// `deviceVersion`, lines separated by '\n'.
std::string deviceVersionMismatchMessage(std::string_view deviceVersion);

}  // namespace zorbel::settings
