#include <gtest/gtest.h>

#include "settings/model.h"

using zorbel::settings::SettingsModel;

namespace {
// 2026-03-05 07:04:59 UTC
constexpr std::time_t kMarch5 = 1772694299;
const char* const kClock[] = {"Rtcyear", "Rtcmonth", "Rtcday", "Rtchour", "Rtcmin"};
}  // namespace

TEST(StartupState, ClockShowsUtcWithoutLeadingZerosAndIsDisabled) {
  SettingsModel m(kMarch5);
  EXPECT_EQ(m.text("Rtcyear"), "2026");
  EXPECT_EQ(m.text("Rtcmonth"), "3");
  EXPECT_EQ(m.text("Rtcday"), "5");
  EXPECT_EQ(m.text("Rtchour"), "7");
  EXPECT_EQ(m.text("Rtcmin"), "4");
  EXPECT_TRUE(m.checked("Uploadpctime"));
  for (const char* edit : kClock) EXPECT_FALSE(m.enabled(edit)) << edit;
}

TEST(StartupState, TelemetryRowsHoldTheirDefaultParameters) {
  SettingsModel m(kMarch5);
  EXPECT_EQ(m.text("Teleanalog1_name"), "Rx1h");
  EXPECT_EQ(m.text("Teleanalog1_coefb"), "10");
  EXPECT_EQ(m.text("Teleanalog2_name"), "Dg1h");
  EXPECT_EQ(m.text("Teleanalog3_name"), "Eff1h");
  EXPECT_EQ(m.text("Teleanalog3_units"), "Pcnt");
  EXPECT_EQ(m.text("Teleanalog4_name"), "A4");
  EXPECT_EQ(m.text("Teleanalog5_units"), "None");
  EXPECT_EQ(m.text("Teledigital5_units"), "None");
  EXPECT_EQ(m.text("Teledigital6_units"), "Non");
  EXPECT_EQ(m.text("Teledigital8_name"), "B8");
  EXPECT_EQ(m.index("Teleanalog3_source"), 6);
  EXPECT_EQ(m.index("Weather_stationtype"), 5);
  EXPECT_EQ(m.index("Quiettime_randomize"), 4);
  EXPECT_EQ(m.index("Packet2rf_filter_type12"), 0);
  EXPECT_EQ(m.text("Packet2rf_filter_ssid07"), "*");
}

TEST(ClockClicks, OnlyUploadpctimeDecides) {
  SettingsModel m(kMarch5);
  EXPECT_TRUE(m.click("Uploadpctime", false));
  for (const char* edit : kClock) EXPECT_TRUE(m.enabled(edit));
  EXPECT_TRUE(m.click("Ntp_enable", false));
  for (const char* edit : kClock) EXPECT_TRUE(m.enabled(edit));
  EXPECT_TRUE(m.click("Uploadpctime", true));
  for (const char* edit : kClock) EXPECT_FALSE(m.enabled(edit));
  EXPECT_TRUE(m.click("Ntp_enable", true));
  for (const char* edit : kClock) EXPECT_FALSE(m.enabled(edit));
}

TEST(DefaultParameters, AnalogRowFollowsItsSourceAndKeepsAveraging) {
  SettingsModel m(kMarch5);
  EXPECT_TRUE(m.setIndex("Teleanalog4_source", 2));
  EXPECT_TRUE(m.setIndex("Teleanalog4_average", 1));
  m.analogChannelDefaults(4);
  EXPECT_EQ(m.text("Teleanalog4_name"), "Rx10m");
  EXPECT_EQ(m.text("Teleanalog4_units"), "Pkt");
  EXPECT_EQ(m.text("Teleanalog4_coefa"), "0");
  EXPECT_EQ(m.text("Teleanalog4_coefb"), "1");
  EXPECT_EQ(m.text("Teleanalog4_coefc"), "0");
  EXPECT_EQ(m.index("Teleanalog4_average"), 1);

  EXPECT_TRUE(m.setText("Teleanalog2_name", "mine"));
  EXPECT_TRUE(m.setIndex("Teleanalog2_source", -1));
  m.analogChannelDefaults(2);
  EXPECT_EQ(m.text("Teleanalog2_name"), "mine") << "no source selected changes nothing";
}

TEST(DefaultParameters, DigitalRowResetsOnlyWhenNotUsed) {
  SettingsModel m(kMarch5);
  EXPECT_TRUE(m.setText("Teledigital7_name", "x"));
  EXPECT_TRUE(m.setText("Teledigital7_units", "y"));
  EXPECT_TRUE(m.setIndex("Teledigital7_inverted", 1));
  m.digitalChannelDefaults(7);
  EXPECT_EQ(m.text("Teledigital7_name"), "B7");
  EXPECT_EQ(m.text("Teledigital7_units"), "Non");
  EXPECT_EQ(m.index("Teledigital7_inverted"), 0);

  EXPECT_TRUE(m.setText("Teledigital3_name", "x"));
  EXPECT_TRUE(m.setIndex("Teledigital3_source", -1));
  m.digitalChannelDefaults(3);
  EXPECT_EQ(m.text("Teledigital3_name"), "x");
}

TEST(Model, IndexesOutsideTheListSelectNothing) {
  SettingsModel m(kMarch5);
  EXPECT_TRUE(m.setIndex("Ptt", 2));
  EXPECT_EQ(m.index("Ptt"), -1);
  EXPECT_TRUE(m.setIndex("Ptt", 1));
  EXPECT_EQ(m.index("Ptt"), 1);
}

TEST(Model, AnUnknownNameIsAnErrorAndChangesNothing) {
  SettingsModel m(kMarch5);
  const SettingsModel before = m;
  for (const auto& set :
       {m.setText("NoSuchControl", "x"), m.setIndex("NoSuchControl", 0), m.setIndex("ptt", 0),
        m.setChecked("NoSuchControl", true), m.click("uploadpctime", false)}) {
    ASSERT_FALSE(set.ok());
    EXPECT_EQ(set.error().kind, zorbel::ErrorKind::UnknownSetting);
  }
  EXPECT_EQ(m.setText("Nope", "x").error().message, "unknown setting Nope");
  EXPECT_TRUE(m == before);
  EXPECT_FALSE(SettingsModel::find("txdelay").ok());
  EXPECT_TRUE(SettingsModel::find("Txdelay").ok());
}

TEST(ModelDeathTest, ReadingByANameNoSettingHasEndsTheProgramNamingIt) {
  const SettingsModel m(kMarch5);
  // A misspelt name in the program's own code, never an empty value read on.
  EXPECT_DEATH((void)m.text("NoSuchControl"),
               "programming error: no setting is named \"NoSuchControl\"");
}

TEST(ModelDeathTest, TheValueOfAFailedLookupEndsTheProgramInEveryBuild) {
  // Release builds drop asserts; a caller that skips ok() must not read on.
  EXPECT_DEATH((void)SettingsModel::find("txdelay").value(),
               "programming error: the value of a failed result: unknown setting txdelay");
}
