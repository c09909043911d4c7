// The pre-write check: each warning when it holds, and silence when it does not.
#include <gtest/gtest.h>

#include <functional>

#include "settings/prewrite_check.h"

namespace zorbel::settings {
namespace {

// Start-up settings with every warning put right: no warning holds.
SettingsModel clean() {
  SettingsModel m(0);
  (void)m.setText("Callsign", "SP1ABC");
  (void)m.setText("Aprsis_user", "SP1ABC");
  (void)m.setText("Latitude", "5223.75N");
  (void)m.setText("Longitude", "01657.50E");
  (void)m.setText("Beacon1_msg", "!<lat>/<long>-Home");
  (void)m.setText("Beacon1_txrate_rf", "30");
  (void)m.setText("telnet_password", "s3cret");
  (void)m.setText("www_password", "s3cret");
  return m;
}

std::vector<std::string> lines(const SettingsModel& m) {
  std::vector<std::string> out;
  for (const auto& w : preWriteWarnings(m)) out.push_back(w.setting + ": " + w.text);
  return out;
}

TEST(PreWriteCheck, CleanSettingsGiveNoWarning) { EXPECT_TRUE(lines(clean()).empty()); }

struct Case {
  const char* what;
  std::function<void(SettingsModel&)> change;
  std::vector<std::string> expected;  // empty: the change alone holds no warning
};

TEST(PreWriteCheck, EachWarningHoldsAndDoesNotHold) {
  const auto set = [](const char* name, const char* value) {
    return [=](SettingsModel& m) { (void)m.setText(name, value); };
  };
  const std::string nocall = "Callsign: The station has no callsign of its own (NOCALL).";
  const std::string telnet =
      "telnet_password: The telnet password is the factory default; anyone on the network can "
      "log in.";
  const Case table[] = {
      {"NOCALL", set("Callsign", "NOCALL"), {nocall}},
      {"n0call typed", set("Callsign", "n0call"), {nocall}},
      {"empty callsign", set("Callsign", ""), {nocall}},
      {"a call with padding", set("Callsign", "AB1   "), {}},
      {"login NOCALL",
       set("Aprsis_user", "nocall"),
       {"Aprsis_user: APRS-IS login is still NOCALL."}},
      {"login NOCALL without a server",
       [](SettingsModel& m) {
         (void)m.setText("Aprsis_user", "nocall");
         (void)m.setText("Aprsis1_servername", "");
       },
       {}},
      {"telnet password", set("telnet_password", "ovlek"), {telnet}},
      {"web password",
       set("www_password", "ovlek"),
       {"www_password: The web password is the factory default; anyone on the network can log "
        "in."}},
      {"example text",
       set("Beacon1_msg", "!5223.75N/01657.50E-ZORBEL Test."),
       {"Beacon1_msg: Beacon 1 still sends the start-up example text \"ZORBEL Test.\"."}},
      {"example text of a silent beacon",
       [](SettingsModel& m) {
         (void)m.setText("Beacon1_msg", "@<date>z<lat>/<long>-ZORBEL Test.");
         (void)m.setText("Beacon1_txrate_rf", "0");
         (void)m.setText("Beacon1_txrate_aprsis", "0");
       },
       {}},
      {"example position sent",
       [](SettingsModel& m) {
         (void)m.setText("Latitude", "5221.60N");
         (void)m.setText("Beacon3_msg", "=<lat>/<long>-x");
         (void)m.setText("Beacon3_txrate_aprsis", "60");
       },
       {"Latitude: The position is still the example 5221.60N 01653.63E, and beacons 1 and 3 "
        "send it."}},
      {"example position not sent", set("Beacon1_msg", "Hello"), {}},
      {"latitude minutes",
       set("Latitude", "5260.00N"),
       {"Latitude: Latitude 5260.00N has 60 minutes; a degree has 60, so the station shows up in "
        "the wrong place."}},
      {"latitude degrees",
       set("Latitude", "9000.01S"),
       {"Latitude: Latitude 9000.01S lies beyond 90 degrees; the device stores it all the same."}},
      {"latitude at the pole", set("Latitude", "9000.00S"), {}},
      {"longitude degrees",
       set("Longitude", "18100.00W"),
       {"Longitude: Longitude 18100.00W lies beyond 180 degrees; the device stores it all the "
        "same."}},
      {"longitude minutes",
       set("Longitude", "01699.99E"),
       {"Longitude: Longitude 01699.99E has 99 minutes; a degree has 60, so the station shows up "
        "in the wrong place."}},
      {"busy RF beacon",
       set("Beacon2_txrate_rf", "5"),
       {"Beacon2_txrate_rf: Beacon 2 goes out on RF every 5 minutes; 10 minutes or more is usual "
        "for a fixed station."}},
      {"RF every 10 minutes", set("Beacon2_txrate_rf", "10"), {}},
      {"APRS-IS every 5 minutes", set("Beacon2_txrate_aprsis", "5"), {}},
  };
  for (const Case& c : table) {
    SettingsModel m = clean();
    c.change(m);
    EXPECT_EQ(lines(m), c.expected) << c.what;
  }
}

TEST(PreWriteCheck, StartUpSettingsWarnInSettingOrderAndChangeNothing) {
  const SettingsModel startUp(0);
  SettingsModel m = startUp;
  const auto warnings = preWriteWarnings(m);
  std::vector<std::string> names;
  for (const auto& w : warnings) names.push_back(w.setting);
  EXPECT_EQ(names,
            (std::vector<std::string>{"Callsign", "Latitude", "Beacon1_txrate_rf", "Beacon1_msg",
                                      "Aprsis_user", "www_password", "telnet_password"}));
  EXPECT_EQ(m, startUp);
}

}  // namespace
}  // namespace zorbel::settings
