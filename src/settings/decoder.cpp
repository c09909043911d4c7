// The settings decoder: sets every decoded setting from an image read back from the device.
#include <cstring>

#include "catalog.h"
#include "codec.h"

namespace zorbel::settings {
namespace {

// The bytes up to the first zero byte, never past the field.
std::string textAt(const Image& image, int offset, int width) {
  std::string out;
  for (int i = 0; i < width && image[offset + i] != 0; ++i)
    out.push_back(static_cast<char>(image[offset + i]));
  return out;
}

Result<void> decodeOne(const Setting& s, const Image& image, SettingsModel& model) {
  const std::uint8_t b = image[s.offset];
  const auto word = static_cast<std::uint16_t>(b | image[s.offset + 1] << 8);
  switch (s.encoding) {
    case Encoding::None:
      return {};
    case Encoding::ItemIndex:
      return model.setIndex(s.name, b);
    case Encoding::FlagByte:
      return model.click(s.name, b != 0);
    case Encoding::ByteNumber:
      return model.setText(s.name, std::to_string(b));
    case Encoding::WordNumber:
      return model.setText(s.name, std::to_string(static_cast<std::int16_t>(word)));
    case Encoding::UnsignedWord:
      return model.setText(s.name, std::to_string(word));
    case Encoding::StationCallsign:
      return model.setText(s.name, textAt(image, s.offset, 6));
    case Encoding::PaddedCallsign: {
      std::string call = textAt(image, s.offset, 6);
      while (!call.empty() && call.back() == ' ') call.pop_back();
      return model.setText(s.name, call);
    }
    case Encoding::SsidCharacter:
      if (s.rule == Rule::SsidOrWildcard && b == '*') return model.setText(s.name, "*");
      return model.setText(s.name, std::to_string(static_cast<int>(b) - 48));
    case Encoding::StationSsid:
      return model.setText(s.name, std::to_string((b - 48) & 0xFF));
    case Encoding::Text:
    case Encoding::UpperText:
    case Encoding::Latitude:
    case Encoding::Longitude:
      return model.setText(s.name, textAt(image, s.offset, s.width));
  }
  return {};
}

}  // namespace

std::string deviceConfigVersion(const Image& image) {
  return image[kVersionOffset] == 'v'
             ? textAt(image, kVersionOffset, 7)
             : std::string("unknown, config version control started in v1.21b");
}

std::string deviceVersionMismatchMessage(std::string_view deviceVersion) {
  return "Uncompatible configuration version:\nDevice: " + std::string(deviceVersion) +
         "\nConfigurator: " + std::string(kConfigVersion);
}

Result<void> decodeSettings(const Image& image, SettingsModel& model) {
  if (std::memcmp(image.data() + kVersionOffset, kConfigVersion.data(), kConfigVersion.size()) !=
      0) {
    Error mismatch = makeError(ErrorKind::Version, "");
    mismatch.deviceVersion = deviceConfigVersion(image);
    mismatch.message = deviceVersionMismatchMessage(mismatch.deviceVersion);
    return mismatch;
  }
  for (const Setting& s : allSettings()) {
    if (!s.decoded) continue;
    if (Result<void> set = decodeOne(s, image, model); !set) return set;
  }
  return {};
}

}  // namespace zorbel::settings
