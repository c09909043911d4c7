#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "settings/catalog.h"
#include "settings/codec.h"
#include "settings/field_capacity.h"

using namespace zorbel::settings;

namespace {

constexpr std::time_t kNow = 1772694299;  // 2026-03-05 07:04:59 UTC

struct Encode : ::testing::Test {
  SettingsModel model{kNow};
  Image image{};

  zorbel::Result<void> encode() { return encodeSettings(model, image, kNow); }
  // The message of the encode's error ("" when it passes).
  std::string message() { return messageOf(encode()); }
  static std::string messageOf(const zorbel::Result<void>& r) {
    return r.ok() ? "" : r.error().message;
  }
  std::string bytes(int offset, int n) const {
    return std::string(reinterpret_cast<const char*>(image.data()) + offset,
                       static_cast<std::size_t>(n));
  }
  // The message of an encode with one edit set to `value` ("" when it passes).
  std::string messageWith(const std::string& name, const std::string& value) {
    SettingsModel saved = model;
    EXPECT_TRUE(model.setText(name, value));
    const zorbel::Result<void> r = encode();
    model = saved;
    return messageOf(r);
  }
};

}  // namespace

TEST(Frame, BareFrameSumsTo529AndTheTailStaysOutsideTheSum) {
  Image bare{};
  std::memcpy(bare.data() + kVersionOffset, "v1.32", 5);
  std::memcpy(bare.data() + kEndMarkerOffset, "END", 3);
  EXPECT_EQ(imageSum(bare), 529u);
  for (std::size_t i = 2008; i < kImageSize; ++i) bare[i] = 0xFF;
  EXPECT_EQ(imageSum(bare), 529u);
}

TEST(Frame, WriteStampIsTheSecondGeneratorOutputModTenThousand) {
  EXPECT_EQ(writeStamp(0), 346);
  EXPECT_EQ(writeStamp(1), 130);
  EXPECT_EQ(writeStamp(kNow), 5512);
}

TEST_F(Encode, DefaultsMakeACompleteFrame) {
  ASSERT_TRUE(encode().ok());
  EXPECT_EQ(bytes(6, 8), std::string("v1.32\0\0\0", 8));
  EXPECT_EQ(bytes(2002, 3), "END");
  for (std::size_t i = 2005; i < kImageSize; ++i) EXPECT_EQ(image[i], 0) << i;
  EXPECT_EQ(image[4] | image[5] << 8, 5512);
  EXPECT_EQ(storedImageSum(image), imageSum(image));
}

TEST_F(Encode, TwoEncodesDifferOnlyInStampAndSum) {
  ASSERT_TRUE(encode().ok());
  const Image first = image;
  ASSERT_TRUE(encodeSettings(model, image, kNow + 1).ok());
  for (std::size_t i = 6; i < kImageSize; ++i) EXPECT_EQ(first[i], image[i]) << i;
  EXPECT_NE(std::memcmp(first.data(), image.data(), 6), 0);
}

TEST_F(Encode, ForTheDeviceTheClockComesFromThePcOnlyWhenUploadpctimeIsChecked) {
  constexpr std::time_t kLater = 1783000000;  // 2026-07-02 13:46:40 UTC
  ASSERT_TRUE(encodeWithPcClock(model, image, kLater).ok());
  EXPECT_EQ(model.text("Rtcmonth"), "7");
  EXPECT_EQ(image[552], 7);

  EXPECT_TRUE(model.click("Uploadpctime", false));
  EXPECT_TRUE(model.setText("Rtcmonth", "12"));
  ASSERT_TRUE(encodeWithPcClock(model, image, kLater).ok());
  EXPECT_EQ(image[552], 12);
}

