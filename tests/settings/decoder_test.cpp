#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "settings/catalog.h"
#include "settings/codec.h"

using namespace zorbel::settings;

namespace {

constexpr std::time_t kNow = 1772694299;

Image encoded(const SettingsModel& model) {
  Image image{};
  EXPECT_TRUE(encodeSettings(model, image, kNow).ok());
  return image;
}

}  // namespace

TEST(Decode, VersionMismatchChangesNothing) {
  SettingsModel model(kNow);
  Image image = encoded(model);
  image[14] = 'X';
  std::memcpy(image.data() + 6, "v1.31\0", 6);
  const SettingsModel before = model;
  auto r = decodeSettings(image, model);
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.error().kind, zorbel::ErrorKind::Version);
  EXPECT_EQ(r.error().message,
            "Uncompatible configuration version:\nDevice: v1.31\nConfigurator: v1.32");
  EXPECT_EQ(r.error().deviceVersion, "v1.31");
  EXPECT_TRUE(model == before);

  std::memcpy(image.data() + 6, "v9.99xyz", 8);
  EXPECT_EQ(decodeSettings(image, model).error().message,
            "Uncompatible configuration version:\nDevice: v9.99xy\nConfigurator: v1.32");

  Image blank;
  blank.fill(0xFF);
  EXPECT_EQ(decodeSettings(blank, model).error().message,
            "Uncompatible configuration version:\nDevice: unknown, config version control started "
            "in v1.21b\n"
            "Configurator: v1.32");
}

TEST(Decode, OnlyFiveVersionCharactersAreCompared) {
  SettingsModel model(kNow);
  Image image = encoded(model);
  image[11] = '7';
  EXPECT_TRUE(decodeSettings(image, model).ok());
}

TEST(Decode, ReadRules) {
  SettingsModel model(kNow);
  Image image = encoded(model);
  std::memcpy(image.data() + 14, "AB1   ", 6);
  image[20] = 0x20;                      // SSID byte below '0'
  image[22] = 0xFF, image[23] = 0xFF;    // word number
  image[172] = 0xFF, image[173] = 0xFF;  // unsigned word
  image[26] = 7;                         // past the item list
  image[48] = 0xFF;                      // no selection
  std::memcpy(image.data() + 1309, "SQ*   *", 7);
  std::memcpy(image.data() + 1316, "      5", 7);
  image[569] = '0' - 1;                       // a beacon path SSID below '0'
  std::memset(image.data() + 1869, 'Z', 25);  // a text with no zero byte in its field
  image[500] = 7;                             // any non-zero flag is checked
  ASSERT_TRUE(decodeSettings(image, model).ok());
  EXPECT_EQ(model.text("Callsign"), "AB1   ") << "the station callsign keeps its padding";
  EXPECT_EQ(model.text("Ssid"), "240");
  EXPECT_EQ(model.text("Txdelay"), "-1");
  EXPECT_EQ(model.text("Aprsis1_port"), "65535");
  EXPECT_EQ(model.index("Quiettime_randomize"), -1);
  EXPECT_EQ(model.index("Ptt"), -1);
  EXPECT_EQ(model.text("Callfilter_callsign1"), "SQ*");
  EXPECT_EQ(model.text("Callfilter_ssid1"), "*");
  EXPECT_EQ(model.text("Callfilter_callsign2"), "");
  EXPECT_EQ(model.text("Callfilter_ssid2"), "5");
  EXPECT_EQ(model.text("Beacon1_path_ssid"), "-1");
  EXPECT_EQ(model.text("WU_stationid"), std::string(25, 'Z')) << "stops at the field's end";
  EXPECT_EQ(model.text("WU_password"), "");
  EXPECT_TRUE(model.checked("Ntp_enable"));
}

