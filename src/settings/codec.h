#pragma once
// The settings encoder (settings -> configuration image) and decoder (image -> settings).
#include <ctime>
#include <string>

#include "image.h"
#include "model.h"

namespace zorbel::settings {

struct EncodeResult {
  enum class Status { Ok, RangeError, ConversionError };
  Status status = Status::Ok;
  // The range message, or the text that is not an integer.
  std::string detail;

  bool ok() const { return status == Status::Ok; }
  // What the user is shown: the range message, or "'%s' is not a valid integer value".
  std::string message() const;
};

// Validates every setting in the fixed order and fills `image`. Stops at the
// first invalid setting; `image` then holds what was stored up to it.
// `now` seeds the write stamp.
EncodeResult encodeSettings(const SettingsModel& model, Image& image, std::time_t now = std::time(nullptr));

struct DecodeResult {
  bool ok = false;
  std::string message;  // the version mismatch message, lines separated by '\n'
};

// Sets every decoded setting from `image`, after checking its configuration
// version. On a mismatch no setting changes.
DecodeResult decodeSettings(const Image& image, SettingsModel& model);

}  // namespace zorbel::settings