TEST_F(Encode, DefaultBytesLandWhereTheDeviceExpectsThem) {
  ASSERT_TRUE(encode().ok());
  EXPECT_EQ(bytes(14, 8), std::string("NOCALL0\0", 8));
  EXPECT_EQ(image[22] | image[23] << 8, 250);
  EXPECT_EQ(bytes(29, 9), std::string("5221.60N\0", 9));
  EXPECT_EQ(bytes(38, 10), std::string("01653.63E\0", 10));
  EXPECT_EQ(bytes(52, 20), std::string("\x05"
                                       "APZR010WIDE2 2\0\x05\0\x05\0",
                                       20));
  EXPECT_EQ(bytes(72, 15), std::string("Zorbel weather\0", 15));
  EXPECT_EQ(bytes(372, 32),
            std::string("\x1e"
                        "APZR010\x01\x01WIDE2 1\x02\x1e\x01\x00\x3c\x06\x09\x0cWIDE2 1",
                        32));
  EXPECT_EQ(bytes(404, 8), std::string("      *\0", 8));
  EXPECT_EQ(bytes(492, 8), std::string("      *\0", 8));
  EXPECT_EQ(bytes(533, 16),
            std::string("\xc0\xa8\x02\x02\xc0\xa8\x02\x01\xff\xff\xff\x00\xc0\xa8\x02\x01", 16));
  EXPECT_EQ(bytes(550, 6), std::string("\xea\x07\x03\x05\x07\x04", 6));
  EXPECT_EQ(bytes(1436, 10), std::string("\0\0\0\x01\x01\x01\x01\0\x01\x01", 10));
  EXPECT_EQ(bytes(1510, 45), std::string("\x01Rx1h\0\0\0\0Pkt\0\0\0\0\0"
                                         "0\0\0\0\0\0\0\0\0"
                                         "10\0\0\0\0\0\0\0"
                                         "0\0\0\0\0\0\0\0\0\0",
                                         45));
  EXPECT_EQ(image[1487], 0);
  EXPECT_EQ(image[1867], 60);
  EXPECT_EQ(bytes(1863, 6), std::string("\0\0\0\0\x3c\0", 6));
  EXPECT_EQ(bytes(1999, 3), std::string("\0\x01\x05", 3));
  EXPECT_EQ(bytes(1869, 50), std::string(50, '\0'));
}

TEST_F(Encode, RadioBoundaries) {
  EXPECT_EQ(messageWith("Callsign", ""), "Callsign - too short (ex. NOCALL-4).");
  EXPECT_EQ(messageWith("Ssid", "16"), "Callsign - SSID range error (0 - 15).");
  EXPECT_EQ(messageWith("Ssid", "-1"), "Callsign - SSID range error (0 - 15).");
  EXPECT_EQ(messageWith("Ssid", "a"), "'a' is not a valid integer value");
  EXPECT_EQ(messageWith("Txdelay", "200"), "");
  EXPECT_EQ(messageWith("Txdelay", "1000"), "");
  EXPECT_EQ(messageWith("Txdelay", "199"), "TX delay - range error (200 - 1000).");
  EXPECT_EQ(messageWith("Txdelay", "1001"), "TX delay - range error (200 - 1000).");
  EXPECT_EQ(messageWith("Quiettime", "3000"), "");
  EXPECT_EQ(messageWith("Quiettime", "3001"), "Quiet time - range error (200 - 3000).");
  EXPECT_EQ(messageWith("Latitude", "9959.99S"), "");
  for (const char* bad : {"5221.60n", "5221.6N", "522.160N", "5221,60N", "5221.60NN"})
    EXPECT_EQ(messageWith("Latitude", bad), "Latitude - syntax error (ex. 5221.60N).") << bad;
  EXPECT_EQ(messageWith("Longitude", "17959.99W"), "");
  EXPECT_EQ(messageWith("Longitude", "1653.63E"), "Longitude - syntax error (ex. 01653.63E).");

  EXPECT_TRUE(model.setText("Callsign", ""));
  EXPECT_TRUE(model.setText("Ssid", "99"));
  EXPECT_EQ(message(), "Callsign - too short (ex. NOCALL-4).");
}

TEST_F(Encode, CallsignsAreUpperCasedAndPadded) {
  EXPECT_TRUE(model.setText("Callsign", "sp1abc"));
  EXPECT_TRUE(model.setText("Ssid", "10"));
  ASSERT_TRUE(encode().ok());
  EXPECT_EQ(bytes(14, 8), std::string("SP1ABC:\0", 8));
  EXPECT_TRUE(model.setText("Callsign", "AB1"));
  EXPECT_TRUE(model.setText("Ssid", "15"));
  ASSERT_TRUE(encode().ok());
  EXPECT_EQ(bytes(14, 7), "AB1   ?");
}

