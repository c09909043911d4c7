// The settings encoder: reads, validates and stores every setting in encoder order.
#include <algorithm>
#include <cstring>

#include "catalog.h"
#include "codec.h"
#include "field_capacity.h"
#include "integer_text.h"
#include "setting_name.h"
#include "value_shapes.h"

namespace zorbel::settings {
namespace {

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Stores one setting after another; the first that breaks its rule or does
// not convert stops it with that setting's error.
class Encoder {
 public:
  Encoder(const SettingsModel& model, Image& image) : model_(model), image_(image) {}

  Result<void> encode(const Setting& s, const ControlState& st) {
    switch (s.kind) {
      case ControlKind::Combo:
        putByte(s.offset, st.index < 0 ? 0xFF : st.index);
        return {};
      case ControlKind::Check:
        if (s.encoding == Encoding::FlagByte) putByte(s.offset, st.checked ? 1 : 0);
        return {};
      case ControlKind::Edit:
        return encodeEdit(s, st.text);
    }
    return {};
  }

 private:
  Result<void> encodeEdit(const Setting& s, const std::string& text) {
    if (Result<void> fits = checkFits(s, text); !fits) return fits;
    switch (s.rule) {
      case Rule::None:
        return store(s, text);
      case Rule::NotEmpty:
        if (text.empty()) return fail(s);
        return store(s, text);
      case Rule::Range:
      case Rule::RangeThenStore:
      case Rule::ZeroOrRange:
      case Rule::PortOrEmpty:
        return encodeNumber(s, text);
      case Rule::GuardedSsid:
        if (!s.partner.empty() && model_.text(s.partner).empty()) {
          putByte(s.offset, '0');
          return {};
        }
        return storeGuardedSsid(s, text);
      case Rule::SsidOrWildcard:
        if (text == "*") {
          putByte(s.offset, '*');
          return {};
        }
        return storeGuardedSsid(s, text);
      case Rule::Printable:
        if (Result<void> stored = store(s, text); !stored) return stored;
        if (!shapes::printable(text)) return fail(s);
        return {};
      case Rule::LatitudeShape:
        if (!shapes::position(text, 2, 'N', 'S')) return fail(s);
        return store(s, text);
      case Rule::LongitudeShape:
        if (!shapes::position(text, 3, 'E', 'W')) return fail(s);
        return store(s, text);
    }
    return {};
  }

  // An edit whose rule checks a number: RangeThenStore stores it only when it
  // passes, the others store it before the check.
  Result<void> encodeNumber(const Setting& s, const std::string& text) {
    if (s.rule == Rule::PortOrEmpty && text.empty()) {
      putWord(s.offset, 0);
      return {};
    }
    const Result<std::int32_t> v = integer(text);
    if (!v) return v.error();
    const std::int32_t n = v.value();
    bool inRange = n >= s.low && n <= s.high;
    if (s.rule == Rule::ZeroOrRange) inRange = inRange || n == 0;
    if (s.rule == Rule::PortOrEmpty) inRange = n >= 0 && n <= 65535;
    if (s.rule == Rule::RangeThenStore && !inRange) return fail(s);
    storeNumber(s, n);
    if (!inRange) return fail(s);
    return {};
  }

  // Stores an edit's text by its encoding; numbers go through the unguarded conversion.
  Result<void> store(const Setting& s, const std::string& text) {
    switch (s.encoding) {
      case Encoding::ByteNumber:
      case Encoding::WordNumber:
      case Encoding::UnsignedWord: {
        const Result<std::int32_t> v = integer(text);
        if (!v) return v.error();
        storeNumber(s, v.value());
        return {};
      }
      case Encoding::PaddedCallsign:
      case Encoding::StationCallsign:
        putPadded(s.offset, text);
        return {};
      case Encoding::Text:
      case Encoding::Latitude:
      case Encoding::Longitude:
        putText(s.offset, s.width, text, false);
        return {};
      case Encoding::UpperText:
        putText(s.offset, s.width, text, true);
        return {};
      case Encoding::None:  // an edit box the image does not hold
      case Encoding::ItemIndex:
      case Encoding::FlagByte:
      case Encoding::SsidCharacter:
      case Encoding::StationSsid:
        return {};
    }
    return {};
  }

