// The position converter: what people type, and what the device then stores.
#include <gtest/gtest.h>

#include "settings/position_text.h"

namespace zorbel::settings {
namespace {

struct Conversion {
  const char* typed;
  const char* latitude;
  const char* longitude;
};

TEST(PositionText, ConvertsEveryFormatToTheStoredTexts) {
  const Conversion table[] = {
      {"52.36,16.91", "5221.60N", "01654.60E"},
      {"52.36, 16.91", "5221.60N", "01654.60E"},
      {"-33.8688 151.2093", "3352.13S", "15112.56E"},
      {"33.8688S 151.2093E", "3352.13S", "15112.56E"},
      {"S33.8688, E151.2093", "3352.13S", "15112.56E"},
      {"40.7128 -74.0060", "4042.77N", "07400.36W"},
      {"16.91E 52.36N", "5221.60N", "01654.60E"},
      {"52 21.6 16 54.6", "5221.60N", "01654.60E"},
      {"52 21 36 N 16 54 36 E", "5221.60N", "01654.60E"},
      {"52\u00B021'36\" 16\u00B054'36\"", "5221.60N", "01654.60E"},
      // Rounding to the hundredth, with the carry into the degree.
      {"52 59.994 16 0.005", "5259.99N", "01600.01E"},
      {"52 59.995 16 0", "5300.00N", "01600.00E"},
      {"-52 59.995, -179 59.999", "5300.00S", "18000.00W"},
      {"52.9999166666 0", "5259.99N", "00000.00E"},
      {"0.001 -0.001", "0000.06N", "00000.06W"},
      {"90 180", "9000.00N", "18000.00E"},
      // Locators: the centre of the square.
      {"JO82", "5230.00N", "01700.00E"},
      {"JO82lj", "5223.75N", "01657.50E"},
      {"jo82LJ", "5223.75N", "01657.50E"},
      {"JO82lj00", "5222.63N", "01655.25E"},
      {"QF56od", "3351.25S", "15112.50E"},
      {"FN20xr", "4043.75N", "07402.50W"},
  };
  for (const Conversion& c : table) {
    const auto p = parsePosition(c.typed);
    ASSERT_TRUE(p.ok()) << c.typed << ": " << p.error().message;
    EXPECT_EQ(p.value().latitude, c.latitude) << c.typed;
    EXPECT_EQ(p.value().longitude, c.longitude) << c.typed;
  }
}

TEST(PositionText, RefusesWhatItCannotReadAndSaysWhat) {
  const std::pair<const char*, const char*> table[] = {
      {"", "a latitude and a longitude are needed"},
      {"52.36", "a latitude and a longitude are needed"},
      {"52.36 16.91 3", "a latitude and a longitude are needed"},
      {"91 0", "latitude '91' lies beyond 90 degrees"},
      {"0 180.01", "longitude '180.01' lies beyond 180 degrees"},
      {"52 60 16 0", "'60' minutes: minutes run below 60"},
      {"52 21 60 16 0 0", "'60' seconds: seconds run below 60"},
      {"52.5 30 16 0", "'52.5': only the last number may have decimals"},
      {"-52.36S 16.91E", "the latitude has both a minus sign and a letter"},
      {"52.36E 16.91E", "'E' does not belong to a latitude"},
      {"5221.60N 01654.60E", "latitude '5221.60' lies beyond 90 degrees"},
      {"52x 16", "'x' is not understood"},
      {"JO82l", "'J' is not understood"},
      {"JZ82", "'J' is not understood"},
  };
  for (const auto& [typed, message] : table) {
    const auto p = parsePosition(typed);
    ASSERT_FALSE(p.ok()) << typed;
    EXPECT_EQ(p.error().message, message) << typed;
  }
}

TEST(PositionText, StoredPositionInDegreesAndAsLocator) {
  const auto p = storedPosition("5223.75N", "01657.50E");
  ASSERT_TRUE(p.has_value());
  EXPECT_EQ(decimalDegreesText(*p), "52.39583, 16.95833");
  EXPECT_EQ(maidenheadLocator(*p), "JO82lj");
  EXPECT_EQ(maidenheadLocator(*storedPosition("3351.25S", "15112.50E"), 4), "QF56od55");
  EXPECT_EQ(maidenheadLocator(*storedPosition("9000.00N", "18000.00E")), "RR99xx");
  EXPECT_FALSE(storedPosition("5260.00N", "01657.50E").has_value());
  EXPECT_FALSE(storedPosition("5221.60n", "01657.50E").has_value());
}

}  // namespace
}  // namespace zorbel::settings
