// The key table built from the settings declarations: the keys of a file the
// program has always written, in its order, each of the right form, and only
// the settings meant to stay out are out.
#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

#include "cfgfile/config_keys.h"
#include "settings/catalog.h"
#include "settings/integer_text.h"
#include "test_support.h"

namespace zorbel::cfgfile {
namespace {

using settings::ControlKind;

// Every section and key of the golden file, in its order.
std::vector<std::pair<std::string, std::string>> goldenKeys() {
  std::vector<std::pair<std::string, std::string>> keys;
  const std::string file = test::goldenStartupFile();
  std::string section;
  for (std::size_t pos = 0; pos < file.size();) {
    const std::size_t end = file.find("\r\n", pos);
    const std::string line = file.substr(pos, end - pos);
    pos = end == std::string::npos ? file.size() : end + 2;
    if (line.size() > 1 && line.front() == '[') {
      section = line.substr(1, line.size() - 2);
    } else if (const auto eq = line.find('='); eq != std::string::npos) {
      keys.emplace_back(section, line.substr(0, eq));
    }
  }
  return keys;
}

TEST(ConfigKeys, TheTableHoldsTheGoldenFilesKeysInItsOrderEachOnce) {
  // The golden file says how many keys there are; no count is kept here.
  const auto keys = configKeys();
  const auto golden = goldenKeys();
  ASSERT_EQ(golden.size(), keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i) {
    EXPECT_EQ(keys[i].section, golden[i].first) << i;
    EXPECT_EQ(keys[i].key, golden[i].second) << i;
  }

  std::set<std::string> seen;
  for (const ConfigKey& k : keys) {
    std::string folded = k.section + "/" + k.key;
    for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(seen.insert(folded).second) << "twice: " << k.section << "/" << k.key;
  }
}

TEST(ConfigKeys, EveryKeyIsOfItsControlsFormAndLoadDefaultsConvert) {
  std::set<std::string> controls;
  std::set<std::string> withoutLoadDefault;
  for (const ConfigKey& k : configKeys()) {
    if (k.form == FileForm::Fixed) {
      EXPECT_TRUE(k.control.empty());
      continue;
    }
    const auto index = settings::findSetting(k.control);
    ASSERT_TRUE(index) << k.key << " names no control " << k.control;
    controls.insert(k.control);
    const ControlKind kind = settings::allSettings()[*index].kind;
    switch (k.form) {
      case FileForm::Text:
      case FileForm::Integer:
        EXPECT_EQ(kind, ControlKind::Edit) << k.key;
        break;
      case FileForm::ItemIndex:
        EXPECT_EQ(kind, ControlKind::Combo) << k.key;
        break;
      case FileForm::Flag:
        EXPECT_EQ(kind, ControlKind::Check) << k.key;
        break;
      case FileForm::Fixed:
        break;
    }
    if (!k.loadDefault) {
      withoutLoadDefault.insert(k.key);
    } else if (k.form != FileForm::Text) {
      EXPECT_TRUE(settings::parseInteger(*k.loadDefault)) << k.key;
    }
  }

  std::set<std::string> left;
  for (const auto& s : settings::allSettings()) {
    if (!controls.count(s.name)) left.insert(s.name);
  }
  EXPECT_EQ(left, (std::set<std::string>{"Rtcyear", "Rtcmonth", "Rtcday", "Rtchour", "Rtcmin",
                                         "www_user", "www_password", "www_port"}));

  // The digital channels and the Quodra outputs have no load default.
  EXPECT_EQ(withoutLoadDefault.size(), 36u);
  for (const std::string& key : withoutLoadDefault) {
    EXPECT_TRUE(key.rfind("Teledigital", 0) == 0 || key.rfind("Quodra_output", 0) == 0) << key;
  }
}

}  // namespace
}  // namespace zorbel::cfgfile
