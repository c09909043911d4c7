// The key table against the settings declarations: every key names a real
// control of the right kind, and only the settings meant to stay out are out.
#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

#include "cfgfile/config_keys.h"
#include "settings/catalog.h"
#include "settings/integer_text.h"

namespace zorbel::cfgfile {
namespace {

using settings::ControlKind;

TEST(ConfigKeys, SectionsHoldTheirKeysInFileOrder) {
  const auto keys = configKeys();
  ASSERT_EQ(keys.size(), 331u);
  std::vector<std::pair<std::string, int>> sections;
  for (const ConfigKey& k : keys) {
    if (sections.empty() || sections.back().first != k.section) sections.emplace_back(k.section, 0);
    ++sections.back().second;
  }
  const std::vector<std::pair<std::string, int>> expected{
      {"!WARNING", 3}, {"Radio", 10},   {"Digipeater", 63}, {"Beacons", 56}, {"Network", 16},
      {"APRS-IS", 10}, {"I-Gate", 53},  {"Weather", 8},     {"RTC", 3},      {"Telnet", 3},
      {"Debug", 10},   {"Telemetry", 88}, {"WeatherUnderground", 8}};
  EXPECT_EQ(sections, expected);

  std::set<std::string> seen;
  for (const ConfigKey& k : keys) {
    std::string folded = k.section + "/" + k.key;
    for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(seen.insert(folded).second) << "twice: " << k.section << "/" << k.key;
  }
}

TEST(ConfigKeys, EveryKeyNamesAControlOfItsFormAndLoadDefaultsConvert) {
  std::set<std::string> controls;
  std::set<std::string> withoutLoadDefault;
  for (const ConfigKey& k : configKeys()) {
    if (k.form == ValueForm::Fixed) {
      EXPECT_TRUE(k.control.empty());
      continue;
    }
    const auto index = settings::findSetting(k.control);
    ASSERT_TRUE(index) << k.key << " names no control " << k.control;
    EXPECT_TRUE(controls.insert(k.control).second) << k.control << " stored twice";
    const ControlKind kind = settings::allSettings()[*index].kind;
    switch (k.form) {
      case ValueForm::Text:
      case ValueForm::Integer: EXPECT_EQ(kind, ControlKind::Edit) << k.key; break;
      case ValueForm::ItemIndex: EXPECT_EQ(kind, ControlKind::Combo) << k.key; break;
      case ValueForm::Flag: EXPECT_EQ(kind, ControlKind::Check) << k.key; break;
      case ValueForm::Fixed: break;
    }
    if (!k.loadDefault) {
      withoutLoadDefault.insert(k.key);
    } else if (k.form != ValueForm::Text) {
      EXPECT_TRUE(settings::parseInteger(*k.loadDefault)) << k.key;
    }
  }

  std::set<std::string> left;
  for (const auto& s : settings::allSettings()) {
    if (!controls.count(s.name)) left.insert(s.name);
  }
  EXPECT_EQ(left, (std::set<std::string>{"Rtcyear", "Rtcmonth", "Rtcday", "Rtchour", "Rtcmin", "www_user",
                                         "www_password", "www_port"}));

  // The digital channels and the Quodra outputs have no load default.
  EXPECT_EQ(withoutLoadDefault.size(), 36u);
  for (const std::string& key : withoutLoadDefault) {
    EXPECT_TRUE(key.rfind("Teledigital", 0) == 0 || key.rfind("Quodra_output", 0) == 0) << key;
  }
}

}  // namespace
}  // namespace zorbel::cfgfile