TEST(Decode, ClockStaysButTelemetryChannelsAndQuodraOutputsAreRead) {
  SettingsModel device(kNow);
  EXPECT_TRUE(device.setText("Teledigital2_name", "Door"));
  EXPECT_TRUE(device.setIndex("Teledigital2_inverted", 1));
  EXPECT_TRUE(device.setIndex("Quodra_output3", 1));
  EXPECT_TRUE(device.setIndex("Bitsmodule_enable", 1));
  EXPECT_TRUE(device.setText("www_password", "secret"));
  const Image image = encoded(device);

  SettingsModel window(kNow + 86400 * 40);
  EXPECT_TRUE(window.click("Uploadpctime", false));
  EXPECT_TRUE(window.setText("Rtcyear", "1999"));
  ASSERT_TRUE(decodeSettings(image, window).ok());
  EXPECT_EQ(window.text("Rtcyear"), "1999");
  EXPECT_TRUE(window.enabled("Rtcyear"));
  EXPECT_FALSE(window.checked("Uploadpctime"));
  EXPECT_EQ(window.text("Teledigital2_name"), "Door");
  EXPECT_EQ(window.index("Teledigital2_inverted"), 1);
  EXPECT_EQ(window.index("Quodra_output3"), 1);
  EXPECT_EQ(window.index("Bitsmodule_enable"), 1);
  EXPECT_EQ(window.text("www_password"), "secret");
}

// Settings with random valid values survive encode -> decode -> encode byte for byte.
TEST(Decode, RandomValidSettingsRoundTrip) {
  std::mt19937 rng(1234);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int round = 0; round < 50; ++round) {
    SettingsModel model(kNow);
    for (const Setting& s : allSettings()) {
      if (s.kind == ControlKind::Combo) {
        EXPECT_TRUE(model.setIndex(s.name, pick(-1, static_cast<int>(s.items.size()) - 1)));
      } else if (s.kind == ControlKind::Check && s.name != "Uploadpctime") {
        EXPECT_TRUE(model.setChecked(s.name, pick(0, 1) == 1));
      } else if (s.kind == ControlKind::Edit) {
        std::string v;
        switch (s.rule) {
          case Rule::Range:
          case Rule::RangeThenStore:
            v = std::to_string(pick(s.low, s.high));
            break;
          case Rule::ZeroOrRange:
            v = pick(0, 3) == 0 ? "0" : std::to_string(pick(s.low, s.high));
            break;
          case Rule::PortOrEmpty:
            v = std::to_string(pick(0, 65535));
            break;
          case Rule::GuardedSsid:
            v = std::to_string(pick(0, 15));
            break;
          case Rule::SsidOrWildcard:
            v = pick(0, 1) ? "*" : std::to_string(pick(0, 15));
            break;
          case Rule::LatitudeShape:
            v = "1234.56S";
            break;
          case Rule::LongitudeShape:
            v = "12345.67W";
            break;
          case Rule::None:
          case Rule::NotEmpty:
          case Rule::Printable:
            if (s.encoding == Encoding::WordNumber) {
              v = std::to_string(pick(-32768, 32767));
              break;
            }
            if (s.encoding == Encoding::ByteNumber) {
              v = std::to_string(pick(0, 255));
              break;
            }
            // Upper-case letters and digits survive upper-casing and padding removal.
            v.resize(static_cast<std::size_t>(pick(s.rule == Rule::NotEmpty ? 1 : 0, s.maxLength)));
            for (char& c : v) c = "ABCXYZ0189-/"[pick(0, 11)];
            if (s.encoding == Encoding::StationCallsign) v.resize(6, ' ');
        }
        if (s.decoded) {
          EXPECT_TRUE(model.setText(s.name, v));
        }
      }
    }
    const Image first = encoded(model);
    SettingsModel decoded(kNow);
    ASSERT_TRUE(decodeSettings(first, decoded).ok());
    for (const char* clock : {"Rtcyear", "Rtcmonth", "Rtcday", "Rtchour", "Rtcmin"})
      EXPECT_TRUE(decoded.setText(clock, model.text(clock)));
    EXPECT_EQ(encoded(decoded), first) << "round " << round;
  }
}