  void storeNumber(const Setting& s, std::int32_t v) {
    switch (s.encoding) {
      case Encoding::ByteNumber:
        return putByte(s.offset, v);
      case Encoding::WordNumber:
      case Encoding::UnsignedWord:
        return putWord(s.offset, v);
      case Encoding::StationSsid:
      case Encoding::SsidCharacter:
        return putByte(s.offset, '0' + v);
      case Encoding::None:
      case Encoding::ItemIndex:
      case Encoding::FlagByte:
      case Encoding::PaddedCallsign:
      case Encoding::StationCallsign:
      case Encoding::Text:
      case Encoding::UpperText:
      case Encoding::Latitude:
      case Encoding::Longitude:
        return;
    }
  }

  // The unguarded conversion: a text that is not an integer ends the encode.
  static Result<std::int32_t> integer(const std::string& text) {
    const auto v = parseInteger(text);
    if (!v) return makeError(ErrorKind::Conversion, conversionErrorMessage(text));
    return *v;
  }

  // A guarded conversion: anything but an integer in 0..15 gives the setting's own message.
  Result<void> storeGuardedSsid(const Setting& s, const std::string& text) {
    const auto v = shapes::ssid(text);
    if (!v) return fail(s);
    putByte(s.offset, '0' + *v);
    return {};
  }

  static Error fail(const Setting& s) { return makeError(ErrorKind::Range, s.message); }

  void putByte(int offset, std::int32_t v) { image_[offset] = static_cast<std::uint8_t>(v & 0xFF); }
  void putWord(int offset, std::int32_t v) {
    image_[offset] = static_cast<std::uint8_t>(v & 0xFF);
    image_[offset + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
  }
  // Six spaces, then the upper-cased text over their start; never more than six.
  void putPadded(int offset, const std::string& text) {
    for (int i = 0; i < 6; ++i) image_[offset + i] = ' ';
    const std::size_t n = std::min<std::size_t>(text.size(), 6);
    for (std::size_t i = 0; i < n; ++i)
      image_[offset + i] = static_cast<std::uint8_t>(upper(text[i]));
  }
  // The text and a zero byte, which always lands inside the field (a longer
  // text was refused before it got here).
  void putText(int offset, int width, const std::string& text, bool upperCase) {
    const std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(width - 1));
    for (std::size_t i = 0; i < n; ++i)
      image_[offset + i] = static_cast<std::uint8_t>(upperCase ? upper(text[i]) : text[i]);
    std::fill(image_.begin() + offset + static_cast<std::ptrdiff_t>(n),
              image_.begin() + offset + width, 0);
  }

  const SettingsModel& model_;
  Image& image_;
};

}  // namespace

Result<void> encodeSettings(const SettingsModel& model, Image& image, std::time_t now) {
  image.fill(0);
  std::memcpy(image.data() + kVersionOffset, kConfigVersion.data(), kConfigVersion.size());

  Encoder encoder(model, image);
  const auto settings = allSettings();
  for (std::size_t i = 0; i < settings.size(); ++i) {
    if (Result<void> stored = encoder.encode(settings[i], model.at(i)); !stored)
      return failedAt(stored.error(), i);
  }

  std::memcpy(image.data() + kEndMarkerOffset, "END", 3);
  const std::uint16_t stamp = writeStamp(static_cast<std::int64_t>(now));
  image[kWriteStampOffset] = static_cast<std::uint8_t>(stamp & 0xFF);
  image[kWriteStampOffset + 1] = static_cast<std::uint8_t>(stamp >> 8);
  const std::uint32_t sum = imageSum(image);
  for (int i = 0; i < 4; ++i)
    image[kImageSumOffset + i] = static_cast<std::uint8_t>(sum >> (8 * i));
  return {};
}

Result<void> encodeWithPcClock(SettingsModel& model, Image& image, std::time_t now) {
  if (model.checked("Uploadpctime"_setting)) model.fillRtcFromPcClock(now);
  return encodeSettings(model, image, now);
}

}  // namespace zorbel::settings