TEST_F(Encode, RangeIsCheckedOnTheNumberAsEntered) {
  EXPECT_EQ(messageWith("Floodtimeout", "271"), "Duplicate checking - range error (15 - 180).");
  EXPECT_EQ(messageWith("Rfheard_local_maxhops", "256"),
            "Local RF heard max. digi-hops range error (0 - 8).");
  EXPECT_EQ(messageWith("Tele_holdoff", "-1"),
            "First telemetry data packet delay range error (0 - 250).");
  EXPECT_EQ(messageWith("WU_normalrate", "256"),
            "WeatherUnderground normal send rate range error (1 - 240).");
  EXPECT_EQ(messageWith("Ipaddr0", "256"), "IP Address - range error (0 - 255).");
  EXPECT_EQ(messageWith("Ipaddr3", "-1"), "IP Address - range error (0 - 255).");
  EXPECT_EQ(messageWith("Ipaddr3", ""), "'' is not a valid integer value");
}

TEST_F(Encode, FirstInvalidSettingInEncoderOrderWins) {
  EXPECT_TRUE(model.setText("Pathn2_lower", "0"));
  EXPECT_TRUE(model.setText("Pathn1_higher", "8"));
  EXPECT_EQ(message(), "Path(n-N) 1, n<= value range error (1 - 7).");

  model = SettingsModel(kNow);
  EXPECT_TRUE(model.setText("Ipgate1", "300"));
  EXPECT_TRUE(model.setText("Ipmask2", "300"));
  EXPECT_EQ(message(), "IP Mask - range error (0 - 255).");

  model = SettingsModel(kNow);
  EXPECT_TRUE(model.setText("Aprsis_heard_timeout", "0"));
  EXPECT_TRUE(model.setText("Packet2rf_filter_ssid05", ""));
  EXPECT_EQ(message(), "APRS-IS heard buffer timeout range error (1 - 240).");

  model = SettingsModel(kNow);
  EXPECT_TRUE(model.setText("Teleparams_dest_string", ""));
  EXPECT_TRUE(model.setText("Teledata_txrate_aprsis", "4"));
  EXPECT_EQ(message(), "Telemetry data tx rate (APRSIS) range error (5 - 1440).");

  model = SettingsModel(kNow);
  EXPECT_TRUE(model.setText("WU_rapidfirerate", "61"));
  EXPECT_TRUE(model.setText("WU_normalrate", "0"));
  EXPECT_EQ(message(), "WeatherUnderground normal send rate range error (1 - 240).");

  model = SettingsModel(kNow);
  EXPECT_TRUE(model.setText("Callfilter_ssid3", "x"));
  EXPECT_TRUE(model.setText("Callfilter_callsign1", ""));
  EXPECT_EQ(message(), "Callsign filter 3 - SSID range error (0 - 15, or wildcard '*').");
}

TEST_F(Encode, TheErrorNamesTheSettingThatStoppedIt) {
  // Four boxes share this message: the error says which one it was.
  EXPECT_TRUE(model.setText("Ipaddr2", "256"));
  const auto refused = encode();
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error().setting, settingIndex("Ipaddr2"));
}

TEST_F(Encode, GuardedSsidsGiveTheirOwnMessage) {
  EXPECT_EQ(messageWith("Beacon1_dest_ssid", "a"),
            "Beacon 1 destination - SSID range error (0 - 15).");
  EXPECT_EQ(messageWith("Beacon1_dest_ssid", "16"),
            "Beacon 1 destination - SSID range error (0 - 15).");
  EXPECT_EQ(messageWith("Beacon1_dest_ssid", "-1"),
            "Beacon 1 destination - SSID range error (0 - 15).");
  EXPECT_EQ(messageWith("Beacon3_dest_string", ""),
            "Beacon 3 destination - too short (ex. APZR01).");
  EXPECT_EQ(messageWith("Aprsis_packet2rf_ssid", "16"),
            "APRS-IS non-message path - SSID range error (0 - 15).");
  EXPECT_EQ(messageWith("Weather_dest_ssid", ""),
            "Weather destination - SSID range error (0 - 15).");
  EXPECT_EQ(messageWith("Packet2rf_filter_ssid10", "**"),
            "APRS-IS packets to RF filter 10 - SSID range error (0 - 15, or wildcard '*').");
  EXPECT_EQ(messageWith("Callfilter_ssid1", ""),
            "Callsign filter 1 - SSID range error (0 - 15, or wildcard '*').");
  // The unguarded rates end the action with the conversion error instead.
  EXPECT_EQ(messageWith("Beacon2_txrate_rf", "x"), "'x' is not a valid integer value");
  EXPECT_EQ(messageWith("Weather_txrate_rf", ""), "'' is not a valid integer value");

  // The caller tells a range message from the conversion error by the error's kind.
  EXPECT_TRUE(model.setText("Beacon1_dest_ssid", "a"));
  EXPECT_EQ(encode().error().kind, zorbel::ErrorKind::Range);
  EXPECT_TRUE(model.setText("Beacon1_dest_ssid", "0"));
  EXPECT_TRUE(model.setText("Beacon2_txrate_rf", "x"));
  EXPECT_EQ(encode().error().kind, zorbel::ErrorKind::Conversion);
}

