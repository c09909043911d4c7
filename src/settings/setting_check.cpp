#include "setting_check.h"

#include <algorithm>

#include "catalog.h"
#include "integer_text.h"

namespace zorbel::settings {
namespace {

bool digit(char c) { return c >= '0' && c <= '9'; }

// DDMM.mm then N/S (latitude) or DDDMM.mm then E/W (longitude); the text as typed.
bool positionShape(const std::string& t, std::size_t degrees, char a, char b) {
  if (t.size() != degrees + 6) return false;
  for (std::size_t i = 0; i < degrees + 2; ++i)
    if (!digit(t[i])) return false;
  const std::size_t point = degrees + 2;
  return t[point] == '.' && digit(t[point + 1]) && digit(t[point + 2]) &&
         (t[point + 3] == a || t[point + 3] == b);
}

bool numeric(Encoding e) {
  return e == Encoding::ByteNumber || e == Encoding::WordNumber || e == Encoding::UnsignedWord;
}

SettingCheck refused(const Setting& s) { return {SettingCheck::Verdict::RangeError, s.message}; }
SettingCheck notInteger(const std::string& text) {
  return {SettingCheck::Verdict::ConversionError, conversionErrorMessage(text)};
}

bool guardedSsidOk(const std::string& text) {
  const auto v = parseInteger(text);
  return v && *v >= 0 && *v <= 15;
}

}  // namespace

SettingCheck checkSetting(const SettingsModel& model, std::size_t settingIndex) {
  const Setting& s = allSettings()[settingIndex];
  if (s.kind != ControlKind::Edit) return {};
  const std::string& text = model.at(settingIndex).text;
  const auto in = [&s](std::int32_t v) { return v >= s.low && v <= s.high; };
  switch (s.rule) {
    case Rule::None:
      if (numeric(s.encoding) && !parseInteger(text)) return notInteger(text);
      return {};
    case Rule::NotEmpty:
      if (text.empty()) return refused(s);
      if (numeric(s.encoding) && !parseInteger(text)) return notInteger(text);
      return {};
    case Rule::Range:
    case Rule::RangeThenStore:
    case Rule::ZeroOrRange: {
      const auto v = parseInteger(text);
      if (!v) return notInteger(text);
      if (s.rule == Rule::ZeroOrRange && *v == 0) return {};
      return in(*v) ? SettingCheck{} : refused(s);
    }
    case Rule::PortOrEmpty: {
      if (text.empty()) return {};
      const auto v = parseInteger(text);
      if (!v) return notInteger(text);
      return *v >= 0 && *v <= 65535 ? SettingCheck{} : refused(s);
    }
    case Rule::GuardedSsid:
      if (!s.partner.empty() && model.text(s.partner).empty()) return {};
      return guardedSsidOk(text) ? SettingCheck{} : refused(s);
    case Rule::SsidOrWildcard:
      return text == "*" || guardedSsidOk(text) ? SettingCheck{} : refused(s);
    case Rule::Printable: {
      const bool bad = std::any_of(text.begin(), text.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b > 0x7E;
      });
      if (numeric(s.encoding) && !parseInteger(text)) return notInteger(text);
      return bad ? refused(s) : SettingCheck{};
    }
    case Rule::LatitudeShape:
      return positionShape(text, 2, 'N', 'S') ? SettingCheck{} : refused(s);
    case Rule::LongitudeShape:
      return positionShape(text, 3, 'E', 'W') ? SettingCheck{} : refused(s);
  }
  return {};
}

}  // namespace zorbel::settings
