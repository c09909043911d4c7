#include "field_capacity.h"

#include "catalog.h"

namespace zorbel::settings {

std::optional<std::size_t> fieldCapacity(const Setting& s) {
  if (s.kind != ControlKind::Edit) return std::nullopt;
  switch (s.encoding) {
    case Encoding::PaddedCallsign:
    case Encoding::StationCallsign:
      return 6;
    case Encoding::Text:
    case Encoding::UpperText:
      return static_cast<std::size_t>(s.width - 1);
    case Encoding::None:
    case Encoding::ByteNumber:
    case Encoding::WordNumber:
    case Encoding::UnsignedWord:
    case Encoding::ItemIndex:
    case Encoding::FlagByte:
    case Encoding::SsidCharacter:
    case Encoding::StationSsid:
    case Encoding::Latitude:
    case Encoding::Longitude:
      return std::nullopt;
  }
  return std::nullopt;
}

Result<void> checkFits(const Setting& s, const std::string& text) {
  const std::optional<std::size_t> capacity = fieldCapacity(s);
  if (!capacity || text.size() <= *capacity) return {};
  return makeError(ErrorKind::TooLong,
                   s.name + ": at most " + std::to_string(*capacity) + " characters");
}

Result<void> checkAllFit(const SettingsModel& model) {
  const auto all = allSettings();
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (Result<void> fits = checkFits(all[i], model.at(i).text); !fits)
      return failedAt(fits.error(), i);
  }
  return {};
}

}  // namespace zorbel::settings
