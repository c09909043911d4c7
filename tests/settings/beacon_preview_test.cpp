// The beacons as they go on air.
#include <gtest/gtest.h>

#include "settings/beacon_preview.h"

namespace zorbel::settings {
namespace {

// 2026-03-05 07:04:59 UTC.
constexpr std::time_t kNow = 1772694299;

TEST(BeaconPreview, StartUpBeacon) {
  const SettingsModel m(0);
  const auto packets = beaconPackets(m, kNow);
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(packets[0].number, 1);
  EXPECT_EQ(packets[0].rfMinutes, 5);
  EXPECT_EQ(packets[0].isMinutes, 5);
  EXPECT_EQ(packets[0].packet, "NOCALL>APZR01,WIDE2-2:@050704z5221.60N/01653.63E-ZORBEL Test.");
  EXPECT_EQ(packets[0].textLength, 39u);
  EXPECT_EQ(packets[0].note, "");
}

TEST(BeaconPreview, EverySsidAndSpecialString) {
  SettingsModel m(0);
  for (const auto& [name, value] : std::vector<std::pair<const char*, const char*>>{
           {"Callsign", "sp1abc"},
           {"Ssid", "15"},
           {"Latitude", "3351.25S"},
           {"Longitude", "15112.50E"},
           {"Beacon1_txrate_rf", "0"},
           {"Beacon1_txrate_aprsis", "0"},
           {"Beacon4_dest_string", "apzr01"},
           {"Beacon4_dest_ssid", "3"},
           {"Beacon4_path_string", "wide1"},
           {"Beacon4_path_ssid", "1"},
           {"Beacon4_txrate_aprsis", "30"},
           {"Beacon4_msg", "!<lat>/<long>>A comment that runs past forty-three chars!!"},
           {"Beacon6_path_string", ""},
           {"Beacon6_path_ssid", "x"},
           {"Beacon6_txrate_rf", "60"},
           {"Beacon6_msg", ">At <date>: <lat> <long> <lat>"}}) {
    ASSERT_TRUE(m.setText(name, value).ok()) << name;
  }
  const auto packets = beaconPackets(m, kNow);
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_EQ(packets[0].number, 4);
  EXPECT_EQ(packets[0].packet,
            "SP1ABC-15>APZR01-3,WIDE1-1:!3351.25S/15112.50E>A comment that runs past "
            "forty-three chars!!");
  EXPECT_EQ(packets[0].note, "The comment is 44 characters; a position report's comment takes 43.");
  EXPECT_EQ(packets[1].number, 6);
  EXPECT_EQ(packets[1].packet, "SP1ABC-15>APZR01:>At 050704: 3351.25S 15112.50E 3351.25S");
  EXPECT_EQ(packets[1].textLength, 39u);
  EXPECT_EQ(packets[1].note, "");
}

}  // namespace
}  // namespace zorbel::settings
