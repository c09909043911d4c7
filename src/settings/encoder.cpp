// The settings encoder: reads, validates and stores every setting in encoder order.
#include <algorithm>
#include <cstring>

#include "catalog.h"
#include "codec.h"
#include "integer_text.h"

namespace zorbel::settings {
namespace {

struct Stop {
  EncodeResult result;
};

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
bool digit(char c) { return c >= '0' && c <= '9'; }

// DDMM.mm then N/S (latitude) or DDDMM.mm then E/W (longitude); the text as typed.
bool positionShape(const std::string& t, std::size_t degrees, char a, char b) {
  if (t.size() != degrees + 6) return false;
  for (std::size_t i = 0; i < degrees + 2; ++i)
    if (!digit(t[i])) return false;
  const std::size_t point = degrees + 2;
  return t[point] == '.' && digit(t[point + 1]) && digit(t[point + 2]) && (t[point + 3] == a || t[point + 3] == b);
}

class Encoder {
 public:
  Encoder(const SettingsModel& model, Image& image) : model_(model), image_(image) {}

  void encode(const Setting& s, const ControlState& st) {
    switch (s.kind) {
      case ControlKind::Combo: return putByte(s.offset, st.index < 0 ? 0xFF : st.index);
      case ControlKind::Check:
        if (s.encoding == Encoding::FlagByte) putByte(s.offset, st.checked ? 1 : 0);
        return;
      case ControlKind::Edit: return encodeEdit(s, st.text);
    }
  }

 private:
  void encodeEdit(const Setting& s, const std::string& text) {
    switch (s.rule) {
      case Rule::None:
        return store(s, text);
      case Rule::NotEmpty:
        if (text.empty()) fail(s);
        return store(s, text);
      case Rule::Range: {
        const std::int32_t v = integer(text);
        storeNumber(s, v);
        if (v < s.low || v > s.high) fail(s);
        return;
      }
      case Rule::RangeThenStore: {
        const std::int32_t v = integer(text);
        if (v < s.low || v > s.high) fail(s);
        return storeNumber(s, v);
      }
      case Rule::ZeroOrRange: {
        const std::int32_t v = integer(text);
        storeNumber(s, v);
        if (v != 0 && (v < s.low || v > s.high)) fail(s);
        return;
      }
      case Rule::PortOrEmpty: {
        if (text.empty()) return putWord(s.offset, 0);
        const std::int32_t v = integer(text);
        storeNumber(s, v);
        if (v < 0 || v > 65535) fail(s);
        return;
      }
      case Rule::GuardedSsid:
        if (!s.partner.empty() && model_.text(s.partner).empty()) return putByte(s.offset, '0');
        return putByte(s.offset, '0' + guardedSsid(s, text));
      case Rule::SsidOrWildcard:
        if (text == "*") return putByte(s.offset, '*');
        return putByte(s.offset, '0' + guardedSsid(s, text));
      case Rule::Printable:
        store(s, text);
        if (std::any_of(text.begin(), text.end(), [](char c) {
              auto b = static_cast<unsigned char>(c);
              return b < 0x20 || b > 0x7E;
            }))
          fail(s);
        return;
      case Rule::LatitudeShape:
        if (!positionShape(text, 2, 'N', 'S')) fail(s);
        return store(s, text);
      case Rule::LongitudeShape:
        if (!positionShape(text, 3, 'E', 'W')) fail(s);
        return store(s, text);
    }
  }

  // Stores an edit's text by its encoding; numbers go through the unguarded conversion.
  void store(const Setting& s, const std::string& text) {
    switch (s.encoding) {
      case Encoding::ByteNumber:
      case Encoding::WordNumber:
      case Encoding::UnsignedWord: return storeNumber(s, integer(text));
      case Encoding::PaddedCallsign:
      case Encoding::StationCallsign: return putPadded(s.offset, text);
      case Encoding::Text:
      case Encoding::Latitude:
      case Encoding::Longitude: return putText(s.offset, s.width, text, false);
      case Encoding::UpperText: return putText(s.offset, s.width, text, true);
      default: return;
    }
  }

  void storeNumber(const Setting& s, std::int32_t v) {
    switch (s.encoding) {
      case Encoding::ByteNumber: return putByte(s.offset, v);
      case Encoding::WordNumber:
      case Encoding::UnsignedWord: return putWord(s.offset, v);
      case Encoding::StationSsid:
      case Encoding::SsidCharacter: return putByte(s.offset, '0' + v);
      default: return;
    }
  }

  std::int32_t integer(const std::string& text) {
    auto v = parseInteger(text);
    if (!v) throw Stop{{EncodeResult::Status::ConversionError, text}};
    return *v;
  }

  // A guarded conversion: anything but an integer in 0..15 gives the setting's own message.
  int guardedSsid(const Setting& s, const std::string& text) {
    auto v = parseInteger(text);
    if (!v || *v < 0 || *v > 15) fail(s);
    return *v;
  }

  [[noreturn]] void fail(const Setting& s) { throw Stop{{EncodeResult::Status::RangeError, s.message}}; }

  void putByte(int offset, std::int32_t v) { image_[offset] = static_cast<std::uint8_t>(v & 0xFF); }
  void putWord(int offset, std::int32_t v) {
    image_[offset] = static_cast<std::uint8_t>(v & 0xFF);
    image_[offset + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
  }
  // Six spaces, then the upper-cased text over their start; a longer text is cut to six.
  void putPadded(int offset, const std::string& text) {
    for (int i = 0; i < 6; ++i) image_[offset + i] = ' ';
    const std::size_t n = std::min<std::size_t>(text.size(), 6);
    for (std::size_t i = 0; i < n; ++i) image_[offset + i] = static_cast<std::uint8_t>(upper(text[i]));
  }
  // The text and a zero byte; a text set by program that is longer than the
  // field is cut so that the zero byte still lands inside it.
  void putText(int offset, int width, const std::string& text, bool upperCase) {
    const std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(width - 1));
    for (std::size_t i = 0; i < n; ++i)
      image_[offset + i] = static_cast<std::uint8_t>(upperCase ? upper(text[i]) : text[i]);
    std::fill(image_.begin() + offset + static_cast<std::ptrdiff_t>(n), image_.begin() + offset + width, 0);
  }

  const SettingsModel& model_;
  Image& image_;
};

}  // namespace

std::string EncodeResult::message() const {
  return status == Status::ConversionError ? conversionErrorMessage(detail) : detail;
}

EncodeResult encodeSettings(const SettingsModel& model, Image& image, std::time_t now) {
  image.fill(0);
  std::memcpy(image.data() + kVersionOffset, kConfigVersion.data(), kConfigVersion.size());

  Encoder encoder(model, image);
  const auto settings = allSettings();
  try {
    for (std::size_t i = 0; i < settings.size(); ++i) encoder.encode(settings[i], model.at(i));
  } catch (const Stop& stop) {
    return stop.result;
  }

  std::memcpy(image.data() + kEndMarkerOffset, "END", 3);
  const std::uint16_t stamp = writeStamp(static_cast<std::int64_t>(now));
  image[kWriteStampOffset] = static_cast<std::uint8_t>(stamp & 0xFF);
  image[kWriteStampOffset + 1] = static_cast<std::uint8_t>(stamp >> 8);
  const std::uint32_t sum = imageSum(image);
  for (int i = 0; i < 4; ++i) image[kImageSumOffset + i] = static_cast<std::uint8_t>(sum >> (8 * i));
  return {};
}

}  // namespace zorbel::settings
