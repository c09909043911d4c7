#pragma once
// Positions as people write them, turned into the two texts the device
// stores (Latitude DDMM.mmN, Longitude DDDMM.mmE), and those texts back into
// degrees and a Maidenhead locator.
#include <optional>
#include <string>
#include <string_view>

#include "common/result.h"

namespace zorbel::settings {

struct StoredPosition {
  std::string latitude;   // DDMM.mmN or S
  std::string longitude;  // DDDMM.mmE or W
};

// Accepts decimal degrees ("52.36, 16.91", "-33.8688 151.2093"), degrees and
// minutes or degrees, minutes and seconds, each with signs or N/S/E/W letters
// and a comma or blanks between latitude and longitude, or a Maidenhead
// locator of 4, 6 or 8 characters (the centre of its square). The result is
// rounded to the nearest hundredth of a minute. A Range error whose message
// says what was not understood.
Result<StoredPosition> parsePosition(std::string_view text);

// A position in hundredths of a minute of arc; north and east positive.
struct PositionHundredths {
  long latitude = 0;
  long longitude = 0;
};

// The stored texts as a position; nothing when either text is not in the
// device's shape or lies beyond 90 (180) degrees or 60 minutes.
std::optional<PositionHundredths> storedPosition(const std::string& latitude,
                                                 const std::string& longitude);

// "52.36000, 16.91000": signed decimal degrees.
std::string decimalDegreesText(const PositionHundredths& position);

// The Maidenhead locator of `pairs` letter/digit pairs (2 to 4) holding the
// position: "JO82lj" for 3.
std::string maidenheadLocator(const PositionHundredths& position, int pairs = 3);

}  // namespace zorbel::settings