TEST_F(Encode, EmptyPathStoresZeroSsidWithoutReadingIt) {
  const int beacon1 = 556;
  EXPECT_TRUE(model.setText("Beacon1_path_string", ""));
  EXPECT_TRUE(model.setText("Beacon1_path_ssid", "zz"));
  EXPECT_TRUE(model.setText("Aprsis_2rf_dest", ""));
  EXPECT_TRUE(model.setText("Aprsis_2rf_dest_ssid", "x"));
  EXPECT_TRUE(model.setText("Weather_path_string", ""));
  EXPECT_TRUE(model.setText("Weather_path_ssid", "?"));
  EXPECT_TRUE(model.setText("Aprsis_msg2rf_path", "wide2"));
  EXPECT_TRUE(model.setText("Aprsis_msg2rf_ssid", "2"));
  ASSERT_TRUE(encode().ok());
  EXPECT_EQ(bytes(beacon1 + 7, 7), "      0");
  EXPECT_EQ(bytes(373, 7), "      0");
  EXPECT_EQ(bytes(60, 7), "      0");
  EXPECT_EQ(bytes(382, 7), "WIDE2 2");
}

TEST_F(Encode, WildcardsAndFilterEntries) {
  EXPECT_TRUE(model.setText("Callfilter_callsign1", "sq*"));
  EXPECT_TRUE(model.setText("Callfilter_ssid1", "12"));
  EXPECT_TRUE(model.setText("Packet2rf_filter_callsign02", "sp*"));
  EXPECT_TRUE(model.setText("Packet2rf_filter_ssid02", "7"));
  EXPECT_TRUE(model.setIndex("Packet2rf_filter_type02", 3));
  ASSERT_TRUE(encode().ok());
  EXPECT_EQ(bytes(1309, 7), "SQ*   <");
  EXPECT_EQ(bytes(1316, 7), "      *");
  EXPECT_EQ(bytes(412, 8), "SP*   7\x03");
}

TEST_F(Encode, RatesAcceptZeroOrTheirRange) {
  for (const char* ok : {"0", "5", "1440"})
    EXPECT_EQ(messageWith("Beacon1_txrate_rf", ok), "") << ok;
  for (const char* bad : {"1", "4", "1441"})
    EXPECT_EQ(messageWith("Beacon1_txrate_rf", bad),
              "Beacon 1 tx rate (RF) range error (5 - 1440), or 0 to disable.");
  EXPECT_EQ(messageWith("Weather_txrate_aprsis", "1441"),
            "Weather report tx rate (APRSIS) range error (5 - 1440).");
  EXPECT_EQ(messageWith("Aprsis_timeout", "0"),
            "APRS-IS reconnect timeout - range error (1 - 60).");
  EXPECT_EQ(messageWith("Aprsis_timeout", "60"), "");
  EXPECT_EQ(messageWith("WU_rapidfirerate", "4"),
            "WeatherUnderground \"Rapid fire\" send rate range error (5 - 60).");
}

TEST_F(Encode, PortsMayBeEmpty) {
  EXPECT_TRUE(model.setText("Aprsis2_port", ""));
  EXPECT_TRUE(model.setText("Aprsis3_port", "65535"));
  ASSERT_TRUE(encode().ok());
  EXPECT_EQ(bytes(206, 2), std::string("\0\0", 2));
  EXPECT_EQ(bytes(240, 2), "\xff\xff");
  EXPECT_EQ(messageWith("Aprsis1_port", "65536"),
            "APRS-IS Server 1 Port - range error (0 - 65535).");
}

TEST_F(Encode, MessageAndCommentCharacters) {
  const std::string full(64, 'x');
  EXPECT_TRUE(model.setText("Beacon2_msg", full));
  ASSERT_TRUE(encode().ok());
  EXPECT_EQ(bytes(640 + 18, 66), full + std::string(2, '\0'));
  EXPECT_EQ(messageWith("Beacon4_msg", "a\tb"), "Beacon 4 message - forbidden characters.");
  EXPECT_EQ(messageWith("Beacon4_msg", "caf\xe9"), "Beacon 4 message - forbidden characters.");
  EXPECT_EQ(messageWith("Beacon4_msg", "del\x7f"), "Beacon 4 message - forbidden characters.");
  EXPECT_EQ(messageWith("Weather_comment", "\xe9t\xe9"),
            "Weather report comment - forbidden characters.");
  EXPECT_EQ(messageWith("Weather_comment", std::string(32, ' ')), "");
}

