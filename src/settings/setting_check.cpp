#include "setting_check.h"

#include "catalog.h"
#include "field_capacity.h"
#include "integer_text.h"
#include "value_shapes.h"

namespace zorbel::settings {
namespace {

bool numeric(Encoding e) {
  return e == Encoding::ByteNumber || e == Encoding::WordNumber || e == Encoding::UnsignedWord;
}

Error refused(const Setting& s) { return makeError(ErrorKind::Range, s.message); }
Error notInteger(const std::string& text) {
  return makeError(ErrorKind::Conversion, conversionErrorMessage(text));
}
Result<void> rangeCheck(bool ok, const Setting& s) { return ok ? Result<void>{} : refused(s); }

Result<void> check(const SettingsModel& model, std::size_t settingIndex) {
  const Setting& s = allSettings()[settingIndex];
  if (s.kind != ControlKind::Edit) return {};
  const std::string& text = model.at(settingIndex).text;
  if (Result<void> fits = checkFits(s, text); !fits) return fits;
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
      return rangeCheck(in(*v), s);
    }
    case Rule::PortOrEmpty: {
      if (text.empty()) return {};
      const auto v = parseInteger(text);
      if (!v) return notInteger(text);
      return rangeCheck(*v >= 0 && *v <= 65535, s);
    }
    case Rule::GuardedSsid:
      if (!s.partner.empty() && model.text(s.partner).empty()) return {};
      return rangeCheck(shapes::ssid(text).has_value(), s);
    case Rule::SsidOrWildcard:
      return rangeCheck(text == "*" || shapes::ssid(text), s);
    case Rule::Printable:
      if (numeric(s.encoding) && !parseInteger(text)) return notInteger(text);
      return rangeCheck(shapes::printable(text), s);
    case Rule::LatitudeShape:
      return rangeCheck(shapes::position(text, 2, 'N', 'S'), s);
    case Rule::LongitudeShape:
      return rangeCheck(shapes::position(text, 3, 'E', 'W'), s);
  }
  return {};
}

}  // namespace

Result<void> checkSetting(const SettingsModel& model, std::size_t settingIndex) {
  Result<void> checked = check(model, settingIndex);
  if (!checked) return failedAt(checked.error(), settingIndex);
  return checked;
}

}  // namespace zorbel::settings