TEST_F(Encode, ClockAndPortsAreStoredUnchecked) {
  EXPECT_TRUE(model.click("Uploadpctime", false));
  EXPECT_TRUE(model.setText("Rtcmonth", "13"));
  EXPECT_TRUE(model.setText("www_port", "-1"));
  EXPECT_TRUE(model.setText("telnet_port", "8080"));
  ASSERT_TRUE(encode().ok());
  EXPECT_EQ(image[552], 13);
  EXPECT_EQ(bytes(1406, 2), "\xff\xff");
  EXPECT_EQ(bytes(1434, 2), "\x90\x1f");
  EXPECT_EQ(messageWith("Rtcday", ""), "'' is not a valid integer value");
}

// A text set by program (a configuration file, --set) is refused only where its
// field would keep less than the whole text; a number's whole text, however
// long, goes to the conversion and the range check.
TEST_F(Encode, OnlyATextItsFieldWouldCutIsRefused) {
  const SettingsModel start = model;
  int texts = 0, numbers = 0;
  for (const Setting& s : allSettings()) {
    if (s.kind != ControlKind::Edit) continue;
    model = start;
    const std::optional<std::size_t> capacity = fieldCapacity(s);
    if (capacity) {
      ++texts;
      const std::string full(*capacity, 'A');
      ASSERT_TRUE(model.setText(s.name, full + "A"));
      const zorbel::Result<void> over = encode();
      ASSERT_FALSE(over.ok()) << s.name;
      EXPECT_EQ(over.error().kind, zorbel::ErrorKind::TooLong);
      EXPECT_EQ(over.error().message,
                s.name + ": at most " + std::to_string(*capacity) + " characters");
      ASSERT_TRUE(model.setText(s.name, full));
      ASSERT_TRUE(encode().ok()) << s.name;
      const bool padded =
          s.encoding == Encoding::PaddedCallsign || s.encoding == Encoding::StationCallsign;
      EXPECT_EQ(bytes(s.offset, s.width), padded ? full : full + '\0') << s.name;
      continue;
    }
    if (s.encoding == Encoding::Latitude || s.encoding == Encoding::Longitude) continue;
    ++numbers;
    // Twelve characters: the lowest value after blanks, then the highest plus one after zeros.
    const std::string low = std::to_string(s.low);
    ASSERT_TRUE(model.setText(s.name, std::string(12 - low.size(), ' ') + low));
    ASSERT_TRUE(encode().ok()) << s.name;
    const bool ssid = s.encoding == Encoding::SsidCharacter || s.encoding == Encoding::StationSsid;
    const int stored = ssid           ? image[s.offset] - '0'
                       : s.width == 2 ? image[s.offset] | image[s.offset + 1] << 8
                                      : image[s.offset];
    EXPECT_EQ(stored, s.low) << s.name;
    const std::string over = std::to_string(s.high + 1);
    const bool skipped = !s.partner.empty() && model.text(s.partner).empty();
    const std::string expected = s.rule == Rule::None || skipped ? "" : s.message;
    EXPECT_EQ(messageWith(s.name, std::string(12 - over.size(), '0') + over), expected) << s.name;
  }
  EXPECT_EQ(texts, 73 + 1 + 47 + 1);
  EXPECT_EQ(numbers, 250 - texts - 2);
}

TEST_F(Encode, ComboWithNoSelectionStoresFF) {
  EXPECT_TRUE(model.setIndex("Quiettime_randomize", -1));
  ASSERT_TRUE(encode().ok());
  EXPECT_EQ(image[26], 0xFF);
}

TEST_F(Encode, FailedEncodeWritesNoFrameTail) {
  EXPECT_TRUE(model.setText("Txdelay", "5000"));
  ASSERT_FALSE(encode().ok());
  EXPECT_EQ(image[22] | image[23] << 8, 5000) << "the failing value is already stored";
  EXPECT_EQ(bytes(2002, 3), std::string(3, '\0'));
  EXPECT_EQ(storedImageSum(image), 0u);
}
